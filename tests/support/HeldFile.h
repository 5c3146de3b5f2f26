#pragma once
// Holds a file open for reading without sharing write or delete (or with
// the sharing given), as a running program holds its files: it can be read
// but not replaced until released.

#include <windows.h>

#include <string>

namespace Tessar {
namespace Test {

class VQHeldFile {
public:
    explicit VQHeldFile(const std::wstring& path, DWORD share = FILE_SHARE_READ)
        : m_handle(::CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~VQHeldFile() { Release(); }
    VQHeldFile(const VQHeldFile&) = delete;
    VQHeldFile& operator=(const VQHeldFile&) = delete;

    bool Held() const { return m_handle != INVALID_HANDLE_VALUE; }
    void Release() {
        if (m_handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_handle;
};

}  // namespace Test
}  // namespace Tessar
