#include "VQCore/download/SoftwareDetect.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/VQCore/download/RuntimeMachine.h"

namespace Tessar {
namespace {

const CLSID kFlashClsid = {0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const wchar_t kPhysXKey[] = L"SOFTWARE\\AGEIA Technologies";
const wchar_t kJavaKey[] = L"SOFTWARE\\JavaSoft\\Java Runtime Environment";
const wchar_t kFlashUninstall[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Adobe Flash Player ActiveX";
const wchar_t kFlashServer[] = L"CLSID\\{D27CDB6E-AE6D-11cf-96B8-444553540000}\\InprocServer32";

// Overwrites the machine field of a PE file's header.
bool SetMachineType(const std::wstring& path, WORD machineType) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD headerOffset = 0, done = 0;
    bool ok = ::SetFilePointer(file, 0x3C, nullptr, FILE_BEGIN) == 0x3C &&
              ::ReadFile(file, &headerOffset, sizeof(headerOffset), &done, nullptr) && done == sizeof(headerOffset) &&
              ::SetFilePointer(file, static_cast<LONG>(headerOffset + 4), nullptr, FILE_BEGIN) == headerOffset + 4 &&
              ::WriteFile(file, &machineType, sizeof(machineType), &done, nullptr) && done == sizeof(machineType);
    ::CloseHandle(file);
    return ok;
}

template <typename Detector>
void ExpectVersion(const Detector& detector, uint32_t a, uint32_t b, uint32_t c, uint32_t d, const char* label) {
    EXPECT_EQ(a, detector.version[0]) << label;
    EXPECT_EQ(b, detector.version[1]) << label;
    EXPECT_EQ(c, detector.version[2]) << label;
    EXPECT_EQ(d, detector.version[3]) << label;
}

TEST(LibraryDetect, VersionAndLoadDecide) {
    enum Setup { kVersioned, kZeroMajor, kUnversioned, kMissing, kNotALibrary };
    struct Case {
        const char* label;
        Setup setup;
        uint8_t installed;
        bool isInstalled;
    };
    const Case cases[] = {
        {"versioned", kVersioned, 1, true},
        {"major 0", kZeroMajor, 1, false},
        {"no version", kUnversioned, 0, false},
        {"missing", kMissing, 0, false},
        // Carries a version resource but is no library the loader takes.
        {"not a library", kNotALibrary, 0, false},
    };
    for (bool openAl : {false, true}) {
        for (const Case& c : cases) {
            VQRuntimeMachine machine;
            const std::wstring name = openAl ? L"OpenAL32.dll" : L"Xlive.dll";
            switch (c.setup) {
            case kVersioned:
                ASSERT_TRUE(machine.AddSystemLibrary(name, 3, 5, 95, 0));
                break;
            case kZeroMajor:
                ASSERT_TRUE(machine.AddSystemLibrary(name, 0, 5, 95, 0));
                break;
            case kUnversioned:
                ASSERT_TRUE(MakeStubLibrary(machine.SystemFile(name), false, nullptr));
                break;
            case kMissing:
                break;
            case kNotALibrary: {
                // A library of another machine type, as a 32-bit runtime
                // looks to this 64-bit program: its version reads, the
                // loader refuses it.
                ASSERT_TRUE(machine.AddSystemLibrary(name, 3, 5, 95, 0));
                ASSERT_TRUE(SetMachineType(machine.SystemFile(name), IMAGE_FILE_MACHINE_I386));
                break;
            }
            }
            std::unique_ptr<VQLibraryDetect> detector;
            if (openAl)
                detector.reset(new VQOpenALDetect());
            else
                detector.reset(new VQXLiveDetect());
            detector->SetEnvironment(machine.Environment());
            detector->Detect();
            EXPECT_EQ(c.installed, detector->installed) << c.label << (openAl ? " OpenAL" : " XLive");
            EXPECT_EQ(c.isInstalled, detector->IsInstalled()) << c.label << (openAl ? " OpenAL" : " XLive");
            if (c.setup == kVersioned)
                ExpectVersion(*detector, 3, 5, 95, 0, c.label);
            if (c.setup == kMissing)
                ExpectVersion(*detector, 0, 0, 0, 0, c.label);
        }
    }
}

TEST(LibraryDetect, DetectAgainForgetsARemovedLibrary) {
    VQRuntimeMachine machine;
    ASSERT_TRUE(machine.AddSystemLibrary(L"Xlive.dll", 3, 5, 95, 0));
    VQXLiveDetect detector;
    detector.SetEnvironment(machine.Environment());
    detector.Detect();
    ASSERT_TRUE(detector.IsInstalled());
    ASSERT_TRUE(::DeleteFileW(machine.SystemFile(L"Xlive.dll").c_str()));
    detector.Detect();
    EXPECT_EQ(0, detector.installed);
    EXPECT_FALSE(detector.IsInstalled());
    // The version fields keep what was found before.
    ExpectVersion(detector, 3, 5, 95, 0, "after removal");
}

TEST(PhysXDetect, RegistryDigitPairsAndTheLoader) {
    enum Setup { kComplete, kNoKey, kNoValue, kNoLoader, kNoExport, kUnversionedLoader };
    struct Case {
        const char* label;
        Setup setup;
        uint32_t value;
        uint32_t registry[4];
        uint8_t installed;
    };
    const Case cases[] = {
        {"2.8.3.3", kComplete, 2080303, {2, 8, 3, 3}, 1},
        {"digits above the millions are cut", kComplete, 912345678, {12, 34, 56, 78}, 1},
        {"zero", kComplete, 0, {0, 0, 0, 0}, 1},
        {"no key", kNoKey, 0, {9, 9, 9, 9}, 0},
        {"no value", kNoValue, 0, {9, 9, 9, 9}, 0},
        {"no loader", kNoLoader, 9010911, {9, 1, 9, 11}, 0},
        {"loader without the export", kNoExport, 9010911, {9, 1, 9, 11}, 0},
        {"loader without a version", kUnversionedLoader, 9010911, {9, 1, 9, 11}, 0},
    };
    for (const Case& c : cases) {
        VQRuntimeMachine machine;
        if (c.setup == kNoValue) {
            ASSERT_TRUE(machine.CreateKey(kPhysXKey));
        }
        if (c.setup != kNoKey && c.setup != kNoValue) {
            ASSERT_TRUE(machine.SetDword(kPhysXKey, L"PhysX Version", c.value));
        }
        if (c.setup == kUnversionedLoader) {
            ASSERT_TRUE(MakeStubLibrary(machine.SystemFile(L"PhysXLoader.dll"), true, nullptr));
        } else if (c.setup != kNoLoader) {
            ASSERT_TRUE(machine.AddSystemLibrary(L"PhysXLoader.dll", 2, 8, 3, 3, c.setup != kNoExport));
        }
        // The loader is there in every case but the registry ones; the
        // registry decides whether it is looked at.
        if (c.setup == kNoKey || c.setup == kNoValue) {
            ASSERT_TRUE(machine.AddSystemLibrary(L"PhysXLoader.dll", 2, 8, 3, 3));
        }

        VQPhysXDetect detector;
        for (uint32_t& part : detector.registryVersion)
            part = 9;
        detector.SetEnvironment(machine.Environment());
        detector.Detect();
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(c.registry[i], detector.registryVersion[i]) << c.label << " part " << i;
        }
        EXPECT_EQ(c.installed, detector.installed) << c.label;
        EXPECT_EQ(c.installed != 0, detector.IsInstalled()) << c.label;
        if (c.setup == kComplete || c.setup == kNoExport) {
            EXPECT_EQ(2u, detector.fileVersion[0]) << c.label;
            EXPECT_EQ(3u, detector.fileVersion[3]) << c.label;
        } else {
            EXPECT_EQ(0u, detector.fileVersion[0]) << c.label;
        }
    }
}

TEST(PhysXDetect, LoaderWithMajorZeroIsNotInstalled) {
    VQRuntimeMachine machine;
    ASSERT_TRUE(machine.SetDword(kPhysXKey, L"PhysX Version", 2080303));
    ASSERT_TRUE(machine.AddSystemLibrary(L"PhysXLoader.dll", 0, 8, 3, 3));
    VQPhysXDetect detector;
    detector.SetEnvironment(machine.Environment());
    detector.Detect();
    EXPECT_EQ(1, detector.installed);
    EXPECT_FALSE(detector.IsInstalled());
}

// A Java runtime written into one registry view of a 64-bit machine: the
// keys through SetString or SetString64, the runtime library a stand-in
// built for the view's word size (the 32-bit one by its header only).
struct JavaView {
    const char* name;
    bool is64Bit;
};
const JavaView kJavaViews[] = {{"64-bit view", true}, {"32-bit view", false}};

bool SetJavaString(VQRuntimeMachine& machine, bool is64Bit, const std::wstring& key, const std::wstring& name,
                   const std::wstring& value) {
    return is64Bit ? machine.SetString64(key, name, value) : machine.SetString(key, name, value);
}

// A complete runtime of that version in the view, its library at library.
bool AddJava(VQRuntimeMachine& machine, bool is64Bit, const std::wstring& version, const std::wstring& library) {
    const std::wstring release = std::wstring(kJavaKey) + L"\\" + version;
    return MakeStubLibrary(library, false, nullptr) &&
           (is64Bit || SetMachineType(library, IMAGE_FILE_MACHINE_I386)) &&
           SetJavaString(machine, is64Bit, kJavaKey, L"CurrentVersion", version) &&
           SetJavaString(machine, is64Bit, release, L"JavaHome", L"C:\\jre") &&
           SetJavaString(machine, is64Bit, release, L"RuntimeLib", library);
}

TEST(JavaDetect, CurrentVersionLeadsToTheRuntimeLibrary) {
    enum Setup { kComplete, kNoKey, kNoCurrent, kEmptyCurrent, kNoRelease, kNoHome, kEmptyHome, kNoLibraryValue,
                 kEmptyLibraryValue, kLibraryMissing, kLibraryOfTheOtherView };
    struct Case {
        const char* label;
        Setup setup;
        const wchar_t* current;
        int32_t version[4];
        uint8_t installed;
    };
    const Case cases[] = {
        {"1.6", kComplete, L"1.6", {1, 6, 0, 0}, 1},
        {"1.6.0_20", kComplete, L"1.6.0_20", {1, 6, 0, 0}, 1},
        {"negative major", kComplete, L"-1.6", {-1, 6, 0, 0}, 1},
        {"no key", kNoKey, L"1.6", {0, 0, 0, 0}, 0},
        {"no CurrentVersion", kNoCurrent, L"1.6", {0, 0, 0, 0}, 0},
        {"empty CurrentVersion", kEmptyCurrent, L"", {0, 0, 0, 0}, 0},
        {"release key missing", kNoRelease, L"1.7", {1, 7, 0, 0}, 0},
        {"no JavaHome", kNoHome, L"1.6", {1, 6, 0, 0}, 0},
        {"empty JavaHome", kEmptyHome, L"1.6", {1, 6, 0, 0}, 0},
        {"no RuntimeLib", kNoLibraryValue, L"1.6", {1, 6, 0, 0}, 0},
        {"empty RuntimeLib", kEmptyLibraryValue, L"1.6", {1, 6, 0, 0}, 0},
        {"RuntimeLib missing", kLibraryMissing, L"1.6", {1, 6, 0, 0}, 0},
        {"RuntimeLib of the other word size", kLibraryOfTheOtherView, L"1.6", {1, 6, 0, 0}, 0},
    };
    for (const JavaView& view : kJavaViews) {
        for (const Case& c : cases) {
            const std::string label = std::string(view.name) + ": " + c.label;
            VQRuntimeMachine machine;
            machine.architecture = PROCESSOR_ARCHITECTURE_AMD64;
            const std::wstring library = machine.Files().PathOf(L"jre\\bin\\client\\jvm.dll");
            ASSERT_TRUE(machine.Files().MakeFolder(L"jre\\bin\\client"));
            if (c.setup != kLibraryMissing) {
                ASSERT_TRUE(MakeStubLibrary(library, false, nullptr));
                // The 32-bit view's runtime is a 32-bit library, the other
                // view's one of the other size.
                if (view.is64Bit == (c.setup == kLibraryOfTheOtherView)) {
                    ASSERT_TRUE(SetMachineType(library, IMAGE_FILE_MACHINE_I386));
                }
            }
            if (c.setup == kNoCurrent) {
                ASSERT_TRUE(SetJavaString(machine, view.is64Bit, kJavaKey, L"Other", L"x"));
            }
            if (c.setup != kNoKey && c.setup != kNoCurrent) {
                ASSERT_TRUE(SetJavaString(machine, view.is64Bit, kJavaKey, L"CurrentVersion", c.current));
            }
            // The release's values, under its own key (or, for the empty
            // name, under the runtime key itself, which must not count).
            const std::wstring release = c.setup == kEmptyCurrent ? std::wstring(kJavaKey)
                                         : c.setup == kNoRelease  ? std::wstring(kJavaKey) + L"\\1.6"
                                                                  : std::wstring(kJavaKey) + L"\\" + c.current;
            if (c.setup != kNoKey && c.setup != kNoCurrent) {
                if (c.setup != kNoHome) {
                    ASSERT_TRUE(SetJavaString(machine, view.is64Bit, release, L"JavaHome",
                                              c.setup == kEmptyHome ? L"" : L"C:\\jre"));
                }
                if (c.setup != kNoLibraryValue) {
                    ASSERT_TRUE(SetJavaString(machine, view.is64Bit, release, L"RuntimeLib",
                                              c.setup == kEmptyLibraryValue ? L"" : library));
                }
            }
            VQJavaDetect detector;
            detector.SetEnvironment(machine.Environment());
            detector.Detect();
            for (int i = 0; i < 4; ++i) {
                EXPECT_EQ(c.version[i], detector.version[i]) << label << " part " << i;
            }
            EXPECT_EQ(c.installed, detector.installed) << label;
            EXPECT_EQ(c.installed != 0 && c.version[0] > 0, detector.IsInstalled()) << label;
            // Whatever was found, no library stays loaded in this process.
            EXPECT_EQ(nullptr, ::GetModuleHandleW(library.c_str())) << label;
        }
    }
}

// The 64-bit view is asked first; the 32-bit view only when it holds no
// complete runtime. A 32-bit Windows has the 32-bit view alone.
TEST(JavaDetect, BothViewsOfA64BitWindowsAreAsked) {
    struct Case {
        const char* label;
        uint16_t architecture;
        const wchar_t* version64;  // null: none; "" : CurrentVersion only
        const wchar_t* version32;
        int32_t major, minor;
        uint8_t installed;
    };
    const Case cases[] = {
        {"64-bit runtime only", PROCESSOR_ARCHITECTURE_AMD64, L"1.8", nullptr, 1, 8, 1},
        {"32-bit runtime only", PROCESSOR_ARCHITECTURE_AMD64, nullptr, L"1.6", 1, 6, 1},
        {"both: the 64-bit one", PROCESSOR_ARCHITECTURE_AMD64, L"1.8", L"1.6", 1, 8, 1},
        {"incomplete 64-bit, complete 32-bit", PROCESSOR_ARCHITECTURE_AMD64, L"", L"1.6", 1, 6, 1},
        {"incomplete 64-bit alone", PROCESSOR_ARCHITECTURE_AMD64, L"", nullptr, 1, 9, 0},
        {"32-bit Windows ignores the 64-bit tree", PROCESSOR_ARCHITECTURE_INTEL, L"1.8", nullptr, 0, 0, 0},
        {"32-bit Windows finds its runtime", PROCESSOR_ARCHITECTURE_INTEL, L"1.8", L"1.6", 1, 6, 1},
    };
    for (const Case& c : cases) {
        VQRuntimeMachine machine;
        machine.architecture = c.architecture;
        if (c.version64 != nullptr && *c.version64 == L'\0') {
            ASSERT_TRUE(machine.SetString64(kJavaKey, L"CurrentVersion", L"1.9")) << c.label;
        } else if (c.version64 != nullptr) {
            ASSERT_TRUE(AddJava(machine, true, c.version64, machine.Files().PathOf(L"jvm64.dll"))) << c.label;
        }
        if (c.version32 != nullptr) {
            ASSERT_TRUE(AddJava(machine, false, c.version32, machine.Files().PathOf(L"jvm32.dll"))) << c.label;
        }
        VQJavaDetect detector;
        detector.SetEnvironment(machine.Environment());
        detector.Detect();
        EXPECT_EQ(c.major, detector.version[0]) << c.label;
        EXPECT_EQ(c.minor, detector.version[1]) << c.label;
        EXPECT_EQ(c.installed, detector.installed) << c.label;
    }
}

TEST(FlashDetect, ProgIdDecidesAndTheTextComesFromUninstallOrTheControl) {
    enum Setup { kNotRegistered, kUninstallEntry, kControlOnly, kControlUnversioned, kNoServerKey,
                 kUninstallWithoutName };
    struct Case {
        const char* label;
        Setup setup;
        uint8_t installed;
        const wchar_t* text;
    };
    const Case cases[] = {
        {"not registered", kNotRegistered, 0, L"old"},
        {"Uninstall entry", kUninstallEntry, 1, L"Adobe Flash Player 10 ActiveX"},
        {"control file only", kControlOnly, 1, L"Adobe Flash Player 11 ActiveX"},
        {"Uninstall key without the name", kUninstallWithoutName, 1, L"Adobe Flash Player 11 ActiveX"},
        {"control without a version", kControlUnversioned, 1, L"old"},
        {"no server key", kNoServerKey, 1, L"old"},
    };
    for (const Case& c : cases) {
        VQRuntimeMachine machine;
        const std::wstring control = machine.Files().PathOf(L"Flash11e.ocx");
        ASSERT_TRUE(MakeStubLibrary(control, false, 11, 9, 900, 117));
        if (c.setup == kControlUnversioned) {
            ASSERT_TRUE(MakeStubLibrary(control, false, nullptr));
        }
        if (c.setup != kNotRegistered)
            machine.progIds[L"ShockwaveFlash.ShockwaveFlash"] = kFlashClsid;
        if (c.setup == kUninstallEntry) {
            ASSERT_TRUE(machine.SetString(kFlashUninstall, L"DisplayName", L"Adobe Flash Player 10 ActiveX"));
        }
        if (c.setup == kUninstallWithoutName) {
            ASSERT_TRUE(machine.SetString(kFlashUninstall, L"Publisher", L"Adobe Systems"));
        }
        if (c.setup != kNoServerKey) {
            ASSERT_TRUE(machine.SetString(kFlashServer, L"", control, true));
        }
        VQFlashDetect detector;
        detector.versionText = L"old";
        detector.SetEnvironment(machine.Environment());
        detector.Detect();
        EXPECT_EQ(c.installed, detector.installed) << c.label;
        EXPECT_EQ(c.installed != 0, detector.IsInstalled()) << c.label;
        EXPECT_EQ(std::wstring(c.text), detector.versionText) << c.label;
    }
}

// A single-library detector for any library name, to try the real
// system's loader search with libraries that every system has.
class AnyLibraryDetect : public VQLibraryDetect {
public:
    explicit AnyLibraryDetect(const wchar_t* library) : VQLibraryDetect(library) {}
};

// Outside the tests the detectors find a library named without a folder
// through the loader's search and read its version from the system's copy.
TEST(SoftwareDetect, RealSystemLibrariesAreFoundByName) {
    AnyLibraryDetect kernel(L"kernel32.dll");
    kernel.Detect();
    EXPECT_EQ(1, kernel.installed);
    EXPECT_TRUE(kernel.IsInstalled());
    EXPECT_GE(kernel.version[0], 5u) << "kernel32.dll's product version";

    AnyLibraryDetect missing(L"VQNoSuchRuntime.dll");
    missing.Detect();
    EXPECT_EQ(0, missing.installed);
    EXPECT_FALSE(missing.IsInstalled());
}

}  // namespace
}  // namespace Tessar
