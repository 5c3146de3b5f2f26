#include "common/ServerNumber.h"

namespace Tessar {

namespace {

template <typename Char>
bool IsBlank(Char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

template <typename Char>
bool ParseDigits(const Char* begin, const Char* end, uint64_t maxValue, uint64_t& value) {
    value = 0;
    while (begin != end && IsBlank(*begin))
        ++begin;
    while (end != begin && IsBlank(end[-1]))
        --end;
    if (begin == end)
        return false;
    uint64_t result = 0;
    for (; begin != end; ++begin) {
        if (*begin < '0' || *begin > '9')
            return false;
        uint64_t digit = static_cast<uint64_t>(*begin - '0');
        if (digit > maxValue || result > (maxValue - digit) / 10)
            return false;
        result = result * 10 + digit;
    }
    value = result;
    return true;
}

}  // namespace

bool ParseServerNumber(const std::wstring& text, uint64_t maxValue, uint64_t& value) {
    return ParseDigits(text.data(), text.data() + text.size(), maxValue, value);
}

bool ParseServerNumber(const char* text, size_t length, uint64_t maxValue, uint64_t& value) {
    if (text == nullptr) {
        value = 0;
        return false;
    }
    return ParseDigits(text, text + length, maxValue, value);
}

}  // namespace Tessar
