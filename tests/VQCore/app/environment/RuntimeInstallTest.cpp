#include "VQCore/app/environment/RuntimeInstall.h"

#include "VQCore/download/ConverterRegistry.h"
#include "VQCore/download/PackageMeta.h"
#include "VQCore/download/PackageWriter.h"
#include "VQCore/download/TocNode.h"
#include "common/IniFile.h"
#include "common/PathText.h"
#include "tests/support/LocalServer.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>

namespace Tessar {
namespace {

std::wstring SetupStubPath() {
    return Test::UnixToWindowsPath(Test::BinaryDirUnix() + "/fixtures/runtime") + L"\\RuntimeSetup.exe";
}

// The setup stub copied into the test's folder under a name that says
// what it answers.
std::wstring CopySetup(const VQTempFolder& folder, const std::wstring& name) {
    const std::wstring path = folder.PathOf(name);
    EXPECT_TRUE(::CopyFileW(SetupStubPath().c_str(), path.c_str(), FALSE)) << SetupStubPath();
    return path;
}

std::wstring SeenValue(const std::wstring& setup, const std::wstring& key) {
    wchar_t value[1024] = L"";
    ::GetPrivateProfileStringW(L"seen", key.c_str(), L"", value, 1024, (setup + L".seen.ini").c_str());
    return value;
}

class VQEvent {
public:
    VQEvent() : m_handle(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~VQEvent() { ::CloseHandle(m_handle); }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

TEST(RuntimeInstallText, ResultTextIsReadAsItsIntegerValue) {
    struct Case {
        const wchar_t* text;
        bool installed;
    } cases[] = {
        {L"1", true}, {L"01", true}, {L"001", true}, {L"1x", true}, {L"2", false},
        {L"", false}, {L"0", false}, {L"-1", false}, {L"0001", false}, {L"yes", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.installed, IsInstalledResultText(c.text)) << "result \"" << std::string(c.text, c.text + wcslen(c.text)) << "\"";
}

TEST(RuntimeInstallText, FolderLosesItsTrailingSeparators) {
    EXPECT_EQ(L"D:\\Games", HandshakeFolderText(L"D:\\Games\\"));
    EXPECT_EQ(L"D:\\Games", HandshakeFolderText(L"D:\\Games\\\\"));
    EXPECT_EQ(L"D:\\Games", HandshakeFolderText(L"D:\\Games"));
    EXPECT_EQ(L"D:", HandshakeFolderText(L"D:\\"));
}

TEST(RuntimeInstallText, InstallFolderFallsBackOffFixedDrives) {
    EXPECT_EQ(L"E:\\Mine", RuntimeInstallFolder(L"E:\\Mine", true));
    EXPECT_EQ(L"C:\\ZelmorGames\\Games", RuntimeInstallFolder(L"\\\\server\\share", false));
    EXPECT_EQ(L"C:\\ZelmorGames\\Games", RuntimeInstallFolder(L"", true));
}

TEST(RuntimeInstallPackageCheck, NeedsExtensionAndMagic) {
    VQTempFolder folder;
    struct Case {
        const wchar_t* name;
        const char* bytes;
        bool package;
    } cases[] = {
        {L"a.vqz", "VQZ\x01rest", true},  {L"b.VQZ", "VQZ", true},        {L"c.vqz", "VQ", false},
        {L"d.vqz", "MZ\x90\x00", false}, {L"e.exe", "VQZ\x01", false},    {L"vqz", "VQZ", false},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(folder.WriteFile(c.name, c.bytes));
        EXPECT_EQ(c.package, IsPackageFile(folder.PathOf(c.name))) << std::string(c.name, c.name + wcslen(c.name));
    }
    EXPECT_FALSE(IsPackageFile(folder.PathOf(L"missing.vqz")));
}

TEST(RuntimeInstaller, ResultDecidesWhetherTheRuntimeIsInstalled) {
    VQTempFolder folder;
    struct Case {
        const wchar_t* name;
        VQRuntimeInstallResult expected;
    } cases[] = {
        {L"setup_result_1.exe", VQRuntimeInstallResult::kInstalled},
        {L"setup_result_01.exe", VQRuntimeInstallResult::kInstalled},
        {L"setup_result_2.exe", VQRuntimeInstallResult::kFailed},
        {L"setup_result_.exe", VQRuntimeInstallResult::kFailed},
        {L"setup_silent.exe", VQRuntimeInstallResult::kFailed},
    };
    VQEvent stop;
    for (const Case& c : cases) {
        const std::wstring setup = CopySetup(folder, c.name);
        const std::string name(c.name, c.name + wcslen(c.name));
        EXPECT_EQ(c.expected, RunRuntimeInstaller(setup, L"D:\\Games\\", stop.Get())) << name;
        // It got exactly one argument, the hand-shake file, and the folder
        // without its trailing separator.
        EXPECT_EQ(L"1", SeenValue(setup, L"arguments")) << name;
        EXPECT_EQ(L"D:\\Games", SeenValue(setup, L"dir")) << name;
    }
}

TEST(RuntimeInstaller, FolderWithSpacesArrivesWhole) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.MakeFolder(L"with space"));
    const std::wstring setup = CopySetup(folder, L"with space\\setup_result_1.exe");
    VQEvent stop;
    EXPECT_EQ(VQRuntimeInstallResult::kInstalled,
              RunRuntimeInstaller(setup, L"C:\\Program Files\\Zelmor Games\\", stop.Get()));
    EXPECT_EQ(L"C:\\Program Files\\Zelmor Games", SeenValue(setup, L"dir"));
}

TEST(RuntimeInstaller, MissingOrUnfitInputFails) {
    VQTempFolder folder;
    VQEvent stop;
    EXPECT_EQ(VQRuntimeInstallResult::kFailed, RunRuntimeInstaller(L"", L"D:\\Games", stop.Get()));
    EXPECT_EQ(VQRuntimeInstallResult::kFailed,
              RunRuntimeInstaller(folder.PathOf(L"gone.exe"), L"D:\\Games", stop.Get()));
    const std::wstring setup = CopySetup(folder, L"setup_result_1.exe");
    // A folder that cannot be one line of the hand-shake is not handed on,
    // and the program is not started.
    EXPECT_EQ(VQRuntimeInstallResult::kFailed, RunRuntimeInstaller(setup, L"D:\\Ga\r\n[report]", stop.Get()));
    EXPECT_EQ(L"", SeenValue(setup, L"arguments"));
    EXPECT_EQ(VQRuntimeInstallResult::kFailed, RunRuntimeInstaller(setup, L"\\", stop.Get()));
}

TEST(RuntimeInstaller, StopEventEndsTheWaitWithoutAResult) {
    VQTempFolder folder;
    const std::wstring setup = CopySetup(folder, L"setup_wait.exe");
    VQEvent stop;
    VQRuntimeInstallResult result = VQRuntimeInstallResult::kInstalled;
    std::thread installer([&] { result = RunRuntimeInstaller(setup, L"D:\\Games", stop.Get()); });
    // Stop while the setup program runs.
    for (int i = 0; i < 1200 && SeenValue(setup, L"dir").empty(); ++i) ::Sleep(50);
    EXPECT_EQ(L"D:\\Games", SeenValue(setup, L"dir"));
    ::SetEvent(stop.Get());
    installer.join();
    EXPECT_EQ(VQRuntimeInstallResult::kStopped, result);
    // Let the stub end so that the folder can go.
    ASSERT_TRUE(folder.WriteFile(L"setup_wait.exe.release", "go"));
    for (int i = 0; i < 1200 && SeenValue(setup, L"released").empty(); ++i) ::Sleep(50);
    EXPECT_EQ(L"1", SeenValue(setup, L"released"));
}

void WriteRuntimePackage(const std::wstring& path) {
    VQTocNode root(nullptr, kTocFolder);
    AddBytesEntry(root, kMetaEntryName, kTocInline, EncodePackageMeta({{kMetaFolder, L"DemoRuntime"}}),
                  kConverterStored);
    AddBytesEntry(root, L"runtime.dll", kTocFile, std::string(5000, 'r'), kConverterStored);
    ASSERT_TRUE(WritePackage(root, path));
}

TEST(RuntimePackage, InstallsIntoTheInstallFolder) {
    VQTempFolder folder;
    const std::wstring package = folder.PathOf(L"runtime.vqz");
    WriteRuntimePackage(package);
    ASSERT_TRUE(IsPackageFile(package));
    VQEvent stop;
    EXPECT_EQ(VQRuntimeInstallResult::kInstalled, InstallRuntimeFile(package, folder.PathOf(L"games"), stop.Get()));
    EXPECT_EQ(std::string(5000, 'r'), folder.ReadFile(L"games\\DemoRuntime\\runtime.dll"));
}

TEST(RuntimePackage, DamagedOrMissingPackageFails) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"bad.vqz", std::string("VQZ\x01") + std::string(64, '\xff')));
    VQEvent stop;
    EXPECT_EQ(VQRuntimeInstallResult::kFailed,
              InstallRuntimeFile(folder.PathOf(L"bad.vqz"), folder.PathOf(L"games"), stop.Get()));
    EXPECT_EQ(VQRuntimeInstallResult::kFailed,
              InstallRuntimePackage(folder.PathOf(L"none.vqz"), folder.PathOf(L"games"), stop.Get()));
}

TEST(RuntimePackage, StopEventCancelsAndLeavesNoRuntime) {
    VQTempFolder folder;
    const std::wstring package = folder.PathOf(L"runtime.vqz");
    WriteRuntimePackage(package);
    VQEvent stop;
    ::SetEvent(stop.Get());
    const VQRuntimeInstallResult result = InstallRuntimePackage(package, folder.PathOf(L"games"), stop.Get());
    EXPECT_EQ(VQRuntimeInstallResult::kStopped, result);
    EXPECT_FALSE(FileExists(folder.PathOf(L"games\\DemoRuntime\\runtime.dll")));
}

}  // namespace
}  // namespace Tessar
