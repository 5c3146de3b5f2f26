#include "VQCore/download/BaseOperation.h"

#include <exception>

namespace Tessar {

VQBaseOpertion::VQBaseOpertion() : m_thread(nullptr), m_succeeded(false) {}

VQBaseOpertion::~VQBaseOpertion() {
    WaitThread();
    DeleteThreadHolder(m_thread);
}

bool VQBaseOpertion::StartThread() {
    if (m_thread == nullptr)
        m_thread = new VQThread(&VQBaseOpertion::ThreadMain, this);
    return m_thread->Start();
}

void VQBaseOpertion::Cancel() {}

void VQBaseOpertion::WaitThread() {
    if (m_thread != nullptr && m_thread->GetHandle() != INVALID_HANDLE_VALUE)
        m_thread->Wait();
}

HANDLE VQBaseOpertion::GetThreadHandle() const {
    return m_thread != nullptr ? m_thread->GetHandle() : INVALID_HANDLE_VALUE;
}

void VQBaseOpertion::ThreadMain(void* operation) {
    VQBaseOpertion* self = static_cast<VQBaseOpertion*>(operation);
    bool succeeded = false;
    // Nothing thrown may leave the thread.
    try {
        succeeded = self->Execute();
    } catch (const std::exception&) {
        succeeded = false;
    } catch (...) {
        succeeded = false;
    }
    self->m_succeeded.store(succeeded);
}

}  // namespace Tessar
