#pragma once
// How download tasks report to the window that shows them: numbered events
// through the one-operation interface VQDownloadMessage.
//
// Threads: an event is delivered on whatever thread raised it (a task's
// worker, one of its range workers, or the owner's own thread), at once,
// with the record on the sender's stack: it and any text it points to are
// valid for the duration of the call only. An observer must therefore
// copy what it keeps, accept calls from any thread, and never wait for the
// owner's thread (which may itself be waiting for the worker).

#include <cstdint>

namespace Tessar {

// Event codes, with what the record's value holds.
enum VQDownloadEvent : uint32_t {
    kDownloadEventRecordPath = 0,  // const wchar_t*: the resume record (.vql)
    kDownloadEventSetupPath = 2,   // const wchar_t*: the final file
    kDownloadEventStage = 3,       // u32 stage (HTTP: 0 to 3)
    kDownloadEventTotalSize = 4,   // u64 bytes
    kDownloadEventBytesDone = 5,   // u64 bytes
    kDownloadEventSpeed = 6,       // MakeSpeedValue(tick, bytes per second)
    kDownloadEventState = 7,       // u32 new task state (1-5)
    kDownloadEventEnd = 8,         // MakeEndValue(end code, detail), right after event 7
    // u32 download type the server named, other than the task's kind: the
    // owner replaces the task by one of the other kind (SetReplacedTask).
    kDownloadEventOtherTransport = 9,
};

struct VQDownloadMessageInfo {
    uint32_t taskId;  // the game id
    uint64_t value;
};

class VQDownloadMessage {
public:
    virtual void OnDownloadMessage(uint32_t code, const VQDownloadMessageInfo* info) = 0;

protected:
    ~VQDownloadMessage() = default;
};

// Event 6 carries two u32 in the value: first (low half) the tick count of
// the measurement, second (high half) the speed in bytes per second.
inline uint64_t MakeSpeedValue(uint32_t tick, uint32_t bytesPerSecond) {
    return static_cast<uint64_t>(bytesPerSecond) << 32 | tick;
}
inline uint32_t SpeedValueTick(uint64_t value) {
    return static_cast<uint32_t>(value);
}
inline uint32_t SpeedValueSpeed(uint64_t value) {
    return static_cast<uint32_t>(value >> 32);
}

// Event 8 carries the end code (DownloadEndCodes.h) in the low half and
// in the high half what the message of a failure shows with it: the system
// or Winsock error of the worker that failed (end codes 1 and 0xE0000007;
// never 0 there), 0 for the other codes. The low half alone is the end code.
inline uint64_t MakeEndValue(uint32_t endCode, uint32_t detail) {
    return static_cast<uint64_t>(detail) << 32 | endCode;
}
inline uint32_t EndValueCode(uint64_t value) {
    return static_cast<uint32_t>(value);
}
inline uint32_t EndValueDetail(uint64_t value) {
    return static_cast<uint32_t>(value >> 32);
}

// Events 0 and 2 carry a pointer to the sender's text.
inline const wchar_t* MessageText(const VQDownloadMessageInfo& info) {
    return reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(info.value));
}

}  // namespace Tessar
