// Packages that vqtool made from the folders under fixtures/ during the
// build (tests/CMakeLists.txt), read back through the program's readers.
#include "VQCore/download/GamePackage.h"
#include "VQCore/download/PackageMeta.h"
#include "VQCore/download/Unpacker.h"
#include "common/CodePage.h"
#include "tests/VQCore/download/PackageTestUtil.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <map>

namespace Tessar {
namespace {

TEST(PackageFixtureTest, VqzPackagesHoldTheFolderAndItsMetadata) {
    const std::string expected = DescribeTree(FixtureSourcePath(L"game"));
    ASSERT_NE(std::string::npos, expected.find("data/说明.txt=第一关的说明文字。\r\n"));
    const struct {
        const wchar_t* name;
        bool withExtras;
    } cases[] = {{L"game.vqz", true}, {L"game-stored.vqz", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.name));
        VQTempFolder folder;
        VQUnpacker unpacker(FixturePath(c.name));
        ASSERT_TRUE(unpacker.Open());
        ASSERT_TRUE(unpacker.Extract(folder.Path()));

        std::map<std::wstring, std::wstring> meta;
        for (const boost::shared_ptr<VQTocNode>& entry : unpacker.GetRoot().children) {
            if (entry->name == kMetaEntryName) {
                ASSERT_TRUE(DecodePackageMeta(entry->data.data, entry->data.size, meta));
            }
        }
        std::string tree = expected;
        if (c.withExtras) {
            tree = "##tasks##.txt=" + ReadBytes(FixtureSourcePath(L"tasks.txt")) + "\n" + tree;
            std::map<std::wstring, std::wstring> want = {
                {kMetaFolder, L"Fixture Game"}, {kMetaExe, L"##install##\\game.exe"}, {kMetaArgs, L"-window -fast"}};
            EXPECT_EQ(want, meta);
        } else {
            EXPECT_TRUE(meta.empty());
        }
        EXPECT_EQ(tree, DescribeTree(folder.Path()));
    }
}

TEST(PackageFixtureTest, FormatBPackageHoldsTheFlashGame) {
    VQTempFolder folder;
    VQGamePackage package;
    ASSERT_TRUE(ExtractGamePackage(folder.Path(), package, FixturePath(L"flash.vqb")));
    EXPECT_EQ(DescribeTree(FixtureSourcePath(L"flash")), DescribeTree(folder.Path()));
    EXPECT_EQ(folder.PathOf(L"game.swf"), package.mainFilePath);
}

}  // namespace
}  // namespace Tessar
