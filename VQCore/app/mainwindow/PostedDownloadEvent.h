#pragma once
// A download task's event as the main window carries it from the task's
// thread to its own (kMsgDownloadEvent): the record's values copied, the
// text of events 0 and 2 with them.

#include <cstdint>
#include <string>

namespace Tessar {

struct VQPostedDownloadEvent {
    uint32_t code;
    uint32_t taskId;  // the game id
    uint64_t value;
    std::wstring text;
};

}  // namespace Tessar
