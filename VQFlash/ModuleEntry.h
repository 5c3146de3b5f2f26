#pragma once
// One Toolhelp module record, zero-filled with its size field set; held by
// boost::shared_ptr while a module snapshot is walked.

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

namespace Tessar {

struct VQModuleEntry {
    VQModuleEntry() {
        std::memset(&entry, 0, sizeof(entry));
        entry.dwSize = sizeof(entry);
    }

    MODULEENTRY32W entry;
};

}  // namespace Tessar
