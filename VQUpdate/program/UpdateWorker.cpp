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
    UINT status = IDS_UPDATE_FAILED;
    bool handedOver = false;
    std::wstring localVersion;
    std::wstring remoteVersion;
    VQUpdateInfo& info = *m_info;
    if (!m_tempFolder->Create()) {
        status = IDS_UPDATE_FAILED;
    } else if ((info.tempFolder = m_tempFolder->Path(), !CheckForUpdate(info, localVersion, remoteVersion))) {
        status = IDS_UPDATE_FAILED;
    } else if (info.upToDate) {
        status = IDS_UPDATE_UP_TO_DATE;
    } else {
        {
            std::lock_guard<std::mutex> hold(m_reportLock);
            m_remoteVersion = remoteVersion;
        }
        // Made here, before the window's timer starts reading it.
        if (!info.progress)
            info.progress.reset(new VQDownloadProgress(static_cast<uint32_t>(info.fileSize)));
        Post(kWmUpdateDownloading, 0, 0);
        bool cancelled = false;
        if (DownloadUpdateFile(m_cancelEvent, info)) {
            // A window closed during the download wants nothing installed.
            cancelled = m_cancelEvent != nullptr && WaitForSingleObject(m_cancelEvent, 0) == WAIT_OBJECT_0;
            if (!cancelled) {
                Post(kWmUpdateStatus, IDS_UPDATE_DOWNLOADED, 0);
                VQUpgrader upgrader;
                DecideRestartMode(upgrader);
                std::vector<std::wstring> files = info.downloadedFiles;
                switch (upgrader.HandOver(m_workerTarget, files)) {
                case kHandOverStarted:
                    handedOver = true;
                    status = 0;
                    break;
                case kHandOverCancelled:
                    status = IDS_UPDATE_KEPT_RUNNING;
                    break;
                default:
                    status = IDS_UPDATE_FAILED;
                    break;
                }
            }
        }
    }
    Post(kWmUpdateFinished, status, handedOver ? 1 : 0);
}

}  // namespace Tessar
