#pragma once
// Numbers in the fields of the data files, checked like the server's
// numbers (common/ServerNumber.h): a malformed or out-of-range text is
// refused, so that it never becomes a wrong value in a record.

#include <cstdint>
#include <string>

namespace Tessar {

// Decimal digits, not above maxValue (surrounding blanks allowed).
bool ReadRecordNumber(const std::wstring& text, uint64_t maxValue, uint64_t& value);
// The same with an optional leading "-", within the signed 64-bit range.
bool ReadSignedRecordNumber(const std::wstring& text, int64_t& value);

// Reads into a field of narrower type, range-checked against that type.
template <typename T>
bool ReadRecordField(const std::wstring& text, T& field) {
    uint64_t value = 0;
    if (!ReadRecordNumber(text, static_cast<uint64_t>(static_cast<T>(~T(0))), value))
        return false;
    field = static_cast<T>(value);
    return true;
}

}  // namespace Tessar
