#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "ui/Control.h"

namespace Tessar {
namespace {

// Each case sets one attribute on a fresh control and checks what it changed.
struct AttributeCase {
    const wchar_t* name;
    const wchar_t* value;
    bool (*check)(VQControl& c);
};

bool RectIs(const RECT& rc, int l, int t, int r, int b) {
    return rc.left == l && rc.top == t && rc.right == r && rc.bottom == b;
}

const AttributeCase kCases[] = {
    {L"endellipsis", L"true", [](VQControl& c) { return c.m_textStyle == DT_END_ELLIPSIS; }},
    {L"pathellipsis", L"true", [](VQControl& c) { return c.m_textStyle == DT_PATH_ELLIPSIS; }},
    {L"normaltextcolor", L"#FF112233", [](VQControl& c) { return c.GetNormalTextColor() == 0xFF112233u; }},
    {L"hottextcolor", L"FF445566", [](VQControl& c) { return c.GetHotTextColor() == 0xFF445566u; }},
    {L"pushedtextcolor", L"#01", [](VQControl& c) { return c.GetPushedTextColor() == 1u; }},
    {L"selectedtextcolor", L"#A0B0C0D0", [](VQControl& c) { return c.GetSelectedTextColor() == 0xA0B0C0D0u; }},
    {L"disabledtextcolor", L"#FF808080", [](VQControl& c) { return c.GetDisabledTextColor() == 0xFF808080u; }},
    {L"normalfont", L"f1", [](VQControl& c) { return c.m_fonts[TextNormal] == L"f1"; }},
    {L"hotfont", L"f2", [](VQControl& c) { return c.m_fonts[TextHot] == L"f2"; }},
    {L"pushedfont", L"f3", [](VQControl& c) { return c.m_fonts[TextPushed] == L"f3"; }},
    {L"selectedfont", L"f4", [](VQControl& c) { return c.m_fonts[TextSelected] == L"f4"; }},
    {L"disabledfont", L"f5", [](VQControl& c) { return c.m_fonts[TextDisabled] == L"f5"; }},
    {L"rowheight", L"18", [](VQControl& c) { return c.m_rowHeight == 18; }},
    {L"normaltextpadding", L"1,2,3,4", [](VQControl& c) { return RectIs(c.m_textPaddings[TextNormal], 1, 2, 3, 4); }},
    {L"hottextpadding", L"5,6,7,8", [](VQControl& c) { return RectIs(c.m_textPaddings[TextHot], 5, 6, 7, 8); }},
    {L"pushedtextpadding", L"1,1,1,1", [](VQControl& c) { return RectIs(c.m_textPaddings[TextPushed], 1, 1, 1, 1); }},
    {L"selectedtextpadding", L"2,2,2,2", [](VQControl& c) { return RectIs(c.m_textPaddings[TextSelected], 2, 2, 2, 2); }},
    {L"disabledtextpadding", L"3,3", [](VQControl& c) { return RectIs(c.m_textPaddings[TextDisabled], 3, 3, 0, 0); }},
    {L"normalimage", L"file='a.png'", [](VQControl& c) { return c.m_stateImages[ImageNormal] == L"file='a.png'"; }},
    {L"hotimage", L"h.png", [](VQControl& c) { return c.m_stateImages[ImageHot] == L"h.png"; }},
    {L"pushedimage", L"p.png", [](VQControl& c) { return c.m_stateImages[ImagePushed] == L"p.png"; }},
    {L"focusedimage", L"f.png", [](VQControl& c) { return c.m_stateImages[ImageFocused] == L"f.png"; }},
    {L"disabledimage", L"d.png", [](VQControl& c) { return c.m_stateImages[ImageDisabled] == L"d.png"; }},
    {L"selectedimage", L"s.png", [](VQControl& c) { return c.m_stateImages[ImageSelected] == L"s.png"; }},
    {L"bknormalimage", L"bn.png", [](VQControl& c) { return c.m_bkImages[ImageNormal] == L"bn.png"; }},
    {L"bkhotimage", L"bh.png", [](VQControl& c) { return c.m_bkImages[ImageHot] == L"bh.png"; }},
    {L"bkpushedimage", L"bp.png", [](VQControl& c) { return c.m_bkImages[ImagePushed] == L"bp.png"; }},
    {L"bkfocusedimage", L"bf.png", [](VQControl& c) { return c.m_bkImages[ImageFocused] == L"bf.png"; }},
    {L"bkdisabledimage", L"bd.png", [](VQControl& c) { return c.m_bkImages[ImageDisabled] == L"bd.png"; }},
    {L"bkselectedimage", L"bs.png", [](VQControl& c) { return c.m_bkImages[ImageSelected] == L"bs.png"; }},
    {L"pos", L"10,20,110,70", [](VQControl& c) {
         POINT xy = c.GetFixedXY();
         return xy.x == 10 && xy.y == 20 && c.GetFixedWidth() == 100 && c.GetFixedHeight() == 50;
     }},
    // Right of left: the negative width is ignored, the height is taken.
    {L"pos", L"50,0,10,30", [](VQControl& c) { return c.GetFixedXY().x == 50 && c.GetFixedWidth() == 0 && c.GetFixedHeight() == 30; }},
    {L"pos", L"5", [](VQControl& c) { return c.GetFixedXY().x == 5 && c.GetFixedWidth() == 0 && c.GetFixedHeight() == 0; }},
    {L"flags", L"tabstop,setcursor", [](VQControl& c) { return c.TestFlag(FlagTabStop) && c.TestFlag(FlagSetCursor) && !c.TestFlag(FlagEnterRollText); }},
    {L"flags", L"enterrolltext", [](VQControl& c) { return c.TestFlag(FlagEnterRollText) && !c.TestFlag(FlagTabStop); }},
    {L"format", L"topmost", [](VQControl& c) { return c.m_format == FormatTopmost; }},
    {L"format", L"top", [](VQControl& c) { return c.m_format == 0u; }},
    {L"padding", L"1,2,3,4", [](VQControl& c) { return RectIs(c.GetPadding(), 1, 2, 3, 4); }},
    {L"cut", L"4,3,2,1", [](VQControl& c) { return RectIs(c.GetCut(), 4, 3, 2, 1); }},
    {L"normalbkcolor", L"#FF000001", [](VQControl& c) { return c.m_bkColors[ImageNormal] == 0xFF000001u; }},
    {L"hotbkcolor", L"  #FF000002", [](VQControl& c) { return c.m_bkColors[ImageHot] == 0xFF000002u; }},
    {L"pushedbkcolor", L"FF000003", [](VQControl& c) { return c.m_bkColors[ImagePushed] == 0xFF000003u; }},
    {L"selectedbkcolor", L"#FF000004", [](VQControl& c) { return c.m_bkColors[ImageSelected] == 0xFF000004u; }},
    {L"focusedbkcolor", L"#FF000005", [](VQControl& c) { return c.m_bkColors[ImageFocused] == 0xFF000005u; }},
    {L"disabledbkcolor", L"#FF000006", [](VQControl& c) { return c.m_bkColors[ImageDisabled] == 0xFF000006u; }},
    {L"normalbkcolor", L"nonsense", [](VQControl& c) { return c.m_bkColors[ImageNormal] == 0u; }},
    {L"bordercolor", L"#FFABCDEF", [](VQControl& c) { return c.m_borderColor == 0xFFABCDEFu; }},
    {L"bordersize", L"3", [](VQControl& c) { return c.m_borderSize == 3; }},
    {L"width", L"120", [](VQControl& c) { return c.GetFixedWidth() == 120; }},
    {L"width", L"-5", [](VQControl& c) { return c.GetFixedWidth() == 0; }},
    {L"height", L"40", [](VQControl& c) { return c.GetFixedHeight() == 40; }},
    {L"height", L"abc", [](VQControl& c) { return c.GetFixedHeight() == 0; }},
    {L"name", L"okbtn", [](VQControl& c) { return c.GetName() == L"okbtn"; }},
    {L"text", L"游戏", [](VQControl& c) { return c.GetText() == L"游戏"; }},
    {L"tooltip", L"tip", [](VQControl& c) { return c.GetToolTip() == L"tip"; }},
    {L"customtooltip", L"true", [](VQControl& c) { return c.m_customToolTip; }},
    {L"capture", L"true", [](VQControl& c) { return c.m_capture; }},
    {L"caption", L"true", [](VQControl& c) { return c.m_caption; }},
    {L"spacereturn", L"true", [](VQControl& c) { return c.m_spaceReturn; }},
    {L"hasbeenhover", L"true", [](VQControl& c) { return c.m_hasBeenHover; }},
    {L"layeredwindowbk", L"true", [](VQControl& c) { return c.m_layeredBk; }},
    {L"capture", L"TRUE", [](VQControl& c) { return !c.m_capture; }},
    {L"enabled", L"false", [](VQControl& c) { return !c.IsEnabled(); }},
    {L"enabled", L"yes", [](VQControl& c) { return !c.IsEnabled(); }},
    {L"visible", L"false", [](VQControl& c) { return !c.IsVisible(); }},
    {L"relfloat", L"true", [](VQControl& c) { return c.IsRelFloat() && !c.IsFloat(); }},
    {L"absfloat", L"true", [](VQControl& c) { return c.IsAbsFloat() && !c.IsFloat(); }},
    {L"float", L"true", [](VQControl& c) { return c.IsFloat(); }},
    {L"roundcorner", L"6,4", [](VQControl& c) { return c.m_roundCorner.cx == 6 && c.m_roundCorner.cy == 4; }},
    {L"roundcorner", L"6", [](VQControl& c) { return c.m_roundCorner.cx == 6 && c.m_roundCorner.cy == 0; }},
    {L"userdata", L"data", [](VQControl& c) { return c.GetUserData() == L"data"; }},
    {L"tag", L"77", [](VQControl& c) { return c.GetTag() == 77; }},
    {L"id", L"113", [](VQControl& c) { return c.GetId() == 113; }},
    {L"id", L"x1", [](VQControl& c) { return c.GetId() == 0; }},
    {L"shortcut", L"Qx", [](VQControl& c) { return c.GetShortcut() == L'Q'; }},
    {L"shortcut", L"", [](VQControl& c) { return c.GetShortcut() == 0; }},
    {L"minwidth", L"10", [](VQControl& c) { return c.GetMinWidth() == 10; }},
    {L"minheight", L"11", [](VQControl& c) { return c.GetMinHeight() == 11; }},
    {L"maxwidth", L"12", [](VQControl& c) { return c.GetMaxWidth() == 12; }},
    {L"maxheight", L"13", [](VQControl& c) { return c.GetMaxHeight() == 13; }},
    {L"maxheight", L"-13", [](VQControl& c) { return c.GetMaxHeight() == 0; }},
    {L"tooltipdelaytime", L"500", [](VQControl& c) { return c.m_toolTipDelay == 500; }},
    // Names compare case-sensitively; unknown names change nothing.
    {L"Width", L"120", [](VQControl& c) { return c.GetFixedWidth() == 0; }},
    {L"nosuchattribute", L"1", [](VQControl& c) { return c.GetFixedWidth() == 0 && c.GetId() == 0; }},
};

TEST(ControlAttribute, EveryCommonAttributeSetsItsField) {
    for (const AttributeCase& c : kCases) {
        VQControl control;
        control.SetAttribute(c.name, c.value);
        EXPECT_TRUE(c.check(control)) << std::wstring(c.name).c_str() << "=" << c.value;
    }
}

TEST(ControlAttribute, AlignWordsApplyInTheirOrder) {
    struct Case {
        const wchar_t* value;
        unsigned expected;
    } cases[] = {
        {L"left", 0},
        {L"center", DT_CENTER},
        {L"right", DT_RIGHT},
        // "vcenter" holds both "vcen" and "center".
        {L"vcenter", DT_VCENTER | DT_CENTER},
        {L"bottom", DT_BOTTOM},
        {L"top", 0},
        {L"singleline", DT_SINGLELINE},
        {L"wordbreak", DT_WORDBREAK},
        {L"center,right", DT_RIGHT},
        {L"right,left", DT_RIGHT},  // words apply in table order, not text order
        {L"singleline wordbreak", DT_WORDBREAK},
        {L"", 0},
    };
    for (const auto& c : cases) {
        VQControl control;
        control.SetAttribute(L"align", c.value);
        EXPECT_EQ(c.expected, control.m_textStyle) << c.value;
    }
    VQControl control;
    control.SetAttribute(L"align", L"bottom");
    control.SetAttribute(L"align", L"vcen");
    EXPECT_EQ(unsigned(DT_VCENTER), control.m_textStyle);
}

TEST(ControlAttribute, NotifyAndDispatchWordsSetTheirBits) {
    VQControl control;
    control.SetAttribute(L"notify", L"click,mouseenter,mousehover,mouseleave,setfocus,killfocus,lbuttondown,lbuttonup,rbuttondown,contextmenu");
    for (int bit : {2, 3, 4, 5, 7, 8, 9, 10, 11, 12}) EXPECT_TRUE(control.TestNotifyBit(bit)) << bit;
    for (int bit : {0, 1, 6, 13, 20, 21}) EXPECT_FALSE(control.TestNotifyBit(bit)) << bit;

    const wchar_t* words[] = {L"keydown",   L"keyup",     L"char",        L"syskeydown", L"mousemove",
                              L"mouseleave", L"mouseenter", L"mousehover", L"mousewheel", L"lbuttondown",
                              L"lbuttonup", L"rbuttondown", L"lbuttondblclk", L"contextmenu", L"killfocus",
                              L"setfocus",  L"setcursor", L"timer",       L"activate"};
    for (int i = 0; i < 19; ++i) {
        VQControl one;
        one.SetAttribute(L"dispatch", words[i]);
        EXPECT_TRUE(one.TestDispatchBit(i + 1)) << words[i];
    }
    VQControl partial;
    partial.SetAttribute(L"dispatch", L"timer");
    for (int bit = 0; bit < 20; ++bit) EXPECT_EQ(bit == 18, partial.TestDispatchBit(bit)) << bit;
}

TEST(ControlAttribute, BitPositionsPastTheSetThrow) {
    VQControl control;
    EXPECT_THROW(control.TestFlag(4), std::out_of_range);
    EXPECT_THROW(control.SetNotifyBit(22, true), std::out_of_range);
    EXPECT_THROW(control.TestDispatchBit(20), std::out_of_range);
    EXPECT_THROW(control.SetFlag(-1, true), std::out_of_range);
    try {
        control.TestNotifyBit(22);
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ("invalid bitset<22> position", e.what());
    }
    EXPECT_NO_THROW(control.SetFlag(3, true));
    EXPECT_NO_THROW(control.SetNotifyBit(21, true));
    EXPECT_NO_THROW(control.SetDispatchBit(19, true));
}

TEST(ControlAttribute, AttributeListStopsAtMalformedText) {
    struct Case {
        const wchar_t* list;
        int width;   // expected fixed width
        int height;  // expected fixed height
        const wchar_t* name;
    } cases[] = {
        {L"width=\"10\" height=\"20\" name=\"a b\"", 10, 20, L"a b"},
        {L"width=\"10\"  height=\"20\"", 10, 0, L""},    // two spaces end the parse
        {L"width=\"10\",height=\"20\"", 10, 0, L""},     // no space after the quote
        {L"width=10 height=\"20\"", 0, 0, L""},          // value without quotes
        {L"width=\"10", 0, 0, L""},                      // unterminated value
        {L"width", 0, 0, L""},                           // no "="
        {L"width=", 0, 0, L""},
        {L"", 0, 0, L""},
        {L"width=\"10\" ", 10, 0, L""},                  // trailing space, nothing after
        {L"name=\"游戏\" width=\"7\"", 7, 0, L"游戏"},
        {L"=\"5\" width=\"6\"", 6, 0, L""},             // empty name is ignored, parsing goes on
    };
    for (const auto& c : cases) {
        VQControl control;
        control.ApplyAttributeList(c.list);
        EXPECT_EQ(c.width, control.GetFixedWidth()) << c.list;
        EXPECT_EQ(c.height, control.GetFixedHeight()) << c.list;
        EXPECT_EQ(std::wstring(c.name), control.GetName()) << c.list;
    }
}

TEST(ControlAttribute, SetPosRaisesRightAndBottom) {
    VQControl control;
    control.SetPos(10, 20, 5, 30);
    RECT rc = control.GetPos();
    EXPECT_TRUE(RectIs(rc, 10, 20, 10, 30));
    control.SetPos(1, 50, 9, 40);
    EXPECT_TRUE(RectIs(control.GetPos(), 1, 50, 9, 50));
    EXPECT_EQ(8, control.GetWidth());
    EXPECT_EQ(0, control.GetHeight());
}

TEST(ControlAttribute, DisablingClearsTheStateWord) {
    VQControl control;
    control.m_state = StateHot | StatePushed | StateSelected;
    control.SetEnabled(false);
    EXPECT_EQ(0u, control.m_state);
    EXPECT_EQ(nullptr, control.GetInterface(ControlTypeContainer));
    EXPECT_EQ(&control, control.GetInterface(ControlTypeControl));
}

}  // namespace
}  // namespace Tessar
