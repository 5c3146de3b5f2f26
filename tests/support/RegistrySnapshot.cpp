#include "tests/support/RegistrySnapshot.h"

#include "common/CodePage.h"

#include <cstdio>
#include <vector>

namespace Tessar {

namespace {

std::string DescribeValue(DWORD type, const std::vector<BYTE>& data, DWORD size) {
    std::string text = "type " + std::to_string(type) + ":";
    for (DWORD i = 0; i < size; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof(hex), " %02x", data[i]);
        text += hex;
    }
    return text;
}

void SnapshotKey(HKEY key, const std::wstring& relative, std::map<std::string, std::string>& out) {
    out[WideToUtf8(relative)] = "key";
    std::vector<wchar_t> name(16384);
    std::vector<BYTE> data;
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD type = 0, size = 0;
        LONG error = ::RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, nullptr, &size);
        if (error != ERROR_SUCCESS)
            break;
        data.assign(size + 1, 0);
        nameLength = static_cast<DWORD>(name.size());
        if (::RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
            break;
        out[WideToUtf8(relative + L":" + std::wstring(name.data(), nameLength))] = DescribeValue(type, data, size);
    }
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        if (::RegEnumKeyExW(key, index, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        std::wstring child(name.data(), nameLength);
        HKEY sub = nullptr;
        if (::RegOpenKeyExW(key, child.c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS) {
            out[WideToUtf8(relative + child + L"\\")] = "unreadable";
            continue;
        }
        SnapshotKey(sub, relative + child + L"\\", out);
        ::RegCloseKey(sub);
    }
}

}  // namespace

std::map<std::string, std::string> SnapshotRegistryTree(HKEY root, const std::wstring& path) {
    std::map<std::string, std::string> out;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return out;
    SnapshotKey(key, L"\\", out);
    ::RegCloseKey(key);
    return out;
}

std::vector<unsigned char> Utf16Raw(const std::wstring& text) {
    std::vector<unsigned char> bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<unsigned char>(c & 0xFF));
        bytes.push_back(static_cast<unsigned char>((c >> 8) & 0xFF));
    }
    return bytes;
}

}  // namespace Tessar
