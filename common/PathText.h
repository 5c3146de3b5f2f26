#pragma once
// Path texts: splitting, joining, validity and existence. Both the backslash
// and the slash are accepted as separators; joined paths use backslashes.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// commdlg.h maps GetFileTitle to GetFileTitleW; ours is the path helper.
#undef GetFileTitle

namespace Tessar {

// Flag bits of NormalizeText, applied in the order listed.
enum : uint32_t {
    kNormalizeLower = 0x1,
    kNormalizeUpper = 0x2,
    kNormalizeUnquote = 0x4,               // one pair of surrounding quotes
    kNormalizeTrailingBackslash = 0x10,    // separators off, one backslash on
    kNormalizeNoTrailingSeparator = 0x20,
    kNormalizeBackslashes = 0x40000000,    // every slash to a backslash
};

extern const wchar_t kPathSeparators[];  // L"\\/"

std::wstring NormalizeText(const std::wstring& text, uint32_t flags);

// Splits at the last backslash; without one the folder is the whole text.
void SplitFolderAndName(const std::wstring& path, std::wstring& folder, std::wstring& separator,
                        std::wstring& name);
// Quotes are removed from both; an absolute name stands alone.
std::wstring CombinePath(const std::wstring& folder, const std::wstring& name);
std::wstring QuoteText(const std::wstring& text);
// "\\server..." or "X:\..." / "X:/..."; "C:" alone is not absolute.
bool IsAbsolutePath(const std::wstring& text);
// The text up to and including the last backslash (the whole text without one).
std::wstring GetLastPathPart(const std::wstring& path);
// GetLastPathPart, trailing separators off, GetLastPathPart again.
std::wstring GetTrimmedLastPathPart(const std::wstring& path);

// Lists control characters, * ? < > | " and a colon other than at index 1,
// separated by blanks; true when there were none.
bool FindInvalidPathChars(const std::wstring& path, std::wstring& found);
// Empty parts between two separators are kept, a trailing one is not.
void SplitPathParts(const std::wstring& path, std::vector<std::wstring>& parts);
// Lists the parts that are reserved device names (CON, PRN, AUX, NUL,
// COM1-COM9, LPT1-LPT9; a whole part, or the part before its first dot, as
// Windows reads it); true when there were none. "Control" is a fine name.
bool FindReservedNames(const std::wstring& path, std::wstring& found);
bool IsValidFolderPath(const std::wstring& path);

// Surrounding quotes are ignored.
bool PathExists(const std::wstring& path);
bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
// An existing folder written as a bare drive ("X:", "X:\").
bool IsDriveRoot(const std::wstring& path);

// From the last dot of the last part on, dot included; empty without one.
std::wstring GetFileExtension(const std::wstring& path);
std::wstring GetFileTitle(const std::wstring& path);
std::wstring GetFileName(const std::wstring& path);
// The path without the extension of its last part, joined with backslashes.
std::wstring RemoveFileExtension(const std::wstring& path);

}  // namespace Tessar
