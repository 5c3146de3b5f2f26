#pragma once
// The disk row of the runtime environment window: the drives of the
// download and install folders, their free space, and the text shown
// ("C:盘剩余空间12.00GB", two drives side by side, or why nothing can be
// shown).

#include <cstdint>
#include <functional>
#include <string>

namespace Tessar {

// Free bytes of the drive with this letter; false when they cannot be read.
using VQDriveFreeQuery = std::function<bool(wchar_t letter, uint64_t& freeBytes)>;
// GetDriveDetails on "X:\".
bool QueryDriveFree(wchar_t letter, uint64_t& freeBytes);

struct VQDiskSpace {
    bool foldersKnown = false;  // both settings name a folder
    wchar_t downloadLetter = 0;
    wchar_t installLetter = 0;
    uint64_t downloadFree = 0;
    uint64_t installFree = 0;
    std::wstring text;
};

VQDiskSpace ReadDiskSpace(const std::wstring& cacheDir, const std::wstring& installDir,
                          const VQDriveFreeQuery& freeOf = QueryDriveFree);

}  // namespace Tessar
