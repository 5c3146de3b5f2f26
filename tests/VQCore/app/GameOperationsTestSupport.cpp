#include "tests/VQCore/app/GameOperationsTestSupport.h"

#include <gtest/gtest.h>

#include "tests/support/LocalServer.h"

namespace Tessar {
namespace Test {

std::wstring StandInPath() { return UnixToWindowsPath(BinaryDirUnix() + "/fixtures/games") + L"\\GameStandIn.exe"; }

std::wstring CopyStandIn(const VQTempFolder& folder, const std::wstring& name) {
    const std::wstring path = folder.PathOf(name);
    EXPECT_TRUE(::CopyFileW(StandInPath().c_str(), path.c_str(), FALSE)) << "copying the stand-in game";
    return path;
}

std::vector<std::wstring> ReadStartRecords(const std::wstring& recordPath) {
    std::vector<std::wstring> lines;
    HANDLE file = ::CreateFileW(recordPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lines;
    std::wstring text;
    wchar_t buffer[1024];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) text.append(buffer, read / sizeof(wchar_t));
    ::CloseHandle(file);
    size_t start = 0;
    for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

DWORD ProcessIdOfRecord(const std::wstring& line) { return static_cast<DWORD>(wcstoul(line.c_str(), nullptr, 10)); }

bool WaitForCondition(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > timeoutMs) return false;
        ::Sleep(50);
    }
    return true;
}

bool WaitForProcessEnd(DWORD processId, DWORD timeoutMs) {
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (process == nullptr) return true;
    const bool ended = ::WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
    ::CloseHandle(process);
    return ended;
}

void EndProcess(DWORD processId) {
    if (processId == 0) return;
    HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
    if (process == nullptr) return;
    ::TerminateProcess(process, 9);
    ::WaitForSingleObject(process, 5000);
    ::CloseHandle(process);
}

namespace {

DWORD WINAPI DoNothing(void*) { return 0; }

// One short-lived thread: its id, given back when this returns (0 on failure).
DWORD CycleThreadId() {
    DWORD id = 0;
    HANDLE thread = ::CreateThread(nullptr, 4096, &DoNothing, nullptr, STACK_SIZE_PARAM_IS_A_RESERVATION, &id);
    if (thread == nullptr) return 0;
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
    return id;
}

}  // namespace

HANDLE StartProcessWithId(DWORD wanted, const std::wstring& commandLine, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    DWORD marker = 0;  // the id given back just before the wanted one
    DWORD previous = 0;
    while (::GetTickCount() - start < timeoutMs) {
        const DWORD id = CycleThreadId();
        if (id == 0) return nullptr;
        if (id == wanted) marker = previous;
        previous = id;
        if (marker == 0 || id != marker) continue;
        // The wanted id is next in line.
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        std::wstring line = commandLine;
        if (!::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            return nullptr;
        ::CloseHandle(info.hThread);
        if (info.dwProcessId == wanted) return info.hProcess;
        // Someone else took an id meanwhile: round again.
        ::TerminateProcess(info.hProcess, 9);
        ::WaitForSingleObject(info.hProcess, 5000);
        ::CloseHandle(info.hProcess);
        marker = 0;
    }
    return nullptr;
}

VQPostedMessages::VQPostedMessages() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &VQPostedMessages::Proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VQPostedMessagesTest";
    ::RegisterClassW(&wc);
    m_window = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, this);
    ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

VQPostedMessages::~VQPostedMessages() {
    if (m_window) ::DestroyWindow(m_window);
}

LRESULT CALLBACK VQPostedMessages::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<VQPostedMessages*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message >= WM_USER) {
        self->m_posted.push_back(Posted{message, wParam, lParam});
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

bool VQPostedMessages::WaitFor(UINT message, DWORD timeoutMs, WPARAM* wParam, LPARAM* lParam) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        for (size_t i = 0; i < m_posted.size(); ++i) {
            if (m_posted[i].message != message) continue;
            if (wParam) *wParam = m_posted[i].wParam;
            if (lParam) *lParam = m_posted[i].lParam;
            m_posted.erase(m_posted.begin() + static_cast<std::ptrdiff_t>(i));
            return true;
        }
        if (::GetTickCount() - start > timeoutMs) return false;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}

}  // namespace Test
}  // namespace Tessar
