#pragma once
// Numbers to and from decimal and hexadecimal text.

#include <cstdint>
#include <string>

namespace Tessar {

// Decimal digits from the start; stops at the first non-digit, 0 without any.
uint64_t StringToUInt64(const std::wstring& text);
std::wstring UInt64ToString(uint64_t value);
std::wstring UIntToString(uint32_t value);
std::wstring Int64ToString(int64_t value);
std::wstring IntToString(int32_t value);
// Optional "0x"/"0X", then at most 8 hex digits; stops at a non-hex character.
uint32_t HexToUInt(const std::wstring& text);

}  // namespace Tessar
