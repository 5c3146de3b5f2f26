/* A runtime setup program for the runtime install tests. Its file name
   says what it does: "..._result_TEXT.exe" writes TEXT as the [report]
   "result" of the hand-shake file named by its only argument (nothing when
   the name has no "_result_"); a name with "_wait" waits until a file "<own path>.release"
   exists and then ends without answering. What it was told ([install] "dir" and its
   argument count) goes to "<own path>.seen.ini". A name with "_path" also
   reports its own path as [report] "path" and "-demo x" as "param". A name
   with "_install" installs like a game's setup: it copies itself to the
   path [target] "path" of "<own path>.target.ini" names below the install
   folder (making the folders on the way) and reports that copy with
   result 1. */
#include <windows.h>
#include <shellapi.h>
#include <wchar.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show) {
    (void)instance; (void)previous; (void)commandLine; (void)show;
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    wchar_t self[MAX_PATH];
    if (!argv || !GetModuleFileNameW(NULL, self, MAX_PATH)) return 2;

    wchar_t seen[MAX_PATH + 16];
    wsprintfW(seen, L"%s.seen.ini", self);
    wchar_t count[16];
    wsprintfW(count, L"%d", argc - 1);
    WritePrivateProfileStringW(L"seen", L"arguments", count, seen);
    if (argc < 2) return 3;
    const wchar_t* handshake = argv[1];

    wchar_t dir[1024] = L"";
    GetPrivateProfileStringW(L"install", L"dir", L"", dir, 1024, handshake);
    WritePrivateProfileStringW(L"seen", L"dir", dir, seen);
    WritePrivateProfileStringW(NULL, NULL, NULL, seen);

    const wchar_t* name = wcsrchr(self, L'\\');
    name = name ? name + 1 : self;
    if (wcsstr(name, L"_wait")) {
        wchar_t release[MAX_PATH + 16];
        wsprintfW(release, L"%s.release", self);
        for (int i = 0; i < 2400 && GetFileAttributesW(release) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(50);
        WritePrivateProfileStringW(L"seen", L"released", L"1", seen);
        WritePrivateProfileStringW(NULL, NULL, NULL, seen);
        LocalFree(argv);
        return 0;
    }
    if (wcsstr(name, L"_install")) {
        wchar_t targetIni[MAX_PATH + 16];
        wsprintfW(targetIni, L"%s.target.ini", self);
        wchar_t relative[512] = L"";
        GetPrivateProfileStringW(L"target", L"path", L"", relative, 512, targetIni);
        wchar_t target[2048];
        lstrcpynW(target, dir, 1024);
        lstrcatW(target, L"\\");
        lstrcatW(target, relative);
        /* Every folder on the way, then the program. */
        for (wchar_t* at = target + lstrlenW(dir) + 1; *at; ++at) {
            if (*at != L'\\') continue;
            *at = 0;
            CreateDirectoryW(target, NULL);
            *at = L'\\';
        }
        if (!CopyFileW(self, target, FALSE)) return 4;
        WritePrivateProfileStringW(L"report", L"result", L"1", handshake);
        WritePrivateProfileStringW(L"report", L"path", target, handshake);
        WritePrivateProfileStringW(NULL, NULL, NULL, handshake);
        LocalFree(argv);
        return 0;
    }
    const wchar_t* marker = wcsstr(name, L"_result_");
    if (marker) {
        wchar_t result[64] = L"";
        lstrcpynW(result, marker + 8, 64);
        wchar_t* dot = wcschr(result, L'.');
        if (dot) *dot = 0;
        WritePrivateProfileStringW(L"report", L"result", result, handshake);
        if (wcsstr(name, L"_path")) {
            WritePrivateProfileStringW(L"report", L"path", self, handshake);
            WritePrivateProfileStringW(L"report", L"param", L"-demo x", handshake);
        }
        WritePrivateProfileStringW(NULL, NULL, NULL, handshake);
    }
    LocalFree(argv);
    return 0;
}
