#pragma once
// One open registry key with the system error code of its last failing
// call. Nothing throws; every operation answers with bool. The registry
// view is the process default.

#include "common/RegValue.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Tessar {

class VQRegKeyHolder {
public:
    VQRegKeyHolder() = default;
    ~VQRegKeyHolder() { RegCloseKeyHandle(); }
    VQRegKeyHolder(const VQRegKeyHolder&) = delete;
    VQRegKeyHolder& operator=(const VQRegKeyHolder&) = delete;

    HKEY Key() const { return m_key; }
    uint32_t LastError() const { return m_lastError; }

    void RegCloseKeyHandle();
    // Creates or opens the key with full access (a held key is closed first).
    bool RegCreateKeyPath(HKEY root, const std::wstring& path);
    // Opens an existing key with the given access (a held key is closed first).
    bool RegOpenKeyPath(HKEY root, const std::wstring& path, REGSAM access);

    // Writes the value's raw form with its type, then flushes the key; a
    // failing flush only stores its error. A successful set clears the error.
    bool RegSetValueFlush(const std::wstring& name, const VQRegValue& value);
    // A missing value counts as deleted.
    bool RegDeleteValueName(const std::wstring& name);

    // The value's text up to its first NUL, whatever its type; at most
    // kRegQueryStringChars characters (a longer value fails).
    bool RegQueryString(const std::wstring& name, std::wstring& out);
    bool RegQueryDword(const std::wstring& name, uint32_t& out);
    // Fills out (name kept, type and content replaced) from the value.
    bool RegQueryValueRaw(const std::wstring& name, VQRegValue& out);
    // All sub-key names and value names, in index order. Access denied
    // counts as success with nothing listed.
    bool RegEnumKeyTree(std::vector<std::wstring>& subkeys, std::vector<std::wstring>& values);

    static const uint32_t kRegQueryStringChars = 511;

private:
    bool Fail(LONG error);

    HKEY m_key = nullptr;
    uint32_t m_lastError = 0;
};

}  // namespace Tessar
