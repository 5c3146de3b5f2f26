/* Stand-in for a release program and for the manager in the upgrade tests.
 * Steered by its environment, which it inherits from the test:
 *   VQ_STUB_LOG      a file to which it appends "command line|current folder"
 *   VQ_STUB_EXTRACT  a file it copies into its current folder (what a
 *                    release program unpacks)
 *   VQ_STUB_EXTRACT_TREE  a folder whose whole tree it copies into its
 *                    current folder
 *   VQ_STUB_EXIT     its exit code (0 when unset)
 *   VQ_STUB_WINDOW   when set, shows a window and ends when it is closed
 *   VQ_STUB_CLOSE_MS with the window: how long its end takes after the
 *                    window closed (a manager stopping its workers) */
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>
#include <windows.h>

static void CopyTree(const wchar_t* source, const wchar_t* target) {
    wchar_t pattern[2048];
    WIN32_FIND_DATAW found;
    HANDLE find;
    _snwprintf(pattern, 2048, L"%ls\\*", source);
    pattern[2047] = 0;
    CreateDirectoryW(target, NULL);
    find = FindFirstFileW(pattern, &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        wchar_t from[2048];
        wchar_t to[2048];
        if (wcscmp(found.cFileName, L".") == 0 || wcscmp(found.cFileName, L"..") == 0)
            continue;
        _snwprintf(from, 2048, L"%ls\\%ls", source, found.cFileName);
        _snwprintf(to, 2048, L"%ls\\%ls", target, found.cFileName);
        from[2047] = 0;
        to[2047] = 0;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CopyTree(from, to);
        else
            CopyFileW(from, to, FALSE);
    } while (FindNextFileW(find, &found));
    FindClose(find);
}

static LRESULT CALLBACK StubWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

static void RunWindow(void) {
    WNDCLASSW windowClass = {0};
    windowClass.lpfnWndProc = StubWindowProc;
    windowClass.hInstance = GetModuleHandleW(NULL);
    windowClass.lpszClassName = L"VQUpgradeStub";
    RegisterClassW(&windowClass);
    CreateWindowW(L"VQUpgradeStub", L"VQUpgradeStub", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL,
                  windowClass.hInstance, NULL);
    MSG message;
    while (GetMessageW(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show) {
    wchar_t value[1024];
    wchar_t folder[1024];
    (void)instance;
    (void)previous;
    (void)show;
    GetCurrentDirectoryW(1024, folder);
    if (GetEnvironmentVariableW(L"VQ_STUB_LOG", value, 1024) > 0) {
        /* One UTF-8 line. */
        wchar_t line[4096];
        char bytes[8192];
        FILE* log = _wfopen(value, L"ab");
        _snwprintf(line, 4096, L"%ls|%ls\n", commandLine, folder);
        line[4095] = 0;
        int length = WideCharToMultiByte(CP_UTF8, 0, line, -1, bytes, sizeof(bytes), NULL, NULL);
        if (log != NULL) {
            if (length > 1)
                fwrite(bytes, 1, (size_t)(length - 1), log);
            fclose(log);
        }
    }
    if (GetEnvironmentVariableW(L"VQ_STUB_EXTRACT", value, 1024) > 0) {
        wchar_t target[2048];
        const wchar_t* name = wcsrchr(value, L'\\');
        _snwprintf(target, 2048, L"%ls\\%ls", folder, name != NULL ? name + 1 : value);
        target[2047] = 0;
        CopyFileW(value, target, FALSE);
    }
    if (GetEnvironmentVariableW(L"VQ_STUB_EXTRACT_TREE", value, 1024) > 0)
        CopyTree(value, folder);
    if (GetEnvironmentVariableW(L"VQ_STUB_WINDOW", value, 1024) > 0) {
        RunWindow();
        if (GetEnvironmentVariableW(L"VQ_STUB_CLOSE_MS", value, 1024) > 0)
            Sleep((DWORD)_wtoi(value));
    }
    if (GetEnvironmentVariableW(L"VQ_STUB_EXIT", value, 1024) > 0)
        return _wtoi(value);
    return 0;
}
