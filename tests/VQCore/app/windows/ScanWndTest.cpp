// The scan window as a real window: a scan of a folder the test owns runs
// to its result, the clock counts hours, an unseen automatic scan closes
// itself, and closing during a scan asks first.
#include <gtest/gtest.h>

#include "VQCore/app/windows/ScanWnd.h"
#include "tests/VQCore/app/DialogTestDriver.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/WindowInput.h"
#include "ui/Control.h"

namespace Tessar {
namespace Test {
namespace {

bool Shown(VQScanWnd& window, int id) {
    VQControl* control = window.Find(id);
    return control && control->IsVisible();
}

struct HostRecord {
    int imports = 0;
    int rotationsOn = 0;
    int rotationsOff = 0;
};

VQScanHost MakeHost(HostRecord& record) {
    VQScanHost host;
    host.isAlreadyListed = [](const IGameTile&) { return false; };
    host.importFound = [&record](std::vector<std::unique_ptr<IGameTile>>& tiles, std::vector<uint32_t>&, bool) {
        ++record.imports;
        tiles.clear();
    };
    host.setTrayRotation = [&record](bool on) { ++(on ? record.rotationsOn : record.rotationsOff); };
    return host;
}

TEST(ScanWnd, ChosenFolderScanEndsWithTheNothingFoundResult) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"Games\\readme.txt", "no game here"));
    ASSERT_TRUE(folder.WriteFile(L"Games\\sub\\notes.ini", "[x]"));
    HostRecord record;
    VQScanWnd window(MakeHost(record), 0);
    ASSERT_TRUE(::IsWindow(window.GetHWND()));
    window.ShowWindow(true, true);
    EXPECT_TRUE(Shown(window, 102)) << "mode 0 waits for the choice";
    PumpUntil([&] { return ControlCenter(window, 106).x >= 0; });
    KeepScreenshot(window.GetHWND(), L"ScanWnd-modes");
    ASSERT_TRUE(window.StartScan(kScanStartPath, folder.Path()));
    EXPECT_TRUE(window.IsScanning());
    EXPECT_FALSE(Shown(window, 102));
    EXPECT_TRUE(Shown(window, 112));
    EXPECT_FALSE(Shown(window, 110));
    EXPECT_FALSE(window.StartScan(kScanStartPath, folder.Path())) << "one scan at a time";
    ASSERT_TRUE(PumpUntil([&] { return !window.IsScanning(); }, 60000));
    EXPECT_TRUE(::IsWindow(window.GetHWND())) << "a shown window stays with its result";
    EXPECT_TRUE(Shown(window, 105));
    EXPECT_TRUE(Shown(window, 122));
    EXPECT_FALSE(Shown(window, 121));
    EXPECT_FALSE(Shown(window, 130));
    EXPECT_EQ(L"知道了", window.Find(131)->GetText());
    EXPECT_EQ(L"0", window.Find(119)->GetText());
    EXPECT_EQ(1, record.rotationsOn);
    EXPECT_EQ(1, record.rotationsOff);
    PumpPending();
    ::UpdateWindow(window.GetHWND());
    KeepScreenshot(window.GetHWND(), L"ScanWnd-nothing-found");
    EXPECT_TRUE(ClickControl(window, 131));
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(window.GetHWND()); }));
    EXPECT_EQ(0, record.imports);
}

TEST(ScanWnd, ClockCountsHoursMinutesAndSeconds) {
    HostRecord record;
    VQScanWnd window(MakeHost(record), 0);
    const struct {
        int ticks;
        const wchar_t* text;
    } steps[] = {{1, L"00:00:01"}, {58, L"00:00:59"}, {1, L"00:01:00"}, {3540, L"01:00:00"}, {61, L"01:01:01"}};
    for (const auto& step : steps) {
        for (int i = 0; i < step.ticks; ++i) window.Tick();
        EXPECT_EQ(step.text, window.ElapsedText());
        EXPECT_EQ(step.text, window.Find(118)->GetText());
    }
}

TEST(ScanWnd, AnUnseenAutomaticScanClosesItself) {
    HostRecord record;
    VQScanWnd window(MakeHost(record), kScanShortcutFolders);
    EXPECT_TRUE(window.IsScanning());
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(window.GetHWND()); }, 120000));
    EXPECT_FALSE(window.IsScanning());
}

TEST(ScanWnd, ClosingDuringAScanAsksAndCancelGoesOn) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"a\\b.txt", "x"));
    HostRecord record;
    VQScanWnd window(MakeHost(record), 0);
    window.ShowWindow(true, true);
    ASSERT_TRUE(window.StartScan(kScanStartPath, folder.Path()));
    {
        // "取 消": the scan is not ended by the question.
        VQDialogAnswerer answer(L"ScanWnd-stop-question", 131);
        window.RequestClose();
        ASSERT_TRUE(answer.Answered());
        EXPECT_EQ(L"终止扫描", answer.Caption());
        EXPECT_EQ(L"扫描尚未结束，您确定要终止本次扫描吗？", answer.Text());
        EXPECT_TRUE(answer.WasShown(105));
    }
    EXPECT_TRUE(::IsWindow(window.GetHWND()));
    EXPECT_FALSE(window.IsPaused());
    PumpUntil([&] { return !window.IsScanning(); }, 60000);
    // Once the scan has ended, closing asks nothing.
    window.RequestClose();
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(window.GetHWND()); }));
}

TEST(ScanWnd, PauseAndResumeSwapTheirButtons) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"a.txt", "x"));
    HostRecord record;
    VQScanWnd window(MakeHost(record), 0);
    window.ShowWindow(true, true);
    ASSERT_TRUE(window.StartScan(kScanStartPath, folder.Path()));
    window.Pause();
    EXPECT_TRUE(window.IsPaused());
    EXPECT_TRUE(Shown(window, 120));
    EXPECT_FALSE(Shown(window, 109));
    EXPECT_TRUE(Shown(window, 114));
    EXPECT_FALSE(Shown(window, 113));
    // No pumping until Resume: the scan's reports (its end too) wait in the queue.
    ::InvalidateRect(window.GetHWND(), nullptr, FALSE);
    ::UpdateWindow(window.GetHWND());
    KeepScreenshot(window.GetHWND(), L"ScanWnd-paused");
    window.Resume();
    EXPECT_FALSE(window.IsPaused());
    EXPECT_TRUE(Shown(window, 109));
    EXPECT_FALSE(Shown(window, 120));
    EXPECT_TRUE(PumpUntil([&] { return !window.IsScanning(); }, 60000));
}

// The owner going while the stop question is open (the program exits from
// the tray): the question ends, nothing is imported, the scan stops and the
// window closes and frees itself once the question has returned.
VQScanWnd* g_releasing = nullptr;

void CALLBACK ReleaseDuringQuestion(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    if (g_releasing) g_releasing->Release();
}

TEST(ScanWnd, ReleasedWhileAskingFinishesTheQuestionThenFreesItself) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"a\\b.txt", "x"));
    HostRecord record;
    VQScanWnd* window = new VQScanWnd(MakeHost(record), 0);
    window->ShowWindow(true, true);
    ASSERT_TRUE(window->StartScan(kScanStartPath, folder.Path()));
    const HWND hwnd = window->GetHWND();
    g_releasing = window;
    ::SetTimer(nullptr, 0, 500, &ReleaseDuringQuestion);
    window->RequestClose();  // returns once the release has ended the question
    g_releasing = nullptr;
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(hwnd); })) << "the window closed itself";
    EXPECT_EQ(0, record.imports) << "the found games are not imported when the owner went";
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
