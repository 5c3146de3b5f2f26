// The upgrade journal and the recovery at a start: what an upgrade that
// died half-way leaves is undone whole from "rbtemp", and a journal that is
// damaged or not ours never makes the recovery touch anything outside the
// program folder.
#include "VQUpdate/MarkerFile.h"
#include "VQUpdate/UpgradeJournal.h"

#include "common/FileUtil.h"
#include "common/PathText.h"
#include "tests/support/TempFolder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace Tessar {
namespace {

typedef std::map<std::wstring, std::string> Tree;

class UpgradeJournalTest : public ::testing::Test {
protected:
    std::wstring Program() const { return m_root.PathOf(L"program"); }
    bool Lay(const Tree& tree) const {
        for (const auto& file : tree) {
            if (!m_root.WriteFile(L"program\\" + file.first, file.second))
                return false;
        }
        return true;
    }
    Tree Read() const {
        Tree tree;
        Collect(L"", tree);
        return tree;
    }
    void Collect(const std::wstring& relative, Tree& tree) const {
        WIN32_FIND_DATAW found;
        std::wstring folder = relative.empty() ? Program() : Program() + L"\\" + relative;
        HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE)
            return;
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring path = relative.empty() ? name : relative + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                tree[path + L"\\"] = "";
                Collect(path, tree);
            } else {
                tree[path] = m_root.ReadFile(L"program\\" + path);
            }
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }

    VQTempFolder m_root;
};

TEST_F(UpgradeJournalTest, AJournalReadsBackAsWrittenAndRefusesUnsafePaths) {
    ASSERT_TRUE(CreateFolderChain(Program()));
    std::vector<VQJournalEntry> written = {
        {kJournalReplaced, L"Norvane.exe"}, {kJournalAddedFolder, L"new"}, {kJournalAddedFile, L"new\\a.txt"}};
    ASSERT_TRUE(WriteJournal(Program(), written));
    std::vector<VQJournalEntry> read;
    ASSERT_TRUE(ReadJournal(Program(), read));
    ASSERT_EQ(written.size(), read.size());
    for (size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(written[i].action, read[i].action) << i;
        EXPECT_EQ(written[i].relativePath, read[i].relativePath) << i;
    }
    struct Case {
        const char* name;
        const wchar_t* path;
    } unsafe[] = {
        {"parent", L"..\\outside.txt"},      {"inner parent", L"sub\\..\\..\\x"}, {"absolute", L"C:\\x.txt"},
        {"rooted", L"\\x.txt"},              {"empty", L""},                     {"stream", L"a.txt:stream"},
        {"current", L".\\a.txt"},
    };
    for (const Case& c : unsafe) {
        EXPECT_FALSE(IsSafeJournalPath(c.path)) << c.name;
        EXPECT_FALSE(WriteJournal(Program(), {{kJournalAddedFile, c.path}})) << c.name;
        // Written by hand: the reader refuses it as well.
        ASSERT_TRUE(WriteMarkerFile(JournalPath(Program()), std::wstring(L"JOURNAL;A|") + c.path + L";")) << c.name;
        EXPECT_FALSE(ReadJournal(Program(), read)) << c.name;
    }
    ASSERT_TRUE(WriteMarkerFile(JournalPath(Program()), L"JOURNAL;X|a.txt;"));
    EXPECT_FALSE(ReadJournal(Program(), read)) << "unknown action";
    ASSERT_TRUE(WriteMarkerFile(JournalPath(Program()), L"RUN;A|a.txt;"));
    EXPECT_FALSE(ReadJournal(Program(), read)) << "not a journal";
}

TEST_F(UpgradeJournalTest, RecoveryUndoesAnUnfinishedUpgradeOrRemovesALeftoverBackup) {
    const Tree original = {{L"Norvane.exe", "old manager"}, {L"data.txt", "old data"}, {L"keep.txt", "user's"}};
    struct Case {
        const char* name;
        Tree upgraded;                        // the program folder as the upgrade left it
        Tree backup;                          // rbtemp
        const wchar_t* journal;               // record text; null: no journal
        VQRecoveryResult expected;
        Tree after;                           // the folder afterwards (without rbtemp)
    } cases[] = {
        {"half copied: replaced, added file and folder",
         {{L"Norvane.exe", "new manager"}, {L"data.txt", "old data"}, {L"new\\a.txt", "added"}},
         {{L"Norvane.exe", "old manager"}, {L"data.txt", "old data"}},
         L"JOURNAL;R|Norvane.exe;R|data.txt;D|new;A|new\\a.txt;",
         kRolledBack,
         original},
        {"journal written, nothing replaced yet",
         {},
         {{L"Norvane.exe", "old manager"}, {L"data.txt", "old data"}},
         L"JOURNAL;R|Norvane.exe;R|data.txt;A|added.txt;",
         kRolledBack,
         original},
        {"an added folder that holds other files stays",
         {{L"new\\a.txt", "added"}, {L"new\\user.txt", "not the release's"}},
         {},
         L"JOURNAL;D|new;A|new\\a.txt;",
         kRolledBack,
         [&] {
             Tree t = original;
             t[L"new\\"] = "";
             t[L"new\\user.txt"] = "not the release's";
             return t;
         }()},
        {"backup without journal: the upgrade had finished",
         {{L"Norvane.exe", "new manager"}},
         {{L"Norvane.exe", "old manager"}},
         nullptr,
         kLeftoverRemoved,
         [&] {
             Tree t = original;
             t[L"Norvane.exe"] = "new manager";
             return t;
         }()},
        {"damaged journal: every saved original comes back",
         {{L"Norvane.exe", "new manager"}, {L"data.txt", "new data"}},
         {{L"Norvane.exe", "old manager"}, {L"data.txt", "old data"}},
         L"JOURNAL;A|..\\..\\elsewhere.txt;",
         kRolledBack,
         original},
        {"finished journal: the upgrade stays, journal and backup go",
         {{L"Norvane.exe", "new manager"}, {L"new\\a.txt", "added"}},
         {{L"Norvane.exe", "old manager"}},
         L"FINISHED;",
         kLeftoverRemoved,
         [&] {
             Tree t = original;
             t[L"Norvane.exe"] = "new manager";
             t[L"new\\"] = "";
             t[L"new\\a.txt"] = "added";
             return t;
         }()},
        {"nothing to do", {}, {}, nullptr, kNothingToRecover, original},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(m_root.MakeFolder(L"program")) << c.name;
        DeleteFolderTree(Program());
        ASSERT_TRUE(Lay(original)) << c.name;
        ASSERT_TRUE(Lay(c.upgraded)) << c.name;
        for (const auto& file : c.backup)
            ASSERT_TRUE(m_root.WriteFile(L"program\\rbtemp\\" + file.first, file.second)) << c.name;
        if (c.journal != nullptr) {
            ASSERT_TRUE(WriteMarkerFile(JournalPath(Program()), c.journal)) << c.name;
        }
        EXPECT_EQ(c.expected, RecoverInterruptedUpgrade(Program())) << c.name;
        EXPECT_EQ(c.after, Read()) << c.name;
        EXPECT_FALSE(FileExists(JournalPath(Program()))) << c.name;
        EXPECT_FALSE(FolderExists(BackupFolder(Program()))) << c.name;
    }
}

// A journal another program holds open (reading, sharing read and write,
// not delete) cannot be deleted or replaced: it is marked finished in place,
// and a start never rolls it back. What an overwrite in place may leave of
// the old record behind the new one does not change that.
TEST_F(UpgradeJournalTest, AHeldJournalIsMarkedFinishedInPlaceAndNeverRolledBack) {
    const Tree upgraded = {{L"Norvane.exe", "new manager"}, {L"new\\a.txt", "added"}};
    ASSERT_TRUE(Lay(upgraded));
    ASSERT_TRUE(m_root.WriteFile(L"program\\rbtemp\\Norvane.exe", "old manager"));
    ASSERT_TRUE(WriteJournal(Program(), {{kJournalReplaced, L"Norvane.exe"},
                                         {kJournalAddedFolder, L"new"},
                                         {kJournalAddedFile, L"new\\a.txt"}}));
    std::string unfinished = m_root.ReadFile(L"program\\rbtemp.vqj");
    HANDLE held = CreateFileW(JournalPath(Program()).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_FALSE(ForceDeleteFile(JournalPath(Program()))) << "the hold keeps the journal";
    EXPECT_TRUE(FinishJournal(Program()));
    EXPECT_TRUE(IsFinishedJournal(Program()));
    EXPECT_TRUE(FolderExists(BackupFolder(Program()))) << "the backup outlives its journal never";
    EXPECT_EQ(kFinishedKept, RecoverInterruptedUpgrade(Program())) << "a start while it is held";
    CloseHandle(held);
    Tree expected = upgraded;
    expected[L"new\\"] = "";
    expected[L"rbtemp.vqj"] = Read()[L"rbtemp.vqj"];
    expected[L"rbtemp\\"] = "";
    expected[L"rbtemp\\Norvane.exe"] = "old manager";
    EXPECT_EQ(expected, Read());

    // The old record's tail behind the new one, as a stop during the
    // overwrite may leave it.
    std::string finished = m_root.ReadFile(L"program\\rbtemp.vqj");
    ASSERT_LT(finished.size(), unfinished.size());
    ASSERT_TRUE(m_root.WriteFile(L"program\\rbtemp.vqj", finished + unfinished.substr(finished.size())));
    EXPECT_TRUE(IsFinishedJournal(Program()));
    EXPECT_EQ(kLeftoverRemoved, RecoverInterruptedUpgrade(Program()));
    expected.erase(L"rbtemp.vqj");
    expected.erase(L"rbtemp\\");
    expected.erase(L"rbtemp\\Norvane.exe");
    EXPECT_EQ(expected, Read());
}

TEST_F(UpgradeJournalTest, AJournalThatCanBeNeitherDeletedNorMarkedIsNoFinish) {
    ASSERT_TRUE(Lay({{L"Norvane.exe", "new manager"}}));
    ASSERT_TRUE(m_root.WriteFile(L"program\\rbtemp\\Norvane.exe", "old manager"));
    ASSERT_TRUE(WriteJournal(Program(), {{kJournalReplaced, L"Norvane.exe"}}));
    // Held for reading, sharing nothing but reading.
    HANDLE held = CreateFileW(JournalPath(Program()).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_FALSE(FinishJournal(Program()));
    CloseHandle(held);
    EXPECT_FALSE(IsFinishedJournal(Program()));
    EXPECT_EQ("old manager", m_root.ReadFile(L"program\\rbtemp\\Norvane.exe")) << "the backup stays";
}

TEST_F(UpgradeJournalTest, AnOriginalThatCannotComeBackKeepsJournalAndBackupForTheNextStart) {
    ASSERT_TRUE(Lay({{L"Norvane.exe", "new manager"}, {L"data.txt", "new data"}}));
    ASSERT_TRUE(m_root.WriteFile(L"program\\rbtemp\\Norvane.exe", "old manager"));
    ASSERT_TRUE(m_root.WriteFile(L"program\\rbtemp\\data.txt", "old data"));
    ASSERT_TRUE(WriteMarkerFile(JournalPath(Program()), L"JOURNAL;R|Norvane.exe;R|data.txt;"));
    {
        // A program that holds data.txt open for reading only.
        HANDLE held = CreateFileW((Program() + L"\\data.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        EXPECT_EQ(kRecoveryFailed, RecoverInterruptedUpgrade(Program()));
        CloseHandle(held);
    }
    EXPECT_EQ("old manager", m_root.ReadFile(L"program\\Norvane.exe")) << "what can come back does";
    EXPECT_TRUE(FileExists(JournalPath(Program())));
    EXPECT_EQ("old data", m_root.ReadFile(L"program\\rbtemp\\data.txt")) << "the backup is never thrown away";
    EXPECT_EQ(kRolledBack, RecoverInterruptedUpgrade(Program())) << "the next start finishes it";
    EXPECT_EQ("old data", m_root.ReadFile(L"program\\data.txt"));
    EXPECT_FALSE(FolderExists(BackupFolder(Program())));
}

}  // namespace
}  // namespace Tessar
