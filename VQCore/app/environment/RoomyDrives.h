#pragma once
// Where the runtime environment window proposes to move the download and
// install folders when their drives lack room for a game: the fixed drive
// with the most free space that is not excluded, where a drive that would
// hold both parts must have room for both.

#include <cstdint>
#include <vector>

namespace Tessar {

struct VQFixedDriveRoom {
    wchar_t letter;
    uint64_t freeBytes;
    bool detailsRead;  // false: the drive's free space could not be read
};

struct VQRoomyDrivesRequest {
    wchar_t downloadLetter;
    wchar_t installLetter;
    uint64_t downloadFree;
    uint64_t installFree;
    uint64_t size;         // the download
    uint64_t installSize;
    std::vector<VQFixedDriveRoom> drives;
};

struct VQRoomyDrives {
    bool found = false;
    bool otherDownloadDrive = false;
    wchar_t downloadLetter = 0;
    bool otherInstallDrive = false;
    wchar_t installLetter = 0;
};

VQRoomyDrives FindRoomyDrives(const VQRoomyDrivesRequest& request);

// This machine's fixed drives with their free space.
std::vector<VQFixedDriveRoom> ListFixedDriveRooms();

}  // namespace Tessar
