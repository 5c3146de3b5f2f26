/* The release program of the demo world's newer release (1.7.2.0): the
 * updater's upgrade copy runs it in its download folder and, when it ends
 * with 0, copies what it left there into the program folder. It writes
 * "demo-release.txt" beside itself, so the upgraded program folder shows
 * which release was applied and when, and ends at once. */
#include <windows.h>

#include <stdio.h>
#include <wchar.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show) {
    wchar_t path[MAX_PATH + 32];
    DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
    wchar_t* slash;
    SYSTEMTIME now;
    char text[128];
    HANDLE file;
    DWORD written = 0;
    BOOL ok;
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    if (length == 0 || length >= MAX_PATH) return 1;
    slash = wcsrchr(path, L'\\');
    if (slash == NULL) return 1;
    wcscpy(slash + 1, L"demo-release.txt");
    GetLocalTime(&now);
    _snprintf(text, sizeof(text), "Tovana demo release 1.7.2.0, applied %04u-%02u-%02u %02u:%02u:%02u\r\n",
              now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
    text[sizeof(text) - 1] = 0;
    file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return 1;
    ok = WriteFile(file, text, (DWORD)strlen(text), &written, NULL) && written == strlen(text);
    CloseHandle(file);
    return ok ? 0 : 1;
}
