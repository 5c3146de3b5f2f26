#pragma once
// One Toolhelp process record, zero-filled with its size field set; held by
// boost::shared_ptr and filled by ProcessIterator.

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

namespace Tessar {

struct VQProcessEntry {
    VQProcessEntry() {
        std::memset(&entry, 0, sizeof(entry));
        entry.dwSize = sizeof(entry);
    }

    PROCESSENTRY32W entry;
};

}  // namespace Tessar
