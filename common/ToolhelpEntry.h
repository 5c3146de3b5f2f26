#pragma once
// One Toolhelp record (a process's, a module's), zero-filled with its size
// field set; held by boost::shared_ptr while a snapshot is walked
// (ProcessIterator, the import-table hook's module walk).

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

namespace Tessar {

template <typename Record>
struct VQToolhelpEntry {
    VQToolhelpEntry() {
        std::memset(&entry, 0, sizeof(entry));
        entry.dwSize = sizeof(entry);
    }

    Record entry;
};

typedef VQToolhelpEntry<PROCESSENTRY32W> VQProcessEntry;
typedef VQToolhelpEntry<MODULEENTRY32W> VQModuleEntry;

}  // namespace Tessar
