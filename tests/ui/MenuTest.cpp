#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/ui/FocusRetry.h"
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
    void TearDown() override { CloseAll(); }
    void CloseAll() {
        VQMenuWnd::CloseMenuWindows(nullptr, CloseAllMenus);
        PumpUntil([] { return VQMenuWnd::OpenMenus().empty(); });
    }
    // Opens the top-level menu with the focus, as the programs do; null
    // when it is not (or no longer) open.
    VQMenuWnd* OpenAt(int x, int y, const char* name = "TestMenu") {
        CloseAll();
        owner.commands.clear();
        menu = new VQMenuWnd(owner.GetHWND());
        if (!menu->Init(&menu, nullptr, kMenuLayout, name, MarkupFromResource, L"xml", 331, L"", L"", x, y))
            return nullptr;
        menu->ShowWindow(true, true);
        PumpPending();
        return menu;  // the slot: cleared when the menu is gone
    }
    static bool IsOpen(const VQMenuWnd* window) {
        const auto& open = VQMenuWnd::OpenMenus();
        return window && std::find(open.begin(), open.end(), window) != open.end();
    }
    VQMenuElement* Item(VQMenuWnd* window, const wchar_t* name) {
        if (!IsOpen(window)) return nullptr;
        VQControl* control = window->GetPaintManager().FindControlByName(name);
        return control ? static_cast<VQMenuElement*>(control->GetInterface(ControlTypeMenuElement)) : nullptr;
    }
    // Hovers the item with sub-items until its sub-menu is open; null when
    // the menus closed meanwhile.
    VQMenuWnd* OpenSub() {
        VQMenuElement* more = Item(menu, L"m202");
        if (!more) return nullptr;
        // From a plain item, so that entering the item is news to the menu.
        if (VQMenuElement* plain = Item(menu, L"m201")) PostMouseMove(menu->GetHWND(), CenterOf(plain));
        PostMouseMove(menu->GetHWND(), CenterOf(more));
        // The items go with the menu: look at them only while it is open.
        PumpUntil([&] { return !menu || more->GetSubMenu() != nullptr; });
        PumpPending();
        return menu && IsOpen(more->GetSubMenu()) ? more->GetSubMenu() : nullptr;
    }
    bool WaitAllClosed() {
        return PumpUntil([] { return VQMenuWnd::OpenMenus().empty(); });
    }

    MenuOwner owner;
    VQMenuWnd* menu = nullptr;
};

TEST_F(MenuFixture, OpensAtThePointSizedByItsItems) {
    RECT rc = {};
    wchar_t className[32] = {};
    bool hasRoot = false;
    ASSERT_TRUE(RunUndisturbed([&] {
        if (!OpenAt(100, 100)) return false;
        ::GetWindowRect(menu->GetHWND(), &rc);
        ::GetClassNameW(menu->GetHWND(), className, 32);
        hasRoot = menu->GetRoot() != nullptr;
        return VQMenuWnd::OpenMenus().size() == 1;
    }));
    EXPECT_STREQ(L"VQMenuWnd", className);
    EXPECT_TRUE(hasRoot);
    // 120 wide, 24 + 24 + 1 + 24 high, inset 2 all round.
    const RECT expected = {100, 100, 224, 177};
    EXPECT_TRUE(::EqualRect(&rc, &expected)) << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom;
}

TEST_F(MenuFixture, NearTheWorkAreaCornerOpensUpAndLeft) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(owner.GetHWND(), MONITOR_DEFAULTTOPRIMARY), &info);
    const int x = info.rcWork.right - 10, y = info.rcWork.bottom - 10;
    RECT rc = {};
    ASSERT_TRUE(RunUndisturbed([&] {
        if (!OpenAt(x, y)) return false;
        ::GetWindowRect(menu->GetHWND(), &rc);
        return true;
    }));
    EXPECT_EQ(x - 124, rc.left);
    EXPECT_EQ(y - 77, rc.top);
}

TEST_F(MenuFixture, AnItemOfTheSubMenuCommandsTheOwnerAndClosesAll) {
    RECT parentRect = {}, subRect = {};
    POINT itemTop = {};
    bool visible = false, ownedBySub = false;
    size_t openWithSub = 0;
    ASSERT_TRUE(RunUndisturbed([&] {
        if (!OpenAt(100, 100)) return false;
        VQMenuWnd* sub = OpenSub();
        if (!sub) return false;
        openWithSub = VQMenuWnd::OpenMenus().size();
        visible = ::IsWindowVisible(sub->GetHWND()) != FALSE;
        ::GetWindowRect(menu->GetHWND(), &parentRect);
        ::GetWindowRect(sub->GetHWND(), &subRect);
        itemTop = {0, Item(menu, L"m202")->GetPos().top};
        ::ClientToScreen(menu->GetHWND(), &itemTop);
        // The sub-items are shown in the sub-menu, never in their parent item.
        VQMenuElement* first = Item(sub, L"m301");
        if (!first) return false;
        ownedBySub = first->GetOwnerMenu() == sub->GetRoot();
        PostClick(sub->GetHWND(), CenterOf(first));
        PumpUntil([&] { return !owner.commands.empty(); });
        WaitAllClosed();
        return !owner.commands.empty();
    }));
    EXPECT_EQ(2u, openWithSub);
    EXPECT_TRUE(visible);
    // Beside its parent menu, level with its item.
    EXPECT_EQ(parentRect.right, subRect.left);
    EXPECT_EQ(itemTop.y, subRect.top);
    EXPECT_EQ(100, subRect.right - subRect.left);
    EXPECT_EQ(44, subRect.bottom - subRect.top);
    EXPECT_TRUE(ownedBySub);
    EXPECT_TRUE(VQMenuWnd::OpenMenus().empty());
    ASSERT_EQ(1u, owner.commands.size());
    EXPECT_EQ(301u, owner.commands[0]);
    EXPECT_EQ(0, owner.lParams[0]);
    EXPECT_EQ(nullptr, menu);  // the owner's slot is cleared
}

TEST_F(MenuFixture, APlainItemCommandsTheOwnerAndClosesAll) {
    ASSERT_TRUE(RunUndisturbed([&] {
        if (!OpenAt(100, 100)) return false;
        PostClick(menu->GetHWND(), CenterOf(Item(menu, L"m204")));
        WaitAllClosed();
        PumpPending();
        return !owner.commands.empty();
    }));
    EXPECT_TRUE(VQMenuWnd::OpenMenus().empty());
    ASSERT_EQ(1u, owner.commands.size());
    EXPECT_EQ(204u, owner.commands[0]);
}

TEST_F(MenuFixture, ClickingAnItemWithSubItemsCommandsAndOpensIt) {
    bool subOpen = false;
    size_t open = 0;
    ASSERT_TRUE(RunUndisturbed([&] {
        if (!OpenAt(100, 100)) return false;
        VQMenuElement* more = Item(menu, L"m202");
        // Button down and up without a move first: no hover has opened it yet.
        PostMouse(menu->GetHWND(), WM_LBUTTONDOWN, CenterOf(more), MK_LBUTTON);
        PostMouse(menu->GetHWND(), WM_LBUTTONUP, CenterOf(more));
        PumpUntil([&] { return !owner.commands.empty(); });
        PumpPending();
        if (!menu) return false;
        subOpen = IsOpen(more->GetSubMenu());
        open = VQMenuWnd::OpenMenus().size();
        return !owner.commands.empty();
    }));
    EXPECT_EQ(202u, owner.commands[0]);
    EXPECT_TRUE(subOpen);
    EXPECT_EQ(2u, open);
}

TEST_F(MenuFixture, ADisabledItemDoesNothing) {
    ASSERT_TRUE(RunUndisturbed([&] {
        if (!OpenAt(100, 100)) return false;
        VQMenuElement* separator = Item(menu, L"sep");
        if (!separator) return false;
        POINT pt = {separator->GetPos().left + 10, separator->GetPos().top};
        PostClick(menu->GetHWND(), pt);
        PumpPending();
        return menu != nullptr;  // still open: nothing closed it
    }));
    EXPECT_TRUE(owner.commands.empty());
    EXPECT_EQ(1u, VQMenuWnd::OpenMenus().size());
}

TEST_F(MenuFixture, FocusBetweenMenusKeepsThemAndEscapeClosesOne) {
    size_t openAfterFocusMoves = 0;
    bool restored = false;
    ASSERT_TRUE(RunUndisturbed([&] {
        if (!OpenAt(100, 100)) return false;
        VQMenuWnd* sub = OpenSub();
        if (!sub) return false;
        // Focus between the menus keeps both.
        ::SetFocus(menu->GetHWND());
        ::SetFocus(sub->GetHWND());
        PumpPending();
        openAfterFocusMoves = VQMenuWnd::OpenMenus().size();
        if (!menu || !IsOpen(sub)) return false;
        // Escape closes only the menu that has it; the items go back to their item.
        VQMenuElement* more = Item(menu, L"m202");
        PostKeyDown(sub->GetHWND(), VK_ESCAPE);
        PumpUntil([&] { return !menu || more->GetSubMenu() == nullptr; });
        if (!menu || VQMenuWnd::OpenMenus().size() != 1) return false;
        // (Sub-items are never found through their parent item, so not by name either.)
        VQControl* first = more->GetItemAt(0);
        VQMenuElement* element = first ? static_cast<VQMenuElement*>(first->GetInterface(ControlTypeMenuElement))
                                       : nullptr;
        restored = Item(menu, L"m301") == nullptr && element && element->GetName() == L"m301" &&
                   element->GetManager() == &menu->GetPaintManager() && element->GetParent() == more &&
                   element->GetOwnerMenu() == menu->GetRoot();
        return true;
    }));
    EXPECT_EQ(2u, openAfterFocusMoves);
    EXPECT_TRUE(restored);
}

TEST_F(MenuFixture, HoverOnAPlainItemClosesTheSubMenuAndFocusElsewhereClosesAll) {
    ASSERT_TRUE(RunUndisturbed([&] {
        if (!OpenAt(100, 100) || !OpenSub()) return false;
        PostMouseMove(menu->GetHWND(), CenterOf(Item(menu, L"m201")));
        PumpUntil([] { return VQMenuWnd::OpenMenus().size() <= 1; });
        return menu != nullptr && VQMenuWnd::OpenMenus().size() == 1;
    }));
    ASSERT_TRUE(RunUndisturbed([&] { return OpenSub() != nullptr; }));
    ::SetFocus(owner.GetHWND());
    EXPECT_TRUE(WaitAllClosed());
    EXPECT_TRUE(owner.commands.empty());
}

TEST_F(MenuFixture, DestroyingTheTopMenuWithItsSubMenuOpenIsSafe) {
    ASSERT_TRUE(RunUndisturbed([&] { return OpenAt(100, 100) && OpenSub(); }));
    // The owned sub-menu is destroyed with it and gets no WM_CLOSE.
    ::DestroyWindow(menu->GetHWND());
    EXPECT_TRUE(VQMenuWnd::OpenMenus().empty());
    EXPECT_EQ(nullptr, menu);
    PumpPending();
}

TEST_F(MenuFixture, TheOwnerDestroyedWithMenusOpenTakesThemWithIt) {
    ASSERT_TRUE(RunUndisturbed([&] { return OpenAt(100, 100) && OpenSub(); }));
    ::DestroyWindow(owner.GetHWND());
    EXPECT_TRUE(VQMenuWnd::OpenMenus().empty());
    EXPECT_EQ(nullptr, menu);
    PumpPending();
}

TEST_F(MenuFixture, ASubMenuOfALayeredMenuIsLayered) {
    bool topLayered = false, subLayered = false;
    ASSERT_TRUE(RunUndisturbed([&] {
        if (!OpenAt(100, 100, "LayeredMenu")) return false;
        topLayered = menu->GetPaintManager().IsLayered();
        VQMenuWnd* sub = OpenSub();
        if (!sub) return false;
        subLayered = sub->GetPaintManager().IsLayered();
        PostClick(sub->GetHWND(), CenterOf(Item(sub, L"m301")));
        WaitAllClosed();
        PumpPending();
        return !owner.commands.empty();
    }));
    EXPECT_TRUE(topLayered);
    EXPECT_TRUE(subLayered);
    ASSERT_EQ(1u, owner.commands.size());
    EXPECT_EQ(301u, owner.commands[0]);
}

TEST_F(MenuFixture, ALayoutWithoutAMenuShowsNothing) {
    bool noRoot = false;
    ASSERT_TRUE(RunUndisturbed([&] {
        if (!OpenAt(100, 100, "NotAMenu")) return false;
        noRoot = menu->GetRoot() == nullptr;
        return true;
    }));
    EXPECT_TRUE(noRoot);
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
