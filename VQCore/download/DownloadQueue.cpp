#include "VQCore/download/DownloadQueue.h"

#include "VQCore/download/BTManager.h"
#include "common/Singleton.h"

#include <algorithm>
#include <vector>

namespace Tessar {

VQDownloadQueue::VQDownloadQueue(VQDownloadMessage* observer, uint32_t runningLimit, uint32_t speedLimit)
    : m_observer(observer), m_runningLimit(runningLimit), m_speedLimit(speedLimit) {}

VQDownloadQueue::~VQDownloadQueue() {
    RemoveAll();
}

bool VQDownloadQueue::Add(VQDownloadTask* task) {
    if (task == nullptr)
        return false;
    task->SetOwner(this);
    // A second entry would be released twice.
    if (std::find(m_tasks.begin(), m_tasks.end(), task) == m_tasks.end())
        m_tasks.push_back(task);
    return true;
}

bool VQDownloadQueue::StartNext(VQDownloadTask* task) {
    // Parking a running task would hide it from the running count.
    if (task->GetState() == kTaskRunning)
        return false;
    if (RunningCount() < m_runningLimit)
        return task->Start();
    task->SetState(kTaskWaiting);
    return false;
}

bool VQDownloadQueue::Remove(VQDownloadTask* task, bool keep) {
    auto at = std::find(m_tasks.begin(), m_tasks.end(), task);
    if (at == m_tasks.end())
        return false;
    task->SetOwner(nullptr);
    if (task->GetState() != kTaskStopped)
        task->Stop();
    m_tasks.erase(at);
    if (!keep) {
        task->Release();
        ShareSpeedLimit();
    }
    return true;
}

bool VQDownloadQueue::RemoveAll() {
    // Every task is detached before any is stopped, so that no observer
    // hears of (and acts on) a list being emptied.
    std::list<VQDownloadTask*> tasks;
    tasks.swap(m_tasks);
    for (VQDownloadTask* task : tasks)
        task->SetOwner(nullptr);
    for (VQDownloadTask* task : tasks) {
        if (task->GetState() != kTaskStopped)
            task->Stop();
        task->Release();
    }
    return true;
}

bool VQDownloadQueue::HasActive() const {
    for (const VQDownloadTask* task : m_tasks) {
        uint32_t state = task->GetState();
        if (state == kTaskRunning || state == kTaskWaiting)
            return true;
    }
    return false;
}

uint32_t VQDownloadQueue::RunningCount() const {
    uint32_t count = 0;
    for (const VQDownloadTask* task : m_tasks)
        count += task->GetState() == kTaskRunning;
    return count;
}

void VQDownloadQueue::ShareSpeedLimit() {
    std::vector<VQDownloadTask*> http;
    uint32_t peerToPeer = 0;
    for (VQDownloadTask* task : m_tasks) {
        if (task->GetState() != kTaskRunning)
            continue;
        if (task->GetKind() == kHttpTaskKind)
            http.push_back(task);
        else if (task->GetKind() == kBTTaskKind)
            ++peerToPeer;
    }
    uint32_t total = static_cast<uint32_t>(http.size()) + peerToPeer;
    if (total == 0)
        return;
    // Rounded up; a limit of 0 gives 0, no limit.
    uint32_t share = (m_speedLimit + total - 1) / total;
    for (VQDownloadTask* task : http)
        task->SetSpeedShare(share);
    // The peer-to-peer tasks' part is the engine session's rate, both ways.
    uint64_t rate = static_cast<uint64_t>(peerToPeer) * share * 1024;
    VQSingleton<VQBTManager>::Instance().SetSessionRate(rate > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(rate));
}

}  // namespace Tessar
