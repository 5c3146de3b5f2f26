#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/ui/WindowInput.h"
#include "tests/ui/WindowScreenshot.h"
#include "ui/DialogBuilder.h"
#include "ui/Label.h"
#include "ui/MenuWnd.h"
#include "ui/PaintManager.h"
#include "ui/WindowImplBase.h"

namespace Tessar {
namespace {

using namespace Test;

const int kMenuLayout = 226;

// The window that owns the menus: records the commands that reach it.
class MenuOwner : public VQWindowImplBase {
public:
    MenuOwner() {
        Create(nullptr, L"menu owner", WS_POPUP, WS_EX_TOOLWINDOW, 20, 20, 200, 100);
        ::ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
    }
    ~MenuOwner() override {
        if (::IsWindow(m_hwnd)) ::DestroyWindow(m_hwnd);
    }
    const wchar_t* GetWindowClassName() const override { return L"VQMenuOwnerTestWnd"; }
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL& handled) override {
        m_paintManager.Init(m_hwnd);
        handled = TRUE;
        return 0;
    }
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) override {
        commands.push_back(wParam);
        lParams.push_back(lParam);
        handled = TRUE;
        return 0;
    }
    std::vector<WPARAM> commands;
    std::vector<LPARAM> lParams;
};

class MenuFixture : public ::testing::Test {
protected:
    void TearDown() override {
        VQMenuWnd::CloseMenuWindows(nullptr, CloseAllMenus);
        PumpUntil([] { return VQMenuWnd::OpenMenus().empty(); });
    }
    VQMenuWnd* OpenAt(int x, int y, const char* name = "TestMenu") {
        menu = new VQMenuWnd(owner.GetHWND());
        if (!menu->Init(&menu, nullptr, kMenuLayout, name, MarkupFromResource, L"xml", 331, L"", L"", x, y))
            return nullptr;
        menu->ShowWindow(true, true);
        PumpPending();
        return menu;
    }
    VQMenuElement* Item(VQMenuWnd* window, const wchar_t* name) {
        VQControl* control = window->GetPaintManager().FindControlByName(name);
        return control ? static_cast<VQMenuElement*>(control->GetInterface(ControlTypeMenuElement)) : nullptr;
    }
    // Hovers the item with sub-items until its sub-menu is open.
    VQMenuWnd* OpenSub() {
        VQMenuElement* more = Item(menu, L"m202");
        if (!more) return nullptr;
        // From a plain item, so that entering the item is news to the menu.
        PostMouseMove(menu->GetHWND(), CenterOf(Item(menu, L"m201")));
        PostMouseMove(menu->GetHWND(), CenterOf(more));
        PumpUntil([&] { return more->GetSubMenu() != nullptr; });
        PumpPending();
        return more->GetSubMenu();
    }
    bool WaitAllClosed() {
        return PumpUntil([] { return VQMenuWnd::OpenMenus().empty(); });
    }

    MenuOwner owner;
    VQMenuWnd* menu = nullptr;
};

TEST_F(MenuFixture, OpensAtThePointSizedByItsItems) {
    ASSERT_NE(nullptr, OpenAt(100, 100));
    VQScreenshotOnFailure screenshot(menu->GetHWND());
    ASSERT_EQ(1u, VQMenuWnd::OpenMenus().size());
    wchar_t className[32] = {};
    ::GetClassNameW(menu->GetHWND(), className, 32);
    EXPECT_STREQ(L"VQMenuWnd", className);
    ASSERT_NE(nullptr, menu->GetRoot());
    RECT rc;
    ::GetWindowRect(menu->GetHWND(), &rc);
    // 120 wide, 24 + 24 + 1 + 24 high, inset 2 all round.
    EXPECT_TRUE(::EqualRect(&rc, std::make_unique<RECT>(RECT{100, 100, 224, 177}).get()))
        << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom;
}

TEST_F(MenuFixture, NearTheWorkAreaCornerOpensUpAndLeft) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(owner.GetHWND(), MONITOR_DEFAULTTOPRIMARY), &info);
    const int x = info.rcWork.right - 10, y = info.rcWork.bottom - 10;
    ASSERT_NE(nullptr, OpenAt(x, y));
    RECT rc;
    ::GetWindowRect(menu->GetHWND(), &rc);
    EXPECT_EQ(x - 124, rc.left);
    EXPECT_EQ(y - 77, rc.top);
}

TEST_F(MenuFixture, AnItemOfTheSubMenuCommandsTheOwnerAndClosesAll) {
    ASSERT_NE(nullptr, OpenAt(100, 100));
    VQMenuWnd* sub = OpenSub();
    ASSERT_NE(nullptr, sub);
    VQScreenshotOnFailure screenshot(sub->GetHWND());
    EXPECT_EQ(2u, VQMenuWnd::OpenMenus().size());
    EXPECT_TRUE(::IsWindowVisible(sub->GetHWND()));
    // Beside its parent menu, level with its item.
    RECT parentRect, subRect;
    ::GetWindowRect(menu->GetHWND(), &parentRect);
    ::GetWindowRect(sub->GetHWND(), &subRect);
    POINT itemTop = {0, Item(menu, L"m202")->GetPos().top};
    ::ClientToScreen(menu->GetHWND(), &itemTop);
    EXPECT_EQ(parentRect.right, subRect.left);
    EXPECT_EQ(itemTop.y, subRect.top);
    EXPECT_EQ(100, subRect.right - subRect.left);
    EXPECT_EQ(44, subRect.bottom - subRect.top);
    // The sub-items are shown in the sub-menu, never in their parent item.
    VQMenuElement* first = Item(sub, L"m301");
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(sub->GetRoot(), first->GetOwnerMenu());

    PostClick(sub->GetHWND(), CenterOf(first));
    EXPECT_TRUE(PumpUntil([&] { return !owner.commands.empty(); }));
    EXPECT_TRUE(WaitAllClosed());
    ASSERT_EQ(1u, owner.commands.size());
    EXPECT_EQ(301u, owner.commands[0]);
    EXPECT_EQ(0, owner.lParams[0]);
    EXPECT_EQ(nullptr, menu);  // the owner's slot is cleared
}

TEST_F(MenuFixture, APlainItemCommandsTheOwnerAndClosesAll) {
    ASSERT_NE(nullptr, OpenAt(100, 100));
    PostClick(menu->GetHWND(), CenterOf(Item(menu, L"m204")));
    EXPECT_TRUE(WaitAllClosed());
    PumpPending();
    ASSERT_EQ(1u, owner.commands.size());
    EXPECT_EQ(204u, owner.commands[0]);
}

TEST_F(MenuFixture, ClickingAnItemWithSubItemsCommandsAndOpensIt) {
    ASSERT_NE(nullptr, OpenAt(100, 100));
    VQMenuElement* more = Item(menu, L"m202");
    // Button down and up without a move first: no hover has opened it yet.
    PostMouse(menu->GetHWND(), WM_LBUTTONDOWN, CenterOf(more), MK_LBUTTON);
    PostMouse(menu->GetHWND(), WM_LBUTTONUP, CenterOf(more));
    EXPECT_TRUE(PumpUntil([&] { return !owner.commands.empty(); }));
    PumpPending();
    EXPECT_EQ(202u, owner.commands[0]);
    EXPECT_NE(nullptr, more->GetSubMenu());
    EXPECT_EQ(2u, VQMenuWnd::OpenMenus().size());
}

TEST_F(MenuFixture, ADisabledItemDoesNothing) {
    ASSERT_NE(nullptr, OpenAt(100, 100));
    VQMenuElement* separator = Item(menu, L"sep");
    ASSERT_NE(nullptr, separator);
    POINT pt = {separator->GetPos().left + 10, separator->GetPos().top};
    PostClick(menu->GetHWND(), pt);
    PumpPending();
    EXPECT_TRUE(owner.commands.empty());
    EXPECT_EQ(1u, VQMenuWnd::OpenMenus().size());
}

TEST_F(MenuFixture, FocusRulesAndEscape) {
    ASSERT_NE(nullptr, OpenAt(100, 100));
    VQMenuWnd* sub = OpenSub();
    ASSERT_NE(nullptr, sub);
    // Focus between the menus keeps both.
    ::SetFocus(menu->GetHWND());
    ::SetFocus(sub->GetHWND());
    PumpPending();
    EXPECT_EQ(2u, VQMenuWnd::OpenMenus().size());
    // Escape closes only the menu that has it; the items go back to their item.
    PostKeyDown(sub->GetHWND(), VK_ESCAPE);
    VQMenuElement* more = Item(menu, L"m202");
    EXPECT_TRUE(PumpUntil([&] { return more->GetSubMenu() == nullptr; }));
    EXPECT_EQ(1u, VQMenuWnd::OpenMenus().size());
    // (Sub-items are never found through their parent item, so not by name either.)
    EXPECT_EQ(nullptr, Item(menu, L"m301"));
    VQControl* first = more->GetItemAt(0);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(L"m301", first->GetName());
    EXPECT_EQ(&menu->GetPaintManager(), first->GetManager());
    EXPECT_EQ(more, first->GetParent());
    EXPECT_EQ(menu->GetRoot(), static_cast<VQMenuElement*>(first->GetInterface(ControlTypeMenuElement))->GetOwnerMenu());
    // Hovering a plain item after re-opening closes the sub-menu again.
    ASSERT_NE(nullptr, OpenSub());
    PostMouseMove(menu->GetHWND(), CenterOf(Item(menu, L"m201")));
    EXPECT_TRUE(PumpUntil([&] { return VQMenuWnd::OpenMenus().size() == 1; }));
    // Focus anywhere else closes every open menu.
    ASSERT_NE(nullptr, OpenSub());
    ::SetFocus(owner.GetHWND());
    EXPECT_TRUE(WaitAllClosed());
    EXPECT_TRUE(owner.commands.empty());
}

TEST_F(MenuFixture, DestroyingTheTopMenuWithItsSubMenuOpenIsSafe) {
    ASSERT_NE(nullptr, OpenAt(100, 100));
    ASSERT_NE(nullptr, OpenSub());
    // The owned sub-menu is destroyed with it and gets no WM_CLOSE.
    ::DestroyWindow(menu->GetHWND());
    EXPECT_TRUE(VQMenuWnd::OpenMenus().empty());
    EXPECT_EQ(nullptr, menu);
    PumpPending();
}

TEST_F(MenuFixture, TheOwnerDestroyedWithMenusOpenTakesThemWithIt) {
    ASSERT_NE(nullptr, OpenAt(100, 100));
    ASSERT_NE(nullptr, OpenSub());
    ::DestroyWindow(owner.GetHWND());
    EXPECT_TRUE(VQMenuWnd::OpenMenus().empty());
    EXPECT_EQ(nullptr, menu);
    PumpPending();
}

TEST_F(MenuFixture, ALayoutWithoutAMenuShowsNothing) {
    ASSERT_NE(nullptr, OpenAt(100, 100, "NotAMenu"));
    EXPECT_EQ(nullptr, menu->GetRoot());
}

TEST(Menu, TakesOnlyMenuElements) {
    VQMenu list;
    VQLabel* label = new VQLabel;
    EXPECT_FALSE(list.Add(label));
    EXPECT_FALSE(list.AddMenuAt(label, 0));
    EXPECT_EQ(-1, list.GetItemIndex(label));
    EXPECT_EQ(0, list.GetCount());
    delete label;
    VQMenuElement* item = new VQMenuElement;
    item->SetFixedWidth(50);
    item->SetFixedHeight(20);
    EXPECT_TRUE(list.Add(item));
    EXPECT_EQ(0, list.GetItemIndex(item));
    VQMenuElement* hidden = new VQMenuElement;
    hidden->SetFixedHeight(30);
    hidden->SetVisible(false);
    EXPECT_TRUE(list.Add(hidden));
    list.SetChildPadding(4);
    list.SetInset(1, 2, 3, 4);
    SIZE size = list.EstimateSize(800, 600);
    EXPECT_EQ(54, size.cx);
    EXPECT_EQ(26, size.cy);
}

}  // namespace
}  // namespace Tessar
