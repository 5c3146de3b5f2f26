// The main window's download events, on its own thread: a task's values
// onto its tile, the end of a task (install, another try, the error
// message, the next waiting task) and the switch to a task of the other
// kind.

#include "VQCore/app/mainwindow/MarloxWnd.h"

#include <memory>

#include "VQCore/app/operations/DownloadCacheCheck.h"
#include "VQCore/app/operations/DownloadEndRules.h"
#include "VQCore/app/operations/DownloadTasks.h"
#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/operations/InstallQueue.h"
#include "VQCore/app/mainwindow/PostedDownloadEvent.h"
#include "VQCore/app/operations/Statistics.h"
#include "VQCore/download/DownloadQueue.h"
#include "VQCore/gamelib/Settings.h"

namespace Tessar {

namespace {

// Task states 1-5 as tile states.
uint32_t TileStateOfTask(uint32_t taskState) {
    static const uint32_t kTileOfTask[] = {0, kTileWaiting, kTileDownloading, kTileDownloaded, kTilePaused,
                                           kTileNotInstalled};
    return taskState >= 1 && taskState <= 5 ? kTileOfTask[taskState] : 0;
}

}  // namespace

void VQMarloxWnd::OnDownloadEvent(WPARAM wParam) {
    std::unique_ptr<VQPostedDownloadEvent> event(reinterpret_cast<VQPostedDownloadEvent*>(wParam));
    if (!event) return;
    // The newest count, taken whatever becomes of it: the task's next count
    // is posted again.
    if (event->code == kDownloadEventBytesDone) m_progress.Take(event->taskId, event->value);
    VQGameIcon* tile = FindTileById(kDownloadListId, event->taskId);
    if (tile == nullptr) {
        if (event->code == kDownloadEventEnd) StartNextWaitingTask();
        return;
    }
    VQGameIconData& data = tile->Data();
    switch (event->code) {
    case kDownloadEventRecordPath:
        data.logPath = event->text;
        StampCacheEntryInBackground(event->taskId, event->text);
        break;
    case kDownloadEventSetupPath: data.setupPath = event->text; break;
    case kDownloadEventStage: {
        VQDownloadTask* task = tile->GetDownloadTask();
        if (task == nullptr || task->GetKind() != kHttpTaskKind || event->value > 3) return;
        data.downloadStep = static_cast<int32_t>(event->value) + 1;
        tile->SetState(tile->GetState());
        return;
    }
    case kDownloadEventTotalSize: data.totalBytes = static_cast<int64_t>(event->value); break;
    case kDownloadEventBytesDone:
        data.completedBytes = static_cast<int64_t>(event->value);
        // Counts held back after this one arrive with the next, or else
        // with the timer.
        SetTimer(m_hwnd, kTimerProgress, 2 * kProgressEveryMs, nullptr);
        break;
    case kDownloadEventSpeed:
        m_speeds[event->taskId] = VQTileSpeed{SpeedValueSpeed(event->value), SpeedValueTick(event->value)};
        return;
    case kDownloadEventState: {
        // The tile's own task says where it stands now: an event a replaced
        // task posted before it was taken out changes nothing.
        VQDownloadTask* task = tile->GetDownloadTask();
        const uint32_t state = TileStateOfTask(task ? task->GetState() : static_cast<uint32_t>(event->value));
        if (state != 0) tile->SetState(state);
        AfterDownloadChange();
        break;
    }
    case kDownloadEventEnd:
        OnDownloadEnd(tile, EndValueCode(event->value), EndValueDetail(event->value));
        return;
    case kDownloadEventOtherTransport:
        SwitchDownloadKind(tile, static_cast<uint32_t>(event->value));
        return;
    default: break;
    }
    tile->Invalidate();
}

void VQMarloxWnd::OnProgressTimer() {
    KillTimer(m_hwnd, kTimerProgress);
    VQIconList* downloads = FindIconList(kDownloadListId);
    if (downloads == nullptr) return;
    for (VQGameIcon* tile : downloads->GetTiles()) {
        uint64_t newest = 0;
        const uint32_t taskId = tile->GetGameId();
        if (!m_progress.TakeWaiting(taskId) || !m_progress.Take(taskId, newest)) continue;
        tile->Data().completedBytes = static_cast<int64_t>(newest);
        tile->Invalidate();
    }
}

void VQMarloxWnd::AfterDownloadChange() {
    RewriteDownloadList();
    if (m_downloadQueue) m_downloadQueue->ShareSpeedLimit();
}

void VQMarloxWnd::StartNextWaitingTask() {
    VQIconList* downloads = FindIconList(kDownloadListId);
    if (downloads == nullptr || !m_downloadQueue) return;
    for (VQGameIcon* tile : downloads->GetTiles()) {
        if (tile->GetState() != kTileWaiting || tile->GetDownloadTask() == nullptr) continue;
        m_downloadQueue->StartNext(tile->GetDownloadTask());
        return;
    }
}

void VQMarloxWnd::OnDownloadEnd(VQGameIcon* tile, uint32_t code, uint32_t detail) {
    VQDownloadTask* task = tile->GetDownloadTask();
    const uint32_t kind = task ? task->GetKind() : 0;
    switch (DecideDownloadEnd(kind, code, task ? task->GetFailureCount() : 0)) {
    case VQDownloadEndAction::kInstall: {
        GetInstallQueue().Push(tile);
        StampCacheEntryInBackground(tile->GetGameId(), tile->Data().setupPath);
        StartNextWaitingTask();
        std::wstring extra;
        if (task != nullptr) {
            VQSettings& settings = VQSettings::Instance();
            const uint32_t running = m_downloadQueue ? m_downloadQueue->RunningCount() : 0;
            extra = MakeDownloadStatisticExtra(task->GetProgress(), task->GetSpeed(), running + 1,
                                               settings.GetBool(L"SpeedLimit"), settings.GetInt(L"MaxSpeed"));
        }
        ReportStatisticInBackground(kStatDownloadComplete, tile->GetGameId(), extra);
        break;
    }
    case VQDownloadEndAction::kRetry:
        // The task waits longer before each new try (its failure count).
        if (m_downloadQueue) m_downloadQueue->StartNext(task);
        break;
    case VQDownloadEndAction::kShowError:
        m_paintManager.SendNotify(nullptr, NotifyDownloadError, code, detail);
        StartNextWaitingTask();
        break;
    case VQDownloadEndAction::kNextTask:
        StartNextWaitingTask();
        break;
    }
    AfterDownloadChange();
}

void VQMarloxWnd::SwitchDownloadKind(VQGameIcon* tile, uint32_t kind) {
    VQDownloadTask* old = tile->GetDownloadTask();
    if (old != nullptr && m_downloadQueue) {
        // Kept alive: the new task releases it off this thread, which may
        // be handling one of the old task's events.
        m_downloadQueue->Remove(old, true);
        tile->SetDownloadTask(nullptr);
    }
    VQDownloadTask* task = nullptr;
    if (kind == kHttpTaskKind || kind == kBTTaskKind) task = MakeDownloadTask(tile->GetGameId(), kind);
    if (task != nullptr) task->SetReplacedTask(old);
    if (task != nullptr && m_downloadQueue && m_downloadQueue->Add(task)) {
        tile->Data().downloadStep = 0;
        tile->Data().downloadType = kind;
        tile->SetState(tile->GetState());
        tile->SetDownloadTask(task);
        m_downloadQueue->StartNext(task);
    } else {
        if (task != nullptr) {
            task->Release();  // releases the replaced task with it
        } else if (old != nullptr) {
            old->Release();
        }
        tile->SetState(kTileNotInstalled);
    }
    StartNextWaitingTask();
    AfterDownloadChange();
}

}  // namespace Tessar
