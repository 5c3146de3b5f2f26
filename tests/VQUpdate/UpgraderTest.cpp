// The upgrader's work folder, the hand-over's preparation, the clean-up of
// startup.vqt and the replacement of the program folder's files with
// backup and roll-back, all in a scratch temporary and program folder.
#include "VQUpdate/MarkerFile.h"
#include "VQUpdate/UpgradeJournal.h"
#include "VQUpdate/UpgradeMarkers.h"
#include "VQUpdate/UpgradeSeam.h"
#include "VQUpdate/Upgrader.h"

#include "common/FileUtil.h"
#include "common/Md5.h"
#include "common/PathText.h"
#include "common/SystemUtil.h"
#include "tests/VQUpdate/UpdateTestUtil.h"
#include "tests/support/HeldFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Tessar {
namespace {

using ::Tessar::Test::ReadBytes;
using ::Tessar::Test::VQHeldFile;
using ::Tessar::Test::WriteBytes;

typedef std::map<std::wstring, std::string> Tree;  // relative path -> bytes

class UpgraderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_world.Ready()); }

    bool Lay(const std::wstring& folder, const Tree& tree) {
        for (const auto& file : tree) {
            std::wstring path = CombinePath(folder, file.first);
            if (!CreateFolderChain(GetFullPathFolder(path)) || !WriteBytes(path, file.second))
                return false;
        }
        return true;
    }
    // Every file below folder, by relative path.
    Tree Read(const std::wstring& folder, const std::wstring& prefix = std::wstring()) {
        Tree tree;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            return tree;
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                Tree below = Read(folder + L"\\" + name, prefix + name + L"\\");
                tree.insert(below.begin(), below.end());
                if (below.empty())
                    tree[prefix + name + L"\\"] = "";
            } else {
                tree[prefix + name] = ReadBytes(folder + L"\\" + name);
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
        return tree;
    }
    std::wstring Work(const std::wstring& name) const { return m_world.WorkFolder() + L"\\" + name; }

    ::Tessar::Test::VQUpgradeWorld m_world;
};

const Tree kProgram = {
    {L"Norvane.exe", "old manager"},      {L"data.dll", "old library"},
    {L"sub\\inner.txt", "old inner"},     {L"keep.txt", "not in the release"},
    {L"sub\\deep\\more.txt", "old more"},
};
const Tree kRelease = {
    {L"Norvane.exe", "new manager, longer than before"},
    {L"data.dll", "new library"},
    {L"sub\\inner.txt", "new inner"},
    {L"sub\\deep\\more.txt", "new more"},
    {L"added.txt", "added by the release"},
    {L"newfolder\\added.bin", std::string("\0\1\2", 3)},
};

TEST_F(UpgraderTest, TheWorkFolderIsVqtempInTheTemporaryFolder) {
    VQUpgrader upgrader;
    EXPECT_EQ(m_world.WorkFolder() + L"\\", upgrader.WorkFolder());
    EXPECT_TRUE(upgrader.ProgramFolder().empty());
    EXPECT_TRUE(upgrader.IsInWorkFolder(Work(L"download\\a.exe")));
    EXPECT_FALSE(upgrader.IsInWorkFolder(Work(L"..\\a.exe")));
    EXPECT_FALSE(upgrader.IsInWorkFolder(m_world.WorkFolder()));
    EXPECT_FALSE(upgrader.IsInWorkFolder(m_world.WorkFolder() + L"2\\a.exe"));
    EXPECT_FALSE(upgrader.IsInWorkFolder(L"a.exe"));
}

TEST_F(UpgraderTest, PrepareCopiesTheUpdaterAndReleaseAndWritesTheMarkers) {
    std::wstring downloaded = m_world.TempFolder() + L"\\VQ$D.001.002";
    ASSERT_TRUE(Lay(downloaded, {{L"release.exe", "the release"}}));
    VQUpgrader upgrader;
    ASSERT_TRUE(upgrader.Prepare({downloaded + L"\\release.exe"}));

    std::wstring self = GetOwnModulePath();
    std::wstring updaterCopy = Work(GetFileName(self));
    std::wstring releaseCopy = Work(L"download\\release.exe");
    EXPECT_EQ(ReadBytes(self), ReadBytes(updaterCopy));
    EXPECT_EQ("the release", ReadBytes(releaseCopy));
    EXPECT_FALSE(FolderExists(downloaded));  // the window's folder is gone

    std::wstring copy, md5, folder;
    ASSERT_TRUE(SplitRunRecord(ReadMarkerFile(Work(kUpgradeMarkerName)), copy, md5, folder));
    EXPECT_EQ(updaterCopy, copy);
    EXPECT_EQ(Md5OfFile(self), md5);
    EXPECT_EQ(m_world.ProgramFolder(), folder);
    EXPECT_EQ(L"DELETE;" + updaterCopy + L";" + releaseCopy + L";", ReadMarkerFile(Work(kStartupMarkerName)));
    EXPECT_EQ(releaseCopy + L";", ReadMarkerFile(Work(kDownloadMarkerName)));

    VQUpgradeRecord record;
    ASSERT_TRUE(ReadUpgradeRecord(upgrader, record));
    EXPECT_EQ(m_world.ProgramFolder(), ReadUpgradeMarker(upgrader, true));
    EXPECT_EQ(m_world.ProgramFolder(), upgrader.ProgramFolder());
    EXPECT_FALSE(FileExists(Work(kUpgradeMarkerName)));
    std::vector<std::wstring> files;
    ASSERT_TRUE(ReadDownloadMarker(upgrader, files));
    EXPECT_EQ(std::vector<std::wstring>{releaseCopy}, files);
    EXPECT_FALSE(FileExists(Work(kDownloadMarkerName)));
}

TEST_F(UpgraderTest, PrepareFailsWhenAReleaseFileIsMissing) {
    VQUpgrader upgrader;
    EXPECT_FALSE(upgrader.Prepare({m_world.TempFolder() + L"\\VQ$D.1.2\\gone.exe"}));
    EXPECT_FALSE(upgrader.Prepare({}));
    EXPECT_FALSE(FileExists(Work(kUpgradeMarkerName)));
    EXPECT_EQ(kHandOverFailed, upgrader.HandOver(nullptr, {m_world.TempFolder() + L"\\gone.exe"}));
}

TEST_F(UpgraderTest, CleanUpDeletesListedFilesAndRetriesOneInUse) {
    ASSERT_TRUE(Lay(m_world.WorkFolder(), {{L"Selbrin.exe", "copy"}, {L"download\\r.exe", "r"}}));
    VQUpgrader upgrader;
    ASSERT_TRUE(WriteMarkerFile(Work(kUpgradeMarkerName), L"RUN;a;b;c;"));
    ASSERT_TRUE(WriteMarkerFile(Work(kDownloadMarkerName), Work(L"download\\r.exe") + L";"));
    ASSERT_TRUE(WriteMarkerFile(Work(kStartupMarkerName), L"DELETE;" + Work(L"Selbrin.exe") + L";" +
                                                              Work(L"download\\r.exe") + L";" +
                                                              Work(L"already-gone.dll") + L";"));
    {
        VQHeldFile running(Work(L"Selbrin.exe"));  // the updater copy that runs
        ASSERT_TRUE(running.Held());
        EXPECT_FALSE(upgrader.CleanUp());
        EXPECT_FALSE(FileExists(Work(kUpgradeMarkerName)));
        EXPECT_FALSE(FileExists(Work(kDownloadMarkerName)));
        EXPECT_FALSE(FileExists(Work(L"download\\r.exe")));
        EXPECT_TRUE(FileExists(Work(L"Selbrin.exe")));
        EXPECT_TRUE(FileExists(Work(kStartupMarkerName)));  // kept for the next try
    }
    EXPECT_TRUE(upgrader.CleanUp());
    EXPECT_FALSE(FileExists(Work(L"Selbrin.exe")));
    EXPECT_FALSE(FileExists(Work(kStartupMarkerName)));
}

TEST_F(UpgraderTest, CleanUpNeverDeletesOutsideTheWorkFolder) {
    ASSERT_TRUE(Lay(m_world.ProgramFolder(), kProgram));
    ASSERT_TRUE(Lay(m_world.WorkFolder(), {{L"copy.exe", "copy"}}));
    VQUpgrader upgrader;
    const std::wstring records[] = {
        L"DELETE;" + Work(L"copy.exe") + L";" + m_world.ProgramFolder() + L"\\Norvane.exe;",
        L"DELETE;" + Work(L"..\\..\\program\\data.dll") + L";",
        L"DELETE;keep.txt;",
        L"KEEP;" + Work(L"copy.exe") + L";",
    };
    for (const std::wstring& record : records) {
        ASSERT_TRUE(WriteMarkerFile(Work(kStartupMarkerName), record));
        EXPECT_FALSE(upgrader.CleanUp()) << record;
        EXPECT_FALSE(FileExists(Work(kStartupMarkerName))) << record;  // a foreign record is dropped
        EXPECT_EQ(kProgram, Read(m_world.ProgramFolder())) << record;
        EXPECT_TRUE(FileExists(Work(L"copy.exe"))) << record;
    }
}

TEST_F(UpgraderTest, ApplyDownloadReplacesTheFilesAndRemovesBackupAndDownload) {
    ASSERT_TRUE(Lay(m_world.ProgramFolder(), kProgram));
    ASSERT_TRUE(Lay(Work(kReleaseFolderName), kRelease));
    // A backup left by an earlier run is not taken for this one's.
    ASSERT_TRUE(Lay(m_world.ProgramFolder() + L"\\rbtemp", {{L"stale.txt", "stale"}}));
    VQUpgrader upgrader;
    upgrader.SetProgramFolder(m_world.ProgramFolder());
    ASSERT_TRUE(upgrader.ApplyDownload());

    Tree expected = kRelease;
    expected[L"keep.txt"] = kProgram.at(L"keep.txt");
    EXPECT_EQ(expected, Read(m_world.ProgramFolder()));
    EXPECT_FALSE(FolderExists(Work(kReleaseFolderName)));
}

TEST_F(UpgraderTest, AFileThatCannotBeReplacedRollsEverythingBack) {
    const wchar_t* heldFiles[] = {L"data.dll", L"sub\\deep\\more.txt", L"Norvane.exe"};
    for (const wchar_t* heldName : heldFiles) {
        ASSERT_TRUE(Lay(m_world.ProgramFolder(), kProgram));
        ASSERT_TRUE(Lay(Work(kReleaseFolderName), kRelease));
        VQUpgrader upgrader;
        upgrader.SetProgramFolder(m_world.ProgramFolder());
        {
            VQHeldFile held(m_world.ProgramFolder() + L"\\" + heldName);
            ASSERT_TRUE(held.Held());
            EXPECT_FALSE(upgrader.ApplyDownload()) << heldName;
        }
        // Every original file byte for byte, nothing of the release left.
        EXPECT_EQ(kProgram, Read(m_world.ProgramFolder())) << heldName;
        EXPECT_FALSE(FolderExists(Work(kReleaseFolderName))) << heldName;
    }
}

Tree WithoutJournalAndBackup(Tree tree) {
    tree.erase(L"rbtemp.vqj");
    for (auto it = tree.begin(); it != tree.end();)
        it = it->first.compare(0, 7, L"rbtemp\\") == 0 ? tree.erase(it) : std::next(it);
    return tree;
}

// Opens the journal as soon as it is written, as a reader (a virus
// scanner, a backup program) might, and holds it for the rest of the
// upgrade: without FILE_SHARE_DELETE it cannot be deleted.
class VQJournalHolder : public IUpgradeSeam {
public:
    VQJournalHolder(const std::wstring& programFolder, DWORD share)
        : m_journal(JournalPath(programFolder)), m_share(share), m_before(InstallUpgradeSeam(this)) {}
    ~VQJournalHolder() { InstallUpgradeSeam(m_before); }
    void Reached(const std::wstring& step) override {
        if (step == L"journal" && !m_hold)
            m_hold.reset(new VQHeldFile(m_journal, m_share));
    }
    std::wstring EventName(const wchar_t* name) override { return name; }
    bool Held() const { return m_hold && m_hold->Held(); }

private:
    std::wstring m_journal;
    DWORD m_share;
    IUpgradeSeam* m_before;
    std::unique_ptr<VQHeldFile> m_hold;
};

// The copy succeeds but the journal cannot be deleted. A reader that shares
// writing lets the journal be marked finished: the upgrade stands, and the
// next start removes journal and backup without rolling anything back. A
// reader that shares nothing but reading leaves the journal saying
// "unfinished": the upgrade is undone at once, never by a later start that
// has lost the originals.
TEST_F(UpgraderTest, ASuccessWhoseJournalCannotBeDeletedIsNeverRolledBackLater) {
    struct Case {
        const char* name;
        DWORD share;
        bool applied;
    } cases[] = {
        {"reader sharing read and write", FILE_SHARE_READ | FILE_SHARE_WRITE, true},
        {"reader sharing read", FILE_SHARE_READ, false},
    };
    for (const Case& c : cases) {
        DeleteFolderTree(m_world.ProgramFolder());
        ASSERT_TRUE(Lay(m_world.ProgramFolder(), kProgram)) << c.name;
        ASSERT_TRUE(Lay(Work(kReleaseFolderName), kRelease)) << c.name;
        Tree upgraded = kRelease;
        upgraded[L"keep.txt"] = kProgram.at(L"keep.txt");
        const Tree& wanted = c.applied ? upgraded : kProgram;
        {
            VQJournalHolder holder(m_world.ProgramFolder(), c.share);
            VQUpgrader upgrader;
            upgrader.SetProgramFolder(m_world.ProgramFolder());
            EXPECT_EQ(c.applied, upgrader.ApplyDownload()) << c.name;
            ASSERT_TRUE(holder.Held()) << c.name;
            EXPECT_TRUE(FileExists(JournalPath(m_world.ProgramFolder()))) << c.name;
            EXPECT_TRUE(FolderExists(BackupFolder(m_world.ProgramFolder())))
                << c.name << ": the backup stays while its journal does";
            EXPECT_EQ(c.applied, IsFinishedJournal(m_world.ProgramFolder())) << c.name;
            EXPECT_EQ(wanted, WithoutJournalAndBackup(Read(m_world.ProgramFolder()))) << c.name;
            // A start while the reader still holds the journal changes nothing.
            RecoverInterruptedUpgrade(m_world.ProgramFolder());
            EXPECT_EQ(wanted, WithoutJournalAndBackup(Read(m_world.ProgramFolder()))) << c.name;
        }
        // The next start, the reader gone.
        VQRecoveryResult recovered = RecoverInterruptedUpgrade(m_world.ProgramFolder());
        EXPECT_EQ(c.applied ? kLeftoverRemoved : kRolledBack, recovered) << c.name;
        EXPECT_EQ(wanted, Read(m_world.ProgramFolder())) << c.name;
        EXPECT_FALSE(FolderExists(Work(kReleaseFolderName))) << c.name;
    }
}

TEST_F(UpgraderTest, ApplyDownloadNeedsTheDownloadAndTheProgramFolder) {
    VQUpgrader upgrader;
    EXPECT_FALSE(upgrader.ApplyDownload());  // no program folder, no download
    upgrader.SetProgramFolder(m_world.ProgramFolder());
    EXPECT_FALSE(upgrader.ApplyDownload());  // no download
}

TEST_F(UpgraderTest, UpgradeMarkerNamesAnExistingFullFolderOnly) {
    VQUpgrader upgrader;
    struct Case {
        std::wstring record;
        std::wstring folder;
    };
    const Case cases[] = {
        {L"RUN;a;b;" + m_world.ProgramFolder() + L";", m_world.ProgramFolder()},
        {L"RUN;a;b;" + m_world.ProgramFolder() + L"\\missing;", L""},
        {L"RUN;a;b;program;", L""},  // relative
        {L"RUN;a;b;" + m_world.ProgramFolder(), L""},
        {L"RUN;a;" + m_world.ProgramFolder() + L";", L""},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteMarkerFile(Work(kUpgradeMarkerName), c.record));
        EXPECT_EQ(c.folder, ReadUpgradeMarker(upgrader, false)) << c.record;
        EXPECT_TRUE(FileExists(Work(kUpgradeMarkerName))) << c.record;
    }
}

TEST_F(UpgraderTest, DownloadMarkerListsOnlyExistingFilesOfTheDownloadFolder) {
    ASSERT_TRUE(Lay(Work(kReleaseFolderName), {{L"a.exe", "a"}, {L"b.dat", "b"}}));
    ASSERT_TRUE(Lay(m_world.ProgramFolder(), {{L"evil.exe", "x"}}));
    VQUpgrader upgrader;
    struct Case {
        std::wstring record;
        bool ok;
    };
    const Case cases[] = {
        {Work(L"download\\a.exe") + L";" + Work(L"download\\b.dat") + L";", true},
        {Work(L"download\\a.exe") + L";" + Work(L"download\\gone.exe") + L";", false},
        {m_world.ProgramFolder() + L"\\evil.exe;", false},
        {Work(L"download\\..\\..\\..\\program\\evil.exe") + L";", false},
        {L"download\\a.exe;", false},  // relative
        {L";", false},
        {L"", false},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteMarkerFile(Work(kDownloadMarkerName), c.record));
        std::vector<std::wstring> files;
        EXPECT_EQ(c.ok, ReadDownloadMarker(upgrader, files)) << c.record;
        EXPECT_EQ(c.ok ? 2u : 0u, files.size()) << c.record;
        EXPECT_FALSE(FileExists(Work(kDownloadMarkerName))) << c.record;
    }
}

TEST_F(UpgraderTest, RestartMarkerFillsInThisProgramForEmptyFields) {
    ASSERT_TRUE(WriteRestartMarker(L"", L"", L"-background"));
    std::wstring program, folder, parameters;
    ASSERT_TRUE(ReadRestartMarker(program, folder, parameters));
    EXPECT_EQ(GetOwnModulePath(), program);
    EXPECT_EQ(GetFullPathFolder(GetOwnModulePath()), folder + L"\\");
    EXPECT_EQ(L"-background", parameters);
    EXPECT_TRUE(FileExists(Work(kRestartMarkerName)));

    ASSERT_TRUE(WriteRestartMarker(L"C:\\p\\N.exe", L"C:\\p", L""));
    ASSERT_TRUE(ReadRestartMarker(program, folder, parameters));
    EXPECT_EQ(L"C:\\p\\N.exe", program);
    EXPECT_EQ(L"C:\\p", folder);
    EXPECT_EQ(L"", parameters);
}

}  // namespace
}  // namespace Tessar
