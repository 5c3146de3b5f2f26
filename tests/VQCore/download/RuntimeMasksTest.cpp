#include "VQCore/download/RuntimeMasks.h"

#include <windows.h>
#include <msi.h>

#include <gtest/gtest.h>

#include "tests/VQCore/download/RuntimeMachine.h"

namespace Tessar {
namespace {

const wchar_t kUninstall[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Product codes of the Visual C++ runtimes: the first of each bit by column.
const wchar_t* const kX86First[] = {L"A49F249F-0C91-497F-86DF-B2585E8E76B7", L"7299052B-02A4-4627-81F2-1818DA5D550D",
                                    L"196BB40D-1578-3D01-B289-BEFC77A11A1E", L"9A25302D-30C0-39D9-BD6F-21E6EC160475",
                                    L"196BB40D-1578-3D01-B289-BEFC77A11A1E", L"F0C3E5D1-1ADE-321E-8167-68EF0DE699A5"};

std::wstring Braced(const std::wstring& code) {
    return L"{" + code + L"}";
}

TEST(DetectVcRuntimes, ArchitectureChoosesTheColumn) {
    struct Case {
        const char* label;
        uint16_t architecture;
        const wchar_t* code;  // one installed product
        uint32_t expected;
    };
    const Case cases[] = {
        {"x86 base", PROCESSOR_ARCHITECTURE_INTEL, L"A49F249F-0C91-497F-86DF-B2585E8E76B7", 0x01},
        {"x86 second SP code", PROCESSOR_ARCHITECTURE_INTEL, L"837B34E3-7C30-493C-8F6A-2B0F04E2912C", 0x02},
        {"x86 third SP, last code", PROCESSOR_ARCHITECTURE_INTEL, L"9BE518E6-ECC6-35A9-88E4-87755C07200F", 0x08},
        {"x86 shared code sets two bits", PROCESSOR_ARCHITECTURE_INTEL, L"196BB40D-1578-3D01-B289-BEFC77A11A1E",
         0x14},
        {"x64 code on x86 counts not", PROCESSOR_ARCHITECTURE_INTEL, L"6E8E85E8-CE4B-4FF5-91F7-04999C9FAE6A", 0},
        {"x64 base", PROCESSOR_ARCHITECTURE_AMD64, L"6E8E85E8-CE4B-4FF5-91F7-04999C9FAE6A", 0x01},
        {"x64 last", PROCESSOR_ARCHITECTURE_AMD64, L"1D8E6291-B0D5-35EC-8441-6616F567A0F7", 0x20},
        {"x86 code on x64 counts not", PROCESSOR_ARCHITECTURE_AMD64, L"A49F249F-0C91-497F-86DF-B2585E8E76B7", 0},
        {"ia64", PROCESSOR_ARCHITECTURE_IA64, L"515643D1-4E9E-342F-A75A-D1F16448DC04", 0x08},
        {"ia64 shared", PROCESSOR_ARCHITECTURE_IA64, L"C1A35166-4301-38E9-BA67-02823AD72A1B", 0x14},
        {"unknown is x86", 0x1234, L"F0C3E5D1-1ADE-321E-8167-68EF0DE699A5", 0x20},
        {"ARM is x86", PROCESSOR_ARCHITECTURE_ARM, L"A49F249F-0C91-497F-86DF-B2585E8E76B7", 0x01},
    };
    for (const Case& c : cases) {
        VQRuntimeMachine machine;
        machine.architecture = c.architecture;
        machine.msiStates[Braced(c.code)] = 5;
        uint32_t mask = 0xFFFF;
        DetectVcRuntimes(mask, machine.Environment());
        EXPECT_EQ(c.expected, mask) << c.label;
    }
}

TEST(DetectVcRuntimes, SixtyFourBitMachineAsksOnlyItsColumn) {
    VQRuntimeMachine machine;
    machine.architecture = PROCESSOR_ARCHITECTURE_AMD64;
    uint32_t mask = 0;
    DetectVcRuntimes(mask, machine.Environment());
    EXPECT_EQ(0u, mask);
    const std::vector<std::wstring> expected = {
        L"{6E8E85E8-CE4B-4FF5-91F7-04999C9FAE6A}", L"{071C9B48-7C32-4621-A0AC-3F809523288F}",
        L"{6CE5BAE9-D3CA-4B99-891A-1DC6C118A5FC}", L"{DA5E371C-6333-3D8A-93A4-6FD5B20BCC6E}",
        L"{8220EEFE-38CD-377E-8595-13398D740ACE}", L"{4B6C7001-C7D6-3710-913E-5BC23FCE91E6}",
        L"{5FCE6D76-F5DC-37AB-B2B8-22AB8CEDB1D4}", L"{DA5E371C-6333-3D8A-93A4-6FD5B20BCC6E}",
        L"{1D8E6291-B0D5-35EC-8441-6616F567A0F7}"};
    EXPECT_EQ(expected, machine.msiQueries);
}

TEST(DetectVcRuntimes, EveryFirstCodeSetsItsBit) {
    VQRuntimeMachine machine;
    for (const wchar_t* code : kX86First)
        machine.msiStates[Braced(code)] = 5;
    uint32_t mask = 0;
    DetectVcRuntimes(mask, machine.Environment());
    EXPECT_EQ(0x3Fu, mask);
}

TEST(IsMsiProductInstalled, OnlyTheDefaultStateCounts) {
    const std::wstring code = L"F0C3E5D1-1ADE-321E-8167-68EF0DE699A5";
    struct Case {
        int32_t state;
        bool expected;
    };
    // advertised, absent, unknown, local, source, default, invalid argument
    const Case cases[] = {{1, false}, {2, false}, {-1, false}, {3, false}, {4, false}, {5, true}, {-2, false}};
    for (const Case& c : cases) {
        VQRuntimeMachine machine;
        // An Uninstall entry is there, but with msi.dll present it is never asked.
        ASSERT_TRUE(machine.CreateKey(kUninstall + Braced(code)));
        machine.msiStates[Braced(code)] = c.state;
        EXPECT_EQ(c.expected, IsMsiProductInstalled(code, machine.Environment())) << c.state;
        ASSERT_EQ(1u, machine.msiQueries.size());
        EXPECT_EQ(Braced(code), machine.msiQueries[0]);
    }
}

TEST(IsMsiProductInstalled, WithoutMsiTheUninstallKeyDecides) {
    const std::wstring code = L"A49F249F-0C91-497F-86DF-B2585E8E76B7";
    VQRuntimeMachine machine;
    machine.msiInstalled = false;
    EXPECT_FALSE(IsMsiProductInstalled(code, machine.Environment()));
    // The code without braces is not the key's name.
    ASSERT_TRUE(machine.CreateKey(kUninstall + code));
    EXPECT_FALSE(IsMsiProductInstalled(code, machine.Environment()));
    ASSERT_TRUE(machine.CreateKey(kUninstall + Braced(code)));
    EXPECT_TRUE(IsMsiProductInstalled(code, machine.Environment()));

    uint32_t mask = 0;
    DetectVcRuntimes(mask, machine.Environment());
    EXPECT_EQ(0x01u, mask);
}

TEST(IsMsiProductInstalled, RealMsiAnswersForAnUnknownProduct) {
    // No product has this code; the real msi.dll (or its absence) says so.
    EXPECT_FALSE(IsMsiProductInstalled(L"00000000-1111-2222-3333-444444444444"));
}

const wchar_t kNdp[] = L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\";

TEST(DetectDotNet, BitsByReleaseAndServicePack) {
    struct Release {
        const wchar_t* key;
        uint32_t install;
        int64_t servicePack;  // -1: no "SP" value
    };
    struct Case {
        const char* label;
        std::vector<Release> releases;
        uint32_t expected;
    };
    const Case cases[] = {
        {"nothing", {}, 0},
        {"2.0 SP0", {{L"v2.0.50727", 1, 0}}, 0x001},
        {"2.0 SP1", {{L"v2.0.50727", 1, 1}}, 0x002},
        {"2.0 SP2", {{L"v2.0.50727", 1, 2}}, 0x004},
        {"2.0 SP3 sets nothing", {{L"v2.0.50727", 1, 3}}, 0},
        {"2.0 no SP is level 0", {{L"v2.0.50727", 1, -1}}, 0x001},
        {"2.0 SP low byte", {{L"v2.0.50727", 1, 0x102}}, 0x004},
        {"2.0 not installed", {{L"v2.0.50727", 0, 2}}, 0},
        {"2.0 no Install value", {{L"v2.0.50727", 0xFFFFFFFF, 1}}, 0},
        {"3.0 SP0", {{L"v3.0", 1, 0}}, 0x008},
        {"3.0 SP1", {{L"v3.0", 1, 1}}, 0x010},
        {"3.0 SP2", {{L"v3.0", 1, 2}}, 0x020},
        {"3.5 SP0", {{L"v3.5", 1, 0}}, 0x040},
        {"3.5 SP1", {{L"v3.5", 1, 1}}, 0x080},
        {"3.5 SP2 sets nothing", {{L"v3.5", 1, 2}}, 0},
        {"4 Full any level", {{L"v4\\Full", 1, 7}}, 0x100},
        {"4 Client any level", {{L"v4\\Client", 2, -1}}, 0x200},
        {"all", {{L"v2.0.50727", 1, 2}, {L"v3.0", 1, 2}, {L"v3.5", 1, 1}, {L"v4\\Full", 1, 0}, {L"v4\\Client", 1, 0}},
         0x3A4},
    };
    for (const Case& c : cases) {
        VQRuntimeMachine machine;
        for (const Release& release : c.releases) {
            const std::wstring key = kNdp + std::wstring(release.key);
            ASSERT_TRUE(machine.CreateKey(key));
            if (release.install != 0xFFFFFFFF) {
                ASSERT_TRUE(machine.SetDword(key, L"Install", release.install));
            }
            if (release.servicePack >= 0) {
                ASSERT_TRUE(machine.SetDword(key, L"SP", static_cast<uint32_t>(release.servicePack)));
            }
        }
        uint32_t mask = 0xFFFF;
        DetectDotNet(mask, machine.Environment());
        EXPECT_EQ(c.expected, mask) << c.label;
    }
}

const wchar_t kXna[] = L"SOFTWARE\\Microsoft\\XNA\\Framework\\";

TEST(DetectXna, NeedsTheKeyTheNativeLibraryAndAVersion) {
    enum Setup { kComplete, kNoKey, kNoPathValue, kNoLibrary, kWrongLibrary, kNoVersionAnywhere, kFileVersionOnly,
                 kEmptyProductVersion };
    struct Case {
        const char* label;
        const wchar_t* release;
        const wchar_t* library;
        Setup setup;
        uint32_t expected;
    };
    const Case cases[] = {
        {"1.0", L"v1.0", L"XnaNative1.dll", kComplete, 0x01},
        {"2.0", L"v2.0", L"XnaNative2.dll", kComplete, 0x02},
        {"3.0", L"v3.0", L"XnaNative.dll", kComplete, 0x04},
        {"3.1", L"v3.1", L"XnaNative.dll", kComplete, 0x08},
        {"4.0", L"v4.0", L"XnaNative.dll", kComplete, 0x10},
        {"no key", L"v4.0", L"XnaNative.dll", kNoKey, 0},
        {"no NativeLibraryPath", L"v4.0", L"XnaNative.dll", kNoPathValue, 0},
        {"library missing", L"v4.0", L"XnaNative.dll", kNoLibrary, 0},
        {"1.0 with the 3.0 library", L"v1.0", L"XnaNative.dll", kWrongLibrary, 0},
        {"no version anywhere", L"v3.1", L"XnaNative.dll", kNoVersionAnywhere, 0},
        {"file version only", L"v2.0", L"XnaNative2.dll", kFileVersionOnly, 0x02},
        {"empty ProductVersion, file has none", L"v2.0", L"XnaNative2.dll", kEmptyProductVersion, 0},
    };
    for (const Case& c : cases) {
        VQRuntimeMachine machine;
        const std::wstring key = kXna + std::wstring(c.release);
        const std::wstring folder = machine.Files().PathOf(L"XNA");
        ASSERT_TRUE(machine.Files().MakeFolder(L"XNA"));
        const bool fileVersioned = c.setup == kFileVersionOnly || c.setup == kComplete;
        const uint16_t version[4] = {4, 0, 20823, 0};
        if (c.setup != kNoLibrary) {
            const std::wstring name = c.setup == kWrongLibrary ? L"XnaNative.dll" : c.library;
            ASSERT_TRUE(MakeStubLibrary(folder + L"\\" + name, false, fileVersioned ? version : nullptr));
        }
        if (c.setup != kNoKey) {
            ASSERT_TRUE(machine.CreateKey(key));
            if (c.setup != kNoPathValue) {
                ASSERT_TRUE(machine.SetString(key, L"NativeLibraryPath", folder + L"\\"));
            }
            if (c.setup == kComplete || c.setup == kWrongLibrary) {
                ASSERT_TRUE(machine.SetString(key, L"ProductVersion", L"4.0.20823.0"));
            }
            if (c.setup == kEmptyProductVersion) {
                ASSERT_TRUE(machine.SetString(key, L"ProductVersion", L""));
            }
        }
        uint32_t mask = 0xFFFF;
        DetectXna(mask, machine.Environment());
        EXPECT_EQ(c.expected, mask) << c.label;
    }
}

// The environment every detector uses outside the tests reaches the real
// system: msi.dll answers (an unknown product is unknown, not "no msi.dll"),
// the system folder is the system's, the registry is the machine's in both
// views, and the processor is this build's word size.
TEST(RuntimeMasks, DefaultEnvironmentIsTheRealSystem) {
    const VQDetectEnvironment environment;
    int32_t state = 5;
    ASSERT_TRUE(environment.msiProductState(L"{00000000-1111-2222-3333-444444444444}", state))
        << "msi.dll or MsiQueryProductStateW not reached";
    EXPECT_EQ(INSTALLSTATE_UNKNOWN, state);
    EXPECT_FALSE(IsMsiProductInstalled(L"00000000-1111-2222-3333-444444444444"));

    wchar_t system[MAX_PATH + 1] = {};
    ASSERT_NE(0u, ::GetSystemDirectoryW(system, MAX_PATH));
    EXPECT_EQ(std::wstring(system), environment.SystemFolder());

    for (VQRegistryView view : {VQRegistryView::k32Bit, VQRegistryView::k64Bit}) {
        VQRegKeyHolder key;
        EXPECT_TRUE(environment.localMachine.Open(key, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", view))
            << (view == VQRegistryView::k64Bit ? "64-bit view" : "32-bit view");
        // The native view holds the system's own values.
        std::wstring name;
        if (view == VQRegistryView::k64Bit && sizeof(void*) == 8) {
            EXPECT_TRUE(key.RegQueryString(L"ProductName", name));
            EXPECT_FALSE(name.empty());
        }
    }
    if (sizeof(void*) == 8) {
        EXPECT_EQ(PROCESSOR_ARCHITECTURE_AMD64, environment.processorArchitecture());
    }
}

}  // namespace
}  // namespace Tessar
