#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/ui/TestWindow.h"
#include "ui/Container.h"
#include "ui/Layouts.h"
#include "ui/PaintManager.h"
#include "ui/ScrollBar.h"

namespace Tessar {
namespace {

using Test::VQTestWindow;

// Records every notification; an optional hook runs inside Notify.
class RecordingNotify : public INotify {
public:
    void Notify(VQNotifyMsg& msg) override {
        received.push_back(msg);
        if (hook) hook(msg);
    }
    std::vector<VQNotifyMsg> received;
    std::function<void(VQNotifyMsg&)> hook;

    int Count(int type, VQControl* sender = nullptr) const {
        int n = 0;
        for (const auto& msg : received)
            if (msg.type == type && (!sender || msg.sender == sender)) ++n;
        return n;
    }
};

// Counts timer events by local id and its own destruction.
class TimerProbe : public VQControl {
public:
    explicit TimerProbe(int* deaths = nullptr) : m_deaths(deaths) {}
    ~TimerProbe() override {
        if (m_deaths) ++*m_deaths;
    }
    void OnTimer(VQEvent& event) override {
        ticks.push_back(static_cast<int>(event.wParam));
        if (onTick) onTick(static_cast<int>(event.wParam));
    }
    std::vector<int> ticks;
    std::function<void(int)> onTick;

private:
    int* m_deaths;
};

VQControl* Named(const wchar_t* name, int id, VQControl* control = nullptr) {
    if (!control) control = new VQControl;
    control->SetAttribute(L"name", name);
    if (id) control->SetId(id);
    return control;
}

TEST(PaintManager, FindsControlsByNameAndIdAcrossTheTree) {
    VQTestWindow window;
    ASSERT_NE(nullptr, window.Handle());
    VQVerticalLayout* root = new VQVerticalLayout;
    root->SetName(L"mainlayout");
    VQHorizontalLayout* row = new VQHorizontalLayout;
    row->Add(Named(L"first", 101));
    row->Add(Named(L"second", 0));
    root->Add(row);
    root->Add(Named(L"", 113));
    EXPECT_TRUE(window.Manager().AttachRootControl(root));

    struct Case {
        const wchar_t* name;
        int id;
    } cases[] = {{L"first", 101}, {L"second", 0}, {L"", 113}, {L"mainlayout", 0}};
    for (const auto& c : cases) {
        VQControl* byName = c.name[0] ? window.Manager().FindControlByName(c.name) : nullptr;
        VQControl* byId = c.id ? window.Manager().FindControlById(c.id) : nullptr;
        if (c.name[0]) {
            ASSERT_NE(nullptr, byName) << c.name;
            EXPECT_EQ(&window.Manager(), byName->GetManager()) << c.name;
        }
        if (c.id) {
            ASSERT_NE(nullptr, byId) << c.id;
        }
        if (byName && byId) {
            EXPECT_EQ(byName, byId);
        }
    }
    EXPECT_EQ(nullptr, window.Manager().FindControlByName(L"nosuch"));
    EXPECT_EQ(nullptr, window.Manager().FindControlByName(L"First"));
    EXPECT_EQ(nullptr, window.Manager().FindControlById(999));

    // A subtree added later is adopted; a removed control is forgotten.
    row->Add(Named(L"late", 202));
    EXPECT_NE(nullptr, window.Manager().FindControlByName(L"late"));
    EXPECT_EQ(window.Manager().FindControlByName(L"late"), window.Manager().FindControlById(202));
    row->Remove(window.Manager().FindControlById(101));
    EXPECT_EQ(nullptr, window.Manager().FindControlById(101));
    EXPECT_EQ(nullptr, window.Manager().FindControlByName(L"first"));
}

TEST(PaintManager, FocusMovesAndSendsSetAndKillFocus) {
    VQTestWindow window;
    RecordingNotify notify;
    VQVerticalLayout* root = new VQVerticalLayout;
    VQControl* a = Named(L"a", 0);
    VQControl* b = Named(L"b", 0);
    VQControl* disabled = Named(L"disabled", 0);
    for (VQControl* c : {a, b}) c->SetAttribute(L"notify", L"setfocus,killfocus");
    disabled->SetEnabled(false);
    root->Add(a);
    root->Add(b);
    root->Add(disabled);
    window.Manager().AttachRootControl(root);
    window.Manager().AddNotifier(&notify);

    a->SetFocus();
    EXPECT_EQ(a, window.Manager().GetFocus());
    EXPECT_TRUE(a->IsFocused());
    EXPECT_EQ(1, notify.Count(NotifySetFocus, a));
    b->SetFocus();
    EXPECT_FALSE(a->IsFocused());
    EXPECT_TRUE(b->IsFocused());
    EXPECT_EQ(1, notify.Count(NotifyKillFocus, a));
    EXPECT_EQ(1, notify.Count(NotifySetFocus, b));
    // A disabled control takes no focus; the old one still loses it.
    disabled->SetFocus();
    EXPECT_EQ(nullptr, window.Manager().GetFocus());
    EXPECT_FALSE(b->IsFocused());
    // A control of no manager is refused.
    VQControl stranger;
    window.Manager().SetFocus(&stranger);
    EXPECT_EQ(nullptr, window.Manager().GetFocus());
    // Deleting the focused control clears the focus.
    a->SetFocus();
    root->Remove(a);
    EXPECT_EQ(nullptr, window.Manager().GetFocus());
}

TEST(PaintManager, TabOrderWrapsBothWays) {
    VQTestWindow window;
    VQVerticalLayout* root = new VQVerticalLayout;
    VQControl* first = Named(L"first", 0);
    VQControl* plain = Named(L"plain", 0);  // no tab stop
    VQHorizontalLayout* row = new VQHorizontalLayout;
    VQControl* second = Named(L"second", 0);
    VQControl* hidden = Named(L"hidden", 0);
    VQControl* third = Named(L"third", 0);
    for (VQControl* c : {first, second, hidden, third}) c->SetAttribute(L"flags", L"tabstop");
    hidden->SetVisible(false);
    root->Add(first);
    root->Add(plain);
    row->Add(second);
    row->Add(hidden);
    root->Add(row);
    root->Add(third);
    window.Manager().AttachRootControl(root);
    // The first paint lays the tree out and moves the focus to the first tab stop.
    window.Paint();
    EXPECT_EQ(first, window.Manager().GetFocus());

    struct Step {
        bool forward;
        VQControl* expected;
    } steps[] = {{true, second}, {true, third}, {true, first}, {false, third}, {false, second}, {false, first}};
    for (const auto& step : steps) {
        EXPECT_TRUE(window.Manager().MoveFocus(step.forward));
        EXPECT_EQ(step.expected, window.Manager().GetFocus())
            << (step.forward ? "Tab to " : "Shift+Tab to ") << step.expected->GetName().c_str();
    }
    // The Tab key reaches MoveFocus through the message loop's pre-translation.
    MSG msg = {window.Handle(), WM_KEYDOWN, VK_TAB, 0};
    EXPECT_TRUE(VQPaintManager::PreTranslateMessage(&msg));
    EXPECT_EQ(second, window.Manager().GetFocus());
}

TEST(PaintManager, ClickOnAWindowReachesTheNotifier) {
    VQTestWindow window(300, 200);
    RecordingNotify notify;
    VQHorizontalLayout* root = new VQHorizontalLayout;
    VQControl* left = Named(L"left", 0);
    VQControl* right = Named(L"right", 0);
    left->SetAttribute(L"notify", L"click,lbuttondown,lbuttonup");
    right->SetAttribute(L"notify", L"click");
    root->Add(left);
    root->Add(right);
    window.Manager().AttachRootControl(root);
    window.Manager().AddNotifier(&notify);
    window.Paint();
    ASSERT_EQ(1, notify.Count(NotifyWindowInit, root));

    RECT pos = left->GetPos();
    ASSERT_GT(pos.right, pos.left);
    LPARAM inside = MAKELPARAM(pos.left + 5, pos.top + 5);
    ::SendMessageW(window.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, inside);
    EXPECT_EQ(1, notify.Count(NotifyLButtonDown, left));
    EXPECT_TRUE(left->m_state & StatePushed);
    ::SendMessageW(window.Handle(), WM_LBUTTONUP, 0, inside);
    EXPECT_EQ(1, notify.Count(NotifyClick, left));
    EXPECT_EQ(1, notify.Count(NotifyLButtonUp, left));
    EXPECT_EQ(0u, left->m_state & (StatePushed | StatePressed));
    // The click carries the last mouse point.
    EXPECT_EQ(pos.left + 5, notify.received.back().mouse.x);

    // Released outside: no click.
    ::SendMessageW(window.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, inside);
    RECT other = right->GetPos();
    ::SendMessageW(window.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(other.left + 5, other.top + 5));
    EXPECT_EQ(1, notify.Count(NotifyClick, left));
    EXPECT_EQ(0, notify.Count(NotifyClick, right));

    // Space activates a control with "spacereturn" through the focus.
    right->SetAttribute(L"spacereturn", L"true");
    right->SetFocus();
    ::SendMessageW(window.Handle(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(1, notify.Count(NotifyClick, right));
}

TEST(PaintManager, ForwardedReleaseDoesNotActivateTheParent) {
    VQTestWindow window;
    RecordingNotify notify;
    VQHorizontalLayout* root = new VQHorizontalLayout;
    VQContainer* parent = new VQContainer;
    VQControl* child = new VQControl;
    parent->SetAttribute(L"notify", L"click");
    child->SetAttribute(L"notify", L"click");
    child->SetAttribute(L"dispatch", L"lbuttondown,lbuttonup");
    parent->Add(child);
    root->Add(parent);
    window.Manager().AttachRootControl(root);
    window.Manager().AddNotifier(&notify);
    window.Paint();
    RECT pos = child->GetPos();
    LPARAM inside = MAKELPARAM(pos.left + 2, pos.top + 2);
    ::SendMessageW(window.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, inside);
    ::SendMessageW(window.Handle(), WM_LBUTTONUP, 0, inside);
    EXPECT_EQ(1, notify.Count(NotifyClick, child));
    EXPECT_EQ(0, notify.Count(NotifyClick, parent));
}

TEST(PaintManager, ControlRemovedDuringItsClickIsFreedLater) {
    VQTestWindow window;
    RecordingNotify notify;
    int deaths = 0;
    VQHorizontalLayout* root = new VQHorizontalLayout;
    TimerProbe* button = new TimerProbe(&deaths);
    button->SetAttribute(L"notify", L"click,lbuttonup");
    button->SetAttribute(L"name", L"button");
    root->Add(button);
    window.Manager().AttachRootControl(root);
    window.Manager().AddNotifier(&notify);
    window.Paint();
    notify.hook = [&](VQNotifyMsg& msg) {
        if (msg.type != NotifyClick) return;
        DetachControlFromParent(msg.sender);
        window.Manager().AddDelayedCleanup(msg.sender);
        window.Manager().PostDelayedCleanup();
    };
    LPARAM inside = MAKELPARAM(5, 5);
    ::SendMessageW(window.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, inside);
    ::SendMessageW(window.Handle(), WM_LBUTTONUP, 0, inside);
    // Still alive after its own handler went on to notify "lbuttonup".
    EXPECT_EQ(0, deaths);
    EXPECT_EQ(1, notify.Count(NotifyLButtonUp, button));
    EXPECT_EQ(0, root->GetCount());
    EXPECT_TRUE(window.PumpUntil([&] { return deaths == 1; }));
    EXPECT_EQ(nullptr, window.Manager().FindControlByName(L"button"));
}

TEST(PaintManager, TimersShareNativeTimersPerInterval) {
    VQTestWindow window;
    VQHorizontalLayout* root = new VQHorizontalLayout;
    TimerProbe* a = new TimerProbe;
    TimerProbe* b = new TimerProbe;
    root->Add(a);
    root->Add(b);
    window.Manager().AttachRootControl(root);
    VQPaintManager& manager = window.Manager();

    EXPECT_TRUE(manager.SetTimer(a, 7, 20));
    EXPECT_FALSE(manager.SetTimer(a, 7, 20));  // the same control and local id
    EXPECT_FALSE(manager.SetTimer(a, 7, 50));
    EXPECT_TRUE(manager.SetTimer(b, 7, 20));   // same interval: one native timer
    EXPECT_TRUE(window.PumpUntil([&] { return a->ticks.size() >= 2 && b->ticks.size() >= 2; }));
    for (int id : a->ticks) EXPECT_EQ(7, id);

    // Killing one leaves the other ticking.
    manager.KillTimer(a, 7);
    size_t aTicks = a->ticks.size();
    size_t bTicks = b->ticks.size();
    EXPECT_TRUE(window.PumpUntil([&] { return b->ticks.size() >= bTicks + 3; }));
    EXPECT_EQ(aTicks, a->ticks.size());
    // Killing both kills the native timer: nothing ticks any more.
    manager.KillTimer(b, 7);
    bTicks = b->ticks.size();
    window.PumpUntil([] { return false; }, 150);
    EXPECT_EQ(bTicks, b->ticks.size());
    // The interval gets a native timer again.
    EXPECT_TRUE(manager.SetTimer(b, 8, 20));
    EXPECT_TRUE(window.PumpUntil([&] { return !b->ticks.empty() && b->ticks.back() == 8; }));

    // After RemoveAllTimers a timer of a known interval still ticks.
    manager.RemoveAllTimers();
    b->ticks.clear();
    EXPECT_TRUE(manager.SetTimer(b, 9, 20));
    EXPECT_TRUE(window.PumpUntil([&] { return !b->ticks.empty(); }));
}

TEST(PaintManager, TimerHandlersMayKillTimersAndFreeControls) {
    VQTestWindow window;
    int deaths = 0;
    VQHorizontalLayout* root = new VQHorizontalLayout;
    TimerProbe* once = new TimerProbe;
    TimerProbe* doomed = new TimerProbe(&deaths);
    TimerProbe* other = new TimerProbe;
    root->Add(once);
    root->Add(doomed);
    root->Add(other);
    window.Manager().AttachRootControl(root);
    VQPaintManager& manager = window.Manager();
    once->onTick = [&](int id) { manager.KillTimer(once, id); };
    // The first tick of `other` frees `doomed`, whose timer shares the native one.
    other->onTick = [&](int) {
        if (root->GetItemIndex(doomed) >= 0) root->Remove(doomed);
    };
    ASSERT_TRUE(manager.SetTimer(other, 1, 20));
    ASSERT_TRUE(manager.SetTimer(doomed, 1, 20));
    ASSERT_TRUE(manager.SetTimer(once, 1, 20));
    EXPECT_TRUE(window.PumpUntil([&] { return other->ticks.size() >= 4; }));
    EXPECT_EQ(1, deaths);
    EXPECT_EQ(1u, once->ticks.size());
}

TEST(PaintManager, OptionGroupsDefaultListsAndFilters) {
    VQTestWindow window;
    VQPaintManager& manager = window.Manager();
    VQControl a, b;
    EXPECT_EQ(nullptr, manager.GetOptionGroup(3));
    EXPECT_TRUE(manager.AddOptionGroup(3, &a));
    EXPECT_FALSE(manager.AddOptionGroup(3, &a));
    EXPECT_TRUE(manager.AddOptionGroup(3, &b));
    EXPECT_TRUE(manager.AddOptionGroup(4, &a));
    ASSERT_NE(nullptr, manager.GetOptionGroup(3));
    EXPECT_EQ((std::vector<VQControl*>{&a, &b}), *manager.GetOptionGroup(3));
    manager.RemoveOptionGroup(3, &a);
    EXPECT_EQ((std::vector<VQControl*>{&b}), *manager.GetOptionGroup(3));
    manager.RemoveOptionGroup(3, &b);
    ASSERT_NE(nullptr, manager.GetOptionGroup(3));  // the empty group stays
    EXPECT_TRUE(manager.GetOptionGroup(3)->empty());
    manager.RemoveAllOptionGroups();
    EXPECT_EQ(nullptr, manager.GetOptionGroup(4));

    manager.AddDefaultAttributeList(L"VScrollBar", L"linesize=\"30\"");
    manager.AddDefaultAttributeList(L"VScrollBar", L"linesize=\"24\"");
    EXPECT_EQ(L"linesize=\"24\"", manager.GetDefaultAttributeList(L"VScrollBar"));
    EXPECT_EQ(L"", manager.GetDefaultAttributeList(L"HScrollBar"));
    // A bar made after the list is registered takes it.
    VQContainer* root = new VQContainer;
    manager.AttachRootControl(root);
    root->SetAttribute(L"vscrollbar", L"true");
    ASSERT_NE(nullptr, root->GetVerticalScrollBar());
    EXPECT_EQ(24, root->GetVerticalScrollBar()->GetLineSize());
    manager.RemoveDefaultAttributeList(L"VScrollBar");
    EXPECT_EQ(L"", manager.GetDefaultAttributeList(L"VScrollBar"));

    struct Filter : IWindowMessageFilter {
        UINT wanted = 0;
        LRESULT MessageFilter(UINT message, WPARAM, LPARAM, bool& handled) override {
            handled = message == wanted;
            return 42;
        }
    } filter;
    filter.wanted = WM_USER + 5;
    EXPECT_TRUE(manager.AddMessageFilter(&filter));
    EXPECT_FALSE(manager.AddMessageFilter(&filter));
    EXPECT_EQ(42, ::SendMessageW(window.Handle(), WM_USER + 5, 0, 0));
    EXPECT_TRUE(manager.RemoveMessageFilter(&filter));
    EXPECT_FALSE(manager.RemoveMessageFilter(&filter));
    EXPECT_EQ(0, ::SendMessageW(window.Handle(), WM_USER + 5, 0, 0));
}

TEST(PaintManager, NotifiersAreToldInOrderAndRegisteredOnce) {
    VQTestWindow window;
    VQPaintManager& manager = window.Manager();
    std::vector<int> order;
    RecordingNotify first, second;
    first.hook = [&](VQNotifyMsg&) { order.push_back(1); };
    second.hook = [&](VQNotifyMsg&) { order.push_back(2); };
    struct InitProbe : VQControl {
        int inits = 0;
        void DoInit() override { ++inits; }
    };
    VQContainer* root = new VQContainer;
    InitProbe* probe = new InitProbe;
    root->Add(probe);
    manager.AttachRootControl(root);
    EXPECT_TRUE(manager.AddNotifier(&first));
    EXPECT_EQ(1, probe->inits);
    EXPECT_FALSE(manager.AddNotifier(&first));
    EXPECT_TRUE(manager.AddNotifier(&second));
    manager.SendNotify(probe, 30, 5, 6);
    EXPECT_EQ((std::vector<int>{1, 2}), order);
    ASSERT_EQ(1u, second.received.size());
    EXPECT_EQ(30, second.received[0].type);
    EXPECT_EQ(probe, second.received[0].sender);
    EXPECT_EQ(WPARAM(5), second.received[0].wParam);
    EXPECT_EQ(LPARAM(6), second.received[0].lParam);
}

TEST(PaintManager, FontsByNameWithDefaultFallback) {
    VQTestWindow window;
    VQPaintManager& manager = window.Manager();
    HFONT fallback = manager.GetFont(L"");
    ASSERT_NE(nullptr, fallback);
    HFONT title = manager.AddFont(L"title", L"SimSun", 14, true, false, false);
    ASSERT_NE(nullptr, title);
    EXPECT_EQ(title, manager.GetFont(L"title"));
    EXPECT_EQ(fallback, manager.GetFont(L"unknown"));
    LOGFONTW lf = {};
    ASSERT_NE(0, ::GetObjectW(title, sizeof(lf), &lf));
    EXPECT_EQ(-14, lf.lfHeight);
    EXPECT_GE(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(DEFAULT_CHARSET, lf.lfCharSet);
}

TEST(PaintManager, ReplacingTheRootFreesTheOldTreeLater) {
    VQTestWindow window;
    int deaths = 0;
    VQContainer* oldRoot = new VQContainer;
    oldRoot->Add(new TimerProbe(&deaths));
    window.Manager().AttachRootControl(oldRoot);
    window.Manager().AttachRootControl(new VQContainer);
    EXPECT_EQ(0, deaths);
    window.Manager().PostDelayedCleanup();
    EXPECT_TRUE(window.PumpUntil([&] { return deaths == 1; }));
}

}  // namespace
}  // namespace Tessar
