#include "common/ProcessIterator.h"

#include "common/KernelHandle.h"

#include <psapi.h>

namespace Tessar {

namespace {
// The access right set the process was always opened with.
const DWORD kProcessOpenAccess = 0x1F0FFF;
}  // namespace

bool GetProcessImagePath(const VQProcessEntry& entry, std::wstring& path) {
    VQKernelHandle process(::OpenProcess(kProcessOpenAccess, FALSE, entry.entry.th32ProcessID));
    if (!process.IsValid())
        return false;
    wchar_t buffer[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameExW(process.Get(), nullptr, buffer, MAX_PATH);
    if (length == 0)
        return false;
    path.assign(buffer, length);
    return true;
}

bool ProcessIterator::CanWalk(const VQProcessEntry* entry) const {
    return m_snapshot != INVALID_HANDLE_VALUE && (m_flags & TH32CS_SNAPPROCESS) != 0 && entry != nullptr;
}

bool ProcessIterator::First(boost::shared_ptr<VQProcessEntry> entry) {
    return CanWalk(entry.get()) && ::Process32FirstW(m_snapshot, &entry->entry) != FALSE;
}

bool ProcessIterator::Next(boost::shared_ptr<VQProcessEntry> entry) {
    return CanWalk(entry.get()) && ::Process32NextW(m_snapshot, &entry->entry) != FALSE;
}

void ProcessIterator::Close() {
    if (m_snapshot != INVALID_HANDLE_VALUE) {
        ::CloseHandle(m_snapshot);
        m_snapshot = INVALID_HANDLE_VALUE;
    }
}

}  // namespace Tessar
