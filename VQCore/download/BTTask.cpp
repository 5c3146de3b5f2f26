// The peer-to-peer task's life: start, stop, release, and what the engine
// reports through ITaskCallback.
#include "VQCore/download/BTTask.h"

#include "VQCore/download/BTManager.h"
#include "VQCore/download/DownloadMessage.h"
#include "common/CodePage.h"
#include "common/DownloadEndCodes.h"
#include "common/PathText.h"
#include "common/Singleton.h"

#include <new>

namespace Tessar {

namespace {


VQBTManager& Manager() {
    return VQSingleton<VQBTManager>::Instance();
}

}  // namespace

// Counts one ITaskCallback call from its first statement to its return.
class VQBTTask::VQCallbackScope {
public:
    explicit VQCallbackScope(const VQBTTask* task) : m_inFlight(task->m_inFlight) {
        std::lock_guard<std::mutex> hold(m_inFlight->lock);
        ++m_inFlight->count;
    }
    ~VQCallbackScope() {
        std::lock_guard<std::mutex> hold(m_inFlight->lock);
        if (--m_inFlight->count == 0)
            m_inFlight->idle.notify_all();
    }
    VQCallbackScope(const VQCallbackScope&) = delete;
    VQCallbackScope& operator=(const VQCallbackScope&) = delete;

private:
    const std::shared_ptr<VQCallbacksInFlight> m_inFlight;
};

VQBTTask::VQBTTask(uint32_t id, const std::wstring& folder, const std::wstring& recordPath)
    : VQDownloadTask(id, kBTTaskKind, folder),
      m_recordPath(recordPath),
      m_torrentLength(0),
      m_engineTask(nullptr),
      m_stop(false),
      m_cachedSpeed(0.0),
      m_cachedProgress(0.0),
      m_bytesDone(0),
      m_totalBytes(0),
      m_inFlight(std::make_shared<VQCallbacksInFlight>()) {
    m_record.ID = id;
    m_record.Type = kBTTaskKind;
    m_record.LogPath = recordPath;
}

VQBTTask::~VQBTTask() {
    Stop();
    // The worker first: it may still be opening an engine task, which the
    // stop below must then release.
    if (m_worker) {
        m_worker->Wait();
        m_worker.reset();
    }
    // An engine task the worker opened after the stop above still goes.
    if (m_engineTask.load() != nullptr) {
        m_stop = true;
        HandleStop();
    }
    // The engine calls no more (its task is released or handed on), but a
    // callback that took the stop or the engine task may still be running.
    WaitForCallbacks();
}

void VQBTTask::WaitForCallbacks() {
    Probe(VQProbePoint::kDeletionWaits);
    std::unique_lock<std::mutex> hold(m_inFlight->lock);
    m_inFlight->idle.wait(hold, [this] { return m_inFlight->count == 0; });
}

void VQBTTask::Probe(VQProbePoint point) const {
    if (m_probe)
        m_probe(point);
}

bool VQBTTask::Start() {
    m_stop = false;
    if (m_worker && m_worker->IsRunning()) {
        IBTTask* task = m_engineTask.load();
        if (task != nullptr)
            task->Start();
        return true;
    }
    if (m_worker) {
        m_worker->Wait();
        m_worker.reset();
    }
    m_worker.reset(new (std::nothrow) VQThread(&VQBTTask::WorkerEntry, this));
    if (!m_worker || m_worker->GetState() == nullptr || !m_worker->Start()) {
        m_worker.reset();
        Finish(kDownloadWaitFailed);
        return false;
    }
    SetState(kTaskRunning);
    return true;
}

bool VQBTTask::Stop() {
    if (GetState() == kTaskWaiting) {
        SetState(kTaskStopped);
        return true;
    }
    m_stop = true;
    IBTTask* task = m_engineTask.load();
    if (task != nullptr) {
        task->Stop();  // the engine confirms through OnStopped
    } else if (!(m_worker && m_worker->IsRunning())) {
        HandleStop();  // nothing runs that would complete it
    }
    return true;
}

void VQBTTask::Release() {
    delete this;
}

bool VQBTTask::HandleStop() {
    // Exchanged: the engine's thread, the worker and the owner's thread may
    // all get here for one stop; only the first completes it.
    if (!m_stop.exchange(false))
        return false;
    bool removeFiles = TakeRemoveFiles();
    uint32_t flags = removeFiles ? kBTReleaseDeleteFiles : kBTReleaseKeepFiles;
    IBTSession* session = Manager().GetSession();
    IBTTask* task = m_engineTask.exchange(nullptr);
    if (task != nullptr) {
        task->SetCallback(nullptr);
        if (session != nullptr)
            session->ReleaseTask(task, flags);
        Probe(VQProbePoint::kStopClaimed);
    } else if (session != nullptr && removeFiles) {
        // Without an engine task the record's engine task, if any, is the
        // seed this download became: it goes only with the files. Kept files
        // leave it seeding (releasing it by path would pull it from under
        // the manager).
        Manager().RemoveSeedById(GetId());
        std::wstring record = GetRecordPath();
        if (!record.empty())
            session->RemoveTaskByPath(WideToCodePage(CP_ACP, record), flags);
    }
    SetState(kTaskStopped);
    Finish(kDownloadStopping);
    return true;
}

void VQBTTask::Finish(uint32_t endCode) {
    IBTTask* task = m_engineTask.load();
    {
        std::lock_guard<std::mutex> hold(m_cacheLock);
        if (task != nullptr) {
            m_cachedProgress = ProgressOf(task);
            m_cachedSpeed = SpeedOf(task);
        }
    }
    RaiseEvent(kDownloadEventEnd, endCode);
}

void VQBTTask::Fail(uint32_t endCode) {
    if (IsCountedPeerToPeerFailure(endCode))
        IncrementFailureCount();
    SetState(kTaskFailed);
    Finish(endCode);
}

double VQBTTask::SpeedOf(IBTTask* task) const {
    BTTaskStatus status;
    if (!task->GetStatus(&status))
        return 0.0;
    // Active seconds less seeding seconds: the time spent downloading.
    uint32_t elapsed = status.activeSeconds;
    if (status.seedingSeconds > 0 && status.seedingSeconds != status.activeSeconds)
        elapsed = status.activeSeconds - status.seedingSeconds;
    return elapsed == 0 ? 0.0 : static_cast<double>(status.bytesWanted) / elapsed;
}

double VQBTTask::ProgressOf(IBTTask* task) const {
    BTTaskStatus status;
    if (!task->GetStatus(&status) || status.bytesWanted == 0)
        return 0.0;
    return 1.0 - static_cast<double>(status.bytesLeft) / static_cast<double>(status.bytesWanted);
}

double VQBTTask::GetSpeed() const {
    IBTTask* task = m_engineTask.load();
    if (task != nullptr)
        return SpeedOf(task);
    std::lock_guard<std::mutex> hold(m_cacheLock);
    return m_cachedSpeed;
}

double VQBTTask::GetProgress() const {
    IBTTask* task = m_engineTask.load();
    if (task != nullptr)
        return ProgressOf(task);
    std::lock_guard<std::mutex> hold(m_cacheLock);
    return m_cachedProgress;
}

std::wstring VQBTTask::GetRecordPath() const {
    std::lock_guard<std::mutex> hold(m_pathLock);
    return m_recordPath;
}

std::wstring VQBTTask::GetSavePath() const {
    std::lock_guard<std::mutex> hold(m_pathLock);
    return m_savePath;
}

void VQBTTask::OnStopped() {
    VQCallbackScope scope(this);
    HandleStop();
}

void VQBTTask::OnEvent(int32_t code) {
    VQCallbackScope scope(this);
    HandleStop();
    if (code == kBTEventStopped) {
        SetState(kTaskStopped);
    } else if (code == kBTEventFailed) {
        Fail(kDownloadEngineFailed);
    } else if (code == kBTEventFinished) {
        // Claimed by exchange: a stop completed meanwhile has released it.
        IBTTask* task = m_engineTask.load();
        if (task == nullptr)
            return;
        std::string folder, name;
        task->GetSavePath(&folder);
        if (task->GetTorrentInfo() != nullptr)
            task->GetTorrentInfo()->GetName(&name);
        std::wstring finalPath =
            CombinePath(CodePageToWide(CP_ACP, folder.data(), folder.size()), CodePageToWide(CP_ACP, name.data(), name.size()));
        RaiseTextEvent(kDownloadEventSetupPath, finalPath);
        {
            std::lock_guard<std::mutex> hold(m_cacheLock);
            m_cachedProgress = ProgressOf(task);
            m_cachedSpeed = SpeedOf(task);
        }
        if (m_engineTask.exchange(nullptr) != task)
            return;
        task->SetCallback(nullptr);
        SetState(kTaskFinished);
        RaiseEvent(kDownloadEventEnd, kDownloadFinished);
        // The manager owns the engine task from here on, as a seed.
        Manager().AddSeedFromTask(GetId(), GetRecordPath(), task);
    }
}

void VQBTTask::OnValue(uint32_t a, uint32_t b) {
    VQCallbackScope scope(this);
    RaiseEvent(kDownloadEventStage, b);
}

void VQBTTask::OnTimer() {
    VQCallbackScope scope(this);
    IBTTask* task = m_engineTask.load();
    if (task != nullptr) {
        BTTaskStatus status;
        if (task->GetStatus(&status)) {
            if (status.state >= 2 && status.state <= 5) {
                m_bytesDone = status.bytesDone;
                m_totalBytes = status.bytesTotal;
            }
            RaiseEvent(kDownloadEventTotalSize, m_totalBytes.load());
            RaiseEvent(kDownloadEventBytesDone, m_bytesDone.load());
            float rate = status.downloadRate < 0 ? 0.0f : status.downloadRate;
            RaiseEvent(kDownloadEventSpeed, MakeSpeedValue(GetTickCount(), static_cast<uint32_t>(rate)));
        }
    }
    HandleStop();
}

}  // namespace Tessar
