#pragma once
// An INI (profile) file read and written through the system's profile
// functions. Holds no open handle: every call goes to the file again.

#include <cstdint>
#include <string>
#include <vector>

namespace Tessar {

class IniFile {
public:
    explicit IniFile(const std::wstring& path);

    const std::wstring& Path() const { return m_path; }

    // Section names in file order; returns their number (0 without any).
    uint32_t ListSections(std::vector<std::wstring>& names) const;
    // Lines of one section split at their first "=" into parallel lists; a
    // line without "=" is both key and value. Returns the number of keys.
    uint32_t ReadSection(const std::wstring& section, std::vector<std::wstring>& keys,
                         std::vector<std::wstring>& values) const;

    // The value, or the default when the key is missing.
    std::wstring ReadString(const std::wstring& section, const std::wstring& key,
                            const std::wstring& defaultValue = std::wstring()) const;
    bool WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value) const;
    bool DeleteKey(const std::wstring& section, const std::wstring& key) const;
    bool DeleteSection(const std::wstring& section) const;

private:
    std::wstring m_path;
};

}  // namespace Tessar
