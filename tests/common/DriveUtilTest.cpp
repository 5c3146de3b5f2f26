#include "common/DriveUtil.h"

#include "tests/support/UnusedDrive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace Tessar {
namespace {

TEST(DriveUtilTest, ListsTheSystemDrive) {
    std::vector<std::wstring> roots;
    ASSERT_TRUE(ListLogicalDrives(roots));
    EXPECT_NE(roots.end(), std::find(roots.begin(), roots.end(), L"C:\\"));
    DWORD mask = ::GetLogicalDrives();
    size_t count = 0;
    for (int bit = 0; bit < 26; ++bit)
        count += (mask >> bit) & 1;
    EXPECT_EQ(count, roots.size());
}

TEST(DriveUtilTest, DetailsOfTheSystemDrive) {
    VQDriveInfo info;
    ASSERT_TRUE(GetDriveDetails(L"C:\\", info));
    EXPECT_FALSE(info.displayName.empty());
    EXPECT_TRUE(info.volumeRead);
    EXPECT_FALSE(info.fileSystem.empty());
    ASSERT_GT(info.clusterSize, 0u);
    EXPECT_GT(info.totalBytes, 0u);
    EXPECT_LE(info.freeBytes, info.totalBytes);
    EXPECT_EQ(0u, info.totalBytes % info.clusterSize);
    ULARGE_INTEGER freeToCaller, total, totalFree;
    ASSERT_TRUE(::GetDiskFreeSpaceExW(L"C:\\", &freeToCaller, &total, &totalFree));
    EXPECT_LE(info.totalBytes, total.QuadPart + info.clusterSize);
}

TEST(DriveUtilTest, FixedDrives) {
    EXPECT_TRUE(IsOnFixedDrive(L"C:\\windows\\system32"));
    EXPECT_TRUE(IsOnFixedDrive(L"C:"));
    EXPECT_FALSE(IsOnFixedDrive(L"relative\\path"));
    EXPECT_FALSE(IsOnFixedDrive(L""));
    std::wstring unused = FindUnusedDriveRoot();
    if (!unused.empty()) {
        EXPECT_FALSE(IsOnFixedDrive(unused + L"games"));
    }
    // Whichever drive is chosen on this machine, it is a fixed one.
    std::wstring letter;
    ASSERT_TRUE(FindLargestFreeFixedDrive(letter));
    ASSERT_EQ(1u, letter.size());
    EXPECT_TRUE(IsOnFixedDrive(letter + L":\\"));
}

// Wine shows C: and Z: both as fixed drives; the choice is tested on
// drive records of our own.
struct FakeDrive {
    UINT type;
    bool readable;
    uint64_t freeBytes;
};

VQDriveSource FakeSource(const std::map<std::wstring, FakeDrive>& drives, bool listable = true) {
    VQDriveSource source;
    source.listDrives = [drives, listable](std::vector<std::wstring>& roots) {
        roots.clear();
        for (const auto& drive : drives)
            roots.push_back(drive.first);
        return listable;
    };
    source.driveType = [drives](const std::wstring& root) { return drives.at(root).type; };
    source.details = [drives](const std::wstring& root, VQDriveInfo& info) {
        info = VQDriveInfo();
        info.freeBytes = drives.at(root).freeBytes;
        return drives.at(root).readable;
    };
    return source;
}

TEST(DriveUtilTest, ChoosesTheFixedDriveWithMostFreeSpace) {
    struct Case {
        const char* name;
        std::map<std::wstring, FakeDrive> drives;
        std::vector<std::wstring> skipped;
        bool found;
        const wchar_t* letter;
    } cases[] = {
        {"most free wins", {{L"C:\\", {DRIVE_FIXED, true, 10}}, {L"D:\\", {DRIVE_FIXED, true, 30}},
                            {L"E:\\", {DRIVE_FIXED, true, 20}}}, {}, true, L"D"},
        {"first of equals stays", {{L"C:\\", {DRIVE_FIXED, true, 30}}, {L"D:\\", {DRIVE_FIXED, true, 30}}}, {},
         true, L"C"},
        {"only fixed drives count", {{L"C:\\", {DRIVE_FIXED, true, 1}}, {L"D:\\", {DRIVE_CDROM, true, 90}},
                                     {L"E:\\", {DRIVE_REMOTE, true, 90}}, {L"F:\\", {DRIVE_REMOVABLE, true, 90}}},
         {}, true, L"C"},
        {"unreadable drives are passed over", {{L"C:\\", {DRIVE_FIXED, true, 1}}, {L"D:\\", {DRIVE_FIXED, false, 90}}},
         {}, true, L"C"},
        {"skipped roots, without regard to case", {{L"C:\\", {DRIVE_FIXED, true, 50}}, {L"D:\\", {DRIVE_FIXED, true, 90}}},
         {L"d:\\"}, true, L"C"},
        {"a full drive is still a choice", {{L"C:\\", {DRIVE_FIXED, true, 0}}}, {}, true, L"C"},
        {"no fixed drive", {{L"D:\\", {DRIVE_CDROM, true, 90}}}, {}, false, L""},
        {"all skipped", {{L"C:\\", {DRIVE_FIXED, true, 5}}}, {L"C:\\"}, false, L""},
    };
    for (const Case& c : cases) {
        std::wstring letter = L"?";
        EXPECT_EQ(c.found, FindLargestFreeFixedDriveExcept(letter, c.skipped, FakeSource(c.drives))) << c.name;
        EXPECT_EQ(c.letter, letter) << c.name;
    }
    std::wstring letter;
    EXPECT_FALSE(FindLargestFreeFixedDriveExcept(letter, {}, FakeSource({{L"C:\\", {DRIVE_FIXED, true, 5}}}, false)));
}

TEST(DriveUtilTest, ListFixedDrivesFailsOnlyWhenTheDrivesCannotBeListed) {
    struct Case {
        const char* name;
        bool listable;
        std::map<std::wstring, FakeDrive> drives;
        std::vector<std::wstring> excluded;
        bool result;
        const wchar_t* letter;
    } cases[] = {
        {"most free of the rest", true, {{L"C:\\", {DRIVE_FIXED, true, 90}}, {L"D:\\", {DRIVE_FIXED, true, 30}}},
         {L"C:\\"}, true, L"D"},
        {"none qualifies: success without a letter", true, {{L"D:\\", {DRIVE_CDROM, true, 90}}}, {}, true, L""},
        {"no listing", false, {{L"C:\\", {DRIVE_FIXED, true, 5}}}, {}, false, L""},
    };
    for (const Case& c : cases) {
        std::wstring letter = L"?";
        EXPECT_EQ(c.result, ListFixedDrives(c.excluded, letter, FakeSource(c.drives, c.listable))) << c.name;
        EXPECT_EQ(c.letter, letter) << c.name;
    }
}

}  // namespace
}  // namespace Tessar
