#pragma once
// The name and data texts of a .reg value line, decoded into a value.

#include "common/RegValue.h"

#include <string>

namespace Tessar {

// "@" is the default value (empty name); a quoted name loses its quotes;
// "\\" and "\"" stand for a backslash and a quote.
std::wstring DecodeRegValueName(const wchar_t* begin, const wchar_t* end);

// Fills value from the data text after the "=":
//   -            delete mark
//   "text"       REG_SZ, stored with its terminating NUL as regedit does
//   dword:hhhh   REG_DWORD (1-8 hex digits, "0x" allowed)
//   hex:...      REG_BINARY
//   hex(N):...   type N (hexadecimal); the bytes must fit the type: 4 for
//                types 4 and 5, 8 for 11, an even count for 1, 2 and 7.
//                In an ANSI file the bytes of types 1, 2 and 7 are text of
//                the ANSI code page, as regedit reads them.
// A hex list is comma-separated 1-2 digit bytes; backslash line breaks,
// blanks and a trailing comma are ignored. A ";" comment may follow the
// data. False for a form that is none of these (the line is skipped);
// throws VQRegParseError(kRegParsingFailed) for broken data: an unclosed
// string, a bad digit or byte, a byte count the type cannot hold, a type
// of 255 or above.
bool ParseRegValueData(const wchar_t* begin, const wchar_t* end, bool ansiFile, VQRegValue& value);

}  // namespace Tessar
