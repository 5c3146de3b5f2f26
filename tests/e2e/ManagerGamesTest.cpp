// The game operations as a user reaches them: a click on an installed
// game's tile starts it once (a second click starts nothing), Ctrl+Alt+K
// ends a game that ignores WM_CLOSE, uninstall keeps or removes the files
// by the uninstaller's exit code and deletes only the folder the game's
// install made (a Flash game's own folder; a folder of the user's stays and
// the user is told), the tile menu makes a desktop shortcut whose icon is a
// real .ico and whose start hands over, and after a restart removing the
// game takes that shortcut along.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include <boost/make_shared.hpp>

#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/GameId.h"
#include "VQCore/gamelib/GameInstalledInfo.h"
#include "VQCore/gamelib/InstalledXmlFile.h"
#include "common/FileUtil.h"
#include "tests/e2e/ManagerHarness.h"
#include "tests/e2e/ManagerRecords.h"
#include "tests/support/LocalServer.h"

namespace Tessar {
namespace Test {
namespace {

const DWORD kStartTimeout = 90000;
const DWORD kTimeout = 30000;
// The installed games' tab and the first tile's icon (client coordinates).
const POINT kInstalledTab = {12 + 48, 57};
const POINT kFirstTile = {66, 172};
// Rows of the installed tile's menu: run, separator, details, folder,
// shortcut, separator, delete icon, uninstall.
const int kMenuRow = 28;
const int kMenuSeparator = 9;
const int kShortcutItemY = 4 + kMenuRow + kMenuSeparator + 2 * kMenuRow + kMenuRow / 2;
const int kDeleteIconItemY = 4 + kMenuRow + kMenuSeparator + 3 * kMenuRow + kMenuSeparator + kMenuRow / 2;
const int kUninstallItemY = 4 + kMenuRow + kMenuSeparator + 3 * kMenuRow + kMenuSeparator + kMenuRow + kMenuRow / 2;

std::vector<uint32_t> InstalledIds(const std::wstring& listPath) {
    std::vector<uint32_t> ids;
    VQInstalledXmlFile list;
    if (!list.LoadFile(listPath)) return ids;
    for (const auto& record : list.GetCommonRecords()) ids.push_back(record->ID);
    return ids;
}

class ManagerGamesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.Prepare());
        m_record = m_folder.Temp().PathOf(L"starts.txt");
    }
    void TearDown() override {
        for (const std::wstring& line : ReadStartRecords(m_record)) EndProcess(ProcessIdOfRecord(line));
        m_folder.KillAll();
        if (!m_uninstallKey.empty()) RegDeleteTreeW(HKEY_LOCAL_MACHINE, m_uninstallKey.c_str());
    }
    void StartShown() {
        m_manager = m_folder.Start(L"");
        WaitFor([&] { return (m_window = m_folder.FindMainWindow(m_manager.pid)) != nullptr || !m_manager.Running(); },
                kStartTimeout);
        ASSERT_NE(nullptr, m_window) << "exit code " << m_manager.ExitCode();
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(m_window) != FALSE; }, kStartTimeout));
        ClickAt(m_window, kInstalledTab);
    }
    // Opens the first installed tile's menu; the menu window or null.
    // The installed page is chosen again first, as a user would before the
    // right click: a click early in the start-up can miss the tab.
    HWND OpenTileMenu() {
        ClickAt(m_window, kInstalledTab);
        Sleep(500);
        return Tessar::Test::OpenTileMenu(m_window, kFirstTile, kTimeout);
    }
    void ChooseMenuItem(HWND menu, int y) {
        RECT rc = {};
        GetClientRect(menu, &rc);
        ClickAt(menu, POINT{rc.right / 2, y});
    }
    // Chooses the shortcut item of the first tile's menu and waits for the
    // record of game 1 in link.ini; its shortcut and icon paths.
    void MakeShortcutFromMenu(const std::wstring& linkIni, std::wstring& shortcut, std::wstring& icon) {
        HWND menu = OpenTileMenu();
        ASSERT_NE(nullptr, menu) << "the tile menu did not open";
        ChooseMenuItem(menu, kShortcutItemY);
        // The record's keys are written one after the other: both paths are
        // read once both are there.
        wchar_t lnk[MAX_PATH] = {};
        wchar_t ico[MAX_PATH] = {};
        ASSERT_TRUE(WaitFor(
            [&] {
                return GetPrivateProfileStringW(L"00001", L"lnk", L"", lnk, MAX_PATH, linkIni.c_str()) > 0 &&
                       GetPrivateProfileStringW(L"00001", L"ico", L"", ico, MAX_PATH, linkIni.c_str()) > 0;
            },
            kTimeout))
            << "no link.ini record";
        shortcut = lnk;
        icon = ico;
    }
    // The catalogue's uninstall key name of a game.
    std::wstring CatalogueUninstallKey(uint32_t gameId) {
        VQDatabaseXmlFile database(m_folder.PathOf(L"data\\database.vqx"));
        if (!database.Load()) return std::wstring();
        const VQGameRecord* record = database.FindById(gameId);
        return record ? record->UninstallKey : std::wstring();
    }

    VQManagerFolder m_folder;
    VQManagerProcess m_manager;
    HWND m_window = nullptr;
    std::wstring m_record;
    std::wstring m_uninstallKey;
};

TEST_F(ManagerGamesTest, ClickingTheTileRunsTheGameOnceAndKillKeyEndsIt) {
    const std::wstring game = m_folder.Temp().PathOf(L"Stand In\\game.exe");
    CreateDirectoryW(m_folder.Temp().PathOf(L"Stand In").c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(StandInGamePath().c_str(), game.c_str(), FALSE));
    const std::wstring list = m_folder.PathOf(L"data\\install.vqx");
    ASSERT_TRUE(WriteInstalledGame(list, 90001, game, L"--record \"" + m_record + L"\" --ignore-close", L""));
    StartShown();

    // A click starts the game only on the tile's icon: down the tile until it does.
    for (int y = kFirstTile.y - 80; y <= kFirstTile.y + 20 && ReadStartRecords(m_record).empty(); y += 20) {
        ClickAt(m_window, POINT{kFirstTile.x, y});
        WaitFor([&] { return !ReadStartRecords(m_record).empty(); }, 4000);
    }
    ASSERT_TRUE(WaitFor([&] { return ReadStartRecords(m_record).size() == 1; }, kTimeout)) << "the game did not start";
    const DWORD pid = ProcessIdOfRecord(ReadStartRecords(m_record)[0]);
    HWND gameWindow = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (gameWindow = FindProcessWindow(pid, L"VQGameStandIn")) != nullptr; }, kTimeout));
    // The start was recorded on the tile and written to the list.
    EXPECT_TRUE(WaitFor(
        [&] {
            VQInstalledXmlFile saved;
            return saved.LoadFile(list) && saved.GetCommonRecords().size() == 1 &&
                   saved.GetCommonRecords()[0]->RunCount == 1;
        },
        kTimeout))
        << "the run count was not saved";

    // Running already: a second click brings it forward and starts nothing.
    Sleep(500);
    for (int y = kFirstTile.y - 80; y <= kFirstTile.y + 20; y += 20) ClickAt(m_window, POINT{kFirstTile.x, y});
    Sleep(3000);
    EXPECT_EQ(1u, ReadStartRecords(m_record).size());

    // Ctrl+Alt+K with the game in front: it ignores WM_CLOSE and is ended.
    SetForegroundWindow(gameWindow);
    WaitFor([&] { return GetForegroundWindow() == gameWindow; }, 5000);
    const DWORD before = GetTickCount();
    PostMessageW(m_window, WM_HOTKEY, 0, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'K'));
    EXPECT_TRUE(ProcessEnded(pid, kTimeout)) << "the game was not ended";
    EXPECT_LT(GetTickCount() - before, 15000u);
    // The manager did not hang on it.
    DWORD_PTR answer = 0;
    EXPECT_NE(0, SendMessageTimeoutW(m_window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
}

// Pure accent orange: the border of the blinking frame behind a tile's icon.
bool IsBlinkOrange(uint32_t rgb) {
    const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return r > 0xE0 && g > 0x70 && g < 0xA0 && b < 0x30;
}

// A game whose program is gone: the click brings the window forward with
// the tile blinking on its page and asks whether to download it again.
TEST_F(ManagerGamesTest, ABrokenGameBlinksItsTileAndOffersTheRepair) {
    const std::wstring list = m_folder.PathOf(L"data\\install.vqx");
    VQInstalledXmlFile installed;
    auto record = boost::make_shared<VQGameInstalledInfo>();
    record->ID = 1;  // a single-player game of the catalogue
    record->FullPath = m_folder.Temp().PathOf(L"gone\\game.exe");
    record->SetupTime = 1700000000;
    record->RunCount = 1;  // started before: no registration offer first
    installed.SetRecords({record}, {});
    ASSERT_TRUE(installed.Save(list));
    StartShown();
    Sleep(1000);
    // The left edge of the first tile's frame (62 x 62, behind and left of
    // the 48 x 48 picture, which may be orange itself) on the installed page.
    const RECT frame = {32, 130, 41, 180};
    int mostOrange = 0;
    HWND ask = nullptr;
    for (int y = kFirstTile.y - 20; y <= kFirstTile.y + 10 && !ask; y += 10) {
        ClickAt(m_window, POINT{kFirstTile.x, y});
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 4000) {
            const VQScreenImage image = CaptureWindow(m_window);
            int orange = 0;
            for (int py = frame.top; py < frame.bottom && py < image.height; ++py)
                for (int px = frame.left; px < frame.right && px < image.width; ++px)
                    if (IsBlinkOrange(image.At(px, py))) ++orange;
            if (orange > mostOrange) {
                mostOrange = orange;
                if (orange > 40) KeepScreenshot(m_window, L"Games-BrokenTileBlinks");
            }
            if (!ask) ask = FindProcessWindow(m_manager.pid, L"VQMessageDlg");
            if (ask && mostOrange > 40) break;
            Sleep(20);
        }
    }
    ASSERT_NE(nullptr, ask) << "no repair question; windows: " << WindowsOf(m_manager.pid);
    EXPECT_GT(mostOrange, 40) << "the broken game's tile did not blink";
    KeepScreenshot(ask, L"Games-RepairQuestion");
    // No: nothing is downloaded, the window goes on.
    PostMessageW(ask, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(ask); }, kTimeout));
    EXPECT_TRUE(m_manager.Running());
}

TEST_F(ManagerGamesTest, UninstallRemovesOnlyTheInstallsOwnFolderAndOnlyWhenTheUninstallerSucceeds) {
    const uint32_t kGameId = 1;
    const std::wstring keyName = CatalogueUninstallKey(kGameId);
    ASSERT_FALSE(keyName.empty()) << "the demo catalogue's game 1 has no uninstall key";
    m_uninstallKey = std::wstring(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + keyName;
    struct Case {
        const char* name;
        int exitCode;
        bool recordedAsCreated;  // the install.vqx record names the folder as the install's own
        bool removed;
        bool listed;             // the game stays on the installed list
        bool told;               // a message names the folder that stayed
    } cases[] = {
        {"uninstaller cancelled", 1, true, false, true, false},
        {"uninstaller succeeded", 0, true, true, false, false},
        {"succeeded, a record from before the folder was recorded", 0, false, false, false, true},
    };
    for (const Case& c : cases) {
        // Below the install folder (the InstallDir setting).
        const std::wstring folder = m_folder.Temp().PathOf(L"games\\Demo One");
        CreateDirectoryW(m_folder.Temp().PathOf(L"games").c_str(), nullptr);
        CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring game = folder + L"\\game.exe";
        ASSERT_TRUE(CopyFileW(StandInGamePath().c_str(), game.c_str(), FALSE)) << c.name;
        const std::wstring uninstaller = folder + L"\\unins000.exe";
        ASSERT_TRUE(CopyFileW(StandInGamePath().c_str(), uninstaller.c_str(), FALSE)) << c.name;
        const std::wstring ran = m_folder.Temp().PathOf(L"uninstall-ran.txt");
        DeleteFileW(ran.c_str());
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, m_uninstallKey.c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr));
        const std::wstring command =
            L"\"" + uninstaller + L"\" --record \"" + ran + L"\" --exit " + std::to_wstring(c.exitCode);
        RegSetValueExW(key, L"UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        const std::wstring list = m_folder.PathOf(L"data\\install.vqx");
        ASSERT_TRUE(WriteInstalledGame(list, kGameId, game, L"", folder, c.recordedAsCreated ? folder : L"")) << c.name;

        StartShown();
        // A click posted while the menu still lays out can miss: open it again.
        for (int attempt = 0; attempt < 3 && ReadStartRecords(ran).empty(); ++attempt) {
            HWND menu = OpenTileMenu();
            ASSERT_NE(nullptr, menu) << c.name << ": the tile menu did not open";
            Sleep(300);
            ChooseMenuItem(menu, kUninstallItemY);
            WaitFor([&] { return !ReadStartRecords(ran).empty(); }, 8000);
        }
        ASSERT_FALSE(ReadStartRecords(ran).empty()) << c.name << ": no uninstaller";
        if (c.listed) {
            Sleep(3000);
            EXPECT_EQ(std::vector<uint32_t>{kGameId}, InstalledIds(list)) << c.name << ": the tile went";
        } else {
            EXPECT_TRUE(WaitFor([&] { return InstalledIds(list).empty(); }, kTimeout))
                << c.name << ": the game is still listed";
        }
        if (c.removed) {
            EXPECT_TRUE(WaitFor([&] { return GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES; }, kTimeout))
                << c.name << ": the game folder stayed";
        } else {
            EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(game.c_str())) << c.name << ": files went";
        }
        HWND notice = nullptr;
        if (c.told) {
            EXPECT_TRUE(WaitFor([&] { return (notice = FindProcessWindow(m_manager.pid, L"VQMessageDlg")) != nullptr; },
                                kTimeout))
                << c.name << ": nobody was told of the folder that stayed";
            if (notice) {
                Sleep(1000);  // painted
                KeepScreenshot(notice, L"Uninstall-FolderKept");
            }
        } else {
            EXPECT_EQ(nullptr, FindProcessWindow(m_manager.pid, L"VQMessageDlg")) << c.name;
        }
        m_folder.Kill(m_manager);
    }
}

TEST_F(ManagerGamesTest, RemovingAFlashGameDeletesOnlyTheFolderItsInstallMade) {
    VQDatabaseXmlFile database(m_folder.PathOf(L"data\\database.vqx"));
    ASSERT_TRUE(database.Load());
    uint32_t flashId = 0;
    for (const auto& entry : database.GetGames())
        if (IsFlashGameId(entry.first) && flashId == 0) flashId = entry.first;
    ASSERT_NE(0u, flashId) << "the demo catalogue has no Flash game";
    struct Case {
        const char* name;
        std::wstring folder;  // where the game lies
        bool recordedAsCreated;
        bool removed;
    } cases[] = {
        {"unpacked into its own folder", m_folder.Temp().PathOf(L"games\\FlashGames\\" + std::to_wstring(flashId)),
         true, true},
        // Found by the scan in a folder of the user's, beside the user's files.
        {"found in a folder of the user's", m_folder.Temp().PathOf(L"games\\Stuff"), false, false},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(CreateFolderChain(c.folder)) << c.name;
        const std::wstring config = c.folder + L"\\config.ini";
        ASSERT_TRUE(WritePrivateProfileStringW(L"main", L"swf", L"game.swf", config.c_str())) << c.name;
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, config.c_str());
        const std::wstring mine = c.folder + L"\\my letter.txt";
        ASSERT_TRUE(WritePrivateProfileStringW(L"x", L"y", L"z", mine.c_str())) << c.name;
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, mine.c_str());
        const std::wstring list = m_folder.PathOf(L"data\\install.vqx");
        ASSERT_TRUE(WriteInstalledGame(list, flashId, m_folder.PathOf(L"Pallico.exe"), config, c.folder,
                                       c.recordedAsCreated ? c.folder : L""))
            << c.name;

        StartShown();
        for (int attempt = 0; attempt < 3 && !InstalledIds(list).empty(); ++attempt) {
            HWND menu = OpenTileMenu();
            ASSERT_NE(nullptr, menu) << c.name << ": the tile menu did not open";
            Sleep(300);
            ChooseMenuItem(menu, kUninstallItemY);
            WaitFor([&] { return InstalledIds(list).empty(); }, 8000);
        }
        EXPECT_TRUE(InstalledIds(list).empty()) << c.name << ": the game is still listed";
        if (c.removed) {
            EXPECT_TRUE(WaitFor([&] { return GetFileAttributesW(c.folder.c_str()) == INVALID_FILE_ATTRIBUTES; }, kTimeout))
                << c.name << ": its folder stayed";
            EXPECT_EQ(nullptr, FindProcessWindow(m_manager.pid, L"VQMessageDlg")) << c.name;
        } else {
            EXPECT_TRUE(WaitFor([&] { return FindProcessWindow(m_manager.pid, L"VQMessageDlg") != nullptr; }, kTimeout))
                << c.name << ": nobody was told of the folder that stayed";
            EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(mine.c_str())) << c.name << ": the user's file went";
            EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(config.c_str())) << c.name;
        }
        // The install folder itself is never touched.
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(m_folder.Temp().PathOf(L"games").c_str())) << c.name;
        m_folder.Kill(m_manager);
    }
}

TEST_F(ManagerGamesTest, TileMenuMakesADesktopShortcutThatHandsTheGameOver) {
    const uint32_t kGameId = 1;
    const std::wstring game = m_folder.Temp().PathOf(L"game.exe");
    ASSERT_TRUE(CopyFileW(StandInGamePath().c_str(), game.c_str(), FALSE));
    ASSERT_TRUE(WriteInstalledGame(m_folder.PathOf(L"data\\install.vqx"), kGameId, game,
                                   L"--record \"" + m_record + L"\" --exit 0", L""));
    const std::wstring shared = GetSharedDataFolder();
    ASSERT_FALSE(shared.empty());
    const std::wstring linkIni = GetLinkIniPath(shared);
    WritePrivateProfileStringW(L"00001", nullptr, nullptr, linkIni.c_str());
    StartShown();
    std::wstring shortcut, icon;
    MakeShortcutFromMenu(linkIni, shortcut, icon);
    if (HasFatalFailure()) return;
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(shortcut.c_str())) << "no shortcut file";
    HANDLE file = CreateFileW(icon.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << "no icon file";
    unsigned char head[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    DWORD read = 0;
    ReadFile(file, head, 4, &read, nullptr);
    CloseHandle(file);
    EXPECT_EQ(0, head[0]);
    EXPECT_EQ(0, head[1]);
    EXPECT_EQ(1, head[2]) << "the icon file is not an .ico";
    EXPECT_EQ(0, head[3]);

    // What the shortcut starts: a second manager that hands the game over.
    wchar_t value[MAX_PATH] = {};
    WaitFor([&] { return GetPrivateProfileStringW(L"00001", L"exe", L"", value, MAX_PATH, linkIni.c_str()) > 0; },
            kTimeout);
    EXPECT_EQ(game, std::wstring(value));
    VQManagerProcess second = m_folder.Start(L"-exec_app=00001");
    EXPECT_TRUE(second.WaitForExit(kTimeout));
    EXPECT_TRUE(WaitFor([&] { return ReadStartRecords(m_record).size() == 1; }, kTimeout)) << "the game did not start";

    // The same menu item removes it again. The game just started can take
    // the foreground and so close a menu opened meanwhile: then the menu is
    // opened again.
    for (int attempt = 0; attempt < 3 && GetFileAttributesW(shortcut.c_str()) != INVALID_FILE_ATTRIBUTES; ++attempt) {
        HWND menu = OpenTileMenu();
        ASSERT_NE(nullptr, menu);
        ChooseMenuItem(menu, kShortcutItemY);
        WaitFor([&] { return GetFileAttributesW(shortcut.c_str()) == INVALID_FILE_ATTRIBUTES; }, 8000);
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(shortcut.c_str())) << "the shortcut is still there";
    EXPECT_TRUE(WaitFor([&] { return GetFileAttributesW(icon.c_str()) == INVALID_FILE_ATTRIBUTES; }, kTimeout));
    DeleteFileW(shortcut.c_str());
    DeleteFileW(icon.c_str());
    WritePrivateProfileStringW(L"00001", nullptr, nullptr, linkIni.c_str());
}

TEST_F(ManagerGamesTest, AfterARestartRemovingTheGameTakesItsShortcutAlong) {
    const uint32_t kGameId = 1;
    const std::wstring game = m_folder.Temp().PathOf(L"game.exe");
    ASSERT_TRUE(CopyFileW(StandInGamePath().c_str(), game.c_str(), FALSE));
    const std::wstring list = m_folder.PathOf(L"data\\install.vqx");
    ASSERT_TRUE(WriteInstalledGame(list, kGameId, game, L"--exit 0", L""));
    const std::wstring linkIni = GetLinkIniPath(GetSharedDataFolder());
    WritePrivateProfileStringW(L"00001", nullptr, nullptr, linkIni.c_str());
    StartShown();
    std::wstring shortcut, icon;
    MakeShortcutFromMenu(linkIni, shortcut, icon);
    if (HasFatalFailure()) return;
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(shortcut.c_str())) << "no shortcut file";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(icon.c_str())) << "no icon file";

    // The next start knows the shortcut: removing the game's tile removes it.
    m_folder.Kill(m_manager);
    StartShown();
    for (int attempt = 0; attempt < 3 && !InstalledIds(list).empty(); ++attempt) {
        HWND menu = OpenTileMenu();
        ASSERT_NE(nullptr, menu) << "the tile menu did not open after the restart";
        Sleep(300);
        ChooseMenuItem(menu, kDeleteIconItemY);
        WaitFor([&] { return InstalledIds(list).empty(); }, 8000);
    }
    EXPECT_TRUE(InstalledIds(list).empty()) << "the game is still listed";
    EXPECT_TRUE(WaitFor([&] { return GetFileAttributesW(shortcut.c_str()) == INVALID_FILE_ATTRIBUTES; }, kTimeout))
        << "the shortcut stayed";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(icon.c_str())) << "the icon stayed";
    wchar_t value[MAX_PATH] = {};
    EXPECT_EQ(0u, GetPrivateProfileStringW(L"00001", L"lnk", L"", value, MAX_PATH, linkIni.c_str()))
        << "the link.ini section stayed";
    DeleteFileW(shortcut.c_str());
    DeleteFileW(icon.c_str());
    WritePrivateProfileStringW(L"00001", nullptr, nullptr, linkIni.c_str());
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
