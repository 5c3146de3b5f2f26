#include "common/CodePage.h"
#include "common/FileFinder.h"
#include "common/FileUtil.h"
#include "common/FileHandle.h"
#include "common/PathText.h"
#include "common/TextUtil.h"

#include "tests/support/HostFolderLink.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <set>

namespace Tessar {
namespace {

std::set<std::wstring> NamesIn(const std::wstring& folder) {
    std::set<std::wstring> names;
    FindFileIterator finder;
    FindFileEntry entry;
    for (bool found = finder.First(folder + L"\\*", entry); found; found = finder.Next(entry)) {
        if (!entry.IsDots())
            names.insert(entry.name);
    }
    return names;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    std::wstring x = NormalizeText(a, kNormalizeTrailingBackslash | kNormalizeBackslashes);
    std::wstring y = NormalizeText(b, kNormalizeTrailingBackslash | kNormalizeBackslashes);
    return x.size() == y.size() && CompareNoCase(x, y, x.size()) == 0;
}

// Puts the current folder back at the end of a test.
class CurrentFolderKeeper {
public:
    CurrentFolderKeeper() : m_folder(GetCurrentFolder()) {}
    ~CurrentFolderKeeper() { ::SetCurrentDirectoryW(m_folder.c_str()); }

private:
    std::wstring m_folder;
};

TEST(FileUtilTest, MoveFileReplaceOverReadOnlyTarget) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"new.dat", "new contents"));
    ASSERT_TRUE(folder.WriteFile(L"target.dat", "old"));
    std::wstring target = folder.PathOf(L"target.dat");
    ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(MoveFileReplace(folder.PathOf(L"new.dat"), target));
    EXPECT_EQ("new contents", folder.ReadFile(L"target.dat"));
    EXPECT_EQ(std::set<std::wstring>{L"target.dat"}, NamesIn(folder.Path()));
}

TEST(FileUtilTest, MoveFileReplaceKeepsTargetWhenSourceCannotMove) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"target.dat", "old"));
    std::wstring target = folder.PathOf(L"target.dat");
    EXPECT_FALSE(MoveFileReplace(folder.PathOf(L"missing.dat"), target));
    EXPECT_EQ("old", folder.ReadFile(L"target.dat"));

    // A source held open without sharing cannot move; the target, set aside
    // on the way, comes back under its own name.
    ASSERT_TRUE(folder.WriteFile(L"locked.dat", "locked"));
    HANDLE lock = INVALID_HANDLE_VALUE;
    ASSERT_TRUE(OpenFileHandle(lock, folder.PathOf(L"locked.dat"), GENERIC_READ, 0, OPEN_EXISTING, 0));
    EXPECT_FALSE(MoveFileReplace(folder.PathOf(L"locked.dat"), target));
    CloseFileHandle(lock);
    EXPECT_EQ("old", folder.ReadFile(L"target.dat"));
    EXPECT_EQ("locked", folder.ReadFile(L"locked.dat"));
    EXPECT_EQ((std::set<std::wstring>{L"locked.dat", L"target.dat"}), NamesIn(folder.Path()));
}

TEST(FileUtilTest, MakeUniqueName) {
    VQTempFolder folder;
    std::wstring unique;
    ASSERT_TRUE(MakeUniqueName(folder.PathOf(L"a.txt"), unique));
    EXPECT_EQ(folder.PathOf(L"a.txt"), unique);
    for (const wchar_t* name : {L"a.txt", L"a(1).txt", L"a(2).txt"})
        ASSERT_TRUE(folder.WriteFile(name, "x"));
    ASSERT_TRUE(MakeUniqueName(folder.PathOf(L"a.txt"), unique));
    EXPECT_EQ(folder.PathOf(L"a(3).txt"), unique);
    ASSERT_TRUE(folder.MakeFolder(L"game"));
    ASSERT_TRUE(MakeUniqueName(folder.PathOf(L"game"), unique));
    EXPECT_EQ(folder.PathOf(L"game(1)"), unique);
}

TEST(FileUtilTest, DeleteFolderTreeCountsFilesAndClearsReadOnly) {
    VQTempFolder folder;
    for (const wchar_t* name : {L"tree\\a.txt", L"tree\\b.txt", L"tree\\sub\\c.txt", L"tree\\sub\\deeper\\d.txt"})
        ASSERT_TRUE(folder.WriteFile(name, "x"));
    ASSERT_TRUE(folder.MakeFolder(L"tree\\empty"));
    ASSERT_TRUE(::SetFileAttributesW(folder.PathOf(L"tree\\b.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(::SetFileAttributesW(folder.PathOf(L"tree\\sub").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(4u, DeleteFolderTree(folder.PathOf(L"tree/")));
    EXPECT_FALSE(PathExists(folder.PathOf(L"tree")));
    EXPECT_EQ(0u, DeleteFolderTree(folder.PathOf(L"tree")));
}

TEST(FileUtilTest, DeleteFolderTreeOfTheCurrentFolderMovesToItsParent) {
    CurrentFolderKeeper keeper;
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"work\\inner\\a.txt", "x"));
    ASSERT_TRUE(::SetCurrentDirectoryW(folder.PathOf(L"work\\inner").c_str()));
    EXPECT_EQ(1u, DeleteFolderTree(folder.PathOf(L"work")));
    EXPECT_FALSE(PathExists(folder.PathOf(L"work")));
    EXPECT_TRUE(SamePath(folder.Path(), GetCurrentFolder())) << GetCurrentFolder();
}

TEST(FileUtilTest, DeleteFolderTreeNeverFollowsALinkOutOfTheTree) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"outside\\keep.txt", "keep"));
    ASSERT_TRUE(folder.WriteFile(L"tree\\mine.txt", "x"));
    if (!MakeHostFolderLink(folder.PathOf(L"outside"), folder.PathOf(L"tree\\link")))
        GTEST_SKIP() << "no way to make a folder link here";
    ASSERT_EQ("keep", folder.ReadFile(L"tree\\link\\keep.txt"));
    EXPECT_EQ(1u, DeleteFolderTree(folder.PathOf(L"tree")));
    EXPECT_EQ("keep", folder.ReadFile(L"outside\\keep.txt"));
    EXPECT_FALSE(FileExists(folder.PathOf(L"tree\\mine.txt")));

    // A link given as the root is removed as a link too.
    ASSERT_TRUE(MakeHostFolderLink(folder.PathOf(L"outside"), folder.PathOf(L"rootlink")));
    EXPECT_EQ(0u, DeleteFolderTree(folder.PathOf(L"rootlink")));
    EXPECT_EQ("keep", folder.ReadFile(L"outside\\keep.txt"));
}

TEST(FileUtilTest, DeleteFolderTreeOnAFileOrNothing) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"single.txt", "x"));
    EXPECT_EQ(1u, DeleteFolderTree(folder.PathOf(L"single.txt")));
    EXPECT_FALSE(PathExists(folder.PathOf(L"single.txt")));
    EXPECT_EQ(0u, DeleteFolderTree(folder.PathOf(L"missing")));

    ASSERT_TRUE(folder.WriteFile(L"gone\\x.txt", "x"));
    DeleteFolderIfExists(folder.PathOf(L"gone"));
    EXPECT_FALSE(PathExists(folder.PathOf(L"gone")));
    DeleteFolderIfExists(folder.PathOf(L"gone"));
}

TEST(FileUtilTest, CreateFolderChain) {
    VQTempFolder folder;
    EXPECT_TRUE(CreateFolderChain(folder.PathOf(L"a/b\\c")));
    EXPECT_TRUE(FolderExists(folder.PathOf(L"a\\b\\c")));
    EXPECT_TRUE(CreateFolderChain(folder.PathOf(L"a\\b\\c\\")));
    ASSERT_TRUE(folder.WriteFile(L"file", "x"));
    EXPECT_FALSE(CreateFolderChain(folder.PathOf(L"file")));
    EXPECT_FALSE(CreateFolderChain(folder.PathOf(L"file\\below")));
    EXPECT_TRUE(CreateFolder(folder.PathOf(L"one")));
    EXPECT_FALSE(CreateFolder(folder.PathOf(L"one")));
}

TEST(FileUtilTest, CopyAndRenameNeverReplace) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"a.txt", "a"));
    ASSERT_TRUE(folder.WriteFile(L"b.txt", "b"));
    EXPECT_FALSE(CopyFileNoReplace(folder.PathOf(L"a.txt"), folder.PathOf(L"b.txt")));
    EXPECT_FALSE(RenameFile(folder.PathOf(L"a.txt"), folder.PathOf(L"b.txt")));
    EXPECT_EQ("b", folder.ReadFile(L"b.txt"));
    EXPECT_TRUE(CopyFileNoReplace(folder.PathOf(L"a.txt"), folder.PathOf(L"c.txt")));
    EXPECT_EQ("a", folder.ReadFile(L"c.txt"));
    EXPECT_TRUE(RenameFile(folder.PathOf(L"c.txt"), folder.PathOf(L"d.txt")));
    EXPECT_EQ((std::set<std::wstring>{L"a.txt", L"b.txt", L"d.txt"}), NamesIn(folder.Path()));
}

TEST(FileUtilTest, DeletingReadOnlyFiles) {
    VQTempFolder folder;
    for (const wchar_t* name : {L"a.txt", L"b.txt"}) {
        ASSERT_TRUE(folder.WriteFile(name, "x"));
        ASSERT_TRUE(::SetFileAttributesW(folder.PathOf(name).c_str(), FILE_ATTRIBUTE_READONLY));
    }
    EXPECT_TRUE(ForceDeleteFile(folder.PathOf(L"a.txt")));
    EXPECT_TRUE(DeleteFileClearReadOnly(folder.PathOf(L"b.txt")));
    EXPECT_TRUE(NamesIn(folder.Path()).empty());
    EXPECT_FALSE(ForceDeleteFile(folder.PathOf(L"a.txt")));
    EXPECT_FALSE(DeleteFileClearReadOnly(folder.PathOf(L"b.txt")));
}

TEST(FileUtilTest, SetFileTimeByPathOnFilesAndFolders) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"f.txt", "x"));
    ASSERT_TRUE(::SetFileAttributesW(folder.PathOf(L"f.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(folder.MakeFolder(L"d"));
    FILETIME when = {0, 0x01D20000};
    for (const wchar_t* name : {L"f.txt", L"d"}) {
        ASSERT_TRUE(SetFileTimeByPath(folder.PathOf(name), nullptr, nullptr, &when)) << name;
        FindFileIterator finder;
        FindFileEntry entry;
        ASSERT_TRUE(finder.First(folder.PathOf(name), entry));
        EXPECT_EQ(static_cast<uint64_t>(when.dwHighDateTime) << 32, entry.lastWriteTime) << name;
    }
    EXPECT_FALSE(SetFileTimeByPath(folder.PathOf(L"missing"), nullptr, nullptr, &when));
}

TEST(FileUtilTest, TruncateFile) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"f.bin", "0123456789"));
    EXPECT_TRUE(TruncateFile(folder.PathOf(L"f.bin"), 4));
    EXPECT_EQ("0123", folder.ReadFile(L"f.bin"));
    EXPECT_TRUE(TruncateFile(folder.PathOf(L"f.bin"), 6));
    EXPECT_EQ(6u, folder.ReadFile(L"f.bin").size());
    EXPECT_FALSE(TruncateFile(folder.PathOf(L"missing.bin"), 1));
}

TEST(FileUtilTest, FullPathsAndTheCurrentFolder) {
    CurrentFolderKeeper keeper;
    VQTempFolder folder;
    ASSERT_TRUE(::SetCurrentDirectoryW(folder.Path().c_str()));
    EXPECT_TRUE(SamePath(folder.Path(), GetCurrentFolder()));

    std::wstring full;
    size_t namePos = 0;
    ASSERT_TRUE(GetFullPath(L"sub\\..\\game\\run.exe", full, namePos));
    EXPECT_TRUE(SamePath(folder.PathOf(L"game\\run.exe"), full)) << full;
    EXPECT_EQ(L"run.exe", full.substr(namePos));
    EXPECT_EQ(L"run.exe", GetFullPathFileName(L"game/run.exe"));
    EXPECT_TRUE(SamePath(folder.PathOf(L"game"), GetFullPathFolder(L"game\\run.exe")));
    EXPECT_EQ(L'\\', GetFullPathFolder(L"game\\run.exe").back());
    EXPECT_EQ(L"", GetFullPathFileName(L"game\\"));

    std::wstring tooLong(600, L'a');
    EXPECT_FALSE(GetFullPath(tooLong, full, namePos));
    EXPECT_EQ(L"", GetFullPathFolder(tooLong));
}

}  // namespace
}  // namespace Tessar
