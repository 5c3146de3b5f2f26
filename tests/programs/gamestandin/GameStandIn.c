/* A stand-in for an installed game, its uninstaller and the web-game
 * browser in the game-operation tests.
 *   --record PATH    appends "pid|command line" to PATH first
 *   --exit N         then ends at once with exit code N (an uninstaller)
 *   --ignore-close   the window ignores WM_CLOSE (a game that will not end)
 * Otherwise it shows a window titled "VQGameStandIn" until closed. Started
 * with arguments beginning "-url=" (as the browser) it writes each
 * argument on a line of "browser-args.txt" beside itself and ends. Given
 * an ".ini" path first (as the Flash player) it appends its command line
 * to that path + ".seen" and goes on as a game. */
#include <windows.h>
#include <shellapi.h>

#include <stdlib.h>
#include <wchar.h>

static BOOL g_ignoreClose = FALSE;

static void AppendLine(const wchar_t* path, const wchar_t* text) {
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text, (DWORD)(wcslen(text) * sizeof(wchar_t)), &written, NULL);
    WriteFile(file, L"\n", sizeof(wchar_t), &written, NULL);
    CloseHandle(file);
}

static LRESULT CALLBACK StandInProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE && g_ignoreClose) return 0;
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show) {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == NULL) return 90;
    if (count >= 2 && wcsncmp(arguments[1], L"-url=", 5) == 0) {
        wchar_t path[MAX_PATH + 32];
        DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
        while (length > 0 && path[length - 1] != L'\\') --length;
        wcscpy(path + length, L"browser-args.txt");
        DeleteFileW(path);
        for (int i = 1; i < count; ++i) AppendLine(path, arguments[i]);
        return 0;
    }
    size_t first = count >= 2 ? wcslen(arguments[1]) : 0;
    if (first > 4 && _wcsicmp(arguments[1] + first - 4, L".ini") == 0) {
        wchar_t seen[MAX_PATH + 8];
        _snwprintf(seen, MAX_PATH + 7, L"%ls.seen", arguments[1]);
        seen[MAX_PATH + 7] = 0;
        AppendLine(seen, GetCommandLineW());
    }
    int exitCode = -1;
    for (int i = 1; i < count; ++i) {
        if (wcscmp(arguments[i], L"--record") == 0 && i + 1 < count) {
            wchar_t line[2048];
            _snwprintf(line, 2047, L"%lu|%ls", GetCurrentProcessId(), GetCommandLineW());
            line[2047] = 0;
            AppendLine(arguments[++i], line);
        } else if (wcscmp(arguments[i], L"--exit") == 0 && i + 1 < count) {
            exitCode = _wtoi(arguments[++i]);
        } else if (wcscmp(arguments[i], L"--ignore-close") == 0) {
            g_ignoreClose = TRUE;
        }
    }
    if (exitCode >= 0) return exitCode;
    WNDCLASSW wc = {0};
    wc.lpfnWndProc = StandInProc;
    wc.hInstance = instance;
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = L"VQGameStandIn";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"VQGameStandIn", WS_OVERLAPPEDWINDOW, 40, 40, 320, 200, NULL,
                                NULL, instance, NULL);
    if (hwnd == NULL) return 91;
    ShowWindow(hwnd, show);
    MSG msg;
    while (GetMessageW(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
