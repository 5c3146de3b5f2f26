#pragma once
// One game download, whatever its transport. The owner (a window) makes a
// task, adds it to its VQDownloadQueue, starts and stops it there, and
// hears from it through the queue's VQDownloadMessage observer; Release
// ends its life. A task that no queue holds (or whose queue has no
// observer) raises no events, though its state still changes.
//
// Threads: Start, Stop, Release and the setters belong to the owner's
// thread; the task's worker and its range workers raise events. Every
// field below is atomic or guarded by m_infoLock, so the getters may be
// called from any thread.

#include "common/RemoteFileInfo.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace Tessar {

class VQDownloadQueue;

enum VQDownloadTaskKind : uint32_t {
    kHttpTaskKind = 1,
    kBTTaskKind = 2,  // peer-to-peer
};

enum VQDownloadTaskState : uint32_t {
    kTaskWaiting = 1,  // parked by the queue, not started
    kTaskRunning = 2,
    kTaskFinished = 3,
    kTaskStopped = 4,  // also the state of a new task
    kTaskFailed = 5,
};

class VQDownloadTask {
public:
    virtual ~VQDownloadTask();
    VQDownloadTask(const VQDownloadTask&) = delete;
    VQDownloadTask& operator=(const VQDownloadTask&) = delete;

    virtual bool Start() = 0;
    virtual bool Stop() = 0;
    // Ends the task and deletes it; blocks until its worker has left, so
    // never call it from the task's own threads (an observer's handler).
    virtual void Release() = 0;
    // Bytes per second.
    virtual double GetSpeed() const;
    virtual double GetProgress() const;

    uint32_t GetId() const { return m_id; }
    uint32_t GetKind() const { return m_kind; }
    uint32_t GetState() const { return m_state.load(); }
    // Stores the state and raises event 7 with it.
    void SetState(uint32_t state);
    // The download folder (the CacheDir setting).
    const std::wstring& GetFolder() const { return m_folder; }

    // Counted failures so far; the next start waits longer for each.
    uint32_t GetFailureCount() const { return m_failures.load(); }

    // Set before Stop or Release when the partial files are to go with the
    // task.
    void SetRemoveFiles(bool remove) { m_removeFiles = remove; }
    bool GetRemoveFiles() const { return m_removeFiles.load(); }

    // The queue that holds the task; null when detached. Events go to its
    // observer.
    VQDownloadQueue* GetOwner() const { return m_owner.load(); }
    void SetOwner(VQDownloadQueue* owner) { m_owner = owner; }

    // What the server said about the file, once the task has asked.
    VQRemoteFileInfo GetDownloadInfo() const;

    // The task of the other kind this one replaces (event 9); this task
    // takes it over and releases it before its own worker begins (or when
    // it is deleted), never on the owner's thread that may be in the old
    // task's event. Set by the owner before Start.
    void SetReplacedTask(VQDownloadTask* task);

    // This task's part of the queue's speed limit in KB/s; 0 is no limit.
    uint32_t GetSpeedShare() const { return m_speedShare.load(); }
    void SetSpeedShare(uint32_t kilobytesPerSecond) { m_speedShare = kilobytesPerSecond; }

protected:
    // A new task is stopped (state 4) and detached.
    VQDownloadTask(uint32_t id, uint32_t kind, const std::wstring& folder);

    // Event code with its value to the owner's observer, on this thread,
    // with the record on this stack.
    void RaiseEvent(uint32_t code, uint64_t value) const;
    // Events 0 and 2: the value points at the text for the call.
    void RaiseTextEvent(uint32_t code, const std::wstring& text) const;

    // Releases the replaced task when one is held; the worker's first step.
    void ReleaseReplacedTask();
    void IncrementFailureCount() { ++m_failures; }
    // Clears the remove-files flag; true when it was set.
    bool TakeRemoveFiles() { return m_removeFiles.exchange(false); }
    void SetDownloadInfo(const VQRemoteFileInfo& info);

private:
    const uint32_t m_id;
    const uint32_t m_kind;
    std::atomic<uint32_t> m_state;
    const std::wstring m_folder;
    std::atomic<uint32_t> m_failures;
    std::atomic<bool> m_removeFiles;
    std::atomic<VQDownloadQueue*> m_owner;
    mutable std::mutex m_infoLock;
    VQRemoteFileInfo m_info;  // m_infoLock
    std::atomic<uint32_t> m_speedShare;
    std::atomic<VQDownloadTask*> m_replaced;
};

}  // namespace Tessar
