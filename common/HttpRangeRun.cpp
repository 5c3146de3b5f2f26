// One run of the range downloader: starting, watching and restarting the
// range workers, and putting the finished file in place.
#include "common/HttpRangeDownloader.h"

#include "common/DownloadEndCodes.h"
#include "common/FileHandle.h"
#include "common/FileUtil.h"
#include "common/Md5Follower.h"
#include "common/Thread.h"

#include <ctime>

namespace Tessar {

namespace {

const DWORD kWaitStepMs = 333;
// A range that failed this often is given up; at the fourth failure the
// spare URL is taken (once per run).
const uint32_t kMaxRestarts = 6;
const uint32_t kSwitchAtRestart = 3;

}  // namespace

uint32_t HttpRangeDownloader::RunDownload() {
    m_fileMd5.clear();
    if (m_callback->IsCancelled())
        return kDownloadCancelled;
    std::vector<VQRangeRecord> ranges = GetRanges();
    const uint32_t count = static_cast<uint32_t>(ranges.size());
    std::atomic<bool> stop(false);
    std::vector<std::unique_ptr<RangeWorker>> workers(count);
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_stamps.assign(count, 0);
    }
    m_workers.clear();
    m_workers.resize(count);

    uint32_t result = 0;
    for (uint32_t i = 0; i < count && !stop; ++i) {
        workers[i].reset(new RangeWorker);
        workers[i]->owner = this;
        workers[i]->index = i;
        workers[i]->stop = &stop;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_stamps[i] = _time64(nullptr);
        }
        if (ranges[i].remaining != 0 && !StartWorker(*workers[i])) {
            result = kDownloadFileFailed;
            stop = true;
        }
    }

    // The file's MD5 is taken as its bytes arrive, from the start up to the
    // first byte still missing, so that the check after the last range
    // hashes only what is left.
    VQMd5Follower md5;
    const bool hashing = !stop && !GetMd5Text().empty() &&
                         md5.Start(GetDataPath(), m_head.totalSize, [this] { return FetchedFromStart(); });
    if (hashing) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_follower = &md5;
    }

    while (!stop) {
        std::vector<HANDLE> handles;
        std::vector<uint32_t> indexes;
        for (uint32_t i = 0; i < count; ++i) {
            if (m_workers[i]) {
                handles.push_back(m_workers[i]->GetHandle());
                indexes.push_back(i);
            }
        }
        if (handles.empty())
            break;
        DWORD n = static_cast<DWORD>(handles.size());
        DWORD wait = WaitForMultipleObjects(n, handles.data(), FALSE, kWaitStepMs);
        if (wait == WAIT_TIMEOUT) {
            if (m_callback->IsCancelled()) {
                result = kDownloadCancelled;
                stop = true;
            }
            continue;
        }
        if (wait >= WAIT_OBJECT_0 + n) {
            DWORD error = GetLastError();
            m_failureDetail = error != 0 ? error : static_cast<DWORD>(ERROR_INVALID_HANDLE);
            result = kDownloadWaitFailed;
            stop = true;
            break;
        }
        RangeWorker& worker = *workers[indexes[wait - WAIT_OBJECT_0]];
        uint32_t ended = worker.result;
        CloseWorker(worker);
        if (ended == 0)
            continue;
        if (ended == kDownloadRangeFailed)
            m_failureDetail = worker.error != 0 ? worker.error : kRangeClosedEarly;
        if (ended != kDownloadRangeFailed || worker.restarts >= kMaxRestarts) {
            result = ended;
            stop = true;
            break;
        }
        if (worker.restarts == kSwitchAtRestart && m_maySwitch && m_sparePresent) {
            uint32_t switched = SwitchToSpare();
            if (switched != 0) {
                result = switched;
                stop = true;
                break;
            }
        }
        if (!StartWorker(worker)) {
            result = kDownloadFileFailed;
            stop = true;
            break;
        }
        ++worker.restarts;
    }

    if (stop)
        StopWorkers(workers);
    for (auto& worker : workers) {
        if (worker)
            CloseWorker(*worker);
    }
    m_workers.clear();
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_stamps.clear();
        m_follower = nullptr;
    }
    // Ranges that failed on the way do not count when the run ended
    // otherwise (or well).
    if (result != kDownloadWaitFailed && result != kDownloadRangeFailed)
        m_failureDetail = 0;
    if (result != 0)
        return result;

    if (hashing) {
        while (!md5.WaitDone(kWaitStepMs)) {
            if (m_callback->IsCancelled())
                return kDownloadCancelled;
        }
        m_fileMd5 = md5.Digest();
    }
    if (!MoveFileReplace(GetDataPath(), GetTargetPath())) {
        DWORD error = GetLastError();
        return error != 0 ? error : ERROR_WRITE_FAULT;
    }
    if (SetFileAttributesW(m_recordPath.c_str(), FILE_ATTRIBUTE_NORMAL))
        DeleteFileW(m_recordPath.c_str());
    return 0;
}

bool HttpRangeDownloader::StartWorker(RangeWorker& worker) {
    worker.result = 1;
    worker.source.host = m_currentHost;
    worker.source.path = m_currentPath;
    worker.source.port = m_currentPort;
    std::unique_ptr<VQThread> thread(new (std::nothrow) VQThread(&HttpRangeDownloader::ReceiveRangeEntry, &worker));
    if (!thread || thread->GetState() == nullptr || !thread->Start())
        return false;
    m_workers[worker.index] = std::move(thread);
    return true;
}

void HttpRangeDownloader::CloseWorker(RangeWorker& worker) {
    m_workers[worker.index].reset();
    CloseFileHandle(worker.dataFile);
    CloseFileHandle(worker.recordFile);
    worker.socket.Close();
}

void HttpRangeDownloader::StopWorkers(std::vector<std::unique_ptr<RangeWorker>>& workers) {
    // The workers leave by themselves: they poll the stop flag while
    // connecting and between blocks, and a shut-down socket wakes a blocked
    // send or receive. None is ever terminated: a worker may be inside the
    // task's callback holding its lock, or writing its record. The shutdown
    // is repeated, as a worker may open its socket after the first one.
    for (;;) {
        std::vector<HANDLE> handles;
        for (auto& worker : workers) {
            if (worker && m_workers[worker->index]) {
                worker->socket.Shutdown();
                handles.push_back(m_workers[worker->index]->GetHandle());
            }
        }
        if (handles.empty())
            return;
        DWORD wait = WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), TRUE, kWaitStepMs);
        if (wait != WAIT_TIMEOUT) {
            // All have left (or the wait itself broke: wait for each alone).
            for (auto& worker : workers) {
                if (worker && m_workers[worker->index])
                    WaitForSingleObject(m_workers[worker->index]->GetHandle(), INFINITE);
            }
            return;
        }
    }
}

uint32_t HttpRangeDownloader::SwitchToSpare() {
    m_maySwitch = false;
    Source spare = SpareSource();
    uint64_t size = 0;
    uint32_t result = QuerySourceSize(spare, size);
    if (result != 0)
        return result;
    // A spare that serves another file is not taken; the range goes on
    // with the current source.
    if (size == m_head.totalSize)
        UseSource(spare);
    return 0;
}

void HttpRangeDownloader::ReceiveRangeEntry(void* argument) {
    RangeWorker* worker = static_cast<RangeWorker*>(argument);
    worker->result = worker->owner->ReceiveRange(*worker);
}

}  // namespace Tessar
