#include "common/ServerNumber.h"

namespace Tessar {

namespace {

template <typename Char>
bool IsBlank(Char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

template <typename Char>
bool IsDigit(Char c) {
    return c >= '0' && c <= '9';
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
        if (!IsDigit(*begin))
            return false;
        uint64_t digit = static_cast<uint64_t>(*begin - '0');
        if (digit > maxValue || result > (maxValue - digit) / 10)
            return false;
        result = result * 10 + digit;
    }
    value = result;
    return true;
}

// Text ends at end or at a zero character, whichever comes first.
template <typename Char>
const Char* SkipBlanks(const Char* at, const Char* end) {
    while (at != end && *at != 0 && IsBlank(*at))
        ++at;
    return at;
}

// Digits from at, stopping at limit instead of passing it.
template <typename Char>
uint64_t ReadDigits(const Char* at, const Char* end, uint64_t limit) {
    uint64_t result = 0;
    for (; at != end && IsDigit(*at); ++at) {
        uint64_t digit = static_cast<uint64_t>(*at - '0');
        if (result > (limit - digit) / 10)
            return limit;
        result = result * 10 + digit;
    }
    return result;
}

template <typename Char>
uint64_t Leading(const Char* at, const Char* end) {
    return ReadDigits(SkipBlanks(at, end), end, UINT64_MAX);
}

template <typename Char>
int64_t LeadingSigned(const Char* at, const Char* end, int64_t minValue, int64_t maxValue) {
    at = SkipBlanks(at, end);
    bool negative = false;
    if (at != end && (*at == '-' || *at == '+')) {
        negative = *at == '-';
        ++at;
    }
    // The magnitude of the smallest value is one above the largest.
    const uint64_t limit = negative ? 0 - static_cast<uint64_t>(minValue) : static_cast<uint64_t>(maxValue);
    uint64_t magnitude = ReadDigits(at, end, limit);
    return negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
}

template <typename Char>
const Char* NoEnd(const Char*) {
    return nullptr;
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

uint64_t LeadingNumber(const std::wstring& text) {
    return Leading(text.data(), text.data() + text.size());
}

uint64_t LeadingNumber(const char* text) {
    return text != nullptr ? Leading(text, NoEnd(text)) : 0;
}

int64_t LeadingSignedNumber(const std::wstring& text) {
    return LeadingSigned(text.data(), text.data() + text.size(), INT64_MIN, INT64_MAX);
}

int64_t LeadingSignedNumber(const char* text) {
    return text != nullptr ? LeadingSigned(text, NoEnd(text), INT64_MIN, INT64_MAX) : 0;
}

int32_t LeadingInt32(const std::wstring& text) {
    return static_cast<int32_t>(LeadingSigned(text.data(), text.data() + text.size(), INT32_MIN, INT32_MAX));
}

int32_t LeadingInt32(const char* text) {
    return text != nullptr ? static_cast<int32_t>(LeadingSigned(text, NoEnd(text), INT32_MIN, INT32_MAX)) : 0;
}

}  // namespace Tessar
