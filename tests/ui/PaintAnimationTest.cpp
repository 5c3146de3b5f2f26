// Animations driven by real window timers through the paint manager: a
// floating control moved to its target, and an image strip that stops after
// its repeat limit.
#include <gtest/gtest.h>

#include "tests/ui/RoutingTestWindow.h"
#include "tests/ui/WindowInput.h"
#include "tests/ui/WindowScreenshot.h"
#include "ui/Layouts.h"

namespace Tessar {
namespace {

namespace input = Tessar::Test;
using input::PumpUntil;
using input::VQProbeControl;
using input::VQRoutingWindow;

TEST(PaintAnimation, MotionMovesAFloatingControlToItsTargetAndStops) {
    VQRoutingWindow window(nullptr, 300, 200);
    input::VQScreenshotOnFailure shot(window.GetHWND());
    VQContainer* root = new VQContainer;
    VQProbeControl* mover = new VQProbeControl;
    mover->SetAttribute(L"float", L"true");
    mover->SetAttribute(L"pos", L"0,0,20,20");
    root->Add(mover);
    window.Attach(root);
    mover->m_motionStartX = 0;
    mover->m_motionStartY = 0;
    mover->m_motionTargetX = 120;
    mover->m_motionTargetY = 60;
    mover->m_motionSteps = 6;
    mover->m_motionMode = 1;  // linear
    ASSERT_TRUE(window.GetPaintManager().SetTimer(mover, AnimationMotion, 10));
    ASSERT_TRUE(PumpUntil([&] { return window.Count(NotifyAnimationStep, mover) == 1; }));
    const POINT at = mover->GetFixedXY();
    EXPECT_EQ(120, at.x);
    EXPECT_EQ(60, at.y);
    // Laid out again at the next paint: the control stands at its target.
    window.Paint();
    EXPECT_EQ(120, mover->GetX());
    EXPECT_EQ(60, mover->GetY());
    // The timer was killed: setting it again is allowed.
    EXPECT_TRUE(window.GetPaintManager().SetTimer(mover, AnimationMotion, 10));
    window.GetPaintManager().KillTimer(mover, AnimationMotion);
}

TEST(PaintAnimation, FramesRestoreTheSavedImageAfterTheRepeatLimit) {
    VQRoutingWindow window(nullptr, 200, 100);
    VQProbeControl* strip = new VQProbeControl;
    window.Attach(strip);
    strip->SetAttribute(L"normalimage", L"file='still.png'");
    strip->m_frameBaseImage = L"file='strip.png'";
    strip->m_frameWidth = 16;
    strip->m_frameHeight = 16;
    strip->m_firstFrame = 0;
    strip->m_lastFrame = 3;
    strip->m_frameRepeatLimit = 8;
    ASSERT_TRUE(window.GetPaintManager().SetTimer(strip, AnimationFrames, 10));
    ASSERT_TRUE(PumpUntil([&] { return strip->m_frameStepCount == 9; }));
    EXPECT_EQ(L"file='still.png'", strip->m_stateImages[ImageNormal]);
    // The timer is gone: setting it again is allowed.
    EXPECT_TRUE(window.GetPaintManager().SetTimer(strip, AnimationFrames, 10));
    window.GetPaintManager().KillTimer(strip, AnimationFrames);
}

}  // namespace
}  // namespace Tessar
