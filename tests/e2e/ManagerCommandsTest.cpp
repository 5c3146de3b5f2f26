// The main window's menus and commands as a user reaches them: the more
// button opens its menu, an item of it opens its dialog, commands that
// destroy something ask first and do nothing on cancel, and exit ends the
// program. A screenshot of every window opened is kept.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>
#include <utility>

#include <boost/make_shared.hpp>

#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/DownloadXmlFile.h"
#include "VQCore/gamelib/GameId.h"
#include "VQCore/gamelib/InstalledXmlFile.h"
#include "VQCore/gamelib/Settings.h"
#include "tests/e2e/ManagerHarness.h"

namespace Tessar {
namespace Test {
namespace {

const DWORD kStartTimeout = 90000;
const DWORD kTimeout = 30000;
// The more button and the search box in the title bar (client coordinates).
const POINT kMoreButton = {854, 20};
const POINT kSearchBox = {680, 19};

class ManagerCommandsTest : public ::testing::Test {
protected:
    void StartShown() {
        ASSERT_TRUE(m_folder.Prepare());
        m_manager = m_folder.Start(L"");
        WaitFor([&] { return (m_window = m_folder.FindMainWindow(m_manager.pid)) != nullptr || !m_manager.Running(); },
                kStartTimeout);
        ASSERT_NE(nullptr, m_window) << "exit code " << m_manager.ExitCode();
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(m_window) != FALSE; }, kStartTimeout));
    }
    HWND WaitForWindow(const wchar_t* className) {
        HWND found = nullptr;
        WaitFor([&] { return (found = FindProcessWindow(m_manager.pid, className)) != nullptr; }, kTimeout);
        return found;
    }

    VQManagerFolder m_folder;
    VQManagerProcess m_manager;
    HWND m_window = nullptr;
};

TEST_F(ManagerCommandsTest, MoreButtonOpensItsMenuAndAboutOpensTheAboutBox) {
    StartShown();
    ClickAt(m_window, kMoreButton);
    HWND menu = WaitForWindow(L"VQMenuWnd");
    ASSERT_NE(nullptr, menu) << "the more menu did not open: " << WindowsOf(m_manager.pid);
    KeepScreenshot(menu, L"Commands-MoreMenu");
    // "关于Tovana...": below three items, a separator and two more items.
    RECT rc = {};
    ::GetClientRect(menu, &rc);
    ClickAt(menu, POINT{rc.right / 2, 4 + 3 * 28 + 9 + 2 * 28 + 14});
    HWND about = WaitForWindow(L"VQAboutDlg");
    ASSERT_NE(nullptr, about) << "the about box did not open";
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowEnabled(m_window); }, kTimeout)) << "the about box is modal";
    KeepScreenshot(about, L"Commands-AboutDlg");
    PostMessageW(about, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(about); }, kTimeout));
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowEnabled(m_window) != FALSE; }, kTimeout));
    EXPECT_TRUE(m_manager.Running());
}

TEST_F(ManagerCommandsTest, CommandsReachTheirOperations) {
    StartShown();
    // Menu and tray item id -> the window it opens. The more menu, the
    // download page's menu and the tray menu send these ids (the menus'
    // own tests check which item sends which id).
    const struct {
        const char* name;
        WORD id;
        const wchar_t* windowClass;
    } cases[] = {
        {"about", 1005, L"VQAboutDlg"},
        {"settings", 1001, L"VQSettingsDlg"},
        {"download-settings", 1025, L"VQSettingsDlg"},
        {"delete-all-tasks", 1024, L"VQMessageDlg"},
        {"scan-games", 1000, L"VQScanWnd"},
        {"scan-games-again", 1000, L"VQScanWnd"},
        {"tray-settings", 32780, L"VQSettingsDlg"},
        {"tray-skin", 32779, L"VQSkinSettingWnd"},
    };
    for (const auto& c : cases) {
        PostMessageW(m_window, WM_COMMAND, c.id, 0);
        HWND opened = WaitForWindow(c.windowClass);
        ASSERT_NE(nullptr, opened) << c.name << ": " << WindowsOf(m_manager.pid);
        KeepScreenshot(opened, std::wstring(L"Commands-") + std::wstring(c.name, c.name + strlen(c.name)));
        // Closing is cancelling: nothing happens and the window goes on.
        PostMessageW(opened, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitFor([&] { return !::IsWindow(opened) || !::IsWindowVisible(opened); }, kTimeout)) << c.name;
        EXPECT_TRUE(WaitFor([&] { return ::IsWindowEnabled(m_window) != FALSE; }, kTimeout)) << c.name;
    }
    // Hidden from the tray's menu, shown again by its first item.
    PostMessageW(m_window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(m_window); }, kTimeout));
    PostMessageW(m_window, WM_COMMAND, 32777, 0);
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(m_window) != FALSE; }, kTimeout));
    // Exit ends the program (no download runs, so nothing is asked).
    PostMessageW(m_window, WM_COMMAND, 1006, 0);
    EXPECT_TRUE(m_manager.WaitForExit(kStartTimeout));
}

TEST_F(ManagerCommandsTest, SearchDropDownListsNamesWhileTyping) {
    StartShown();
    const struct {
        const char* name;
        const wchar_t* text;
    } cases[] = {{"chinese", L"梦幻"}, {"pinyin", L"menghuan"}};
    for (const auto& c : cases) {
        ClickAt(m_window, kSearchBox);
        PostMessageW(m_window, WM_KEYDOWN, VK_END, 0);
        for (int i = 0; i < 16; ++i) PostMessageW(m_window, WM_KEYDOWN, VK_BACK, 1);
        for (wchar_t ch : std::wstring(c.text)) PostMessageW(m_window, WM_CHAR, ch, 1);
        HWND drop = WaitForWindow(L"VQSearchWnd");
        ASSERT_NE(nullptr, drop) << c.name << ": " << WindowsOf(m_manager.pid);
        RECT dropRect = {}, boxRect = {};
        ::GetWindowRect(drop, &dropRect);
        ::GetWindowRect(m_window, &boxRect);
        EXPECT_GT(dropRect.bottom - dropRect.top, 19) << c.name << ": names and the search-more entry";
        EXPECT_GT(dropRect.top, boxRect.top) << c.name << ": below the box";
        // Painted: the names stand out from the list's ground.
        EXPECT_TRUE(WaitFor(
            [&] {
                const VQScreenImage image = CaptureWindow(drop);
                const RECT all = {0, 0, image.width, image.height};
                return image.width > 0 && DistinctColours(image, all) > 2;
            },
            kTimeout))
            << c.name;
        KeepScreenshot(drop, std::wstring(L"Commands-SearchWnd-") + std::wstring(c.name, c.name + strlen(c.name)));
        // The search button runs the search and the drop-down goes.
        ClickAt(m_window, POINT{797, 19});
        EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(drop); }, kTimeout)) << c.name;
    }
    EXPECT_TRUE(m_manager.Running());
}

std::string ReadAll(const std::wstring& path) {
    std::string bytes;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
    ::CloseHandle(file);
    return bytes;
}

TEST_F(ManagerCommandsTest, TileMenuDeleteIconTakesTheGameOffTheInstalledList) {
    ASSERT_TRUE(m_folder.Prepare());
    const std::wstring demoGame = m_folder.Temp().PathOf(L"DemoGame.exe");
    ASSERT_TRUE(CopyFileW(BuildPath(L"demo\\game\\DemoGame.exe").c_str(), demoGame.c_str(), FALSE));
    const std::wstring list = m_folder.PathOf(L"data\\install.vqx");
    ASSERT_TRUE(WriteInstalledDemoGame(list, 90001, demoGame, m_folder.Temp().PathOf(L"ran.txt")));
    const std::string before = ReadAll(list);
    ASSERT_FALSE(before.empty());
    m_manager = m_folder.Start(L"");
    WaitFor([&] { return (m_window = m_folder.FindMainWindow(m_manager.pid)) != nullptr || !m_manager.Running(); },
            kStartTimeout);
    ASSERT_NE(nullptr, m_window);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(m_window) != FALSE; }, kStartTimeout));
    // The installed games' tab, then a right click on its first tile.
    ClickAt(m_window, POINT{12 + 48, 57});
    const POINT tile = {66, 172};
    HWND menu = OpenTileMenu(m_window, tile, kTimeout);
    ASSERT_NE(nullptr, menu) << "the tile menu did not open: " << WindowsOf(m_manager.pid);
    KeepScreenshot(menu, L"Commands-IconMenuInstalled");
    // "删除图标": below run, a separator, three items and a separator.
    RECT rc = {};
    ::GetClientRect(menu, &rc);
    ClickAt(menu, POINT{rc.right / 2, 4 + 28 + 9 + 3 * 28 + 9 + 14});
    EXPECT_TRUE(WaitFor([&] { return ReadAll(list) != before; }, kTimeout)) << "the installed list was not rewritten";
    EXPECT_TRUE(m_manager.Running());
}

// The skinned message box "MessageDlg" (360 x 170): its buttons and option
// in client coordinates.
const POINT kMessageOk = {223, 147};
const POINT kMessageCancel = {307, 147};

// The download list with one stopped download of the game.
bool WriteStoppedDownload(const std::wstring& listPath, uint32_t gameId) {
    VQDownloadXmlFile list;
    auto record = boost::make_shared<VQGameDownloadInfo>();
    record->ID = gameId;
    record->Type = 1;
    record->URL = L"http://127.0.0.1:9/none.vqz";
    record->State = 4;
    record->Total = 1 << 20;
    record->Completed = 1 << 10;
    list.SetRecords({record});
    return list.Save(listPath);
}

bool DownloadListHolds(const std::wstring& listPath, uint32_t gameId) {
    VQDownloadXmlFile list;
    if (!list.LoadFile(listPath)) return false;
    for (const auto& record : list.GetRecords())
        if (record->ID == gameId) return true;
    return false;
}

TEST_F(ManagerCommandsTest, DeleteAllTasksAsksFirstAndOnlyYesDeletes) {
    ASSERT_TRUE(m_folder.Prepare());
    VQDatabaseXmlFile database(m_folder.PathOf(L"data\\database.vqx"));
    ASSERT_TRUE(database.Load());
    uint32_t game = 0;
    for (const auto& entry : database.GetGames())
        if (IsSingleGameId(entry.first) && !game) game = entry.first;
    ASSERT_NE(0u, game);
    const std::wstring list = m_folder.PathOf(L"data\\download.vqx");
    ASSERT_TRUE(WriteStoppedDownload(list, game));
    m_manager = m_folder.Start(L"");
    WaitFor([&] { return (m_window = m_folder.FindMainWindow(m_manager.pid)) != nullptr || !m_manager.Running(); },
            kStartTimeout);
    ASSERT_NE(nullptr, m_window);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(m_window) != FALSE; }, kStartTimeout));
    // The answers in turn: only the last one deletes.
    const struct {
        const char* name;
        bool byCloseMessage;
        POINT button;
        bool deletes;
    } answers[] = {
        {"cancel", false, kMessageCancel, false},
        {"closed", true, POINT{}, false},
        {"yes", false, kMessageOk, true},
    };
    for (const auto& answer : answers) {
        PostMessageW(m_window, WM_COMMAND, 1024, 0);
        HWND ask = WaitForWindow(L"VQMessageDlg");
        ASSERT_NE(nullptr, ask) << answer.name << ": " << WindowsOf(m_manager.pid);
        EXPECT_TRUE(WaitFor([&] { return !::IsWindowEnabled(m_window); }, kTimeout)) << answer.name << ": asked modally";
        KeepScreenshot(ask, std::wstring(L"Commands-DeleteAll-") + std::wstring(answer.name, answer.name + strlen(answer.name)));
        if (answer.byCloseMessage)
            PostMessageW(ask, WM_CLOSE, 0, 0);
        else
            ClickAt(ask, answer.button);
        ASSERT_TRUE(WaitFor([&] { return !::IsWindow(ask); }, kTimeout)) << answer.name;
        ASSERT_TRUE(WaitFor([&] { return ::IsWindowEnabled(m_window) != FALSE; }, kTimeout)) << answer.name;
        if (answer.deletes) {
            EXPECT_TRUE(WaitFor([&] { return !DownloadListHolds(list, game); }, kTimeout)) << answer.name;
        } else {
            ::Sleep(500);
            EXPECT_TRUE(DownloadListHolds(list, game)) << answer.name << ": nothing deleted";
        }
    }
    EXPECT_TRUE(m_manager.Running());
}

TEST_F(ManagerCommandsTest, TileMenuDetailsOpensTheDetailsWindow) {
    StartShown();
    // The hot page (tab 1), a right click on its first card.
    ClickAt(m_window, POINT{12 + 96 + 48, 57});
    const POINT tile = {66, 160};
    HWND menu = OpenTileMenu(m_window, tile, kTimeout);
    ASSERT_NE(nullptr, menu) << "the tile menu did not open: " << WindowsOf(m_manager.pid);
    KeepScreenshot(menu, L"Commands-IconMenuNoInstall");
    // "游戏详情": below the run or download item (one of the two shows) and a separator.
    RECT rc = {};
    ::GetClientRect(menu, &rc);
    ClickAt(menu, POINT{rc.right / 2, 4 + 28 + 9 + 14});
    HWND details = WaitForWindow(L"VQDetailsWnd");
    ASSERT_NE(nullptr, details) << WindowsOf(m_manager.pid);
    KeepScreenshot(details, L"Commands-DetailsWnd");
    // Its close button hides it; the main window goes on.
    PostMessageW(details, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(details); }, kTimeout));
    EXPECT_TRUE(m_manager.Running());
}

TEST_F(ManagerCommandsTest, SearchDropDownFollowsTheArrowKeysAndEnterChooses) {
    StartShown();
    ClickAt(m_window, kSearchBox);
    PostMessageW(m_window, WM_KEYDOWN, VK_END, 0);
    for (int i = 0; i < 16; ++i) PostMessageW(m_window, WM_KEYDOWN, VK_BACK, 1);
    for (wchar_t ch : std::wstring(L"梦幻")) PostMessageW(m_window, WM_CHAR, ch, 1);
    HWND drop = WaitForWindow(L"VQSearchWnd");
    // Names and the search-more entry.
    ASSERT_TRUE(WaitFor([&] {
        RECT rc = {};
        ::GetClientRect(drop, &rc);
        return rc.bottom > 2 * 19;
    }, kTimeout));
    ASSERT_NE(nullptr, drop) << WindowsOf(m_manager.pid);
    ASSERT_TRUE(WaitFor([&] { return DistinctColours(CaptureWindow(drop), RECT{0, 0, 180, 400}) > 2; }, kTimeout));
    ::Sleep(300);
    const VQScreenImage none = CaptureWindow(drop);
    // Down picks the first name, Up from there wraps to the search-more
    // entry at the end, Down again back to the first: each repaints the list.
    const struct {
        const char* name;
        UINT key;
    } steps[] = {{"down", VK_DOWN}, {"up-wraps", VK_UP}, {"down-wraps", VK_DOWN}};
    for (const auto& step : steps) {
        const VQScreenImage before = CaptureWindow(drop);
        PostMessageW(m_window, WM_KEYDOWN, step.key, 1);
        VQScreenImage after;
        EXPECT_TRUE(WaitFor([&] { return (after = CaptureWindow(drop)).pixels != before.pixels; }, kTimeout))
            << step.name << ": the picked row did not change";
        EXPECT_NE(none.pixels, after.pixels) << step.name << ": a row is picked";
        EXPECT_TRUE(::IsWindowVisible(drop)) << step.name;
    }
    KeepScreenshot(drop, L"Commands-SearchWnd-picked");
    // Enter chooses the picked name: the drop-down goes and the results show.
    PostMessageW(m_window, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(m_window, WM_CHAR, L'\r', 1);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(drop); }, kTimeout));
    KeepScreenshot(m_window, L"Commands-SearchChosen");
    EXPECT_TRUE(m_manager.Running());
}

std::vector<uint32_t> InstalledOrder(const std::wstring& listPath) {
    std::vector<uint32_t> ids;
    VQInstalledXmlFile list;
    if (list.LoadFile(listPath))
        for (const auto& record : list.GetCommonRecords()) ids.push_back(record->ID);
    return ids;
}

TEST_F(ManagerCommandsTest, InstalledTileDroppedOntoAnotherChangesPlacesWithIt) {
    ASSERT_TRUE(m_folder.Prepare());
    const std::wstring demoGame = m_folder.Temp().PathOf(L"DemoGame.exe");
    ASSERT_TRUE(CopyFileW(BuildPath(L"demo\\game\\DemoGame.exe").c_str(), demoGame.c_str(), FALSE));
    const std::wstring listPath = m_folder.PathOf(L"data\\install.vqx");
    VQInstalledXmlFile::Records records;
    for (uint32_t id : {90001u, 90002u}) {
        auto record = boost::make_shared<VQGameInstalledInfo>();
        record->ID = id;
        record->Name = id == 90001u ? L"甲" : L"乙";
        record->FullPath = demoGame;
        record->SetupTime = 1700000000;
        records.push_back(record);
    }
    {
        VQInstalledXmlFile list;
        list.SetRecords(records, {});
        ASSERT_TRUE(list.Save(listPath));
    }
    ASSERT_EQ((std::vector<uint32_t>{90001u, 90002u}), InstalledOrder(listPath));
    m_manager = m_folder.Start(L"");
    WaitFor([&] { return (m_window = m_folder.FindMainWindow(m_manager.pid)) != nullptr || !m_manager.Running(); },
            kStartTimeout);
    ASSERT_NE(nullptr, m_window);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(m_window) != FALSE; }, kStartTimeout));
    ClickAt(m_window, POINT{12 + 48, 57});
    ::Sleep(1000);
    // The first card's picture pressed, dragged one cell right, let go there.
    const POINT first = {66, 160}, second = {66 + 91, 160};
    PostMessageW(m_window, WM_MOUSEMOVE, 0, MAKELPARAM(first.x, first.y));
    PostMessageW(m_window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(first.x, first.y));
    for (int step = 1; step <= 7; ++step)
        PostMessageW(m_window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(first.x + 13 * step, first.y));
    PostMessageW(m_window, WM_LBUTTONUP, 0, MAKELPARAM(second.x, second.y));
    EXPECT_TRUE(WaitFor([&] { return InstalledOrder(listPath) == std::vector<uint32_t>{90002u, 90001u}; }, kTimeout))
        << "the two games did not change places in install.vqx";
    KeepScreenshot(m_window, L"Commands-TilesSwapped");
    EXPECT_TRUE(m_manager.Running());
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
