// Input routed from real windows to controls: posted mouse and keyboard
// messages through the window's handler table and the paint manager.
#include <gtest/gtest.h>

#include "tests/ui/RoutingTestWindow.h"
#include "tests/ui/WindowInput.h"
#include "tests/ui/WindowScreenshot.h"
#include "ui/Layouts.h"

namespace Tessar {
namespace {

namespace input = Tessar::Test;
using Test::CenterOf;
using Test::PumpUntil;
using Test::VQProbeControl;
using input::VQRoutingWindow;

// A window with a vertical layout of `count` probes, each 40 high.
struct ProbeWindow {
    explicit ProbeWindow(int count, const wchar_t* notify = L"click,mouseenter,mouseleave,lbuttondown",
                         const wchar_t* flags = L"")
        : window(), shot(window.GetHWND()) {
        root = new VQVerticalLayout;
        for (int i = 0; i < count; ++i) {
            VQProbeControl* probe = new VQProbeControl;
            probe->SetFixedHeight(40);
            probe->SetAttribute(L"notify", notify);
            probe->SetAttribute(L"flags", flags);
            probe->SetName(L"probe" + std::to_wstring(i));
            probes.push_back(probe);
            root->Add(probe);
        }
        root->Add(new VQControl);  // the rest of the window
        window.Attach(root);
        input::VQMouseTrackRecorder::Requests().clear();
    }
    HWND hwnd() const { return window.GetHWND(); }
    VQPaintManager& manager() { return window.GetPaintManager(); }

    VQRoutingWindow window;
    input::VQScreenshotOnFailure shot;
    VQVerticalLayout* root = nullptr;
    std::vector<VQProbeControl*> probes;
};

TEST(Routing, HoverPressAndClickReachTheControlUnderTheMouse) {
    ProbeWindow w(2);
    ASSERT_NE(nullptr, w.hwnd());
    VQProbeControl* a = w.probes[0];
    VQProbeControl* b = w.probes[1];
    ASSERT_EQ(40, a->GetHeight());

    input::PostMouseMove(w.hwnd(), CenterOf(a));
    ASSERT_TRUE(PumpUntil([&] { return a->Count(EventMouseEnter) == 1; }));
    EXPECT_EQ(a, w.manager().GetHoverControl());
    EXPECT_TRUE(a->m_state & StateHot);
    EXPECT_EQ(1, w.window.Count(NotifyMouseEnter, a));

    // Moving to the next control leaves the first one.
    input::PostMouseMove(w.hwnd(), CenterOf(b));
    ASSERT_TRUE(PumpUntil([&] { return b->Count(EventMouseEnter) == 1; }));
    EXPECT_EQ(1, a->Count(EventMouseLeave));
    EXPECT_FALSE(a->m_state & StateHot);
    EXPECT_EQ(1, w.window.Count(NotifyMouseLeave, a));

    input::PostMouse(w.hwnd(), WM_LBUTTONDOWN, CenterOf(b), MK_LBUTTON);
    ASSERT_TRUE(PumpUntil([&] { return b->Count(EventLButtonDown) == 1; }));
    EXPECT_EQ(StatePushed | StatePressed, b->m_state & (StatePushed | StatePressed));
    EXPECT_EQ(w.hwnd(), ::GetCapture());
    EXPECT_TRUE(w.manager().IsCaptured());
    EXPECT_EQ(b, w.manager().GetFocus());
    EXPECT_EQ(MK_LBUTTON, b->Last(EventLButtonDown)->keyState);

    input::PostMouse(w.hwnd(), WM_LBUTTONUP, CenterOf(b));
    ASSERT_TRUE(PumpUntil([&] { return w.window.Count(NotifyClick, b) == 1; }));
    EXPECT_EQ(0u, b->m_state & (StatePushed | StatePressed));
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_FALSE(w.manager().IsCaptured());
    EXPECT_EQ(0, w.window.Count(NotifyClick, a));
}

TEST(Routing, ReleaseOutsideClearsThePressWithoutAClick) {
    ProbeWindow w(2);
    VQProbeControl* a = w.probes[0];
    input::PostMouse(w.hwnd(), WM_LBUTTONDOWN, CenterOf(a), MK_LBUTTON);
    // Out of the control while pressed: the move goes to the pressed control.
    input::PostMouse(w.hwnd(), WM_MOUSEMOVE, CenterOf(w.probes[1]), MK_LBUTTON);
    ASSERT_TRUE(PumpUntil([&] { return a->Count(EventMouseMove) >= 1; }));
    EXPECT_FALSE(a->m_state & StatePushed);
    EXPECT_TRUE(a->m_state & StatePressed);
    input::PostMouse(w.hwnd(), WM_LBUTTONUP, CenterOf(w.probes[1]));
    ASSERT_TRUE(PumpUntil([&] { return a->Count(EventLButtonUp) == 1; }));
    EXPECT_EQ(0, w.window.Count(NotifyClick));
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_EQ(0u, a->m_state & StatePressed);
}

TEST(Routing, MouseLeaveWhilePressedReleasesTheControlAndTheCapture) {
    ProbeWindow w(1);
    VQProbeControl* a = w.probes[0];
    input::PostMouseMove(w.hwnd(), CenterOf(a));
    input::PostMouse(w.hwnd(), WM_LBUTTONDOWN, CenterOf(a), MK_LBUTTON);
    ASSERT_TRUE(PumpUntil([&] { return w.manager().IsCaptured(); }));
    ::PostMessageW(w.hwnd(), WM_MOUSELEAVE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return a->Count(EventLButtonUp) == 1; }));
    EXPECT_EQ(1, a->Count(EventMouseLeave));
    EXPECT_EQ(nullptr, w.manager().GetHoverControl());
    EXPECT_FALSE(w.manager().IsCaptured());
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_EQ(0, w.window.Count(NotifyClick)) << "released at (-1,-1), outside";
    EXPECT_EQ(0u, a->m_state & (StatePressed | StatePushed | StateHot));
}

TEST(Routing, ContextMenuCarriesTheKeyboardStateNotTheWindowHandle) {
    ProbeWindow w(1, L"contextmenu,rbuttondown");
    VQProbeControl* a = w.probes[0];
    input::VQHeldKeys keys({VK_CONTROL, VK_SHIFT});
    input::PostMouse(w.hwnd(), WM_RBUTTONDOWN, CenterOf(a), MK_RBUTTON);
    input::PostContextMenu(w.hwnd(), CenterOf(a));
    ASSERT_TRUE(PumpUntil([&] { return a->Count(EventContextMenu) == 1; }));
    const VQEvent* event = a->Last(EventContextMenu);
    EXPECT_EQ(KeyStateControl | KeyStateShift, event->keyState);
    EXPECT_EQ(CenterOf(a).x, event->mouse.x);
    EXPECT_EQ(CenterOf(a).y, event->mouse.y);
    EXPECT_EQ(reinterpret_cast<LPARAM>(a), event->lParam);
    EXPECT_EQ(1, w.window.Count(NotifyContextMenu, a));
    EXPECT_EQ(1, w.window.Count(NotifyRButtonDown, a));
    EXPECT_FALSE(w.manager().IsCaptured());
}

TEST(Routing, WheelTowardsTheUserGivesOneAwayGivesZero) {
    ProbeWindow w(1);
    VQProbeControl* a = w.probes[0];
    struct Case {
        const char* name;
        short delta;
        WPARAM expected;
    } cases[] = {{"towards the user", -WHEEL_DELTA, 1}, {"away", WHEEL_DELTA, 0}};
    for (const Case& c : cases) {
        const int before = a->Count(EventMouseWheel);
        input::PostWheel(w.hwnd(), CenterOf(a), c.delta);
        ASSERT_TRUE(PumpUntil([&] { return a->Count(EventMouseWheel) == before + 1; })) << c.name;
        EXPECT_EQ(c.expected, a->Last(EventMouseWheel)->wParam) << c.name;
        EXPECT_EQ(a, w.manager().GetHoverControl()) << c.name << ": the wheel refreshes the hover";
    }
}

TEST(Routing, KeysGoToTheFocusedControl) {
    ProbeWindow w(2);
    VQProbeControl* b = w.probes[1];
    b->SetFocus();
    input::PostKeyDown(w.hwnd(), 'Q');
    ::PostMessageW(w.hwnd(), WM_CHAR, L'q', 1);
    input::PostKeyUp(w.hwnd(), 'Q');
    ::PostMessageW(w.hwnd(), WM_SYSKEYDOWN, VK_F4, 1 << 29);
    ASSERT_TRUE(PumpUntil([&] { return b->Count(EventSysKeyDown) == 1; }));
    EXPECT_EQ(VK_F4, b->Last(EventSysKeyDown)->keyChar);
    ASSERT_TRUE(PumpUntil([&] { return b->Count(EventKeyUp) == 1; }));
    EXPECT_EQ(L'Q', b->Last(EventKeyDown)->keyChar);
    EXPECT_EQ(L'q', b->Last(EventChar)->keyChar);
    EXPECT_EQ(0, w.probes[0]->Count(EventKeyDown));
}

TEST(Routing, TabMovesThroughTabStopsAndWraps) {
    ProbeWindow w(4, L"setfocus", L"tabstop");
    w.probes[2]->SetEnabled(false);
    // The first paint moved the focus to the first tab stop.
    ASSERT_EQ(w.probes[0], w.manager().GetFocus());
    struct Step {
        const char* name;
        bool shift;
        int expected;
    } steps[] = {
        {"tab", false, 1}, {"tab skips the disabled one", false, 3}, {"tab wraps to the first", false, 0},
        {"shift+tab wraps to the last", true, 3}, {"shift+tab", true, 1},
    };
    for (const Step& s : steps) {
        input::VQHeldKeys keys(s.shift ? std::initializer_list<BYTE>{VK_SHIFT} : std::initializer_list<BYTE>{});
        input::PostKeyDown(w.hwnd(), VK_TAB);
        VQControl* expected = w.probes[s.expected];
        ASSERT_TRUE(PumpUntil([&] { return w.manager().GetFocus() == expected; })) << s.name;
        EXPECT_TRUE(expected->IsFocused()) << s.name;
    }
    for (VQProbeControl* p : w.probes) EXPECT_EQ(0, p->Count(EventKeyDown)) << "Tab is consumed by the pre-translation";
}

TEST(Routing, TooltipShowsAfterTheHoverTimeAndHidesOnLeave) {
    ProbeWindow w(2, L"mousehover");
    VQProbeControl* a = w.probes[0];
    a->SetAttribute(L"tooltip", L"Start the game now");
    a->SetAttribute(L"tooltipdelaytime", L"400");
    input::PostMouseMove(w.hwnd(), CenterOf(a));
    ASSERT_TRUE(PumpUntil([&] { return a->Count(EventMouseEnter) == 1; }));
    ASSERT_FALSE(input::VQMouseTrackRecorder::Requests().empty());
    const TRACKMOUSEEVENT request = input::VQMouseTrackRecorder::Requests().back();
    EXPECT_EQ(static_cast<DWORD>(TME_LEAVE | TME_HOVER), request.dwFlags);
    EXPECT_EQ(400u, request.dwHoverTime);
    EXPECT_EQ(w.hwnd(), request.hwndTrack);

    // What the system posts when the mouse has rested for the hover time.
    input::PostMouse(w.hwnd(), WM_MOUSEHOVER, CenterOf(a));
    ASSERT_TRUE(PumpUntil([&] { return a->Count(EventMouseHover) == 1; }));
    EXPECT_EQ(1, w.window.Count(NotifyMouseHover, a));
    HWND tip = w.manager().GetToolTipWindow();
    ASSERT_NE(nullptr, tip);
    wchar_t className[64] = {};
    ::GetClassNameW(tip, className, 64);
    EXPECT_STREQ(L"tooltips_class32", className);
    EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(tip) != FALSE; }));
    EXPECT_EQ(300, ::SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0)) << "long tips wrap";
    wchar_t text[80] = {};
    TOOLINFOW info = {};
    info.cbSize = sizeof(info);
    info.hwnd = w.hwnd();
    info.uId = reinterpret_cast<UINT_PTR>(w.hwnd());
    info.lpszText = text;
    ::SendMessageW(tip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(L"Start the game now", text);

    ::PostMessageW(w.hwnd(), WM_MOUSELEAVE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return a->Count(EventMouseLeave) == 1; }));
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindowVisible(tip); }));
}

TEST(Routing, HoverOutsideTheTrackedControlIsNotHandled) {
    ProbeWindow w(2, L"mousehover");
    VQProbeControl* a = w.probes[0];
    a->SetAttribute(L"tooltip", L"tip");
    a->SetAttribute(L"tooltipdelaytime", L"300");
    input::PostMouseMove(w.hwnd(), CenterOf(a));
    input::PostMouse(w.hwnd(), WM_MOUSEHOVER, CenterOf(w.probes[1]));
    input::PumpPending();
    EXPECT_EQ(0, a->Count(EventMouseHover));
    EXPECT_EQ(nullptr, w.manager().GetToolTipWindow());
}

TEST(Routing, HasBeenHoverAsksForTheHoverAgainAfterEveryPause) {
    ProbeWindow w(1, L"mousehover");
    VQProbeControl* a = w.probes[0];
    a->SetAttribute(L"tooltipdelaytime", L"250");
    a->SetAttribute(L"hasbeenhover", L"true");
    for (int pause = 1; pause <= 3; ++pause) {
        input::PostMouseMove(w.hwnd(), CenterOf(a));
        input::PostMouse(w.hwnd(), WM_MOUSEHOVER, CenterOf(a));
        ASSERT_TRUE(PumpUntil([&] { return a->Count(EventMouseHover) == pause; })) << pause;
    }
    int hoverRequests = 0;
    for (const TRACKMOUSEEVENT& r : input::VQMouseTrackRecorder::Requests())
        if (r.dwFlags & TME_HOVER) ++hoverRequests;
    EXPECT_EQ(3, hoverRequests);
}

TEST(Routing, RootIsInitialisedOnceAndLaterControlsToo) {
    VQRoutingWindow window;
    input::VQScreenshotOnFailure shot(window.GetHWND());
    VQVerticalLayout* root = new VQVerticalLayout;
    VQProbeControl* first = new VQProbeControl;
    root->Add(first);
    VQPaintManager& manager = window.GetPaintManager();
    manager.AttachRootControl(root);
    input::VQRoutingWindow* self = &window;
    struct Other : INotify {
        void Notify(VQNotifyMsg&) override {}
    } other;
    EXPECT_TRUE(manager.AddNotifier(self));
    EXPECT_TRUE(manager.AddNotifier(&other));
    EXPECT_FALSE(manager.AddNotifier(&other));
    EXPECT_EQ(1, first->inits) << "once per root, however many listeners";

    // A page filled after the window opened.
    VQVerticalLayout* page = new VQVerticalLayout;
    VQProbeControl* inPage = new VQProbeControl;
    page->Add(inPage);
    root->Add(page);
    EXPECT_EQ(1, inPage->inits);
    VQProbeControl* late = new VQProbeControl;
    page->Add(late);
    EXPECT_EQ(1, late->inits);
    EXPECT_EQ(1, first->inits);

    // A new root of a window already listening is initialised at once.
    VQProbeControl* next = new VQProbeControl;
    manager.AttachRootControl(next);
    EXPECT_EQ(1, next->inits);
}

TEST(Routing, SetCursorGoesToAFlaggedControlUnderTheCursorUnlessCaptured) {
    // The window covers the whole screen, so the pointer is over it wherever
    // it rests; nothing moves the pointer, which test programs running side
    // by side share.
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    VQRoutingWindow window(nullptr, width, height, WS_EX_TOOLWINDOW, 0, 0);
    VQProbeControl* probe = new VQProbeControl;
    window.Attach(probe);
    struct Case {
        const char* name;
        bool flagged;
        bool captured;
        int events;
    } cases[] = {{"flagged", true, false, 1}, {"not flagged", false, false, 0}, {"captured", true, true, 0}};
    for (const Case& c : cases) {
        probe->SetFlag(FlagSetCursor, c.flagged);
        if (c.captured) window.GetPaintManager().SetCapture();
        const int before = probe->Count(EventSetCursor);
        POINT cursor;
        ::GetCursorPos(&cursor);
        ::SendMessageW(window.GetHWND(), WM_SETCURSOR, reinterpret_cast<WPARAM>(window.GetHWND()),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        ASSERT_EQ(before + c.events, probe->Count(EventSetCursor)) << c.name;
        if (c.events) {
            EXPECT_EQ(cursor.x, probe->Last(EventSetCursor)->mouse.x) << c.name;
        }
        if (c.captured) window.GetPaintManager().ReleaseCapture();
    }
}

}  // namespace
}  // namespace Tessar
