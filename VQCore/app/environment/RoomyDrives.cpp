#include "VQCore/app/environment/RoomyDrives.h"

#include "VQCore/app/environment/EnvironmentCheck.h"
#include "common/DriveUtil.h"

#include <windows.h>

#include <cwctype>

namespace Tessar {

namespace {

bool SameLetter(wchar_t a, wchar_t b) { return std::towupper(a) == std::towupper(b); }

bool IsExcluded(const std::vector<wchar_t>& excluded, wchar_t letter) {
    for (wchar_t other : excluded)
        if (SameLetter(other, letter)) return true;
    return false;
}

const VQFixedDriveRoom* LargestNotExcluded(const std::vector<VQFixedDriveRoom>& drives,
                                           const std::vector<wchar_t>& excluded) {
    const VQFixedDriveRoom* best = nullptr;
    for (const VQFixedDriveRoom& drive : drives)
        if (!IsExcluded(excluded, drive.letter) && (best == nullptr || drive.freeBytes > best->freeBytes))
            best = &drive;
    return best;
}

// One search: own is the part's need, other the other part's need when
// both would share the drive; shared is the letter of the other part.
bool FindDrive(const std::vector<VQFixedDriveRoom>& drives, wchar_t current, wchar_t shared, uint64_t own,
               uint64_t other, wchar_t& found) {
    std::vector<wchar_t> excluded = {current};
    for (;;) {
        const VQFixedDriveRoom* drive = LargestNotExcluded(drives, excluded);
        if (drive == nullptr || !drive->detailsRead) return false;
        const bool sharing = SameLetter(drive->letter, shared);
        if (drive->freeBytes >= own + (sharing ? other : 0)) {
            found = drive->letter;
            return true;
        }
        if (!sharing) return false;
        excluded.push_back(drive->letter);
    }
}

}  // namespace

VQRoomyDrives FindRoomyDrives(const VQRoomyDrivesRequest& request) {
    VQRoomyDrives result;
    const uint64_t downloadNeed = request.size + kDownloadReserveBytes;
    const uint64_t installNeed = request.installSize;
    const bool sameDrive = SameLetter(request.downloadLetter, request.installLetter);
    const bool downloadLacks = sameDrive || request.downloadFree <= downloadNeed;
    const bool installLacks = sameDrive || request.installFree <= installNeed;

    wchar_t downloadLetter = request.downloadLetter;
    wchar_t installLetter = request.installLetter;
    auto searchDownload = [&]() {
        wchar_t letter = 0;
        if (!FindDrive(request.drives, request.downloadLetter, installLetter, downloadNeed, installNeed, letter))
            return false;
        result.otherDownloadDrive = true;
        result.downloadLetter = downloadLetter = letter;
        return true;
    };
    auto searchInstall = [&]() {
        wchar_t letter = 0;
        if (!FindDrive(request.drives, request.installLetter, downloadLetter, installNeed, downloadNeed, letter))
            return false;
        result.otherInstallDrive = true;
        result.installLetter = installLetter = letter;
        return true;
    };

    if (downloadLacks && installLacks) {
        // The larger part chooses first.
        result.found = downloadNeed < installNeed ? (searchInstall() && searchDownload())
                                                  : (searchDownload() && searchInstall());
    } else if (downloadLacks) {
        result.found = searchDownload();
    } else if (installLacks) {
        result.found = searchInstall();
    } else {
        result.found = true;
    }
    return result;
}

}  // namespace Tessar

namespace Tessar {

std::vector<VQFixedDriveRoom> ListFixedDriveRooms() {
    std::vector<VQFixedDriveRoom> rooms;
    std::vector<std::wstring> roots;
    if (!ListLogicalDrives(roots)) return rooms;
    for (const std::wstring& root : roots) {
        if (root.empty() || ::GetDriveTypeW(root.c_str()) != DRIVE_FIXED) continue;
        VQDriveInfo info;
        const bool read = GetDriveDetails(root, info) && info.volumeRead;
        rooms.push_back(VQFixedDriveRoom{root[0], info.freeBytes, read});
    }
    return rooms;
}

}  // namespace Tessar
