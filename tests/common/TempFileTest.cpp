#include "common/FileHandle.h"
#include "common/PathText.h"
#include "common/TempFile.h"
#include "common/TextUtil.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace Tessar {
namespace {

TEST(TempFileTest, SystemFolders) {
    std::wstring temp;
    ASSERT_TRUE(GetTempFolder(temp));
    EXPECT_EQ(L'\\', temp.back());
    EXPECT_TRUE(FolderExists(temp));
    // The long form: no "~1" short names.
    EXPECT_EQ(std::wstring::npos, temp.find(L'~'));

    std::wstring windows;
    ASSERT_TRUE(GetWindowsFolder(windows));
    EXPECT_TRUE(FolderExists(windows));
    EXPECT_TRUE(FileExists(CombinePath(windows, L"system32\\kernel32.dll")));
}

TEST(TempFileTest, MakeTempFileNameCreatesAUniqueFile) {
    VQTempFolder folder;
    std::wstring first, second;
    ASSERT_TRUE(MakeTempFileName(folder.Path(), L"abc", first));
    ASSERT_TRUE(MakeTempFileName(folder.Path(), L"abc", second));
    EXPECT_NE(first, second);
    EXPECT_TRUE(FileExists(first));
    EXPECT_TRUE(StartsWith(GetFileName(first), L"abc"));
    EXPECT_EQ(0, CompareNoCase(folder.Path() + L"\\", first, folder.Path().size() + 1));
    std::wstring path;
    EXPECT_FALSE(MakeTempFileName(folder.PathOf(L"missing"), L"abc", path));
}

TEST(TempFileTest, HolderOwnsAndReleasesItsFile) {
    std::wstring first, second;
    {
        TempFileHolder holder;
        ASSERT_TRUE(CreateTempFile(holder, first));
        EXPECT_TRUE(holder.owned);
        EXPECT_EQ(first, holder.path);
        EXPECT_TRUE(FileExists(first));
        EXPECT_TRUE(StartsWith(GetFileName(first), L"VQ~"));

        ASSERT_TRUE(CreateTempFile(holder, second));  // the first one goes
        EXPECT_FALSE(PathExists(first));
        EXPECT_TRUE(FileExists(second));

        // Read-only files are deleted all the same.
        ASSERT_TRUE(::SetFileAttributesW(second.c_str(), FILE_ATTRIBUTE_READONLY));
        ReleaseTempFile(holder);
        EXPECT_FALSE(holder.owned);
        EXPECT_EQ(L"", holder.path);
        EXPECT_FALSE(PathExists(second));
        ReleaseTempFile(holder);

        ASSERT_TRUE(CreateTempFile(holder, first));
    }
    EXPECT_FALSE(PathExists(first));  // the destructor released it
}

TEST(TempFileTest, HolderStaysOwnerWhenDeletionFails) {
    TempFileHolder holder;
    std::wstring path;
    ASSERT_TRUE(CreateTempFile(holder, path));
    HANDLE file = INVALID_HANDLE_VALUE;
    ASSERT_TRUE(OpenFileHandle(file, path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0));
    ReleaseTempFile(holder);
    EXPECT_TRUE(holder.owned);
    EXPECT_TRUE(FileExists(path));
    CloseFileHandle(file);
    ReleaseTempFile(holder);
    EXPECT_FALSE(holder.owned);
    EXPECT_FALSE(PathExists(path));
}

TEST(TempFileTest, FileMovedAwayIsNoLongerOwned) {
    VQTempFolder folder;
    TempFileHolder holder;
    std::wstring path;
    ASSERT_TRUE(CreateTempFile(holder, path));
    std::wstring moved = folder.PathOf(L"moved.dat");
    ASSERT_TRUE(::MoveFileW(path.c_str(), moved.c_str()));
    ReleaseTempFile(holder);
    EXPECT_FALSE(holder.owned);
    EXPECT_TRUE(FileExists(moved));
}

}  // namespace
}  // namespace Tessar
