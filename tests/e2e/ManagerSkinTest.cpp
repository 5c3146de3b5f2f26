// A skin folder is the user's to change: a damaged or hostile skin chosen
// on disk leaves the manager running with its built-in skin.

#include <gtest/gtest.h>

#include "tests/e2e/ManagerHarness.h"

namespace Tessar {
namespace Test {
namespace {

const DWORD kStartTimeout = 90000;

struct HostileSkin {
    const char* name;
    std::string layout;
};

std::string DeepNesting(int depth) {
    std::string text = "<Root name=\"bad\" index=\"1\"><Window>";
    for (int i = 0; i < depth; ++i) text += "<Container>";
    for (int i = 0; i < depth; ++i) text += "</Container>";
    return text + "</Window></Root>";
}

size_t CardPixels(HWND window) {
    VQScreenImage image = CaptureWindow(window);
    size_t count = 0;
    for (int y = image.height / 4; y < image.height * 9 / 10; ++y) {
        for (int x = 0; x < image.width; ++x) {
            uint32_t c = image.At(x, y);
            int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
            if (std::max(r, std::max(g, b)) - std::min(r, std::min(g, b)) > 90) ++count;
        }
    }
    return count;
}

TEST(ManagerSkinTest, AHostileSkinChosenOnDiskLeavesTheBuiltInSkin) {
    const HostileSkin skins[] = {
        {"truncated markup", "<Root name=\"bad\" index=\"1\"><Window size=\"960,660\"><Default name=\"Button\""},
        {"not markup at all", std::string(4096, '\xFF')},
        {"nesting far too deep", DeepNesting(5000)},
        {"huge sizes and missing pictures",
         "<Root name=\"bad\" index=\"1\"><Window size=\"99999999,99999999\" caption=\"0,0,0,-5\">"
         "<Image name=\"nothere.png\"/><Font name=\"x\" size=\"-2147483648\"/>"
         "<Default name=\"Button\" value=\"bkimage=&quot;file='..\\..\\..\\windows\\win.ini'&quot;\"/>"
         "</Window></Root>"},
    };
    for (const HostileSkin& skin : skins) {
        VQManagerFolder folder;
        ASSERT_TRUE(folder.Prepare()) << skin.name;
        ASSERT_TRUE(folder.Temp().WriteFile(L"Norvane\\skin\\bad\\MarloxWnd.xml", skin.layout)) << skin.name;
        ASSERT_TRUE(folder.Temp().WriteFile(L"Norvane\\skin\\skin.xml",
                                            "<?xml version=\"1.0\"?>\n<SkinSetting name=\"bad\" />\n"))
            << skin.name;
        VQManagerProcess manager = folder.Start(L"");
        HWND window = nullptr;
        WaitFor([&] { return (window = folder.FindMainWindow(manager.pid)) != nullptr || !manager.Running(); },
                kStartTimeout);
        ASSERT_NE(nullptr, window) << skin.name << ": exit code " << manager.ExitCode();
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(window) != FALSE; }, kStartTimeout)) << skin.name;
            size_t cards = 0;
        EXPECT_TRUE(WaitFor([&] { return (cards = CardPixels(window)) > 4 * 40 * 40; }, kStartTimeout))
            << skin.name << ": " << cards << " card pixels";
        EXPECT_TRUE(manager.Running()) << skin.name;
        PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(manager.WaitForExit(60000)) << skin.name;
    }
}

struct StartedProgram {
    PROCESS_INFORMATION info = {};
    ~StartedProgram() {
        if (!info.hProcess) return;
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, 30000);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
};

// The user opens the skin chooser, clicks the dark skin's thumbnail: the
// main window, the open scan window and the updater running from the same
// folder (a sibling program, found by its pid) all take the dark skin.
TEST(ManagerSkinTest, ChoosingTheDarkSkinRestylesEveryOpenWindowAndTheUpdater) {
    VQManagerFolder folder;
    ASSERT_TRUE(folder.Prepare());
    const std::wstring updater = folder.PathOf(L"Selbrin.exe");
    ASSERT_TRUE(CopyFileW(BuildPath(L"Norvane\\Selbrin.exe").c_str(), updater.c_str(), FALSE));
    VQManagerProcess manager = folder.Start(L"");
    HWND main = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (main = folder.FindMainWindow(manager.pid)) != nullptr || !manager.Running(); },
                        kStartTimeout));
    ASSERT_NE(nullptr, main) << "exit code " << manager.ExitCode();
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, kStartTimeout));

    StartedProgram selbrin;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    std::wstring command = L"\"" + updater + L"\"";
    ASSERT_TRUE(CreateProcessW(updater.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                               folder.Folder().c_str(), &startup, &selbrin.info));
    HWND update = WaitForProcessWindow(selbrin.info.dwProcessId, L"VQUpdateWnd");
    ASSERT_NE(nullptr, update);
    // Out of the way of the manager's windows, whose pixels are read too.
    SetWindowPos(update, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    PostMessageW(main, WM_COMMAND, 1000, 0);  // 扫描游戏: a window that stays open
    HWND scan = WaitForProcessWindow(manager.pid, L"VQScanWnd");
    ASSERT_NE(nullptr, scan);

    const POINT titlePoint = {200, 3};       // the title bars of the main and the scan window
    const POINT updateContent = {12, 200};  // the updater's content
    const COLORREF darkBand = RGB(0x15, 0x18, 0x1D), darkContent = RGB(0x1E, 0x22, 0x28);
    EXPECT_NE(darkBand, ClientPixel(main, titlePoint));
    EXPECT_NE(darkBand, ClientPixel(scan, titlePoint));
    EXPECT_TRUE(WaitFor([&] { return ClientPixel(update, updateContent) == RGB(0xF4, 0xF6, 0xF9); }, 30000))
        << "the updater's built-in content";
    KeepWindowPicture(main, L"Skin.MarloxWnd.builtin");
    KeepWindowPicture(scan, L"Skin.ScanWnd.builtin");

    PostMessageW(main, WM_COMMAND, 32779, 0);  // 换肤
    HWND chooser = WaitForProcessWindow(manager.pid, L"VQSkinSettingWnd");
    ASSERT_NE(nullptr, chooser);
    KeepWindowPicture(chooser, L"Skin.SkinSettingWnd");
    // The third thumbnail (the dark skin): container inset 30,16 under the
    // 29-pixel title, thumbnails 100 wide, 10 apart.
    PostClientClick(chooser, 30 + 2 * 110 + 50, 29 + 16 + 30);

    EXPECT_TRUE(WaitFor([&] { return ClientPixel(main, titlePoint) == darkBand; }, 30000)) << "the main window";
    // The harness keeps the main window above the others: the scan window
    // is lifted over it to be read.
    SetWindowPos(scan, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_TRUE(WaitFor([&] { return ClientPixel(scan, titlePoint) == darkBand; }, 30000)) << "the open scan window";
    EXPECT_TRUE(WaitFor([&] { return ClientPixel(update, updateContent) == darkContent; }, 30000))
        << "the updater, told by the manager";
    KeepWindowPicture(main, L"Skin.MarloxWnd.dark");
    KeepWindowPicture(scan, L"Skin.ScanWnd.dark");
    KeepWindowPicture(update, L"Skin.UpdateWnd.dark");
    // The dark skin's name "夜色" is stored, in the code page or in UTF-8.
    const std::string selection = folder.Temp().ReadFile(L"Norvane\\skin\\skin.xml");
    EXPECT_TRUE(selection.find("\xD2\xB9\xC9\xAB") != std::string::npos ||
                selection.find("\xE5\xA4\x9C\xE8\x89\xB2") != std::string::npos)
        << selection;

    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(manager.WaitForExit(60000));
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
