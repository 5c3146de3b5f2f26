// The scroll bar: geometry of buttons and thumb, value rules, paging and
// arrow steps by posted clicks, the repeat rule and thumb dragging.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "tests/ui/RenderCanvas.h"
#include "tests/ui/SkinFixture.h"
#include "tests/ui/TestWindow.h"
#include "tests/ui/WindowScreenshot.h"
#include "ui/Container.h"
#include "ui/Layouts.h"
#include "ui/ScrollBar.h"
#include "ui/SkinManager.h"

namespace Tessar {
namespace {

using Test::VQTestWindow;

std::string Describe(const RECT& rc) {
    return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) + "," +
           std::to_string(rc.bottom);
}

TEST(ScrollBarTest, ButtonsAndThumbFollowTheBarSizeRangeAndPosition) {
    struct Case {
        const char* name;
        bool horizontal;
        int thickness;
        bool buttons;
        RECT item;
        int range;
        int position;
        RECT button1, button2, thumb;
    } cases[] = {
        {"vertical at 0", false, 16, true, {0, 0, 16, 200}, 100, 0, {0, 0, 16, 16}, {0, 184, 16, 200}, {0, 16, 16, 128}},
        {"vertical at 50", false, 16, true, {0, 0, 16, 200}, 100, 50, {0, 0, 16, 16}, {0, 184, 16, 200}, {0, 44, 16, 156}},
        {"vertical at end", false, 16, true, {0, 0, 16, 200}, 100, 100, {0, 0, 16, 16}, {0, 184, 16, 200}, {0, 72, 16, 184}},
        {"range 0 fills the track", false, 16, true, {0, 0, 16, 200}, 0, 0, {0, 0, 16, 16}, {0, 184, 16, 200}, {0, 16, 16, 184}},
        {"thumb never thinner than the bar", false, 16, true, {0, 0, 16, 200}, 100000, 0, {0, 0, 16, 16}, {0, 184, 16, 200}, {0, 16, 16, 32}},
        {"huge range at its end", false, 16, true, {0, 0, 16, 200}, INT_MAX, INT_MAX, {0, 0, 16, 16}, {0, 184, 16, 200}, {0, 168, 16, 184}},
        {"no room for a thumb", false, 16, true, {0, 0, 16, 40}, 100, 0, {0, 0, 16, 16}, {0, 24, 16, 40}, {0, 0, 0, 0}},
        {"half buttons", false, 16, true, {0, 0, 16, 20}, 100, 0, {0, 0, 16, 10}, {0, 10, 16, 20}, {0, 0, 0, 0}},
        {"offset item", false, 16, true, {100, 50, 116, 250}, 100, 50, {100, 50, 116, 66}, {100, 234, 116, 250}, {100, 94, 116, 206}},
        {"horizontal at 50", true, 16, true, {0, 0, 200, 16}, 100, 50, {0, 0, 16, 16}, {184, 0, 200, 16}, {44, 0, 156, 16}},
        {"without buttons", false, 8, false, {0, 0, 8, 100}, 100, 0, {0, 0, 0, 0}, {0, 100, 0, 100}, {0, 0, 8, 50}},
        {"without buttons at end", false, 8, false, {0, 0, 8, 100}, 100, 100, {0, 0, 0, 0}, {0, 100, 0, 100}, {0, 50, 8, 100}},
    };
    for (const Case& c : cases) {
        VQScrollbar bar;
        bar.SetHorizontal(c.horizontal);
        if (c.horizontal)
            bar.SetFixedHeight(c.thickness);
        else
            bar.SetFixedWidth(c.thickness);
        bar.SetShowButton1(c.buttons);
        bar.SetShowButton2(c.buttons);
        bar.SetScrollRange(c.range);
        bar.SetScrollPos(c.position);
        bar.SetPos(c.item.left, c.item.top, c.item.right, c.item.bottom);
        EXPECT_EQ(Describe(bar.GetButton1Rect()), Describe(c.button1)) << c.name;
        EXPECT_EQ(Describe(bar.GetButton2Rect()), Describe(c.button2)) << c.name;
        EXPECT_EQ(Describe(bar.GetThumbRect()), Describe(c.thumb)) << c.name;
    }
}

TEST(ScrollBarTest, RangeAndPositionAreKeptInBounds) {
    struct Case {
        const char* name;
        const wchar_t* range;
        const wchar_t* value;
        int expectRange;
        int expectPosition;
    } cases[] = {
        {"inside", L"50", L"20", 50, 20},
        {"beyond the range", L"50", L"80", 50, 50},
        {"negative position", L"50", L"-3", 50, 0},
        {"negative range", L"-10", L"5", 0, 0},
        {"huge", L"99999999999", L"99999999999", INT_MAX, INT_MAX},
    };
    for (const Case& c : cases) {
        VQScrollbar bar;
        bar.SetAttribute(L"range", c.range);
        bar.SetAttribute(L"value", c.value);
        EXPECT_EQ(bar.GetScrollRange(), c.expectRange) << c.name;
        EXPECT_EQ(bar.GetScrollPos(), c.expectPosition) << c.name;
    }
    VQScrollbar bar;
    bar.SetScrollRange(100);
    bar.SetScrollPos(80);
    bar.SetScrollRange(30);
    EXPECT_EQ(bar.GetScrollPos(), 30) << "a smaller range lowers the position";
    bar.SetAttribute(L"hor", L"true");
    EXPECT_EQ(bar.GetFixedHeight(), 16);
    EXPECT_EQ(bar.GetFixedWidth(), 0);
    EXPECT_EQ(bar.GetInterface(ControlTypeScrollBar), &bar);
    EXPECT_EQ(bar.GetInterface(ControlTypeControl), &bar);
    EXPECT_EQ(bar.GetInterface(ControlTypeContainer), nullptr);
}

TEST(ScrollBarTest, ButtonRepeatsOnlyAfterTheFifthTick) {
    VQScrollbar bar;  // no owner, no manager: the bar moves itself
    bar.SetScrollRange(1000);
    bar.SetPos(0, 0, 16, 200);
    VQEvent down;
    down.type = EventLButtonDown;
    down.mouse = {8, 190};  // button 2
    bar.DoEvent(down);
    EXPECT_EQ(bar.GetScrollPos(), 8) << "one line at once";
    EXPECT_TRUE(bar.GetButton2State() & StatePushed);
    VQEvent tick;
    tick.type = EventTimer;
    tick.wParam = VQScrollbar::kRepeatTimerId;
    for (int i = 1; i <= 5; ++i) {
        bar.DoEvent(tick);
        EXPECT_EQ(bar.GetScrollPos(), 8) << "tick " << i;
    }
    bar.DoEvent(tick);
    EXPECT_EQ(bar.GetScrollPos(), 16);
    bar.DoEvent(tick);
    EXPECT_EQ(bar.GetScrollPos(), 24);
    VQEvent up;
    up.type = EventLButtonUp;
    up.mouse = down.mouse;
    bar.DoEvent(up);
    EXPECT_FALSE(bar.GetButton2State() & StatePushed);
    bar.DoEvent(tick);
    EXPECT_EQ(bar.GetScrollPos(), 24) << "no repeat after release";
}

// A window whose root is a vertical layout of ten 50-pixel rows with a
// vertical bar: range 300 in a 200-pixel view.
struct ScrollWindow {
    ScrollWindow() : window(300, 200), shot(window.Handle()) {
        layout = new VQVerticalLayout;
        for (int i = 0; i < 10; ++i) {
            auto* row = new VQControl;
            row->SetFixedHeight(50);
            layout->Add(row);
        }
        layout->EnableScrollBar(true, false);
        window.Manager().AttachRootControl(layout);
        layout->SetPos(0, 0, 300, 200);
        bar = layout->GetVerticalScrollBar();
    }
    void Click(POINT pt) {
        ::PostMessageW(window.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        ::PostMessageW(window.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
        MSG msg;
        window.PumpUntil([&] { return !::PeekMessageW(&msg, window.Handle(), WM_LBUTTONDOWN, WM_LBUTTONUP, PM_NOREMOVE); });
    }
    VQTestWindow window;
    Test::VQScreenshotOnFailure shot;
    VQVerticalLayout* layout = nullptr;
    VQScrollbar* bar = nullptr;
};

TEST(ScrollBarTest, ClicksPageAndStepTheOwner) {
    ScrollWindow sw;
    ASSERT_NE(sw.bar, nullptr);
    ASSERT_TRUE(sw.bar->IsVisible());
    ASSERT_EQ(sw.bar->GetScrollRange(), 300);
    struct Step {
        const char* name;
        int where;  // 0 below the thumb, 1 above it, 2 button 1, 3 button 2
        int expect;
    } steps[] = {
        {"page down", 0, 200}, {"line up", 2, 192}, {"page up", 1, 0}, {"line down", 3, 8}, {"page down to the end", 0, 208},
        {"page down clamps", 0, 300},
    };
    for (const Step& s : steps) {
        RECT thumb = sw.bar->GetThumbRect();
        RECT b1 = sw.bar->GetButton1Rect();
        RECT b2 = sw.bar->GetButton2Rect();
        POINT pt = {(thumb.left + thumb.right) / 2, 0};
        switch (s.where) {
        case 0: pt.y = (thumb.bottom + b2.top) / 2; break;
        case 1: pt.y = (b1.bottom + thumb.top) / 2; break;
        case 2: pt.y = (b1.top + b1.bottom) / 2; break;
        default: pt.y = (b2.top + b2.bottom) / 2; break;
        }
        sw.Click(pt);
        EXPECT_EQ(sw.layout->GetScrollPos().cy, s.expect) << s.name;
        EXPECT_EQ(sw.bar->GetScrollPos(), s.expect) << s.name;
    }
}

TEST(ScrollBarTest, DraggingTheThumbScrollsTheOwner) {
    ScrollWindow sw;
    ASSERT_NE(sw.bar, nullptr);
    RECT thumb = sw.bar->GetThumbRect();
    const int thumbLength = thumb.bottom - thumb.top;
    POINT grab = {(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
    ::PostMessageW(sw.window.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(grab.x, grab.y));
    ASSERT_TRUE(sw.window.PumpUntil([&] { return (sw.bar->GetThumbState() & VQScrollbar::kDragging) != 0; }));
    // Moves reach the pressed control through the manager.
    ::PostMessageW(sw.window.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(grab.x, grab.y + 50));
    const int track = 200 - thumbLength - 2 * 16;
    const int expected = 50 * 300 / track;
    ASSERT_TRUE(sw.window.PumpUntil([&] { return sw.layout->GetScrollPos().cy == expected; }))
        << "position " << sw.layout->GetScrollPos().cy << ", expected " << expected;
    // The rows moved with the view.
    EXPECT_EQ(sw.layout->GetItemAt(0)->GetPos().top, -expected);
    ::PostMessageW(sw.window.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(grab.x, grab.y + 50));
    ASSERT_TRUE(sw.window.PumpUntil([&] { return (sw.bar->GetThumbState() & VQScrollbar::kDragging) == 0; }));
    EXPECT_FALSE(sw.bar->GetThumbState() & StatePushed);
    EXPECT_EQ(sw.bar->GetScrollPos(), expected);
}

TEST(ScrollBarTest, PartsFollowTheMouseAndPaintTheImageOfTheirState) {
    const std::wstring savedFolder = VQSkinManager::Instance().GetResourceFolder();
    VQSkinManager::Instance().SetResourceFolder(Tessar::Test::TestSkinFolder());
    VQScrollbar bar;
    bar.SetFixedWidth(12);
    bar.ApplyAttributeList(
        L"bknormalimage=\"file='scroll_track.png'\" "
        L"thumbnormalimage=\"file='scroll_thumb.png' source='0,0,12,32'\" "
        L"thumbhotimage=\"file='scroll_thumb.png' source='12,0,24,32'\" "
        L"thumbpushedimage=\"file='scroll_thumb.png' source='24,0,36,32'\" "
        L"button1normalimage=\"file='scroll_arrow.png' source='0,0,12,12'\" "
        L"button1hotimage=\"file='scroll_arrow.png' source='12,0,24,12'\" "
        L"button2normalimage=\"file='scroll_arrow.png' source='24,0,36,12'\" "
        L"button2hotimage=\"file='scroll_arrow.png' source='36,0,48,12'\" "
        L"button2disabledimage=\"file='no-such-picture.png'\"");
    bar.SetPos(0, 0, 12, 200);
    RECT thumb = bar.GetThumbRect();
    Tessar::Test::VQRenderCanvas canvas(12, 200);
    RECT all = {0, 0, 12, 200};
    auto paint = [&] {
        canvas.Fill(0xFF000000);
        bar.DoPaint(canvas.DC(), all);
    };
    const int thumbY = (thumb.top + thumb.bottom) / 2;
    const int trackY = (thumb.bottom + 188) / 2;
    struct Step {
        const char* name;
        int event;  // 0: none
        POINT point;
        uint32_t button1, thumbColor, track;
    } steps[] = {
        {"idle", 0, {0, 0}, 0x8A97A8, 0x8A97A8, 0xD8DEE6},
        {"enter over the track", EventMouseEnter, {6, trackY}, 0x6A7788, 0x8A97A8, 0xD8DEE6},
        {"move onto the thumb", EventMouseMove, {6, thumbY}, 0x6A7788, 0x6A7788, 0xD8DEE6},
        {"press the thumb", EventLButtonDown, {6, thumbY}, 0x6A7788, 0x4A5768, 0xD8DEE6},
        {"release", EventLButtonUp, {6, thumbY}, 0x6A7788, 0x6A7788, 0xD8DEE6},
        {"leave", EventMouseLeave, {6, 400}, 0x8A97A8, 0x8A97A8, 0xD8DEE6},
    };
    for (const Step& s : steps) {
        if (s.event != 0) {
            VQEvent event;
            event.type = s.event;
            event.mouse = s.point;
            bar.DoEvent(event);
        }
        paint();
        EXPECT_EQ(canvas.Rgb(6, 6), s.button1) << s.name;
        EXPECT_EQ(canvas.Rgb(6, thumbY), s.thumbColor) << s.name;
        EXPECT_EQ(canvas.Rgb(6, trackY), s.track) << s.name;
    }
    // A disabled bar drops the part states; its missing disabled picture is
    // cleared and the normal one drawn instead.
    bar.SetEnabled(false);
    EXPECT_EQ(bar.GetThumbState() & (StateHot | StatePushed), 0u);
    paint();
    EXPECT_EQ(canvas.Rgb(6, 194), 0x8A97A8u);
    VQSkinManager::Instance().SetResourceFolder(savedFolder);
}

}  // namespace
}  // namespace Tessar
