#include <gtest/gtest.h>

#include "tests/ui/RoutingTestWindow.h"
#include "tests/ui/WindowInput.h"
#include "tests/ui/WindowScreenshot.h"
#include "ui/DialogBuilder.h"
#include "ui/Option.h"
#include "ui/PaintManager.h"

namespace Tessar {
namespace {

using namespace Test;

// Three options of group 7 and one on its own, built from markup.
class OptionFixture : public ::testing::Test {
protected:
    void SetUp() override {
        const wchar_t* markup =
            L"<Window><HorizontalLayout>"
            L"<Option name=\"a\" group=\"7\" width=\"50\" />"
            L"<Option name=\"b\" group=\"7\" width=\"50\" />"
            L"<Option name=\"c\" group=\"7\" width=\"50\" />"
            L"<Option name=\"check\" width=\"50\" />"
            L"</HorizontalLayout></Window>";
        VQDialogBuilder builder;
        VQControl* root = builder.Create(markup, L"", MarkupFromMemory, L"", &window.GetPaintManager());
        ASSERT_NE(nullptr, root);
        window.Attach(root);
        for (const wchar_t* name : {L"a", L"b", L"c", L"check"}) {
            VQControl* control = window.GetPaintManager().FindControlByName(name);
            ASSERT_NE(nullptr, control) << name;
            options.push_back(static_cast<VQOption*>(control->GetInterface(ControlTypeOption)));
            ASSERT_NE(nullptr, options.back()) << name;
        }
    }
    void Click(VQOption* option) {
        size_t before = window.received.size();
        PostClick(window.GetHWND(), CenterOf(option));
        PumpPending();
        (void)before;
    }
    int SelectedCount() const {
        int n = 0;
        for (int i = 0; i < 3; ++i) n += options[i]->IsSelected() ? 1 : 0;
        return n;
    }

    VQRoutingWindow window{nullptr, 240, 40};
    VQScreenshotOnFailure screenshot{window.GetHWND()};
    std::vector<VQOption*> options;
};

TEST_F(OptionFixture, GroupKeepsExactlyOneSelected) {
    const std::vector<VQControl*>* group = window.GetPaintManager().GetOptionGroup(7);
    ASSERT_NE(nullptr, group);
    EXPECT_EQ(3u, group->size());
    struct Step {
        int click;
        int notifications;  // selection changes so far
    } steps[] = {{0, 1}, {1, 2}, {2, 3}, {2, 3}, {0, 4}};
    for (const Step& step : steps) {
        Click(options[step.click]);
        EXPECT_EQ(1, SelectedCount()) << "after clicking " << step.click;
        EXPECT_TRUE(options[step.click]->IsSelected()) << step.click;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(i == step.click, (options[i]->m_state & StateSelected) != 0) << i << " after " << step.click;
        EXPECT_EQ(step.notifications, window.Count(NotifySelectionChanged)) << "after clicking " << step.click;
    }
    // Only the option that became selected reports, always with wParam 1.
    for (const VQNotifyMsg& msg : window.received)
        if (msg.type == NotifySelectionChanged) {
            EXPECT_EQ(1u, msg.wParam);
        }
}

TEST_F(OptionFixture, UngroupedOptionToggles) {
    VQOption* check = options[3];
    Click(check);
    Click(check);
    std::vector<WPARAM> states;
    for (const VQNotifyMsg& msg : window.received)
        if (msg.type == NotifySelectionChanged && msg.sender == check) states.push_back(msg.wParam);
    ASSERT_EQ(2u, states.size());
    EXPECT_EQ(1u, states[0]);
    EXPECT_EQ(0u, states[1]);
    EXPECT_FALSE(check->IsSelected());
    // Toggling one never touches the group.
    EXPECT_EQ(0, SelectedCount());
}

TEST_F(OptionFixture, MovingBetweenGroupsAndFreeingLeavesNothingBehind) {
    VQPaintManager& manager = window.GetPaintManager();
    options[0]->SetGroup(8);
    EXPECT_EQ(2u, manager.GetOptionGroup(7)->size());
    EXPECT_EQ(1u, manager.GetOptionGroup(8)->size());
    options[0]->SetGroup(0);
    EXPECT_EQ(0u, manager.GetOptionGroup(8)->size());
    DetachControlFromParent(options[1]);
    delete options[1];
    EXPECT_EQ(1u, manager.GetOptionGroup(7)->size());
}

TEST_F(OptionFixture, ASelectedImageThatCannotBeDrawnIsDropped) {
    VQOption* option = options[0];
    option->SetAttribute(L"bkselectedimage", L"file='no-such-image.png'");
    Click(option);
    ASSERT_TRUE(option->IsSelected());
    window.Paint();
    EXPECT_TRUE(option->m_bkImages[ImageSelected].empty());
    // Painting clears the pushed look of the selected option.
    EXPECT_FALSE(option->m_state & StatePushed);
}

TEST(Option, WithoutManagerSelectionNeitherNotifiesNorRegisters) {
    VQOption option;
    option.SetGroup(3);
    option.Selected(true);
    EXPECT_TRUE(option.IsSelected());
    EXPECT_EQ(static_cast<unsigned>(StateSelected), option.m_state & StateSelected);
    VQEvent event;
    EXPECT_TRUE(option.Activate(event));
    EXPECT_TRUE(option.IsSelected());
    option.SetEnabled(false);
    EXPECT_FALSE(option.Activate(event));
}

}  // namespace
}  // namespace Tessar
