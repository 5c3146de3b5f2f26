#pragma once
// File and folder operations on wide paths. Failures are reported by the
// result and leave the system error code as the system set it.

#include <windows.h>

#include <cstdint>
#include <string>

namespace Tessar {

// Works on folders too. Null times are left unchanged.
bool SetFileTimeByPath(const std::wstring& path, const FILETIME* creation, const FILETIME* access,
                       const FILETIME* write);
// Fails when the target exists.
bool RenameFile(const std::wstring& from, const std::wstring& to);
// Moves over an existing (also read-only) target. When the system refuses,
// the target is set aside under a free name and put back if the source
// cannot take its place.
bool MoveFileReplace(const std::wstring& source, const std::wstring& target);
bool CreateFolder(const std::wstring& path);
// Clears the read-only attribute, then deletes.
bool ForceDeleteFile(const std::wstring& path);
// True only when clearing the attribute and deleting both succeed.
bool DeleteFileClearReadOnly(const std::wstring& path);
void DeleteFolderIfExists(const std::wstring& path);
// Deletes the folder with everything below it and returns the number of
// files deleted. Links and junctions inside are removed as entries, never
// followed; a path that is a file is deleted alone. A current folder inside
// the tree moves to the parent first.
uint64_t DeleteFolderTree(const std::wstring& path);
bool CopyFileNoReplace(const std::wstring& source, const std::wstring& target);
// Creates every missing folder of the path; true when it exists at the end.
bool CreateFolderChain(const std::wstring& path);

// Full path (at most 519 characters) and the index of its name part.
bool GetFullPath(const std::wstring& path, std::wstring& full, size_t& namePos);
// Name part, or folder part with its trailing backslash; empty on failure.
std::wstring GetFullPathFileName(const std::wstring& path);
std::wstring GetFullPathFolder(const std::wstring& path);
std::wstring GetCurrentFolder();
// The path itself when nothing exists there, else the first free
// "title(N).ext" in the same folder; false after N passes 0x100000.
bool MakeUniqueName(const std::wstring& path, std::wstring& unique);
bool TruncateFile(const std::wstring& path, uint64_t length);
// Writes what the system still caches of the file to the disk, so that a
// power loss after this call cannot take it back.
bool FlushFileToDisk(const std::wstring& path);

}  // namespace Tessar
