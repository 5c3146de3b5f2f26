#include "VQFlash/MuteHook.h"

#include "VQFlash/ImportHook.h"
#include "VQFlash/ImportTable.h"

#include <atomic>
#include <cstring>

namespace Tessar {

namespace {

using WaveOutWriteFunction = MMRESULT(WINAPI*)(HWAVEOUT, LPWAVEHDR, UINT);

std::atomic<bool> g_muted{false};
// UI thread only.
VQImportHook* g_muteHook = nullptr;
// The real waveOutWrite, kept after the hook is freed: an audio thread may
// still be inside the replacement then, and must not read the freed hook.
std::atomic<WaveOutWriteFunction> g_realWaveOutWrite{nullptr};

}  // namespace

bool IsSoundMuted() {
    return g_muted.load();
}

void SetSoundMuted(bool muted) {
    g_muted.store(muted);
}

VQImportHook* InstallMuteHook() {
    if (g_muteHook == nullptr) {
        g_muteHook = new VQImportHook(L"winmm.dll", L"waveOutWrite", reinterpret_cast<FARPROC>(&MutedWaveOutWrite),
                                      true, false);
    }
    // Known before any table points at the replacement.
    if (FARPROC real = FindLoadedFunction(L"winmm.dll", L"waveOutWrite"))
        g_realWaveOutWrite.store(reinterpret_cast<WaveOutWriteFunction>(real));
    g_muteHook->Install();
    if (FARPROC real = g_muteHook->GetRealFunction())
        g_realWaveOutWrite.store(reinterpret_cast<WaveOutWriteFunction>(real));
    return g_muteHook;
}

void RemoveMuteHook() {
    delete g_muteHook;
    g_muteHook = nullptr;
}

VQImportHook* GetMuteHook() {
    return g_muteHook;
}

MMRESULT WINAPI MutedWaveOutWrite(HWAVEOUT device, LPWAVEHDR header, UINT size) {
    if (g_muted.load() && header != nullptr && header->lpData != nullptr)
        std::memset(header->lpData, 0, header->dwBufferLength);
    WaveOutWriteFunction real = g_realWaveOutWrite.load();
    return real != nullptr ? real(device, header, size) : 0;
}

}  // namespace Tessar
