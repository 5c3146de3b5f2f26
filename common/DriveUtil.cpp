#include "common/DriveUtil.h"

#include "common/TextUtil.h"

#include <shellapi.h>

namespace Tessar {

bool ListLogicalDrives(std::vector<std::wstring>& roots) {
    roots.clear();
    std::vector<wchar_t> buffer(1024, L'\0');
    DWORD length = ::GetLogicalDriveStringsW(1022, buffer.data());
    if (length == 0)
        return false;
    if (length > 1022) {
        buffer.assign(length + 1, L'\0');
        DWORD again = ::GetLogicalDriveStringsW(length, buffer.data());
        if (again == 0 || again > length)
            return false;
    }
    for (const wchar_t* root = buffer.data(); *root != L'\0'; root += wcslen(root) + 1)
        roots.push_back(root);
    return true;
}

bool GetDriveDetails(const std::wstring& root, VQDriveInfo& info) {
    info = VQDriveInfo();
    SHFILEINFOW shell = {};
    if (!::SHGetFileInfoW(root.c_str(), 0, &shell, sizeof(shell), SHGFI_DISPLAYNAME | SHGFI_TYPENAME))
        return false;
    info.displayName = shell.szDisplayName;
    info.typeName = shell.szTypeName;
    wchar_t fileSystem[MAX_PATH + 1];
    if (!::GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, fileSystem, MAX_PATH + 1))
        return true;
    info.fileSystem = fileSystem;
    info.volumeRead = true;
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (::GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
        info.clusterSize = sectorsPerCluster * bytesPerSector;
        info.totalBytes = static_cast<uint64_t>(totalClusters) * info.clusterSize;
        info.freeBytes = static_cast<uint64_t>(freeClusters) * info.clusterSize;
    }
    return true;
}

VQDriveSource SystemDriveSource() {
    VQDriveSource source;
    source.listDrives = ListLogicalDrives;
    source.driveType = [](const std::wstring& root) { return ::GetDriveTypeW(root.c_str()); };
    source.details = GetDriveDetails;
    return source;
}

bool FindLargestFreeFixedDriveExcept(std::wstring& letter, const std::vector<std::wstring>& skippedRoots,
                                     const VQDriveSource& source) {
    letter.clear();
    std::vector<std::wstring> roots;
    if (!source.listDrives(roots))
        return false;
    bool found = false;
    uint64_t mostFree = 0;
    for (const std::wstring& root : roots) {
        bool skipped = false;
        for (const std::wstring& skip : skippedRoots)
            skipped = skipped || (skip.size() == root.size() && CompareNoCase(skip, root, root.size()) == 0);
        if (skipped || root.empty() || source.driveType(root) != DRIVE_FIXED)
            continue;
        VQDriveInfo info;
        if (!source.details(root, info))
            continue;
        if (!found || info.freeBytes > mostFree) {
            found = true;
            mostFree = info.freeBytes;
            letter = root.substr(0, 1);
        }
    }
    return found;
}

bool FindLargestFreeFixedDriveExcept(std::wstring& letter, const std::vector<std::wstring>& skippedRoots) {
    return FindLargestFreeFixedDriveExcept(letter, skippedRoots, SystemDriveSource());
}

bool FindLargestFreeFixedDrive(std::wstring& letter) {
    return FindLargestFreeFixedDriveExcept(letter, std::vector<std::wstring>());
}

bool ListFixedDrives(const std::vector<std::wstring>& excludedRoots, std::wstring& letter,
                     const VQDriveSource& source) {
    letter.clear();
    std::vector<std::wstring> roots;
    if (!source.listDrives(roots))
        return false;
    // The listing worked: whether a drive qualified shows in the letter.
    FindLargestFreeFixedDriveExcept(letter, excludedRoots, source);
    return true;
}

bool ListFixedDrives(const std::vector<std::wstring>& excludedRoots, std::wstring& letter) {
    return ListFixedDrives(excludedRoots, letter, SystemDriveSource());
}

bool IsOnFixedDrive(const std::wstring& path) {
    std::wstring drive = path.substr(0, path.find(L'\\'));
    if (drive.empty())
        return false;
    return ::GetDriveTypeW((drive + L'\\').c_str()) == DRIVE_FIXED;
}

}  // namespace Tessar
