#include "VQCore/app/environment/EnvironmentCheck.h"

#include <gtest/gtest.h>

#include <string>

namespace Tessar {
namespace {

std::vector<std::wstring> Names(const std::vector<const RuntimeRequirement*>& rows) {
    std::vector<std::wstring> names;
    for (const RuntimeRequirement* row : rows) names.push_back(row ? row->name : L"(null)");
    return names;
}

TEST(EnvironmentRuntimeRows, FollowTheWindowOrder) {
    EXPECT_EQ((std::vector<std::wstring>{L"Games For Windows Live", L"Nvidia PhysX System", L"Java", L"OpenAL",
                                         L"XNA Framework Redist 3.1", L"DirectX 9.0 and 10.0",
                                         L".NET Framework 2.0 SP2", L".NET Framework 3.5 SP1", L"Visual C++ 2010 SP1",
                                         L"Visual C++ 2008 SP1", L"Visual C++ 2005 SP1"}),
              Names(RuntimeRowsFor(1, 0x07FF)));
    EXPECT_EQ((std::vector<std::wstring>{L"DirectX 9.0 and 10.0", L"Visual C++ 2005 SP1"}),
              Names(RuntimeRowsFor(1, 0x0084)));
    EXPECT_TRUE(RuntimeRowsFor(1, 0).empty());
    // Bits above the known ones name no runtime.
    EXPECT_TRUE(RuntimeRowsFor(1, 0xF800).empty());
}

TEST(EnvironmentRuntimeRows, FlashAndWebGamesGetOnlyFlash) {
    for (int kind : {3, 4}) {
        for (uint16_t depend : {0x0000, 0x0004, 0x07FF})
            EXPECT_EQ(std::vector<std::wstring>{L"Adobe Flash Player ActiveX"}, Names(RuntimeRowsFor(kind, depend)))
                << "kind " << kind << " depend " << depend;
    }
}

TEST(EnvironmentRuntimeRows, PackageIdsAreTheRuntimeIds) {
    for (uint32_t id = 40018; id <= 40029; ++id) {
        const RuntimeRequirement* runtime = FindRuntimeByPackage(id);
        ASSERT_NE(nullptr, runtime) << id;
        EXPECT_EQ(id, runtime->packageId);
    }
    EXPECT_EQ(nullptr, FindRuntimeByPackage(40030));
    EXPECT_EQ(nullptr, FindRuntimeByPackage(1));
}

TEST(EnvironmentRuntimeInstalled, ReadsTheDetectedState) {
    struct Case {
        const char* name;
        uint32_t packageId;
        VQRuntimeState state;
        bool installed;
    };
    auto with = [](void (*set)(VQRuntimeState&)) {
        VQRuntimeState state;
        set(state);
        return state;
    };
    const Case cases[] = {
        {"no DirectX", 40018, VQRuntimeState(), false},
        {"DirectX 8", 40018, with([](VQRuntimeState& s) { s.directXMajor = 8; }), false},
        {"DirectX 9", 40018, with([](VQRuntimeState& s) { s.directXMajor = 9; }), true},
        {"DirectX 10", 40018, with([](VQRuntimeState& s) { s.directXMajor = 10; }), true},
        {"DirectX 11 lacks the version-9 libraries", 40018, with([](VQRuntimeState& s) { s.directXMajor = 11; }), false},
        {"DirectX 12 lacks them too", 40018, with([](VQRuntimeState& s) { s.directXMajor = 12; }), false},
        {"XNA exact", 40028, with([](VQRuntimeState& s) { s.xnaMask = 8; }), true},
        {"XNA other", 40028, with([](VQRuntimeState& s) { s.xnaMask = 9; }), false},
        {".NET 2.0", 40022, with([](VQRuntimeState& s) { s.dotNetMask = 0x04; }), true},
        {".NET 2.0 missing", 40022, with([](VQRuntimeState& s) { s.dotNetMask = 0x80; }), false},
        {".NET 3.5", 40021, with([](VQRuntimeState& s) { s.dotNetMask = 0x84; }), true},
        {"VC 2005", 40025, with([](VQRuntimeState& s) { s.vcMask = 0x02; }), true},
        {"VC 2008", 40026, with([](VQRuntimeState& s) { s.vcMask = 0x02; }), false},
        {"VC 2010", 40027, with([](VQRuntimeState& s) { s.vcMask = 0x20; }), true},
        {"Live", 40019, with([](VQRuntimeState& s) { s.xLive = true; }), true},
        {"PhysX", 40023, with([](VQRuntimeState& s) { s.physX = true; }), true},
        {"Java", 40020, with([](VQRuntimeState& s) { s.java = true; }), true},
        {"OpenAL", 40024, with([](VQRuntimeState& s) { s.openAl = true; }), true},
        {"Flash", 40029, with([](VQRuntimeState& s) { s.flash = true; }), true},
        {"Flash missing", 40029, with([](VQRuntimeState& s) { s.java = true; }), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.installed, IsRuntimeInstalled(*FindRuntimeByPackage(c.packageId), c.state)) << c.name;
}

TEST(EnvironmentHardware, ProcessorRule) {
    struct Case {
        const char* name;
        uint8_t rank;
        uint32_t clockSum, count;
        uint8_t requiredClass;
        float requiredGHz;
        bool satisfied;
    } cases[] = {
        {"higher rank", 5, 0, 0, 4, 9.0f, true},
        {"equal rank, faster clock", 4, 4 * 2400, 4, 4, 2.0f, true},
        {"equal clock is not enough", 4, 2 * 2000, 2, 4, 2.0f, false},
        {"slower clock", 3, 2 * 1500, 2, 4, 2.0f, false},
        {"no processor counted", 3, 0, 0, 4, 0.5f, false},
        {"integer division of the clock", 0, 2999, 3, 0, 0.999f, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.satisfied, IsCpuSatisfied(c.rank, c.clockSum, c.count, c.requiredClass, c.requiredGHz)) << c.name;
}

TEST(EnvironmentHardware, MemoryTextAndRule) {
    EXPECT_EQ(L"1024 MB", MemoryText(1024ull << 20));
    EXPECT_EQ(L"1.00 GB", MemoryText(1025ull << 20));
    EXPECT_EQ(L"8.00 GB", MemoryText(8192ull << 20));
    EXPECT_EQ(L"512 MB", MemoryText((512ull << 20) + 1000));
    EXPECT_TRUE(IsMemorySatisfied(2048ull << 20, 2048));
    EXPECT_FALSE(IsMemorySatisfied((2048ull << 20) - 1, 2048));
    EXPECT_TRUE(IsVideoSatisfied(256, 256));
    EXPECT_FALSE(IsVideoSatisfied(255, 256));
}

TEST(EnvironmentHardware, OperatingSystemRule) {
    struct Case {
        const char* name;
        uint8_t required, code;
        uint32_t major, minor;
        bool satisfied;
    } cases[] = {
        {"any", 0, 0, 5, 1, true},
        {"XP wanted, XP", 0x04, 0x04, 5, 1, true},
        {"XP or 7 wanted, 7", 0x24, 0x20, 6, 1, true},
        {"7 wanted, XP", 0x20, 0x04, 5, 1, false},
        {"7 wanted, Windows 8", 0x20, 0, 6, 2, true},
        {"XP wanted, Windows 10", 0x04, 0, 10, 0, true},
        {"unknown old version", 0x04, 0, 5, 0, false},
        {"unknown 6.1", 0x04, 0, 6, 1, false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.satisfied, IsOsSatisfied(c.required, c.code, c.major, c.minor)) << c.name;
}

TEST(EnvironmentHardware, DiskRule) {
    const uint64_t reserve = kDownloadReserveBytes;
    EXPECT_TRUE(IsDiskSatisfied(true, 100 + reserve + 50 + 1, 0, 100, 50));
    EXPECT_FALSE(IsDiskSatisfied(true, 100 + reserve + 50, 0, 100, 50));
    EXPECT_TRUE(IsDiskSatisfied(false, 100 + reserve + 1, 51, 100, 50));
    EXPECT_FALSE(IsDiskSatisfied(false, 100 + reserve + 1, 50, 100, 50));
    EXPECT_FALSE(IsDiskSatisfied(false, 100 + reserve, 1000, 100, 50));
}

}  // namespace
}  // namespace Tessar
