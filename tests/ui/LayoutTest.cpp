#include <gtest/gtest.h>

#include <climits>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "ui/Container.h"
#include "ui/Layouts.h"
#include "ui/ScrollBar.h"

namespace Tessar {
namespace {

struct Child {
    int width, height;          // fixed size, 0 = take what the layout gives
    RECT margin;                // "padding"
    int minW, maxW, minH, maxH;
};

struct Expected {
    int left, top, right, bottom;
};

// A control that asks for any size, a negative one too (fixed sizes
// refuse negative values).
class AskingControl : public VQControl {
public:
    AskingControl(int width, int height) : m_asked{width, height} {}
    SIZE GetFixedSize(int, int) override { return m_asked; }

private:
    SIZE m_asked;
};

VQControl* MakeChild(const Child& c) {
    VQControl* control = c.width < 0 || c.height < 0 ? new AskingControl(c.width, c.height) : new VQControl;
    control->SetFixedWidth(c.width);
    control->SetFixedHeight(c.height);
    control->SetPadding(c.margin.left, c.margin.top, c.margin.right, c.margin.bottom);
    control->SetMinWidth(c.minW);
    control->SetMaxWidth(c.maxW);
    control->SetMinHeight(c.minH);
    control->SetMaxHeight(c.maxH);
    return control;
}

void ExpectRect(const Expected& e, const RECT& rc, const char* label, size_t index) {
    EXPECT_EQ(e.left, rc.left) << label << " child " << index;
    EXPECT_EQ(e.top, rc.top) << label << " child " << index;
    EXPECT_EQ(e.right, rc.right) << label << " child " << index;
    EXPECT_EQ(e.bottom, rc.bottom) << label << " child " << index;
}

struct LayoutCase {
    const char* label;
    RECT box;
    RECT inset;
    int childPadding;
    std::vector<Child> children;
    std::vector<Expected> expected;
};

// Expected rectangles are worked out in the cases from the layout rules.
std::vector<LayoutCase> VerticalCases() {
    const RECT none = {0, 0, 0, 0};
    std::vector<LayoutCase> cases;
    // 100 high, heights 20/0/0, child padding 5: fixed 20 + 2*5 = 30, share (100-30)/2 = 35,
    // the last adjustable child takes 100 - 20 - 35 - 10 = 35.
    cases.push_back({"share", {0, 0, 50, 100}, none, 5,
                     {{0, 20, none, 0, 0, 0, 0}, {0, 0, none, 0, 0, 0, 0}, {0, 0, none, 0, 0, 0, 0}},
                     {{0, 0, 50, 20}, {0, 25, 50, 60}, {0, 65, 50, 100}}});
    // Odd remainder goes to the last adjustable child: (101-0)/2 = 50, then 101-50 = 51.
    cases.push_back({"remainder", {0, 0, 10, 101}, none, 0,
                     {{0, 0, none, 0, 0, 0, 0}, {0, 0, none, 0, 0, 0, 0}},
                     {{0, 0, 10, 50}, {0, 50, 10, 101}}});
    // Inset 5,6,7,8 on 10,10,110,210: client 15,16 .. 103,202 (88 x 186).
    // Child 1: margin 1,2,3,4, height 30, width 0 -> 88-1-3 = 84.
    // Child 2: width 40, height 0: remaining after child 1 = 186 - 6 - 30 = 150 -> 150.
    cases.push_back({"inset and margins", {10, 10, 110, 210}, {5, 6, 7, 8}, 0,
                     {{0, 30, {1, 2, 3, 4}, 0, 0, 0, 0}, {40, 0, none, 0, 0, 0, 0}},
                     {{16, 18, 16 + 84, 18 + 30}, {15, 16 + 36, 15 + 40, 16 + 36 + 150}}});
    // Min and max: height 10 raised to min 25; adjustable child capped at max 20;
    // width 200 capped at max 60; width 5 raised to min 15.
    // Fixed total = 25 + 0, share = (100-25)/2 = 37; the second pass takes off the
    // 10 asked for, leaving 15; child 2 gets 37 capped to 20; the last gets
    // remaining 100-25-20 = 55 less 15 = 40.
    cases.push_back({"min and max", {0, 0, 100, 100}, none, 0,
                     {{200, 10, none, 0, 60, 25, 0}, {5, 0, none, 15, 0, 0, 20}, {0, 0, none, 0, 0, 0, 0}},
                     {{0, 0, 60, 25}, {0, 25, 15, 45}, {0, 45, 100, 85}}});
    // More fixed height than room: the adjustable child gets 0, children run past the bottom.
    cases.push_back({"overfull", {0, 0, 30, 50}, none, 2,
                     {{0, 40, none, 0, 0, 0, 0}, {0, 0, none, 0, 0, 0, 0}, {0, 30, none, 0, 0, 0, 0}},
                     {{0, 0, 30, 40}, {0, 42, 30, 42}, {0, 44, 30, 74}}});
    return cases;
}

TEST(Layout, VerticalLayoutPlacesChildrenTopToBottom) {
    for (const LayoutCase& c : VerticalCases()) {
        for (int kind = 0; kind < 2; ++kind) {
            // The vertical layout class and a container with layout type 2 agree.
            VQContainer* box = kind == 0 ? static_cast<VQContainer*>(new VQVerticalLayout) : new VQContainer;
            if (kind == 1) box->SetAttribute(L"layouttype", L"2");
            box->SetInset(c.inset.left, c.inset.top, c.inset.right, c.inset.bottom);
            box->SetChildPadding(c.childPadding);
            for (const Child& child : c.children) box->Add(MakeChild(child));
            box->SetPos(c.box.left, c.box.top, c.box.right, c.box.bottom);
            for (size_t i = 0; i < c.expected.size(); ++i)
                ExpectRect(c.expected[i], box->GetItemAt(static_cast<int>(i))->GetPos(), c.label, i);
            delete box;
        }
    }
}

TEST(Layout, HorizontalLayoutPlacesChildrenLeftToRight) {
    const RECT none = {0, 0, 0, 0};
    std::vector<LayoutCase> cases;
    // 100 wide, widths 20/0/0, padding 5: share 35, last 35; zero heights take the client height.
    cases.push_back({"share", {0, 0, 100, 40}, none, 5,
                     {{20, 0, none, 0, 0, 0, 0}, {0, 10, none, 0, 0, 0, 0}, {0, 0, {0, 3, 0, 4}, 0, 0, 0, 0}},
                     {{0, 0, 20, 40}, {25, 0, 60, 10}, {65, 3, 100, 40 - 4}}});
    // Inset 2,3,4,5 on 0,0,100,50: client 2,3 .. 96,45 (94 x 42). Margins 1,1,1,1 and 2,0,2,0.
    // Child 1 width 30: at 2+1 = 3, height 42-2 = 40. Child 2 adjustable:
    // remaining = 94 - 2 - 30 - 4 = 58 (width 58) at 2 + 32 + 2 = 36.
    cases.push_back({"inset and margins", {0, 0, 100, 50}, {2, 3, 4, 5}, 0,
                     {{30, 0, {1, 1, 1, 1}, 0, 0, 0, 0}, {0, 0, {2, 0, 2, 0}, 0, 0, 0, 0}},
                     {{3, 4, 33, 44}, {36, 3, 36 + 58, 45}}});
    // Max height caps the fill; min width raises a fixed width to 30. The
    // second pass takes off the 10 asked for: the last child gets 70 - 20 = 50.
    cases.push_back({"min and max", {0, 0, 100, 60}, none, 0,
                     {{10, 0, none, 30, 0, 0, 25}, {0, 0, none, 0, 0, 0, 0}},
                     {{0, 0, 30, 25}, {30, 0, 80, 60}}});
    for (const LayoutCase& c : cases) {
        VQHorizontalLayout box;
        box.SetInset(c.inset.left, c.inset.top, c.inset.right, c.inset.bottom);
        box.SetChildPadding(c.childPadding);
        for (const Child& child : c.children) box.Add(MakeChild(child));
        box.SetPos(c.box.left, c.box.top, c.box.right, c.box.bottom);
        for (size_t i = 0; i < c.expected.size(); ++i)
            ExpectRect(c.expected[i], box.GetItemAt(static_cast<int>(i))->GetPos(), c.label, i);
    }
}

// The second pass takes a fixed child's asked size off the fixed total
// before its bounds apply, while the first pass counted the bounded size:
// the last adjustable child gets the difference. The vertical and the
// horizontal layout do the same along their own axis.
TEST(Layout, SecondPassTakesOffTheAskedSizeBeforeTheBounds) {
    struct AxisChild {
        int size;  // along the layout's axis; 0 adjustable
        int minSize, maxSize;
    };
    struct AxisCase {
        const char* label;
        int length;  // of the layout along its axis
        std::vector<AxisChild> children;
        std::vector<std::pair<int, int>> expected;  // start and end along the axis
    };
    const std::vector<AxisCase> cases = {
        // First pass: 30 counted, share 70. Second: 50 taken off (total -20),
        // the last child gets 70 + 20 = 90 and runs past the end.
        {"capped by its maximum", 100, {{50, 0, 30}, {0, 0, 0}}, {{0, 30}, {30, 120}}},
        // First pass: 25 counted. Second: 10 taken off (total 15): 75 - 15 = 60.
        {"raised to its minimum", 100, {{10, 25, 0}, {0, 0, 0}}, {{0, 25}, {25, 85}}},
        // Asked -20: counted as 0, taken off as -20 (total 20); the child keeps
        // size 0 and the last one gets 100 - 20 = 80.
        {"a negative size stays at 0", 100, {{-20, 0, 0}, {0, 0, 0}}, {{0, 0}, {0, 80}}},
        {"within its bounds nothing changes", 100, {{20, 10, 40}, {0, 0, 0}}, {{0, 20}, {20, 100}}},
    };
    const RECT none = {0, 0, 0, 0};
    for (const AxisCase& c : cases) {
        for (int vertical = 0; vertical < 2; ++vertical) {
            VQContainer* box = vertical ? static_cast<VQContainer*>(new VQVerticalLayout)
                                        : static_cast<VQContainer*>(new VQHorizontalLayout);
            for (const AxisChild& a : c.children) {
                const Child child = vertical ? Child{0, a.size, none, 0, 0, a.minSize, a.maxSize}
                                             : Child{a.size, 0, none, a.minSize, a.maxSize, 0, 0};
                box->Add(MakeChild(child));
            }
            if (vertical)
                box->SetPos(0, 0, 40, c.length);
            else
                box->SetPos(0, 0, c.length, 40);
            for (size_t i = 0; i < c.expected.size(); ++i) {
                const RECT rc = box->GetItemAt(static_cast<int>(i))->GetPos();
                EXPECT_EQ(c.expected[i].first, vertical ? rc.top : rc.left)
                    << c.label << (vertical ? " vertical" : " horizontal") << " child " << i;
                EXPECT_EQ(c.expected[i].second, vertical ? rc.bottom : rc.right)
                    << c.label << (vertical ? " vertical" : " horizontal") << " child " << i;
            }
            delete box;
        }
    }
}

TEST(Layout, StackedLayoutPutsEveryChildOverTheClientArea) {
    VQContainer box;  // layout type 0
    box.SetInset(10, 10, 10, 10);
    box.Add(MakeChild({0, 0, {0, 0, 0, 0}, 0, 0, 0, 0}));
    box.Add(MakeChild({30, 20, {5, 6, 7, 8}, 0, 0, 0, 0}));
    // No min/max clamping in the stacked layout.
    box.Add(MakeChild({0, 0, {1, 2, 3, 4}, 0, 0, 50, 50}));
    box.SetPos(0, 0, 200, 100);
    // Client 10,10 .. 190,90 (180 x 80). A zero width is W - right margin, zero height H - top - bottom.
    ExpectRect({10, 10, 190, 90}, box.GetItemAt(0)->GetPos(), "stack", 0);
    ExpectRect({15, 16, 45, 36}, box.GetItemAt(1)->GetPos(), "stack", 1);
    ExpectRect({11, 12, 11 + 180 - 3, 12 + 80 - 2 - 4}, box.GetItemAt(2)->GetPos(), "stack", 2);
}

TEST(Layout, FloatingChildrenArePlacedByTheirKind) {
    struct Case {
        const wchar_t* kind;
        int x, y, width, height;
        RECT margin;
        Expected expected;
    } cases[] = {
        // Vertical layout: floats are placed against the container's item rectangle 20,30..220,130.
        {L"float", 5, 6, 40, 10, {0, 0, 0, 0}, {25, 36, 65, 46}},
        {L"float", 5, 6, 0, 0, {0, 0, 0, 0}, {25, 36, 225, 136}},  // right = rect right + x
        {L"relfloat", 5, 6, 0, 0, {0, 0, 0, 0}, {25, 36, 220, 130}},
        {L"relfloat", 5, 6, 40, 10, {1, 2, 3, 4}, {26, 38, 62, 42}},
        {L"absfloat", 5, 6, 40, 10, {0, 0, 0, 0}, {5, 6, 45, 16}},
        {L"absfloat", 5, 6, 0, 0, {0, 0, 0, 0}, {5, 6, 220, 130}},
    };
    for (const auto& c : cases) {
        VQVerticalLayout box;
        VQControl* fixed = MakeChild({0, 30, {0, 0, 0, 0}, 0, 0, 0, 0});
        VQControl* floating = new VQControl;
        floating->SetAttribute(c.kind, L"true");
        floating->SetFixedXY(c.x, c.y);
        floating->SetFixedWidth(c.width);
        floating->SetFixedHeight(c.height);
        floating->SetPadding(c.margin.left, c.margin.top, c.margin.right, c.margin.bottom);
        box.Add(floating);
        box.Add(fixed);
        box.SetPos(20, 30, 220, 130);
        const std::string label(c.kind, c.kind + wcslen(c.kind));
        ExpectRect(c.expected, floating->GetPos(), label.c_str(), 0);
        // A floating child takes no room from the others.
        ExpectRect({20, 30, 220, 60}, fixed->GetPos(), label.c_str(), 1);
    }
    // Horizontal layouts place floats against the client area (item less inset).
    VQHorizontalLayout row;
    row.SetInset(10, 10, 0, 0);
    VQControl* floating = new VQControl;
    floating->SetFloat(true);
    floating->SetFixedXY(1, 2);
    floating->SetFixedWidth(5);
    floating->SetFixedHeight(5);
    row.Add(floating);
    row.SetPos(0, 0, 100, 100);
    ExpectRect({11, 12, 16, 17}, floating->GetPos(), "horizontal float", 0);
}

TEST(Layout, InvisibleChildrenAreSkipped) {
    VQVerticalLayout box;
    VQControl* a = MakeChild({0, 0, {0, 0, 0, 0}, 0, 0, 0, 0});
    VQControl* hidden = MakeChild({0, 40, {0, 0, 0, 0}, 0, 0, 0, 0});
    hidden->SetVisible(false);
    VQControl* b = MakeChild({0, 0, {0, 0, 0, 0}, 0, 0, 0, 0});
    box.Add(a);
    box.Add(hidden);
    box.Add(b);
    box.SetChildPadding(10);
    box.SetPos(0, 0, 10, 110);
    // Two counted children: (110 - 10) / 2 = 50 each.
    ExpectRect({0, 0, 10, 50}, a->GetPos(), "hidden", 0);
    ExpectRect({0, 60, 10, 110}, b->GetPos(), "hidden", 2);
}

TEST(Layout, HugeSizesDoNotOverflow) {
    VQVerticalLayout box;
    box.SetChildPadding(INT_MAX);
    for (int i = 0; i < 3; ++i) box.Add(MakeChild({INT_MAX, INT_MAX, {INT_MAX, INT_MAX, 0, 0}, 0, 0, 0, 0}));
    box.Add(MakeChild({0, 0, {0, 0, 0, 0}, 0, 0, 0, 0}));
    box.SetPos(0, 0, 100, 100);
    for (int i = 0; i < box.GetCount(); ++i) {
        RECT rc = box.GetItemAt(i)->GetPos();
        EXPECT_LE(rc.left, rc.right) << i;
        EXPECT_LE(rc.top, rc.bottom) << i;
    }
    // Children past the end of int stay at its end instead of wrapping to negatives.
    EXPECT_GE(box.GetItemAt(2)->GetPos().top, 0);
    EXPECT_EQ(0, box.GetItemAt(3)->GetPos().bottom - box.GetItemAt(3)->GetPos().top);
}

TEST(Layout, ContentTallerThanTheClientShowsTheVerticalBarOnce) {
    VQVerticalLayout box;
    box.EnableScrollBar(true, false);
    VQScrollbar* bar = box.GetVerticalScrollBar();
    ASSERT_NE(nullptr, bar);
    box.Add(MakeChild({0, 80, {0, 0, 0, 0}, 0, 0, 0, 0}));
    box.Add(MakeChild({0, 80, {0, 0, 0, 0}, 0, 0, 0, 0}));
    box.SetPos(0, 0, 100, 100);
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(160 - 100, bar->GetScrollRange());
    // The second pass laid out with the narrower client.
    const int barWidth = bar->GetFixedWidth();
    ExpectRect({0, 0, 100 - barWidth, 80}, box.GetItemAt(0)->GetPos(), "bar", 0);
    ExpectRect({100 - barWidth, 0, 100, 100}, bar->GetPos(), "bar", 9);

    // Scrolling moves the children; the same position again moves nothing.
    box.SetScrollPos({0, 25});
    EXPECT_EQ(25, box.GetScrollPos().cy);
    ExpectRect({0, -25, 100 - barWidth, 55}, box.GetItemAt(0)->GetPos(), "scrolled", 0);
    box.SetScrollPos({0, 25});
    ExpectRect({0, -25, 100 - barWidth, 55}, box.GetItemAt(0)->GetPos(), "same position", 0);
    // The bar keeps the position inside 0..range.
    box.EndDown();
    EXPECT_EQ(60, box.GetScrollPos().cy);
    box.LineDown();
    EXPECT_EQ(60, box.GetScrollPos().cy);
    box.LineUp();
    EXPECT_EQ(60 - bar->GetLineSize(), box.GetScrollPos().cy);
    box.PageUp();
    EXPECT_EQ(0, box.GetScrollPos().cy);
    box.HomeUp();
    ExpectRect({0, 0, 100 - barWidth, 80}, box.GetItemAt(0)->GetPos(), "home", 0);

    // Content that fits again hides the bar and gives the width back.
    box.RemoveAt(1);
    box.SetPos(0, 0, 100, 100);
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_EQ(0, bar->GetScrollRange());
    ExpectRect({0, 0, 100, 80}, box.GetItemAt(0)->GetPos(), "fits", 0);
}

TEST(Layout, ScrollBarAttributesAndDefaults) {
    VQContainer box;
    box.SetAttribute(L"hscrollbar", L"true");
    ASSERT_NE(nullptr, box.GetHorizontalScrollBar());
    EXPECT_EQ(nullptr, box.GetVerticalScrollBar());
    EXPECT_TRUE(box.GetHorizontalScrollBar()->IsHorizontal());
    EXPECT_EQ(16, box.GetHorizontalScrollBar()->GetFixedHeight());
    EXPECT_EQ(0, box.GetHorizontalScrollBar()->GetFixedWidth());
    box.SetAttribute(L"vscrollbarstyle", L"linesize=\"20\" range=\"-5\"");
    ASSERT_NE(nullptr, box.GetVerticalScrollBar());
    EXPECT_EQ(20, box.GetVerticalScrollBar()->GetLineSize());
    EXPECT_EQ(0, box.GetVerticalScrollBar()->GetScrollRange());
    EXPECT_NE(nullptr, box.GetHorizontalScrollBar());
    box.SetAttribute(L"hscrollbar", L"false");
    EXPECT_EQ(nullptr, box.GetHorizontalScrollBar());
    EXPECT_NE(nullptr, box.GetVerticalScrollBar());
    EXPECT_EQ(box.GetVerticalScrollBar(), box.GetVerticalScrollBar()->GetInterface(ControlTypeScrollBar));
}

TEST(Layout, ContainerAttributes) {
    VQContainer box;
    box.SetAttribute(L"inset", L"1,2,3,4");
    box.SetAttribute(L"childpadding", L"7");
    box.SetAttribute(L"autodestroy", L"false");
    box.SetAttribute(L"layouttype", L"1");
    box.SetAttribute(L"width", L"9");  // passed on to the control vocabulary
    RECT inset = box.GetInset();
    EXPECT_EQ(1, inset.left);
    EXPECT_EQ(4, inset.bottom);
    EXPECT_EQ(7, box.GetChildPadding());
    EXPECT_FALSE(box.IsAutoDestroy());
    EXPECT_EQ(1, box.GetLayoutType());
    EXPECT_EQ(9, box.GetFixedWidth());
    EXPECT_EQ(ControlTypeContainer, box.GetControlType());
    EXPECT_EQ(&box, box.GetInterface(ControlTypeControl));
}

}  // namespace
}  // namespace Tessar
