#pragma once
// Reading a source folder for the package writers: entries in a fixed
// order, so that the same folder always makes the same package.

#include "common/FileFinder.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Tessar {

// The folder's entries without "." and "..", sorted by name.
bool ListFolderSorted(const std::wstring& folder, std::vector<FindFileEntry>& entries);
FILETIME ToFileTime(uint64_t value);

}  // namespace Tessar
