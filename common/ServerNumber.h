#pragma once
// Numbers in server replies (headers, download information, update data).
// A server's number is either well formed and in range or the reply is
// refused: a malformed number never becomes a wrong value in a record.

#include <cstddef>
#include <cstdint>
#include <string>

namespace Tessar {

// Decimal digits only (surrounding blanks, tabs and line ends allowed), at
// least one, value not above maxValue. False otherwise; value is then 0.
bool ParseServerNumber(const std::wstring& text, uint64_t maxValue, uint64_t& value);
// The same over narrow text of that length (TinyXML's, in the system code
// page), read where it stands: data files hold numbers by the hundred
// thousand.
bool ParseServerNumber(const char* text, size_t length, uint64_t maxValue, uint64_t& value);

}  // namespace Tessar
