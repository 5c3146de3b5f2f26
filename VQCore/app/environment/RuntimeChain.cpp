#include "VQCore/app/environment/RuntimeChain.h"

#include "VQCore/app/environment/RuntimeInstall.h"

namespace Tessar {

void VQRuntimeRows::Fill(int gameKind, uint16_t dependMask, const VQRuntimeState& state) {
    m_rows.clear();
    for (const RuntimeRequirement* runtime : RuntimeRowsFor(gameKind, dependMask)) {
        VQRuntimeRow row;
        row.runtime = runtime;
        row.state = IsRuntimeInstalled(*runtime, state) ? kRowSatisfied : kRowNotSatisfied;
        m_rows.push_back(row);
    }
}

VQRuntimeRow* VQRuntimeRows::FindByPackage(uint32_t packageId) {
    for (VQRuntimeRow& row : m_rows)
        if (row.runtime != nullptr && row.runtime->packageId == packageId) return &row;
    return nullptr;
}

VQRuntimeRow* VQRuntimeRows::FirstInState(uint32_t state) {
    for (VQRuntimeRow& row : m_rows)
        if (row.state == state) return &row;
    return nullptr;
}

bool VQRuntimeRows::AllInstalled() const {
    for (const VQRuntimeRow& row : m_rows)
        if (row.state != kRowSatisfied) return false;
    return true;
}

VQRuntimeRow* VQRuntimeRows::StartNextDownload() {
    VQRuntimeRow* row = FirstInState(kRowNotSatisfied);
    if (row != nullptr) {
        row->state = kRowDownloading;
        row->paused = false;
        row->totalBytes = row->downloadedBytes = 0;
        row->filePath.clear();
    }
    return row;
}

VQDownloadEndStep DecideDownloadEnd(bool peerToPeer, uint32_t endCode, uint32_t retryCount) {
    if (endCode == 0) return VQDownloadEndStep::kInstall;
    const uint32_t stopped = peerToPeer ? 0x80004004u : 0xE000000Au;
    if (endCode == stopped) return VQDownloadEndStep::kNothing;
    const bool transient = peerToPeer ? (endCode >= 0xE000000Du && endCode <= 0xE0000012u)
                                      : (endCode >= 0xE0000003u && endCode <= 0xE0000009u);
    if (transient && retryCount < kRuntimeDownloadRetries) return VQDownloadEndStep::kRetry;
    return VQDownloadEndStep::kNext;
}

void RunRuntimeInstallJob(const VQRuntimeInstallJob& job) {
    const VQRuntimeInstallResult result =
        InstallRuntimeFile(job.filePath, job.installFolder, job.stopEvent ? job.stopEvent->Get() : nullptr);
    // A stopped install leaves the row alone; the window is being stopped
    // and may be gone (a message to a window that is gone is lost).
    if (result == VQRuntimeInstallResult::kStopped) return;
    if (job.window != nullptr)
        ::PostMessageW(job.window, kWmRuntimeInstalled, job.packageId, static_cast<LPARAM>(result));
}

namespace {

void InstallThreadMain(void* argument) {
    std::unique_ptr<VQRuntimeInstallJob> job(static_cast<VQRuntimeInstallJob*>(argument));
    RunRuntimeInstallJob(*job);
}

}  // namespace

std::unique_ptr<VQThread> StartRuntimeInstallThread(const VQRuntimeInstallJob& job) {
    VQRuntimeInstallJob* owned = new VQRuntimeInstallJob(job);
    std::unique_ptr<VQThread> thread(new VQThread(&InstallThreadMain, owned));
    if (!thread->Start()) {
        delete owned;
        return nullptr;
    }
    return thread;
}

}  // namespace Tessar
