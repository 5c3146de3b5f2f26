#pragma once
// Where an install may write and what its roll-back and uninstall may
// remove: containment of paths in a folder and the deletion of what one
// install created, never more.

#include <string>

namespace Tessar {

// Full path with "." and ".." resolved, backslashes, no trailing
// separator. Empty for a relative path or one the system cannot resolve.
std::wstring NormalInstallPath(const std::wstring& path);
// Both name the same place (case-insensitive, after NormalInstallPath).
bool IsSamePath(const std::wstring& a, const std::wstring& b);
// path lies strictly below folder, and no link or junction between them
// could lead elsewhere.
bool IsPathBelow(const std::wstring& path, const std::wstring& folder);
// path is folder or lies below it.
bool IsPathAtOrBelow(const std::wstring& path, const std::wstring& folder);

// Deletes a file, or a folder with everything below it except subfolders
// that hold an uninstall record of their own (another game installed
// below this one). Links and junctions are removed, never followed.
void DeleteInstallTree(const std::wstring& path);
// Deletes a file, or removes a folder only when it is empty: for what an
// install made in folders it shares with others.
void RemoveSharedEntry(const std::wstring& path);

}  // namespace Tessar
