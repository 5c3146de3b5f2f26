#pragma once
// Walking a Toolhelp snapshot's processes, and a process's image path.

#include "common/ToolhelpEntry.h"

#include <boost/shared_ptr.hpp>

#include <windows.h>

#include <cstdint>
#include <string>

namespace Tessar {

// Full path of the entry's main module; false when the process cannot be
// opened or the path cannot be read.
bool GetProcessImagePath(const VQProcessEntry& entry, std::wstring& path);

class ProcessIterator {
public:
    ProcessIterator() = default;
    // Takes over a snapshot taken with the given TH32CS_* flags.
    ProcessIterator(uint32_t flags, HANDLE snapshot)
        : m_flags(flags), m_snapshot(snapshot != nullptr ? snapshot : INVALID_HANDLE_VALUE) {}
    ~ProcessIterator() { Close(); }
    ProcessIterator(const ProcessIterator&) = delete;
    ProcessIterator& operator=(const ProcessIterator&) = delete;

    // False without a process snapshot or an entry.
    bool First(boost::shared_ptr<VQProcessEntry> entry);
    bool Next(boost::shared_ptr<VQProcessEntry> entry);
    void Close();

private:
    bool CanWalk(const VQProcessEntry* entry) const;

    uint32_t m_flags = 0;
    HANDLE m_snapshot = INVALID_HANDLE_VALUE;
};

}  // namespace Tessar
