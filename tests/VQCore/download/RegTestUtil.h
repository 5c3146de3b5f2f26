#pragma once
// Shared by the .reg import and undo tests: .reg file bytes in either
// encoding, hex lists, and Wine's own regedit as the reference importer.

#include <cstdint>
#include <string>
#include <vector>

namespace Tessar {
namespace RegTest {

// ANSI files are written in code page 936, as on the machines the
// manager is made for.
enum class Encoding { kAnsi936, kUtf16 };

// text must begin with its header line. UTF-16 gets the byte-order mark.
std::string RegFileBytes(const std::wstring& text, Encoding encoding);
// "61,00,00,00" for the bytes of text in the encoding (UTF-16LE, or code
// page 936 for ANSI files), terminator included when given in text.
std::wstring HexOfText(const std::wstring& text, Encoding encoding);
std::wstring HexList(const std::vector<unsigned char>& bytes);

// Every "%ROOT%" replaced.
std::wstring WithRoot(const std::wstring& text, const std::wstring& root);

// Runs "regedit.exe /s <path>" and waits for it; false when it could not
// run or did not end within a minute.
bool RunRegedit(const std::wstring& path);

}  // namespace RegTest
}  // namespace Tessar
