// The main window's downloads: what a click on a download-page tile means,
// how a game gets onto the download page, and what the end of its install
// does to the pages.

#include "VQCore/app/mainwindow/MarloxWnd.h"

#include <ctime>

#include "VQCore/app/mainwindow/Confirmations.h"
#include "VQCore/app/operations/DownloadTasks.h"
#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/operations/InstallQueue.h"
#include "VQCore/app/operations/Statistics.h"
#include "VQCore/download/DownloadQueue.h"
#include "VQCore/gamelib/GameId.h"
#include "VQCore/gamelib/Settings.h"

namespace Tessar {

namespace {

// A new task of the tile's download kind, held by the queue and the tile;
// false when it cannot be made (the tile keeps no task, nothing is queued).
bool AttachNewTask(VQGameIcon* tile, VQDownloadQueue* queue) {
    if (queue == nullptr) return false;
    VQDownloadTask* task = MakeDownloadTask(tile->GetGameId(), tile->Data().downloadType);
    if (task == nullptr) return false;
    if (!queue->Add(task)) {
        task->Release();
        return false;
    }
    tile->SetDownloadTask(task);
    return true;
}

// Starts (or resumes) the tile's task, making one first when it has none.
void StartTileTask(VQGameIcon* tile, VQDownloadQueue* queue) {
    if (queue == nullptr) return;
    if (tile->GetDownloadTask() == nullptr && !AttachNewTask(tile, queue)) return;
    queue->StartNext(tile->GetDownloadTask());
}

// Turns the list to the tile's page and makes the tile blink.
void Highlight(VQIconList* list, VQGameIcon* tile) {
    list->ShowPageAt(list->PageOfTile(tile) - 1);
    tile->StartBlinkAnimation();
}

}  // namespace

void VQMarloxWnd::OnDownloadTileAction(VQGameIcon* tile) {
    if (tile == nullptr) return;
    VQDownloadQueue* queue = m_downloadQueue.get();
    switch (tile->GetState()) {
    case kTileNotInstalled:
    case kTilePaused: StartTileTask(tile, queue); break;
    case kTileWaiting:
    case kTileDownloading:
        if (VQDownloadTask* task = tile->GetDownloadTask()) task->Stop();
        break;
    case kTileDownloaded: GetInstallQueue().Push(tile); break;
    default: break;
    }
    RewriteDownloadList();
}

void VQMarloxWnd::DownloadTile(VQGameIcon* tile) {
    VQIconList* downloads = FindIconList(kDownloadListId);
    if (tile == nullptr || downloads == nullptr) return;
    if (VQGameIcon* listed = FindTileById(kDownloadListId, tile->GetGameId())) {
        switch (listed->GetState()) {
        case kTileNotInstalled:
        case kTilePaused: StartTileTask(listed, m_downloadQueue.get()); break;
        case kTileDownloaded: GetInstallQueue().Push(listed); break;
        default: break;
        }
        RewriteDownloadList();
        Highlight(downloads, listed);
    } else {
        VQGameIcon* added = new VQGameIcon();
        added->CopyFrom(*tile);
        if (!downloads->AddTile(added)) {
            delete added;
            return;
        }
        Highlight(downloads, added);
        // On the page first: the task's events look for its tile there.
        StartTileTask(added, m_downloadQueue.get());
        RewriteDownloadList();
    }
    ShowPage(kPageDownloads);
}

void VQMarloxWnd::OnInstallFinished(VQGameIcon* tile) {
    if (tile == nullptr) return;
    const uint32_t gameId = tile->GetGameId();
    VQIconList* downloads = tile->GetOwnerList();
    if (downloads == nullptr || downloads->GetId() != kDownloadListId) return;
    // The task's work is done; the queue lets it go.
    if (VQDownloadTask* task = tile->GetDownloadTask()) {
        tile->SetDownloadTask(nullptr);
        if (m_downloadQueue) m_downloadQueue->Remove(task, false);
    }
    VQIconList* tools = FindIconList(kQuickListId);
    VQGameIcon* twin = nullptr;
    if (GameKindOf(tile) == static_cast<int>(kToolGameKind) && tools != nullptr) {
        for (VQGameIcon* other : tools->GetTiles())
            if (other->GetGameId() == tile->GetGameId()) twin = other;
    }
    if (twin != nullptr) {
        VQGameIconData& data = twin->Data();
        data.runProgram = tile->Data().runProgram;
        data.runArguments = tile->Data().runArguments;
        data.setupFolder = tile->Data().setupFolder;
        data.createdFolder = tile->Data().createdFolder;
        data.uninstallDigest = tile->Data().uninstallDigest;
        data.installTime = _time64(nullptr);
        twin->SetState(kTileInstalled);
        // Freed later (the tile is still reporting its completion), and
        // through the notification, so nothing keeps pointing at it.
        tile->RemoveWithNotify();
    } else {
        VQIconList* target = GameKindOf(tile) == static_cast<int>(kToolGameKind) ? tools : FindIconList(kInstalledListId);
        downloads->RemoveTile(tile, false);
        tile->Data().downloadStep = 0;
        tile->Data().listFlag = 0;
        if (target == nullptr || !target->AddTile(tile)) {
            tile->NotifyRemoval();
            m_paintManager.AddDelayedCleanup(tile);
            m_paintManager.PostDelayedCleanup();
        }
    }
    RefreshInstalledPages();
    RewriteDownloadList();
    ReportStatisticInBackground(kStatInstallComplete, gameId, L"");
}

void VQMarloxWnd::OnLastInstallDone() {
    // Only after the last queued install, with no download left to finish.
    if (GetInstallQueue().Count() != 0) return;
    if (m_downloadQueue && m_downloadQueue->HasActive()) return;
    if (AskPowerOff(m_hwnd)) {
        m_powerOffAfterInstall = true;
        PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
    } else {
        VQSettings::Instance().SetBool(L"CompletePowerOff", false);
    }
}

}  // namespace Tessar
