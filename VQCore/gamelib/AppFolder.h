#pragma once
// The program folder: the folder of the running executable. Every path of
// the manager's own files starts from it.

#include <string>

namespace Tessar {

// Ends in a backslash; empty when the executable's path cannot be read.
std::wstring GetAppFolder();

// Tests only: GetAppFolder gives this folder (with one trailing backslash)
// instead of the executable's; an empty text restores that.
void SetAppFolderOverride(const std::wstring& folder);

}  // namespace Tessar
