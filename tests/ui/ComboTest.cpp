#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/ui/FocusRetry.h"
#include "tests/ui/RoutingTestWindow.h"
#include "tests/ui/WindowInput.h"
#include "tests/ui/WindowScreenshot.h"
#include "ui/Combo.h"
#include "ui/ComboWnd.h"
#include "ui/DialogBuilder.h"
#include "ui/PaintManager.h"
#include "ui/ScrollBar.h"

namespace Tessar {
namespace {

using namespace Test;

std::wstring ComboMarkup(const wchar_t* dropBoxSize, int items) {
    std::wstring markup =
        L"<Window><VerticalLayout><HorizontalLayout height=\"24\">"
        L"<Combo name=\"combo\" width=\"120\" dropboxsize=\"";
    markup += dropBoxSize;
    markup += L"\" dropbox=\"name=&quot;droplist&quot;\">";
    for (int i = 0; i < items; ++i)
        markup += L"<ComboElement name=\"i" + std::to_wstring(i) + L"\" text=\"第" + std::to_wstring(i) +
                  L"项\" height=\"20\" dispatch=\"mousewheel\" />";
    markup += L"</Combo><Control /></HorizontalLayout><Control /></VerticalLayout></Window>";
    return markup;
}

class ComboFixture : public ::testing::Test {
protected:
    void Build(const wchar_t* dropBoxSize = L"0,60", int items = 8) {
        VQDialogBuilder builder;
        VQControl* root =
            builder.Create(ComboMarkup(dropBoxSize, items), L"", MarkupFromMemory, L"", &window.GetPaintManager());
        ASSERT_NE(nullptr, root);
        window.Attach(root);
        combo = static_cast<VQCombo*>(window.GetPaintManager().FindControlByName(L"combo")->GetInterface(
            ControlTypeCombo));
        ASSERT_NE(nullptr, combo);
        ASSERT_EQ(items, combo->GetItemCount());
    }
    // Clicks the combo; the open list, or null when it is not (or no longer) open.
    VQComboWnd* Open() {
        PostClick(window.GetHWND(), CenterOf(combo));
        PumpUntil([&] { return combo->GetDropDown() != nullptr; });
        // Lay the list out.
        if (VQComboWnd* dropDown = combo->GetDropDown()) ::UpdateWindow(dropDown->GetHWND());
        PumpPending();
        return combo->GetDropDown();
    }
    // The list is still the one the test opened (not closed under it).
    bool StillOpen(VQComboWnd* dropDown) const {
        return dropDown && combo->GetDropDown() == dropDown && ::IsWindow(dropDown->GetHWND());
    }
    // Opens the list and runs `step` on it while it stays open, again when
    // another window took the focus meanwhile (FocusRetry.h); false when it
    // never succeeded.
    bool WithOpenList(const std::function<bool(VQComboWnd*)>& step) {
        return RunUndisturbed([&] {
            VQComboWnd* dropDown = Open();
            return StillOpen(dropDown) && step(dropDown);
        });
    }
    bool WaitClosed() {
        return PumpUntil([&] { return combo->GetDropDown() == nullptr; });
    }
    // The (new, old) index pairs of notification 19, in order.
    std::vector<std::pair<int, int>> Choices() const {
        std::vector<std::pair<int, int>> choices;
        for (const VQNotifyMsg& msg : window.received)
            if (msg.type == NotifyItemSelect && msg.sender == combo)
                choices.emplace_back(static_cast<int>(msg.wParam), static_cast<int>(msg.lParam));
        return choices;
    }
    void ExpectItemsBackHome() {
        for (VQComboElement* item : combo->GetItems()) {
            EXPECT_EQ(&window.GetPaintManager(), item->GetManager()) << item->GetName().size();
            EXPECT_EQ(0u, item->GetGroup());
            EXPECT_EQ(nullptr, item->GetParent());
        }
    }

    VQRoutingWindow window{nullptr, 300, 200};
    VQScreenshotOnFailure screenshot{window.GetHWND()};
    VQCombo* combo = nullptr;
};

TEST_F(ComboFixture, FirstItemIsChosenAtInit) {
    Build();
    EXPECT_EQ(0, combo->GetCurSel());
    ASSERT_EQ(1u, Choices().size());
    EXPECT_EQ(std::make_pair(0, -1), Choices()[0]);
}

TEST_F(ComboFixture, SelectItemRules) {
    Build(L"0,60", 4);
    struct Case {
        const char* name;
        int request;
        bool result;
        int selected;
        size_t choices;
    } cases[] = {
        {"past the end picks the last", 9, true, 3, 2},
        {"the current index succeeds quietly", 3, true, 3, 2},
        {"a negative index fails", -1, false, 3, 2},
        {"an ordinary index", 1, true, 1, 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.result, combo->SelectItem(c.request)) << c.name;
        EXPECT_EQ(c.selected, combo->GetCurSel()) << c.name;
        EXPECT_EQ(c.choices, Choices().size()) << c.name;
    }
    EXPECT_EQ(std::make_pair(3, 0), Choices()[1]);
    EXPECT_EQ(std::make_pair(1, 3), Choices()[2]);
    combo->GetComboItem(2)->SetVisible(false);
    combo->GetComboItem(0)->SetEnabled(false);
    EXPECT_FALSE(combo->SelectItem(2));
    EXPECT_FALSE(combo->SelectItem(0));
    EXPECT_EQ(1, combo->GetCurSel());
}

TEST_F(ComboFixture, KeysOnTheClosedComboMoveTheChoice) {
    Build(L"0,60", 3);
    combo->SetFocus();
    struct Step {
        UINT key;
        int selected;
    } steps[] = {{VK_UP, 0}, {VK_DOWN, 1}, {VK_NEXT, 2}, {VK_DOWN, 2}, {VK_HOME, 0}, {VK_END, 2}, {VK_PRIOR, 1}};
    for (const Step& step : steps) {
        PostKeyDown(window.GetHWND(), step.key);
        PumpPending();
        EXPECT_EQ(step.selected, combo->GetCurSel()) << "key " << step.key;
    }
    EXPECT_EQ(nullptr, combo->GetDropDown());
}

TEST_F(ComboFixture, OpensBelowScrollsAndIsChosenByMouse) {
    Build();
    RECT list = {};
    wchar_t className[64] = {};
    bool borrowed = false;
    size_t groupSize = 0;
    bool barVisible = false;
    int scrolled = 0;
    int index = -1;
    const int openingsBefore = window.Count(NotifyDropDown, combo);
    ASSERT_TRUE(WithOpenList([&](VQComboWnd* dropDown) {
        ::GetWindowRect(dropDown->GetHWND(), &list);
        ::GetClassNameW(dropDown->GetHWND(), className, 64);
        VQPaintManager& listManager = dropDown->GetManager();
        borrowed = combo->GetComboItem(0)->GetManager() == &listManager;
        const std::vector<VQControl*>* group = listManager.GetOptionGroup(kComboDropDownGroup);
        groupSize = group ? group->size() : 0;
        VQScrollbar* bar = dropDown->GetLayout()->GetVerticalScrollBar();
        barVisible = bar && bar->IsVisible();
        // Eight items of 20 in 60 pixels: the wheel scrolls the list.
        for (int i = 0; i < 3; ++i) PostWheel(dropDown->GetHWND(), {40, 30}, -WHEEL_DELTA);
        PumpPending();
        if (!StillOpen(dropDown)) return false;
        scrolled = bar ? bar->GetScrollPos() : 0;
        // Choose the item now in the middle of the list.
        VQControl* middle = listManager.FindControlAt(40, 30);
        const auto& items = combo->GetItems();
        index = static_cast<int>(std::find(items.begin(), items.end(), middle) - items.begin());
        if (index <= 0 || index >= combo->GetItemCount()) return true;  // reported below
        PostClick(dropDown->GetHWND(), CenterOf(middle));
        WaitClosed();
        return combo->GetCurSel() == index || window.Count(NotifyItemSelect, combo) > 1;
    }));
    EXPECT_GE(window.Count(NotifyDropDown, combo), openingsBefore + 1);
    // Directly below the combo, as wide as it, as high as "dropboxsize" says.
    RECT pos = combo->GetPos();
    POINT below = {pos.left, pos.bottom};
    ::ClientToScreen(window.GetHWND(), &below);
    EXPECT_EQ(below.x, list.left);
    EXPECT_EQ(below.y, list.top);
    EXPECT_EQ(120, list.right - list.left);
    EXPECT_EQ(60, list.bottom - list.top);
    EXPECT_STREQ(L"VQComboWnd", className);
    // The items were borrowed: the list's manager, option group 100.
    EXPECT_TRUE(borrowed);
    EXPECT_EQ(8u, groupSize);
    EXPECT_TRUE(barVisible);
    EXPECT_GT(scrolled, 0);
    ASSERT_GT(index, 0);
    ASSERT_LT(index, combo->GetItemCount());
    EXPECT_EQ(nullptr, combo->GetDropDown());
    EXPECT_EQ(index, combo->GetCurSel());
    EXPECT_EQ(std::make_pair(index, 0), Choices().back());
    EXPECT_FALSE(combo->m_state & StatePushed);
    ExpectItemsBackHome();
}

TEST_F(ComboFixture, ChosenByKeyboardInTheOpenList) {
    Build();
    bool highlightOnly = false;
    ASSERT_TRUE(WithOpenList([&](VQComboWnd* dropDown) {
        HWND list = dropDown->GetHWND();
        for (UINT key : {VK_DOWN, VK_DOWN, VK_NEXT, VK_UP}) PostKeyDown(list, key);
        PumpPending();
        if (!StillOpen(dropDown)) return false;
        // Moving the highlight does not choose.
        highlightOnly = combo->GetCurSel() == 0 && combo->GetComboItem(2)->IsSelected();
        PostKeyDown(list, VK_F4);
        WaitClosed();
        return combo->GetCurSel() == 2;
    }));
    EXPECT_TRUE(highlightOnly);
    EXPECT_EQ(2, combo->GetCurSel());
    EXPECT_EQ(std::make_pair(2, 0), Choices().back());
    ExpectItemsBackHome();

    // Opened again, the list starts from the highlight it had.
    bool keptHighlight = false;
    ASSERT_TRUE(WithOpenList([&](VQComboWnd* dropDown) {
        keptHighlight = combo->GetComboItem(2)->IsSelected();
        PostKeyDown(dropDown->GetHWND(), VK_END);
        PostKeyDown(dropDown->GetHWND(), VK_F4);
        WaitClosed();
        return combo->GetCurSel() == 7;
    }));
    EXPECT_TRUE(keptHighlight);
    EXPECT_EQ(7, combo->GetCurSel());
}

TEST_F(ComboFixture, ListSizedByItsItemsWhenNoSizeIsGiven) {
    Build(L"0,0", 3);
    RECT list = {};
    ASSERT_TRUE(WithOpenList([&](VQComboWnd* dropDown) {
        ::GetWindowRect(dropDown->GetHWND(), &list);
        return true;
    }));
    EXPECT_EQ(combo->GetWidth(), list.right - list.left);
    EXPECT_EQ(60, list.bottom - list.top);
    // Losing the focus to another window closes the list.
    ::SetFocus(window.GetHWND());
    EXPECT_TRUE(WaitClosed());
    ExpectItemsBackHome();
}

TEST_F(ComboFixture, DestroyedWhileOpenLeavesNoWindowBehind) {
    Build();
    HWND list = nullptr;
    ASSERT_TRUE(WithOpenList([&](VQComboWnd* dropDown) {
        list = dropDown->GetHWND();
        return true;
    }));
    DetachControlFromParent(combo);
    delete combo;
    combo = nullptr;
    EXPECT_FALSE(::IsWindow(list));
    PumpPending();
}

TEST_F(ComboFixture, TheOwningWindowDestroyedWhileOpenTakesTheListWithIt) {
    Build();
    HWND list = nullptr;
    ASSERT_TRUE(WithOpenList([&](VQComboWnd* dropDown) {
        list = dropDown->GetHWND();
        return true;
    }));
    // The owned list goes first, without WM_CLOSE; the combo is still there.
    ::DestroyWindow(window.GetHWND());
    EXPECT_FALSE(::IsWindow(list));
    EXPECT_EQ(nullptr, combo->GetDropDown());
    ExpectItemsBackHome();
    PumpPending();
}

TEST_F(ComboFixture, UsedAgainAfterClosingAndDestroyedWithItsWindow) {
    Build();
    for (int round = 0; round < 2; ++round) {
        // Closed by WM_CLOSE (or, should another program take the focus, by that).
        ASSERT_TRUE(WithOpenList([&](VQComboWnd* dropDown) {
            ::PostMessageW(dropDown->GetHWND(), WM_CLOSE, 0, 0);
            return true;
        })) << round;
        EXPECT_TRUE(WaitClosed()) << round;
        ExpectItemsBackHome();
        EXPECT_TRUE(combo->SelectItem(round + 1));
    }
    EXPECT_GE(window.Count(NotifyDropDown, combo), 2);
}

}  // namespace
}  // namespace Tessar
