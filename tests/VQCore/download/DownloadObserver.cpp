#include "tests/VQCore/download/DownloadObserver.h"

#include <chrono>

namespace Tessar {
namespace Test {

namespace {

// The thread's stack is one reservation: an address lies on it when its
// allocation is the one of a local of this call.
bool OnCurrentStack(const void* address) {
    int local = 0;
    MEMORY_BASIC_INFORMATION ours = {};
    MEMORY_BASIC_INFORMATION theirs = {};
    if (VirtualQuery(&local, &ours, sizeof(ours)) == 0 || VirtualQuery(address, &theirs, sizeof(theirs)) == 0)
        return false;
    return ours.AllocationBase == theirs.AllocationBase;
}

}  // namespace

void VQRecordingObserver::OnDownloadMessage(uint32_t code, const VQDownloadMessageInfo* info) {
    VQRecordedEvent event = {code, info->taskId, info->value, L"", GetCurrentThreadId(), OnCurrentStack(info)};
    if ((code == kDownloadEventRecordPath || code == kDownloadEventSetupPath) && MessageText(*info) != nullptr)
        event.text = MessageText(*info);
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_events.push_back(event);
    }
    if (hook)
        hook(code, *info);
    // Counted after the hook, so that a test that saw the end may change
    // the hook: the sender calls this observer no more.
    if (code == kDownloadEventEnd) {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            ++m_ends;
        }
        m_changed.notify_all();
    }
}

std::vector<VQRecordedEvent> VQRecordingObserver::Events() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_events;
}

std::vector<VQRecordedEvent> VQRecordingObserver::EventsOf(uint32_t code) const {
    std::vector<VQRecordedEvent> found;
    for (const VQRecordedEvent& event : Events()) {
        if (event.code == code)
            found.push_back(event);
    }
    return found;
}

std::vector<uint32_t> VQRecordingObserver::Codes() const {
    std::vector<uint32_t> codes;
    for (const VQRecordedEvent& event : Events()) {
        if (event.code != kDownloadEventBytesDone && event.code != kDownloadEventSpeed)
            codes.push_back(event.code);
    }
    return codes;
}

void VQRecordingObserver::Clear() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_events.clear();
    m_ends = 0;
}

bool VQRecordingObserver::WaitForEnds(size_t count, DWORD timeoutMs) const {
    std::unique_lock<std::mutex> guard(m_lock);
    return m_changed.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] { return m_ends >= count; });
}

uint32_t VQRecordingObserver::LastEndCode() const {
    std::lock_guard<std::mutex> guard(m_lock);
    for (auto at = m_events.rbegin(); at != m_events.rend(); ++at) {
        if (at->code == kDownloadEventEnd)
            return EndValueCode(at->value);
    }
    return ~0u;
}

uint32_t VQRecordingObserver::LastEndDetail() const {
    std::lock_guard<std::mutex> guard(m_lock);
    for (auto at = m_events.rbegin(); at != m_events.rend(); ++at) {
        if (at->code == kDownloadEventEnd)
            return EndValueDetail(at->value);
    }
    return ~0u;
}

}  // namespace Test
}  // namespace Tessar
