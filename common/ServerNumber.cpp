#include "common/ServerNumber.h"

#include "common/TextUtil.h"

namespace Tessar {

bool ParseServerNumber(const std::wstring& text, uint64_t maxValue, uint64_t& value) {
    value = 0;
    std::wstring digits = text;
    TrimLeftChars(digits, kWhiteSpace);
    TrimRightChars(digits, kWhiteSpace);
    if (digits.empty())
        return false;
    uint64_t result = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9')
            return false;
        uint64_t digit = static_cast<uint64_t>(c - L'0');
        if (digit > maxValue || result > (maxValue - digit) / 10)
            return false;
        result = result * 10 + digit;
    }
    value = result;
    return true;
}

}  // namespace Tessar
