// The scan for installed games as a user runs it: the scan command opens
// the scan window, "扫描指定目录" asks for a folder in the system's folder
// browser, the scan finds the Flash games laid out there, and "是" puts
// them on the installed games page (and into install.vqx).

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/GameId.h"
#include "VQCore/gamelib/InstalledXmlFile.h"
#include "common/FileUtil.h"
#include "tests/e2e/ManagerHarness.h"

namespace Tessar {
namespace Test {
namespace {

const DWORD kStartTimeout = 90000;
const DWORD kTimeout = 30000;
const WORD kScanCommand = 1000;
// Client points of the scan window's layout "ScanWnd" (480 x 330): the
// chosen-folder mode button and the result's "是" button.
const POINT kFolderModeButton = {361, 93};
const POINT kYesButton = {343, 307};
// Where the button bar's "是" (accent blue) shows once the scan is done.
const RECT kButtonBar = {200, 280, 480, 330};

bool WriteUtf16(const std::wstring& path, const std::wstring& text) {
    std::string bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    ::CloseHandle(file);
    return ok;
}

// A Flash game as its package leaves it: config.ini ([main] name, swf,
// help), the movie named by the game's id and the help page.
bool LayOutFlashGame(const std::wstring& folder, uint32_t id, const std::wstring& name) {
    wchar_t swf[16];
    swprintf(swf, 16, L"%05u.swf", id);
    return CreateFolderChain(folder) &&
           WriteUtf16(folder + L"\\config.ini",
                      L"[main]\r\nname=" + name + L"\r\nswf=" + swf + L"\r\nhelp=help.txt\r\nwidth=640\r\nheight=480\r\n") &&
           WriteUtf16(folder + L"\\" + swf, L"FWS") && WriteUtf16(folder + L"\\help.txt", L"help");
}

size_t BluePixels(const VQScreenImage& image, const RECT& area) {
    size_t count = 0;
    for (int y = std::max<int>(0, area.top); y < std::min<int>(image.height, area.bottom); ++y)
        for (int x = std::max<int>(0, area.left); x < std::min<int>(image.width, area.right); ++x) {
            const uint32_t pixel = image.At(x, y);
            const uint32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
            if (b > 0xC0 && r < 0x60 && g < 0xA0) ++count;
        }
    return count;
}

std::vector<uint32_t> InstalledIds(const std::wstring& listPath) {
    std::vector<uint32_t> ids;
    VQInstalledXmlFile list;
    if (!list.LoadFile(listPath)) return ids;
    for (const auto& record : list.GetCommonRecords()) ids.push_back(record->ID);
    return ids;
}

HWND FindTreeIn(HWND browser) {
    HWND tree = nullptr;
    ::EnumChildWindows(
        browser,
        [](HWND child, LPARAM found) -> BOOL {
            wchar_t name[64] = {};
            ::GetClassNameW(child, name, 64);
            if (wcscmp(name, WC_TREEVIEWW) != 0) return TRUE;
            *reinterpret_cast<HWND*>(found) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&tree));
    return tree;
}

// The text of the browser tree's selected item, read through the other
// process's memory (both are 64-bit: the item record has one layout).
std::wstring SelectedTreeText(HANDLE process, HWND tree) {
    const auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (item == nullptr) return std::wstring();
    struct Remote {
        TVITEMW item;
        wchar_t text[MAX_PATH];
    };
    auto* remote = static_cast<Remote*>(
        ::VirtualAllocEx(process, nullptr, sizeof(Remote), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (remote == nullptr) return std::wstring();
    Remote local = {};
    local.item.mask = TVIF_TEXT;
    local.item.hItem = item;
    local.item.pszText = remote->text;
    local.item.cchTextMax = MAX_PATH;
    std::wstring text;
    if (::WriteProcessMemory(process, remote, &local, sizeof(local), nullptr) &&
        ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote)) &&
        ::ReadProcessMemory(process, remote, &local, sizeof(local), nullptr)) {
        local.text[MAX_PATH - 1] = L'\0';
        text = local.text;
    }
    ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return text;
}

// Chooses the folder in the folder browser of another process: the path is
// written into that process for BFFM_SETSELECTIONW, sent until the tree
// shows the folder selected (the browser fills its tree after it shows,
// slowly on a busy machine, and a selection sent before that is lost),
// then OK is pressed. False when the folder never showed selected.
bool ChooseFolderIn(HANDLE process, HWND browser, const std::wstring& folder) {
    const HWND tree = FindTreeIn(browser);
    const std::wstring leaf = folder.substr(folder.find_last_of(L'\\') + 1);
    const SIZE_T bytes = (folder.size() + 1) * sizeof(wchar_t);
    void* remote = ::VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (tree == nullptr || remote == nullptr) return false;
    SIZE_T written = 0;
    bool chosen = false;
    if (::WriteProcessMemory(process, remote, folder.c_str(), bytes, &written) && written == bytes) {
        // Selected twice in a row a moment apart: a tree still filling may
        // take a first selection away again.
        int held = 0;
        const DWORD start = ::GetTickCount();
        while (held < 2 && ::GetTickCount() - start < kTimeout) {
            ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remote));
            ::Sleep(300);
            held = _wcsicmp(SelectedTreeText(process, tree).c_str(), leaf.c_str()) == 0 ? held + 1 : 0;
        }
        chosen = held >= 2;
        if (chosen) ::SendMessageW(browser, WM_COMMAND, IDOK, 0);
    }
    ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return chosen;
}

TEST(ManagerScan, ChosenFolderScanFindsTheFlashGamesAndYesPutsThemOnTheInstalledPage) {
    VQManagerFolder folder;
    ASSERT_TRUE(folder.Prepare());
    // Two Flash games of the demo catalogue, laid out in a scratch folder.
    VQDatabaseXmlFile database(folder.PathOf(L"data\\database.vqx"));
    ASSERT_TRUE(database.Load());
    std::vector<uint32_t> games;
    const std::wstring scratch = folder.Temp().PathOf(L"Scratch");
    for (const auto& entry : database.GetGames()) {
        if (!IsFlashGameId(entry.first) || games.size() == 2) continue;
        const std::wstring name = entry.second->GameName;
        ASSERT_TRUE(LayOutFlashGame(scratch + L"\\Flash\\" + std::to_wstring(games.size()), entry.first, name));
        games.push_back(entry.first);
    }
    ASSERT_EQ(2u, games.size()) << "the demo catalogue has Flash games";
    ASSERT_TRUE(CreateFolderChain(scratch + L"\\Empty"));

    VQManagerProcess manager = folder.Start(L"");
    HWND window = nullptr;
    WaitFor([&] { return (window = folder.FindMainWindow(manager.pid)) != nullptr || !manager.Running(); },
            kStartTimeout);
    ASSERT_NE(nullptr, window) << "exit code " << manager.ExitCode();
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(window) != FALSE; }, kStartTimeout));

    PostMessageW(window, WM_COMMAND, kScanCommand, 0);
    HWND scan = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (scan = FindProcessWindow(manager.pid, L"VQScanWnd")) != nullptr; }, kTimeout))
        << WindowsOf(manager.pid);
    KeepScreenshot(scan, L"Scan-Modes");

    // A click that comes before the window has laid its buttons out (a
    // busy machine) is lost: clicked again until the browser shows.
    HWND browser = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
            ClickAt(scan, kFolderModeButton);
            return WaitFor([&] { return (browser = FindProcessWindow(manager.pid, L"#32770")) != nullptr; }, 3000);
        },
        kTimeout))
        << "no folder browser: " << WindowsOf(manager.pid);
    ASSERT_TRUE(ChooseFolderIn(manager.process, browser, scratch));

    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(browser); }, kTimeout)) << "the folder browser stays";
    // Done when "是" shows in the button bar.
    const bool found = WaitFor([&] { return BluePixels(CaptureWindow(scan), kButtonBar) > 800; }, 2 * kTimeout);
    if (!found) KeepScreenshot(scan, L"Scan-NotFound");
    ASSERT_TRUE(found) << "the scan did not end with games found";
    KeepScreenshot(scan, L"Scan-Found");
    const std::vector<uint32_t> before = InstalledIds(folder.PathOf(L"data\\install.vqx"));
    for (uint32_t id : games) EXPECT_EQ(before.end(), std::find(before.begin(), before.end(), id)) << id;

    ClickAt(scan, kYesButton);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(scan) || !::IsWindowVisible(scan); }, kTimeout));
    std::vector<uint32_t> after;
    EXPECT_TRUE(WaitFor(
        [&] {
            after = InstalledIds(folder.PathOf(L"data\\install.vqx"));
            return std::all_of(games.begin(), games.end(), [&](uint32_t id) {
                return std::find(after.begin(), after.end(), id) != after.end();
            });
        },
        kTimeout))
        << "the found games are not in install.vqx";
    // Each once, however the scan met it.
    for (uint32_t id : games) EXPECT_EQ(1, std::count(after.begin(), after.end(), id)) << id;
    KeepScreenshot(window, L"Scan-InstalledPage");

    // A second scan of the same folder finds them listed already: nothing new.
    PostMessageW(window, WM_COMMAND, kScanCommand, 0);
    ASSERT_TRUE(WaitFor([&] { return (scan = FindProcessWindow(manager.pid, L"VQScanWnd")) != nullptr; }, kTimeout));
    const VQScreenImage modes = CaptureWindow(scan);
    ClickAt(scan, kFolderModeButton);
    ASSERT_TRUE(WaitFor([&] { return (browser = FindProcessWindow(manager.pid, L"#32770")) != nullptr; }, kTimeout));
    ASSERT_TRUE(ChooseFolderIn(manager.process, browser, scratch));
    // The mode choice gives way to the scan's result.
    EXPECT_TRUE(WaitFor([&] { return CaptureWindow(scan).pixels != modes.pixels; }, kTimeout));
    ::Sleep(2000);
    EXPECT_LT(BluePixels(CaptureWindow(scan), kButtonBar), 100u) << "no \"是\": nothing new was found";
    EXPECT_EQ(after.size(), InstalledIds(folder.PathOf(L"data\\install.vqx")).size());
    KeepScreenshot(scan, L"Scan-NothingNew");
    EXPECT_TRUE(manager.Running());
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
