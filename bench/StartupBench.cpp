// Start-up of the manager with the 10,000-game catalogue: from process
// start to the first painted main window (game cards on screen), beside the
// bare catalogue load of the same file, and beside the start of an empty
// program (what Wine alone costs a process). The bare load runs in a fresh
// process of its own (this program started with --load-once), as the
// manager's start-up does: in this process, whose heap has grown while it
// wrote the catalogue, the same load takes about 40% less.
//
// Runs on a copy of the build's program folder (build/Norvane) whose
// catalogue is replaced by the synthetic one; needs a display.

#include "bench/BenchClock.h"
#include "bench/BenchFolders.h"
#include "bench/CatalogueGenerator.h"
#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/Settings.h"
#include "common/FileUtil.h"
#include "tests/support/ProcessWindow.h"
#include "tools/imageencode/BitmapCanvas.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace Tessar;
using namespace Tessar::Bench;

namespace {

const int kRuns = 5;
const DWORD kStartLimitMs = 120000;
const wchar_t kTitle[] = L"Tovana游戏";

HANDLE StartProgram(const std::wstring& program, const std::wstring& arguments, DWORD& pid) {
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
        return nullptr;
    CloseHandle(info.hThread);
    pid = info.dwProcessId;
    return info.hProcess;
}

// Whether a strip across the window's content shows coloured game cards.
bool CardsPainted(HWND hwnd) {
    RECT rc;
    if (!GetWindowRect(hwnd, &rc)) return false;
    const int width = rc.right - rc.left;
    const int top = rc.top + (rc.bottom - rc.top) / 3;
    const int rows = 80;
    VQBitmapCanvas strip(width, rows);
    size_t coloured = 0;
    if (strip.IsValid()) {
        strip.CopyScreen(rc.left, top);
        const uint32_t* pixels = strip.Pixels();
        for (int i = 0; i < width * rows; ++i) {
            int r = (pixels[i] >> 16) & 0xFF, g = (pixels[i] >> 8) & 0xFF, b = pixels[i] & 0xFF;
            if (std::max(r, std::max(g, b)) - std::min(r, std::min(g, b)) > 90) ++coloured;
        }
    }
    return coloured > 2000;
}

// Milliseconds from CreateProcess to cards on screen; negative on failure.
double TimeToFirstPaint(const std::wstring& program) {
    double start = NowMs();
    DWORD pid = 0;
    HANDLE process = StartProgram(program, L"", pid);
    if (process == nullptr) return -1;
    double painted = -1;
    HWND window = nullptr;
    while (NowMs() - start < kStartLimitMs) {
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) break;
        if (window == nullptr) window = Test::FindWindowOfProcess(pid, L"VQMarloxWnd", false);
        if (window && IsWindowVisible(window) && CardsPainted(window)) {
            painted = NowMs() - start;
            break;
        }
        Sleep(1);
    }
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, 30000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
    CloseHandle(process);
    return painted;
}

// The catalogue load alone, timed in a fresh process; negative on failure.
double TimeFreshLoad(const std::wstring& database, const std::wstring& result) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    DeleteFileW(result.c_str());
    DWORD pid = 0;
    HANDLE process = StartProgram(self, L"--load-once \"" + database + L"\" \"" + result + L"\"", pid);
    if (process == nullptr) return -1;
    WaitForSingleObject(process, kStartLimitMs);
    CloseHandle(process);
    FILE* file = _wfopen(result.c_str(), L"r");
    double ms = -1;
    if (file == nullptr || fscanf(file, "%lf", &ms) != 1) ms = -1;
    if (file) fclose(file);
    return ms;
}

// The child of TimeFreshLoad: loads the catalogue once and writes how long
// it took.
int LoadOnce(const std::wstring& database, const std::wstring& result) {
    double begin = NowMs();
    VQDatabaseXmlFile file(database);
    if (!file.Load()) return 1;
    double took = NowMs() - begin;
    FILE* out = _wfopen(result.c_str(), L"w");
    if (out == nullptr) return 1;
    fprintf(out, "%.3f\n", took);
    return fclose(out) == 0 ? 0 : 1;
}

double TimeEmptyProcess(const std::wstring& program, const std::wstring& marker) {
    double start = NowMs();
    DWORD pid = 0;
    HANDLE process = StartProgram(program, L"--write \"" + marker + L"\"", pid);
    if (process == nullptr) return -1;
    WaitForSingleObject(process, kStartLimitMs);
    CloseHandle(process);
    return NowMs() - start;
}

}  // namespace

int main() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments != nullptr && count == 4 && std::wstring(arguments[1]) == L"--load-once")
        return LoadOnce(arguments[2], arguments[3]);
    std::wstring build = OwnFolder() + L"\\..";
    wchar_t tempPath[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, tempPath);
    std::wstring folder = std::wstring(tempPath) + L"vq-startup-bench";
    std::wstring program = folder + L"\\Norvane.exe";
    if (!CopyTree(build + L"\\Norvane", folder) || GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
        printf("startup bench: the build's program folder (build/Norvane) is missing\n");
        return 1;
    }
    std::wstring database = folder + L"\\data\\database.vqx";
    if (!WriteSyntheticCatalogue(MakeSyntheticGames(), L"bench", database, nullptr)) {
        printf("startup bench: cannot write the catalogue\n");
        return 1;
    }
    CreateFolderChain(folder + L"\\config");
    VQSettings settings(folder + L"\\config\\config.xml");
    settings.SetBool(L"UpdateRegular", false);
    settings.SetBool(L"ImportRegular", false);
    settings.SetBool(L"AutoRun", false);
    settings.Save();

    std::vector<double> loads, warmLoads, starts, empties;
    for (int run = 0; run < kRuns; ++run) {
        double begin = NowMs();
        VQDatabaseXmlFile file(database);
        if (!file.Load()) {
            printf("startup bench: the catalogue does not load\n");
            return 1;
        }
        warmLoads.push_back(NowMs() - begin);
        double fresh = TimeFreshLoad(database, folder + L"\\load-once.txt");
        if (fresh < 0) {
            printf("startup bench: the catalogue does not load in a fresh process\n");
            return 1;
        }
        loads.push_back(fresh);
    }
    std::wstring demoGame = build + L"\\demo\\game\\DemoGame.exe";
    for (int run = 0; run < kRuns; ++run) {
        double empty = TimeEmptyProcess(demoGame, folder + L"\\empty-ran.txt");
        if (empty >= 0) empties.push_back(empty);
        double start = TimeToFirstPaint(program);
        if (start < 0) {
            printf("startup bench: run %d did not paint its cards\n", run + 1);
            return 1;
        }
        starts.push_back(start);
    }
    double load = Percentile(loads, 0.5);
    printf("bare catalogue load (median of 5): in a fresh process %.1f ms, in this warmed process %.1f ms\n", load,
           Percentile(warmLoads, 0.5));
    double start = Percentile(starts, 0.5);
    double empty = Percentile(empties, 0.5);
    PrintRatioLine("start to first paint, 10000 games (median of 5)", start, "bare catalogue load, fresh process", load);
    PrintRatioLine("start to first paint beside an empty program's start", start, "empty program", empty);
    PrintGoalLine("start to first painted cards less an empty program's start, 10000 games", start - empty,
                  "bare catalogue load, fresh process", load, "ms", ReferencePlus(150.0));
    return 0;
}
