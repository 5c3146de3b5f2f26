#include "common/Registry.h"

#include <vector>

namespace Tessar {

namespace {

const REGSAM kFullAccess = 0xF003F;  // KEY_ALL_ACCESS

// Longest names the registry allows, in characters.
const DWORD kMaxKeyName = 255;
const DWORD kMaxValueName = 16383;

// Appends the names that enumerate gives for index 0, 1, ... until there
// are no more; the first other error ends the listing and is returned.
template <typename Enumerate>
LONG EnumNames(std::vector<std::wstring>& names, Enumerate enumerate, const std::vector<wchar_t>& buffer) {
    for (DWORD index = 0;; ++index) {
        DWORD length = 0;
        LONG error = enumerate(index, length);
        if (error == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (error != ERROR_SUCCESS)
            return error;
        names.emplace_back(buffer.data(), length);
    }
}

}  // namespace

bool VQRegKeyHolder::Fail(LONG error) {
    m_lastError = static_cast<uint32_t>(error);
    return false;
}

void VQRegKeyHolder::RegCloseKeyHandle() {
    if (m_key != nullptr) {
        ::RegCloseKey(m_key);
        m_key = nullptr;
    }
}

bool VQRegKeyHolder::RegCreateKeyPath(HKEY root, const std::wstring& path) {
    RegCloseKeyHandle();
    LONG error = ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kFullAccess, nullptr,
                                   &m_key, nullptr);
    if (error != ERROR_SUCCESS) {
        m_key = nullptr;
        return Fail(error);
    }
    return true;
}

bool VQRegKeyHolder::RegOpenKeyPath(HKEY root, const std::wstring& path, REGSAM access) {
    RegCloseKeyHandle();
    LONG error = ::RegOpenKeyExW(root, path.c_str(), 0, access, &m_key);
    if (error != ERROR_SUCCESS) {
        m_key = nullptr;
        return Fail(error);
    }
    return true;
}

bool VQRegKeyHolder::RegSetValueFlush(const std::wstring& name, const VQRegValue& value) {
    if (m_key == nullptr)
        return Fail(ERROR_INVALID_HANDLE);
    VQBuffer<unsigned char> raw;
    if (!value.ToRaw(raw))
        return Fail(ERROR_UNSUPPORTED_TYPE);
    LONG error = ::RegSetValueExW(m_key, name.c_str(), 0, value.type, raw.data, raw.size);
    if (error != ERROR_SUCCESS)
        return Fail(error);
    m_lastError = 0;
    error = ::RegFlushKey(m_key);
    if (error != ERROR_SUCCESS)
        m_lastError = static_cast<uint32_t>(error);
    return true;
}

bool VQRegKeyHolder::RegDeleteValueName(const std::wstring& name) {
    if (m_key == nullptr)
        return Fail(ERROR_INVALID_HANDLE);
    LONG error = ::RegDeleteValueW(m_key, name.c_str());
    if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND)
        return Fail(error);
    return true;
}

bool VQRegKeyHolder::RegQueryString(const std::wstring& name, std::wstring& out) {
    out.clear();
    if (m_key == nullptr)
        return Fail(ERROR_INVALID_HANDLE);
    // One character more than announced, so the text always ends in a NUL.
    std::vector<wchar_t> buffer(kRegQueryStringChars + 2, L'\0');
    DWORD size = static_cast<DWORD>((kRegQueryStringChars + 1) * sizeof(wchar_t));
    LONG error = ::RegQueryValueExW(m_key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                                    &size);
    if (error != ERROR_SUCCESS)
        return Fail(error);
    out = buffer.data();
    return true;
}

bool VQRegKeyHolder::RegQueryDword(const std::wstring& name, uint32_t& out) {
    out = 0;
    if (m_key == nullptr)
        return Fail(ERROR_INVALID_HANDLE);
    DWORD value = 0;
    DWORD size = sizeof(value);
    LONG error = ::RegQueryValueExW(m_key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    if (error != ERROR_SUCCESS)
        return Fail(error);
    out = value;
    return true;
}

bool VQRegKeyHolder::RegQueryValueRaw(const std::wstring& name, VQRegValue& out) {
    if (m_key == nullptr)
        return Fail(ERROR_INVALID_HANDLE);
    DWORD type = 0;
    DWORD size = 0;
    LONG error = ::RegQueryValueExW(m_key, name.c_str(), nullptr, &type, nullptr, &size);
    VQBuffer<unsigned char> data;
    // The value may grow between asking for its size and reading it.
    for (int attempt = 0; error == ERROR_SUCCESS || error == ERROR_MORE_DATA; ++attempt) {
        if (attempt == 8)
            break;
        data.Resize(size);
        error = ::RegQueryValueExW(m_key, name.c_str(), nullptr, &type, data.data, &size);
        if (error == ERROR_SUCCESS) {
            VQRegValue fresh(type, out.name);
            // A non-null pointer even for no data, so that the type decides.
            static unsigned char none = 0;
            if (!fresh.AssignRaw(size > 0 ? data.data : &none, size))
                return Fail(ERROR_INVALID_DATA);
            out = std::move(fresh);
            return true;
        }
    }
    return Fail(error);
}

bool VQRegKeyHolder::RegEnumKeyTree(std::vector<std::wstring>& subkeys, std::vector<std::wstring>& values) {
    subkeys.clear();
    values.clear();
    if (m_key == nullptr)
        return Fail(ERROR_INVALID_HANDLE);
    DWORD keyCount = 0, keyLength = 0, valueCount = 0, valueLength = 0;
    LONG error = ::RegQueryInfoKeyW(m_key, nullptr, nullptr, nullptr, &keyCount, &keyLength, nullptr, &valueCount,
                                    &valueLength, nullptr, nullptr, nullptr);
    if (error == ERROR_ACCESS_DENIED)
        return true;
    if (error != ERROR_SUCCESS)
        return Fail(error);
    subkeys.reserve(keyCount);
    values.reserve(valueCount);

    std::vector<wchar_t> name(kMaxValueName + 1);
    error = EnumNames(subkeys, [&](DWORD index, DWORD& length) {
        length = kMaxKeyName + 1;
        return ::RegEnumKeyExW(m_key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    }, name);
    if (error == ERROR_SUCCESS)
        error = EnumNames(values, [&](DWORD index, DWORD& length) {
            length = kMaxValueName + 1;
            return ::RegEnumValueW(m_key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        }, name);
    if (error == ERROR_ACCESS_DENIED) {
        subkeys.clear();
        values.clear();
        return true;
    }
    if (error != ERROR_SUCCESS)
        return Fail(error);
    return true;
}

}  // namespace Tessar
