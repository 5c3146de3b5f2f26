#include "common/PathText.h"

#include "tests/support/TempFolder.h"
#include "tests/support/UnusedDrive.h"

#include <gtest/gtest.h>

namespace Tessar {
namespace {

TEST(PathTextTest, NormalizeText) {
    struct Case {
        const wchar_t* text;
        uint32_t flags;
        const wchar_t* expected;
    } cases[] = {
        {L"AbC", kNormalizeLower, L"abc"},
        {L"AbC", kNormalizeUpper, L"ABC"},
        {L"\"C:\\a b\"", kNormalizeUnquote, L"C:\\a b"},
        {L"\"", kNormalizeUnquote, L"\""},
        {L"\"abc", kNormalizeUnquote, L"\"abc"},
        {L"C:\\games//", kNormalizeTrailingBackslash, L"C:\\games\\"},
        {L"C:\\games", kNormalizeTrailingBackslash, L"C:\\games\\"},
        {L"//", kNormalizeTrailingBackslash, L""},
        {L"C:\\games\\/", kNormalizeNoTrailingSeparator, L"C:\\games"},
        {L"C:/a/b", kNormalizeBackslashes, L"C:\\a\\b"},
        {L"\"C:/Games/\"", kNormalizeUnquote | kNormalizeTrailingBackslash | kNormalizeBackslashes | kNormalizeLower,
         L"c:\\games\\"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, NormalizeText(c.text, c.flags)) << c.text << " flags " << c.flags;
}

TEST(PathTextTest, CombinePath) {
    struct Case {
        const wchar_t* folder;
        const wchar_t* name;
        const wchar_t* expected;
    } cases[] = {
        {L"C:\\games\\", L"\\setup.exe", L"C:\\games\\setup.exe"},
        {L"C:\\games", L"setup.exe", L"C:\\games\\setup.exe"},
        {L"C:\\games//", L"//a/b", L"C:\\games\\a/b"},
        {L"C:\\games", L"D:\\other\\x.exe", L"D:\\other\\x.exe"},
        {L"C:\\games", L"\\\\server\\share", L"\\\\server\\share"},
        {L"\"C:\\my games\"", L"\"x.exe\"", L"C:\\my games\\x.exe"},
        {L"", L"x.exe", L"x.exe"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, CombinePath(c.folder, c.name)) << c.folder << " + " << c.name;
}

TEST(PathTextTest, IsAbsolutePath) {
    struct Case {
        const wchar_t* text;
        bool expected;
    } cases[] = {
        {L"\\\\server\\share", true}, {L"C:\\x", true},  {L"c:/x", true},   {L"C:", false},
        {L"C:x", false},              {L"\\x", false},   {L"x\\y", false},  {L"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, IsAbsolutePath(c.text)) << c.text;
}

TEST(PathTextTest, SplittingPaths) {
    std::wstring folder, separator, name;
    SplitFolderAndName(L"C:\\games\\a.exe", folder, separator, name);
    EXPECT_EQ(L"C:\\games", folder);
    EXPECT_EQ(L"\\", separator);
    EXPECT_EQ(L"a.exe", name);
    SplitFolderAndName(L"a.exe", folder, separator, name);
    EXPECT_EQ(L"a.exe", folder);
    EXPECT_EQ(L"", separator);
    EXPECT_EQ(L"", name);

    EXPECT_EQ(L"C:\\a\\", GetLastPathPart(L"C:\\a\\b.txt"));
    EXPECT_EQ(L"b.txt", GetLastPathPart(L"b.txt"));
    EXPECT_EQ(L"C:\\a\\", GetTrimmedLastPathPart(L"C:\\a\\b\\"));
    EXPECT_EQ(L"C:\\a\\", GetTrimmedLastPathPart(L"C:\\a\\b\\c.txt"));

    std::vector<std::wstring> parts;
    SplitPathParts(L"\\\\srv/a\\\\b\\", parts);
    EXPECT_EQ((std::vector<std::wstring>{L"", L"", L"srv", L"a", L"", L"b"}), parts);
    SplitPathParts(L"", parts);
    EXPECT_TRUE(parts.empty());
}

TEST(PathTextTest, NameParts) {
    struct Case {
        const wchar_t* path;
        const wchar_t* extension;
        const wchar_t* title;
        const wchar_t* name;
        const wchar_t* withoutExtension;
    } cases[] = {
        {L"C:\\games\\run.exe", L".exe", L"run", L"run.exe", L"C:\\games\\run"},
        {L"C:/games.d/run", L"", L"run", L"run", L"C:\\games.d\\run"},
        {L"archive.tar.gz", L".gz", L"archive.tar", L"archive.tar.gz", L"archive.tar"},
        {L"C:\\games\\.hidden", L".hidden", L"", L".hidden", L"C:\\games\\"},
        {L"", L"", L"", L"", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.extension, GetFileExtension(c.path)) << c.path;
        EXPECT_EQ(c.title, GetFileTitle(c.path)) << c.path;
        EXPECT_EQ(c.name, GetFileName(c.path)) << c.path;
        EXPECT_EQ(c.withoutExtension, RemoveFileExtension(c.path)) << c.path;
    }
}

TEST(PathTextTest, InvalidCharacters) {
    std::wstring found;
    EXPECT_TRUE(FindInvalidPathChars(L"C:\\游戏\\a b.exe", found));
    EXPECT_EQ(L"", found);
    EXPECT_FALSE(FindInvalidPathChars(L"C:\\a*b?c<d>e|f\"g:h\ti", found));
    EXPECT_EQ(L"* ? < > | \" : \t", found);
}

TEST(PathTextTest, ReservedNamesAreWholeParts) {
    struct Case {
        const wchar_t* path;
        bool valid;
        const wchar_t* found;
    } cases[] = {
        {L"C:\\Control\\Auxiliary\\Nullsoft\\Console\\COM10\\LPT", true, L""},
        {L"C:\\games\\CON", false, L"CON"},
        {L"C:\\games\\ aux \\x", false, L"aux"},
        {L"D:/nul.txt/prn", false, L"nul.txt prn"},
        {L"C:\\com1\\Lpt9", false, L"com1 Lpt9"},
        {L"C:\\\\games", true, L""},  // an empty part is no device
    };
    for (const Case& c : cases) {
        std::wstring found;
        EXPECT_EQ(c.valid, FindReservedNames(c.path, found)) << c.path;
        EXPECT_EQ(c.found, found) << c.path;
        EXPECT_EQ(c.valid, IsValidFolderPath(c.path)) << c.path;
    }
    EXPECT_FALSE(IsValidFolderPath(L"C:\\games\\a?b"));
}

TEST(PathTextTest, ExistenceOfFilesAndFolders) {
    VQTempFolder temp;
    ASSERT_FALSE(temp.Path().empty());
    ASSERT_TRUE(temp.WriteFile(L"file.txt", "x"));
    std::wstring file = temp.PathOf(L"file.txt");
    std::wstring missing = temp.PathOf(L"missing");
    struct Case {
        std::wstring path;
        bool exists, isFile, isFolder;
    } cases[] = {
        {file, true, true, false},
        {L"\"" + file + L"\"", true, true, false},
        {temp.Path(), true, false, true},
        {L"\"" + temp.Path() + L"\\\"", true, false, true},
        {missing, false, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.exists, PathExists(c.path)) << c.path;
        EXPECT_EQ(c.isFile, FileExists(c.path)) << c.path;
        EXPECT_EQ(c.isFolder, FolderExists(c.path)) << c.path;
    }
}

TEST(PathTextTest, DriveRoots) {
    EXPECT_TRUE(IsDriveRoot(L"C:"));
    EXPECT_TRUE(IsDriveRoot(L"C:\\"));
    EXPECT_TRUE(IsDriveRoot(L"\"c:/\""));
    EXPECT_FALSE(IsDriveRoot(L"C:\\windows"));
    std::wstring unused = FindUnusedDriveRoot();
    if (!unused.empty()) {
        EXPECT_FALSE(IsDriveRoot(unused));
    }
}

}  // namespace
}  // namespace Tessar
