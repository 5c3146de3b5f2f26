#include "common/NumberText.h"

namespace Tessar {

uint64_t StringToUInt64(const std::wstring& text) {
    uint64_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            break;
        value = value * 10 + static_cast<uint64_t>(c - L'0');
    }
    return value;
}

std::wstring UInt64ToString(uint64_t value) {
    wchar_t digits[24];
    size_t pos = sizeof(digits) / sizeof(digits[0]);
    do {
        digits[--pos] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    return std::wstring(digits + pos, digits + sizeof(digits) / sizeof(digits[0]));
}

std::wstring UIntToString(uint32_t value) {
    return UInt64ToString(value);
}

std::wstring Int64ToString(int64_t value) {
    if (value >= 0)
        return UInt64ToString(static_cast<uint64_t>(value));
    // Negated in unsigned arithmetic so that the smallest value works too.
    return L'-' + UInt64ToString(0 - static_cast<uint64_t>(value));
}

std::wstring IntToString(int32_t value) {
    return Int64ToString(value);
}

uint32_t HexToUInt(const std::wstring& text) {
    size_t pos = 0;
    if (text.size() >= 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X'))
        pos = 2;
    uint32_t value = 0;
    for (size_t digits = 0; pos < text.size() && digits < 8; ++pos, ++digits) {
        wchar_t c = text[pos];
        uint32_t digit;
        if (c >= L'0' && c <= L'9')
            digit = static_cast<uint32_t>(c - L'0');
        else if (c >= L'a' && c <= L'f')
            digit = static_cast<uint32_t>(c - L'a' + 10);
        else if (c >= L'A' && c <= L'F')
            digit = static_cast<uint32_t>(c - L'A' + 10);
        else
            break;
        value = value * 16 + digit;
    }
    return value;
}

}  // namespace Tessar
