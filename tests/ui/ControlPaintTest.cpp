// The control base's five paint steps into a memory DIB: state priorities
// of colours, images, text colours and paddings, images that fail being
// cleared, borders, rolling text, and the order of the steps.
#include <gtest/gtest.h>

#include <string>

#include "tests/ui/RenderCanvas.h"
#include "ui/Control.h"
#include "ui/PaintManager.h"

namespace Tessar {
namespace {

using Test::SkinFixture;
using Test::VQRenderCanvas;

class PaintProbe : public VQControl {
public:
    void SetFocusedFlag(bool on) { m_focused = on; }
    void SetStateAfterEnable(bool enabled, unsigned state) {
        SetEnabled(enabled);
        m_state = state;
    }
};

const RECT kItem = {4, 4, 44, 28};

void Paint(PaintProbe& control, VQRenderCanvas& canvas) {
    control.SetPos(kItem.left, kItem.top, kItem.right, kItem.bottom);
    RECT all = {0, 0, canvas.Width(), canvas.Height()};
    control.DoPaint(canvas.DC(), all);
}

TEST(RenderControlPaintTest, BackgroundColourByStatePriority) {
    struct Case {
        const char* name;
        bool enabled;
        bool focused;
        unsigned state;
        const wchar_t* attributes;
        uint32_t expected;
    } cases[] = {
        {"normal", true, false, 0, L"normalbkcolor=\"#FF010101\"", 0x010101},
        {"hot", true, false, StateHot, L"normalbkcolor=\"#FF010101\" hotbkcolor=\"#FF020202\"", 0x020202},
        {"hot colour unset falls back", true, false, StateHot, L"normalbkcolor=\"#FF010101\"", 0x010101},
        {"pushed before hot", true, false, StateHot | StatePushed,
         L"normalbkcolor=\"#FF010101\" hotbkcolor=\"#FF020202\" pushedbkcolor=\"#FF030303\"", 0x030303},
        {"selected before pushed", true, false, StateSelected | StatePushed,
         L"pushedbkcolor=\"#FF030303\" selectedbkcolor=\"#FF040404\"", 0x040404},
        {"disabled first", false, false, StateSelected,
         L"selectedbkcolor=\"#FF040404\" disabledbkcolor=\"#FF050505\"", 0x050505},
        {"focused last", true, true, StateHot,
         L"normalbkcolor=\"#FF010101\" focusedbkcolor=\"#FF060606\"", 0x060606},
        {"hot before focused", true, true, StateHot, L"hotbkcolor=\"#FF020202\" focusedbkcolor=\"#FF060606\"",
         0x020202},
        {"nothing set paints nothing", true, false, StateHot, L"", 0x777777},
    };
    for (const Case& c : cases) {
        VQRenderCanvas canvas(50, 32, 0xFF777777);
        PaintProbe control;
        control.ApplyAttributeList(c.attributes);
        control.SetStateAfterEnable(c.enabled, c.state);
        control.SetFocusedFlag(c.focused);
        Paint(control, canvas);
        EXPECT_EQ(c.expected, canvas.Rgb(20, 15)) << c.name;
        EXPECT_EQ(0x777777u, canvas.Rgb(2, 2)) << c.name << ": outside the item";
    }
}

TEST(RenderControlPaintTest, ImagesThatFailAreClearedAndTheNextIsTried) {
    const std::wstring solid = L"file='" + SkinFixture(L"solid.png") + L"'";
    const std::wstring button = L"file='" + SkinFixture(L"button.png") + L"' source='60,0,120,24'";
    VQRenderCanvas canvas(50, 32, 0xFF000000);
    PaintProbe control;
    control.m_bkImages[ImageHot] = L"missing-hot.png";
    control.m_bkImages[ImageNormal] = solid;
    control.SetStateAfterEnable(true, StateHot);
    Paint(control, canvas);
    EXPECT_EQ(0x336699u, canvas.Rgb(20, 15));
    EXPECT_TRUE(control.m_bkImages[ImageHot].empty()) << "cleared so it is not tried again";
    EXPECT_EQ(solid, control.m_bkImages[ImageNormal]);

    // The base never draws the selected background image.
    VQRenderCanvas selected(50, 32, 0xFF000000);
    PaintProbe other;
    other.m_bkImages[ImageSelected] = button;
    other.m_bkImages[ImageNormal] = solid;
    other.SetStateAfterEnable(true, StateSelected);
    Paint(other, selected);
    EXPECT_EQ(0x336699u, selected.Rgb(20, 15));

    // State images do take the selected one, before pushed and hot.
    VQRenderCanvas state(50, 32, 0xFF000000);
    PaintProbe third;
    third.m_stateImages[ImageSelected] = button;
    third.m_stateImages[ImageHot] = solid;
    third.m_stateImages[ImageNormal] = L"missing-normal.png";
    third.SetStateAfterEnable(true, StateSelected | StateHot);
    Paint(third, state);
    EXPECT_EQ(0x4F86C6u, state.Rgb(20, 15));
    EXPECT_EQ(L"missing-normal.png", third.m_stateImages[ImageNormal]) << "not tried after a success";
}

// Counts pixels of one colour inside the canvas, and the leftmost one.
int CountColour(const VQRenderCanvas& canvas, uint32_t rgb, int* leftmost = nullptr) {
    int count = 0;
    if (leftmost) *leftmost = canvas.Width();
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            if (canvas.Rgb(x, y) == rgb) {
                ++count;
                if (leftmost && x < *leftmost) *leftmost = x;
            }
    return count;
}

TEST(RenderControlPaintTest, TextColourAndPaddingByState) {
    struct Case {
        const char* name;
        unsigned state;
        const wchar_t* attributes;
        uint32_t colour;
        int paddingLeft;
    } cases[] = {
        {"normal", 0, L"normaltextcolor=\"#FFFF0000\" normaltextpadding=\"6,0,0,0\"", 0xFF0000, 6},
        {"hot colour 0 falls back to normal", StateHot, L"normaltextcolor=\"#FFFF0000\"", 0xFF0000, 0},
        {"hot colour and padding", StateHot,
         L"normaltextcolor=\"#FFFF0000\" hottextcolor=\"#FF00FF00\" hottextpadding=\"12,0,0,0\"", 0x00FF00, 12},
        {"a padding of zeros is not set", StateHot,
         L"normaltextpadding=\"9,0,0,0\" hottextpadding=\"0,0,0,0\" normaltextcolor=\"#FF0000FF\"", 0x0000FF, 9},
        {"pushed before hot", StateHot | StatePushed,
         L"hottextcolor=\"#FF00FF00\" pushedtextcolor=\"#FFFFFF00\"", 0xFFFF00, 0},
    };
    for (const Case& c : cases) {
        VQRenderCanvas canvas(50, 32, 0xFF000000);
        PaintProbe control;
        control.ApplyAttributeList(std::wstring(L"text=\"WW\" align=\"left\" ") + c.attributes);
        control.SetStateAfterEnable(true, c.state);
        Paint(control, canvas);
        int leftmost = 0;
        EXPECT_GT(CountColour(canvas, c.colour, &leftmost), 0) << c.name;
        EXPECT_GE(leftmost, kItem.left + c.paddingLeft) << c.name;
        EXPECT_LE(leftmost, kItem.left + c.paddingLeft + 2) << c.name;
    }
}

TEST(RenderControlPaintTest, BorderIsPaintedLastAndOnlyWhenSet) {
    struct Case {
        const char* name;
        const wchar_t* attributes;
        uint32_t corner;
        uint32_t edge;
    } cases[] = {
        {"border over the background", L"normalbkcolor=\"#FF010101\" bordercolor=\"#FFFF0000\" bordersize=\"1\"",
         0xFF0000, 0xFF0000},
        {"colour 0: no border", L"normalbkcolor=\"#FF010101\" bordersize=\"2\"", 0x010101, 0x010101},
        {"size 0: no border", L"normalbkcolor=\"#FF010101\" bordercolor=\"#FFFF0000\" bordersize=\"0\"", 0x010101,
         0x010101},
        {"round corner spares the corner pixel",
         L"normalbkcolor=\"#FF010101\" bordercolor=\"#FFFF0000\" roundcorner=\"10,10\"", 0x010101, 0xFF0000},
    };
    for (const Case& c : cases) {
        VQRenderCanvas canvas(50, 32, 0xFF000000);
        PaintProbe control;
        control.ApplyAttributeList(c.attributes);
        Paint(control, canvas);
        EXPECT_EQ(c.corner, canvas.Rgb(kItem.left, kItem.top)) << c.name;
        EXPECT_EQ(c.edge, canvas.Rgb(20, kItem.top)) << c.name;
        EXPECT_EQ(0x010101u, canvas.Rgb(20, 15)) << c.name;
    }
}

TEST(RenderControlPaintTest, RollingTextThatFitsStopsRolling) {
    VQRenderCanvas canvas(50, 32, 0xFF000000);
    PaintProbe control;
    control.ApplyAttributeList(L"text=\"W\" flags=\"enterrolltext\" normaltextcolor=\"#FFFFFFFF\"");
    control.m_rolling = true;
    control.m_rollOffset = 7;
    Paint(control, canvas);
    EXPECT_FALSE(control.m_rolling);
    EXPECT_EQ(0, control.m_rollOffset);
    EXPECT_GT(CountColour(canvas, 0xFFFFFF), 0);
}

TEST(RenderControlPaintTest, RollingTextStaysInsideItsRectangle) {
    VQRenderCanvas canvas(50, 32, 0xFF000000);
    PaintProbe control;
    control.ApplyAttributeList(
        L"text=\"WWWWWWWWWWWWWWWW\" flags=\"enterrolltext\" normaltextcolor=\"#FFFFFFFF\" normaltextpadding=\"3,0,3,0\"");
    control.m_rolling = true;
    for (int offset : {0, 5, 1000003}) {
        canvas.Fill(0xFF000000);
        control.m_rollOffset = offset;
        Paint(control, canvas);
        EXPECT_TRUE(control.m_rolling) << offset;
        EXPECT_GT(CountColour(canvas, 0xFFFFFF), 0) << offset;
        for (int y = 0; y < canvas.Height(); ++y)
            for (int x = 0; x < canvas.Width(); ++x)
                if (x < kItem.left + 3 || x >= kItem.right - 3) {
                    ASSERT_EQ(0u, canvas.Rgb(x, y)) << "outside the text rectangle at " << x << "," << y;
                }
    }
}

TEST(RenderControlPaintTest, FillsWriteAlphaOnLayeredWindowsOrWhenAsked) {
    struct Case {
        const char* name;
        bool managerLayered;
        const wchar_t* attributes;
        uint32_t expectedAlpha;
    } cases[] = {
        {"plain window", false, L"", 0x00},
        {"layeredwindowbk", false, L"layeredwindowbk=\"true\"", 0xFF},
        {"layered manager", true, L"", 0xFF},
    };
    for (const Case& c : cases) {
        VQPaintManager manager;
        manager.SetLayered(c.managerLayered);
        VQRenderCanvas canvas(50, 32, 0x00000000);
        PaintProbe control;
        control.SetManager(&manager);
        control.ApplyAttributeList(std::wstring(L"normalbkcolor=\"#FF204060\" ") + c.attributes);
        Paint(control, canvas);
        EXPECT_EQ(0x204060u, canvas.Rgb(20, 15)) << c.name;
        EXPECT_EQ(c.expectedAlpha, canvas.Pixel(20, 15) >> 24) << c.name;
        control.SetManager(nullptr);
    }
}

TEST(RenderControlPaintTest, InvisibleControlPaintsNothing) {
    VQRenderCanvas canvas(50, 32, 0xFF000000);
    PaintProbe control;
    control.ApplyAttributeList(L"normalbkcolor=\"#FF010101\" visible=\"false\"");
    Paint(control, canvas);
    EXPECT_EQ(0u, canvas.Rgb(20, 15));
}

}  // namespace
}  // namespace Tessar
