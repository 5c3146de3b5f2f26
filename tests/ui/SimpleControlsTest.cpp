// Label, button and progress bar: interfaces, the button's click by posted
// input, its double click, and the progress bar's value and fill rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/TestWindow.h"
#include "tests/ui/WindowScreenshot.h"
#include "ui/Button.h"
#include "ui/DialogBuilder.h"
#include "ui/Edit.h"
#include "ui/Label.h"
#include "ui/Progress.h"

namespace Tessar {
namespace {

using Test::VQTestWindow;

class NotifyLog : public INotify {
public:
    void Notify(VQNotifyMsg& msg) override { messages.push_back(msg); }
    int Count(int type, VQControl* sender) const {
        int n = 0;
        for (const VQNotifyMsg& m : messages)
            if (m.type == type && m.sender == sender) ++n;
        return n;
    }
    std::vector<VQNotifyMsg> messages;
};

TEST(LabelTest, ControlsAnswerTheirOwnAndTheirBasesInterfaces) {
    VQLabel label;
    VQButton button;
    VQProgress progress;
    VQEdit edit;
    struct Case {
        const char* name;
        VQControl* control;
        int type;
        std::vector<int> answers;
    } cases[] = {
        {"label", &label, ControlTypeLabel, {ControlTypeLabel, ControlTypeContainer, ControlTypeControl}},
        {"button", &button, ControlTypeButton, {ControlTypeButton, ControlTypeLabel, ControlTypeContainer, ControlTypeControl}},
        {"progress", &progress, ControlTypeProgress, {ControlTypeProgress, ControlTypeControl}},
        {"edit", &edit, ControlTypeEdit, {ControlTypeEdit, ControlTypeContainer, ControlTypeControl}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.control->GetControlType(), c.type) << c.name;
        for (int type = 1; type <= 16; ++type) {
            bool answers = false;
            for (int a : c.answers) answers = answers || a == type;
            EXPECT_EQ(c.control->GetInterface(type), answers ? c.control : nullptr) << c.name << " type " << type;
        }
    }
    EXPECT_TRUE(button.TestNotifyBit(NotifyClick));
    EXPECT_TRUE(button.TestFlag(FlagTabStop));
    EXPECT_FALSE(label.TestNotifyBit(NotifyClick));
    EXPECT_TRUE(edit.TestFlag(FlagSetCursor));
    EXPECT_TRUE(edit.TestFlag(FlagTabStop));
}

// A window with a button, built from markup.
struct ButtonWindow {
    ButtonWindow() : window(200, 100), shot(window.Handle()) {
        VQDialogBuilder builder;
        VQControl* root = builder.Create(
            L"<Window><VerticalLayout inset=\"10,10,10,10\"><Button name=\"b\" text=\"按钮\" height=\"30\" />"
            L"<Label name=\"l\" text=\"标签\" notify=\"click\" /></VerticalLayout></Window>",
            L"", MarkupFromMemory, L"", &window.Manager());
        window.Manager().AttachRootControl(root);
        window.Manager().AddNotifier(&log);
        root->SetPos(0, 0, 200, 100);
        button = window.Manager().FindControlByName(L"b");
    }
    void Post(UINT message, int x, int y) {
        ::PostMessageW(window.Handle(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
    }
    VQTestWindow window;
    Test::VQScreenshotOnFailure shot;
    NotifyLog log;
    VQControl* button = nullptr;
};

TEST(ButtonTest, PostedClickSendsOneClickNotification) {
    ButtonWindow bw;
    ASSERT_NE(bw.button, nullptr);
    RECT rc = bw.button->GetPos();
    EXPECT_EQ(rc.top, 10);
    EXPECT_EQ(rc.bottom, 40);
    bw.Post(WM_LBUTTONDOWN, 50, 25);
    ASSERT_TRUE(bw.window.PumpUntil([&] { return (bw.button->m_state & StatePushed) != 0; }));
    EXPECT_EQ(bw.log.Count(NotifyClick, bw.button), 0) << "no click before the release";
    bw.Post(WM_LBUTTONUP, 52, 27);
    ASSERT_TRUE(bw.window.PumpUntil([&] { return bw.log.Count(NotifyClick, bw.button) == 1; }));
    EXPECT_EQ(bw.button->m_state & (StatePushed | StatePressed), 0u);
    EXPECT_TRUE(bw.button->IsFocused()) << "a click focuses the button";
}

TEST(ButtonTest, ReleaseOutsideSendsNoClick) {
    ButtonWindow bw;
    ASSERT_NE(bw.button, nullptr);
    bw.Post(WM_LBUTTONDOWN, 50, 25);
    bw.Post(WM_LBUTTONUP, 50, 80);
    ASSERT_TRUE(bw.window.PumpUntil([&] { return (bw.button->m_state & StatePressed) == 0 && bw.button->IsFocused(); }));
    // A second, complete click proves the first release was processed.
    bw.Post(WM_LBUTTONDOWN, 50, 25);
    bw.Post(WM_LBUTTONUP, 50, 25);
    ASSERT_TRUE(bw.window.PumpUntil([&] { return bw.log.Count(NotifyClick, bw.button) >= 1; }));
    EXPECT_EQ(bw.log.Count(NotifyClick, bw.button), 1);
}

TEST(ButtonTest, DoubleClickActsAsASecondButtonDown) {
    VQButton button;
    button.SetPos(0, 0, 50, 20);
    VQEvent dbl;
    dbl.type = EventLButtonDblClk;
    dbl.mouse = {10, 10};
    button.DoEvent(dbl);
    EXPECT_EQ(button.m_state & (StatePushed | StatePressed), static_cast<unsigned>(StatePushed | StatePressed));
    VQEvent up;
    up.type = EventLButtonUp;
    up.mouse = {10, 10};
    button.DoEvent(up);
    EXPECT_EQ(button.m_state & (StatePushed | StatePressed), 0u);
}

TEST(ProgressTest, FillFollowsValueStepAndMaximum) {
    struct Case {
        const char* name;
        const wchar_t* step;
        int value;
        int innerWidth;
        int fill;
    } cases[] = {
        {"half", L"1", 50, 200, 100},
        {"step 10 caps at the width", L"10", 50, 200, 200},
        {"empty", L"1", 0, 200, 0},
        {"full", L"1", 100, 200, 200},
        {"step below 1 is 1", L"-4", 25, 200, 50},
        {"step above max is max", L"500", 1, 200, 200},
        {"odd width", L"1", 33, 301, 99},
    };
    for (const Case& c : cases) {
        VQProgress progress;
        progress.SetAttribute(L"step", c.step);
        progress.SetValue(c.value);
        EXPECT_EQ(progress.FillWidth(c.innerWidth), c.fill) << c.name;
    }
}

TEST(ProgressTest, ValueIsClampedAndTheFillImageIsRelativeToTheItem) {
    VQProgress progress;
    progress.SetValue(150);
    EXPECT_EQ(progress.GetValue(), 100);
    progress.SetValue(-5);
    EXPECT_EQ(progress.GetValue(), 0);
    EXPECT_EQ(progress.GetFillImage(), L"") << "no normal image";
    progress.SetAttribute(L"normalimage", L"file='progress.png'");
    progress.SetAttribute(L"foreinset", L"2,1,2,1");
    progress.SetPos(100, 40, 304, 50);
    progress.SetValue(50);
    EXPECT_EQ(progress.GetFillImage(), L"file='progress.png' dest='2,1,102,9'");
}

TEST(ProgressTest, SetValueInvalidatesOnlyOnChange) {
    VQTestWindow window(200, 50);
    auto* progress = new VQProgress;
    window.Manager().AttachRootControl(progress);
    progress->SetPos(0, 0, 200, 20);
    window.Paint();
    RECT update;
    ASSERT_FALSE(::GetUpdateRect(window.Handle(), &update, FALSE));
    progress->SetValue(0);
    EXPECT_FALSE(::GetUpdateRect(window.Handle(), &update, FALSE)) << "same value";
    progress->SetValue(30);
    ASSERT_TRUE(::GetUpdateRect(window.Handle(), &update, FALSE));
    EXPECT_EQ(update.bottom, progress->GetPos().bottom);
    EXPECT_EQ(update.right, progress->GetPos().right);
}

}  // namespace
}  // namespace Tessar
