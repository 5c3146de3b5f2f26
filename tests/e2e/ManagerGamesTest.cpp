// The game operations as a user reaches them: a click on an installed
// game's tile starts it once (a second click starts nothing), Ctrl+Alt+K
// ends a game that ignores WM_CLOSE, uninstall keeps or removes the files
// by the uninstaller's exit code, and the tile menu makes a desktop
// shortcut whose icon is a real .ico and whose start hands over.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include <boost/make_shared.hpp>

#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/GameInstalledInfo.h"
#include "VQCore/gamelib/InstalledXmlFile.h"
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
const int kUninstallItemY = 4 + kMenuRow + kMenuSeparator + 3 * kMenuRow + kMenuSeparator + kMenuRow + kMenuRow / 2;

std::wstring StandInPath() { return UnixToWindowsPath(BinaryDirUnix() + "/fixtures/games") + L"\\GameStandIn.exe"; }

std::vector<std::wstring> ReadLines(const std::wstring& path) {
    std::vector<std::wstring> lines;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return lines;
    std::wstring text;
    wchar_t buffer[1024];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) text.append(buffer, read / sizeof(wchar_t));
    CloseHandle(file);
    size_t start = 0;
    for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

DWORD PidOf(const std::wstring& line) { return static_cast<DWORD>(wcstoul(line.c_str(), nullptr, 10)); }

// One installed game whose program is the stand-in with these arguments.
bool WriteInstalledGame(const std::wstring& listPath, uint32_t gameId, const std::wstring& program,
                        const std::wstring& arguments, const std::wstring& setupFolder) {
    VQInstalledXmlFile list;
    auto record = boost::make_shared<VQGameInstalledInfo>();
    record->ID = gameId;
    record->FullPath = program;
    record->RunArg = arguments;
    record->SetupDir = setupFolder;
    record->SetupTime = 1700000000;
    list.SetRecords({record}, {});
    return list.Save(listPath);
}

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
        for (const std::wstring& line : ReadLines(m_record)) EndProcess(PidOf(line));
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
    ASSERT_TRUE(CopyFileW(StandInPath().c_str(), game.c_str(), FALSE));
    const std::wstring list = m_folder.PathOf(L"data\\install.vqx");
    ASSERT_TRUE(WriteInstalledGame(list, 90001, game, L"--record \"" + m_record + L"\" --ignore-close", L""));
    StartShown();

    // A click starts the game only on the tile's icon: down the tile until it does.
    for (int y = kFirstTile.y - 80; y <= kFirstTile.y + 20 && ReadLines(m_record).empty(); y += 20) {
        ClickAt(m_window, POINT{kFirstTile.x, y});
        WaitFor([&] { return !ReadLines(m_record).empty(); }, 4000);
    }
    ASSERT_TRUE(WaitFor([&] { return ReadLines(m_record).size() == 1; }, kTimeout)) << "the game did not start";
    const DWORD pid = PidOf(ReadLines(m_record)[0]);
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
    EXPECT_EQ(1u, ReadLines(m_record).size());

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

TEST_F(ManagerGamesTest, UninstallRemovesTheFilesOnlyWhenTheUninstallerSucceeds) {
    const uint32_t kGameId = 1;
    const std::wstring keyName = CatalogueUninstallKey(kGameId);
    ASSERT_FALSE(keyName.empty()) << "the demo catalogue's game 1 has no uninstall key";
    m_uninstallKey = std::wstring(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + keyName;
    struct Case {
        const char* name;
        int exitCode;
        bool removed;
    } cases[] = {{"uninstaller cancelled", 1, false}, {"uninstaller succeeded", 0, true}};
    for (const Case& c : cases) {
        const std::wstring folder = m_folder.Temp().PathOf(L"Games\\Demo One");
        CreateDirectoryW(m_folder.Temp().PathOf(L"Games").c_str(), nullptr);
        CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring game = folder + L"\\game.exe";
        ASSERT_TRUE(CopyFileW(StandInPath().c_str(), game.c_str(), FALSE)) << c.name;
        const std::wstring uninstaller = folder + L"\\unins000.exe";
        ASSERT_TRUE(CopyFileW(StandInPath().c_str(), uninstaller.c_str(), FALSE)) << c.name;
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
        ASSERT_TRUE(WriteInstalledGame(list, kGameId, game, L"", folder)) << c.name;

        StartShown();
        // A click posted while the menu still lays out can miss: open it again.
        for (int attempt = 0; attempt < 3 && ReadLines(ran).empty(); ++attempt) {
            HWND menu = OpenTileMenu();
            ASSERT_NE(nullptr, menu) << c.name << ": the tile menu did not open";
            Sleep(300);
            ChooseMenuItem(menu, kUninstallItemY);
            WaitFor([&] { return !ReadLines(ran).empty(); }, 8000);
        }
        ASSERT_FALSE(ReadLines(ran).empty()) << c.name << ": no uninstaller";
        if (c.removed) {
            EXPECT_TRUE(WaitFor([&] { return GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES; }, kTimeout))
                << c.name << ": the game folder stayed";
            EXPECT_TRUE(WaitFor([&] { return InstalledIds(list).empty(); }, kTimeout))
                << c.name << ": the game is still listed";
        } else {
            Sleep(3000);
            EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(game.c_str())) << c.name << ": files went";
            EXPECT_EQ(std::vector<uint32_t>{kGameId}, InstalledIds(list)) << c.name << ": the tile went";
        }
        m_folder.Kill(m_manager);
    }
}

TEST_F(ManagerGamesTest, TileMenuMakesADesktopShortcutThatHandsTheGameOver) {
    const uint32_t kGameId = 1;
    const std::wstring game = m_folder.Temp().PathOf(L"game.exe");
    ASSERT_TRUE(CopyFileW(StandInPath().c_str(), game.c_str(), FALSE));
    ASSERT_TRUE(WriteInstalledGame(m_folder.PathOf(L"data\\install.vqx"), kGameId, game,
                                   L"--record \"" + m_record + L"\" --exit 0", L""));
    const std::wstring shared = GetSharedDataFolder();
    ASSERT_FALSE(shared.empty());
    const std::wstring linkIni = GetLinkIniPath(shared);
    WritePrivateProfileStringW(L"00001", nullptr, nullptr, linkIni.c_str());
    StartShown();
    HWND menu = OpenTileMenu();
    ASSERT_NE(nullptr, menu) << "the tile menu did not open";
    ChooseMenuItem(menu, kShortcutItemY);

    wchar_t value[MAX_PATH] = {};
    ASSERT_TRUE(WaitFor(
        [&] { return GetPrivateProfileStringW(L"00001", L"lnk", L"", value, MAX_PATH, linkIni.c_str()) > 0; }, kTimeout))
        << "no link.ini record";
    const std::wstring shortcut = value;
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(shortcut.c_str())) << "no shortcut file";
    GetPrivateProfileStringW(L"00001", L"ico", L"", value, MAX_PATH, linkIni.c_str());
    const std::wstring icon = value;
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
    GetPrivateProfileStringW(L"00001", L"exe", L"", value, MAX_PATH, linkIni.c_str());
    EXPECT_EQ(game, std::wstring(value));
    VQManagerProcess second = m_folder.Start(L"-exec_app=00001");
    EXPECT_TRUE(second.WaitForExit(kTimeout));
    EXPECT_TRUE(WaitFor([&] { return ReadLines(m_record).size() == 1; }, kTimeout)) << "the game did not start";

    // The same menu item removes it again.
    menu = OpenTileMenu();
    ASSERT_NE(nullptr, menu);
    ChooseMenuItem(menu, kShortcutItemY);
    EXPECT_TRUE(WaitFor([&] { return GetFileAttributesW(shortcut.c_str()) == INVALID_FILE_ATTRIBUTES; }, kTimeout));
    EXPECT_TRUE(WaitFor([&] { return GetFileAttributesW(icon.c_str()) == INVALID_FILE_ATTRIBUTES; }, kTimeout));
    DeleteFileW(shortcut.c_str());
    DeleteFileW(icon.c_str());
    WritePrivateProfileStringW(L"00001", nullptr, nullptr, linkIni.c_str());
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
