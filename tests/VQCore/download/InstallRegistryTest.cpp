// Registry files inside packages: imported with the install macros, undone
// by the uninstall - every file's changes, the last first - and put back
// when the install fails.
#include "VQCore/download/ConverterRegistry.h"
#include "VQCore/download/PackageWriter.h"
#include "VQCore/download/SfxInstall.h"
#include "VQCore/download/UninstallRecord.h"
#include "common/CodePage.h"
#include "common/PathText.h"
#include "common/Registry.h"
#include "tests/VQCore/download/InstallTestUtil.h"
#include "tests/VQCore/download/PackageTestUtil.h"
#include "tests/VQCore/download/RegTestUtil.h"
#include "tests/support/RegistrySnapshot.h"
#include "tests/support/ScratchRegistryKey.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <vector>

namespace Tessar {
namespace {

using RegTest::Encoding;

class InstallRegistryTest : public ::testing::Test {
protected:
    InstallRegistryTest() : m_special(m_folder.PathOf(L"special")) {}

    void SetUp() override {
        ASSERT_TRUE(m_scratch.IsValid());
        VQRegKeyHolder holder;
        ASSERT_TRUE(holder.RegCreateKeyPath(m_scratch.Root(), m_scratch.PathOf(L"Game")));
        VQRegValue keep(REG_SZ);
        keep.text = std::wstring(L"original\0", 9);
        ASSERT_TRUE(holder.RegSetValueFlush(L"Keep", keep));
        ASSERT_TRUE(holder.RegSetValueFlush(L"Other", keep));
        m_before = Snapshot();
    }

    std::map<std::string, std::string> Snapshot() const {
        return SnapshotRegistryTree(m_scratch.Root(), m_scratch.Path());
    }
    std::string RegFile(const std::wstring& body, Encoding encoding = Encoding::kUtf16) const {
        std::wstring header = encoding == Encoding::kUtf16 ? L"Windows Registry Editor Version 5.00" : L"REGEDIT4";
        return RegTest::RegFileBytes(RegTest::WithRoot(header + L"\r\n\r\n" + body, m_scratch.FullName()), encoding);
    }
    std::wstring Target() const { return m_folder.PathOf(L"Games"); }
    std::wstring Write(VQTocNode& root) {
        std::wstring path = WriteInstallPackage(root, m_folder.PathOf(L"p.vqz"), {{L"vqfolder", L"Game"}});
        EXPECT_FALSE(path.empty());
        return path;
    }
    std::string ValueOf(const std::wstring& key, const std::wstring& name) const {
        std::map<std::string, std::string> now = Snapshot();
        std::map<std::string, std::string>::const_iterator found =
            now.find(WideToUtf8(L"\\" + key + L"\\:" + name));
        return found == now.end() ? std::string() : found->second;
    }
    static std::string Sz(const std::wstring& text) {
        std::vector<unsigned char> raw = Utf16Raw(text + L'\0');
        std::string described = "type 1:";
        char hex[4];
        for (unsigned char byte : raw) {
            std::snprintf(hex, sizeof(hex), " %02x", byte);
            described += hex;
        }
        return described;
    }

    VQTempFolder m_folder;
    VQScratchMacroFolders m_special;
    VQScratchRegistryKey m_scratch;
    std::map<std::string, std::string> m_before;
};

TEST_F(InstallRegistryTest, EveryRegistryFileIsImportedAndUndoneLastFirst) {
    VQTocNode root(nullptr, kTocFolder);
    AddBytesEntry(root, L"##reg##.reg", kTocFile,
                  RegFile(L"[%ROOT%\\Game]\r\n"
                          L"\"Path\"=\"##install##\\\\game.exe\"\r\n"
                          L"\"Keep\"=\"first\"\r\n"
                          L"\"##install##\"=dword:00000001\r\n"),
                  kConverterZip);
    boost::shared_ptr<VQTocNode> data = AddFolderEntry(root, L"data");
    AddBytesEntry(*data, L"##REG##.reg", kTocFile,
                  RegFile(L"[%ROOT%\\Game]\n"  // line ends of a file saved on Unix
                          L"\"Keep\"=\"second\"\n"
                          L"[%ROOT%\\Game\\Sub]\n"
                          L"\"N\"=dword:00000005\n",
                          Encoding::kAnsi936),
                  kConverterStored);
    AddBytesEntry(root, L"game.exe", kTocFile, "exe", kConverterZip);
    VQSfxInstall install(Write(root));
    ASSERT_TRUE(install.Open());
    ASSERT_TRUE(install.Extract(Target()));
    const std::wstring folder = install.GetInstallFolder();

    EXPECT_EQ(Sz(folder + L"\\game.exe"), ValueOf(L"Game", L"Path"));
    EXPECT_EQ(Sz(L"second"), ValueOf(L"Game", L"Keep"));
    EXPECT_EQ("type 4: 01 00 00 00", ValueOf(L"Game", folder));
    EXPECT_EQ("type 4: 05 00 00 00", ValueOf(L"Game\\Sub", L"N"));
    // The registry files are gone and not part of the game.
    EXPECT_EQ("data/\ngame.exe=exe\n", DescribeInstalled(folder));
    for (const std::wstring& path : install.GetFileLog())
        EXPECT_EQ(std::wstring::npos, path.find(L"##")) << WideToUtf8(path);

    ASSERT_TRUE(UninstallFromData(folder + L"\\VQUnistall.dat", install.GetUninstallDigest()));
    EXPECT_EQ(m_before, Snapshot());
}

TEST_F(InstallRegistryTest, AFailedInstallPutsTheRegistryBack) {
    VQTocNode root(nullptr, kTocFolder);
    AddBytesEntry(root, L"##reg##.reg", kTocFile,
                  RegFile(L"[%ROOT%\\Game]\r\n\"Keep\"=\"changed\"\r\n[%ROOT%\\New\\Deep]\r\n\"A\"=\"1\"\r\n"),
                  kConverterZip);
    AddBytesEntry(root, L"..", kTocFile, "evil", kConverterZip);
    VQSfxInstall install(Write(root));
    ASSERT_TRUE(install.Open());
    EXPECT_FALSE(install.Extract(Target()));
    EXPECT_EQ(m_before, Snapshot());
    EXPECT_FALSE(PathExists(Target()));
}

TEST_F(InstallRegistryTest, ARegistryFileThatCannotBeReadFailsTheInstall) {
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"wrong header", "REGEDIT5\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n"},
        {"value before any key", RegFile(L"\"A\"=\"1\"\r\n")},
        {"text value going on", RegFile(L"[%ROOT%\\Game]\r\n\"A\"=\"1\\\r\n\"\r\n")},
    };
    for (const auto& c : cases) {
        VQTocNode root(nullptr, kTocFolder);
        AddBytesEntry(root, L"a.txt", kTocFile, "a", kConverterZip);
        AddBytesEntry(root, L"##reg##.reg", kTocFile, c.bytes, kConverterZip);
        VQSfxInstall install(Write(root));
        ASSERT_TRUE(install.Open()) << c.name;
        EXPECT_FALSE(install.Extract(Target())) << c.name;
        EXPECT_EQ(m_before, Snapshot()) << c.name;
        EXPECT_FALSE(PathExists(Target())) << c.name;
    }
}

// An install that cannot write its uninstall record could never be undone:
// it fails, before its task scripts run, and takes everything back.
TEST_F(InstallRegistryTest, AnInstallWhoseRecordCannotBeWrittenFailsAndPutsEverythingBack) {
    const std::wstring folder = Target() + L"\\Game";
    ASSERT_TRUE(m_folder.MakeFolder(L"Games\\Game\\VQUnistall.dat"));  // where the record would go
    ASSERT_TRUE(m_folder.WriteFile(L"Games\\Game\\a.txt", "the user's a"));
    VQTocNode root(nullptr, kTocFolder);
    AddBytesEntry(root, L"##reg##.reg", kTocFile,
                  RegFile(L"[%ROOT%\\Game]\r\n\"Keep\"=\"changed\"\r\n[%ROOT%\\New\\Deep]\r\n\"A\"=\"1\"\r\n"),
                  kConverterZip);
    AddBytesEntry(root, L"a.txt", kTocFile, "package a", kConverterZip);
    AddBytesEntry(root, L"b.txt", kTocFile, "package b", kConverterZip);
    AddBytesEntry(root, L"##tasks##.txt", kTocFile, "ini WriteINIStr ##install##\\game.ini main started 1\r\n",
                  kConverterStored);
    VQSfxInstall install(Write(root));
    ASSERT_TRUE(install.Open());
    EXPECT_FALSE(install.Extract(Target()));
    EXPECT_EQ(m_before, Snapshot());
    EXPECT_EQ("VQUnistall.dat/\na.txt=the user's a\n", DescribeTree(folder));
    EXPECT_EQ(L"", install.GetUninstallDigest());
}

}  // namespace
}  // namespace Tessar
