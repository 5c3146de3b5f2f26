#pragma once
// Copies the first icon group of an executable into an .ico file (a game's
// icon and its desktop shortcut).

#include "common/IconFile.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Tessar {

class IconExtractor {
public:
    // Loads the file as a data file; a failed load leaves no module.
    explicit IconExtractor(const std::wstring& path);
    ~IconExtractor();
    IconExtractor(const IconExtractor&) = delete;
    IconExtractor& operator=(const IconExtractor&) = delete;

    // Writes the first icon group that the resource enumeration reports;
    // false (and no file) without one.
    bool ExtractIconGroup(const std::wstring& icoPath);
    // The group named by a string or by MAKEINTRESOURCEW(id); null when it
    // or one of its images is missing or malformed.
    std::unique_ptr<IconResource> LoadIconGroup(const wchar_t* group) const;

private:
    enum GroupKind : uint32_t { kNoGroup = 0, kNumberedGroup = 1, kNamedGroup = 2 };
    static BOOL CALLBACK OnGroupName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR self);

    std::wstring m_path;
    std::vector<std::wstring> m_namedGroups;
    std::vector<uint64_t> m_numberedGroups;
    HMODULE m_module = nullptr;
    uint32_t m_firstKind = kNoGroup;
};

}  // namespace Tessar
