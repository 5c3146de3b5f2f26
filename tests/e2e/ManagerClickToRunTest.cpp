// A game's whole life as a user lives it: a click on a not-installed game
// of the game library puts it on the download page, it comes over HTTP
// (the update server names the file, nginx serves it), installs from its
// package and shows on the installed page; a click there runs it, and the
// tile menu's uninstall takes its files and its tile away again.

#include <gtest/gtest.h>

#include <windows.h>

#include <boost/make_shared.hpp>

#include <algorithm>
#include <string>
#include <vector>

#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/DownloadXmlFile.h"
#include "VQCore/gamelib/InstalledXmlFile.h"
#include "VQCore/gamelib/Settings.h"
#include "common/CodePage.h"
#include "tests/e2e/ManagerHarness.h"
#include "tests/e2e/ManagerRecords.h"
#include "tests/support/LocalServer.h"
#include "tests/support/TorrentSwarm.h"
#include "tests/support/UpdateServer.h"
#include "tests/support/WebRoot.h"

namespace Tessar {
namespace Test {
namespace {

const DWORD kStartTimeout = 90000;
const DWORD kTimeout = 30000;
// The default skin's tabs, the first card of a tile page and the distance
// between cards (client coordinates), and the cards of a page's first row.
const POINT kInstalledTab = {12 + 48, 57};
const POINT kLibraryTab = {12 + 96 * 2 + 48, 57};
const POINT kFirstCard = {66, 155};
const int kCardPitchX = 91;
const int kCardsInARow = 10;
// The installed tile's menu: run, separator, details, folder, shortcut,
// separator, delete icon, uninstall.
const int kMenuRow = 28;
const int kMenuSeparator = 9;
const int kUninstallItemY = 4 + kMenuRow + kMenuSeparator + 3 * kMenuRow + kMenuSeparator + kMenuRow + kMenuRow / 2;

std::string Narrow(const std::wstring& text) { return WideToNarrow(text); }

std::string RequestsOf(const VQUpdateServer& server) {
    std::string all;
    for (const std::string& line : server.Requests()) all += line + " ";
    return all;
}

struct ClassSearch {
    const wchar_t* className;
    DWORD notPid;
    HWND found;
};

BOOL CALLBACK FindShownOfClass(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<ClassSearch*>(param);
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (wcscmp(name, search->className) != 0 || !IsWindowVisible(hwnd) || pid == search->notPid) return TRUE;
    search->found = hwnd;
    return FALSE;
}

// A shown window of that class in any process but the one given.
HWND FindShownWindow(const wchar_t* className, DWORD notPid) {
    ClassSearch search = {className, notPid, nullptr};
    EnumWindows(&FindShownOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The program file of a running process, empty when it cannot be had.
std::wstring ProgramOf(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return std::wstring();
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    std::wstring result;
    if (QueryFullProcessImageNameW(process, 0, path, &size)) result.assign(path, size);
    CloseHandle(process);
    return result;
}

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

class ManagerClickToRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.Prepare());
        ASSERT_TRUE(m_update.Start(m_info.Path()));
        const std::string base = Narrow(m_update.Url(L""));
        ASSERT_TRUE(m_folder.WriteServers(base, base));
        VQSettings settings(m_folder.PathOf(L"config\\config.xml"));
        ASSERT_TRUE(settings.Load());
        settings.SetBool(L"CompleteMessageTip", false);
        ASSERT_TRUE(settings.Save());
    }
    void TearDown() override {
        if (m_gamePid) EndProcess(m_gamePid);
        m_folder.KillAll();
    }

    // The update server's answer for the game: the package at `url`.
    void WriteInfo(uint32_t id, const std::wstring& url, const std::string& bytes) {
        const std::string xml = "<?xml version=\"1.0\"?>\n<FILE><DownloadUrl>" + Narrow(url) + "</DownloadUrl><Md5>" +
                                Narrow(Md5Of(bytes)) + "</Md5><FileSize>" + std::to_string(bytes.size()) +
                                "</FileSize><FileName>demo.vqz</FileName><DownloadType>1</DownloadType></FILE>\n";
        wchar_t name[32];
        _snwprintf(name, 32, L"query_url\\%05u.xml", id);
        ASSERT_TRUE(m_info.WriteFile(name, xml));
    }

    // A card of the library's first row whose game downloads by that way
    // (peer-to-peer or HTTP) and offers no registration before its first
    // start (that question would stand between the click and the game): its
    // place in the row, or -1.
    int PickLibraryCard(bool peerToPeer, uint32_t& gameId) {
        VQDatabaseXmlFile database(m_folder.PathOf(L"data\\database.vqx"));
        if (!database.Load()) return -1;
        const VQDatabaseXmlFile::IdList& ids = database.GetIdList(VQDatabaseXmlFile::kPublishedSingleList);
        for (size_t i = 0; i < ids.size() && i < static_cast<size_t>(kCardsInARow); ++i) {
            const VQGameRecord* record = database.FindById(ids[i]);
            if (record && (record->DLType == 2) == peerToPeer && record->Register.empty()) {
                gameId = ids[i];
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    void StartShown() {
        m_manager = m_folder.Start(L"");
        WaitFor([&] { return (m_window = m_folder.FindMainWindow(m_manager.pid)) != nullptr || !m_manager.Running(); },
                kStartTimeout);
        ASSERT_NE(nullptr, m_window) << "exit code " << m_manager.ExitCode();
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(m_window) != FALSE; }, kStartTimeout));
    }

    // Clicks down a card (a click acts only on the card's picture) until
    // the condition holds.
    bool ClickCardUntil(POINT card, const std::function<bool()>& done) {
        for (int attempt = 0; attempt < 3 && !done(); ++attempt)
            for (int y = card.y - 30; y <= card.y + 30 && !done(); y += 15) {
                ClickAt(m_window, POINT{card.x, y});
                WaitFor(done, 3000);
            }
        return WaitFor(done, kTimeout);
    }

    // Opens the first installed tile's menu; the menu window or null.
    HWND OpenInstalledTileMenu(POINT tile) { return OpenTileMenu(m_window, tile, kTimeout); }

    VQManagerFolder m_folder;
    VQTempFolder m_info;
    VQUpdateServer m_update;
    VQManagerProcess m_manager;
    HWND m_window = nullptr;
    DWORD m_gamePid = 0;
};

TEST_F(ManagerClickToRunTest, ALibraryGameIsDownloadedInstalledRunAndUninstalledByClicks) {
    const std::string package = ReadWholeFile(BuildPath(L"demo\\server\\packages\\demo.vqz"));
    ASSERT_FALSE(package.empty()) << "the build's demo package is missing";
    VQWebRoot files;
    ASSERT_TRUE(files.WriteFile(L"demo.vqz", package));
    VQLocalServer nginx;
    ASSERT_TRUE(StartNginx(nginx, files));
    uint32_t gameId = 0;
    const int column = PickLibraryCard(false, gameId);
    ASSERT_GE(column, 0) << "no HTTP game without a registration page in the library's first row";
    WriteInfo(gameId, nginx.Url(L"/demo.vqz"), package);
    const std::wstring downloadList = m_folder.PathOf(L"data\\download.vqx");
    const std::wstring installedList = m_folder.PathOf(L"data\\install.vqx");

    StartShown();
    ClickAt(m_window, kLibraryTab);
    const POINT card = {kFirstCard.x + column * kCardPitchX, kFirstCard.y};
    const std::wstring program = m_folder.Temp().PathOf(L"games\\Demo Game\\DemoGame.exe");
    // The click puts it on the download page (the list is written at once);
    // a fast download may already be installed when the list is read.
    ASSERT_TRUE(ClickCardUntil(card, [&] {
        return DownloadListHolds(downloadList, gameId) || InstalledRecord(installedList, gameId) != nullptr;
    })) << "the click on the library card queued no download";
    KeepScreenshot(m_window, L"ClickToRun-Downloading");

    boost::shared_ptr<VQGameInstalledInfo> installed;
    ASSERT_TRUE(WaitFor([&] { return (installed = InstalledRecord(installedList, gameId)) != nullptr; }, kStartTimeout))
        << "the game never reached the installed list; requests: " << m_update.Requests().size();
    EXPECT_EQ(program, installed->FullPath);
    EXPECT_TRUE(FileIsThere(program));
    EXPECT_TRUE(FileIsThere(m_folder.Temp().PathOf(L"games\\Demo Game\\VQUnistall.dat"))) << "no uninstall record";
    EXPECT_TRUE(WaitFor([&] { return !DownloadListHolds(downloadList, gameId); }, kTimeout))
        << "the game stayed on the download list";
    wchar_t id[8];
    _snwprintf(id, 8, L"%05u", gameId);
    EXPECT_TRUE(HasRequestStarting(m_update, "/query_url.php?soft=1.7&id=" + Narrow(id)));
    EXPECT_TRUE(WaitFor([&] { return HasRequestStarting(m_update, "/install_complete.php?soft=1.7&id=" + Narrow(id)); },
                        kTimeout));

    // The installed page's only tile runs it.
    ClickAt(m_window, kInstalledTab);
    HWND game = nullptr;
    ASSERT_TRUE(ClickCardUntil(kFirstCard, [&] { return (game = FindShownWindow(L"VQDemoGame", m_manager.pid)) != nullptr; }))
        << "a click on the installed tile started no game";
    GetWindowThreadProcessId(game, &m_gamePid);
    const std::wstring started = ProgramOf(m_gamePid);
    EXPECT_EQ(0, _wcsicmp(program.c_str(), started.c_str())) << Narrow(started);
    EXPECT_TRUE(WaitFor(
        [&] {
            auto record = InstalledRecord(installedList, gameId);
            return record && record->RunCount == 1 && record->LastRunTime > 0;
        },
        kTimeout))
        << "the start was not recorded";
    KeepScreenshot(m_window, L"ClickToRun-Installed");

    // The user ends the game, then uninstalls it from the tile's menu.
    PostMessageW(game, WM_CLOSE, 0, 0);
    ASSERT_TRUE(ProcessEnded(m_gamePid, kTimeout)) << "the game did not end";
    m_gamePid = 0;
    EXPECT_TRUE(WaitFor([&] { return ColouredPixelsOfFirstCard(m_window) > 400; }, kTimeout))
        << "no tile on the installed page";
    const std::wstring folder = m_folder.Temp().PathOf(L"games\\Demo Game");
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
    // The demo package seeded by aria2c, announced to the small tracker; the
    // update server hands out its torrent, and the web seed leads nowhere,
    // so the bytes can only come from the peer.
    const std::string package = ReadWholeFile(BuildPath(L"demo\\server\\packages\\demo.vqz"));
    ASSERT_FALSE(package.empty()) << "the build's demo package is missing";
    VQTempFolder swarm;
    ASSERT_TRUE(swarm.WriteFile(L"seed\\demo.vqz", package));
    VQTracker tracker;
    ASSERT_TRUE(tracker.Start());
    ASSERT_TRUE(m_info.MakeFolder(L"files"));
    ASSERT_TRUE(MakeTorrent(swarm.PathOf(L"seed\\demo.vqz"), m_info.PathOf(L"files\\demo.torrent"),
                            tracker.AnnounceUrl()));
    VQAria2Peer seeder;
    ASSERT_TRUE(seeder.StartSeed(m_info.PathOf(L"files\\demo.torrent"), swarm.PathOf(L"seed")));
    uint32_t gameId = 0;
    const int column = PickLibraryCard(true, gameId);
    ASSERT_GE(column, 0) << "no peer-to-peer game without a registration page in the library's first row";
    wchar_t id[8];
    _snwprintf(id, 8, L"%05u", gameId);
    const std::string info =
        "<?xml version=\"1.0\"?>\n<FILE><DownloadType>2</DownloadType><DownloadUrl>http://127.0.0.1:9/none/"
        "</DownloadUrl><Md5>{md5:files/demo.torrent}</Md5><FileSize>{size:files/demo.torrent}</FileSize>"
        "<FileName>demo.vqz</FileName><TorrentUrl>{base}/files/files/demo.torrent</TorrentUrl></FILE>\n";
    ASSERT_TRUE(m_info.WriteFile(L"query_url\\" + std::wstring(id) + L".xml", info));
    const std::wstring installedList = m_folder.PathOf(L"data\\install.vqx");

    StartShown();
    ClickAt(m_window, kLibraryTab);
    const POINT card = {kFirstCard.x + column * kCardPitchX, kFirstCard.y};
    ASSERT_TRUE(ClickCardUntil(card, [&] {
        return DownloadListHolds(m_folder.PathOf(L"data\\download.vqx"), gameId) ||
               InstalledRecord(installedList, gameId) != nullptr;
    })) << "the click on the library card queued no download";
    KeepScreenshot(m_window, L"ClickToRun-PeerToPeer");

    boost::shared_ptr<VQGameInstalledInfo> installed;
    ASSERT_TRUE(WaitFor([&] { return (installed = InstalledRecord(installedList, gameId)) != nullptr; }, kStartTimeout))
        << "the game never reached the installed list; requests: " << RequestsOf(m_update).substr(0, 600)
        << "; tracker lists the seeder: " << tracker.ListsSeederOnPort(seeder.Port());
    const std::wstring program = m_folder.Temp().PathOf(L"games\\Demo Game\\DemoGame.exe");
    EXPECT_EQ(program, installed->FullPath);
    EXPECT_EQ(package, ReadWholeFile(m_folder.Temp().PathOf(L"downloads\\demo.vqz")))
        << "the swarm's package was not what came";
    EXPECT_TRUE(HasRequestStarting(m_update, "/files/files/demo.torrent"));

    ClickAt(m_window, kInstalledTab);
    HWND game = nullptr;
    ASSERT_TRUE(ClickCardUntil(kFirstCard, [&] { return (game = FindShownWindow(L"VQDemoGame", m_manager.pid)) != nullptr; }))
        << "a click on the installed tile started no game";
    GetWindowThreadProcessId(game, &m_gamePid);
    EXPECT_EQ(0, _wcsicmp(program.c_str(), ProgramOf(m_gamePid).c_str()));
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
