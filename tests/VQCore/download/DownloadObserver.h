// An observer of download events for the tests: records every event with
// the thread it came on and whether its record lay on that thread's stack,
// and lets a test wait for end events.
#pragma once

#include "VQCore/download/DownloadMessage.h"

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace Tessar {
namespace Test {

struct VQRecordedEvent {
    uint32_t code;
    uint32_t taskId;
    uint64_t value;
    std::wstring text;  // events 0 and 2, copied during the call
    DWORD thread;
    bool recordOnStack;  // the record lay on the calling thread's stack
};

class VQRecordingObserver : public VQDownloadMessage {
public:
    void OnDownloadMessage(uint32_t code, const VQDownloadMessageInfo* info) override;

    std::vector<VQRecordedEvent> Events() const;
    std::vector<VQRecordedEvent> EventsOf(uint32_t code) const;
    // The codes in order, events 5 and 6 left out (their number depends on
    // the network's pace).
    std::vector<uint32_t> Codes() const;
    void Clear();
    // Until this many end events (8) arrived in all; false on time-out.
    bool WaitForEnds(size_t count, DWORD timeoutMs = 60000) const;
    // The end code and the failure detail of the last end event; ~0u when
    // none came.
    uint32_t LastEndCode() const;
    uint32_t LastEndDetail() const;

    // Runs on the sender's thread after each event is recorded; change it
    // only while no task runs.
    std::function<void(uint32_t code, const VQDownloadMessageInfo& info)> hook;

private:
    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    std::vector<VQRecordedEvent> m_events;
    size_t m_ends = 0;
};

}  // namespace Test
}  // namespace Tessar
