// The game windows' own markup tags and layout classes: the builder
// callback, the lights-off background's click report, and the frame that
// follows the mouse while it floats.

#include "VQFlash/GameLayouts.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ui/PaintManager.h"

namespace Tessar {
namespace {

TEST(GameLayoutsTest, CallbackKnowsItsTwoTagsExactly) {
    struct Case {
        const char* name;
        const wchar_t* tag;
        bool lightLayout;
        int expected;  // 0 none, 1 move layout, 2 light layout
    };
    const Case cases[] = {
        {"move layout", L"MoveLayout", true, 1},
        {"light layout", L"LightLayout", true, 2},
        {"names compare with case", L"movelayout", true, 0},
        {"a builder tag", L"Button", true, 0},
        {"browser build knows no light layout", L"LightLayout", false, 0},
        {"browser build makes move layouts", L"MoveLayout", false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VQDialogBuilderCallbackEx callback(c.lightLayout);
        std::unique_ptr<VQControl> control(callback.CreateControl(c.tag));
        if (c.expected == 0) {
            EXPECT_EQ(nullptr, control);
            continue;
        }
        ASSERT_NE(nullptr, control);
        const bool rightClass = c.expected == 1 ? dynamic_cast<VQMoveLayout*>(control.get()) != nullptr
                                                : dynamic_cast<VQLightLayout*>(control.get()) != nullptr;
        EXPECT_TRUE(rightClass);
        EXPECT_EQ(ControlTypeContainer, control->GetControlType());
    }
    VQDialogBuilderCallbackEx callback;
    EXPECT_EQ(nullptr, callback.CreateControl(nullptr));
}

struct Heard : public INotify {
    void Notify(VQNotifyMsg& msg) override { messages.push_back({msg.type, msg.sender}); }
    std::vector<std::pair<int, VQControl*>> messages;
};

// A container that records the presses its children pass on.
struct Parent : public VQContainer {
    void OnLButtonDown(VQEvent& event) override { ++presses; }
    int presses = 0;
};

TEST(GameLayoutsTest, LightLayoutReportsThePressAndPassesItOn) {
    VQPaintManager manager;
    Parent* parent = new Parent;
    VQLightLayout* light = new VQLightLayout;
    parent->Add(light);
    manager.AttachRootControl(parent);
    Heard heard;
    manager.AddNotifier(&heard);
    VQEvent event;
    event.type = EventLButtonDown;
    event.sender = light;
    light->OnLButtonDown(event);
    ASSERT_EQ(1u, heard.messages.size());
    EXPECT_EQ(NotifyLButtonDown, heard.messages[0].first);
    EXPECT_EQ(light, heard.messages[0].second);
    EXPECT_EQ(1, parent->presses);
}

TEST(GameLayoutsTest, FloatingFrameFollowsTheMouseUntilReleased) {
    VQContainer* root = new VQContainer;
    VQMoveLayout* frame = new VQMoveLayout(false);
    root->Add(frame);
    VQPaintManager manager;
    manager.AttachRootControl(root);
    frame->SetFloat(true);
    frame->SetFixedXY(100, 50);
    auto mouse = [&](int type, int x, int y) {
        VQEvent event;
        event.type = type;
        event.mouse = {x, y};
        if (type == EventLButtonDown) frame->OnLButtonDown(event);
        if (type == EventMouseMove) frame->OnMouseMove(event);
        if (type == EventLButtonUp) frame->OnLButtonUp(event);
    };
    mouse(EventMouseMove, 10, 10);  // not pressed: stays
    EXPECT_EQ(100, frame->GetFixedXY().x);
    mouse(EventLButtonDown, 110, 60);
    EXPECT_TRUE(frame->IsDragging());
    mouse(EventMouseMove, 130, 55);
    mouse(EventMouseMove, 140, 45);
    EXPECT_EQ(130, frame->GetFixedXY().x);
    EXPECT_EQ(35, frame->GetFixedXY().y);
    mouse(EventLButtonUp, 140, 45);
    EXPECT_FALSE(frame->IsDragging());
    mouse(EventMouseMove, 300, 300);
    EXPECT_EQ(130, frame->GetFixedXY().x);
}

TEST(GameLayoutsTest, FrameInTheNormalLayoutIsNotMoved) {
    VQMoveLayout frame(false);
    VQEvent event;
    event.mouse = {10, 10};
    frame.OnLButtonDown(event);
    event.mouse = {40, 40};
    frame.OnMouseMove(event);
    EXPECT_EQ(0, frame.GetFixedXY().x);
    EXPECT_EQ(0, frame.GetFixedXY().y);
}

}  // namespace
}  // namespace Tessar
