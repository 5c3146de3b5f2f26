#pragma once
// The engine's text border: the program speaks the ANSI code page, the
// torrent library UTF-8 (it opens files through the wide API itself).

#include <string>

namespace Tessar {

std::string AnsiToUtf8(const std::string& ansi);
// Characters the code page cannot show become "?".
std::string Utf8ToAnsi(const std::string& utf8);
std::wstring Utf8ToWide(const std::string& utf8);
std::wstring AnsiToWide(const std::string& ansi);

// Folder part of a UTF-8 path (without the separator); empty when there is
// none. Never on ANSI text: a GBK trail byte may equal the backslash.
std::string ParentFolder(const std::string& path);

}  // namespace Tessar
