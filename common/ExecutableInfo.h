#pragma once
// An executable's version resource and the name of the certificate that
// signed it.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Tessar {

class ExecutableInfo {
public:
    explicit ExecutableInfo(const std::wstring& path);
    ~ExecutableInfo();
    ExecutableInfo(const ExecutableInfo&) = delete;
    ExecutableInfo& operator=(const ExecutableInfo&) = delete;

    // Reads the version block once; every version query below calls it
    // first and fails when it fails.
    bool LoadVersionInfo();
    // Product version of the fixed information: dwProductVersionMS in the
    // high half, dwProductVersionLS in the low half.
    bool GetProductVersion(uint64_t& version);
    // Looks the value up under every translation of the block in table
    // order; the last translation that holds a non-empty value wins. True
    // once the block is read, also when no translation holds the value
    // (the text is then left as it was).
    bool QueryVersionString(const std::wstring& valueName, std::wstring& text);
    bool GetInternalName(std::wstring& text) { return QueryVersionString(L"InternalName", text); }
    bool GetCompanyName(std::wstring& text) { return QueryVersionString(L"CompanyName", text); }
    bool GetFileDescription(std::wstring& text) { return QueryVersionString(L"FileDescription", text); }
    bool GetOriginalFilename(std::wstring& text) { return QueryVersionString(L"OriginalFilename", text); }

    // Simple display name of the first signer's certificate; empty when the
    // file is not signed or cannot be read. Does not need the version block.
    std::wstring GetSignerName();

    const std::vector<std::wstring>& TranslationRoots() const { return m_translationRoots; }

private:
    std::vector<std::wstring> m_translationRoots;  // "\StringFileInfo\llllcccc"
    bool m_loaded = false;
    HGLOBAL m_versionBlock = nullptr;  // movable, holds the raw resource
    void* m_versionData = nullptr;     // m_versionBlock locked
    std::wstring m_path;
    std::wstring m_signerName;
};

}  // namespace Tessar
