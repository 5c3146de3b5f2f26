#include "VQCore/download/VersionProbe.h"

#include <gtest/gtest.h>

#include "tests/VQCore/download/RuntimeMachine.h"
#include "tests/support/TempFolder.h"

namespace Tessar {
namespace {

TEST(ParseVersionText, ReadsUpToFourItemsAndLeavesTheRest) {
    struct Case {
        const wchar_t* text;
        bool result;
        int32_t expected[4];
    };
    // Every output starts at 7, so an untouched one shows.
    const Case cases[] = {
        {L"1.6", true, {1, 6, 7, 7}},
        {L"1.6.0_20", true, {1, 6, 0, 7}},
        {L"2", true, {2, 7, 7, 7}},
        {L"1.2.3.4.5", true, {1, 2, 3, 4}},
        {L"-3.4", true, {-3, 4, 7, 7}},
        {L"10.-0.x", true, {10, 0, 0, 7}},
        {L"4294967295", true, {-1, 7, 7, 7}},
        {L"", false, {7, 7, 7, 7}},
    };
    for (const Case& c : cases) {
        int32_t version[4] = {7, 7, 7, 7};
        EXPECT_EQ(c.result, ParseVersionText(c.text, version)) << c.text;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(c.expected[i], version[i]) << c.text << " item " << i;
    }
}

TEST(GetFileProductVersion, SplitsTheFixedProductVersion) {
    VQTempFolder folder;
    const std::wstring path = folder.PathOf(L"versioned.dll");
    ASSERT_TRUE(MakeStubLibrary(path, false, 11, 2, 202, 235));
    uint32_t version[4] = {0, 0, 0, 0};
    ASSERT_TRUE(GetFileProductVersion(path, version));
    EXPECT_EQ(11u, version[0]);
    EXPECT_EQ(2u, version[1]);
    EXPECT_EQ(202u, version[2]);
    EXPECT_EQ(235u, version[3]);
}

TEST(GetFileProductVersion, FailsWithoutAVersionAndLeavesTheOutput) {
    VQTempFolder folder;
    const std::wstring plain = folder.PathOf(L"plain.dll");
    ASSERT_TRUE(MakeStubLibrary(plain, false, nullptr));
    ASSERT_TRUE(folder.WriteFile(L"text.dll", "not a library"));
    const std::wstring paths[] = {plain, folder.PathOf(L"text.dll"), folder.PathOf(L"missing.dll"), L""};
    for (const std::wstring& path : paths) {
        uint32_t version[4] = {5, 6, 7, 8};
        EXPECT_FALSE(GetFileProductVersion(path, version)) << path;
        EXPECT_EQ(5u, version[0]) << path;
        EXPECT_EQ(8u, version[3]) << path;
    }
}

TEST(CanLoadLibrary, LoadsAndLooksForTheExport) {
    VQTempFolder folder;
    const std::wstring exporting = folder.PathOf(L"exporting.dll");
    const std::wstring plain = folder.PathOf(L"plain.dll");
    ASSERT_TRUE(MakeStubLibrary(exporting, true, nullptr));
    ASSERT_TRUE(MakeStubLibrary(plain, false, nullptr));
    ASSERT_TRUE(folder.WriteFile(L"text.dll", "MZ but nothing more"));
    struct Case {
        std::wstring path;
        const char* exportName;
        bool expected;
    };
    const Case cases[] = {
        {exporting, nullptr, true},
        {exporting, "physxDevInit", true},
        {exporting, "noSuchExport", false},
        {plain, nullptr, true},
        {plain, "physxDevInit", false},
        {folder.PathOf(L"text.dll"), nullptr, false},
        {folder.PathOf(L"missing.dll"), nullptr, false},
        {L"", nullptr, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, CanLoadLibrary(c.path, c.exportName)) << c.path << " " << (c.exportName ? c.exportName : "");
    // Every library was freed again, so the folder can go.
    EXPECT_TRUE(::DeleteFileW(exporting.c_str()));
    EXPECT_TRUE(::DeleteFileW(plain.c_str()));
}

}  // namespace
}  // namespace Tessar
