#include "VQCore/app/environment/RoomyDrives.h"

#include "VQCore/app/environment/EnvironmentCheck.h"

#include <gtest/gtest.h>

namespace Tessar {
namespace {

const uint64_t kGB = 1ull << 30;
const uint64_t kReserve = kDownloadReserveBytes;

TEST(RoomyDrives, ProposesTheDrivesThatHaveRoom) {
    struct Case {
        const char* name;
        VQRoomyDrivesRequest request;
        bool found;
        wchar_t download;  // 0: not moved
        wchar_t install;
    } cases[] = {
        {"download lacks, largest other drive has room",
         {L'C', L'D', 1 * kGB, 50 * kGB, 2 * kGB, 5 * kGB, {{L'C', 1 * kGB, true}, {L'E', 9 * kGB, true}, {L'F', 3 * kGB, true}}},
         true, L'E', 0},
        {"install lacks only: only its search runs",
         {L'C', L'D', 50 * kGB, 1 * kGB, 2 * kGB, 5 * kGB, {{L'E', 9 * kGB, true}}},
         true, 0, L'E'},
        {"largest drive too small: no smaller one is tried",
         {L'C', L'D', 1 * kGB, 50 * kGB, 2 * kGB, 5 * kGB, {{L'E', 2 * kGB, true}, {L'F', 1 * kGB, true}}},
         false, 0, 0},
        {"largest is the install drive without room for both: the next one",
         {L'C', L'D', 1 * kGB, 6 * kGB, 2 * kGB, 5 * kGB, {{L'D', 6 * kGB, true}, {L'E', 3 * kGB, true}}},
         true, L'E', 0},
        {"install drive holds both",
         {L'C', L'D', 1 * kGB, 8 * kGB, 2 * kGB, 5 * kGB, {{L'D', 8 * kGB, true}, {L'E', 3 * kGB, true}}},
         true, L'D', 0},
        {"free space unreadable",
         {L'C', L'D', 1 * kGB, 50 * kGB, 2 * kGB, 5 * kGB, {{L'E', 9 * kGB, false}}},
         false, 0, 0},
        {"no other fixed drive",
         {L'C', L'D', 1 * kGB, 50 * kGB, 2 * kGB, 5 * kGB, {{L'C', 1 * kGB, true}}},
         false, 0, 0},
        {"one full drive for both: both move, the larger part first",
         {L'C', L'C', 1 * kGB, 1 * kGB, 2 * kGB, 5 * kGB, {{L'E', 8 * kGB, true}, {L'F', 3 * kGB, true}}},
         true, L'E', L'E'},
        {"one full drive for both: the parts split over two drives",
         {L'C', L'C', 1 * kGB, 1 * kGB, 2 * kGB, 5 * kGB, {{L'E', 6 * kGB, true}, {L'F', 3 * kGB, true}}},
         true, L'F', L'E'},
        {"letters in other cases are the same drive",
         {L'c', L'd', 1 * kGB, 50 * kGB, 2 * kGB, 5 * kGB, {{L'C', 90 * kGB, true}, {L'E', 3 * kGB, true}}},
         true, L'E', 0},
    };
    for (const Case& c : cases) {
        const VQRoomyDrives result = FindRoomyDrives(c.request);
        EXPECT_EQ(c.found, result.found) << c.name;
        if (!c.found) continue;
        EXPECT_EQ(c.download != 0, result.otherDownloadDrive) << c.name;
        EXPECT_EQ(c.download, result.downloadLetter) << c.name;
        EXPECT_EQ(c.install != 0, result.otherInstallDrive) << c.name;
        EXPECT_EQ(c.install, result.installLetter) << c.name;
    }
}

TEST(RoomyDrives, ExactlyTheNeededSpaceIsEnough) {
    VQRoomyDrivesRequest request = {L'C', L'D', 0, 50 * kGB, 2 * kGB, 5 * kGB, {{L'E', 2 * kGB + kReserve, true}}};
    EXPECT_TRUE(FindRoomyDrives(request).found);
    request.drives[0].freeBytes -= 1;
    EXPECT_FALSE(FindRoomyDrives(request).found);
}

}  // namespace
}  // namespace Tessar
