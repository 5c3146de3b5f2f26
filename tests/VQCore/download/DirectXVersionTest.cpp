#include "VQCore/download/DirectXVersion.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <map>
#include <vector>

#include "VQCore/download/VersionProbe.h"
#include "tests/VQCore/download/FakeDxDiag.h"
#include "tests/VQCore/download/RuntimeMachine.h"

namespace Tessar {
namespace {

struct SystemFile {
    const wchar_t* name;
    uint16_t version[4];
    bool versioned;
};

struct FileCase {
    const char* label;
    std::vector<SystemFile> files;
    HRESULT result;
    uint32_t major;
    uint32_t minor;
    wchar_t letter;
};

TEST(DetectDirectXVersion, FileTableLastPassingTestWins) {
    const FileCase cases[] = {
        {"no files", {}, E_FAIL, 0, 0, L' '},
        {"ddraw below 1.0", {{L"ddraw.dll", {4, 2, 0, 94}, true}}, E_FAIL, 0, 0, L' '},
        {"ddraw 1.0", {{L"ddraw.dll", {4, 2, 0, 95}, true}}, S_OK, 1, 0, L' '},
        {"ddraw 2.0", {{L"ddraw.dll", {4, 3, 0, 1096}, true}}, S_OK, 2, 0, L' '},
        {"ddraw 3.0", {{L"ddraw.dll", {4, 4, 0, 68}, true}}, S_OK, 3, 0, L' '},
        {"3.0a", {{L"ddraw.dll", {4, 4, 0, 68}, true}, {L"d3drg8x.dll", {4, 4, 0, 70}, true}}, S_OK, 3, 0, L'a'},
        {"5.0", {{L"ddraw.dll", {4, 5, 0, 155}, true}}, S_OK, 5, 0, L' '},
        {"6.0", {{L"ddraw.dll", {4, 6, 0, 318}, true}}, S_OK, 6, 0, L' '},
        {"6.1", {{L"ddraw.dll", {4, 6, 0, 436}, true}}, S_OK, 6, 1, L' '},
        {"6.1a", {{L"ddraw.dll", {4, 6, 0, 436}, true}, {L"dplayx.dll", {4, 6, 3, 518}, true}}, S_OK, 6, 1, L'a'},
        {"7.0", {{L"ddraw.dll", {4, 7, 0, 700}, true}}, S_OK, 7, 0, L' '},
        {"7.0a", {{L"ddraw.dll", {4, 7, 0, 700}, true}, {L"dinput.dll", {4, 7, 0, 716}, true}}, S_OK, 7, 0, L'a'},
        {"8.0 on major 4", {{L"ddraw.dll", {4, 8, 0, 400}, true}}, S_OK, 8, 0, L' '},
        {"8.0 on major 5", {{L"ddraw.dll", {5, 1, 2258, 400}, true}}, S_OK, 8, 0, L' '},
        // Major 5 below its own minimum still passes the earlier whole-number tests.
        {"major 5 below 8.0", {{L"ddraw.dll", {5, 1, 2258, 399}, true}}, S_OK, 7, 0, L' '},
        {"major 6 is neither", {{L"ddraw.dll", {6, 0, 0, 0}, true}}, S_OK, 7, 0, L' '},
        {"8.1", {{L"d3d8.dll", {4, 8, 1, 881}, true}}, S_OK, 8, 1, L' '},
        {"8.1 on major 5", {{L"d3d8.dll", {5, 1, 2600, 881}, true}}, S_OK, 8, 1, L' '},
        {"8.1a", {{L"d3d8.dll", {5, 1, 2600, 901}, true}}, S_OK, 8, 1, L'a'},
        {"8.1b", {{L"d3d8.dll", {5, 1, 2600, 901}, true}, {L"mpg2splt.ax", {6, 3, 1, 885}, true}}, S_OK, 8, 1, L'b'},
        {"8.2", {{L"dpnet.dll", {5, 2, 3677, 134}, true}}, S_OK, 8, 2, L' '},
        {"8.2 on major 4", {{L"dpnet.dll", {4, 9, 0, 134}, true}}, S_OK, 8, 2, L' '},
        {"dpnet major 5 too old", {{L"dpnet.dll", {5, 2, 3677, 133}, true}}, E_FAIL, 0, 0, L' '},
        {"d3d9 any version", {{L"d3d9.dll", {0, 0, 0, 0}, true}}, S_OK, 9, 0, L' '},
        {"d3d9 without a version", {{L"d3d9.dll", {0, 0, 0, 0}, false}}, E_FAIL, 0, 0, L' '},
        {"9.0 after 8.1b", {{L"d3d8.dll", {5, 1, 2600, 901}, true}, {L"mpg2splt.ax", {6, 3, 1, 885}, true},
                            {L"d3d9.dll", {9, 0, 0, 0}, true}}, S_OK, 9, 0, L' '},
    };
    for (const FileCase& c : cases) {
        VQRuntimeMachine machine;
        ASSERT_TRUE(machine.IsValid());
        // Wine reads its own DLL's version from any file named like one, so the versions are injected.
        std::map<std::wstring, uint64_t> versions;
        for (const SystemFile& file : c.files) {
            if (file.versioned)
                versions[machine.SystemFile(file.name)] =
                    PackVersion(file.version[0], file.version[1], file.version[2], file.version[3]);
        }
        VQDetectEnvironment environment = machine.Environment();
        environment.fileProductVersion = [&versions](const std::wstring& path, uint64_t& version) {
            auto found = versions.find(path);
            if (found == versions.end())
                return false;
            version = found->second;
            return true;
        };
        uint32_t major = 77, minor = 77;
        wchar_t letter = L'?';
        EXPECT_EQ(c.result, DetectDirectXVersion(major, minor, letter, environment)) << c.label;
        EXPECT_EQ(c.major, major) << c.label;
        EXPECT_EQ(c.minor, minor) << c.label;
        EXPECT_EQ(c.letter, letter) << c.label;
    }
}

TEST(DetectDirectXVersion, FileTableReadsTheFilesVersions) {
    // Two names that are none of Wine's own libraries, so their files speak for themselves.
    struct Case {
        const char* label;
        const wchar_t* file;
        bool versioned;
        uint16_t version[4];
        HRESULT result;
        uint32_t major;
        uint32_t minor;
        wchar_t letter;
    };
    const Case cases[] = {
        {"3.0a", L"d3drg8x.dll", true, {4, 4, 0, 70}, S_OK, 3, 0, L'a'},
        {"below 3.0a", L"d3drg8x.dll", true, {4, 4, 0, 69}, E_FAIL, 0, 0, L' '},
        {"8.1b", L"mpg2splt.ax", true, {6, 3, 1, 885}, S_OK, 8, 1, L'b'},
        {"no version", L"mpg2splt.ax", false, {0, 0, 0, 0}, E_FAIL, 0, 0, L' '},
    };
    for (const Case& c : cases) {
        VQRuntimeMachine machine;
        ASSERT_TRUE(MakeStubLibrary(machine.SystemFile(c.file), false, c.versioned ? c.version : nullptr)) << c.label;
        uint32_t major = 77, minor = 77;
        wchar_t letter = L'?';
        EXPECT_EQ(c.result, DetectDirectXVersion(major, minor, letter, machine.Environment())) << c.label;
        EXPECT_EQ(c.major, major) << c.label;
        EXPECT_EQ(c.minor, minor) << c.label;
        EXPECT_EQ(c.letter, letter) << c.label;
    }
}

// Wine's DxDiag provider gives fixed values; the other answers come from a fake.
TEST(DetectDirectXVersion, DxDiagAnswersFirst) {
    struct Case {
        const char* label;
        const wchar_t* letter;
        wchar_t expected;
    };
    const Case cases[] = {{"lower", L"c", L'c'}, {"upper", L"C", L'c'}, {"empty", L"", L' '}, {"long", L"bx", L'b'}};
    for (const Case& c : cases) {
        VQRuntimeMachine machine;
        ASSERT_TRUE(machine.AddSystemLibrary(L"mpg2splt.ax", 6, 3, 1, 885));
        VQFakeDxDiagSetup setup;
        SetFakeDirectXVersion(setup, 9, 0, c.letter);
        VQDetectEnvironment environment = machine.Environment();
        environment.createDxDiagProvider = [&setup](IDxDiagProvider** provider) {
            *provider = NewFakeDxDiagProvider(setup);
            return S_OK;
        };
        uint32_t major = 0, minor = 5;
        wchar_t letter = L'?';
        EXPECT_EQ(S_OK, DetectDirectXVersion(major, minor, letter, environment)) << c.label;
        EXPECT_EQ(9u, major) << c.label;
        EXPECT_EQ(0u, minor) << c.label;
        EXPECT_EQ(c.expected, letter) << c.label;
        EXPECT_EQ(sizeof(DXDIAG_INIT_PARAMS), setup.initializeSize) << c.label;
        EXPECT_EQ(static_cast<DWORD>(DXDIAG_DX9_SDK_VERSION), setup.initializeHeaderVersion) << c.label;
        EXPECT_EQ(0, setup.liveObjects) << c.label;
    }
}

TEST(DetectDirectXVersion, IncompleteDxDiagAnswerFallsBackToTheFiles) {
    enum Fault { kNoLetter, kNoMinor, kSignedMajor, kNumberLetter, kInitializeFails, kNoSystemInfo };
    struct Case {
        const char* label;
        Fault fault;
    };
    const Case cases[] = {{"no letter", kNoLetter},           {"no minor", kNoMinor},
                          {"signed major", kSignedMajor},     {"letter as number", kNumberLetter},
                          {"Initialize fails", kInitializeFails}, {"no system info", kNoSystemInfo}};
    for (bool withFiles : {true, false}) {
        for (const Case& c : cases) {
            VQRuntimeMachine machine;
            if (withFiles) {
                ASSERT_TRUE(machine.AddSystemLibrary(L"mpg2splt.ax", 6, 3, 1, 885));
            }
            VQFakeDxDiagSetup setup;
            SetFakeDirectXVersion(setup, 9, 3, L"c");
            switch (c.fault) {
            case kNoLetter:
                setup.properties.erase(L"szDirectXVersionLetter");
                break;
            case kNoMinor:
                setup.properties.erase(L"dwDirectXVersionMinor");
                break;
            case kSignedMajor:
                setup.properties[L"dwDirectXVersionMajor"].type = VT_I4;
                break;
            case kNumberLetter:
                setup.properties[L"szDirectXVersionLetter"] = {VT_UI4, 99, L""};
                break;
            case kInitializeFails:
                setup.initializeResult = E_INVALIDARG;
                break;
            case kNoSystemInfo:
                setup.hasSystemInfo = false;
                break;
            }
            VQDetectEnvironment environment = machine.Environment();
            environment.createDxDiagProvider = [&setup](IDxDiagProvider** provider) {
                *provider = NewFakeDxDiagProvider(setup);
                return S_OK;
            };
            uint32_t major = 77, minor = 77;
            wchar_t letter = L'?';
            HRESULT result = DetectDirectXVersion(major, minor, letter, environment);
            EXPECT_EQ(withFiles ? S_OK : E_FAIL, result) << c.label;
            EXPECT_EQ(withFiles ? 8u : 0u, major) << c.label;
            EXPECT_EQ(withFiles ? 1u : 0u, minor) << c.label;
            EXPECT_EQ(withFiles ? L'b' : L' ', letter) << c.label;
            EXPECT_EQ(0, setup.liveObjects) << c.label;
        }
    }
}

TEST(DetectDirectXVersion, LeavesComAsItFoundIt) {
    VQRuntimeMachine machine;
    uint32_t major = 0, minor = 0;
    wchar_t letter = L' ';
    DetectDirectXVersion(major, minor, letter, machine.Environment());
    // Had the call left its apartment behind, the thread could not enter another model.
    HRESULT multithreaded = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(S_OK, multithreaded);
    if (SUCCEEDED(multithreaded)) {
        // Inside an apartment of the caller's the call keeps it.
        DetectDirectXVersion(major, minor, letter, machine.Environment());
        EXPECT_EQ(S_FALSE, ::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        ::CoUninitialize();
        ::CoUninitialize();
    }
}

TEST(DetectDirectXVersion, RealSystemGivesAConsistentAnswer) {
    uint32_t major = 77, minor = 77;
    wchar_t letter = L'?';
    HRESULT result = DetectDirectXVersion(major, minor, letter);
    if (result == S_OK) {
        EXPECT_GT(major, 0u);
        EXPECT_TRUE(letter == L' ' || (letter >= L'a' && letter <= L'z')) << static_cast<int>(letter);
    } else {
        EXPECT_EQ(E_FAIL, result);
        EXPECT_EQ(0u, major);
        EXPECT_EQ(0u, minor);
        EXPECT_EQ(L' ', letter);
    }
}

}  // namespace
}  // namespace Tessar
