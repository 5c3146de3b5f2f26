#include "common/HardwareReport.h"

#include "common/WmiConnection.h"
#include "tests/common/FakeWmi.h"

#include <gtest/gtest.h>

namespace Tessar {
namespace {

using Test::FakeWmiEnumerator;
using Test::FakeWmiObject;
using Test::FakeWmiServices;
using Test::FakeWmiValue;

std::wstring ProcessorPath(int n) {
    return L"Win32_Processor.DeviceID=\"CPU" + std::to_wstring(n) + L"\"";
}

// CPUID brand strings, padding blanks included: the first word of the
// list "i7", "i5", "i3", "core2", "core(tm)2", "core", "pentium",
// "celeron" that the lower-case name holds.
TEST(ProcessorFamilyTest, IntelBrandWordsGiveTheFamily) {
    struct Case {
        const wchar_t* name;
        uint8_t code;
    } cases[] = {
        {L"Intel(R) Core(TM) i7-2600 CPU @ 3.40GHz", 7},
        {L"Intel(R) Core(TM) i7 CPU         920  @ 2.67GHz", 7},
        {L"12th Gen Intel(R) Core(TM) i7-12700K", 7},
        {L"Intel(R) Core(TM) i5-2400 CPU @ 3.10GHz", 6},
        {L"Intel(R) Core(TM) i5 CPU       M 520  @ 2.40GHz", 6},
        {L"INTEL CORE I5", 6},
        {L"Intel(R) Core(TM) i3-2100 CPU @ 3.10GHz", 5},
        {L"Intel(R) Core(TM)2 Duo CPU     E8400  @ 3.00GHz", 4},  // "core(tm)2", not "core2"
        {L"Intel(R) Core(TM)2 Quad CPU    Q6600  @ 2.40GHz", 4},
        {L"Intel Core2 Quad", 4},
        {L"Intel(R) Core(TM) CPU", 3},
        {L"Intel(R) Core(TM) Duo CPU      T2500  @ 2.00GHz", 3},
        {L"Intel(R) Core(TM) i9-9900K CPU @ 3.60GHz", 3},
        {L"Core(TM) i5", 6},
        {L"Intel(R) Core(TM) Ultra 7 155H", 3},
        {L"Intel(R) Pentium(R) 4 CPU 3.00GHz", 2},
        {L"Intel(R) Pentium(R) CPU G4560 @ 3.50GHz", 2},
        {L"Intel(R) Pentium(R) Dual  CPU  E2180  @ 2.00GHz", 2},
        {L"Pentium(R) Dual-Core  CPU      E5200  @ 2.50GHz", 3},  // "core" stands before "pentium"
        {L"Pentium Dual-Core", 3},
        {L"Intel(R) Celeron(R) CPU G1820 @ 2.70GHz", 1},
        {L"Celeron(R) Dual-Core CPU       T3000  @ 1.80GHz", 3},
        {L"Celeron(R) M processor         1.50GHz", 1},
        {L"Genuine Intel(R) CPU           T2300  @ 1.66GHz", 0},
        {L"Intel(R) Xeon(R) CPU E5-2680 v4 @ 2.40GHz", 0},
        {L"Intel(R) Atom(TM) CPU N270   @ 1.60GHz", 0},
        {L"", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.code, ProcessorFamilyCode(c.name)) << testing::PrintToString(std::wstring(c.name));
}

TEST(ProcessorFamilyTest, CoreWordsOfOtherMakersAreNoIntelCore) {
    const wchar_t* names[] = {
        L"AMD FX(tm)-8350 Eight-Core Processor",
        L"AMD Ryzen 7 5800X 8-Core Processor",
        L"AMD Ryzen 9 5950X 16-Core Processor",
        L"AMD Ryzen 3 1200 Quad-Core Processor",
        L"AMD Ryzen 5 1600 Six-Core Processor",
        L"Quad-Core AMD Opteron(tm) Processor 2356",
        L"AMD Athlon(tm) 64 X2 Dual Core Processor 4200+",
        L"AMD A10-7850K Radeon R7, 12 Compute Cores 4C+8G",
        L"AMD Phenom(tm) II X4 965 Processor",
        L"AMD Athlon(tm) 64 X2",
        L"Hygon C86 3185  8-core Processor",
        L"VIA Nano X2 L4350 @ 1.6+ GHz",
        L"ZHAOXIN KaiXian KX-6640MA@2.2+GHz",
    };
    for (const wchar_t* name : names)
        EXPECT_EQ(0, ProcessorFamilyCode(name)) << testing::PrintToString(std::wstring(name));
}

TEST(CpuBrandTest, BrandStringIsAtMost48Characters) {
    std::wstring brand = GetCpuBrandString();
    EXPECT_FALSE(brand.empty()) << "every x64 processor has the brand leaves";
    EXPECT_LE(brand.size(), 48u);
}

TEST(WmiProcessorTest, ProcessorsAreWalkedUntilOneIsMissing) {
    FakeWmiObject cpu0({{L"CurrentClockSpeed", FakeWmiValue::Number(2400)}});
    FakeWmiObject cpu1({{L"CurrentClockSpeed", FakeWmiValue::Number(3000)}});
    FakeWmiServices services;
    services.objects[ProcessorPath(0)] = &cpu0;
    services.objects[ProcessorPath(1)] = &cpu1;
    HardwareReport report;
    report.processor.clocks = {1, 2, 3};  // refilled, not appended to
    report.processor.totalClock = 99;

    ASSERT_TRUE(QueryWmiProcessor(report, services.Connector()));
    EXPECT_EQ(2u, report.processor.count);
    EXPECT_EQ((std::vector<uint32_t>{2400, 3000}), report.processor.clocks);
    EXPECT_EQ(5400u, report.processor.totalClock);
    EXPECT_EQ(GetCpuBrandString(), report.GetProcessorName());
    EXPECT_EQ(ProcessorFamilyCode(report.processor.name), report.processor.familyCode);
    // One connection per object path, the last one for the missing CPU2.
    EXPECT_EQ(3, services.connections);
    EXPECT_EQ((std::vector<std::wstring>{ProcessorPath(0), ProcessorPath(1), ProcessorPath(2)}),
              services.requestedPaths);
    EXPECT_EQ(0u, services.References());
    EXPECT_EQ(0u, cpu0.References());
    EXPECT_EQ(0u, cpu1.References());
}

TEST(WmiProcessorTest, ProcessorWithoutReadableSpeedEndsTheWalk) {
    struct Case {
        const char* name;
        std::map<std::wstring, FakeWmiValue> properties;
    } cases[] = {
        {"no speed property", {{L"Name", FakeWmiValue::Text(L"cpu")}}},
        {"null speed", {{L"CurrentClockSpeed", FakeWmiValue::Null()}}},
        {"speed that is no number", {{L"CurrentClockSpeed", FakeWmiValue::Text(L"fast")}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeWmiObject cpu0(c.properties);
        FakeWmiServices services;
        services.objects[ProcessorPath(0)] = &cpu0;
        HardwareReport report;
        EXPECT_FALSE(QueryWmiProcessor(report, services.Connector()));
        EXPECT_EQ(0u, report.processor.count);
        EXPECT_TRUE(report.processor.clocks.empty());
        EXPECT_EQ(0, report.processor.familyCode) << "left as it was";
        EXPECT_EQ(GetCpuBrandString(), report.processor.name);
        EXPECT_EQ(1, services.connections);
        EXPECT_EQ(0u, cpu0.References());
    }
}

TEST(WmiProcessorTest, FailedConnectionFindsNothing) {
    HardwareReport report;
    int connections = 0;
    WmiConnector failing = [&](WmiConnection&) { ++connections; };
    EXPECT_FALSE(QueryWmiProcessor(report, failing));
    EXPECT_FALSE(QueryWmiVideo(report, failing));
    EXPECT_EQ(2, connections);
}

TEST(WmiVideoTest, ControllersAreReadWithTheirProperties) {
    FakeWmiObject first({{L"Name", FakeWmiValue::Text(L"Fake Video 1")},
                         {L"PNPDeviceID", FakeWmiValue::Text(L"PCI\\VEN_1234")},
                         {L"AdapterRAM", FakeWmiValue::Number(268435456)},
                         {L"MinRefreshRate", FakeWmiValue::Number(56)},
                         {L"MaxRefreshRate", FakeWmiValue::Number(75)}});
    // A 3840 MB adapter: WMI hands the unsigned value over as a negative VT_I4.
    FakeWmiObject second({{L"Name", FakeWmiValue::Null()},
                          {L"AdapterRAM", FakeWmiValue::Number(static_cast<LONG>(0xF0000000u))},
                          {L"MinRefreshRate", FakeWmiValue::Null()}});
    FakeWmiEnumerator enumerator;
    enumerator.items = {&first, &second};
    FakeWmiServices services;
    services.enumerator = &enumerator;
    HardwareReport report;
    report.videoControllers.resize(5);  // refilled

    ASSERT_TRUE(QueryWmiVideo(report, services.Connector()));
    ASSERT_EQ(2u, report.videoControllers.size());
    const VideoControllerInfo& a = report.videoControllers[0];
    EXPECT_EQ(L"Fake Video 1", a.name);
    EXPECT_EQ(L"PCI\\VEN_1234", a.pnpDeviceId);
    EXPECT_EQ(268435456u, a.adapterRam);
    EXPECT_EQ(56u, a.minRefreshRate);
    EXPECT_EQ(75u, a.maxRefreshRate);
    const VideoControllerInfo& b = report.videoControllers[1];
    EXPECT_EQ(L"", b.name);
    EXPECT_EQ(L"", b.pnpDeviceId);
    EXPECT_EQ(0xF0000000u, b.adapterRam);
    EXPECT_EQ(0u, b.minRefreshRate);
    EXPECT_EQ(0u, b.maxRefreshRate);

    EXPECT_EQ(L"Fake Video 1", report.GetVideoName());
    EXPECT_EQ(3840u, report.GetLargestVideoMemoryMB());
    EXPECT_EQ((std::vector<std::wstring>{L"Win32_VideoController"}), services.enumeratedClasses);
    EXPECT_EQ((std::vector<LONG>{WBEM_FLAG_SHALLOW}), services.enumerationFlags);
    EXPECT_EQ((std::vector<LONG>{10000, 10000, 10000}), enumerator.timeouts);
    EXPECT_EQ((std::vector<ULONG>{1, 1, 1}), enumerator.counts);
    EXPECT_EQ(1, services.connections);
    EXPECT_EQ(0u, services.References());
    EXPECT_EQ(0u, enumerator.References());
    EXPECT_EQ(0u, first.References());
    EXPECT_EQ(0u, second.References());
}

TEST(WmiVideoTest, AnyOtherResultOfNextEndsTheWalk) {
    struct Case {
        const char* name;
        HRESULT result;
    } cases[] = {
        {"time-out", WBEM_S_TIMEDOUT},
        {"failure", static_cast<HRESULT>(WBEM_E_FAILED)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeWmiObject video({{L"Name", FakeWmiValue::Text(L"V")}, {L"AdapterRAM", FakeWmiValue::Number(1 << 20)}});
        FakeWmiEnumerator enumerator;
        enumerator.items = {&video, &video};
        enumerator.results[1] = c.result;
        FakeWmiServices services;
        services.enumerator = &enumerator;
        HardwareReport report;
        ASSERT_TRUE(QueryWmiVideo(report, services.Connector()));
        EXPECT_EQ(1u, report.videoControllers.size());
        EXPECT_EQ(2u, enumerator.calls);
        EXPECT_EQ(1u, report.GetLargestVideoMemoryMB());
    }
}

TEST(WmiVideoTest, NoControllersGiveEmptySummaries) {
    FakeWmiEnumerator empty;
    FakeWmiServices withEmpty;
    withEmpty.enumerator = &empty;
    FakeWmiServices withoutClass;  // CreateInstanceEnum fails
    FakeWmiServices* cases[] = {&withEmpty, &withoutClass};
    for (FakeWmiServices* services : cases) {
        HardwareReport report;
        EXPECT_FALSE(QueryWmiVideo(report, services->Connector()));
        EXPECT_TRUE(report.GetVideoName().empty());
        EXPECT_EQ(0u, report.GetLargestVideoMemoryMB());
        EXPECT_EQ(0u, services->References());
    }
}

// Wine's own WMI provider answers both classes.
TEST(WmiSystemTest, SystemProcessorsAndVideoAreRead) {
    HardwareReport report;
    ASSERT_TRUE(QueryWmiProcessor(report));
    EXPECT_EQ(report.processor.count, report.processor.clocks.size());
    uint32_t sum = 0;
    for (uint32_t clock : report.processor.clocks)
        sum += clock;
    EXPECT_EQ(sum, report.processor.totalClock);
    EXPECT_EQ(GetCpuBrandString(), report.GetProcessorName());

    if (QueryWmiVideo(report))
        EXPECT_EQ(report.videoControllers.front().name, report.GetVideoName());
    else
        EXPECT_TRUE(report.GetVideoName().empty());
}

}  // namespace
}  // namespace Tessar
