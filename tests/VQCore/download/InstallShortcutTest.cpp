// Shortcuts in packages point at "Z:\##install##"; once installed they
// point into the install folder. Only whole ".lnk" extensions count.
#include "VQCore/download/ConverterRegistry.h"
#include "VQCore/download/InstallShortcut.h"
#include "VQCore/download/PackageWriter.h"
#include "VQCore/download/SfxInstall.h"
#include "common/CodePage.h"
#include "common/Shortcut.h"
#include "tests/VQCore/download/InstallTestUtil.h"
#include "tests/VQCore/download/PackageTestUtil.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <objbase.h>

namespace Tessar {
namespace {

class InstallShortcutTest : public ::testing::Test {
protected:
    InstallShortcutTest() : m_special(m_folder.PathOf(L"special")) {}

    void SetUp() override {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(CreateShortcut(L"The game", L"Z:\\##install##\\bin\\game.exe", L"-fast",
                                   m_folder.PathOf(L"made\\Game.lnk"), L"Z:\\##install##\\game.ico", 0,
                                   L"Z:\\##install##\\bin"));
        m_shortcut = ReadBytes(m_folder.PathOf(L"made\\Game.lnk"));
        ASSERT_FALSE(m_shortcut.empty());
    }
    void TearDown() override { ::CoUninitialize(); }

    VQTempFolder m_folder;
    VQScratchMacroFolders m_special;
    std::string m_shortcut;
};

TEST_F(InstallShortcutTest, ShortcutsPointIntoTheInstallFolder) {
    VQTocNode root(nullptr, kTocFolder);
    AddBytesEntry(*AddFolderEntry(root, L"##my_desktop##"), L"Game.lnk", kTocFile, m_shortcut, kConverterZip);
    AddBytesEntry(root, L"Upper.LNK", kTocFile, m_shortcut, kConverterZip);
    AddBytesEntry(root, L"prefix.ln", kTocFile, m_shortcut, kConverterZip);
    std::wstring package = WriteInstallPackage(root, m_folder.PathOf(L"p.vqz"), {{L"vqfolder", L"Game"}});
    VQSfxInstall install(package);
    ASSERT_TRUE(install.Open());
    ASSERT_TRUE(install.Extract(m_folder.PathOf(L"Games")));
    const std::wstring folder = install.GetInstallFolder();

    for (const std::wstring& path : {m_special.FolderOf(L"my_desktop") + L"\\Game.lnk", folder + L"\\Upper.LNK"}) {
        ShortcutInfo info;
        ASSERT_TRUE(ReadShortcut(path, info)) << WideToUtf8(path);
        EXPECT_EQ(folder + L"\\bin\\game.exe", info.targetPath) << WideToUtf8(path);
        EXPECT_EQ(folder + L"\\bin", info.workingFolder) << WideToUtf8(path);
        EXPECT_EQ(folder + L"\\game.ico", info.iconPath) << WideToUtf8(path);
        EXPECT_EQ(L"-fast", info.arguments) << WideToUtf8(path);
        EXPECT_EQ(L"The game", info.description) << WideToUtf8(path);
    }
    EXPECT_EQ(m_shortcut, ReadBytes(folder + L"\\prefix.ln"));
}

TEST_F(InstallShortcutTest, OtherShortcutsStayAsTheyAre) {
    ASSERT_TRUE(CreateShortcut(L"plain", L"C:\\windows\\notepad.exe", L"", m_folder.PathOf(L"plain.lnk"), L"", -1));
    const std::string before = ReadBytes(m_folder.PathOf(L"plain.lnk"));
    EXPECT_TRUE(FixInstalledShortcut(m_folder.PathOf(L"plain.lnk"), L"D:\\Games\\Foo"));
    EXPECT_EQ(before, ReadBytes(m_folder.PathOf(L"plain.lnk")));
    ASSERT_TRUE(WriteBytes(m_folder.PathOf(L"broken.lnk"), "not a shortcut"));
    EXPECT_FALSE(FixInstalledShortcut(m_folder.PathOf(L"broken.lnk"), L"D:\\Games\\Foo"));
}

}  // namespace
}  // namespace Tessar
