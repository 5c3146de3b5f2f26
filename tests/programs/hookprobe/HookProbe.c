/* A library that calls two winmm functions through its import table, for
   the import-table hook tests. */
#include <windows.h>
#include <mmsystem.h>

__declspec(dllexport) MMRESULT ProbeWaveOutWrite(HWAVEOUT device, LPWAVEHDR header, UINT size) {
    return waveOutWrite(device, header, size);
}

__declspec(dllexport) DWORD ProbeTimeGetTime(void) {
    return timeGetTime();
}
