// Installing "VQZ" packages: the game's own folder, macro folders, the
// metadata, the uninstall record, and the roll-back of every failure:
// hostile names, files in the way, cancels, damaged metadata.
#include "VQCore/download/ConverterRegistry.h"
#include "VQCore/download/InstallPaths.h"
#include "VQCore/download/PackageMeta.h"
#include "VQCore/download/PackageWriter.h"
#include "VQCore/download/SfxInstall.h"
#include "VQCore/download/UninstallRecord.h"
#include "common/CodePage.h"
#include "common/FileUtil.h"
#include "common/IniFile.h"
#include "common/PathText.h"
#include "common/TextUtil.h"
#include "tests/VQCore/download/InstallTestUtil.h"
#include "tests/VQCore/download/PackageTestUtil.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace Tessar {
namespace {

class SfxInstallTest : public ::testing::Test {
protected:
    SfxInstallTest() : m_special(m_folder.PathOf(L"special")) {
        m_folder.MakeFolder(L"packages");
        m_folder.MakeFolder(L"outside");
    }

    std::wstring Target() const { return m_folder.PathOf(L"Games"); }
    std::wstring Outside() const { return m_folder.PathOf(L"outside"); }
    std::wstring Write(VQTocNode& root, const std::wstring& name,
                       const std::map<std::wstring, std::wstring>& meta = {}) {
        std::wstring path = WriteInstallPackage(root, m_folder.PathOf(L"packages\\" + name), meta);
        EXPECT_FALSE(path.empty());
        return path;
    }
    // Nothing of a failed install is left, and nothing went elsewhere.
    void ExpectNothingLeft(const std::string& what) {
        EXPECT_FALSE(PathExists(Target())) << what;
        EXPECT_EQ("", DescribeTree(Outside())) << what;
        EXPECT_FALSE(PathExists(m_folder.PathOf(L"special"))) << what;
    }

    VQTempFolder m_folder;
    VQScratchMacroFolders m_special;
};

TEST_F(SfxInstallTest, FixturePackageInstallsIntoItsFolderRunsItsTasksAndUninstalls) {
    VQSfxInstall install(FixturePath(L"game.vqz"));
    ASSERT_TRUE(install.Open());
    EXPECT_EQ(L"##install##\\game.exe", install.GetMetaValue(kMetaExe));  // no install folder yet
    ASSERT_TRUE(install.Extract(Target() + L"\\"));
    const std::wstring folder = Target() + L"\\Fixture Game";
    EXPECT_EQ(folder, install.GetInstallFolder());
    EXPECT_EQ(folder + L"\\game.exe", install.GetMetaValue(kMetaExe));
    EXPECT_EQ(L"-window -fast", install.GetMetaValue(kMetaArgs));

    // The task script wrote its INI value and is gone.
    EXPECT_EQ(L"1", IniFile(folder + L"\\game.ini").ReadString(L"main", L"started"));
    ASSERT_TRUE(DeleteFileClearReadOnly(folder + L"\\game.ini"));
    EXPECT_EQ(DescribeTree(FixtureSourcePath(L"game")), DescribeInstalled(folder));
    ASSERT_TRUE(FileExists(folder + L"\\VQUnistall.dat"));

    ASSERT_TRUE(UninstallFromData(folder + L"\\VQUnistall.dat", install.GetUninstallDigest()));
    EXPECT_FALSE(PathExists(folder));
    EXPECT_TRUE(FolderExists(Target()));  // the install folder of every game stays
}

TEST_F(SfxInstallTest, GamesWithoutAFolderOfTheirOwnStillGetOneEach) {
    for (const wchar_t* name : {L"alpha", L"beta"}) {
        VQTocNode root(nullptr, kTocFolder);
        AddBytesEntry(root, L"shared.txt", kTocFile, WideToUtf8(name), kConverterZip);
        boost::shared_ptr<VQTocNode> data = AddFolderEntry(root, L"data");
        AddBytesEntry(*data, L"level.dat", kTocFile, "level of " + WideToUtf8(name), kConverterStored);
        VQSfxInstall install(Write(root, std::wstring(name) + L".vqz"));
        ASSERT_TRUE(install.Open());
        ASSERT_TRUE(install.Extract(Target()));
        EXPECT_EQ(CombinePath(Target(), name), install.GetInstallFolder());
    }
    EXPECT_FALSE(FileExists(Target() + L"\\VQUnistall.dat"));
    const std::string beta = DescribeTree(Target() + L"\\beta");
    ASSERT_EQ("data/\ndata/level.dat=level of beta\nshared.txt=beta\n", DescribeInstalled(Target() + L"\\beta"));

    ASSERT_TRUE(UninstallFromData(Target() + L"\\alpha\\VQUnistall.dat"));
    EXPECT_FALSE(PathExists(Target() + L"\\alpha"));
    EXPECT_EQ(beta, DescribeTree(Target() + L"\\beta"));
}

TEST_F(SfxInstallTest, TheGameFolderMustLieBelowTheTarget) {
    const struct {
        const char* name;
        const wchar_t* folder;
    } cases[] = {
        {"parent", L"..\\outside"},
        {"parent inside", L"sub\\..\\..\\outside"},
        {"absolute", L"C:\\Games"},
        {"drive relative", L"C:Games"},
        {"root relative", L"\\Games"},
        {"share", L"\\\\server\\share"},
        {"device", L"CON"},
        {"stream", L"game:stream"},
        {"empty part", L"a\\\\b"},
        {"macro to a full path", L"##my_doc##\\Game"},
    };
    for (const auto& c : cases) {
        VQTocNode root(nullptr, kTocFolder);
        AddBytesEntry(root, L"a.txt", kTocFile, "a", kConverterZip);
        VQSfxInstall install(Write(root, L"p.vqz", {{kMetaFolder, c.folder}}));
        ASSERT_TRUE(install.Open()) << c.name;
        EXPECT_FALSE(install.Extract(Target())) << c.name;
        ExpectNothingLeft(c.name);
    }
    VQTocNode root(nullptr, kTocFolder);
    AddBytesEntry(root, L"a.txt", kTocFile, "a", kConverterZip);
    VQSfxInstall relative(Write(root, L"q.vqz"));
    ASSERT_TRUE(relative.Open());
    EXPECT_FALSE(relative.Extract(L"Games"));
}

TEST_F(SfxInstallTest, HostileEntryNamesFailTheInstallAndRollItBack) {
    const std::wstring absoluteOutside = Outside() + L"\\evil.txt";
    const struct {
        const char* name;
        std::wstring entry;
        bool inMacroFolder;
    } cases[] = {
        {"parent", L"..", false},
        {"parent path", L"..\\..\\outside\\evil.txt", false},
        {"absolute", absoluteOutside, false},
        {"drive", L"C:evil.txt", false},
        {"slash", L"a/b", false},
        {"device", L"NUL", false},
        {"device with extension", L"com1.txt", false},
        {"stream", L"evil.txt:hidden", false},
        {"empty", L"", false},
        {"trailing dot", L"evil.", false},
        {"below a macro folder", L"..\\..\\outside\\evil.txt", true},
    };
    for (const auto& c : cases) {
        VQTocNode root(nullptr, kTocFolder);
        AddBytesEntry(root, L"first.txt", kTocFile, "first", kConverterZip);
        boost::shared_ptr<VQTocNode> sub = AddFolderEntry(root, L"sub");
        AddBytesEntry(*sub, L"ok.txt", kTocFile, "ok", kConverterStored);
        VQTocNode& parent = c.inMacroFolder ? *AddFolderEntry(root, L"##my_desktop##") : *sub;
        AddBytesEntry(parent, c.entry, kTocFile, "evil", kConverterZip);
        AddBytesEntry(root, L"last.txt", kTocFile, "last", kConverterZip);
        VQSfxInstall install(Write(root, L"p.vqz", {{kMetaFolder, L"Game"}}));
        ASSERT_TRUE(install.Open()) << c.name;
        EXPECT_FALSE(install.Extract(Target())) << c.name;
        ExpectNothingLeft(c.name);
        EXPECT_FALSE(FileExists(m_folder.PathOf(L"evil.txt"))) << c.name;
    }
}

TEST_F(SfxInstallTest, MacroFoldersReceiveTheirEntriesAndGiveThemBack) {
    ASSERT_TRUE(m_folder.WriteFile(L"special\\my_desktop\\other.txt", "not the game's"));
    VQTocNode root(nullptr, kTocFolder);
    AddBytesEntry(*AddFolderEntry(root, L"##my_desktop##"), L"Game.txt", kTocFile, "desk", kConverterZip);
    AddBytesEntry(*AddFolderEntry(root, L"##nomacro##"), L"x.txt", kTocFile, "x", kConverterZip);
    boost::shared_ptr<VQTocNode> programs = AddFolderEntry(root, L"##PROGRAM_FILES##");
    AddBytesEntry(*AddFolderEntry(*programs, L"Foo"), L"bin.dll", kTocFile, "dll", kConverterZip);
    AddBytesEntry(root, L"readme.txt", kTocFile, "read", kConverterZip);
    VQSfxInstall install(Write(root, L"p.vqz", {{kMetaFolder, L"Pkg"}}));
    ASSERT_TRUE(install.Open());
    ASSERT_TRUE(install.Extract(Target()));

    const std::wstring folder = Target() + L"\\Pkg";
    EXPECT_EQ("desk", ReadBytes(m_special.FolderOf(L"my_desktop") + L"\\Game.txt"));
    EXPECT_EQ("dll", ReadBytes(m_special.FolderOf(L"program_files") + L"\\Foo\\bin.dll"));
    EXPECT_EQ("x", ReadBytes(folder + L"\\##nomacro##\\x.txt"));  // no macro: a folder of that name
    EXPECT_EQ("read", ReadBytes(folder + L"\\readme.txt"));

    ASSERT_TRUE(UninstallFromData(folder + L"\\VQUnistall.dat", install.GetUninstallDigest()));
    EXPECT_FALSE(PathExists(folder));
    EXPECT_EQ("other.txt=not the game's\n", DescribeTree(m_special.FolderOf(L"my_desktop")));
    EXPECT_FALSE(PathExists(m_special.FolderOf(L"program_files")));  // made by the install, now empty
}

TEST_F(SfxInstallTest, AFileThatCannotBeReplacedFailsTheInstall) {
    const std::wstring folder = Target() + L"\\Pkg";
    ASSERT_TRUE(m_folder.WriteFile(L"Games\\Pkg\\mine.txt", "the user's"));
    ASSERT_TRUE(m_folder.WriteFile(L"Games\\Pkg\\game.exe", "old game"));
    VQTocNode root(nullptr, kTocFolder);
    AddBytesEntry(root, L"a.txt", kTocFile, "a", kConverterZip);
    AddBytesEntry(root, L"game.exe", kTocFile, "new game", kConverterZip);
    AddBytesEntry(root, L"z.txt", kTocFile, "z", kConverterZip);
    const std::wstring package = Write(root, L"p.vqz", {{kMetaFolder, L"Pkg"}});
    {
        // Held open without delete sharing: the system will not let it go.
        HANDLE held = ::CreateFileW((folder + L"\\game.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        VQSfxInstall install(package);
        ASSERT_TRUE(install.Open());
        EXPECT_FALSE(install.Extract(Target()));
        ::CloseHandle(held);
        EXPECT_EQ("game.exe=old game\nmine.txt=the user's\n", DescribeTree(folder));
    }
    {
        // A read-only file is replaced.
        ASSERT_TRUE(::SetFileAttributesW((folder + L"\\game.exe").c_str(), FILE_ATTRIBUTE_READONLY));
        VQSfxInstall install(package);
        ASSERT_TRUE(install.Open());
        ASSERT_TRUE(install.Extract(Target()));
        EXPECT_EQ("a.txt=a\ngame.exe=new game\nmine.txt=the user's\nz.txt=z\n", DescribeInstalled(folder));
    }
}

// Cancels the install when the named entry starts.
class VQCancelAt : public IUnpackProgress {
public:
    VQCancelAt(VQUnpacker& unpacker, const std::wstring& name) : m_unpacker(unpacker), m_name(name) {}
    void OnExtractStart() override {}
    void OnEntryStart(VQTocNode& node) override {
        if (node.name == m_name)
            m_unpacker.Cancel();
    }
    void OnProgress(double, double) override {}
    void OnEntryEnd(VQTocNode&) override {}
    void OnExtractEnd(bool) override {}

private:
    VQUnpacker& m_unpacker;
    std::wstring m_name;
};

TEST_F(SfxInstallTest, ACancelledInstallFailsAndLeavesNothing) {
    VQTocNode root(nullptr, kTocFolder);
    AddBytesEntry(root, L"a.txt", kTocFile, "a", kConverterZip);
    boost::shared_ptr<VQTocNode> data = AddFolderEntry(root, L"data");
    AddBytesEntry(*data, L"b.txt", kTocFile, "b", kConverterZip);
    AddBytesEntry(*data, L"cancel-here.txt", kTocFile, "c", kConverterZip);
    AddBytesEntry(root, L"z.txt", kTocFile, "z", kConverterZip);
    const std::wstring package = Write(root, L"p.vqz");
    for (const wchar_t* where : {L"cancel-here.txt", L"z.txt"}) {
        VQSfxInstall install(package);
        VQCancelAt cancel(install, where);
        install.SetObserver(&cancel);
        ASSERT_TRUE(install.Open());
        EXPECT_FALSE(install.Extract(Target())) << WideToUtf8(where);
        ExpectNothingLeft(WideToUtf8(where));
    }
    VQSfxInstall early(package);
    ASSERT_TRUE(early.Open());
    early.Cancel();
    EXPECT_FALSE(early.Extract(Target()));
    ExpectNothingLeft("cancelled before the start");
}

TEST_F(SfxInstallTest, MetadataValuesComeWithTheirMacrosExpanded) {
    const std::wstring longArgs(3000, L'x');
    const struct {
        const char* name;
        uint32_t type;  // of the vqmeta entry
        std::wstring args;
    } cases[] = {
        {"inline", kTocInline, L"-dir \"##install##\" -x"},
        {"data entry", kTocData, longArgs},
    };
    for (const auto& c : cases) {
        VQTocNode root(nullptr, kTocFolder);
        std::map<std::wstring, std::wstring> meta = {
            {kMetaFolder, L"Games\\##nomacro##"}, {kMetaExe, L"##install##\\bin\\game.exe"}, {kMetaArgs, c.args},
            {L"custom", L"##my_doc##"}};
        AddBytesEntry(root, kMetaEntryName, c.type, EncodePackageMeta(meta), kConverterZip);
        AddBytesEntry(*AddFolderEntry(root, L"bin"), L"game.exe", kTocFile, "exe", kConverterZip);
        VQSfxInstall install(Write(root, L"p.vqz"));
        ASSERT_TRUE(install.Open()) << c.name;
        ASSERT_TRUE(install.Extract(Target())) << c.name;
        const std::wstring folder = Target() + L"\\Games\\##nomacro##";
        EXPECT_EQ(folder, install.GetInstallFolder()) << c.name;
        EXPECT_EQ(folder + L"\\bin\\game.exe", install.GetMetaValue(kMetaExe)) << c.name;
        std::wstring args = c.args;
        ReplaceAll(args, L"##install##", folder);
        EXPECT_EQ(args, install.GetMetaValue(kMetaArgs)) << c.name;
        EXPECT_EQ(m_special.FolderOf(L"my_doc"), install.GetMetaValue(L"custom")) << c.name;
        EXPECT_TRUE(install.HasMetaValue(L"custom")) << c.name;
        EXPECT_FALSE(install.HasMetaValue(L"none")) << c.name;
        EXPECT_EQ(L"", install.GetMetaValue(L"none")) << c.name;
        EXPECT_EQ(L"at " + folder, install.ExpandInstallMacros(L"at ##install##")) << c.name;
        ASSERT_TRUE(UninstallFromData(folder + L"\\VQUnistall.dat", install.GetUninstallDigest()));
    }
}

TEST_F(SfxInstallTest, DamagedMetadataFailsTheOpen) {
    std::string meta = EncodePackageMeta({{kMetaFolder, L"Game"}, {kMetaExe, L"game.exe"}});
    meta.resize(meta.size() - 3);  // the last value ends early
    VQTocNode root(nullptr, kTocFolder);
    AddBytesEntry(root, kMetaEntryName, kTocInline, meta, kConverterStored);
    AddBytesEntry(root, L"a.txt", kTocFile, "a", kConverterZip);
    VQSfxInstall install(Write(root, L"p.vqz"));
    EXPECT_FALSE(install.Open());
    EXPECT_FALSE(install.Extract(Target()));
    ExpectNothingLeft("damaged metadata");
}

TEST_F(SfxInstallTest, TheRecordListsWhatWasCreatedInOrder) {
    VQTocNode root(nullptr, kTocFolder);
    AddBytesEntry(root, L"a.txt", kTocFile, "a", kConverterZip);
    boost::shared_ptr<VQTocNode> sub = AddFolderEntry(root, L"sub");
    AddBytesEntry(*sub, L"b.txt", kTocFile, "b", kConverterZip);
    AddBytesEntry(root, L"data", kTocData, "in memory only", kConverterZip);
    VQSfxInstall install(Write(root, L"p.vqz", {{kMetaFolder, L"A\\B"}}));
    ASSERT_TRUE(install.Open());
    ASSERT_TRUE(install.Extract(Target()));
    const std::wstring folder = Target() + L"\\A\\B";
    const std::vector<std::wstring> expected = {Target(), Target() + L"\\A", folder, folder + L"\\a.txt",
                                                folder + L"\\sub", folder + L"\\sub\\b.txt"};
    EXPECT_EQ(expected, install.GetFileLog());
    VQUninstallRecord record;
    ASSERT_TRUE(ReadUninstallRecord(folder + L"\\VQUnistall.dat", record));
    EXPECT_EQ(expected, record.paths);
    EXPECT_EQ(0u, record.registryUndo.size);
    EXPECT_EQ(VQRecordSeal::kValid, record.seal);
}

// The user's files an install replaces - in a macro folder or in the game's
// folder - wait beside their place until the install is over: a failed
// install puts them back, a finished one lets them go.
TEST_F(SfxInstallTest, ReplacedFilesComeBackWhenTheInstallFails) {
    const std::wstring desktop = m_special.FolderOf(L"my_desktop");
    const std::wstring folder = Target() + L"\\Pkg";
    for (bool fails : {true, false}) {
        const char* what = fails ? "failed install" : "finished install";
        ASSERT_TRUE(m_folder.WriteFile(L"special\\my_desktop\\Game.txt", "the user's"));
        ASSERT_TRUE(::SetFileAttributesW((desktop + L"\\Game.txt").c_str(), FILE_ATTRIBUTE_READONLY));
        ASSERT_TRUE(m_folder.WriteFile(L"Games\\Pkg\\game.exe", "old game"));
        VQTocNode root(nullptr, kTocFolder);
        boost::shared_ptr<VQTocNode> onDesktop = AddFolderEntry(root, L"##my_desktop##");
        AddBytesEntry(*onDesktop, L"Game.txt", kTocFile, "desk", kConverterZip);
        AddBytesEntry(*onDesktop, L"Game.txt", kTocFile, "desk again", kConverterZip);  // replaced twice
        AddBytesEntry(root, L"game.exe", kTocFile, "new game", kConverterZip);
        if (fails)
            AddBytesEntry(root, L"..", kTocFile, "evil", kConverterZip);
        VQSfxInstall install(Write(root, L"p.vqz", {{kMetaFolder, L"Pkg"}}));
        ASSERT_TRUE(install.Open()) << what;
        ASSERT_EQ(!fails, install.Extract(Target())) << what;
        if (fails) {
            EXPECT_EQ("Game.txt=the user's\n", DescribeTree(desktop)) << what;
            EXPECT_EQ(FILE_ATTRIBUTE_READONLY, ::GetFileAttributesW((desktop + L"\\Game.txt").c_str()) &
                                                   FILE_ATTRIBUTE_READONLY)
                << what;
            EXPECT_EQ("game.exe=old game\n", DescribeTree(folder)) << what;
            EXPECT_EQ(L"", install.GetUninstallDigest()) << what;
        } else {
            EXPECT_EQ("Game.txt=desk again\n", DescribeTree(desktop)) << what;
            EXPECT_EQ("game.exe=new game\n", DescribeInstalled(folder)) << what;
        }
        ::SetFileAttributesW((desktop + L"\\Game.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFolderTree(Target());
        DeleteFolderTree(desktop);
    }
}

// Without the digest the installed list kept, the record is any file in a
// folder the user can write: the game's folder goes, the macro folders
// keep what the install put there.
TEST_F(SfxInstallTest, WithoutItsDigestTheUninstallStaysInTheGameFolder) {
    VQTocNode root(nullptr, kTocFolder);
    AddBytesEntry(*AddFolderEntry(root, L"##my_desktop##"), L"Game.txt", kTocFile, "desk", kConverterZip);
    AddBytesEntry(root, L"readme.txt", kTocFile, "read", kConverterZip);
    VQSfxInstall install(Write(root, L"p.vqz", {{kMetaFolder, L"Pkg"}}));
    ASSERT_TRUE(install.Open());
    ASSERT_TRUE(install.Extract(Target()));
    const std::wstring folder = Target() + L"\\Pkg";
    EXPECT_EQ(install.GetUninstallDigest(), UninstallRecordDigest(folder + L"\\VQUnistall.dat"));
    ASSERT_TRUE(UninstallFromData(folder + L"\\VQUnistall.dat"));
    EXPECT_FALSE(PathExists(folder));
    EXPECT_EQ("Game.txt=desk\n", DescribeTree(m_special.FolderOf(L"my_desktop")));
}

}  // namespace
}  // namespace Tessar
