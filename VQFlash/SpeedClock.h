#pragma once
// The web-game speed switch: a hook on winmm's timeGetTime (own module
// excluded, modules loaded later watched through LoadLibrary) routes the
// game's clock through SpeedTimeGetTime, which runs a virtual clock at
// 1 + 0.5 x state times the real rate. State 0 is real time. The real
// clock is the function the hook took where it patched a table: when it is
// installed, or when a module loaded later brings winmm in. The virtual
// clock starts at the first real reading and only ever adds scaled real
// increments, so neither a late winmm nor a speed switch makes it jump.
// The state and clock are process-wide and locked: games read the time on
// any thread; the hook is made and removed on the UI thread.

#include <windows.h>

namespace Tessar {

class VQImportHook;

const int kClockSpeedStates = 4;  // 0 real time, 1 x1.5, 2 x2, 3 x2.5

// Out-of-range states are clamped to 0..3.
void SetClockSpeedState(int state);
int GetClockSpeedState();
// The rate of the virtual clock against the real one for a state.
double ClockSpeedFactor(int state);

// Makes and installs the clock hook when there is none yet; the hook.
VQImportHook* InstallClockHook();
// Removes the clock hook; the state returns to real time. The hook object
// itself stays: a game thread may still be inside SpeedTimeGetTime.
void RemoveClockHook();
VQImportHook* GetClockHook();

// The replacement of timeGetTime.
DWORD WINAPI SpeedTimeGetTime();

// Test seam: the real clock the virtual one follows (null restores the
// hooked timeGetTime); also restarts the virtual clock at its reading.
void SetClockSource(DWORD(WINAPI* source)());

}  // namespace Tessar
