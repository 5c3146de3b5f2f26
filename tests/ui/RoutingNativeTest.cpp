// Routing around native child windows: Tab kept by a rich edit that wants
// it, the focus following a control's own window, reflected commands, and
// the controls let go when the window closes.
#include <gtest/gtest.h>

#include "tests/ui/RoutingTestWindow.h"
#include "tests/ui/WindowInput.h"
#include "tests/ui/WindowScreenshot.h"
#include "ui/Layouts.h"
#include "ui/RichEdit.h"
#include "ui/WindowWnd.h"

namespace Tessar {
namespace {

namespace input = Tessar::Test;
using input::CenterOf;
using input::PumpUntil;
using input::VQProbeControl;
using input::VQRoutingWindow;

// Counts the Tab key-downs that reach the window procedure, i.e. that the
// pre-translation did not consume.
class TabCountingWindow : public VQRoutingWindow {
public:
    LRESULT OnKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& handled) override {
        if (wParam == VK_TAB) ++tabs;
        handled = FALSE;
        return 0;
    }
    int tabs = 0;
};

TEST(Routing, TabInsideARichEditThatWantsItIsNotConsumed) {
    TabCountingWindow window;
    input::VQScreenshotOnFailure shot(window.GetHWND());
    VQVerticalLayout* root = new VQVerticalLayout;
    VQRichEdit* editor = new VQRichEdit;
    VQProbeControl* next = new VQProbeControl;
    for (VQControl* c : {static_cast<VQControl*>(editor), static_cast<VQControl*>(next)}) {
        c->SetAttribute(L"flags", L"tabstop");
        c->SetFixedHeight(30);
        root->Add(c);
    }
    window.Attach(root);
    ASSERT_EQ(editor, window.GetPaintManager().GetFocus());
    struct Case {
        const char* name;
        bool wants;
        VQControl* focusAfter;
        int tabsToWindow;
    } cases[] = {{"wants Tab: typed into it", true, editor, 1}, {"does not: focus moves", false, next, 0}};
    for (const Case& c : cases) {
        editor->SetFocus();
        editor->SetAttribute(L"wanttab", c.wants ? L"true" : L"false");
        const int before = window.tabs;
        input::PostKeyDown(window.GetHWND(), VK_TAB);
        input::PumpPending();
        EXPECT_EQ(c.focusAfter, window.GetPaintManager().GetFocus()) << c.name;
        EXPECT_EQ(before + c.tabsToWindow, window.tabs) << c.name;
    }
}

// A child window that records the reflected commands it is sent.
class CommandChild : public VQWindowWnd {
public:
    const wchar_t* GetWindowClassName() const override { return L"VQTestCommandChild"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == 0x2111) {
            reflected.push_back(wParam);
            return 55;
        }
        return VQWindowWnd::HandleMessage(message, wParam, lParam);
    }
    std::vector<WPARAM> reflected;
};

TEST(Routing, FocusGoingToAControlsOwnWindowMakesThatControlTheFocus) {
    VQRoutingWindow window;
    input::VQScreenshotOnFailure shot(window.GetHWND());
    VQVerticalLayout* root = new VQVerticalLayout;
    VQProbeControl* other = new VQProbeControl;
    VQProbeControl* holder = new VQProbeControl;
    other->SetFixedHeight(30);
    root->Add(other);
    root->Add(holder);
    window.Attach(root);
    CommandChild child;
    holder->m_nativeWindow = child.Create(window.GetHWND(), L"", WS_CHILD | WS_VISIBLE, 0, 0, 40, 100, 20);
    ASSERT_NE(nullptr, holder->m_nativeWindow);
    EXPECT_EQ(holder, window.GetPaintManager().FindControlByWindow(holder->m_nativeWindow));
    EXPECT_EQ(nullptr, window.GetPaintManager().FindControlByWindow(window.GetHWND()));

    other->SetFocus();
    ASSERT_EQ(other, window.GetPaintManager().GetFocus());
    ::SetFocus(window.GetHWND());
    ::SetFocus(holder->m_nativeWindow);
    EXPECT_EQ(holder, window.GetPaintManager().GetFocus());
    EXPECT_TRUE(holder->IsFocused());
    EXPECT_FALSE(other->IsFocused()) << "only one control looks focused";
    EXPECT_EQ(1, other->Count(EventKillFocus));

    // A command from the child goes back to it as a reflected command.
    EXPECT_EQ(55, ::SendMessageW(window.GetHWND(), WM_COMMAND, MAKEWPARAM(7, EN_CHANGE),
                                 reinterpret_cast<LPARAM>(holder->m_nativeWindow)));
    ASSERT_EQ(1u, child.reflected.size());
    EXPECT_EQ(MAKEWPARAM(7, EN_CHANGE), child.reflected[0]);

    // Tab pressed in the child window moves the window's focus too.
    holder->SetAttribute(L"flags", L"tabstop");
    other->SetAttribute(L"flags", L"tabstop");
    holder->SetFocus();
    ::PostMessageW(holder->m_nativeWindow, WM_KEYDOWN, VK_TAB, 1);
    EXPECT_TRUE(PumpUntil([&] { return window.GetPaintManager().GetFocus() == other; }));
}

TEST(Routing, ClosingTheWindowLetsGoOfHoveredAndPressedControls) {
    VQRoutingWindow window;
    VQProbeControl* probe = new VQProbeControl;
    window.Attach(probe);
    input::PostMouseMove(window.GetHWND(), {20, 20});
    input::PostMouse(window.GetHWND(), WM_LBUTTONDOWN, {20, 20}, MK_LBUTTON);
    ASSERT_TRUE(PumpUntil([&] { return probe->Count(EventLButtonDown) == 1; }));
    ::SendMessageW(window.GetHWND(), WM_CLOSE, 0, 0);
    EXPECT_EQ(1, probe->Count(EventMouseLeave));
    EXPECT_EQ(1, probe->Count(EventLButtonUp));
    EXPECT_EQ(1, probe->Count(EventKillFocus));
    EXPECT_FALSE(::IsWindow(window.GetHWND()));
}

TEST(Routing, ButtonUpGivesBackACaptureWhosePressedControlWentAway) {
    VQRoutingWindow window;
    VQVerticalLayout* root = new VQVerticalLayout;
    VQProbeControl* probe = new VQProbeControl;
    root->Add(probe);
    window.Attach(root);
    input::PostMouse(window.GetHWND(), WM_LBUTTONDOWN, {20, 20}, MK_LBUTTON);
    ASSERT_TRUE(PumpUntil([&] { return probe->Count(EventLButtonDown) == 1; }));
    root->Remove(probe);  // freed while pressed
    ASSERT_EQ(window.GetHWND(), ::GetCapture());
    input::PostMouse(window.GetHWND(), WM_LBUTTONUP, {20, 20});
    EXPECT_TRUE(PumpUntil([&] { return ::GetCapture() == nullptr; }));
    EXPECT_FALSE(window.GetPaintManager().IsCaptured());
}

TEST(Routing, DoubleClickGoesToTheControlAndPressesIt) {
    VQRoutingWindow window;
    VQProbeControl* probe = new VQProbeControl;
    window.Attach(probe);
    input::PostMouse(window.GetHWND(), WM_LBUTTONDBLCLK, {30, 30}, MK_LBUTTON | MK_SHIFT);
    input::PostMouse(window.GetHWND(), WM_LBUTTONUP, {30, 30});
    ASSERT_TRUE(PumpUntil([&] { return probe->Count(EventLButtonUp) == 1; }));
    ASSERT_EQ(1, probe->Count(EventLButtonDblClk));
    EXPECT_EQ(MK_LBUTTON | MK_SHIFT, probe->Last(EventLButtonDblClk)->keyState);
    EXPECT_EQ(nullptr, ::GetCapture());
}

}  // namespace
}  // namespace Tessar
