#pragma once
// A thread object that runs one plain function with one argument. Owners
// create it with new and often keep it in boost::shared_ptr<VQThread>.
//
// Threads: Start, Wait, WaitBriefly, CloseHandle and deletion belong to the
// owner's thread. The running flag is atomic: the started thread writes it
// and anyone may read it as a hint. The state is reference-counted between
// the object and its started threads, so deleting the object while the
// thread still runs leaves the thread valid state to finish with.

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace Tessar {

typedef void (*VQThreadFunction)(void* argument);

struct VQThreadState {
    void* argument;
    VQThreadFunction function;
    std::atomic<bool> running;
    uint32_t threadId;  // 0 when there is no thread
    HANDLE handle;      // INVALID_HANDLE_VALUE when there is none
    std::atomic<long> references;  // the object plus each thread not yet left
};

class VQThread {
public:
    VQThread(VQThreadFunction function, void* argument);
    // Closes a valid handle without waiting; does not stop the thread.
    ~VQThread();
    VQThread(const VQThread&) = delete;
    VQThread& operator=(const VQThread&) = delete;

    // Starts the function on a new thread. False without a function, while
    // a thread of an earlier start still runs (joined or not, its handle
    // closed or not), or when no thread could be started and resumed. The
    // running flag is true on return from a successful Start. The handle of
    // an earlier thread that has ended is closed first.
    bool Start();
    // Waits without a limit, then closes the handle.
    void Wait();
    // Waits at most 5,000 ms; the handle is closed only when the thread
    // ended. On a time-out the running flag still says true.
    void WaitBriefly();
    // Waits at most that long: true (the handle closed) when the thread has
    // ended or there is none, false on a time-out.
    bool WaitUpTo(DWORD milliseconds);
    // Closes a valid handle (without waiting), clears the id and the
    // running flag.
    void CloseHandle();

    // Null when the state could not be allocated.
    VQThreadState* GetState() const { return m_state; }
    bool IsRunning() const { return m_state != nullptr && m_state->running.load(); }
    HANDLE GetHandle() const { return m_state != nullptr ? m_state->handle : INVALID_HANDLE_VALUE; }
    uint32_t GetThreadId() const { return m_state != nullptr ? m_state->threadId : 0; }

private:
    static unsigned __stdcall EntryPoint(void* state);
    void WaitFor(DWORD milliseconds);

    VQThreadState* m_state;
};

// Deletes a thread object (null is allowed): closes its handle without
// waiting and frees it.
void DeleteThreadHolder(VQThread* thread);

// One time limit for several waits in a row: each wait gets what is left.
class VQWaitBudget {
public:
    explicit VQWaitBudget(DWORD totalMs) : m_start(::GetTickCount()), m_total(totalMs) {}
    DWORD Left() const {
        const DWORD spent = ::GetTickCount() - m_start;
        return spent < m_total ? m_total - spent : 0;
    }

private:
    DWORD m_start;
    DWORD m_total;
};

}  // namespace Tessar
