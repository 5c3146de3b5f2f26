// The runtime environment window reached as a user reaches it: the tile
// menu of an installed game, its environment check (command 1016) opens
// the window for that game in front; its close button only hides it, and
// the next check shows the same window again.

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/ManagerHarness.h"
#include "tests/support/ProcessWindow.h"

namespace Tessar {
namespace Test {
namespace {

const DWORD kStartTimeout = 90000;
const DWORD kTimeout = 30000;
const WORD kRuntimeCheckCommand = 1016;

HWND EnvironmentWindowOf(DWORD pid) {
    return FindWindowOfProcess(pid, L"VQEnvironmentWnd", false);
}

std::wstring TitleOf(HWND hwnd) {
    wchar_t text[256] = {};
    ::GetWindowTextW(hwnd, text, 256);
    return text;
}

// Opens the menu of the first tile on the installed games' page, which
// makes it the tile the menu's commands act on.
bool OpenFirstInstalledTileMenu(HWND window) {
    ClickAt(window, POINT{12 + 48, 57});
    return OpenTileMenu(window, POINT{66, 172}, kTimeout) != nullptr;
}

TEST(ManagerEnvironment, TileMenuCheckOpensTheEnvironmentWindowForThatGame) {
    VQManagerFolder folder;
    ASSERT_TRUE(folder.Prepare());
    const std::wstring demoGame = folder.Temp().PathOf(L"DemoGame.exe");
    ASSERT_TRUE(CopyFileW(BuildPath(L"demo\\game\\DemoGame.exe").c_str(), demoGame.c_str(), FALSE));
    ASSERT_TRUE(WriteInstalledDemoGame(folder.PathOf(L"data\\install.vqx"), 90001, demoGame,
                                       folder.Temp().PathOf(L"ran.txt")));
    VQManagerProcess manager = folder.Start(L"");
    HWND window = nullptr;
    WaitFor([&] { return (window = folder.FindMainWindow(manager.pid)) != nullptr || !manager.Running(); },
            kStartTimeout);
    ASSERT_NE(nullptr, window) << "exit code " << manager.ExitCode();
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(window) != FALSE; }, kStartTimeout));

    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(OpenFirstInstalledTileMenu(window)) << "round " << round;
        PostMessageW(window, WM_COMMAND, kRuntimeCheckCommand, 0);
        HWND environment = nullptr;
        ASSERT_TRUE(WaitFor(
            [&] {
                environment = EnvironmentWindowOf(manager.pid);
                return environment && ::IsWindowVisible(environment);
            },
            kTimeout))
            << "round " << round;
        const std::wstring title = TitleOf(environment);
        EXPECT_EQ(0u, title.find(L"游戏环境监测 - ")) << "round " << round;
        // Painted: rows and captions stand out from the ground.
        EXPECT_TRUE(WaitFor(
            [&] {
                const VQScreenImage image = CaptureWindow(environment);
                const RECT all = {0, 0, image.width, image.height};
                return image.width > 0 && DistinctColours(image, all) > 4;
            },
            kTimeout));
        ::CreateDirectoryW(ScreenshotFolder().c_str(), nullptr);
        SaveImagePng(CaptureWindow(environment), ScreenshotFolder() + L"\\Environment-" + std::to_wstring(round) + L".png");
        // The close button of the system menu hides it; the window stays.
        PostMessageW(environment, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(environment); }, kTimeout));
        EXPECT_TRUE(::IsWindow(environment));
    }
    PostMessageW(window, WM_COMMAND, 1006, 0);
    EXPECT_TRUE(manager.WaitForExit(kStartTimeout));
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
