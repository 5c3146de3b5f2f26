#include "common/IconExtractor.h"

#include "common/PathText.h"
#include "tests/support/LocalServer.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UnixProgramOutput.h"
#include "tests/support/UpdateServer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace Tessar {
namespace {

using Test::RunUnixProgramForOutput;
using Test::UnixProgramOutput;
using Test::WindowsToUnixPath;

// Built by the test build from tests/programs/icons; the .ico files are
// vqtool's, made from the recipes in tests/CMakeLists.txt.
std::wstring IconFixture(const char* name) {
    return Test::UnixToWindowsPath(Test::BinaryDirUnix() + "/fixtures/icons/" + name);
}

class IconExtractorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(temp.Path().empty());
        ASSERT_TRUE(FileExists(IconFixture("IconsNumbered.exe"))) << "fixture program missing";
    }
    // Directory entry i of an .ico file's bytes.
    static IconDirectoryEntry EntryOf(const std::string& ico, size_t i) {
        IconDirectoryEntry entry = {};
        if (ico.size() >= kIconFileHeaderSize + (i + 1) * sizeof(entry))
            std::memcpy(&entry, ico.data() + kIconFileHeaderSize + i * sizeof(entry), sizeof(entry));
        return entry;
    }
    VQTempFolder temp;
};

TEST_F(IconExtractorTest, FirstEnumeratedGroupIsWrittenUnchanged) {
    struct Case {
        const char* program;
        const char* expectedIco;  // the .ico the first group was made from
    } cases[] = {
        {"IconsNumbered.exe", "IconA.ico"},  // groups 3 and 5: 3 comes first
        {"IconsNamed.exe", "IconC.ico"},     // named groups come before numbered ones
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        std::wstring out = temp.PathOf(L"out.ico");
        IconExtractor extractor(IconFixture(c.program));
        ASSERT_TRUE(extractor.ExtractIconGroup(out));
        std::string expected = temp.ReadFile(IconFixture(c.expectedIco));
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(expected, temp.ReadFile(out));
        HANDLE icon = ::LoadImageW(nullptr, out.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE);
        EXPECT_NE(nullptr, icon) << "the system reads the written icon";
        if (icon != nullptr)
            ::DestroyIcon(static_cast<HICON>(icon));
        // A second call writes the same group again.
        ASSERT_TRUE(extractor.ExtractIconGroup(temp.PathOf(L"again.ico")));
        EXPECT_EQ(expected, temp.ReadFile(L"again.ico"));
    }
}

TEST_F(IconExtractorTest, ImageOf256PixelsIsWrittenWithSizeBytesZero) {
    IconExtractor extractor(IconFixture("IconsNamed.exe"));
    ASSERT_TRUE(extractor.ExtractIconGroup(temp.PathOf(L"big.ico")));
    std::string ico = temp.ReadFile(L"big.ico");
    IconDirectoryEntry entry = EntryOf(ico, 1);  // the 256x256 1-bit image
    EXPECT_EQ(0, entry.width);
    EXPECT_EQ(0, entry.height);
    EXPECT_EQ(2, entry.colorCount);
    EXPECT_EQ(1, entry.bitCount);
}

// icotool (Debian's icoutils) reads the written files on its own: the
// images it lists, and a PNG image, which it hands out unchanged.
TEST_F(IconExtractorTest, WrittenIconsAreReadByIcotool) {
    struct Image {
        unsigned width, height, bits, palette;
        bool png;
    };
    struct Case {
        const char* name;
        const char* program;
        const wchar_t* group;  // null: the first group, through ExtractIconGroup
        std::vector<Image> images;
    } cases[] = {
        {"first numbered group", "IconsNumbered.exe", nullptr,
         {{16, 16, 4, 16, false}, {32, 32, 8, 256, false}, {48, 48, 32, 0, false}}},
        {"group with a short palette", "IconsNumbered.exe", MAKEINTRESOURCEW(5),
         {{32, 32, 1, 2, false}, {24, 24, 24, 0, false}, {16, 16, 8, 16, false}}},
        {"first named group", "IconsNamed.exe", nullptr,
         {{16, 16, 32, 0, false}, {256, 256, 1, 2, false}, {256, 256, 32, 0, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring out = temp.PathOf(L"listed.ico");
        IconExtractor extractor(IconFixture(c.program));
        if (c.group == nullptr) {
            ASSERT_TRUE(extractor.ExtractIconGroup(out));
        } else {
            std::unique_ptr<IconResource> icon = extractor.LoadIconGroup(c.group);
            ASSERT_NE(nullptr, icon);
            ASSERT_TRUE(WriteIconFile(out, *icon));
        }
        const std::string unixPath = WindowsToUnixPath(out);
        ASSERT_FALSE(unixPath.empty());

        UnixProgramOutput listed = RunUnixProgramForOutput({"/usr/bin/icotool", "-l", unixPath});
        ASSERT_TRUE(listed.ended) << "icotool did not run";
        EXPECT_EQ(0, listed.exitCode);
        EXPECT_EQ("", listed.err) << "icotool found faults";
        std::string expected;
        for (size_t i = 0; i < c.images.size(); ++i) {
            const Image& image = c.images[i];
            expected += "--icon --index=" + std::to_string(i + 1) + " --width=" + std::to_string(image.width) +
                        " --height=" + std::to_string(image.height) + " --bit-depth=" + std::to_string(image.bits) +
                        " --palette-size=" + std::to_string(image.palette) + "\n";
        }
        EXPECT_EQ(expected, listed.out);

        // A bitmap image comes out converted to PNG, a PNG image as it is.
        const std::string ico = temp.ReadFile(out);
        for (size_t i = 0; i < c.images.size(); ++i) {
            SCOPED_TRACE(i);
            UnixProgramOutput extracted = RunUnixProgramForOutput(
                {"/usr/bin/icotool", "-x", "-i", std::to_string(i + 1), "-o", "-", unixPath});
            ASSERT_TRUE(extracted.ended);
            EXPECT_EQ("", extracted.err);
            ASSERT_GT(extracted.out.size(), 8u);
            EXPECT_EQ(0, std::memcmp(extracted.out.data(), "\x89PNG", 4));
            const IconDirectoryEntry entry = EntryOf(ico, i);
            const std::string written = ico.substr(entry.imageOffset, entry.bytesInRes);
            EXPECT_EQ(c.images[i].png, extracted.out == written);
        }
    }
}

TEST_F(IconExtractorTest, WithoutIconGroupNothingIsWritten) {
    const char* programs[] = {"IconsPlain.exe", "NoSuchProgram.exe"};
    for (const char* program : programs) {
        SCOPED_TRACE(program);
        IconExtractor extractor(IconFixture(program));
        EXPECT_FALSE(extractor.ExtractIconGroup(temp.PathOf(L"none.ico")));
        EXPECT_FALSE(FileExists(temp.PathOf(L"none.ico")));
    }
}

TEST_F(IconExtractorTest, LoadedBitmapImagesPointIntoTheirData) {
    // Group 5 is IconB: 32x32 1-bit, 24x24 24-bit, 16x16 8-bit with 16 colours.
    struct Expected {
        uint32_t width, height, depth, colorTable;
    } expected[] = {{32, 32, 1, 8}, {24, 24, 24, 0}, {16, 16, 8, 64}};
    const std::wstring program = IconFixture("IconsNumbered.exe");
    IconExtractor extractor(program);
    std::unique_ptr<IconResource> icon = extractor.LoadIconGroup(MAKEINTRESOURCEW(5));
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(0u, icon->changed);
    EXPECT_EQ(program, icon->moduleFile);
    EXPECT_TRUE(icon->iconFile.empty());
    ASSERT_EQ(3u, icon->images.size());
    std::string ico = temp.ReadFile(IconFixture("IconB.ico"));
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const IconImage& image = icon->images[i];
        const Expected& e = expected[i];
        EXPECT_EQ(e.width, image.width);
        EXPECT_EQ(e.height, image.height);
        EXPECT_EQ(e.depth, image.colorDepth);
        EXPECT_EQ(EntryOf(ico, i).bytesInRes, image.Size());
        ASSERT_EQ(reinterpret_cast<const void*>(image.data.data()), image.header);
        EXPECT_EQ(40 + e.colorTable, static_cast<size_t>(image.xorBits - image.data.data()));
        const size_t rowBytes = ((e.depth * e.width + 31) / 32) * 4;
        EXPECT_EQ(rowBytes * e.height, static_cast<size_t>(image.andMask - image.xorBits));
        // The AND mask is the last part of the image.
        EXPECT_EQ(((e.width + 31) / 32) * 4 * e.height, static_cast<size_t>(image.data.data() + image.Size() - image.andMask));
    }
}

TEST_F(IconExtractorTest, PngImageKeepsItsBytesAndSizesFromItsHeader) {
    IconExtractor extractor(IconFixture("IconsNamed.exe"));
    std::unique_ptr<IconResource> icon = extractor.LoadIconGroup(L"ZICON");
    ASSERT_NE(nullptr, icon);
    ASSERT_EQ(3u, icon->images.size());
    const IconImage& png = icon->images[2];
    EXPECT_EQ(nullptr, png.header);
    EXPECT_EQ(nullptr, png.xorBits);
    EXPECT_EQ(256u, png.width);
    EXPECT_EQ(256u, png.height);
    EXPECT_EQ(32u, png.colorDepth);
    EXPECT_EQ(1, png.planes);
    ASSERT_GT(png.Size(), 8u);
    EXPECT_EQ(0, std::memcmp(png.data.data(), "\x89PNG", 4));
}

TEST_F(IconExtractorTest, MissingGroupOrModuleLoadsNothing) {
    IconExtractor extractor(IconFixture("IconsNumbered.exe"));
    EXPECT_EQ(nullptr, extractor.LoadIconGroup(MAKEINTRESOURCEW(77)));
    EXPECT_EQ(nullptr, extractor.LoadIconGroup(L"NOSUCHGROUP"));
    IconExtractor missing(IconFixture("NoSuchProgram.exe"));
    EXPECT_EQ(nullptr, missing.LoadIconGroup(MAKEINTRESOURCEW(3)));
}

}  // namespace
}  // namespace Tessar
