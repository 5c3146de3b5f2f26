#pragma once
// Checks that keep what a package says inside the folder it is extracted
// to: entry names, relative paths and the attributes of created files.

#include <windows.h>

#include <cstdint>
#include <string>

namespace Tessar {

// One plain name: not empty, no separator or colon (no drive, no stream),
// not "." or "..", no character Windows refuses, no device name, and no
// trailing dot or blank (Windows would drop them and find another file).
bool IsSafeEntryName(const std::wstring& name);
// A relative path of safe names joined by separators; no empty part, so no
// leading separator and no UNC start. A trailing separator is allowed.
bool IsSafeRelativePath(const std::wstring& path);

// Attribute bits a package may give a created file or folder. The stored
// value goes into CreateFileW's flags, where bits such as delete-on-close
// or overlapped would change how the file is written.
const DWORD kPackageAttributeMask = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_TEMPORARY |
                                    FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
// The stored attributes masked; FILE_ATTRIBUTE_NORMAL when none remain.
DWORD PackageAttributes(uint32_t stored);

// Ends the writing of an extracted file: on success stamps the stored times
// (after the data, so that writing does not move them) and closes it; a
// file that was not completely written or closed is removed, so that a
// partial file never passes for the real one. Returns the final success.
bool FinishExtractedFile(HANDLE& output, const std::wstring& path, bool written, const FILETIME& creation,
                         const FILETIME& access, const FILETIME& write);

// Reads exactly count bytes (several reads if the system gives less).
bool ReadFileExactly(HANDLE file, void* buffer, uint32_t count);

}  // namespace Tessar
