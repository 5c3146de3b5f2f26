#include "common/TaskList.h"

#include "common/Thread.h"

#include <new>

namespace Tessar {

VQTaskList::VQTaskList()
    : m_stopEvent(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_taskSemaphore(::CreateSemaphoreW(nullptr, 0, kMaxPendingTasks, nullptr)),
      m_started(false),
      m_worker(nullptr) {}

VQTaskList::~VQTaskList() {
    Stop();
    if (m_taskSemaphore != nullptr) {
        ::CloseHandle(m_taskSemaphore);
        m_taskSemaphore = nullptr;
    }
    if (m_stopEvent != nullptr && ::CloseHandle(m_stopEvent))
        m_stopEvent = nullptr;
}

bool VQTaskList::Start() {
    if (m_started)
        return true;
    // Without both handles a worker would end at its first wait.
    if (m_stopEvent == nullptr || m_taskSemaphore == nullptr)
        return false;
    DeleteThreadHolder(m_worker);
    m_worker = nullptr;
    // A stop request that no worker took (one ended on a failed wait) must
    // not end the new one.
    ::ResetEvent(m_stopEvent);
    m_worker = new (std::nothrow) VQThread(&VQTaskList::ThreadProc, this);
    // Set before the worker runs, so that a worker that ends at once
    // leaves the list not started rather than being overwritten.
    m_started = true;
    if (m_worker == nullptr || !m_worker->Start()) {
        m_started = false;
        DeleteThreadHolder(m_worker);
        m_worker = nullptr;
        return false;
    }
    return true;
}

bool VQTaskList::Stop() {
    if (!m_started) {
        // A worker that ended on a failed wait is joined here.
        if (m_worker != nullptr)
            m_worker->Wait();
        DeleteThreadHolder(m_worker);
        m_worker = nullptr;
        return true;
    }
    ::SetEvent(m_stopEvent);
    if (m_worker != nullptr)
        m_worker->Wait();
    DeleteThreadHolder(m_worker);
    m_worker = nullptr;
    m_started = false;
    return true;
}

bool VQTaskList::SignalTask() {
    return m_taskSemaphore != nullptr && ::ReleaseSemaphore(m_taskSemaphore, 1, nullptr) != FALSE;
}

void VQTaskList::ThreadProc(void* self) {
    VQTaskList* list = static_cast<VQTaskList*>(self);
    // The stop event stands first, so it wins when both are signalled.
    HANDLE handles[2] = {list->m_stopEvent, list->m_taskSemaphore};
    for (;;) {
        DWORD result = ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        if (result == WAIT_OBJECT_0) {
            list->m_started = false;
            return;
        }
        if (result != WAIT_OBJECT_0 + 1) {
            // The worker is gone: the list no longer counts as started.
            list->m_started = false;
            return;
        }
        list->Process();
    }
}

}  // namespace Tessar
