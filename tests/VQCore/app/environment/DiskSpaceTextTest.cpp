#include "VQCore/app/environment/DiskSpaceText.h"

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/start/ResourceString.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <string>

namespace Tessar {
namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::wstring FreeText(wchar_t letter, uint64_t bytes) {
    return std::wstring(1, letter) + L":\x76D8\x5269\x4F59\x7A7A\x95F4" + FormatSizeText(static_cast<int64_t>(bytes));
}

std::wstring FailedText(wchar_t letter) {
    return L"\x83B7\x53D6" + std::wstring(1, letter) + L":\x76D8\x7A7A\x95F4\x5931\x8D25";
}

TEST(DiskSpaceText, NamesTheDrivesAndTheirFreeSpace) {
    const uint64_t gb = 1ull << 30;
    const std::map<wchar_t, uint64_t> drives = {{L'C', 12 * gb}, {L'D', 3 * gb}};
    auto freeOf = [&drives](wchar_t letter, uint64_t& bytes) {
        auto found = drives.find(letter);
        if (found == drives.end()) return false;
        bytes = found->second;
        return true;
    };
    struct Case {
        std::wstring cache, install, text;
        bool known;
        uint64_t downloadFree, installFree;
    } cases[] = {
        {L"C:\\d\\", L"c:\\g\\", FreeText(L'C', 12 * gb), true, 12 * gb, 12 * gb},
        {L"C:\\d\\", L"D:\\g\\", FreeText(L'C', 12 * gb) + L"  " + FreeText(L'D', 3 * gb), true, 12 * gb, 3 * gb},
        {L"C:\\d\\", L"Q:\\g\\", FreeText(L'C', 12 * gb) + L"  " + FailedText(L'Q'), true, 12 * gb, 0},
        {L"", L"D:\\g\\", LoadResourceString(1172), false, 0, 0},
        {L"C:", L"", LoadResourceString(1172), false, 0, 0},
        {L"C:\\d\\", L"D:", LoadResourceString(1173), false, 0, 0},
    };
    for (const Case& c : cases) {
        const VQDiskSpace space = ReadDiskSpace(c.cache, c.install, freeOf);
        EXPECT_EQ(c.text, space.text) << Narrow(c.cache) << " | " << Narrow(c.install);
        EXPECT_EQ(c.known, space.foldersKnown) << Narrow(c.cache);
        EXPECT_EQ(c.downloadFree, space.downloadFree) << Narrow(c.cache);
        EXPECT_EQ(c.installFree, space.installFree) << Narrow(c.install);
    }
    // The format's pieces land where they belong.
    EXPECT_EQ(L"C:\x76D8\x5269\x4F59\x7A7A\x95F4" + FormatSizeText(static_cast<int64_t>(12 * gb)),
              ReadDiskSpace(L"C:\\a", L"C:\\b", freeOf).text);
    EXPECT_EQ(L"\x83B7\x53D6Q:\x76D8\x7A7A\x95F4\x5931\x8D25", ReadDiskSpace(L"Q:\\a", L"Q:\\b", freeOf).text);
}

TEST(DiskSpaceText, ReadsTheSystemDrive) {
    uint64_t freeBytes = 0;
    EXPECT_TRUE(QueryDriveFree(L'C', freeBytes));
    EXPECT_GT(freeBytes, 0u);
}

}  // namespace
}  // namespace Tessar
