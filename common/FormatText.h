#pragma once
// printf-style formatting with the Microsoft runtime's meaning of the
// conversions: in wide formats "%s" is a wide text, "%hs" a narrow one.

#include <cstdarg>
#include <string>

namespace Tessar {

// Empty for a null or invalid format, or an output beyond kMaxFormatChars.
std::wstring FormatString(const wchar_t* format, ...);
std::wstring FormatStringV(const wchar_t* format, va_list args);
const size_t kMaxFormatChars = 16 * 1024 * 1024;

// Bounded formatting into a caller's buffer, always terminated; returns
// the characters written, or -1 when the output was cut or invalid.
int FormatNarrow256(char (&buffer)[256], const char* format, ...) __attribute__((format(ms_printf, 2, 3)));
int FormatWide80(wchar_t (&buffer)[80], const wchar_t* format, ...);

}  // namespace Tessar
