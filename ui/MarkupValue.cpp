#include "ui/MarkupValue.h"

#include <cwchar>

#include "common/NumberText.h"

namespace Tessar {

bool ParseMarkupBool(const std::wstring& value) {
    return value == L"true";
}

int ParseMarkupInt(const std::wstring& value) {
    return static_cast<int>(wcstol(value.c_str(), nullptr, 10));
}

uint32_t ParseMarkupColor(const std::wstring& value) {
    size_t i = 0;
    while (i < value.size() && value[i] <= 0x20) ++i;
    if (i < value.size() && value[i] == L'#') ++i;
    return HexToUInt(value.substr(i));
}

int ParseMarkupNumbers(const std::wstring& value, int* numbers, int count) {
    const wchar_t* p = value.c_str();
    const wchar_t* end = p + value.size();
    int read = 0;
    for (int i = 0; i < count; ++i) numbers[i] = 0;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            // Skip exactly one separator, but never past the terminator.
            if (p >= end) break;
            ++p;
        }
        wchar_t* next = nullptr;
        numbers[i] = static_cast<int>(wcstol(p, &next, 10));
        if (next == p) break;
        p = next;
        ++read;
    }
    return read;
}

RECT ParseMarkupRect(const std::wstring& value) {
    int n[4];
    ParseMarkupNumbers(value, n, 4);
    RECT rc = {n[0], n[1], n[2], n[3]};
    return rc;
}

SIZE ParseMarkupSize(const std::wstring& value) {
    int n[2];
    ParseMarkupNumbers(value, n, 2);
    SIZE size = {n[0], n[1]};
    return size;
}

}  // namespace Tessar
