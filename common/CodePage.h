#pragma once
// The one place where text crosses between wide strings and narrow bytes:
// the system ANSI code page (TinyXML, narrow HTTP, the peer-to-peer
// library), any given code page (GBK skin markup), and UTF-8.

#include <windows.h>

#include <cstdint>
#include <string>

namespace Tessar {

// ANSI code page. A null text gives an empty one.
std::wstring NarrowToWide(const char* text);
std::wstring NarrowStringToWide(const std::string& text);
std::wstring NarrowToWideEx(const char* text, size_t length);
// Characters the code page cannot represent become "_".
std::string WideToNarrow(const std::wstring& text);
std::string WideToNarrowEx(const std::wstring& text, char defaultChar);
std::wstring CopyWideString(const wchar_t* text);

// Any code page; the default character is ignored for UTF-7 and UTF-8.
std::wstring CodePageToWide(UINT codePage, const char* text, size_t length);
std::string WideToCodePage(UINT codePage, const std::wstring& text, char defaultChar = '_');

// UTF-8. A surrogate pair becomes one 4-byte sequence; a lone surrogate is
// encoded as it stands (3 bytes). False for a null input.
bool WideToUtf8(const wchar_t* text, size_t length, std::string& out);
std::string WideToUtf8(const std::wstring& text);
// Code points above U+FFFF become surrogate pairs. An incomplete sequence
// at the end is dropped (true); a malformed byte stops with false, keeping
// what was decoded. False for a null input; true for length 0.
bool Utf8ToWide(const char* bytes, size_t length, std::wstring& out);
std::wstring Utf8ToWide(const std::string& bytes);

// Writes 1-4 bytes (out must hold 4) and returns their count; -1 from
// 0x110000 on (nothing written).
int Utf8Encode(uint32_t codePoint, char* out);
// Marks returned by Utf8Decode; they lie outside the code-point range so
// that U+FFFE and U+FFFF decode as themselves.
const uint32_t kUtf8Incomplete = 0xFFFFFFFFu;  // too few bytes; nothing consumed
const uint32_t kUtf8Invalid = 0xFFFFFFFEu;     // bad byte; one byte consumed
// Decodes one code point at pos, advancing pos and reducing remaining.
uint32_t Utf8Decode(const unsigned char*& pos, size_t& remaining);

}  // namespace Tessar
