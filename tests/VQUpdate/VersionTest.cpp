// Version texts, the comparison that decides on an update, and the
// installed version from the outside version component (a stand-in built
// with the tests, copied into a scratch program folder as Ulvesta.dll).
#include "VQUpdate/Version.h"

#include "tests/VQUpdate/UpdateTestUtil.h"
#include "tests/programs/versioncomponent/ComponentVersion.h"

#include <gtest/gtest.h>

namespace Tessar {
namespace {

using ::Tessar::Test::UpdateFixturePath;
using ::Tessar::Test::VQUpgradeWorld;

VQVersion Make(int32_t major, int32_t minor, int32_t build, int32_t revision) {
    VQVersion version;
    version.major = major;
    version.minor = minor;
    version.build = build;
    version.revision = revision;
    return version;
}

TEST(VersionTextTest, ParsesPartByPartAndKeepsWhatItReached) {
    struct Case {
        const wchar_t* text;
        bool parsed;
        VQVersion expected;  // from 9.9.9.9
    };
    const Case cases[] = {
        {L"1.7.2.0", true, Make(1, 7, 2, 0)},
        {L"10.20.30.40", true, Make(10, 20, 30, 40)},
        {L"2.0", false, Make(2, 9, 9, 9)},         // stops at the missing second "."
        {L"1.7.1.", false, Make(1, 7, 1, 9)},      // nothing after the third "."
        {L"", false, Make(9, 9, 9, 9)},
        {L"1.x.3.4", true, Make(1, 0, 3, 4)},      // _wtoi of a non-number is 0
        {L"1.2.3.4.5", true, Make(1, 2, 3, 4)},    // the rest after the third "." read by _wtoi
        {L"-1.2.3.4", true, Make(-1, 2, 3, 4)},
    };
    for (const Case& c : cases) {
        VQVersion version = Make(9, 9, 9, 9);
        EXPECT_EQ(c.parsed, ParseVersionText(c.text, version)) << c.text;
        EXPECT_EQ(FormatVersion(c.expected), FormatVersion(version)) << c.text;
    }
}

TEST(VersionTextTest, FormatsFourNumbers) {
    EXPECT_EQ(L"1.7.1.1752", FormatVersion(kBuiltInVersion));
    EXPECT_EQ(L"0.-1.2.3", FormatVersion(Make(0, -1, 2, 3)));
}

TEST(VersionCompareTest, FirstDifferingFieldDecides) {
    struct Case {
        VQVersion local;
        VQVersion remote;
        bool older;
    };
    const VQVersion local = kBuiltInVersion;
    const Case cases[] = {
        {local, Make(1, 7, 2, 0), true},        // build 1 is below 2
        {local, Make(1, 6, 9, 9999), false},
        {local, Make(1, 7, 1, 1752), false},   // equal
        {local, Make(2, 0, 0, 0), true},        // "2.0" from the server
        {local, Make(1, 7, 1, 1753), true},
        {local, Make(1, 7, 0, 99999), false},
        {local, Make(0, 99, 99, 99), false},
        {Make(0, 0, 0, 0), Make(0, 0, 0, 1), true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.older, IsOlderVersion(c.local, c.remote))
            << FormatVersion(c.local) << " against " << FormatVersion(c.remote);
    }
}

class LocalVersionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_world.Ready()); }
    bool InstallComponent(const wchar_t* fixture) {
        std::wstring target = m_world.ProgramFolder() + L"\\" + kVersionLibraryName;
        return CopyFileW(UpdateFixturePath(fixture).c_str(), target.c_str(), FALSE) != FALSE;
    }

    VQUpgradeWorld m_world;
};

TEST_F(LocalVersionTest, WithoutTheComponentTheBuiltInVersionHolds) {
    VQVersion version = Make(5, 5, 5, 5);
    GetLocalVersion(version);
    EXPECT_EQ(L"1.7.1.1752", FormatVersion(version));
}

TEST_F(LocalVersionTest, TheComponentsExportGivesTheVersion) {
    ASSERT_TRUE(InstallComponent(L"VersionComponentExport.dll"));
    VQVersion version;
    GetLocalVersion(version);
    EXPECT_EQ(FormatVersion(Make(VQ_COMPONENT_MAJOR, VQ_COMPONENT_MINOR, VQ_COMPONENT_BUILD,
                                 VQ_COMPONENT_REVISION)),
              FormatVersion(version));
}

TEST_F(LocalVersionTest, AComponentWithoutTheExportKeepsTheBuiltInVersion) {
    ASSERT_TRUE(InstallComponent(L"VersionComponentPlain.dll"));
    VQVersion version;
    GetLocalVersion(version);
    EXPECT_EQ(L"1.7.1.1752", FormatVersion(version));
}

TEST_F(LocalVersionTest, ADamagedComponentKeepsTheBuiltInVersion) {
    ASSERT_TRUE(::Tessar::Test::WriteBytes(m_world.ProgramFolder() + L"\\" + kVersionLibraryName, "MZ not a library"));
    VQVersion version;
    GetLocalVersion(version);
    EXPECT_EQ(L"1.7.1.1752", FormatVersion(version));
}

}  // namespace
}  // namespace Tessar
