#pragma once
// The downloads of one window: the tasks in the order they were added, how
// many may run at once, and a speed limit shared by the running ones.
//
// Threads: every operation belongs to the owner's thread and the queue has
// no lock; only the observer, which tasks read from their own threads, is
// atomic.

#include "VQCore/download/DownloadMessage.h"
#include "VQCore/download/DownloadTask.h"

#include <atomic>
#include <cstdint>
#include <list>

namespace Tessar {

class VQDownloadQueue {
public:
    explicit VQDownloadQueue(VQDownloadMessage* observer = nullptr, uint32_t runningLimit = 1,
                             uint32_t speedLimit = 0);
    // Releases every task still held (RemoveAll).
    ~VQDownloadQueue();
    VQDownloadQueue(const VQDownloadQueue&) = delete;
    VQDownloadQueue& operator=(const VQDownloadQueue&) = delete;

    VQDownloadMessage* GetObserver() const { return m_observer.load(); }
    void SetObserver(VQDownloadMessage* observer) { m_observer = observer; }
    uint32_t GetRunningLimit() const { return m_runningLimit; }
    void SetRunningLimit(uint32_t limit) { m_runningLimit = limit; }
    // KB/s for all tasks together; 0 is no limit. ShareSpeedLimit applies it.
    uint32_t GetSpeedLimit() const { return m_speedLimit; }
    void SetSpeedLimit(uint32_t kilobytesPerSecond) { m_speedLimit = kilobytesPerSecond; }
    const std::list<VQDownloadTask*>& GetTasks() const { return m_tasks; }

    // Takes the task (the queue releases it on Remove or RemoveAll) and
    // becomes its owner; does not start it. False for null; a task already
    // held stays where it is.
    bool Add(VQDownloadTask* task);
    // Starts the task when fewer than the running limit run (Start's
    // result); otherwise parks it: state 1 and false. A task that runs
    // already is neither started again nor parked: false.
    bool StartNext(VQDownloadTask* task);
    // Detaches the task (it raises no more events), stops it unless it is
    // stopped already and takes it out; unless kept, releases it and shares
    // the speed limit again. False when the queue does not hold it.
    bool Remove(VQDownloadTask* task, bool keep);
    // Detaches, stops and releases every task, then empties the list.
    bool RemoveAll();
    // Any task running or waiting.
    bool HasActive() const;
    uint32_t RunningCount() const;
    // Gives each running task an equal share of the speed limit, rounded
    // up. The owner calls it after it starts or ends tasks and when the
    // limit changes.
    void ShareSpeedLimit();

private:
    std::atomic<VQDownloadMessage*> m_observer;
    std::list<VQDownloadTask*> m_tasks;
    uint32_t m_runningLimit;
    uint32_t m_speedLimit;
};

}  // namespace Tessar
