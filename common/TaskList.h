#pragma once
// Base of a worker thread that sleeps until a stop request or a unit of
// work arrives. Subclasses keep their own item list under their own lock,
// then call SignalTask once per item; the worker calls Process once per
// unit, never twice at a time.
//
// Threads: Start, Stop and destruction belong to the owner's thread, never
// the worker. The started flag is atomic (the worker clears it on stop).
// A subclass must call Stop in its own destructor: by the time the base
// destructor runs, Process is gone.

#include <windows.h>

#include <atomic>

namespace Tessar {

class VQThread;

class VQTaskList {
public:
    static const LONG kMaxPendingTasks = 64;

    VQTaskList();
    virtual ~VQTaskList();
    VQTaskList(const VQTaskList&) = delete;
    VQTaskList& operator=(const VQTaskList&) = delete;

    // True when the worker runs (also when it already ran). False, not
    // started, when the stop event or the semaphore is missing or the
    // worker cannot be started.
    bool Start();
    // Signals the stop event and waits for the worker; always true. Units
    // still pending stay counted for a later Start.
    bool Stop();

    // False again once the worker has ended, also on a failed wait.
    bool IsStarted() const { return m_started.load(); }
    // Releases the task semaphore by one; false when 64 units are already
    // pending.
    bool SignalTask();

protected:
    // Runs on the worker once per released unit.
    virtual void Process() = 0;

    HANDLE m_stopEvent;      // auto-reset
    HANDLE m_taskSemaphore;  // pending units, at most kMaxPendingTasks

private:
    static void ThreadProc(void* self);

    std::atomic<bool> m_started;
    VQThread* m_worker;
};

}  // namespace Tessar
