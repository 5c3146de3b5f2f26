// The main window's menus and commands as a user reaches them: the more
// button opens its menu, an item of it opens its dialog, commands that
// destroy something ask first and do nothing on cancel, and exit ends the
// program. A screenshot of every window opened is kept.

#include <gtest/gtest.h>

#include <string>
#include <utility>

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

struct FindRequest {
    DWORD pid;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK FindByClass(HWND hwnd, LPARAM param) {
    auto* request = reinterpret_cast<FindRequest*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    if (pid == request->pid && wcscmp(name, request->className) == 0 && ::IsWindowVisible(hwnd)) {
        request->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindProcessWindow(DWORD pid, const wchar_t* className) {
    FindRequest request = {pid, className, nullptr};
    ::EnumWindows(&FindByClass, reinterpret_cast<LPARAM>(&request));
    return request.found;
}

BOOL CALLBACK ListWindow(HWND hwnd, LPARAM param) {
    auto* request = reinterpret_cast<std::pair<DWORD, std::wstring>*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != request->first) return TRUE;
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    request->second += std::wstring(name) + (::IsWindowVisible(hwnd) ? L"(shown) " : L" ");
    return TRUE;
}

// The classes of the process's top-level windows, for a failure message.
std::string WindowsOf(DWORD pid) {
    std::pair<DWORD, std::wstring> request(pid, std::wstring());
    ::EnumWindows(&ListWindow, reinterpret_cast<LPARAM>(&request));
    return std::string(request.second.begin(), request.second.end());
}

void Click(HWND window, POINT at) {
    const LPARAM where = MAKELPARAM(at.x, at.y);
    PostMessageW(window, WM_MOUSEMOVE, 0, where);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, where);
    PostMessageW(window, WM_LBUTTONUP, 0, where);
}

void KeepShot(HWND hwnd, const std::wstring& name) {
    ::CreateDirectoryW(ScreenshotFolder().c_str(), nullptr);
    SaveImagePng(CaptureWindow(hwnd), ScreenshotFolder() + L"\\" + name + L".png");
}

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
    Click(m_window, kMoreButton);
    HWND menu = WaitForWindow(L"VQMenuWnd");
    ASSERT_NE(nullptr, menu) << "the more menu did not open: " << WindowsOf(m_manager.pid);
    KeepShot(menu, L"Commands-MoreMenu");
    // "关于Tovana...": below three items, a separator and two more items.
    RECT rc = {};
    ::GetClientRect(menu, &rc);
    Click(menu, POINT{rc.right / 2, 4 + 3 * 28 + 9 + 2 * 28 + 14});
    HWND about = WaitForWindow(L"VQAboutDlg");
    ASSERT_NE(nullptr, about) << "the about box did not open";
    EXPECT_FALSE(::IsWindowEnabled(m_window)) << "the about box is modal";
    KeepShot(about, L"Commands-AboutDlg");
    PostMessageW(about, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(about); }, kTimeout));
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowEnabled(m_window) != FALSE; }, kTimeout));
    EXPECT_TRUE(m_manager.Running());
}

TEST_F(ManagerCommandsTest, CommandsReachTheirOperations) {
    StartShown();
    const struct {
        const char* name;
        WORD id;
        const wchar_t* dialogClass;
    } cases[] = {
        {"about", 1005, L"VQAboutDlg"},
        {"delete-all-tasks", 1024, L"VQMessageDlg"},
        {"scan-games", 1000, L"VQScanWnd"},
        {"scan-games-again", 1000, L"VQScanWnd"},
    };
    for (const auto& c : cases) {
        PostMessageW(m_window, WM_COMMAND, c.id, 0);
        HWND dialog = WaitForWindow(c.dialogClass);
        ASSERT_NE(nullptr, dialog) << c.name << ": " << WindowsOf(m_manager.pid);
        KeepShot(dialog, std::wstring(L"Commands-") + std::wstring(c.name, c.name + strlen(c.name)));
        // Closing is cancelling: nothing happens and the window goes on.
        PostMessageW(dialog, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }, kTimeout)) << c.name;
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
        Click(m_window, kSearchBox);
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
        KeepShot(drop, std::wstring(L"Commands-SearchWnd-") + std::wstring(c.name, c.name + strlen(c.name)));
        // The search button runs the search and the drop-down goes.
        Click(m_window, POINT{797, 19});
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
    Click(m_window, POINT{12 + 48, 57});
    const POINT tile = {66, 172};
    HWND menu = nullptr;
    WaitFor(
        [&] {
            POINT screen = tile;
            ::ClientToScreen(m_window, &screen);
            PostMessageW(m_window, WM_MOUSEMOVE, 0, MAKELPARAM(tile.x, tile.y));
            PostMessageW(m_window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(tile.x, tile.y));
            PostMessageW(m_window, WM_RBUTTONUP, 0, MAKELPARAM(tile.x, tile.y));
            PostMessageW(m_window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_window), MAKELPARAM(screen.x, screen.y));
            DWORD start = ::GetTickCount();
            while (::GetTickCount() - start < 2000 && !(menu = FindProcessWindow(m_manager.pid, L"VQMenuWnd")))
                ::Sleep(50);
            return menu != nullptr;
        },
        kTimeout);
    ASSERT_NE(nullptr, menu) << "the tile menu did not open: " << WindowsOf(m_manager.pid);
    KeepShot(menu, L"Commands-IconMenuInstalled");
    // "删除图标": below run, a separator, three items and a separator.
    RECT rc = {};
    ::GetClientRect(menu, &rc);
    Click(menu, POINT{rc.right / 2, 4 + 28 + 9 + 3 * 28 + 9 + 14});
    EXPECT_TRUE(WaitFor([&] { return ReadAll(list) != before; }, kTimeout)) << "the installed list was not rewritten";
    EXPECT_TRUE(m_manager.Running());
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
