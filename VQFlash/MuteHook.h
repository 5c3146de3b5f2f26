#pragma once
// The game windows' sound switch: a hook on winmm's waveOutWrite (own
// module included, no LoadLibrary watch) routes every wave buffer through
// MutedWaveOutWrite, which hands the device silence while the process-wide
// mute flag is set. The flag and the hook are process-wide; the hook is
// made and removed on the UI thread.

#include <windows.h>
#include <mmsystem.h>

namespace Tessar {

class VQImportHook;

bool IsSoundMuted();
void SetSoundMuted(bool muted);

// Makes and installs the mute hook when there is none yet; the hook.
VQImportHook* InstallMuteHook();
// Removes and frees the mute hook.
void RemoveMuteHook();
// The hook while it exists, else null.
VQImportHook* GetMuteHook();

// Same arguments and result as waveOutWrite; 0 when the real function is
// unknown.
MMRESULT WINAPI MutedWaveOutWrite(HWAVEOUT device, LPWAVEHDR header, UINT size);

}  // namespace Tessar
