#pragma once
// A game download over HTTP: the task's worker asks the update server for
// the game's download information (query_url.php), then finishes at once
// when the file is already there, resumes a matching resume record, or
// starts a fresh range download into the download folder. A transfer that
// ends well is checked against the information's MD5 before it counts as
// finished. Every run ends with exactly one OnEnd: state 3, 4 or 5, then
// event 8 with the end code.
//
// Threads: Start, Stop and Release belong to the owner's thread. One worker
// thread runs at a time (m_runActive); a Start while a run is still going
// is refused, also one from the run's own end event (restart from a posted
// message instead). Range workers call OnData, IsCancelled and GetSpeedLimit
// concurrently. OnData holds m_dataLock while it counts and raises events 5
// and 6 (so they arrive in order); nothing else takes it, and the owner's
// thread never does. The paths are guarded by m_pathLock, never held
// across a call out; the counters and flags are atomic.

#include "VQCore/download/DownloadTask.h"
#include "common/HttpBoundedGet.h"
#include "common/HttpDownloadCallback.h"
#include "common/HttpRangeDownloader.h"
#include "common/Thread.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace Tessar {

class VQHttpTask : public VQDownloadTask, public VQHttpDownloadCallback {
public:
    // The retry delay: before a start, failure count x base ms, slept in
    // steps of stepMs that each look at the cancel flag first.
    static constexpr uint32_t kRetryDelayBaseMs = 5000;
    static constexpr uint32_t kRetryDelayStepMs = 333;

    // recordPath: the resume record named by the saved download record
    // (may be empty).
    VQHttpTask(uint32_t id, const std::wstring& folder, const std::wstring& recordPath);
    // Cancels a run still going and waits for it.
    ~VQHttpTask() override;

    // Starts the worker: state 2, event 7, true. When no thread can be
    // started: OnEnd(1) and false. False with nothing changed while the
    // previous run has not ended.
    bool Start() override;
    // A run: cancelled (it ends by itself through OnEnd). A parked task:
    // ends at once with 0xE000000A. Otherwise, when the remove-files flag
    // is set, deletes the files. Always true.
    bool Stop() override;
    // Cancels a run, waits for it, deletes the files when the flag is set,
    // and deletes the task. A cancelled run ends within a poll step: the
    // download information wait gives up at once, whatever the server does.
    void Release() override;
    // The range downloader's average.
    double GetSpeed() const override;
    // Always -1.0: progress travels through events 4 and 5.
    double GetProgress() const override;

    // What the range downloader reports.
    void OnTotalSize(uint64_t size) override;
    void OnData(uint64_t count, bool add) override;
    // State 3 for 0, 4 for 0xE000000A, 5 otherwise (counting the counted
    // failures); event 7, then event 8 with the end code and, after 1 or
    // 0xE0000007, the downloader's failure detail; then the files go when
    // the remove-files flag is set.
    void OnEnd(uint32_t endCode) override;
    bool IsCancelled() override;
    void Cancel() override;
    void OnLogPath(const std::wstring& path) override;
    void OnTempPath(const std::wstring& path) override;
    void OnSetupPath(const std::wstring& path) override;
    void OnStage(uint32_t stage) override;
    // 1 (no limit) when the speed share is 0; else 0 with the share.
    uint32_t GetSpeedLimit(uint32_t* limit) override;

    std::wstring GetRecordPath() const;
    std::wstring GetDataPath() const;
    std::wstring GetSetupPath() const;
    uint64_t GetTotalSize() const { return m_totalSize.load(); }
    uint64_t GetBytesDone() const { return m_bytesDone.load(); }
    // Bytes per second of the last measurement.
    uint32_t GetSpeedBytes() const { return m_speed.load(); }
    uint32_t GetStage() const { return m_stage.load(); }

    // How many whole retry-delay steps a failure count waits.
    static uint32_t RetryDelaySteps(uint32_t failures, uint32_t baseMs, uint32_t stepMs);
    // Tests shorten the retry delay; set before Start.
    void SetRetryDelay(uint32_t baseMs, uint32_t stepMs);
    // The time limit of the download information reply
    // (kHttpDefaultReplyLimitMs); tests shorten it; set before Start.
    void SetDownloadInfoLimit(uint32_t milliseconds) { m_infoLimitMs = milliseconds; }
    // The downloader, for its settings (socket time-out, range count);
    // only while no run is going.
    HttpRangeDownloader& GetDownloader() { return m_downloader; }

private:
    static void WorkerEntry(void* task);
    void RunWorker();
    uint32_t RunSteps();
    bool WaitRetryDelay();
    uint32_t DownloadWith(const VQRemoteFileInfo& info);
    bool CanResume(const std::wstring& recordPath, const VQRemoteFileInfo& info);
    // The whole-file check ends (false) once the task is cancelled.
    bool IsComplete(const std::wstring& target, const VQRemoteFileInfo& info);
    // A finished transfer whose file does not match the MD5 fails.
    uint32_t VerifyFinished(uint32_t result, const VQRemoteFileInfo& info);
    void DeleteTaskFiles();
    void EndRun(uint32_t endCode, uint32_t detail);

    mutable std::mutex m_pathLock;
    std::wstring m_recordPath;  // m_pathLock
    std::wstring m_dataPath;    // m_pathLock
    std::wstring m_setupPath;   // m_pathLock
    std::atomic<uint64_t> m_totalSize;
    std::atomic<uint64_t> m_bytesDone;
    std::atomic<bool> m_cancel;
    std::atomic<uint32_t> m_speed;
    uint32_t m_measureTick;        // m_dataLock; 0: no measurement running
    uint64_t m_measureBytes;       // m_dataLock; bytes done at m_measureTick
    std::atomic<uint32_t> m_stage;
    std::mutex m_dataLock;
    HttpRangeDownloader m_downloader;  // the run's
    std::unique_ptr<VQThread> m_worker;  // owner's thread; null before the first start
    std::mutex m_startGate;              // held by Start until the run's state 2 is out
    std::atomic<bool> m_runActive;       // from Start until the worker has reported its end
    std::atomic<bool> m_endReported{false};  // the worker is past its last step and reports or has reported its end
    std::atomic<uint32_t> m_retryBaseMs;
    std::atomic<uint32_t> m_retryStepMs;
    std::atomic<uint32_t> m_infoLimitMs{kHttpDefaultReplyLimitMs};
};

}  // namespace Tessar
