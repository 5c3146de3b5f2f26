#pragma once
// Numbers in the fields of the data files, checked like the server's
// numbers (common/ServerNumber.h): a malformed or out-of-range text is
// refused, so that it never becomes a wrong value in a record.

#include <cstdint>
#include <cstring>
#include <string>

namespace Tessar {

// Decimal digits, not above maxValue (surrounding blanks allowed).
bool ReadRecordNumber(const std::wstring& text, uint64_t maxValue, uint64_t& value);
// The same on TinyXML's narrow text, without converting it.
bool ReadRecordNumber(const char* text, uint64_t maxValue, uint64_t& value);
// An optional leading "-", then as above within the signed 64-bit range.
bool ReadSignedRecordNumber(const std::wstring& text, int64_t& value);

// Reads into a field of narrower type, range-checked against that type.
template <typename T, typename Text>
bool ReadRecordField(const Text& text, T& field) {
    uint64_t value = 0;
    if (!ReadRecordNumber(text, static_cast<uint64_t>(static_cast<T>(~T(0))), value))
        return false;
    field = static_cast<T>(value);
    return true;
}

}  // namespace Tessar
