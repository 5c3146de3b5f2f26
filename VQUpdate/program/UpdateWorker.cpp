// The update window's worker: check, download, hand over. It reports to the
// window by posted messages only.
#include "VQUpdate/program/UpdateWnd.h"

#include "VQUpdate/UpdateDownload.h"
#include "VQUpdate/UpgradeMarkers.h"
#include "VQUpdate/Upgrader.h"
#include "VQUpdate/program/UpdateResources.h"

namespace Tessar {

void UpdateWorker(void* window) {
    static_cast<VQUpdateWnd*>(window)->RunWorker();
}

void VQUpdateWnd::RunWorker() {
    bool handedOver = false;
    UINT status = CheckDownloadAndHandOver(handedOver);
    Post(kWmUpdateFinished, status, handedOver ? 1 : 0);
}

UINT VQUpdateWnd::CheckDownloadAndHandOver(bool& handedOver) {
    if (!m_tempFolder->Create())
        return IDS_UPDATE_FAILED;
    VQUpdateInfo& info = *m_info;
    info.tempFolder = m_tempFolder->Path();
    std::wstring localVersion;
    std::wstring remoteVersion;
    if (!CheckForUpdate(info, localVersion, remoteVersion))
        return IDS_UPDATE_FAILED;
    if (info.upToDate)
        return IDS_UPDATE_UP_TO_DATE;
    {
        std::lock_guard<std::mutex> hold(m_reportLock);
        m_remoteVersion = remoteVersion;
    }
    // Made here, before the window's timer starts reading it.
    if (!info.progress)
        info.progress.reset(new VQDownloadProgress(static_cast<uint32_t>(info.fileSize)));
    Post(kWmUpdateDownloading, 0, 0);
    if (!DownloadUpdateFile(m_cancelEvent, info))
        return IDS_UPDATE_FAILED;
    // A window closed during the download wants nothing installed.
    if (m_cancelEvent != nullptr && WaitForSingleObject(m_cancelEvent, 0) == WAIT_OBJECT_0)
        return IDS_UPDATE_FAILED;
    Post(kWmUpdateStatus, IDS_UPDATE_DOWNLOADED, 0);
    VQUpgrader upgrader;
    DecideRestartMode(upgrader);
    switch (upgrader.HandOver(m_workerTarget, info.downloadedFiles)) {
    case kHandOverStarted:
        handedOver = true;
        return 0;
    case kHandOverCancelled:
        return IDS_UPDATE_KEPT_RUNNING;
    default:
        return IDS_UPDATE_FAILED;
    }
}

}  // namespace Tessar
