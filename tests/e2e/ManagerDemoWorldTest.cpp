// The other roads of the demo world that `bash scripts/run` gives a new
// user, each from a click as the user makes it: a Flash game of the library
// downloads, installs and plays in Pallico; a web game opens in Dravenn
// (Wine has neither a Flash player nor a browser engine, so both windows
// stay empty inside); a game's runtime check opens the environment window
// for it; and the updater's check from the "更多" menu finds the world's
// newer release, whose upgrade replaces files of the program folder and
// starts the manager again.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/GameId.h"
#include "VQCore/gamelib/InstalledXmlFile.h"
#include "common/CodePage.h"
#include "tests/e2e/DemoWorldTest.h"
#include "tests/e2e/ManagerHarness.h"
#include "tests/e2e/ManagerRecords.h"
#include "tests/support/WebRoot.h"

namespace Tessar {
namespace Test {
namespace {

const WORD kRuntimeCheckCommand = 1016;
const WORD kUpdateCheckCommand = 1002;

std::string Narrow(const std::wstring& text) { return WideToNarrow(text); }

class ManagerDemoWorldTest : public VQDemoWorldTest {
protected:
    ManagerDemoWorldTest() : VQDemoWorldTest(true) {}
};

TEST_F(ManagerDemoWorldTest, AFlashGameOfTheLibraryDownloadsInstallsAndPlaysInPallico) {
    VQGameRecord game;
    const int column = PickCard(
        VQDatabaseXmlFile::kPublishedFlashList, [](const VQGameRecord& record) { return record.Register.empty(); }, game);
    ASSERT_GE(column, 0) << "no Flash game in the first row of the library's Flash page";
    ASSERT_EQ("flash", DemoRoadOf(game.ID));
    const std::wstring installedList = m_folder.PathOf(L"data\\install.vqx");

    StartShown();
    ASSERT_TRUE(SwitchTab(kLibraryTab));
    ASSERT_TRUE(SwitchTab(kLibraryFlashTab)) << "the library's Flash page did not show";
    KeepScreenshot(m_window, L"DemoWorld-FlashPage");
    ASSERT_TRUE(ClickCardUntil(CardAt(column), [&] {
        return DownloadListHolds(m_folder.PathOf(L"data\\download.vqx"), game.ID) ||
               InstalledRecord(installedList, game.ID) != nullptr;
    })) << "the click on the Flash card queued no download";
    boost::shared_ptr<VQGameInstalledInfo> installed;
    ASSERT_TRUE(WaitFor([&] { return (installed = InstalledRecord(installedList, game.ID)) != nullptr; },
                        kDemoStartTimeout))
        << "the Flash game never reached the installed list; requests: " << RequestsOf(m_world).substr(0, 600);
    // Played by Pallico with the config.ini its package brought.
    EXPECT_EQ(m_folder.PathOf(L"Pallico.exe"), installed->FullPath);
    // Unpacked into a folder of its own under the install folder.
    const std::wstring config = m_folder.Temp().PathOf(L"games\\FlashGames\\" + FiveDigits(game.ID) + L"\\" +
                                                        game.GameName + L"\\config.ini");
    EXPECT_EQ(config, installed->RunArg);
    EXPECT_TRUE(FileIsThere(config));

    ClickAt(m_window, kInstalledTab);
    HWND player = nullptr;
    ASSERT_TRUE(ClickCardUntil(kFirstCard, [&] { return (player = FindShownWindow(L"VQFlashWnd", m_manager.pid)) != nullptr; }))
        << "a click on the installed Flash game showed no Pallico window";
    EXPECT_EQ(0, _wcsicmp(m_folder.PathOf(L"Pallico.exe").c_str(), ProgramOf(EndAtTearDown(player)).c_str()));
    EXPECT_TRUE(KeepPaintedScreenshot(player, L"DemoWorld-Flash")) << "the Pallico window never painted";
}

TEST_F(ManagerDemoWorldTest, AWebGameOfTheLibraryOpensInDravenn) {
    VQGameRecord game;
    const int column = PickCard(
        VQDatabaseXmlFile::kPublishedWebList, [](const VQGameRecord& record) { return record.League != 0; }, game);
    ASSERT_GE(column, 0) << "no web game for the game browser in the first row of the library's web page";
    ASSERT_EQ("web", DemoRoadOf(game.ID));

    StartShown();
    ASSERT_TRUE(SwitchTab(kLibraryTab));
    ASSERT_TRUE(SwitchTab(kLibraryWebTab)) << "the library's web page did not show";
    KeepScreenshot(m_window, L"DemoWorld-WebPage");
    HWND browser = nullptr;
    ASSERT_TRUE(ClickCardUntil(CardAt(column), [&] {
        return (browser = FindShownWindow(L"VQBrowserWnd", m_manager.pid)) != nullptr;
    })) << "the click on the web game's card showed no Dravenn window";
    EXPECT_EQ(0, _wcsicmp(m_folder.PathOf(L"Dravenn.exe").c_str(), ProgramOf(EndAtTearDown(browser)).c_str()));
    // The first click lands the game on the installed page and registers it.
    EXPECT_TRUE(WaitFor([&] { return InstalledRecord(m_folder.PathOf(L"data\\install.vqx"), game.ID) != nullptr; },
                        kDemoTimeout));
    EXPECT_TRUE(WaitFor(
        [&] { return HasRequestStarting(m_world, "/click_register.php?soft=1.7&id=" + Narrow(FiveDigits(game.ID))); },
        kDemoTimeout));
    EXPECT_TRUE(KeepPaintedScreenshot(browser, L"DemoWorld-Web")) << "the Dravenn window never painted";
}

TEST_F(ManagerDemoWorldTest, AGamesRuntimeCheckOpensTheEnvironmentWindowForIt) {
    // The first game of the library needs some runtimes.
    VQGameRecord game;
    const int column = PickCard(
        VQDatabaseXmlFile::kPublishedSingleList, [](const VQGameRecord& record) { return record.Depend != 0; }, game);
    ASSERT_EQ(0, column) << "the library's first game names no runtimes";

    StartShown();
    ClickAt(m_window, kLibraryTab);
    HWND environment = nullptr;
    for (int attempt = 0; attempt < 3 && environment == nullptr; ++attempt) {
        ASSERT_NE(nullptr, OpenTileMenu(m_window, CardAt(column), kDemoTimeout)) << "the card's menu did not open";
        PostMessageW(m_window, WM_COMMAND, kRuntimeCheckCommand, 0);
        WaitFor([&] {
            HWND found = FindProcessWindow(m_manager.pid, L"VQEnvironmentWnd");
            environment = found && IsWindowVisible(found) ? found : nullptr;
            return environment != nullptr;
        }, kDemoTimeout);
    }
    ASSERT_NE(nullptr, environment) << "the runtime check opened no environment window; windows: "
                                    << WindowsOf(m_manager.pid);
    EXPECT_EQ(L"游戏环境监测 - " + game.GameName, TitleOf(environment));
    // Painted: rows and captions stand out from the ground.
    EXPECT_TRUE(WaitFor(
        [&] {
            const VQScreenImage image = CaptureWindow(environment);
            const RECT all = {0, 0, image.width, image.height};
            return image.width > 0 && DistinctColours(image, all) > 4;
        },
        kDemoTimeout));
    // The detection fills the rows; the game's three runtimes (DirectX,
    // Visual C++ 2008, Java) get rows of the runtime list.
    const RECT runtimes = {16, 285, 620, 500};
    EXPECT_TRUE(WaitFor([&] { return DistinctColours(CaptureWindow(environment), runtimes) > 4; }, 60000))
        << "the runtime list stayed empty";
    KeepPaintedScreenshot(environment, L"DemoWorld-Environment");
}

// A manager's shown main window whose program is the one given, in a
// process other than the one given.
HWND FindRestartedManager(const std::wstring& program, DWORD notPid, DWORD& pid) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, kManagerClass, kManagerTitle)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != notPid && IsWindowVisible(window) && _wcsicmp(ProgramOf(owner).c_str(), program.c_str()) == 0) {
            pid = owner;
            return window;
        }
    }
    return nullptr;
}

TEST_F(ManagerDemoWorldTest, TheUpdateCheckFindsTheNewReleaseUpgradesAndRestartsTheManager) {
    StartShown();
    // "更多" menu, "检查更新": the updater's shown check.
    PostMessageW(m_window, WM_COMMAND, kUpdateCheckCommand, 0);
    HWND updater = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (updater = FindShownWindow(L"VQUpdateWnd", m_manager.pid)) != nullptr; },
                        kDemoStartTimeout))
        << "the update check started no updater";
    const DWORD updaterPid = EndAtTearDown(updater);
    // It found 1.7.2.0, downloaded it and asks before it closes the manager.
    HWND question = WaitForProcessWindow(updaterPid, L"#32770", kDemoStartTimeout);
    ASSERT_NE(nullptr, question) << "the updater did not ask to install a new release; requests: "
                                 << RequestsOf(m_world).substr(0, 600);
    KeepPaintedScreenshot(updater, L"DemoWorld-Updater");
    EXPECT_TRUE(HasRequestStarting(m_world, "/files/DemoRelease.exe"));
    PostMessageW(question, WM_COMMAND, IDYES, 0);

    // The manager closes, the upgrade copies the release into the program
    // folder, and the manager starts again from there.
    EXPECT_TRUE(m_manager.WaitForExit(kDemoStartTimeout)) << "the manager was not closed for the upgrade";
    EXPECT_TRUE(WaitFor([&] { return FileIsThere(m_folder.PathOf(L"demo-release.txt")); }, kDemoStartTimeout))
        << "the release was not applied";
    DWORD restarted = 0;
    HWND window = nullptr;
    EXPECT_TRUE(WaitFor(
        [&] { return (window = FindRestartedManager(m_folder.PathOf(L"Norvane.exe"), m_manager.pid, restarted)) != nullptr; },
        kDemoStartTimeout))
        << "the manager did not start again";
    if (restarted != 0) {
        EndAtTearDown(restarted);
        KeepPaintedScreenshot(window, L"DemoWorld-Restarted");
    }
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
