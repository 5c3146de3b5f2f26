#include "VQCore/download/DownloadTask.h"

#include "VQCore/download/DownloadQueue.h"

namespace Tessar {

VQDownloadTask::VQDownloadTask(uint32_t id, uint32_t kind, const std::wstring& folder)
    : m_id(id),
      m_kind(kind),
      m_state(kTaskStopped),
      m_folder(folder),
      m_failures(0),
      m_removeFiles(false),
      m_owner(nullptr),
      m_speedShare(0),
      m_replaced(nullptr) {}

VQDownloadTask::~VQDownloadTask() {
    ReleaseReplacedTask();
}

void VQDownloadTask::SetReplacedTask(VQDownloadTask* task) {
    VQDownloadTask* before = m_replaced.exchange(task);
    if (before != nullptr && before != task)
        before->Release();
}

void VQDownloadTask::ReleaseReplacedTask() {
    // Exchanged, so that the worker and the destructor never both release it.
    VQDownloadTask* replaced = m_replaced.exchange(nullptr);
    if (replaced != nullptr) {
        replaced->SetOwner(nullptr);
        replaced->Release();
    }
}

double VQDownloadTask::GetSpeed() const {
    return 0.0;
}

double VQDownloadTask::GetProgress() const {
    return 0.0;
}

void VQDownloadTask::SetState(uint32_t state) {
    m_state = state;
    RaiseEvent(kDownloadEventState, state);
}

VQRemoteFileInfo VQDownloadTask::GetDownloadInfo() const {
    std::lock_guard<std::mutex> guard(m_infoLock);
    return m_info;
}

void VQDownloadTask::SetDownloadInfo(const VQRemoteFileInfo& info) {
    std::lock_guard<std::mutex> guard(m_infoLock);
    m_info = info;
}

void VQDownloadTask::RaiseEvent(uint32_t code, uint64_t value) const {
    VQDownloadQueue* owner = m_owner.load();
    VQDownloadMessage* observer = owner != nullptr ? owner->GetObserver() : nullptr;
    if (observer == nullptr)
        return;
    VQDownloadMessageInfo info = {m_id, value};
    observer->OnDownloadMessage(code, &info);
}

void VQDownloadTask::RaiseTextEvent(uint32_t code, const std::wstring& text) const {
    RaiseEvent(code, static_cast<uint64_t>(reinterpret_cast<uintptr_t>(text.c_str())));
}

}  // namespace Tessar
