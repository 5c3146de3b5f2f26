// The HTTP task's life (start, stop, release) and what it does with the
// range downloader's reports.
#include "VQCore/download/HttpTask.h"

#include "VQCore/download/DownloadMessage.h"
#include "common/DownloadEndCodes.h"
#include "common/Thread.h"

#include <new>

namespace Tessar {

VQHttpTask::VQHttpTask(uint32_t id, const std::wstring& folder, const std::wstring& recordPath)
    : VQDownloadTask(id, kHttpTaskKind, folder),
      m_recordPath(recordPath),
      m_totalSize(0),
      m_bytesDone(0),
      m_cancel(false),
      m_speed(0),
      m_measureTick(0),
      m_measureBytes(0),
      m_stage(0),
      m_runActive(false),
      m_retryBaseMs(kRetryDelayBaseMs),
      m_retryStepMs(kRetryDelayStepMs) {}

VQHttpTask::~VQHttpTask() {
    // The worker uses this object to its end.
    Cancel();
    if (m_worker)
        m_worker->Wait();
}

bool VQHttpTask::Start() {
    if (m_runActive.load()) {
        // A run that has reported its end has only to return: wait for it,
        // unless this is that run's own thread (an end handler starting again).
        if (!m_endReported.load() || !m_worker || m_worker->GetThreadId() == ::GetCurrentThreadId())
            return false;
        m_worker->Wait();
        m_worker.reset();
        m_runActive = false;
    }
    m_endReported = false;
    // The thread of an ended run has nothing left to do but return.
    if (m_worker) {
        m_worker->Wait();
        m_worker.reset();
    }
    m_cancel = false;
    m_runActive = true;
    DWORD error = 0;  // why no worker could be started
    {
        // The worker begins by taking the gate, so that its events come
        // after this state change, and its end state is never overwritten.
        std::lock_guard<std::mutex> gate(m_startGate);
        m_worker.reset(new (std::nothrow) VQThread(&VQHttpTask::WorkerEntry, this));
        if (m_worker && m_worker->GetState() != nullptr && m_worker->Start()) {
            SetState(kTaskRunning);
            return true;
        }
        error = GetLastError();
        m_worker.reset();
    }
    m_runActive = false;
    EndRun(kDownloadWaitFailed, error != 0 ? error : static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    return false;
}

bool VQHttpTask::Stop() {
    if (m_runActive.load()) {
        Cancel();
        return true;
    }
    if (GetState() == kTaskWaiting) {
        OnEnd(kDownloadCancelled);
        return true;
    }
    if (TakeRemoveFiles())
        DeleteTaskFiles();
    return true;
}

void VQHttpTask::Release() {
    Cancel();
    if (m_worker) {
        m_worker->Wait();
        m_worker.reset();
    }
    if (TakeRemoveFiles())
        DeleteTaskFiles();
    delete this;
}

double VQHttpTask::GetSpeed() const {
    return m_downloader.AverageSpeed();
}

double VQHttpTask::GetProgress() const {
    return -1.0;
}

void VQHttpTask::WorkerEntry(void* task) {
    static_cast<VQHttpTask*>(task)->RunWorker();
}

void VQHttpTask::RunWorker() {
    { std::lock_guard<std::mutex> gate(m_startGate); }
    ReleaseReplacedTask();
    const uint32_t code = RunSteps();
    m_endReported = true;
    OnEnd(code);
    m_runActive = false;
}

void VQHttpTask::OnTotalSize(uint64_t size) {
    m_totalSize = size;
    RaiseEvent(kDownloadEventTotalSize, size);
}

void VQHttpTask::OnData(uint64_t count, bool add) {
    std::lock_guard<std::mutex> guard(m_dataLock);
    uint64_t done = count;
    if (add) {
        // Only OnData writes the count, under the lock. (No "+=" on the
        // atomic: GCC 12.2 at -O2 miscompiles that form here, adding the
        // old value instead of count.)
        done = m_bytesDone.load() + count;
        m_bytesDone = done;
        if (m_measureTick == 0) {
            m_measureTick = GetTickCount();
            m_measureBytes = done;
        }
        DWORD elapsed = GetTickCount() - m_measureTick;
        if (elapsed >= 1000) {
            uint32_t speed = static_cast<uint32_t>((done - m_measureBytes) * 1000 / elapsed);
            m_speed = speed;
            m_measureTick = GetTickCount();
            m_measureBytes = done;
            RaiseEvent(kDownloadEventSpeed, MakeSpeedValue(m_measureTick, speed));
        }
    } else {
        m_bytesDone = count;
        m_measureTick = 0;
    }
    RaiseEvent(kDownloadEventBytesDone, done);
}

void VQHttpTask::OnEnd(uint32_t endCode) {
    uint32_t detail = 0;
    if (endCode == kDownloadWaitFailed || endCode == kDownloadRangeFailed) {
        // The downloader knows why; a message never shows a 0 for it.
        detail = m_downloader.GetFailureDetail();
        if (detail == 0)
            detail = endCode;
    }
    EndRun(endCode, detail);
}

void VQHttpTask::EndRun(uint32_t endCode, uint32_t detail) {
    uint32_t state = kTaskFailed;
    if (endCode == kDownloadFinished)
        state = kTaskFinished;
    else if (endCode == kDownloadCancelled)
        state = kTaskStopped;
    if (IsCountedFailure(endCode))
        IncrementFailureCount();
    SetState(state);
    RaiseEvent(kDownloadEventEnd, MakeEndValue(endCode, detail));
    if (TakeRemoveFiles())
        DeleteTaskFiles();
}

bool VQHttpTask::IsCancelled() {
    return m_cancel.load();
}

void VQHttpTask::Cancel() {
    m_cancel = true;
}

void VQHttpTask::OnLogPath(const std::wstring& path) {
    {
        std::lock_guard<std::mutex> guard(m_pathLock);
        m_recordPath = path;
    }
    RaiseTextEvent(kDownloadEventRecordPath, path);
}

void VQHttpTask::OnTempPath(const std::wstring& path) {
    std::lock_guard<std::mutex> guard(m_pathLock);
    m_dataPath = path;
}

void VQHttpTask::OnSetupPath(const std::wstring& path) {
    {
        std::lock_guard<std::mutex> guard(m_pathLock);
        m_setupPath = path;
    }
    RaiseTextEvent(kDownloadEventSetupPath, path);
}

void VQHttpTask::OnStage(uint32_t stage) {
    m_stage = stage;
    RaiseEvent(kDownloadEventStage, stage);
}

uint32_t VQHttpTask::GetSpeedLimit(uint32_t* limit) {
    uint32_t share = GetSpeedShare();
    if (share == 0)
        return 1;
    *limit = share;
    return 0;
}

std::wstring VQHttpTask::GetRecordPath() const {
    std::lock_guard<std::mutex> guard(m_pathLock);
    return m_recordPath;
}

std::wstring VQHttpTask::GetDataPath() const {
    std::lock_guard<std::mutex> guard(m_pathLock);
    return m_dataPath;
}

std::wstring VQHttpTask::GetSetupPath() const {
    std::lock_guard<std::mutex> guard(m_pathLock);
    return m_setupPath;
}

uint32_t VQHttpTask::RetryDelaySteps(uint32_t failures, uint32_t baseMs, uint32_t stepMs) {
    if (stepMs == 0)
        return 0;
    return static_cast<uint32_t>(static_cast<uint64_t>(failures) * baseMs / stepMs);
}

void VQHttpTask::SetRetryDelay(uint32_t baseMs, uint32_t stepMs) {
    m_retryBaseMs = baseMs;
    m_retryStepMs = stepMs;
}

}  // namespace Tessar
