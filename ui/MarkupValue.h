#pragma once
// Readers of markup attribute values: booleans, decimal numbers,
// colours and rectangles.

#include <windows.h>

#include <cstdint>
#include <string>

namespace Tessar {

// Only the exact text "true" is true.
bool ParseMarkupBool(const std::wstring& value);
// Decimal with optional sign and leading spaces; 0 without digits.
int ParseMarkupInt(const std::wstring& value);
// Hexadecimal ARGB; characters up to 0x20 and one "#" are skipped first.
uint32_t ParseMarkupColor(const std::wstring& value);
// Up to `count` decimal numbers, each read after skipping exactly one
// separator character after the previous one. Numbers missing at the end
// of the text stay 0. Returns how many were read.
int ParseMarkupNumbers(const std::wstring& value, int* numbers, int count);
RECT ParseMarkupRect(const std::wstring& value);
SIZE ParseMarkupSize(const std::wstring& value);

}  // namespace Tessar
