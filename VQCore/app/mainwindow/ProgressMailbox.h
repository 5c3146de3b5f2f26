#pragma once
// The latest byte count of each download task, handed from the tasks'
// threads to the main window. A task reports every block it receives -
// thousands a second on a fast line - while a tile shows only the count
// that stands when it is painted: one message per task is on its way at a
// time, at most one a frame (kProgressEveryMs), and the window takes the
// newest count when it arrives. Each message costs the window's thread a
// turn and a repaint of the tile; a flood of them kept the window from
// answering and queued the task's end behind thousands of counts.
//
// Threads: any thread; m_lock guards the map. The tasks offer, the window
// takes.

#include <cstdint>
#include <map>
#include <mutex>

namespace Tessar {

// One frame at 60 Hz.
const uint32_t kProgressEveryMs = 16;

class VQProgressMailbox {
public:
    // Keeps value as the task's newest count; true when the caller is to
    // post a message for it: none is on its way, and the last went at
    // least kProgressEveryMs before `now` (a tick in milliseconds).
    // Otherwise the count waits: for the next Offer, or for TakeWaiting.
    bool Offer(uint32_t taskId, uint64_t value, uint32_t now);
    // True when a count waits with no message on its way: the caller then
    // posts one (a task before its other events, so that the tile never
    // stops short of its last count) or takes the count at once (the
    // window, a moment after the last count came).
    bool TakeWaiting(uint32_t taskId);
    // The task's newest count, when it arrives with the message on its
    // way; the next Offer may post again. False when none was on its way.
    bool Take(uint32_t taskId, uint64_t& value);

private:
    struct Slot {
        uint64_t value = 0;
        uint32_t postedAt = 0;
        bool posted = false;   // a message on its way
        bool waiting = false;  // a count newer than the last message took
    };
    std::mutex m_lock;
    std::map<uint32_t, Slot> m_slots;
};

}  // namespace Tessar
