#include "common/IniFile.h"

#include <windows.h>

#include <functional>

namespace Tessar {

namespace {

const DWORD kSectionNamesChars = 2048;
const DWORD kSectionChars = 6000;
const DWORD kValueChars = 260;
// Far beyond any INI file the programs keep; stops the growing there.
const DWORD kMaxChars = 16 * 1024 * 1024;

// Runs a profile call that fills a buffer, growing the buffer while the
// system says it cut the data (it then returns the size less `cutMark`),
// so that no section or line is lost to a fixed size.
std::wstring ReadProfileData(DWORD initialChars, DWORD cutMark, const std::function<DWORD(wchar_t*, DWORD)>& read) {
    for (DWORD chars = initialChars;; chars *= 2) {
        std::wstring buffer(chars, L'\0');
        DWORD length = read(&buffer[0], chars);
        if (length + cutMark < chars || chars >= kMaxChars) {
            buffer.resize(length < chars ? length : chars);
            return buffer;
        }
    }
}

// Texts separated by NULs; the list ends at an empty text (a double NUL).
std::vector<std::wstring> SplitNulSeparated(const std::wstring& data) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start < data.size() && data[start] != L'\0') {
        size_t end = data.find(L'\0', start);
        if (end == std::wstring::npos)
            end = data.size();
        parts.push_back(data.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

}  // namespace

IniFile::IniFile(const std::wstring& path) : m_path(path) {}

uint32_t IniFile::ListSections(std::vector<std::wstring>& names) const {
    names = SplitNulSeparated(ReadProfileData(kSectionNamesChars, 2, [this](wchar_t* buffer, DWORD chars) {
        return ::GetPrivateProfileSectionNamesW(buffer, chars, m_path.c_str());
    }));
    return static_cast<uint32_t>(names.size());
}

uint32_t IniFile::ReadSection(const std::wstring& section, std::vector<std::wstring>& keys,
                              std::vector<std::wstring>& values) const {
    keys.clear();
    values.clear();
    std::vector<std::wstring> lines =
        SplitNulSeparated(ReadProfileData(kSectionChars, 2, [&](wchar_t* buffer, DWORD chars) {
            return ::GetPrivateProfileSectionW(section.c_str(), buffer, chars, m_path.c_str());
        }));
    for (const std::wstring& line : lines) {
        size_t equals = line.find(L'=');
        if (equals == std::wstring::npos) {
            keys.push_back(line);
            values.push_back(line);
        } else {
            keys.push_back(line.substr(0, equals));
            values.push_back(line.substr(equals + 1));
        }
    }
    return static_cast<uint32_t>(keys.size());
}

std::wstring IniFile::ReadString(const std::wstring& section, const std::wstring& key,
                                 const std::wstring& defaultValue) const {
    return ReadProfileData(kValueChars, 1, [&](wchar_t* buffer, DWORD chars) {
        return ::GetPrivateProfileStringW(section.c_str(), key.c_str(), defaultValue.c_str(), buffer, chars,
                                          m_path.c_str());
    });
}

bool IniFile::WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value) const {
    return ::WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), m_path.c_str()) != FALSE;
}

bool IniFile::DeleteKey(const std::wstring& section, const std::wstring& key) const {
    return ::WritePrivateProfileStringW(section.c_str(), key.c_str(), nullptr, m_path.c_str()) != FALSE;
}

bool IniFile::DeleteSection(const std::wstring& section) const {
    return ::WritePrivateProfileStringW(section.c_str(), nullptr, nullptr, m_path.c_str()) != FALSE;
}

}  // namespace Tessar
