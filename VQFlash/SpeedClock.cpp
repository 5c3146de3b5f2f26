#include "VQFlash/SpeedClock.h"

#include "VQFlash/ImportHook.h"

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
// The virtual clock has taken its first real reading.
bool g_started = false;

TimeFunction g_source = nullptr;  // test seam
// The last real function the hook had: a reading that comes in while the
// hook is being removed (its tables not all put back yet) still has a clock.
std::atomic<TimeFunction> g_lastRealFunction{nullptr};
// UI thread only: whether the hook is made (installed or watching).
bool g_clockHookMade = false;

// Made once and never freed: a game thread may be inside SpeedTimeGetTime,
// reading the hook's real function, while the window removes the hook.
VQImportHook& ClockHookObject() {
    static VQImportHook* hook = new VQImportHook(L"winmm.dll", L"timeGetTime",
                                                 reinterpret_cast<FARPROC>(&SpeedTimeGetTime), false, true);
    return *hook;
}

// The real clock's reading; false while there is none to follow. The hook
// takes the real function wherever it patches a table (at installation, or
// when a module loaded later brings winmm in), always before the table
// points here.
bool ReadRealClockLocked(DWORD& now) {
    if (g_source != nullptr) {
        now = g_source();
        return true;
    }
    TimeFunction real = reinterpret_cast<TimeFunction>(ClockHookObject().GetRealFunction());
    if (real != nullptr)
        g_lastRealFunction.store(real);
    else
        real = g_lastRealFunction.load();
    if (real == nullptr)
        return false;
    now = real();
    return true;
}

// Counts the real time since the last reading at the current rate. The
// first reading starts the virtual clock at the real one, so it never jumps.
void AdvanceLocked() {
    DWORD real = 0;
    if (!ReadRealClockLocked(real))
        return;
    if (!g_started) {
        g_lastReal = real;
        g_virtualTime = real;
        g_carry = 0.0;
        g_started = true;
        return;
    }
    const double advanced = ClockSpeedFactor(g_state) * static_cast<DWORD>(real - g_lastReal) + g_carry;
    const DWORD whole = static_cast<DWORD>(advanced);
    g_carry = advanced - whole;
    g_virtualTime += whole;
    g_lastReal = real;
}

}  // namespace

double ClockSpeedFactor(int state) {
    if (state < 0 || state >= kClockSpeedStates) state = 0;
    return 1.0 + 0.5 * state;
}

void SetClockSpeedState(int state) {
    if (state < 0 || state >= kClockSpeedStates) state = 0;
    std::lock_guard<std::mutex> lock(g_clockLock);
    // Time so far counted at the old rate.
    AdvanceLocked();
    g_state = state;
}

int GetClockSpeedState() {
    std::lock_guard<std::mutex> lock(g_clockLock);
    return g_state;
}

DWORD WINAPI SpeedTimeGetTime() {
    std::lock_guard<std::mutex> lock(g_clockLock);
    AdvanceLocked();
    return g_virtualTime;
}

void SetClockSource(DWORD(WINAPI* source)()) {
    std::lock_guard<std::mutex> lock(g_clockLock);
    g_source = source;
    g_started = false;
    AdvanceLocked();
}

VQImportHook* InstallClockHook() {
    VQImportHook& hook = ClockHookObject();
    hook.Install();
    g_clockHookMade = true;
    {
        // Started at the real reading now when winmm is loaded already.
        std::lock_guard<std::mutex> lock(g_clockLock);
        AdvanceLocked();
    }
    return &hook;
}

void RemoveClockHook() {
    if (g_clockHookMade)
        ClockHookObject().Remove();
    g_clockHookMade = false;
    SetClockSpeedState(0);
}

VQImportHook* GetClockHook() {
    return g_clockHookMade ? &ClockHookObject() : nullptr;
}

}  // namespace Tessar
