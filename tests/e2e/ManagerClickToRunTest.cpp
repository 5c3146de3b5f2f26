// A game's whole life as a user lives it, in the demo world that `bash
// scripts/run` gives a new user (servers/demo_world.py, on the catalogue
// and packages of vqtool demo): a click on a not-installed game of the game
// library puts it on the download page, it comes over HTTP ranges from
// nginx (or peer-to-peer from the world's seeder), installs from its
// package and shows on the installed page; a click there runs it, and the
// tile menu's uninstall takes its files and its tile away again.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/InstalledXmlFile.h"
#include "common/CodePage.h"
#include "tests/e2e/DemoWorldTest.h"
#include "tests/e2e/ManagerHarness.h"
#include "tests/e2e/ManagerRecords.h"
#include "tests/support/WebRoot.h"

namespace Tessar {
namespace Test {
namespace {

const DWORD kStartTimeout = kDemoStartTimeout;
const DWORD kTimeout = kDemoTimeout;
// The installed tile's menu: run, separator, details, folder, shortcut,
// separator, delete icon, uninstall.
const int kMenuRow = 28;
const int kMenuSeparator = 9;
const int kUninstallItemY = 4 + kMenuRow + kMenuSeparator + 3 * kMenuRow + kMenuSeparator + kMenuRow + kMenuRow / 2;

std::string Narrow(const std::wstring& text) { return WideToNarrow(text); }

// Strongly coloured pixels of the first card's picture: a card's picture
// is a coloured square, the bare page a dark gradient.
size_t ColouredPixelsOfFirstCard(HWND window) {
    const VQScreenImage image = CaptureWindow(window);
    const RECT picture = {kFirstCard.x - 20, kFirstCard.y - 20, kFirstCard.x + 20, kFirstCard.y + 20};
    size_t count = 0;
    for (int y = picture.top; y < picture.bottom && y < image.height; ++y)
        for (int x = picture.left; x < picture.right && x < image.width; ++x) {
            const uint32_t c = image.At(x, y);
            const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
            if (std::max(r, std::max(g, b)) - std::min(r, std::min(g, b)) > 90) ++count;
        }
    return count;
}

class ManagerClickToRunTest : public VQDemoWorldTest {
protected:
    // A card of the library's first row whose game downloads by that way
    // (peer-to-peer or HTTP) and offers no registration before its first
    // start (that question would stand between the click and the game): its
    // place in the row, or -1; the game's id and name.
    int PickLibraryCard(bool peerToPeer, uint32_t& gameId, std::wstring& name) {
        VQGameRecord game;
        const int column = PickCard(
            VQDatabaseXmlFile::kPublishedSingleList,
            [&](const VQGameRecord& record) { return (record.DLType == 2) == peerToPeer && record.Register.empty(); },
            game);
        gameId = game.ID;
        name = game.GameName;
        return column;
    }

    // The demo game's window that shows the game's name, in a process
    // other than the manager's.
    HWND FindGameWindow(const std::wstring& name) const {
        HWND game = FindShownWindow(L"VQDemoGame", m_manager.pid);
        return game && TitleOf(game) == name ? game : nullptr;
    }

    // Opens the first installed tile's menu; the menu window or null.
    HWND OpenInstalledTileMenu(POINT tile) { return OpenTileMenu(m_window, tile, kTimeout); }
};

TEST_F(ManagerClickToRunTest, ALibraryGameIsDownloadedInstalledRunAndUninstalledByClicks) {
    uint32_t gameId = 0;
    std::wstring name;
    const int column = PickLibraryCard(false, gameId, name);
    ASSERT_GE(column, 0) << "no HTTP game without a registration page in the library's first row";
    ASSERT_EQ("http", DemoRoadOf(gameId)) << "the catalogue and the demo world disagree on game " << gameId;
    const std::string package = ReadWholeFile(BuildPath(L"demo\\world\\packages\\" + FiveDigits(gameId) + L".vqz"));
    ASSERT_FALSE(package.empty()) << "the demo world has no package of game " << gameId;
    const std::wstring downloadList = m_folder.PathOf(L"data\\download.vqx");
    const std::wstring installedList = m_folder.PathOf(L"data\\install.vqx");

    StartShown();
    ClickAt(m_window, kLibraryTab);
    const POINT card = CardAt(column);
    // The click puts it on the download page (the list is written at once);
    // a fast download may already be installed when the list is read.
    ASSERT_TRUE(ClickCardUntil(card, [&] {
        return DownloadListHolds(downloadList, gameId) || InstalledRecord(installedList, gameId) != nullptr;
    })) << "the click on the library card queued no download";
    KeepScreenshot(m_window, L"ClickToRun-Downloading");

    boost::shared_ptr<VQGameInstalledInfo> installed;
    ASSERT_TRUE(WaitFor([&] { return (installed = InstalledRecord(installedList, gameId)) != nullptr; }, kStartTimeout))
        << "the game never reached the installed list; requests: " << RequestsOf(m_world).substr(0, 600);
    // Over HTTP ranges from nginx: the package as the world serves it.
    EXPECT_EQ(package, ReadWholeFile(m_folder.Temp().PathOf(L"downloads\\" + FiveDigits(gameId) + L".vqz")));
    // Installed into a folder of its own, named after the game.
    const std::wstring folder = m_folder.Temp().PathOf(L"games\\" + name);
    const std::wstring program = folder + L"\\DemoGame.exe";
    EXPECT_EQ(program, installed->FullPath);
    EXPECT_TRUE(FileIsThere(program));
    EXPECT_TRUE(FileIsThere(folder + L"\\VQUnistall.dat")) << "no uninstall record";
    EXPECT_TRUE(WaitFor([&] { return !DownloadListHolds(downloadList, gameId); }, kTimeout))
        << "the game stayed on the download list";
    EXPECT_TRUE(HasRequestStarting(m_world, "/query_url.php?soft=1.7&id=" + Narrow(FiveDigits(gameId))));
    EXPECT_TRUE(WaitFor(
        [&] { return HasRequestStarting(m_world, "/install_complete.php?soft=1.7&id=" + Narrow(FiveDigits(gameId))); },
        kTimeout));

    // The installed page's only tile runs it: the demo game shows the
    // game's name.
    ClickAt(m_window, kInstalledTab);
    HWND game = nullptr;
    ASSERT_TRUE(ClickCardUntil(kFirstCard, [&] { return (game = FindGameWindow(name)) != nullptr; }))
        << "a click on the installed tile started no game";
    const DWORD gamePid = EndAtTearDown(game);
    const std::wstring started = ProgramOf(gamePid);
    EXPECT_EQ(0, _wcsicmp(program.c_str(), started.c_str())) << Narrow(started);
    EXPECT_TRUE(WaitFor(
        [&] {
            auto record = InstalledRecord(installedList, gameId);
            return record && record->RunCount == 1 && record->LastRunTime > 0;
        },
        kTimeout))
        << "the start was not recorded";
    KeepScreenshot(m_window, L"ClickToRun-Installed");
    KeepScreenshot(game, L"ClickToRun-Game");

    // The user ends the game, then uninstalls it from the tile's menu.
    PostMessageW(game, WM_CLOSE, 0, 0);
    ASSERT_TRUE(ProcessEnded(gamePid, kTimeout)) << "the game did not end";
    EXPECT_TRUE(WaitFor([&] { return ColouredPixelsOfFirstCard(m_window) > 400; }, kTimeout))
        << "no tile on the installed page";
    for (int attempt = 0; attempt < 3 && FileIsThere(program); ++attempt) {
        HWND menu = OpenInstalledTileMenu(kFirstCard);
        ASSERT_NE(nullptr, menu) << "the tile menu did not open";
        Sleep(300);
        RECT rc = {};
        GetClientRect(menu, &rc);
        ClickAt(menu, POINT{rc.right / 2, kUninstallItemY});
        WaitFor([&] { return !FileIsThere(program); }, 8000);
    }
    EXPECT_TRUE(WaitFor([&] { return GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES; }, kTimeout))
        << "the game folder stayed";
    EXPECT_TRUE(WaitFor([&] { return InstalledRecord(installedList, gameId) == nullptr; }, kTimeout))
        << "the game is still listed installed";
    // The installed page is empty again: a click where the tile was runs nothing.
    EXPECT_TRUE(WaitFor([&] { return ColouredPixelsOfFirstCard(m_window) < 40; }, kTimeout))
        << "the tile stayed on the installed page";
    ClickAt(m_window, kFirstCard);
    Sleep(2000);
    EXPECT_EQ(nullptr, FindShownWindow(L"VQDemoGame", m_manager.pid));
    KeepScreenshot(m_window, L"ClickToRun-Uninstalled");
    EXPECT_TRUE(m_manager.Running());
}

TEST_F(ManagerClickToRunTest, APeerToPeerGameComesFromTheSwarmInstallsAndRuns) {
    // The world's aria2c seeds the game's package, announced to its tracker;
    // the update server hands out the torrent, whose web seed leads
    // nowhere, so the bytes can only come from the peer.
    uint32_t gameId = 0;
    std::wstring name;
    const int column = PickLibraryCard(true, gameId, name);
    ASSERT_GE(column, 0) << "no peer-to-peer game without a registration page in the library's first row";
    ASSERT_EQ("p2p", DemoRoadOf(gameId)) << "the catalogue and the demo world disagree on game " << gameId;
    const std::string package = ReadWholeFile(BuildPath(L"demo\\world\\packages\\" + FiveDigits(gameId) + L".vqz"));
    ASSERT_FALSE(package.empty()) << "the demo world has no package of game " << gameId;
    const std::wstring installedList = m_folder.PathOf(L"data\\install.vqx");

    StartShown();
    ClickAt(m_window, kLibraryTab);
    const POINT card = CardAt(column);
    ASSERT_TRUE(ClickCardUntil(card, [&] {
        return DownloadListHolds(m_folder.PathOf(L"data\\download.vqx"), gameId) ||
               InstalledRecord(installedList, gameId) != nullptr;
    })) << "the click on the library card queued no download";
    KeepScreenshot(m_window, L"ClickToRun-PeerToPeer");

    boost::shared_ptr<VQGameInstalledInfo> installed;
    ASSERT_TRUE(WaitFor([&] { return (installed = InstalledRecord(installedList, gameId)) != nullptr; }, kStartTimeout))
        << "the game never reached the installed list; requests: " << RequestsOf(m_world).substr(0, 600);
    const std::wstring program = m_folder.Temp().PathOf(L"games\\" + name + L"\\DemoGame.exe");
    EXPECT_EQ(program, installed->FullPath);
    EXPECT_EQ(package, ReadWholeFile(m_folder.Temp().PathOf(L"downloads\\" + FiveDigits(gameId) + L".vqz")))
        << "the swarm's package was not what came";
    EXPECT_TRUE(HasRequestStarting(m_world, "/files/torrents/" + Narrow(FiveDigits(gameId)) + ".torrent"));

    ClickAt(m_window, kInstalledTab);
    HWND game = nullptr;
    ASSERT_TRUE(ClickCardUntil(kFirstCard, [&] { return (game = FindGameWindow(name)) != nullptr; }))
        << "a click on the installed tile started no game";
    EXPECT_EQ(0, _wcsicmp(program.c_str(), ProgramOf(EndAtTearDown(game)).c_str()));
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
