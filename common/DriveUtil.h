#pragma once
// Logical drives, their details and the choice of the fixed drive with the
// most free space.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Tessar {

struct VQDriveInfo {
    std::wstring displayName;  // from the shell
    std::wstring typeName;     // from the shell
    std::wstring fileSystem;   // from the volume information
    uint32_t clusterSize = 0;  // bytes
    uint64_t totalBytes = 0;
    uint64_t freeBytes = 0;
    bool volumeRead = false;   // sizes are 0 when the volume could not be read
};

// Root texts ("C:\") of all logical drives.
bool ListLogicalDrives(std::vector<std::wstring>& roots);
// False when the shell cannot describe the root.
bool GetDriveDetails(const std::wstring& root, VQDriveInfo& info);
// Letter ("D") of the fixed drive with the most free bytes; of equals the
// first in drive order. False when there is none.
bool FindLargestFreeFixedDrive(std::wstring& letter);
// The same, skipping the roots in the list (compared without case).
bool FindLargestFreeFixedDriveExcept(std::wstring& letter, const std::vector<std::wstring>& skippedRoots);
// Among the fixed drives whose roots are not excluded, the letter of the
// one with the most free space; false only when the drives cannot be
// listed (the letter is then empty too, as it is when no drive qualifies).
bool ListFixedDrives(const std::vector<std::wstring>& excludedRoots, std::wstring& letter);
// The drive part of the path (before its first backslash) is a fixed drive.
bool IsOnFixedDrive(const std::wstring& path);

// What the drive choice reads of the system; tests give their own records.
struct VQDriveSource {
    std::function<bool(std::vector<std::wstring>&)> listDrives;
    std::function<UINT(const std::wstring&)> driveType;
    std::function<bool(const std::wstring&, VQDriveInfo&)> details;
};
VQDriveSource SystemDriveSource();
bool FindLargestFreeFixedDriveExcept(std::wstring& letter, const std::vector<std::wstring>& skippedRoots,
                                     const VQDriveSource& source);
bool ListFixedDrives(const std::vector<std::wstring>& excludedRoots, std::wstring& letter,
                     const VQDriveSource& source);

}  // namespace Tessar
