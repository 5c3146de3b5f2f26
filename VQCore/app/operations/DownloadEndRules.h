#pragma once
// What the main window does when a download task ends: the end code, the
// task's kind and its counted failures decide between success, a silent
// stop, another try and an error shown to the user.

#include <cstdint>
#include <string>

namespace Tessar {

enum class VQDownloadEndAction {
    kInstall,     // finished: on to the install queue
    kNextTask,    // cancelled, or replaced by a task of the other kind: nothing shown
    kRetry,       // a network-class failure with tries left: start it again
    kShowError,   // notification 23 with the code, then the next waiting task
};

// kind: 1 HTTP, 2 peer-to-peer, 0 when the tile has no task (taken as HTTP).
// Network-class failures are tried again while the task has counted at
// most three of them.
VQDownloadEndAction DecideDownloadEnd(uint32_t kind, uint32_t code, uint32_t failures);

// The download statistic's extra text:
// "&bt=%.2f&speed=%d&num=%d&limit=%d"; speed in bytes per second is sent in
// whole KB per second, limit is -1 without a speed limit.
std::wstring MakeDownloadStatisticExtra(double progress, double bytesPerSecond, uint32_t runningTasks,
                                        bool speedLimitOn, uint32_t maxSpeed);

}  // namespace Tessar
