#include "VQFlash/SpeedClock.h"

#include "VQFlash/ImportHook.h"
#include "VQFlash/ImportTable.h"

#include <mmsystem.h>

#include <atomic>
#include <mutex>

namespace Tessar {

namespace {

using TimeFunction = DWORD(WINAPI*)();

// Guards the state and the clock fields below.
std::mutex g_clockLock;
int g_state = 0;
DWORD g_virtualTime = 0;
DWORD g_lastReal = 0;
// Fractions of a millisecond left over by the scaling, so that a game
// reading the clock every millisecond still runs at the right rate.
double g_carry = 0.0;
bool g_started = false;

TimeFunction g_source = nullptr;  // test seam
std::atomic<TimeFunction> g_realTimeGetTime{nullptr};
// UI thread only.
VQImportHook* g_clockHook = nullptr;

DWORD ReadRealClockLocked() {
    if (g_source != nullptr) return g_source();
    TimeFunction real = g_realTimeGetTime.load();
    return real != nullptr ? real() : 0;
}

// Starts the virtual clock at the real reading (no jump on the first call).
void RestartLocked() {
    g_lastReal = ReadRealClockLocked();
    g_virtualTime = g_lastReal;
    g_carry = 0.0;
    g_started = true;
}

}  // namespace

double ClockSpeedFactor(int state) {
    if (state < 0 || state >= kClockSpeedStates) state = 0;
    return 1.0 + 0.5 * state;
}

void SetClockSpeedState(int state) {
    if (state < 0 || state >= kClockSpeedStates) state = 0;
    std::lock_guard<std::mutex> lock(g_clockLock);
    if (!g_started) RestartLocked();
    // Time so far counted at the old rate.
    const DWORD real = ReadRealClockLocked();
    const double advanced = ClockSpeedFactor(g_state) * static_cast<DWORD>(real - g_lastReal) + g_carry;
    const DWORD whole = static_cast<DWORD>(advanced);
    g_carry = advanced - whole;
    g_virtualTime += whole;
    g_lastReal = real;
    g_state = state;
}

int GetClockSpeedState() {
    std::lock_guard<std::mutex> lock(g_clockLock);
    return g_state;
}

DWORD WINAPI SpeedTimeGetTime() {
    std::lock_guard<std::mutex> lock(g_clockLock);
    if (!g_started) RestartLocked();
    const DWORD real = ReadRealClockLocked();
    const double advanced = ClockSpeedFactor(g_state) * static_cast<DWORD>(real - g_lastReal) + g_carry;
    const DWORD whole = static_cast<DWORD>(advanced);
    g_carry = advanced - whole;
    g_virtualTime += whole;
    g_lastReal = real;
    return g_virtualTime;
}

void SetClockSource(DWORD(WINAPI* source)()) {
    std::lock_guard<std::mutex> lock(g_clockLock);
    g_source = source;
    RestartLocked();
}

VQImportHook* InstallClockHook() {
    if (g_clockHook == nullptr) {
        g_clockHook = new VQImportHook(L"winmm.dll", L"timeGetTime", reinterpret_cast<FARPROC>(&SpeedTimeGetTime),
                                       false, true);
    }
    // Known, and the virtual clock started, before any table points at the
    // replacement.
    if (FARPROC real = FindLoadedFunction(L"winmm.dll", L"timeGetTime"))
        g_realTimeGetTime.store(reinterpret_cast<TimeFunction>(real));
    {
        std::lock_guard<std::mutex> lock(g_clockLock);
        if (!g_started) RestartLocked();
    }
    g_clockHook->Install();
    if (FARPROC real = g_clockHook->GetRealFunction())
        g_realTimeGetTime.store(reinterpret_cast<TimeFunction>(real));
    return g_clockHook;
}

void RemoveClockHook() {
    delete g_clockHook;
    g_clockHook = nullptr;
    SetClockSpeedState(0);
}

VQImportHook* GetClockHook() {
    return g_clockHook;
}

}  // namespace Tessar
