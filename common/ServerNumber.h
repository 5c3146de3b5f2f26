#pragma once
// Numbers in server replies and in the program's data files.
//
// Two readings. Protocol fields whose value decides how much is read or
// allocated (an HTTP status, a Content-Length) must be well formed and in
// range, or the reply is refused: ParseServerNumber. Every other number is
// read the way the files have always been read, from its leading digits,
// so that one odd field never costs a record or a whole file:
// LeadingNumber ("00042abc" reads as 42, "abc" as 0) and
// LeadingSignedNumber (the C runtime's _wtoi64 reading). Neither wraps:
// a value past the type's range stops at its end.

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

// Leading blanks skipped, then decimal digits up to the first other
// character; none gives 0. Stops at UINT64_MAX.
uint64_t LeadingNumber(const std::wstring& text);
// The same over narrow text up to its terminating zero (null reads as 0).
uint64_t LeadingNumber(const char* text);

// Leading blanks, an optional "+" or "-", then decimal digits up to the
// first other character; none gives 0. Stops at INT64_MIN and INT64_MAX.
int64_t LeadingSignedNumber(const std::wstring& text);
int64_t LeadingSignedNumber(const char* text);

// The 32-bit form of LeadingSignedNumber (the C runtime's _wtoi): stops at
// INT32_MIN and INT32_MAX.
int32_t LeadingInt32(const std::wstring& text);
int32_t LeadingInt32(const char* text);

}  // namespace Tessar
