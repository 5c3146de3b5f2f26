#pragma once
// One torrent of the session. The session's callback thread calls its
// callback through Dispatch; SetCallback and MarkReleased take the same
// (recursive) lock, so once they return no callback runs any more, and a
// callback may still call them on its own task.
//
// Threads: m_callbackLock guards m_callback and m_released; the flags the
// callback thread and the program share are atomic; the handle, paths and
// torrent information are set before the task is published and never
// change.

#include <windows.h>

#include <libtorrent/torrent_handle.hpp>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "btengine/BTEngine.h"
#include "btengine/EngineTorrentInfo.h"

namespace Tessar {

class VQEngineTask final : public IBTTask {
public:
    // Paths in UTF-8. seedOnly: the data must be complete; a task that finds
    // less after its check fails instead of downloading.
    VQEngineTask(libtorrent::torrent_handle handle, std::shared_ptr<const libtorrent::torrent_info> info,
                 const std::string& savePath, const std::string& recordPath, bool seedOnly);

    bool Start() override;
    bool Stop() override;
    bool IsRunning() override;
    void SetCallback(ITaskCallback* callback) override;
    ITaskCallback* GetCallback() override;
    bool GetStatus(BTTaskStatus* out) override;
    bool Recheck() override;
    bool GetSavePath(std::string* out) override;
    IBTTorrentInfo* GetTorrentInfo() override;
    bool GetRecordPath(std::string* out) override;
    void SetRateLimits(uint32_t download, uint32_t upload) override;
    void GetRateLimits(uint32_t* download, uint32_t* upload) override;

    // Engine side.
    const libtorrent::torrent_handle& Handle() const { return m_handle; }
    const std::string& RecordPathUtf8() const { return m_recordPath; }
    std::string ResumePathUtf8() const { return m_recordPath + ".resume"; }
    bool SeedOnly() const { return m_seedOnly; }
    // Runs fn with the callback, unless there is none or the task is released.
    void Dispatch(const std::function<void(ITaskCallback*)>& fn);
    // After this returns no callback of the task runs.
    void MarkReleased();
    // A Stop is waiting for its resume data; cleared by the call that takes it.
    bool TakeStopPending() { return m_stopPending.exchange(false); }
    // True only the first time: the finished event goes out once per task.
    bool TakeFinished() { return !m_finishedSent.exchange(true); }
    // The data is complete; the finished event waits until the library has
    // closed the files it wrote (readers of the finished game need them).
    void SetFinishPending() { m_finishPendingSince = GetTickCount64(); }
    // True when a pending finish is due: the files are closed (flushed) or
    // waiting longer makes no sense (timedOut).
    bool TakeFinishPending(bool timedOut) {
        uint64_t since = m_finishPendingSince.load();
        if (since == 0 || (timedOut && GetTickCount64() - since < 5000)) return false;
        return m_finishPendingSince.exchange(0) != 0;
    }
    // True only the first time after each Start: one failure, one event,
    // however many of the library's alerts report it.
    bool TakeFailed() { return !m_failedSent.exchange(true); }
    void SetError(const std::string& text);

private:
    libtorrent::torrent_handle m_handle;
    VQEngineTorrentInfo m_info;
    std::string m_savePath;
    std::string m_recordPath;
    bool m_seedOnly;

    std::recursive_mutex m_callbackLock;
    ITaskCallback* m_callback = nullptr;
    bool m_released = false;

    std::atomic<bool> m_stopPending{false};
    std::atomic<bool> m_finishedSent{false};
    std::atomic<bool> m_failedSent{false};
    std::atomic<uint64_t> m_finishPendingSince{0};
    std::mutex m_errorLock;  // guards m_error
    std::string m_error;     // engine-side failure (UTF-8), beside the library's
};

}  // namespace Tessar
