// Image descriptions drawn into memory DIBs, checked pixel by pixel: the
// nine-grid cells on both paths, destinations, fade, hole, mask, clips,
// alphaClose, modifiers, reflection and rotation, colour fills.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/TempFolder.h"
#include "tests/ui/RenderCanvas.h"
#include "ui/RenderEngine.h"
#include "ui/SkinManager.h"

namespace Tessar {
namespace {

using Test::ReadWholeFile;
using Test::SkinFixture;
using Test::VQRenderCanvas;

// The nine cells of nine.png, in reading order.
const uint32_t kNineCells[9] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF,
                                0xFF00FF, 0x800000, 0x008000, 0x000080};

bool Draw(VQRenderCanvas& canvas, const RECT& item, const std::wstring& description,
          const wchar_t* modifier = nullptr) {
    RECT paint = {0, 0, canvas.Width(), canvas.Height()};
    return VQRenderEngine::DrawImageString(canvas.DC(), item, paint, description.c_str(), modifier);
}

std::wstring Fixture(const wchar_t* name) {
    return SkinFixture(name);
}

// Points inside each of the nine cells of a 40 x 30 destination at (5, 5)
// with corner 4,4,4,4, reading order, with the cells' edge pixels.
struct CellProbe {
    const char* name;
    int x, y;
    int cell;
};
const CellProbe kNineProbes[] = {
    {"top-left corner", 5, 5, 0},      {"top-left last pixel", 8, 8, 0}, {"top edge", 25, 6, 1},
    {"top edge first", 9, 5, 1},       {"top-right corner", 42, 7, 2},   {"top-right first", 41, 5, 2},
    {"left edge", 6, 20, 3},           {"centre", 25, 20, 4},            {"centre first", 9, 9, 4},
    {"centre last", 40, 30, 4},        {"right edge", 43, 20, 5},        {"bottom-left", 6, 33, 6},
    {"bottom edge", 25, 34, 7},        {"bottom-right", 44, 34, 8},      {"bottom-right first", 41, 31, 8},
};

TEST(RenderImageTest, NineGridOpaqueCells) {
    VQRenderCanvas canvas(60, 50, 0xFF000000);
    const RECT item = {5, 5, 45, 35};
    ASSERT_TRUE(Draw(canvas, item, L"file='" + Fixture(L"nine.png") + L"' corner='4,4,4,4'"));
    for (const CellProbe& probe : kNineProbes)
        EXPECT_EQ(kNineCells[probe.cell], canvas.Rgb(probe.x, probe.y)) << probe.name;
    EXPECT_EQ(0u, canvas.Rgb(4, 4)) << "outside the item";
    EXPECT_EQ(0u, canvas.Rgb(45, 35)) << "outside the item";
}

TEST(RenderImageTest, NineGridAlphaCellsOnBlackShowPremultipliedColour) {
    // Over black, source-over leaves exactly the premultiplied source.
    VQRenderCanvas canvas(60, 50, 0xFF000000);
    const RECT item = {5, 5, 45, 35};
    ASSERT_TRUE(Draw(canvas, item, L"file='" + Fixture(L"nine-alpha.png") + L"' corner='4,4,4,4'"));
    for (const CellProbe& probe : kNineProbes) {
        uint32_t cell = kNineCells[probe.cell];
        uint32_t expected = 0;
        for (int shift = 0; shift < 24; shift += 8) expected |= (((cell >> shift) & 0xFF) * 0x80 / 255) << shift;
        EXPECT_EQ(expected, canvas.Rgb(probe.x, probe.y)) << probe.name;
    }
}

TEST(RenderImageTest, HoleLeavesTheCentreUntouched) {
    VQRenderCanvas canvas(60, 50, 0xFF123456);
    const RECT item = {5, 5, 45, 35};
    ASSERT_TRUE(Draw(canvas, item, L"file='" + Fixture(L"nine.png") + L"' corner='4,4,4,4' hole='true'"));
    for (const CellProbe& probe : kNineProbes) {
        uint32_t expected = probe.cell == 4 ? 0x123456u : kNineCells[probe.cell];
        EXPECT_EQ(expected, canvas.Rgb(probe.x, probe.y)) << probe.name;
    }
}

TEST(RenderImageTest, DestinationRules) {
    const uint32_t solid = 0x336699;
    struct Case {
        const char* name;
        std::wstring keys;
        RECT expected;  // where the picture lands; the rest stays black
    } cases[] = {
        {"bare file name covers the item", L"", {10, 10, 110, 60}},
        {"dest of zeros covers the item", L" dest='0,0,0,0'", {10, 10, 110, 60}},
        {"dest with only r and b at the top-left", L" dest='0,0,8,6'", {10, 10, 18, 16}},
        {"dest relative to the item", L" dest='4,5,20,25'", {14, 15, 30, 35}},
        {"right-anchored: the last 20 pixels, rows 5 to 25", L" dest='0,5,20,25' right='true'", {90, 15, 110, 35}},
        {"right-anchored ignores dest.l", L" dest='50,5,20,25' right='true'", {90, 15, 110, 35}},
    };
    for (const Case& c : cases) {
        VQRenderCanvas canvas(120, 70, 0xFF000000);
        const RECT item = {10, 10, 110, 60};
        std::wstring description = c.keys.empty() ? Fixture(L"solid.png") : L"file='" + Fixture(L"solid.png") + L"'" + c.keys;
        ASSERT_TRUE(Draw(canvas, item, description)) << c.name;
        for (int y = 0; y < canvas.Height(); ++y) {
            for (int x = 0; x < canvas.Width(); ++x) {
                POINT pt = {x, y};
                uint32_t expected = ::PtInRect(&c.expected, pt) ? solid : 0;
                if (canvas.Rgb(x, y) != expected) {
                    ADD_FAILURE() << c.name << " at " << x << "," << y << ": " << std::hex << canvas.Rgb(x, y);
                    x = canvas.Width();
                    y = canvas.Height();
                }
            }
        }
    }
}

TEST(RenderImageTest, FadeZeroDrawsNothingAndFullFadeIsOpaque) {
    struct Case {
        const char* name;
        const wchar_t* keys;
        uint32_t expected;
    } cases[] = {
        {"fade 0", L" fade='0'", 0xABCDEF},
        {"fade 255", L" fade='255'", 0x336699},
        {"fade past 255 is 255", L" fade='999'", 0x336699},
        {"negative fade is 0", L" fade='-5'", 0xABCDEF},
    };
    for (const Case& c : cases) {
        VQRenderCanvas canvas(20, 20, 0xFFABCDEF);
        ASSERT_TRUE(Draw(canvas, {0, 0, 20, 20}, L"file='" + Fixture(L"solid.png") + L"'" + c.keys)) << c.name;
        EXPECT_EQ(c.expected, canvas.Rgb(10, 10)) << c.name;
    }
}

TEST(RenderImageTest, MaskKeyMakesTheColourTransparent) {
    VQTempFolder folder;
    folder.WriteFile(L"masked.png", ReadWholeFile(Fixture(L"mask.png")));
    VQRenderCanvas canvas(4, 4, 0xFF102030);
    ASSERT_TRUE(Draw(canvas, {0, 0, 4, 4}, L"file='" + folder.PathOf(L"masked.png") + L"' mask='#FFFF00FF'"));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ((x + y) % 2 == 0 ? 0x102030u : 0xFFFFFFu, canvas.Rgb(x, y)) << x << "," << y;
}

TEST(RenderImageTest, ClipToRoundRectSparesTheCorners) {
    VQRenderCanvas canvas(40, 40, 0xFFFFFFFF);
    ASSERT_TRUE(Draw(canvas, {0, 0, 40, 40}, L"file='" + Fixture(L"solid.png") + L"' round='16,16'"));
    struct Case {
        const char* name;
        int x, y;
        uint32_t expected;
    } cases[] = {
        {"top-left corner", 0, 0, 0xFFFFFF},    {"top-right corner", 39, 0, 0xFFFFFF},
        {"bottom-left corner", 0, 39, 0xFFFFFF}, {"bottom-right corner", 39, 39, 0xFFFFFF},
        {"centre", 20, 20, 0x336699},           {"middle of the top edge", 20, 0, 0x336699},
        {"middle of the left edge", 0, 20, 0x336699},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, canvas.Rgb(c.x, c.y)) << c.name;
    // The clip is given back: a later fill reaches the corners.
    RECT all = {0, 0, 40, 40};
    VQRenderEngine::DrawColor(canvas.DC(), all, 0xFF000000);
    EXPECT_EQ(0u, canvas.Rgb(0, 0));
}

TEST(RenderImageTest, RegionImageLimitsDrawingToItsKeptPixels) {
    VQRenderCanvas canvas(8, 8, 0xFFFFFFFF);
    ASSERT_TRUE(Draw(canvas, {0, 0, 8, 8},
                     L"file='" + Fixture(L"solid.png") + L"' rgnimage='" + Fixture(L"region.png") +
                         L"' rgnmask='#FFFF00FF'"));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            bool inside = x >= 2 && x < 6 && y >= 2 && y < 6;
            EXPECT_EQ(inside ? 0x336699u : 0xFFFFFFu, canvas.Rgb(x, y)) << x << "," << y;
        }
}

TEST(RenderImageTest, RegionImageUnderAnOuterClip) {
    VQRenderCanvas canvas(8, 8, 0xFFFFFFFF);
    VQRenderClip outer;
    VQRenderEngine::ClipToRect(canvas.DC(), {0, 0, 4, 8}, outer);
    ASSERT_TRUE(Draw(canvas, {0, 0, 8, 8},
                     L"file='" + Fixture(L"solid.png") + L"' rgnimage='" + Fixture(L"region.png") +
                         L"' rgnmask='#FFFF00FF'"));
    VQRenderEngine::RestoreClip(canvas.DC(), outer);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            bool inside = x >= 2 && x < 4 && y >= 2 && y < 6;
            EXPECT_EQ(inside ? 0x336699u : 0xFFFFFFu, canvas.Rgb(x, y)) << x << "," << y;
        }
}

TEST(RenderImageTest, AlphaCloseStaysOnTheCachedImage) {
    VQTempFolder folder;
    folder.WriteFile(L"closed.png", ReadWholeFile(Fixture(L"nine-alpha.png")));
    const std::wstring file = L"file='" + folder.PathOf(L"closed.png") + L"'";
    // Over white an alpha blend would lighten the cell; an opaque copy shows
    // the stored (premultiplied) colour.
    const uint32_t opaqueRed = (0xFFu * 0x80 / 255) << 16;
    VQRenderCanvas first(12, 12, 0xFFFFFFFF);
    ASSERT_TRUE(Draw(first, {0, 0, 12, 12}, file + L" alphaClose='true' fade='10'"));
    EXPECT_EQ(opaqueRed, first.Rgb(1, 1)) << "opaque, and the fade is ignored";
    VQRenderCanvas later(12, 12, 0xFFFFFFFF);
    ASSERT_TRUE(Draw(later, {0, 0, 12, 12}, file));
    EXPECT_EQ(opaqueRed, later.Rgb(1, 1)) << "a later description without alphaClose";
}

TEST(RenderImageTest, ModifierKeysOverrideTheDescription) {
    VQRenderCanvas canvas(60, 24, 0xFF000000);
    const std::wstring description = L"file='" + Fixture(L"button.png") + L"' source='0,0,60,24'";
    ASSERT_TRUE(Draw(canvas, {0, 0, 60, 24}, description));
    EXPECT_EQ(0x3B6EA5u, canvas.Rgb(30, 12)) << "normal frame";
    ASSERT_TRUE(Draw(canvas, {0, 0, 60, 24}, description, L" source='60,0,120,24'"));
    EXPECT_EQ(0x4F86C6u, canvas.Rgb(30, 12)) << "hot frame from the modifier";
}

TEST(RenderImageTest, ParseRules) {
    struct Case {
        const char* name;
        const wchar_t* text;
        const wchar_t* nameAfter;
        int fade;
        bool hole;
    } cases[] = {
        {"bare name", L"a b.png", L"a b.png", 255, false},
        {"file replaces the whole text", L"file='x.png' fade='7'", L"x.png", 7, false},
        {"res replaces it too", L"res='12' restype='PNG'", L"12", 255, false},
        {"unknown keys are ignored", L"file='x.png' shine='9' hole='true'", L"x.png", 255, true},
        {"only the exact true", L"file='x.png' hole='TRUE'", L"x.png", 255, false},
        {"an unquoted value ends the parse", L"file='x.png' fade=7 hole='true'", L"x.png", 255, false},
        {"a missing closing quote ends the parse", L"file='x.png' hole='true", L"x.png", 255, false},
        {"two blanks still read", L"file='x.png'  hole='true'", L"x.png", 255, true},
    };
    for (const Case& c : cases) {
        VQImageDescription d;
        d.name = c.text;
        ParseImageDescription(c.text, d);
        EXPECT_EQ(c.nameAfter, d.name) << c.name;
        EXPECT_EQ(c.fade, d.fade) << c.name;
        EXPECT_EQ(c.hole, d.hole) << c.name;
    }
}

TEST(RenderImageTest, MissingImageReportsFailureAndDrawsNothing) {
    VQRenderCanvas canvas(10, 10, 0xFF445566);
    EXPECT_FALSE(Draw(canvas, {0, 0, 10, 10}, L"file='no-such-picture.png'"));
    EXPECT_FALSE(Draw(canvas, {0, 0, 10, 10}, L""));
    EXPECT_EQ(0x445566u, canvas.Rgb(5, 5));
}

TEST(RenderImageTest, OutsideThePaintRectangleNothingIsDrawn) {
    VQRenderCanvas canvas(40, 40, 0xFF000000);
    RECT item = {0, 0, 20, 20};
    RECT paint = {25, 25, 40, 40};
    std::wstring description = Fixture(L"solid.png");
    EXPECT_TRUE(VQRenderEngine::DrawImageString(canvas.DC(), item, paint, description.c_str()));
    EXPECT_EQ(0u, canvas.Rgb(5, 5));
}

TEST(RenderImageTest, ReflectionFadesAndItsLastTenthIsTransparent) {
    VQRenderCanvas canvas(12, 40, 0xFF000000);
    ASSERT_TRUE(Draw(canvas, {0, 0, 12, 40}, L"file='" + Fixture(L"nine.png") + L"' reverse='true'"));
    // The first reflected row is the picture's last row (bottom cells), dimmer.
    uint32_t first = canvas.Rgb(10, 0);
    EXPECT_NE(0u, first & 0xFF);
    EXPECT_LT(first & 0xFF, 0x80u);
    EXPECT_EQ(0u, first & 0xFFFF00) << "only blue in the bottom-right cell";
    // Reflection height min(12, 40) = 12: its last row (a tenth) is clear,
    // and nothing is drawn below it.
    for (int x = 0; x < 12; ++x) {
        EXPECT_EQ(0u, canvas.Rgb(x, 11)) << x;
        EXPECT_EQ(0u, canvas.Rgb(x, 20)) << x;
    }
}

TEST(RenderImageTest, HalfTurnRotationMirrorsBothAxes) {
    VQRenderCanvas canvas(12, 12, 0xFF000000);
    ASSERT_TRUE(Draw(canvas, {0, 0, 12, 12}, L"file='" + Fixture(L"nine.png") + L"' rotate='180'"));
    EXPECT_EQ(kNineCells[8], canvas.Rgb(1, 1));
    EXPECT_EQ(kNineCells[0], canvas.Rgb(10, 10));
    EXPECT_EQ(kNineCells[7], canvas.Rgb(6, 1));
    EXPECT_EQ(kNineCells[4], canvas.Rgb(6, 6));
}

TEST(RenderImageTest, HugeRotatedDestinationMakesOnlyTheShownPart) {
    VQRenderCanvas canvas(12, 12, 0xFF000000);
    RECT item = {0, 0, 2000000, 2000000};
    RECT paint = {0, 0, 12, 12};
    std::wstring description = L"file='" + Fixture(L"solid.png") + L"' rotate='90'";
    EXPECT_TRUE(VQRenderEngine::DrawImageString(canvas.DC(), item, paint, description.c_str()));
    EXPECT_EQ(0x336699u, canvas.Rgb(5, 5)) << "the corner of a huge turned square is inside the picture";
}

TEST(RenderColorTest, FillsByAlpha) {
    struct Case {
        const char* name;
        uint32_t argb;
        bool layered;
        uint32_t expected;  // over black
    } cases[] = {
        {"alpha 0 draws nothing", 0x00FFFFFF, false, 0x000000},
        {"opaque", 0xFF336699, false, 0x336699},
        {"half: premultiplied over black", 0x80FF0000, false, (0xFFu * 0x80 / 255) << 16},
        {"layered opaque", 0xFF336699, true, 0x336699},
    };
    for (const Case& c : cases) {
        VQRenderCanvas canvas(10, 10, 0xFF000000);
        RECT rc = {2, 2, 8, 8};
        VQRenderEngine::DrawColor(canvas.DC(), rc, c.argb, c.layered);
        EXPECT_EQ(c.expected, canvas.Rgb(5, 5)) << c.name;
        EXPECT_EQ(0u, canvas.Rgb(1, 1)) << c.name << ": outside";
        EXPECT_EQ(0u, canvas.Rgb(8, 8)) << c.name << ": outside";
    }
    VQRenderCanvas layered(4, 4, 0x00000000);
    RECT rc = {0, 0, 4, 4};
    VQRenderEngine::DrawColor(layered.DC(), rc, 0xFF336699, true);
    EXPECT_EQ(0xFF336699u, layered.Pixel(2, 2)) << "a layered fill writes alpha";
}

TEST(RenderClipTest, ClipsNestAndRestore) {
    VQRenderCanvas canvas(20, 20, 0xFF000000);
    RECT all = {0, 0, 20, 20};
    VQRenderClip outer;
    VQRenderEngine::ClipToRect(canvas.DC(), {0, 0, 10, 20}, outer);
    {
        VQRenderClip inner;
        VQRenderEngine::ClipToRect(canvas.DC(), {5, 0, 20, 10}, inner);
        VQRenderEngine::DrawColor(canvas.DC(), all, 0xFFFF0000);
        VQRenderEngine::RestoreClip(canvas.DC(), inner);
    }
    VQRenderEngine::DrawColor(canvas.DC(), {0, 15, 20, 20}, 0xFF00FF00);
    VQRenderEngine::RestoreClip(canvas.DC(), outer);
    VQRenderEngine::DrawColor(canvas.DC(), {18, 18, 20, 20}, 0xFF0000FF);
    EXPECT_EQ(0xFF0000u, canvas.Rgb(7, 5)) << "inside both";
    EXPECT_EQ(0u, canvas.Rgb(3, 5)) << "outside the inner clip";
    EXPECT_EQ(0u, canvas.Rgb(12, 5)) << "outside the outer clip";
    EXPECT_EQ(0x00FF00u, canvas.Rgb(5, 17)) << "outer clip again";
    EXPECT_EQ(0u, canvas.Rgb(15, 17)) << "outer clip still holds";
    EXPECT_EQ(0x0000FFu, canvas.Rgb(19, 19)) << "no clip after restoring";
}

}  // namespace
}  // namespace Tessar

namespace Tessar {
namespace {

// A 32 x 32 icon file of one opaque colour, written byte by byte.
std::string SolidIconFile(uint32_t argb) {
    std::string out;
    auto put16 = [&](uint32_t v) {
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>((v >> 8) & 0xFF);
    };
    auto put32 = [&](uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    const uint32_t pixels = 32 * 32 * 4, mask = 32 * 4;
    put16(0), put16(1), put16(1);                                  // icon directory, one image
    out += static_cast<char>(32), out += static_cast<char>(32);    // width, height
    out += static_cast<char>(0), out += static_cast<char>(0);      // colours, reserved
    put16(1), put16(32), put32(40 + pixels + mask), put32(6 + 16);  // planes, bits, size, offset
    put32(40), put32(32), put32(64), put16(1), put16(32);          // header: height counts both masks
    for (int i = 0; i < 6; ++i) put32(0);
    for (uint32_t i = 0; i < 32 * 32; ++i) put32(argb);
    out.append(mask, '\0');  // AND mask: every pixel shown
    return out;
}

TEST(RenderImageTest, IconFileIsDrawnAtTheDestinationsTopLeft) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"green.ico", SolidIconFile(0xFF00FF00)));
    VQRenderCanvas canvas(64, 64, 0xFF000000);
    RECT item = {0, 0, 64, 64};
    ASSERT_TRUE(Draw(canvas, item, L"file='" + folder.PathOf(L"green.ico") + L"' icon='true' dest='10,10,60,60'"));
    EXPECT_EQ(0x00FF00u, canvas.Rgb(10, 10));
    EXPECT_EQ(0x00FF00u, canvas.Rgb(41, 41));
    EXPECT_EQ(0u, canvas.Rgb(42, 42)) << "drawn at 32 x 32, not stretched to the destination";
    EXPECT_EQ(0u, canvas.Rgb(9, 9));
    EXPECT_FALSE(Draw(canvas, item, L"file='" + folder.PathOf(L"none.ico") + L"' icon='true'"));
}

}  // namespace
}  // namespace Tessar
