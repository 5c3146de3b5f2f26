// The game speed switch in a process that has not loaded winmm yet, as a
// web game window is before its page brings the multimedia library in: the
// switch is made (x2) first, then a library that imports timeGetTime is
// loaded, and its clock is read between real readings over a second.
//
//   SpeedClockProbe <library importing timeGetTime> <result file>
//
// The result file gets "virtual=<ms> shortest=<ms> longest=<ms>": the game
// clock's advance and the bounds of the real time it covered. Exit codes: 0 measured,
// 2 bad arguments, 3 winmm was loaded already (nothing to show), 4 the
// library or a function could not be found.

#include "VQFlash/SpeedClock.h"

#include <windows.h>

#include <cstdio>

namespace {

using Clock = DWORD (*)();

bool WriteResult(const wchar_t* path, const char* text) {
    FILE* file = _wfopen(path, L"w");
    if (file == nullptr) return false;
    const bool written = std::fputs(text, file) >= 0;
    return std::fclose(file) == 0 && written;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    if (::GetModuleHandleW(L"winmm.dll") != nullptr) return 3;
    Tessar::InstallClockHook();
    Tessar::SetClockSpeedState(2);

    HMODULE library = ::LoadLibraryW(argv[1]);
    HMODULE winmm = ::GetModuleHandleW(L"winmm.dll");
    if (library == nullptr || winmm == nullptr) return 4;
    auto gameClock = reinterpret_cast<Clock>(reinterpret_cast<void*>(::GetProcAddress(library, "ProbeTimeGetTime")));
    auto realClock = reinterpret_cast<Clock>(reinterpret_cast<void*>(::GetProcAddress(winmm, "timeGetTime")));
    if (gameClock == nullptr || realClock == nullptr) return 4;

    // Each game reading lies between two real ones, so the real time
    // between the game readings is known within those bounds however the
    // process is scheduled.
    const DWORD beforeStart = realClock();
    const DWORD virtualStart = gameClock();
    const DWORD afterStart = realClock();
    ::Sleep(1000);
    const DWORD beforeEnd = realClock();
    const DWORD virtualEnd = gameClock();
    const DWORD afterEnd = realClock();
    Tessar::RemoveClockHook();

    char text[96];
    std::snprintf(text, sizeof(text), "virtual=%lu shortest=%lu longest=%lu\n",
                  static_cast<unsigned long>(virtualEnd - virtualStart),
                  static_cast<unsigned long>(beforeEnd - afterStart), static_cast<unsigned long>(afterEnd - beforeStart));
    return WriteResult(argv[2], text) ? 0 : 4;
}
