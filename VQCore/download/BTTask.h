#pragma once
// A game download over the peer-to-peer engine (VQBTManager's session). The
// worker asks the update server for the download information, then opens
// the saved torrent when it still matches, or fetches the torrent named by
// TorrentUrl, checks its length and MD5, and hands it to the engine with
// DownloadUrl and SpareUrl as web seeds. From then on the engine's thread
// reports through the ITaskCallback slots; a finished download becomes a
// seed of the manager.
//
// Threads: Start, Stop and Release belong to the owner's thread; the worker
// and the engine's callback thread raise events. The engine task pointer
// and the flags are atomic; the stop is completed (HandleStop) exactly once
// by whichever thread claims the stop flag first, and the finished event
// claims the engine task by exchange, so an engine task is released or
// handed on once. m_pathLock guards the texts; m_cacheLock the cached
// speed and progress. Every ITaskCallback call is counted while it runs
// (m_inFlight), and deletion waits until none runs: a callback that has
// claimed the stop or the engine task still uses the task after the engine
// let go of it, so the engine's own wait does not cover it.

#include "VQCore/download/DownloadTask.h"
#include "VQCore/gamelib/GameDownloadInfo.h"
#include "btengine/BTEngine.h"
#include "common/Buffer.h"
#include "common/Thread.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace Tessar {

class VQBTTask : public VQDownloadTask, public ITaskCallback {
public:
    // recordPath: the torrent file of the saved download record (may be
    // empty).
    VQBTTask(uint32_t id, const std::wstring& folder, const std::wstring& recordPath);
    // Stops the task, completes the stop, waits for the worker and for any
    // engine callback still running on the task. Never from a callback.
    ~VQBTTask() override;

    // Starts the worker (state 2, event 7, true); with a worker still going
    // only restarts an open engine task. No thread: Finish(1), false.
    bool Start() override;
    // A parked task: state 4, event 7, no event 8. Otherwise asks the engine
    // to stop; the stop ends with state 4 and event 8 0x80004004. True.
    bool Stop() override;
    // Deletes the task; blocks until its worker has left.
    void Release() override;
    // Bytes per second over the download's active time.
    double GetSpeed() const override;
    // 0 to 1.
    double GetProgress() const override;

    // ITaskCallback, on the engine's thread.
    void OnStopped() override;
    void OnEvent(int32_t code) override;
    void OnValue(uint32_t a, uint32_t b) override;
    void OnTimer() override;

    // Places where a test holds or watches the task (a seam; the program
    // sets none): a callback that has claimed the stop and let go of the
    // engine task, and the deletion about to wait for callbacks in flight.
    enum class VQProbePoint { kStopClaimed, kDeletionWaits };
    // Before Start, on the owner's thread.
    void SetProbe(std::function<void(VQProbePoint)> probe) { m_probe = std::move(probe); }

    std::wstring GetRecordPath() const;
    std::wstring GetSavePath() const;
    uint64_t GetBytesDone() const { return m_bytesDone.load(); }
    uint64_t GetTotalBytes() const { return m_totalBytes.load(); }

private:
    // The callbacks running now. Held by each callback's scope as well, so
    // that the last one's unlock never touches a deleted task.
    struct VQCallbacksInFlight {
        std::mutex lock;
        std::condition_variable idle;
        uint32_t count = 0;
    };
    class VQCallbackScope;

    static void WorkerEntry(void* task);
    void Probe(VQProbePoint point) const;
    void WaitForCallbacks();
    void RunWorker();
    // Completes a requested stop; false when none was requested (or another
    // thread completed it).
    bool HandleStop();
    void Finish(uint32_t endCode);
    void Fail(uint32_t endCode);
    bool CheckTorrent(const std::wstring& path, const VQRemoteFileInfo& info);
    bool OpenByTorrent();
    bool FetchTorrent(const VQRemoteFileInfo& info);
    double SpeedOf(IBTTask* task) const;
    double ProgressOf(IBTTask* task) const;

    mutable std::mutex m_pathLock;
    std::wstring m_torrentUrl;  // m_pathLock
    VQGameDownloadInfo m_record;  // the download list's record of this game
    std::wstring m_recordPath;  // m_pathLock: the torrent file standing for the download
    std::wstring m_savePath;    // m_pathLock
    VQBuffer<unsigned char> m_torrent;  // worker only
    uint32_t m_torrentLength;           // worker only
    std::atomic<IBTTask*> m_engineTask;
    std::unique_ptr<VQThread> m_worker;  // owner's thread
    std::atomic<bool> m_stop;
    mutable std::mutex m_cacheLock;
    double m_cachedSpeed;     // m_cacheLock
    double m_cachedProgress;  // m_cacheLock
    std::atomic<uint64_t> m_bytesDone;
    std::atomic<uint64_t> m_totalBytes;
    const std::shared_ptr<VQCallbacksInFlight> m_inFlight;
    std::function<void(VQProbePoint)> m_probe;  // set before any thread runs
};

}  // namespace Tessar
