#include "common/Thread.h"

#include <process.h>

#include <new>

namespace Tessar {

namespace {

void ReleaseState(VQThreadState* state) {
    if (state->references.fetch_sub(1) == 1)
        delete state;
}

}  // namespace

VQThread::VQThread(VQThreadFunction function, void* argument)
    : m_state(new (std::nothrow) VQThreadState) {
    if (m_state == nullptr)
        return;
    m_state->argument = argument;
    m_state->function = function;
    m_state->running = false;
    m_state->threadId = 0;
    m_state->handle = INVALID_HANDLE_VALUE;
    m_state->references = 1;
}

VQThread::~VQThread() {
    if (m_state == nullptr)
        return;
    CloseHandle();
    ReleaseState(m_state);
    m_state = nullptr;
}

bool VQThread::Start() {
    if (m_state == nullptr || m_state->function == nullptr)
        return false;
    // A thread of an earlier start that has not left yet still uses the
    // state (argument, flag, id): a second one must not share it, whether
    // or not its handle was closed.
    if (m_state->references.load() > 1)
        return false;
    // A handle still open belongs to an earlier thread that has ended.
    CloseHandle();
    // The thread's own reference, given back when it leaves EntryPoint.
    m_state->references.fetch_add(1);
    unsigned threadId = 0;
    uintptr_t handle = _beginthreadex(nullptr, 0, &VQThread::EntryPoint, m_state, CREATE_SUSPENDED, &threadId);
    if (handle == 0) {
        m_state->handle = INVALID_HANDLE_VALUE;
        m_state->running = false;
        m_state->threadId = 0;
        m_state->references.fetch_sub(1);
        return false;
    }
    m_state->handle = reinterpret_cast<HANDLE>(handle);
    m_state->threadId = threadId;
    m_state->running = true;
    if (::ResumeThread(m_state->handle) == static_cast<DWORD>(-1)) {
        // The thread never ran: end it so that it does not stay suspended
        // for ever, and report no thread.
        if (::TerminateThread(m_state->handle, 1))
            m_state->references.fetch_sub(1);
        CloseHandle();
        return false;
    }
    return true;
}

unsigned __stdcall VQThread::EntryPoint(void* argument) {
    VQThreadState* state = static_cast<VQThreadState*>(argument);
    state->running = true;
    if (state->function != nullptr)
        state->function(state->argument);
    state->running = false;
    ReleaseState(state);
    return 0;
}

void VQThread::WaitFor(DWORD milliseconds) {
    if (m_state == nullptr || m_state->handle == INVALID_HANDLE_VALUE)
        return;
    if (::WaitForSingleObject(m_state->handle, milliseconds) == WAIT_OBJECT_0)
        CloseHandle();
}

void VQThread::Wait() {
    WaitFor(INFINITE);
}

void VQThread::WaitBriefly() {
    WaitFor(5000);
}

bool VQThread::WaitUpTo(DWORD milliseconds) {
    if (m_state == nullptr || m_state->handle == INVALID_HANDLE_VALUE)
        return true;
    if (::WaitForSingleObject(m_state->handle, milliseconds) != WAIT_OBJECT_0)
        return false;
    CloseHandle();
    return true;
}

void VQThread::CloseHandle() {
    if (m_state == nullptr)
        return;
    if (m_state->handle != INVALID_HANDLE_VALUE) {
        ::CloseHandle(m_state->handle);
        m_state->handle = INVALID_HANDLE_VALUE;
    }
    m_state->threadId = 0;
    m_state->running = false;
}

void DeleteThreadHolder(VQThread* thread) {
    delete thread;
}

}  // namespace Tessar
