#pragma once
// The system's temporary and Windows folders and owned temporary files.

#include <string>

namespace Tessar {

// Long form of the temporary folder (the system's form when the long one
// cannot be had), with its trailing backslash.
bool GetTempFolder(std::wstring& folder);
bool GetWindowsFolder(std::wstring& folder);
// A new, unique, empty file made by the system in the folder.
bool MakeTempFileName(const std::wstring& folder, const std::wstring& prefix, std::wstring& path);

// An owned temporary file; the holder deletes it when released or destroyed.
struct TempFileHolder {
    TempFileHolder() = default;
    ~TempFileHolder();
    TempFileHolder(const TempFileHolder&) = delete;
    TempFileHolder& operator=(const TempFileHolder&) = delete;

    bool owned = false;
    std::wstring path;
};

// Releases a file owned before, then creates one named "VQ~...", in the
// temporary folder or else the Windows folder.
bool CreateTempFile(TempFileHolder& holder, std::wstring& path);
// Deletes the owned file (read-only or not); the holder stays owner only
// when the deletion failed.
void ReleaseTempFile(TempFileHolder& holder);

}  // namespace Tessar
