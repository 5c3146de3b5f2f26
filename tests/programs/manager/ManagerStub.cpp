// Stand-in for the manager in the updater's end-to-end tests. Its start
// runs the self-upgrade module's start-up side exactly as the manager's
// does; then, steered by its environment (inherited from the test):
//   VQ_MANAGER_LOG     a file to which it appends one UTF-8 line per start:
//                      "handed|PID|PARAMETERS" when it started a pending
//                      upgrade and ends, else "started|PID|PARAMETERS"
//   VQ_MANAGER_WINDOW  when set, shows a window (class and title
//                      "VQManagerStub") and ends when it is closed
#include "VQUpdate/UpgradeRun.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

std::wstring Variable(const wchar_t* name) {
    wchar_t value[1024];
    DWORD length = GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

void Log(const wchar_t* word, const std::wstring& parameters) {
    std::wstring log = Variable(L"VQ_MANAGER_LOG");
    if (log.empty())
        return;
    std::wstring line = std::wstring(word) + L"|" + std::to_wstring(GetCurrentProcessId()) + L"|" + parameters + L"\n";
    int length = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length > 0 ? length : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, &bytes[0], length, nullptr, nullptr);
    FILE* file = _wfopen(log.c_str(), L"ab");
    if (file != nullptr) {
        fwrite(bytes.data(), 1, bytes.size() - 1, file);
        fclose(file);
    }
}

LRESULT CALLBACK StubWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RunWindow() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = StubWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VQManagerStub";
    RegisterClassW(&windowClass);
    CreateWindowExW(WS_EX_TOOLWINDOW, L"VQManagerStub", L"VQManagerStub", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                    nullptr, nullptr, windowClass.hInstance, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    std::wstring parameters;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; argv != nullptr && i < count; ++i)
        parameters += (i > 1 ? L" " : L"") + std::wstring(argv[i]);
    if (argv != nullptr)
        LocalFree(argv);
    if (Tessar::StartPendingUpgrade(parameters) == Tessar::kPendingUpgradeStarted) {
        Log(L"handed", parameters);
        return 0;
    }
    Log(L"started", parameters);
    if (!Variable(L"VQ_MANAGER_WINDOW").empty())
        RunWindow();
    return 0;
}
