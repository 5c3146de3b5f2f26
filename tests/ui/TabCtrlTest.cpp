#include <gtest/gtest.h>

#include "tests/ui/RoutingTestWindow.h"
#include "tests/ui/WindowInput.h"
#include "tests/ui/WindowScreenshot.h"
#include "ui/DialogBuilder.h"
#include "ui/Label.h"
#include "ui/PaintManager.h"
#include "ui/TabCtrl.h"

namespace Tessar {
namespace {

using namespace Test;

class TabFixture : public ::testing::Test {
protected:
    void SetUp() override {
        const wchar_t* markup =
            L"<Window><VerticalLayout>"
            L"<TabCtrl name=\"tabs\" group=\"5\" height=\"30\" item=\"width=&quot;80&quot;\">"
            L"<TabItem name=\"t0\" text=\"游戏\" controlid=\"500\" showexpand=\"true\" "
            L"expandattr=\"name=&quot;x0&quot; width=&quot;16&quot;\" />"
            L"<TabItem name=\"t1\" text=\"下载\" controlid=\"501\" />"
            L"<TabItem name=\"t2\" text=\"设置\" controlid=\"502\" />"
            L"</TabCtrl>"
            L"<Control name=\"page0\" id=\"500\" /><Control name=\"page1\" id=\"501\" />"
            L"</VerticalLayout></Window>";
        VQDialogBuilder builder;
        VQControl* root = builder.Create(markup, L"", MarkupFromMemory, L"", &window.GetPaintManager());
        ASSERT_NE(nullptr, root);
        window.Attach(root);
        tabs = static_cast<VQTabCtrl*>(Find(L"tabs")->GetInterface(ControlTypeTab));
        ASSERT_NE(nullptr, tabs);
        for (int i = 0; i < 3; ++i) {
            items[i] = static_cast<VQTabItem*>(tabs->GetItemAt(i)->GetInterface(ControlTypeTabItem));
            ASSERT_NE(nullptr, items[i]);
        }
    }
    VQControl* Find(const wchar_t* name) {
        VQControl* control = window.GetPaintManager().FindControlByName(name);
        EXPECT_NE(nullptr, control) << name;
        return control;
    }
    void Click(POINT pt) {
        PostClick(window.GetHWND(), pt);
        PumpPending();
    }
    int TopmostCount() const {
        int n = 0;
        for (VQTabItem* item : items) n += (item->m_format & FormatTopmost) ? 1 : 0;
        return n;
    }

    VQRoutingWindow window{nullptr, 300, 100};
    VQScreenshotOnFailure screenshot{window.GetHWND()};
    VQTabCtrl* tabs = nullptr;
    VQTabItem* items[3] = {};
};

TEST_F(TabFixture, ItemsJoinTheGroupAndTakeTheItemAttributes) {
    const std::vector<VQControl*>* group = window.GetPaintManager().GetOptionGroup(5);
    ASSERT_NE(nullptr, group);
    EXPECT_EQ(3u, group->size());
    for (VQTabItem* item : items) {
        EXPECT_EQ(80, item->GetWidth());
        EXPECT_EQ(tabs, item->GetTabCtrl());
        ASSERT_NE(nullptr, item->GetTextPart());
        EXPECT_EQ(item->GetText(), item->GetTextPart()->GetText());
    }
    EXPECT_TRUE(items[0]->GetExpandPart()->IsVisible());
    EXPECT_FALSE(items[1]->GetExpandPart()->IsVisible());
    EXPECT_FALSE(items[0]->GetIconPart()->IsVisible());
}

TEST_F(TabFixture, ClickingAnItemSelectsItOnceAndPutsItOnTop) {
    struct Step {
        int item;
        int notifications;
    } steps[] = {{1, 1}, {2, 2}, {2, 2}, {0, 3}};
    for (const Step& step : steps) {
        Click(CenterOf(items[step.item]->GetTextPart()));
        EXPECT_EQ(items[step.item], tabs->GetSelectedItem()) << step.item;
        EXPECT_EQ(step.notifications, window.Count(NotifySelectionChanged, tabs)) << step.item;
        EXPECT_EQ(1, TopmostCount()) << step.item;
        EXPECT_TRUE(items[step.item]->m_format & FormatTopmost) << step.item;
        for (int i = 0; i < 3; ++i) EXPECT_EQ(i == step.item, items[i]->IsSelected()) << i;
    }
    EXPECT_EQ(0, window.Count(NotifyTabActivate));
}

TEST_F(TabFixture, TheExpandPartNotifiesActivationWithoutSelecting) {
    EXPECT_EQ(1, tabs->SelectItem(1));
    const int selections = window.Count(NotifySelectionChanged);
    VQControl* expand = items[0]->GetExpandPart();
    ASSERT_EQ(expand, Find(L"x0"));
    EXPECT_EQ(16, expand->GetWidth());
    Click(CenterOf(expand));
    EXPECT_EQ(1, window.Count(NotifyTabActivate, items[0]));
    EXPECT_EQ(items[1], tabs->GetSelectedItem());
    EXPECT_EQ(selections, window.Count(NotifySelectionChanged));
}

TEST_F(TabFixture, SelectItemAndRemoval) {
    EXPECT_EQ(-1, tabs->SelectItem(3));
    EXPECT_EQ(-1, tabs->SelectItem(-1));
    EXPECT_EQ(2, tabs->SelectItem(2));
    EXPECT_EQ(items[2], tabs->GetSelectedItem());
    EXPECT_TRUE(tabs->Remove(items[2]));
    EXPECT_EQ(nullptr, tabs->GetSelectedItem());
    EXPECT_EQ(2u, window.GetPaintManager().GetOptionGroup(5)->size());
    EXPECT_EQ(0, tabs->SelectItem(0));
    tabs->RemoveAll();
    EXPECT_EQ(nullptr, tabs->GetSelectedItem());
    EXPECT_EQ(nullptr, tabs->GetPreviousItem());
    // Without items the tab control is neither shown nor hit.
    EXPECT_FALSE(tabs->IsVisible());
    RECT pos = tabs->GetPos();
    VQControl* hit = window.GetPaintManager().FindControlAt(pos.left + 5, pos.top + 5);
    EXPECT_NE(tabs, hit);
}

TEST(TabCtrl, RefusesControlsThatAreNoTabItems) {
    VQTabCtrl tabs;
    VQLabel* label = new VQLabel;
    EXPECT_FALSE(tabs.Add(label));
    EXPECT_FALSE(tabs.AddAt(label, 0));
    EXPECT_EQ(0, tabs.GetCount());
    delete label;
    EXPECT_FALSE(tabs.IsVisible());
    EXPECT_TRUE(tabs.Add(new VQTabItem));
    EXPECT_TRUE(tabs.IsVisible());
}

}  // namespace
}  // namespace Tessar
