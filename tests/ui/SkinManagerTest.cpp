// The skin manager: decoding into premultiplied DIB sections, mask colour,
// caches that decode each file once, enciphered and damaged images, the
// skin list, the selected-skin file and module strings.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "common/CodePage.h"
#include "common/FileCipher.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/RenderCanvas.h"
#include "ui/SkinManager.h"

namespace Tessar {
namespace {

using Test::ReadWholeFile;
using Test::SkinFixture;

std::vector<uint32_t> PixelsOf(const VQImageInfo& image) {
    DIBSECTION section = {};
    EXPECT_EQ(static_cast<int>(sizeof(section)), ::GetObjectW(image.bitmap, sizeof(section), &section));
    EXPECT_EQ(32, section.dsBm.bmBitsPixel);
    const uint32_t* bits = static_cast<const uint32_t*>(section.dsBm.bmBits);
    return std::vector<uint32_t>(bits, bits + image.width * image.height);
}

// A private copy of a fixture picture under a name no other test caches.
std::wstring CopyFixture(const VQTempFolder& folder, const std::wstring& fixture, const std::wstring& name) {
    folder.WriteFile(name, ReadWholeFile(SkinFixture(fixture)));
    return folder.PathOf(name);
}

TEST(SkinImageTest, PixelsArePremultipliedAndFlaggedByAlpha) {
    VQImageInfo* image = VQSkinManager::Instance().LoadImageFile(SkinFixture(L"premultiply.png"), 0, false);
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(4, image->width);
    EXPECT_EQ(1, image->height);
    EXPECT_TRUE(image->hasAlpha);
    struct Case {
        const char* name;
        uint32_t expected;
    } cases[] = {
        {"alpha 128 red 255 keeps red 128", 0x80800000},
        {"opaque green copied", 0xFF00FF00},
        {"fully transparent becomes 0", 0x00000000},
        {"alpha 51 scales 200,100,50 to 40,20,10", 0x3328140A},
    };
    std::vector<uint32_t> pixels = PixelsOf(*image);
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(cases[i].expected, pixels[i]) << cases[i].name;
    VQSkinManager::FreeImage(image);

    VQImageInfo* opaque = VQSkinManager::Instance().LoadImageFile(SkinFixture(L"solid.png"), 0, false);
    ASSERT_NE(nullptr, opaque);
    EXPECT_FALSE(opaque->hasAlpha);
    EXPECT_EQ(0xFF336699u, PixelsOf(*opaque)[0]);
    VQSkinManager::FreeImage(opaque);

    // Top-down rows: the picture's first row comes first in memory.
    VQImageInfo* nine = VQSkinManager::Instance().LoadImageFile(SkinFixture(L"nine.png"), 0, false);
    ASSERT_NE(nullptr, nine);
    std::vector<uint32_t> ninePixels = PixelsOf(*nine);
    EXPECT_EQ(0xFFFF0000u, ninePixels.front());
    EXPECT_EQ(0xFF000080u, ninePixels.back());
    VQSkinManager::FreeImage(nine);
}

TEST(SkinImageTest, MaskColourBecomesTransparent) {
    VQImageInfo* image = VQSkinManager::Instance().LoadImageFile(SkinFixture(L"mask.png"), 0xFFFF00FF, false);
    ASSERT_NE(nullptr, image);
    EXPECT_TRUE(image->hasAlpha) << "a masked opaque picture has alpha";
    std::vector<uint32_t> pixels = PixelsOf(*image);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ((x + y) % 2 == 0 ? 0u : 0xFFFFFFFFu, pixels[y * 4 + x]) << x << "," << y;
    VQSkinManager::FreeImage(image);
}

TEST(SkinImageTest, CacheDecodesEachFileOnceAndKeepsTheFirstEntry) {
    VQTempFolder folder;
    VQSkinManager& skins = VQSkinManager::Instance();
    const std::wstring path = CopyFixture(folder, L"mask.png", L"cached-mask.png");
    const uint64_t before = skins.GetDecodeCount();
    VQImageInfo* first = skins.GetSkinImage(path, 0, false);
    ASSERT_NE(nullptr, first);
    for (int i = 0; i < 20; ++i) {
        // Another mask or cipher flag still finds the first entry.
        EXPECT_EQ(first, skins.GetSkinImage(path, i % 2 ? 0xFFFF00FF : 0, i % 3 == 0));
    }
    EXPECT_EQ(before + 1, skins.GetDecodeCount());
    EXPECT_FALSE(first->hasAlpha) << "the first load had no mask";
}

TEST(SkinImageTest, RelativeNamesResolveInTheResourceFolder) {
    VQTempFolder folder;
    VQSkinManager& skins = VQSkinManager::Instance();
    CopyFixture(folder, L"solid.png", L"relative-solid.png");
    const std::wstring saved = skins.GetResourceFolder();
    skins.SetResourceFolder(folder.Path());
    VQImageInfo* image = skins.GetSkinImage(L"relative-solid.png", 0, false);
    skins.SetResourceFolder(saved);
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(8, image->width);
}

TEST(SkinImageTest, MissingImageIsNullAndNotCached) {
    VQTempFolder folder;
    VQSkinManager& skins = VQSkinManager::Instance();
    const std::wstring path = folder.PathOf(L"later.png");
    EXPECT_EQ(nullptr, skins.GetSkinImage(path, 0, false));
    // The file appears later: nothing was cached for it.
    CopyFixture(folder, L"solid.png", L"later.png");
    EXPECT_NE(nullptr, skins.GetSkinImage(path, 0, false));
}

TEST(SkinImageTest, EncipheredImageDecodesLikeItsPlainFile) {
    VQSkinManager& skins = VQSkinManager::Instance();
    VQImageInfo* plain = skins.LoadImageFile(SkinFixture(L"logo.png"), 0, false);
    VQImageInfo* enciphered = skins.LoadImageFile(SkinFixture(L"logo.vqp"), 0, true);
    ASSERT_NE(nullptr, plain);
    ASSERT_NE(nullptr, enciphered);
    EXPECT_EQ(PixelsOf(*plain), PixelsOf(*enciphered));
    EXPECT_TRUE(enciphered->hasAlpha);
    EXPECT_EQ(nullptr, skins.LoadImageFile(SkinFixture(L"logo.vqp"), 0, false)) << "without the cipher flag";
    EXPECT_EQ(nullptr, skins.LoadImageFile(SkinFixture(L"logo.png"), 0, true)) << "a plain file deciphered";
    VQSkinManager::FreeImage(plain);
    VQSkinManager::FreeImage(enciphered);
}

void PutBig32(std::string& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(value >> (24 - 8 * i));
}

TEST(SkinImageTest, DamagedImagesFailCleanly) {
    const std::string png = ReadWholeFile(SkinFixture(L"window_bk.png"));
    const std::string vqp = ReadWholeFile(SkinFixture(L"logo.vqp"));
    ASSERT_GT(png.size(), 64u);
    ASSERT_GT(vqp.size(), 64u);
    // IHDR's width and height lie at bytes 16 and 20 of a PNG.
    auto withSize = [&](uint32_t width, uint32_t height) {
        std::string bytes = png;
        PutBig32(bytes, 16, width);
        PutBig32(bytes, 20, height);
        return bytes;
    };
    struct Case {
        const char* name;
        std::string bytes;
        bool encrypted;
    } cases[] = {
        {"empty file", std::string(), false},
        {"signature only", png.substr(0, 8), false},
        {"cut in half", png.substr(0, png.size() / 2), false},
        {"not a picture", std::string(300, 'x'), false},
        {"absurd width", withSize(0x7FFFFFFF, 16), false},
        {"absurd height", withSize(16, 0xFFFFFFFF), false},
        {"wider than the bound", withSize(kMaxSkinImageSide + 1, 1), false},
        {"too many pixels", withSize(8000, 8000), false},
        {"zero width", withSize(0, 64), false},
        {"enciphered cut in half", vqp.substr(0, vqp.size() / 2), true},
        {"enciphered three bytes", vqp.substr(0, 3), true},
    };
    VQTempFolder folder;
    VQSkinManager& skins = VQSkinManager::Instance();
    int index = 0;
    for (const Case& c : cases) {
        const std::wstring name = L"damaged-" + std::to_wstring(index++) + L".png";
        ASSERT_TRUE(folder.WriteFile(name, c.bytes)) << c.name;
        EXPECT_EQ(nullptr, skins.GetSkinImage(folder.PathOf(name), 0, c.encrypted)) << c.name;
    }
}

TEST(SkinListTest, SkinsAreFoundAtAnyDepthAndSortedByIndex) {
    VQTempFolder folder;
    folder.WriteFile(L"blue\\MarloxWnd.xml",
                     "<?xml version=\"1.0\"?><Root name=\"Blue\" preview=\"blue.png\" index=\"3\"><Window/></Root>");
    folder.WriteFile(L"deep\\er\\marloxwnd.xml", "<Root name=\"Deep\" preview=\"deep.png\" index=\"1\"/>");
    folder.WriteFile(L"zzz\\MarloxWnd.xml", "<Root name=\"Last\" index=\"20\"/>");
    folder.WriteFile(L"broken\\MarloxWnd.xml", "<Root name=\"Broken\" index=\"0\"");
    folder.WriteFile(L"other\\Other.xml", "<Root name=\"Other\" index=\"2\"/>");
    VQSkinManager& skins = VQSkinManager::Instance();
    skins.RefreshSkinList(folder.Path());
    struct Expected {
        const wchar_t* name;
        const wchar_t* preview;
        int index;
        const wchar_t* file;
    } expected[] = {
        {L"", L"", -1, L"broken\\MarloxWnd.xml"},
        {L"Deep", L"deep.png", 1, L"deep\\er\\marloxwnd.xml"},
        {L"Blue", L"blue.png", 3, L"blue\\MarloxWnd.xml"},
        {L"Last", L"", 20, L"zzz\\MarloxWnd.xml"},
    };
    const auto& list = skins.GetSkinList();
    ASSERT_EQ(4u, list.size());
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(expected[i].name, list[i]->name) << i;
        EXPECT_EQ(expected[i].preview, list[i]->preview) << i;
        EXPECT_EQ(expected[i].index, list[i]->index) << i;
        EXPECT_EQ(folder.PathOf(expected[i].file), list[i]->path) << i;
    }
    skins.RefreshSkinList(folder.PathOf(L"missing"));
    EXPECT_TRUE(skins.GetSkinList().empty());
}

TEST(SkinListTest, OnlyTheWholeLayoutNameMakesASkin) {
    const struct {
        const wchar_t* file;
        bool skin;
    } cases[] = {
        {L"MarloxWnd.xml", true},
        {L"MARLOXWND.XML", true},
        {L"marloxwnd.Xml", true},
        {L"MarloxWnd.xml.bak", false},
        {L"MarloxWnd.xml~", false},
        {L"Marlo", false},
        {L"MarloxWnd", false},
        {L"MarloxWnd.xm", false},
        {L"OldMarloxWnd.xml", false},
    };
    for (const auto& c : cases) {
        VQTempFolder folder;
        ASSERT_TRUE(folder.WriteFile(std::wstring(L"one\\") + c.file, "<Root name=\"One\" index=\"1\"/>"));
        VQSkinManager& skins = VQSkinManager::Instance();
        skins.RefreshSkinList(folder.Path());
        ASSERT_EQ(c.skin ? 1u : 0u, skins.GetSkinList().size()) << std::string(c.file, c.file + wcslen(c.file));
        if (c.skin) {
            EXPECT_EQ(L"One", skins.GetSkinList().front()->name);
        }
    }
}

TEST(SkinSelectionTest, SelectedSkinFileIsCreatedReadAndWritten) {
    VQTempFolder folder;
    VQSkinManager& skins = VQSkinManager::Instance();
    const std::wstring file = folder.PathOf(L"skin\\skin.xml");
    skins.SetSelectedSkinFile(file);
    EXPECT_EQ(L"", skins.GetSelectedSkin());
    EXPECT_NE(std::string::npos, ReadWholeFile(file).find("SkinSetting")) << "created when missing";

    const std::wstring chinese = L"\x6DF1\x84DD";  // a skin name in Chinese, held in the code page
    EXPECT_TRUE(skins.SetSelectedSkin(chinese));
    EXPECT_EQ(chinese, skins.GetSelectedSkin());
    EXPECT_NE(std::string::npos, ReadWholeFile(file).find(WideToNarrow(chinese)));

    // Selecting when the file is missing creates it first.
    ASSERT_TRUE(::DeleteFileW(file.c_str()));
    EXPECT_TRUE(skins.SetSelectedSkin(L"Blue"));
    EXPECT_EQ(L"Blue", skins.GetSelectedSkin());

    // A damaged file reads as no selection and is replaced by the next one.
    folder.WriteFile(L"skin\\skin.xml", "<SkinSetting name=");
    EXPECT_EQ(L"", skins.GetSelectedSkin());
    EXPECT_TRUE(skins.SetSelectedSkin(L"Green"));
    EXPECT_EQ(L"Green", skins.GetSelectedSkin());

    // So is one far larger than a selection can be.
    folder.WriteFile(L"skin\\skin.xml", "<SkinSetting name=\"Huge\">" + std::string(100 * 1024, ' ') + "</SkinSetting>");
    EXPECT_EQ(L"", skins.GetSelectedSkin());
    EXPECT_TRUE(skins.SetSelectedSkin(L"Small"));
    EXPECT_EQ(L"Small", skins.GetSelectedSkin());
    skins.SetSelectedSkinFile(std::wstring());
}

// The test program's own resources (TestSkin.rc): string 1001 and 1003 in
// the block of ids 1000-1015, no block for ids 5000-5015.
TEST(SkinStringTest, ModuleStringsAndTheirMissingBlocks) {
    VQSkinManager& skins = VQSkinManager::Instance();
    skins.SetResourceModule(::GetModuleHandleW(nullptr));
    struct Case {
        const char* name;
        UINT id;
        const wchar_t* expected;
    } cases[] = {
        {"a string", 1001, L"Skin string one"},
        {"another in the block", 1003, L"Skin string three"},
        {"missing from an existing block: empty", 1002, L""},
        {"no block: the id in decimal", 5007, L"5007"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, skins.LoadModuleString(c.id)) << c.name;
}

TEST(SkinImageTest, ResourceImagesDecodeOnceAndBitmapsKeepTheirFormat) {
    VQSkinManager& skins = VQSkinManager::Instance();
    skins.SetResourceModule(::GetModuleHandleW(nullptr));
    const uint64_t before = skins.GetDecodeCount();
    VQImageInfo* nine = skins.GetResourceImage(201, L"PNG", 0);
    ASSERT_NE(nullptr, nine);
    EXPECT_EQ(12, nine->width);
    EXPECT_FALSE(nine->hasAlpha);
    EXPECT_EQ(0xFFFF0000u, PixelsOf(*nine).front());
    EXPECT_EQ(nine, skins.GetResourceImage(201, L"PNG", 0xFFFF0000)) << "cached by id";
    EXPECT_EQ(before + 1, skins.GetDecodeCount());

    VQImageInfo* premultiplied = skins.LoadResourceImage(203, L"PNG", 0);
    ASSERT_NE(nullptr, premultiplied);
    EXPECT_EQ(0x80800000u, PixelsOf(*premultiplied).front());
    VQSkinManager::FreeImage(premultiplied);

    VQImageInfo* bitmap = skins.GetResourceImage(202, L"BMP", 0);
    ASSERT_NE(nullptr, bitmap);
    EXPECT_EQ(8, bitmap->width);
    EXPECT_EQ(8, bitmap->height);
    EXPECT_FALSE(bitmap->hasAlpha);

    EXPECT_EQ(nullptr, skins.GetResourceImage(299, L"PNG", 0)) << "no such resource";
    EXPECT_EQ(nullptr, skins.GetResourceImage(298, L"BMP", 0)) << "no such bitmap";
    EXPECT_EQ(nullptr, skins.LoadResourceImage(201, L"GIFX", 0)) << "another type";
}

}  // namespace
}  // namespace Tessar
