#pragma once
// An operation that runs on a thread of its own, for the install queue to
// start, cancel and wait on.
//
// Threads: StartThread, WaitThread and deletion belong to the owner's
// thread; Execute runs on the operation's thread; Cancel may come from any.
// The success flag is written by the operation's thread and read by the
// owner after the thread ended.

#include "common/Thread.h"

#include <windows.h>

#include <atomic>

namespace Tessar {

class VQBaseOpertion {
public:
    VQBaseOpertion();
    // Waits for a thread still running; derived classes cancel it first.
    virtual ~VQBaseOpertion();
    VQBaseOpertion(const VQBaseOpertion&) = delete;
    VQBaseOpertion& operator=(const VQBaseOpertion&) = delete;

    // Creates the thread object on first use and starts Execute on it.
    bool StartThread();
    // Asks a running Execute to stop soon.
    virtual void Cancel();
    // Waits without a limit for the thread, then closes its handle.
    void WaitThread();
    // What the owner waits on; INVALID_HANDLE_VALUE before a start.
    HANDLE GetThreadHandle() const;
    bool IsSucceeded() const { return m_succeeded.load(); }

protected:
    // Runs on the operation's thread; true on success.
    virtual bool Execute() = 0;

private:
    static void ThreadMain(void* operation);

    VQThread* m_thread;
    std::atomic<bool> m_succeeded;
};

}  // namespace Tessar
