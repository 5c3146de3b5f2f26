#include "VQCore/gamelib/RecordNumber.h"

#include "common/ServerNumber.h"
#include "common/TextUtil.h"

namespace Tessar {

bool ReadRecordNumber(const std::wstring& text, uint64_t maxValue, uint64_t& value) {
    return ParseServerNumber(text, maxValue, value);
}

bool ReadRecordNumber(const char* text, uint64_t maxValue, uint64_t& value) {
    return ParseServerNumber(text, text != nullptr ? std::strlen(text) : 0, maxValue, value);
}

bool ReadSignedRecordNumber(const std::wstring& text, int64_t& value) {
    value = 0;
    std::wstring digits = text;
    TrimLeftChars(digits, kWhiteSpace);
    bool negative = !digits.empty() && digits[0] == L'-';
    if (negative)
        digits.erase(0, 1);
    // The magnitude of INT64_MIN is one above INT64_MAX.
    const uint64_t limit = static_cast<uint64_t>(INT64_MAX) + (negative ? 1u : 0u);
    uint64_t magnitude = 0;
    // A blank after the sign is not a number.
    if (digits.empty() || std::wstring(kWhiteSpace).find(digits[0]) != std::wstring::npos ||
        !ParseServerNumber(digits, limit, magnitude))
        return false;
    value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    return true;
}

}  // namespace Tessar
