#include "VQCore/app/environment/DiskSpaceText.h"

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/start/ResourceString.h"
#include "common/DriveUtil.h"
#include "common/FormatText.h"

#include <cwctype>

namespace Tessar {

namespace {

const unsigned kFreeSpaceText = 1170;     // "%c:盘剩余空间%s"
const unsigned kFreeSpaceFailed = 1171;   // "获取%c:盘空间失败"
const unsigned kNoDownloadFolder = 1172;
const unsigned kNoInstallFolder = 1173;

std::wstring DriveText(wchar_t letter, bool read, uint64_t freeBytes) {
    // The formats come from the skin's strings: "%s" is a wide text here.
    if (read)
        return FormatString(LoadResourceString(kFreeSpaceText).c_str(), letter,
                            FormatSizeText(static_cast<int64_t>(freeBytes)).c_str());
    return FormatString(LoadResourceString(kFreeSpaceFailed).c_str(), letter);
}

}  // namespace

bool QueryDriveFree(wchar_t letter, uint64_t& freeBytes) {
    VQDriveInfo info;
    const std::wstring root = std::wstring(1, letter) + L":\\";
    if (!GetDriveDetails(root, info) || !info.volumeRead) return false;
    freeBytes = info.freeBytes;
    return true;
}

VQDiskSpace ReadDiskSpace(const std::wstring& cacheDir, const std::wstring& installDir, const VQDriveFreeQuery& freeOf) {
    VQDiskSpace space;
    if (cacheDir.size() < 3) {
        space.text = LoadResourceString(kNoDownloadFolder);
        return space;
    }
    if (installDir.size() < 3) {
        space.text = LoadResourceString(kNoInstallFolder);
        return space;
    }
    space.foldersKnown = true;
    space.downloadLetter = static_cast<wchar_t>(std::towupper(cacheDir[0]));
    space.installLetter = static_cast<wchar_t>(std::towupper(installDir[0]));
    const bool downloadRead = freeOf(space.downloadLetter, space.downloadFree);
    if (space.downloadLetter == space.installLetter) {
        space.installFree = space.downloadFree;
        space.text = DriveText(space.downloadLetter, downloadRead, space.downloadFree);
        return space;
    }
    const bool installRead = freeOf(space.installLetter, space.installFree);
    space.text = DriveText(space.downloadLetter, downloadRead, space.downloadFree) + L"  " +
                 DriveText(space.installLetter, installRead, space.installFree);
    return space;
}

}  // namespace Tessar
