#include "tests/e2e/ManagerHarness.h"

#include <gtest/gtest.h>

#include <cstdio>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <set>

#include "VQCore/gamelib/InstalledXmlFile.h"

#include <boost/make_shared.hpp>
#include "VQCore/gamelib/Settings.h"
#include "common/FileUtil.h"
#include "tests/support/LocalServer.h"
#include "tests/support/ProcessWindow.h"

namespace Tessar {
namespace Test {

const wchar_t kManagerTitle[] = L"Tovana游戏";
const wchar_t kManagerClass[] = L"VQMarloxWnd";

namespace {

const DWORD kPollMs = 50;

// Copies a folder tree (files replaced); false on the first failure.
bool CopyTree(const std::wstring& source, const std::wstring& target) {
    if (!CreateDirectoryW(target.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((source + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return true;
    bool ok = true;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring from = source + L"\\" + name;
        std::wstring to = target + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = CopyTree(from, to);
        else
            ok = CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
    } while (ok && FindNextFileW(find, &found));
    FindClose(find);
    return ok;
}

struct WindowSearch {
    DWORD pid;
    const std::vector<VQManagerProcess>* started;
    HWND found;
    int count;
};

bool IsManagerWindow(HWND hwnd) {
    wchar_t className[64] = {};
    wchar_t title[64] = {};
    GetClassNameW(hwnd, className, 64);
    GetWindowTextW(hwnd, title, 64);
    return wcscmp(className, kManagerClass) == 0 && wcscmp(title, kManagerTitle) == 0;
}

BOOL CALLBACK MatchManagerWindow(HWND hwnd, LPARAM lParam) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(lParam);
    if (!IsManagerWindow(hwnd)) return TRUE;
    ++search->count;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    bool ours = search->pid != 0 ? pid == search->pid : false;
    if (search->pid == 0 && search->started) {
        for (const VQManagerProcess& process : *search->started)
            if (process.pid == pid) ours = true;
    }
    if (ours && search->found == nullptr) search->found = hwnd;
    return TRUE;
}

// An environment block: the test program's own with TMP and TEMP pointed
// at the folder given, so the manager's work folders stay in the test's.
std::vector<wchar_t> EnvironmentWithTemp(const std::wstring& temp) {
    std::vector<wchar_t> block;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* entry = strings; entry && *entry; entry += wcslen(entry) + 1) {
        if (_wcsnicmp(entry, L"TMP=", 4) == 0 || _wcsnicmp(entry, L"TEMP=", 5) == 0) continue;
        block.insert(block.end(), entry, entry + wcslen(entry) + 1);
    }
    if (strings) FreeEnvironmentStringsW(strings);
    for (const wchar_t* name : {L"TMP=", L"TEMP="}) {
        std::wstring line = std::wstring(name) + temp;
        block.insert(block.end(), line.begin(), line.end());
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    return block;
}

void WriteToFile(void* context, void* data, int size) {
    std::fwrite(data, 1, static_cast<size_t>(size), static_cast<FILE*>(context));
}

}  // namespace

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return condition();
        Sleep(kPollMs);
    }
}

bool VQManagerProcess::Running() const { return ExitCode() == STILL_ACTIVE; }

DWORD VQManagerProcess::ExitCode() const {
    DWORD code = 0;
    if (process == nullptr || !GetExitCodeProcess(process, &code)) return 0;
    return code;
}

bool VQManagerProcess::WaitForExit(DWORD timeoutMs) const {
    return process != nullptr && WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
}

std::wstring BuildPath(const std::wstring& relative) {
    std::string build = BinaryDirUnix();
    if (build.empty()) return std::wstring();
    return UnixToWindowsPath(build) + L"\\" + relative;
}

VQManagerFolder::VQManagerFolder() {}

VQManagerFolder::~VQManagerFolder() { KillAll(); }

bool VQManagerFolder::Prepare(bool withOtherPrograms) {
    std::wstring source = BuildPath(L"Norvane");
    if (source.empty() || GetFileAttributesW((source + L"\\Norvane.exe").c_str()) == INVALID_FILE_ATTRIBUTES) {
        ADD_FAILURE() << "the build's program folder (build/Norvane) is missing";
        return false;
    }
    m_folder = m_temp.PathOf(L"Norvane");
    // What an installation brings, without what a run of the build's copy
    // left there (settings, lists, servers.ini, the chosen skin) and, unless
    // asked for, without the other programs: most tests never start the real
    // updater or game windows.
    bool copied = CreateFolderChain(m_folder + L"\\data") && CopyTree(source + L"\\skin", m_folder + L"\\skin") &&
                  CopyTree(source + L"\\pic", m_folder + L"\\pic") && CopyTree(source + L"\\audio", m_folder + L"\\audio");
    std::vector<const wchar_t*> files = {L"Norvane.exe", L"Tarnwick.dll", L"data\\database.vqx", L"data\\hot.vqx"};
    if (withOtherPrograms) files.insert(files.end(), {L"Selbrin.exe", L"Pallico.exe", L"Dravenn.exe"});
    for (const wchar_t* file : files)
        copied = copied && CopyFileW((source + L"\\" + file).c_str(), (m_folder + L"\\" + file).c_str(), FALSE);
    DeleteFileW((m_folder + L"\\skin\\skin.xml").c_str());
    if (!copied) {
        ADD_FAILURE() << "cannot copy the program folder";
        return false;
    }
    m_temp.MakeFolder(L"tmp");
    // The settings of a test run: no scheduled update, import or autorun.
    CreateFolderChain(m_folder + L"\\config");
    VQSettings settings(m_folder + L"\\config\\config.xml");
    settings.SetBool(L"UpdateRegular", false);
    settings.SetBool(L"ImportRegular", false);
    settings.SetBool(L"AutoRun", false);
    settings.SetBool(L"ExitMessageTip", false);
    settings.SetString(L"CacheDir", m_temp.PathOf(L"downloads"));
    settings.SetString(L"InstallDir", m_temp.PathOf(L"games"));
    if (!settings.Save()) {
        ADD_FAILURE() << "cannot write the settings";
        return false;
    }
    return true;
}

VQManagerProcess VQManagerFolder::Start(const std::wstring& argument) {
    VQManagerProcess result;
    std::wstring program = m_folder + L"\\Norvane.exe";
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!argument.empty()) commandLine += L" " + argument;
    std::vector<wchar_t> environment = EnvironmentWithTemp(m_temp.PathOf(L"tmp"));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                        environment.data(), m_folder.c_str(), &startup, &info)) {
        ADD_FAILURE() << "cannot start the manager, error " << GetLastError();
        return result;
    }
    CloseHandle(info.hThread);
    result.process = info.hProcess;
    result.pid = info.dwProcessId;
    m_started.push_back(result);
    return result;
}

bool VQManagerFolder::WriteServers(const std::string& updateServer, const std::string& statisticsServer) {
    std::string ini = "[Servers]\r\nUpdateServer=" + updateServer + "\r\n";
    if (!statisticsServer.empty()) ini += "StatisticsServer=" + statisticsServer + "\r\n";
    return m_temp.WriteFile(L"Norvane\\servers.ini", ini);
}

void VQManagerFolder::Kill(const VQManagerProcess& process) {
    if (process.process == nullptr) return;
    if (process.Running()) {
        TerminateProcess(process.process, 1);
        WaitForSingleObject(process.process, 30000);
    }
}

void VQManagerFolder::KillAll() {
    for (VQManagerProcess& process : m_started) {
        Kill(process);
        CloseHandle(process.process);
        process.process = nullptr;
    }
    m_started.clear();
}

HWND VQManagerFolder::FindMainWindow(DWORD pid) const {
    WindowSearch search = {pid, &m_started, nullptr, 0};
    EnumWindows(&MatchManagerWindow, reinterpret_cast<LPARAM>(&search));
    // Test programs share the display: kept above the others' windows, the
    // screen pictures of the manager show the manager (without activating it).
    if (search.found)
        SetWindowPos(search.found, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return search.found;
}

int VQManagerFolder::CountMainWindows() const {
    WindowSearch search = {0, nullptr, nullptr, 0};
    EnumWindows(&MatchManagerWindow, reinterpret_cast<LPARAM>(&search));
    return search.count;
}

bool WriteInstalledDemoGame(const std::wstring& listPath, uint32_t gameId, const std::wstring& demoGamePath,
                            const std::wstring& markerPath) {
    VQInstalledXmlFile list;
    auto record = boost::make_shared<VQGameInstalledInfo>();
    record->ID = gameId;
    record->FullPath = demoGamePath;
    record->RunArg = L"--write \"" + markerPath + L"\"";
    record->SetupTime = 1700000000;
    list.SetRecords({record}, {});
    return list.Save(listPath);
}

namespace {

BOOL CALLBACK ListProcessWindow(HWND hwnd, LPARAM param) {
    auto* request = reinterpret_cast<std::pair<DWORD, std::wstring>*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != request->first) return TRUE;
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    request->second += std::wstring(name) + (IsWindowVisible(hwnd) ? L"(shown) " : L" ");
    return TRUE;
}

}  // namespace

HWND FindProcessWindow(DWORD pid, const wchar_t* className) {
    return FindWindowOfProcess(pid, className, true);
}

std::string WindowsOf(DWORD pid) {
    std::pair<DWORD, std::wstring> request(pid, std::wstring());
    EnumWindows(&ListProcessWindow, reinterpret_cast<LPARAM>(&request));
    return std::string(request.second.begin(), request.second.end());
}

void ClickAt(HWND window, POINT at) { PostClientClick(window, at.x, at.y); }

HWND OpenTileMenu(HWND window, POINT tile, DWORD timeoutMs) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HWND menu = nullptr;
    WaitFor(
        [&] {
            POINT screen = tile;
            ClientToScreen(window, &screen);
            PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(tile.x, tile.y));
            PostMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(tile.x, tile.y));
            PostMessageW(window, WM_RBUTTONUP, 0, MAKELPARAM(tile.x, tile.y));
            PostMessageW(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), MAKELPARAM(screen.x, screen.y));
            const DWORD start = GetTickCount();
            while (GetTickCount() - start < 2000 && !(menu = FindProcessWindow(pid, L"VQMenuWnd"))) Sleep(50);
            return menu != nullptr;
        },
        timeoutMs);
    return menu;
}

void KeepScreenshot(HWND hwnd, const std::wstring& name) {
    CreateDirectoryW(ScreenshotFolder().c_str(), nullptr);
    SaveImagePng(CaptureWindow(hwnd), ScreenshotFolder() + L"\\" + name + L".png");
}

VQScreenImage CaptureWindow(HWND hwnd) {
    VQScreenImage image;
    RECT rc;
    if (!IsWindow(hwnd) || !GetWindowRect(hwnd, &rc)) return image;
    image.width = rc.right - rc.left;
    image.height = rc.bottom - rc.top;
    if (image.width <= 0 || image.height <= 0) return VQScreenImage();
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, image.width, image.height, screen, rc.left, rc.top, SRCCOPY);
        GdiFlush();
        const uint32_t* source = static_cast<const uint32_t*>(bits);
        image.pixels.assign(source, source + static_cast<size_t>(image.width) * image.height);
        for (uint32_t& pixel : image.pixels) pixel &= 0x00FFFFFF;
        SelectObject(memory, old);
        DeleteObject(bitmap);
    } else {
        image = VQScreenImage();
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return image;
}

bool SaveImagePng(const VQScreenImage& image, const std::wstring& path) {
    if (image.pixels.empty()) return false;
    std::vector<unsigned char> rgba(image.pixels.size() * 4);
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        rgba[i * 4] = static_cast<unsigned char>(image.pixels[i] >> 16);
        rgba[i * 4 + 1] = static_cast<unsigned char>(image.pixels[i] >> 8);
        rgba[i * 4 + 2] = static_cast<unsigned char>(image.pixels[i]);
        rgba[i * 4 + 3] = 0xFF;
    }
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr) return false;
    bool ok = stbi_write_png_to_func(&WriteToFile, file, image.width, image.height, 4, rgba.data(),
                                     image.width * 4) != 0;
    fclose(file);
    return ok;
}

HWND WaitForProcessWindow(DWORD pid, const wchar_t* className, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor([&] {
        found = FindWindowOfProcess(pid, className, true);
        return found != nullptr;
    }, timeoutMs);
    return found;
}

void PostClientClick(HWND hwnd, int x, int y) {
    const LPARAM where = MAKELPARAM(x, y);
    PostMessageW(hwnd, WM_MOUSEMOVE, 0, where);
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, where);
    PostMessageW(hwnd, WM_LBUTTONUP, 0, where);
}

COLORREF ClientPixel(HWND hwnd, POINT point) {
    HDC dc = GetDC(hwnd);
    const COLORREF colour = GetPixel(dc, point.x, point.y);
    ReleaseDC(hwnd, dc);
    return colour;
}

bool KeepWindowPicture(HWND hwnd, const std::wstring& name) {
    return SaveImagePng(CaptureWindow(hwnd), ScreenshotFolder() + L"\\" + name + L".png");
}

std::wstring ScreenshotFolder() {
    std::wstring folder = BuildPath(L"tests\\e2e-screenshots");
    if (folder.empty()) return L".";
    CreateFolderChain(folder);
    return folder;
}

size_t DistinctColours(const VQScreenImage& image, const RECT& area) {
    std::set<uint32_t> colours;
    for (int y = area.top; y < area.bottom && y < image.height; ++y)
        for (int x = area.left; x < area.right && x < image.width; ++x) colours.insert(image.At(x, y));
    return colours.size();
}

}  // namespace Test
}  // namespace Tessar
