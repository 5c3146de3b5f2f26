// Text drawing checked in memory DIBs: opaque and translucent colours, the
// shadow halo (clamped), wrapped lines, measuring, and borders.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/RenderCanvas.h"
#include "ui/PaintManager.h"
#include "ui/RenderEngine.h"

namespace Tessar {
namespace {

using Test::VQRenderCanvas;

class ScopedFont {
public:
    ScopedFont(HDC dc, int height, int weight = FW_NORMAL) : m_dc(dc) {
        m_font = ::CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, L"Tahoma");
        m_old = ::SelectObject(dc, m_font);
    }
    ~ScopedFont() {
        ::SelectObject(m_dc, m_old);
        ::DeleteObject(m_font);
    }

private:
    HDC m_dc;
    HFONT m_font;
    HGDIOBJ m_old;
};

// Rows that hold at least one pixel other than the background, grouped into
// bands of consecutive rows.
std::vector<std::pair<int, int>> InkBands(const VQRenderCanvas& canvas, uint32_t background) {
    std::vector<std::pair<int, int>> bands;
    bool inBand = false;
    for (int y = 0; y < canvas.Height(); ++y) {
        bool ink = false;
        for (int x = 0; x < canvas.Width() && !ink; ++x) ink = canvas.Rgb(x, y) != background;
        if (ink && !inBand) bands.push_back({y, y});
        if (ink) bands.back().second = y;
        inBand = ink;
    }
    return bands;
}

TEST(RenderTextTest, OpaqueTextStaysInsideItsRectangle) {
    VQRenderCanvas canvas(120, 40, 0xFF000000);
    ScopedFont font(canvas.DC(), 16);
    RECT rc = {10, 10, 110, 30};
    VQRenderEngine::DrawColoredText(canvas.DC(), nullptr, rc, L"Hello", 0xFFFFFFFF, L"", DT_SINGLELINE | DT_VCENTER);
    int white = 0;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) {
            POINT pt = {x, y};
            if (canvas.Rgb(x, y) == 0xFFFFFF) ++white;
            if (!::PtInRect(&rc, pt)) {
                ASSERT_EQ(0u, canvas.Rgb(x, y)) << x << "," << y;
            }
        }
    EXPECT_GT(white, 20);
}

TEST(RenderTextTest, TranslucentTextHasHalfOpacityAndNoBox) {
    VQRenderCanvas canvas(120, 40, 0xFF000000);
    ScopedFont font(canvas.DC(), 16);
    RECT rc = {10, 10, 110, 30};
    VQRenderEngine::DrawColoredText(canvas.DC(), nullptr, rc, L"Hello", 0x80FFFFFF, L"", DT_SINGLELINE | DT_VCENTER);
    uint32_t brightest = 0;
    int touched = 0;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) {
            uint32_t pixel = canvas.Rgb(x, y);
            if (pixel != 0) ++touched;
            if ((pixel & 0xFF) > brightest) brightest = pixel & 0xFF;
            EXPECT_EQ(pixel & 0xFF, (pixel >> 16) & 0xFF) << "grey only";
        }
    EXPECT_EQ(0x80u, brightest) << "white at alpha 0x80 over black";
    EXPECT_GT(touched, 20);
    EXPECT_LT(touched, (rc.right - rc.left) * (rc.bottom - rc.top) / 2) << "no background box";

    VQRenderCanvas clear(40, 20, 0xFF000000);
    VQRenderEngine::DrawColoredText(clear.DC(), nullptr, {0, 0, 40, 20}, L"Hi", 0x00FFFFFF, L"", 0);
    EXPECT_TRUE(InkBands(clear, 0).empty()) << "alpha 0 draws nothing";
}

TEST(RenderTextTest, HugeRectanglesDrawOnlyWhatShows) {
    // A text rectangle far larger than the surface draws the same visible
    // pixels as one that fits, without a scratch surface of its size.
    VQRenderCanvas small(100, 40, 0xFF000000), huge(100, 40, 0xFF000000);
    const UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
    {
        ScopedFont font(small.DC(), 16);
        VQRenderEngine::DrawColoredText(small.DC(), nullptr, {2, 0, 100, 40}, L"Wide", 0x80FFFFFF, L"", format);
    }
    {
        ScopedFont font(huge.DC(), 16);
        VQRenderEngine::DrawColoredText(huge.DC(), nullptr, {2, 0, 2000000, 40}, L"Wide", 0x80FFFFFF, L"", format);
    }
    EXPECT_FALSE(InkBands(small, 0).empty());
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x) ASSERT_EQ(small.Rgb(x, y), huge.Rgb(x, y)) << x << "," << y;

    VQRenderCanvas border(100, 40, 0xFF000000);
    VQRenderEngine::DrawBorder(border.DC(), {0, 0, 3000000, 3000000}, 2, 0x80FF0000);
    EXPECT_EQ((0xFFu * 0x80 / 255) << 16, border.Rgb(50, 1)) << "the top edge shows";
    EXPECT_EQ((0xFFu * 0x80 / 255) << 16, border.Rgb(1, 30)) << "the left edge shows";
    EXPECT_EQ(0u, border.Rgb(50, 30));
    VQRenderEngine::DrawTextShadow(border.DC(), nullptr, {0, 0, 3000000, 3000000}, L"W", L"", 0);
    EXPECT_EQ(0u, border.Rgb(50, 30)) << "no halo for an absurd rectangle";
}

TEST(RenderTextTest, LayeredWindowsGetTheAlphaOfOpaqueTextAndBorders) {
    struct Case {
        const char* name;
        bool layered;
        uint32_t expectedAlpha;  // of drawn pixels, on a fully transparent surface
    } cases[] = {
        {"plain window: GDI leaves alpha 0", false, 0x00},
        {"layered window: opaque alpha", true, 0xFF},
    };
    for (const Case& c : cases) {
        VQPaintManager manager;
        manager.SetLayered(c.layered);
        VQRenderCanvas canvas(80, 30, 0x00000000);
        VQRenderEngine::DrawColoredText(canvas.DC(), &manager, {0, 0, 80, 30}, L"Wy", 0xFF00FF00, L"",
                                        DT_SINGLELINE | DT_VCENTER);
        // Every drawn pixel (the manager's default font may smooth edges).
        int drawn = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 80; ++x)
                if (canvas.Rgb(x, y) != 0) {
                    ++drawn;
                    ASSERT_EQ(c.expectedAlpha, canvas.Pixel(x, y) >> 24) << c.name << " at " << x << "," << y;
                }
        EXPECT_GT(drawn, 10) << c.name;

        VQRenderCanvas border(20, 20, 0x00000000);
        VQRenderEngine::DrawBorder(border.DC(), {0, 0, 20, 20}, 1, 0xFFFF0000, c.layered);
        EXPECT_EQ(0xFF0000u, border.Rgb(0, 10)) << c.name;
        EXPECT_EQ(c.expectedAlpha, border.Pixel(0, 10) >> 24) << c.name;
    }
}

TEST(RenderTextTest, ShadowIsDarkestUnderSolidGlyphAreas) {
    // The blurred sum over a block fully inside a glyph is 49 * 255 / 36,
    // more than a byte holds: clamped it stays black instead of wrapping.
    const int width = 160, height = 120;
    RECT rc = {20, 10, 140, 110};
    VQRenderCanvas text(width, height, 0xFFFFFFFF);
    VQRenderCanvas shadow(width, height, 0xFFFFFFFF);
    {
        ScopedFont font(text.DC(), 90, FW_HEAVY);
        // Placed as the shadow places its text: one line, centred both ways.
        VQRenderEngine::DrawColoredText(text.DC(), nullptr, rc, L"W", 0xFF000000, L"",
                                        DT_CENTER | DT_SINGLELINE | DT_VCENTER);
    }
    {
        ScopedFont font(shadow.DC(), 90, FW_HEAVY);
        VQRenderEngine::DrawTextShadow(shadow.DC(), nullptr, rc, L"W", L"", DT_CENTER);
    }
    int solidPixels = 0;
    for (int y = 3; y < height - 3; ++y)
        for (int x = 3; x < width - 3; ++x) {
            bool solid = true;
            for (int dy = -3; dy <= 3 && solid; ++dy)
                for (int dx = -3; dx <= 3 && solid; ++dx) solid = text.Rgb(x + dx, y + dy) == 0;
            if (!solid) continue;
            ++solidPixels;
            ASSERT_EQ(0u, shadow.Rgb(x, y)) << "under a solid block at " << x << "," << y;
        }
    EXPECT_GT(solidPixels, 0) << "the glyph has solid areas";
    // The halo is soft: far from the glyph nothing changes, next to it grey.
    EXPECT_EQ(0xFFFFFFu, shadow.Rgb(2, 2));
    bool grey = false;
    for (int y = 0; y < height && !grey; ++y)
        for (int x = 0; x < width && !grey; ++x) {
            uint32_t blue = shadow.Rgb(x, y) & 0xFF;
            grey = blue > 0 && blue < 0xFF;
        }
    EXPECT_TRUE(grey);
}

TEST(RenderTextTest, MultilineTextBreaksEachLineOnItsOwn) {
    struct Case {
        const char* name;
        const wchar_t* text;
        size_t bands;
    } cases[] = {
        {"two pieces, the first broken into two lines", L"WWWWWW\r\nWW", 3},
        {"empty pieces vanish", L"WW\r\n\r\nWW", 2},
        {"one line fits", L"WWW", 1},
        {"a character wider than the rectangle is drawn alone", L"WWWWWWWWW", 3},
    };
    for (const Case& c : cases) {
        VQRenderCanvas canvas(200, 200, 0xFF000000);
        ScopedFont font(canvas.DC(), 16);
        SIZE three = VQRenderEngine::MeasureText(canvas.DC(), nullptr, L"WWW", L"");
        RECT rc = {0, 0, three.cx, 200};
        ::SetTextColor(canvas.DC(), RGB(255, 255, 255));
        VQRenderEngine::DrawMultilineText(canvas.DC(), rc, c.text, 0, 6);
        EXPECT_EQ(c.bands, InkBands(canvas, 0).size()) << c.name;
    }
    // Wrapped through the colour text call (word break) as well.
    VQRenderCanvas canvas(200, 200, 0xFF000000);
    ScopedFont font(canvas.DC(), 16);
    SIZE three = VQRenderEngine::MeasureText(canvas.DC(), nullptr, L"WWW", L"");
    VQRenderEngine::DrawColoredText(canvas.DC(), nullptr, {0, 0, three.cx, 200}, L"WWWWWW\r\nWW", 0xFFFFFFFF, L"",
                                    DT_WORDBREAK, 6);
    auto bands = InkBands(canvas, 0);
    ASSERT_EQ(3u, bands.size());
    EXPECT_GE(bands[1].first - bands[0].second, 6) << "line spacing between lines";
}

TEST(RenderTextTest, VerticalCentringMovesTheLinesToTheMiddle) {
    VQRenderCanvas canvas(200, 200, 0xFF000000);
    ScopedFont font(canvas.DC(), 16);
    SIZE three = VQRenderEngine::MeasureText(canvas.DC(), nullptr, L"WWW", L"");
    ::SetTextColor(canvas.DC(), RGB(255, 255, 255));
    VQRenderEngine::DrawMultilineText(canvas.DC(), {0, 0, three.cx, 200}, L"WWWWWW", DT_VCENTER, 6);
    auto bands = InkBands(canvas, 0);
    ASSERT_EQ(2u, bands.size());
    int above = bands.front().first, below = 199 - bands.back().second;
    EXPECT_NEAR(above, below, three.cy) << "centred within a line's height";
}

TEST(RenderTextTest, MeasureTextGrowsWithTheText) {
    VQRenderCanvas canvas(10, 10);
    ScopedFont font(canvas.DC(), 16);
    SIZE one = VQRenderEngine::MeasureText(canvas.DC(), nullptr, L"W", L"");
    SIZE four = VQRenderEngine::MeasureText(canvas.DC(), nullptr, L"WWWW", L"");
    SIZE none = VQRenderEngine::MeasureText(canvas.DC(), nullptr, L"", L"");
    EXPECT_GT(one.cx, 0);
    EXPECT_EQ(4 * one.cx, four.cx);
    EXPECT_EQ(one.cy, four.cy);
    EXPECT_EQ(0, none.cx);
}

TEST(RenderBorderTest, BordersAreDrawnInsideTheRectangle) {
    struct Probe {
        int x, y;
        bool border;
    };
    const Probe probes[] = {{0, 0, true}, {1, 1, true}, {2, 2, false}, {19, 19, true}, {18, 10, true},
                            {17, 17, false}, {10, 0, true}, {10, 10, false}};
    struct Case {
        const char* name;
        uint32_t argb;
        uint32_t expected;
    } cases[] = {
        {"opaque", 0xFFFF0000, 0xFF0000},
        {"translucent over black", 0x80FF0000, (0xFFu * 0x80 / 255) << 16},
    };
    for (const Case& c : cases) {
        VQRenderCanvas canvas(24, 24, 0xFF000000);
        VQRenderEngine::DrawBorder(canvas.DC(), {0, 0, 20, 20}, 2, c.argb);
        for (const Probe& p : probes)
            EXPECT_EQ(p.border ? c.expected : 0u, canvas.Rgb(p.x, p.y)) << c.name << " " << p.x << "," << p.y;
        EXPECT_EQ(0u, canvas.Rgb(20, 20)) << c.name;
        EXPECT_EQ(0u, canvas.Rgb(21, 5)) << c.name;
    }
    VQRenderCanvas round(24, 24, 0xFF000000);
    VQRenderEngine::DrawRoundBorder(round.DC(), {0, 0, 20, 20}, 1, 10, 10, 0xFF00FF00);
    EXPECT_EQ(0u, round.Rgb(0, 0)) << "the rounded corner is left out";
    EXPECT_EQ(0x00FF00u, round.Rgb(10, 0));
    EXPECT_EQ(0u, round.Rgb(10, 10));
    VQRenderCanvas none(24, 24, 0xFF000000);
    VQRenderEngine::DrawBorder(none.DC(), {0, 0, 20, 20}, 0, 0xFFFF0000);
    VQRenderEngine::DrawBorder(none.DC(), {0, 0, 20, 20}, 2, 0x00FF0000);
    EXPECT_EQ(0u, none.Rgb(0, 0)) << "size 0 or alpha 0 draws nothing";
}

}  // namespace
}  // namespace Tessar
