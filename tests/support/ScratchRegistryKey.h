#pragma once
// A registry key tree owned by one test: a fresh key
// HKEY_CURRENT_USER\Software\TessarTest\<unique name>, deleted with
// everything below it at the end.

#include <windows.h>

#include <string>

namespace Tessar {

class VQScratchRegistryKey {
public:
    VQScratchRegistryKey();
    ~VQScratchRegistryKey();
    VQScratchRegistryKey(const VQScratchRegistryKey&) = delete;
    VQScratchRegistryKey& operator=(const VQScratchRegistryKey&) = delete;

    bool IsValid() const { return !m_path.empty(); }
    HKEY Root() const { return HKEY_CURRENT_USER; }
    // "Software\TessarTest\<unique name>"; empty when it could not be made.
    const std::wstring& Path() const { return m_path; }
    // "HKEY_CURRENT_USER\Software\TessarTest\<unique name>", as .reg files write it.
    std::wstring FullName() const;
    // The scratch path joined with a relative key path (itself for "").
    std::wstring PathOf(const std::wstring& sub) const;
    bool KeyExists(const std::wstring& sub) const;

private:
    std::wstring m_path;
};

}  // namespace Tessar
