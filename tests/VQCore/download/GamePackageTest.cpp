// Format B packages (Flash games, icon packages): extraction, the main
// ".swf" file, times and sizes, and damaged or hostile packages.
#include "VQCore/download/GamePackage.h"
#include "VQCore/download/GamePackageWriter.h"
#include "common/CodePage.h"
#include "common/FileUtil.h"
#include "common/PathText.h"
#include "tests/VQCore/download/PackageTestUtil.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace Tessar {
namespace {

VQGamePackSource Folder(const std::wstring& path) {
    VQGamePackSource source;
    SetGamePackageItemPath(source.item, path);
    source.item.type = kGameItemFolder;
    source.item.attributes = FILE_ATTRIBUTE_DIRECTORY;
    return source;
}

VQGamePackSource File(const std::wstring& path, const std::string& bytes) {
    VQGamePackSource source;
    SetGamePackageItemPath(source.item, path);
    source.item.type = kGameItemFile;
    source.item.attributes = FILE_ATTRIBUTE_ARCHIVE;
    source.item.creationTime = DayOf2009(2, 3);
    source.item.lastAccessTime = DayOf2009(4, 5);
    source.item.lastWriteTime = DayOf2009(6, 7);
    source.bytes = bytes;
    return source;
}

class GamePackageTest : public ::testing::Test {
protected:
    std::wstring Write(std::vector<VQGamePackSource> sources) {
        std::wstring path = m_folder.PathOf(L"g.vqb");
        EXPECT_TRUE(WriteGamePackage(sources, path));
        return path;
    }
    bool Extract(const std::wstring& package, VQGamePackage& state) {
        return ExtractGamePackage(m_folder.PathOf(L"out"), state, package);
    }
    std::string Out() { return DescribeTree(m_folder.PathOf(L"out")); }

    VQTempFolder m_folder;
};

TEST_F(GamePackageTest, ExtractsFoldersAndFilesWithStoredTimes) {
    std::wstring path = Write({Folder(L"images"), File(L"images\\logo.png", "png bytes"),
                               File(L"游戏.swf", "movie"), File(L"config.ini", "[game]\r\n"),
                               File(L"deep\\er\\note.txt", "made with its folders")});
    VQGamePackage package;
    ASSERT_TRUE(Extract(path, package));
    // The stored times survive the writing of the data. Read before the
    // contents are; Wine keeps no creation time on Linux file systems.
    FILETIME c, a, w;
    ASSERT_TRUE(GetTimes(m_folder.PathOf(L"out\\config.ini"), c, a, w));
    EXPECT_TRUE(SameTime(DayOf2009(4, 5), a));
    EXPECT_TRUE(SameTime(DayOf2009(6, 7), w));
    EXPECT_EQ("config.ini=[game]\r\n\ndeep/\ndeep/er/\ndeep/er/note.txt=made with its folders\nimages/\n"
              "images/logo.png=png bytes\n游戏.swf=movie\n",
              Out());
    EXPECT_EQ(m_folder.PathOf(L"out\\游戏.swf"), package.mainFilePath);
    ASSERT_EQ(5u, package.items.size());
    EXPECT_EQ(L"images\\logo.png", GamePackageItemPath(*package.items[1]));
    EXPECT_EQ(9u, package.items[1]->size);
}

TEST_F(GamePackageTest, MainFileIsTheLastSwf) {
    const struct {
        const char* name;
        std::vector<VQGamePackSource> sources;
        const wchar_t* main;
    } cases[] = {
        {"two movies", {File(L"a.swf", "1"), File(L"b.SWF", "2"), File(L"c.txt", "3")}, L"out\\b.SWF"},
        {"no movie", {File(L"a.txt", "1"), File(L"swf", "2")}, nullptr},
        {"movie in a folder", {File(L"bin\\main.swf", "1")}, L"out\\bin\\main.swf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        VQGamePackage package;
        package.mainFilePath = L"stale";
        ASSERT_TRUE(Extract(Write(c.sources), package));
        EXPECT_EQ(c.main != nullptr ? m_folder.PathOf(c.main) : std::wstring(), package.mainFilePath);
        DeleteFolderTree(m_folder.PathOf(L"out"));
    }
}

TEST_F(GamePackageTest, SizesAroundTheChunkAndEmptyPackages) {
    const size_t sizes[] = {0, 1, kGamePackageChunk - 1, kGamePackageChunk, kGamePackageChunk + 1, 3 * kGamePackageChunk};
    for (size_t size : sizes) {
        SCOPED_TRACE(size);
        std::string bytes(size, 'x');
        for (size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>('a' + i % 26);
        VQGamePackage package;
        ASSERT_TRUE(Extract(Write({File(L"f.bin", bytes), File(L"after.txt", "after")}), package));
        EXPECT_EQ(bytes, ReadBytes(m_folder.PathOf(L"out\\f.bin")));
        EXPECT_EQ("after", ReadBytes(m_folder.PathOf(L"out\\after.txt")));
        FILETIME c, a, w;
        ASSERT_TRUE(GetTimes(m_folder.PathOf(L"out\\f.bin"), c, a, w));
        EXPECT_TRUE(SameTime(DayOf2009(6, 7), w));
        DeleteFolderTree(m_folder.PathOf(L"out"));
    }
    VQGamePackage package;
    EXPECT_TRUE(Extract(Write({}), package));
    EXPECT_TRUE(package.items.empty());
    EXPECT_TRUE(package.mainFilePath.empty());
}

TEST_F(GamePackageTest, OnlyTheFirstMagicByteCountsAndOtherTypesAreSkipped) {
    VQGamePackSource odd = File(L"odd.bin", "");
    odd.item.type = 7;
    std::wstring path = Write({File(L"a.txt", "alpha"), odd, File(L"b.txt", "bravo")});
    std::string bytes = ReadBytes(path);
    bytes[1] = 'X';
    bytes[2] = 'Y';
    ASSERT_TRUE(WriteBytes(path, bytes));
    VQGamePackage package;
    ASSERT_TRUE(Extract(path, package));
    EXPECT_EQ("a.txt=alpha\nb.txt=bravo\n", Out());
    EXPECT_EQ(3u, package.items.size());
}

TEST_F(GamePackageTest, DamagedPackagesFailBeforeWritingAnything) {
    const std::wstring path = Write({File(L"a.txt", "alpha"), File(L"b.txt", std::string(5000, 'b'))});
    const std::string good = ReadBytes(path);
    const size_t table = kGamePackageHeaderSize;
    const struct {
        const char* name;
        std::function<void(std::string&)> damage;
    } cases[] = {
        {"first byte not V", [](std::string& b) { b[0] = 'W'; }},
        {"empty file", [](std::string& b) { b.clear(); }},
        {"cut inside the header", [](std::string& b) { b.resize(5); }},
        {"cut inside the table", [&](std::string& b) { b.resize(table + sizeof(VQFileItem) + 10); }},
        {"cut inside the data", [](std::string& b) { b.resize(b.size() - 1); }},
        {"count beyond the file", [](std::string& b) { PatchU32(b, 3, 0x10000000); }},
        {"size beyond the file", [&](std::string& b) { PatchU64(b, table + sizeof(VQFileItem) + 532, 1ull << 62); }},
        {"sizes adding past 2^64", [&](std::string& b) {
             PatchU64(b, table + 532, ~0ull);
             PatchU64(b, table + sizeof(VQFileItem) + 532, 2);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = good;
        c.damage(bytes);
        ASSERT_TRUE(WriteBytes(path, bytes));
        VQGamePackage package;
        EXPECT_FALSE(Extract(path, package));
        EXPECT_FALSE(PathExists(m_folder.PathOf(L"out")));
    }
}

TEST_F(GamePackageTest, PathsThatLeaveTheTargetAreRefused) {
    const std::wstring outside = m_folder.PathOf(L"evil.txt");
    const std::wstring paths[] = {L"..\\evil.txt", L"a\\..\\..\\evil.txt", L"../evil.txt", outside,
                                  L"Z:evil.txt",   L"\\evil.txt",          L"\\\\?\\" + outside, L"CON",
                                  L"aux\\x.txt",   L"a\\\\b.txt",          L"",              L"\\",
                                  L"x.txt:ads",    L"sub\\.\\x.txt"};
    for (const std::wstring& bad : paths) {
        for (uint32_t type : {kGameItemFile, kGameItemFolder}) {
            SCOPED_TRACE(::testing::Message() << "type " << type << " path " << WideToUtf8(bad));
            VQGamePackSource source = File(bad, "evil");
            source.item.type = type;
            std::wstring path = Write({File(L"fine.txt", "fine"), source});
            VQGamePackage package;
            EXPECT_FALSE(Extract(path, package));
            EXPECT_EQ("g.vqb=" + ReadBytes(path) + "\n", DescribeTree(m_folder.Path()));
        }
    }
}

TEST_F(GamePackageTest, UnterminatedPathIsRefused) {
    VQGamePackSource source = File(L"x", "data");
    for (uint32_t i = 0; i < kGamePackagePathChars; ++i)
        source.item.path[i] = L'a';
    std::wstring path = Write({source});
    VQGamePackage package;
    EXPECT_FALSE(Extract(path, package));
    EXPECT_FALSE(PathExists(m_folder.PathOf(L"out")));
}

TEST_F(GamePackageTest, FileThatCannotBeCreatedEndsTheExtraction) {
    // A folder stands where the second file should go.
    ASSERT_TRUE(m_folder.MakeFolder(L"out\\b.txt"));
    std::wstring path = Write({File(L"a.txt", "alpha"), File(L"b.txt", "bravo"), File(L"c.txt", "charlie")});
    VQGamePackage package;
    EXPECT_FALSE(Extract(path, package));
    EXPECT_EQ("a.txt=alpha\nb.txt/\n", Out());
}

TEST_F(GamePackageTest, AStopEventThatIsSetEndsTheExtraction) {
    const std::wstring path = Write({File(L"a.txt", "alpha"), File(L"b.txt", "bravo")});
    HANDLE stop = ::CreateEventW(nullptr, TRUE, TRUE, nullptr);
    ASSERT_NE(nullptr, stop);
    VQGamePackage package;
    EXPECT_FALSE(ExtractGamePackage(m_folder.PathOf(L"out"), package, path, stop));
    EXPECT_FALSE(PathExists(m_folder.PathOf(L"out\\a.txt")));
    // Not set: the whole package, as without an event.
    ::ResetEvent(stop);
    EXPECT_TRUE(ExtractGamePackage(m_folder.PathOf(L"out"), package, path, stop));
    EXPECT_EQ("a.txt=alpha\nb.txt=bravo\n", Out());
    ::CloseHandle(stop);
}

}  // namespace
}  // namespace Tessar
