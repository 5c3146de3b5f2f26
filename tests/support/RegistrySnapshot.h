#pragma once
// Everything a registry key tree holds, as comparable text: tests take one
// before and after an operation, or of two trees that should be alike.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace Tessar {

// Keyed (UTF-8) by the path relative to root\path: "\Sub\Child\" for a key
// (value "key"), "\Sub\Child\:name" for a value (value "type N: hex bytes",
// e.g. "type 1: 61 00 00 00"); the tree's own key is "\". Empty when the
// key cannot be opened.
std::map<std::string, std::string> SnapshotRegistryTree(HKEY root, const std::wstring& path);

// The raw registry bytes of a text: UTF-16LE, no terminator added (put a
// L'\0' in the text for one).
std::vector<unsigned char> Utf16Raw(const std::wstring& text);

}  // namespace Tessar
