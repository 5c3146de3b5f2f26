#pragma once
// The runtime environment window's download-and-install chain without the
// window: the runtime rows and their states, what a download's end code
// means for the chain, and the install thread, which installs one
// downloaded runtime and reports the outcome to the window by a posted
// message (the window alone touches its rows and controls).

#include "VQCore/app/environment/EnvironmentCheck.h"
#include "common/KernelHandle.h"
#include "common/Thread.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Tessar {

struct VQRuntimeRow {
    const RuntimeRequirement* runtime = nullptr;
    uint32_t state = kRowNone;
    bool paused = false;
    std::wstring recordPath;
    std::wstring filePath;  // the downloaded file, for the install thread
    uint64_t totalBytes = 0;
    uint64_t downloadedBytes = 0;
};

// The rows of one game, in the list's order. UI thread only.
class VQRuntimeRows {
public:
    void Fill(int gameKind, uint16_t dependMask, const VQRuntimeState& state);
    void Clear() { m_rows.clear(); }
    std::vector<VQRuntimeRow>& Rows() { return m_rows; }
    const std::vector<VQRuntimeRow>& Rows() const { return m_rows; }
    VQRuntimeRow* FindByPackage(uint32_t packageId);
    // The first row in the state; null when none.
    VQRuntimeRow* FirstInState(uint32_t state);
    bool AllInstalled() const;
    // "一键安装": the first missing runtime goes to downloading; its row,
    // or null when nothing is missing.
    VQRuntimeRow* StartNextDownload();

private:
    std::vector<VQRuntimeRow> m_rows;
};

// What the chain does when a runtime's download ended.
enum class VQDownloadEndStep {
    kInstall,  // downloaded: start the install thread
    kNothing,  // stopped on purpose
    kRetry,    // a transient failure below the retry limit: run the task again
    kNext,     // failed: go on with the next missing runtime
};
const uint32_t kRuntimeDownloadRetries = 4;
VQDownloadEndStep DecideDownloadEnd(bool peerToPeer, uint32_t endCode, uint32_t retryCount);

// Install thread -> window: wParam = package id, lParam = a
// VQRuntimeInstallResult.
const UINT kWmRuntimeInstalled = WM_APP + 0x160;

struct VQRuntimeInstallJob {
    uint32_t packageId = 0;
    std::wstring filePath;
    std::wstring installFolder;
    // Held by the thread too: a window that stopped waiting for it may go.
    VQSharedEvent stopEvent;
    HWND window = nullptr;       // receives kWmRuntimeInstalled
};
// Starts the install thread for one row (already set to installing by the
// window). The holder is waited for and released by its owner.
// Null when the thread could not start (the caller then fails the row).
std::unique_ptr<VQThread> StartRuntimeInstallThread(const VQRuntimeInstallJob& job);
// What the thread runs; public for tests that run it on their own thread.
void RunRuntimeInstallJob(const VQRuntimeInstallJob& job);

}  // namespace Tessar
