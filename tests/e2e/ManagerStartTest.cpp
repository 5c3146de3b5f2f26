// The manager as a user starts it: the first start fills the pages, a
// second start hands its request to the running one and ends, two starts
// at the same moment give one window.

#include <gtest/gtest.h>

#include "tests/e2e/ManagerHarness.h"

namespace Tessar {
namespace Test {
namespace {

// Generous bounds: the manager starts under Wine on a loaded machine.
const DWORD kStartTimeout = 90000;
const DWORD kExitTimeout = 60000;
const DWORD kHandedOverExitCode = static_cast<DWORD>(-1);
const uint32_t kCustomGameId = 90001;

// Pixels whose channels differ a lot: the coloured game cards (the light
// content background and grey text are not).
size_t SaturatedPixels(const VQScreenImage& image, const RECT& area) {
    size_t count = 0;
    for (int y = area.top; y < area.bottom && y < image.height; ++y) {
        for (int x = area.left; x < area.right && x < image.width; ++x) {
            uint32_t c = image.At(x, y);
            int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
            int high = std::max(r, std::max(g, b)), low = std::min(r, std::min(g, b));
            if (high - low > 90) ++count;
        }
    }
    return count;
}

class ManagerStartTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.Prepare()); }

    HWND WaitForWindow(const VQManagerProcess& process) {
        HWND window = nullptr;
        WaitFor([&] { return (window = m_folder.FindMainWindow(process.pid)) != nullptr || !process.Running(); },
                kStartTimeout);
        return window;
    }

    void SaveScreenshot(HWND window, const std::wstring& name) {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string test = std::string(info->test_suite_name()) + "." + info->name();
        SaveImagePng(CaptureWindow(window),
                     ScreenshotFolder() + L"\\" + std::wstring(test.begin(), test.end()) + L"-" + name + L".png");
    }

    VQManagerFolder m_folder;
};

TEST_F(ManagerStartTest, FirstStartShowsTheWindowWithFilledPages) {
    VQManagerProcess manager = m_folder.Start(L"");
    HWND window = WaitForWindow(manager);
    ASSERT_NE(nullptr, window) << "no main window; exit code " << manager.ExitCode();
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(window) != FALSE; }, kStartTimeout));
    RECT rc;
    GetWindowRect(window, &rc);
    EXPECT_EQ(960, rc.right - rc.left);
    EXPECT_EQ(660, rc.bottom - rc.top);
    // Game cards below the title band: the hot page shows the demo games.
    const RECT content = {0, 120, 960, 600};
    size_t cards = 0;
    EXPECT_TRUE(WaitFor(
        [&] {
            cards = SaturatedPixels(CaptureWindow(window), content);
            return cards > 4 * 40 * 40;
        },
        kStartTimeout))
        << cards << " card pixels";
    SaveScreenshot(window, L"first-start");
}

TEST_F(ManagerStartTest, ADamagedInstalledListIsKeptAsideAndTheUserIsToldOnce) {
    const std::string damaged = "<INSTALLED><COMMON><NODE><ID>00001</ID><FullPath>C:\\game.exe</Full";
    const std::wstring list = m_folder.PathOf(L"data\\install.vqx");
    HANDLE file = CreateFileW(list.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, damaged.data(), static_cast<DWORD>(damaged.size()), &written, nullptr));
    CloseHandle(file);

    VQManagerProcess manager = m_folder.Start(L"");
    HWND window = WaitForWindow(manager);
    ASSERT_NE(nullptr, window) << "no main window; exit code " << manager.ExitCode();
    HWND notice = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (notice = FindProcessWindow(manager.pid, L"VQMessageDlg")) != nullptr; },
                        kStartTimeout))
        << "nobody was told of the damaged list";
    if (notice) SaveScreenshot(notice, L"damaged-list");
    // Kept beside it, byte for byte.
    const std::wstring aside = list + L".bad";
    std::string kept(damaged.size() + 16, '\0');
    file = CreateFileW(aside.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << "the damaged list was not kept aside";
    DWORD read = 0;
    ReadFile(file, &kept[0], static_cast<DWORD>(kept.size()), &read, nullptr);
    CloseHandle(file);
    kept.resize(read);
    EXPECT_EQ(damaged, kept);
    m_folder.Kill(manager);

    // Told once: the next start finds nothing to tell.
    VQManagerProcess again = m_folder.Start(L"");
    window = WaitForWindow(again);
    ASSERT_NE(nullptr, window) << "no main window; exit code " << again.ExitCode();
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(window) != FALSE; }, kStartTimeout));
    Sleep(3000);
    EXPECT_EQ(nullptr, FindProcessWindow(again.pid, L"VQMessageDlg"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((list + L"(1).bad").c_str()));
    m_folder.Kill(again);
}

TEST_F(ManagerStartTest, SecondStartWithoutArgumentsBringsTheHiddenWindowBackAndEnds) {
    VQManagerProcess first = m_folder.Start(L"-background");
    HWND window = WaitForWindow(first);
    ASSERT_NE(nullptr, window) << "exit code " << first.ExitCode();
    EXPECT_FALSE(IsWindowVisible(window));

    VQManagerProcess second = m_folder.Start(L"");
    ASSERT_TRUE(second.WaitForExit(kExitTimeout));
    EXPECT_EQ(kHandedOverExitCode, second.ExitCode());
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(window) != FALSE; }, kExitTimeout));
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(1, m_folder.CountMainWindows());
    SaveScreenshot(window, L"shown-by-second-start");
}

TEST_F(ManagerStartTest, SecondStartWithExecAppRunsTheGameInTheFirstAndEnds) {
    std::wstring demoGame = m_folder.Temp().PathOf(L"DemoGame.exe");
    ASSERT_TRUE(CopyFileW(BuildPath(L"demo\\game\\DemoGame.exe").c_str(), demoGame.c_str(), FALSE));
    std::wstring marker = m_folder.Temp().PathOf(L"game-ran.txt");
    ASSERT_TRUE(WriteInstalledDemoGame(m_folder.PathOf(L"data\\install.vqx"), kCustomGameId, demoGame, marker));

    VQManagerProcess first = m_folder.Start(L"-background");
    HWND window = WaitForWindow(first);
    ASSERT_NE(nullptr, window) << "exit code " << first.ExitCode();

    VQManagerProcess second = m_folder.Start(L"-exec_app=90001");
    ASSERT_TRUE(second.WaitForExit(kExitTimeout));
    EXPECT_EQ(kHandedOverExitCode, second.ExitCode());
    EXPECT_TRUE(WaitFor([&] { return GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES; }, kExitTimeout))
        << "the first instance did not start the game";
    // The game ran; the manager stayed in the background.
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(first.Running());
}

TEST_F(ManagerStartTest, ExecAppOfAGameThatIsNotInstalledShowsTheWindow) {
    VQManagerProcess first = m_folder.Start(L"-background");
    HWND window = WaitForWindow(first);
    ASSERT_NE(nullptr, window) << "exit code " << first.ExitCode();

    VQManagerProcess second = m_folder.Start(L"-exec_app=00042.{-fullscreen}");
    ASSERT_TRUE(second.WaitForExit(kExitTimeout));
    EXPECT_EQ(kHandedOverExitCode, second.ExitCode());
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(window) != FALSE; }, kExitTimeout));
}

TEST_F(ManagerStartTest, TwoStartsAtTheSameMomentGiveOneWindow) {
    VQManagerProcess a = m_folder.Start(L"");
    VQManagerProcess b = m_folder.Start(L"");
    // One of them ends (handed over, or found no window yet and ended silently).
    ASSERT_TRUE(WaitFor([&] { return !a.Running() || !b.Running(); }, kStartTimeout));
    const VQManagerProcess& running = a.Running() ? a : b;
    const VQManagerProcess& ended = a.Running() ? b : a;
    EXPECT_EQ(kHandedOverExitCode, ended.ExitCode());
    HWND window = WaitForWindow(running);
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(running.Running());
    EXPECT_EQ(1, m_folder.CountMainWindows());
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
