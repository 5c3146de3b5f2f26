#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/FormatText.h"
#include "ui/Control.h"

namespace Tessar {
namespace {

TEST(Animation, FramesCycleAndRestoreTheSavedImageAfterTheRepeatLimit) {
    VQControl control;
    control.SetAttribute(L"normalimage", L"file='still.png'");
    control.m_frameBaseImage = L"file='strip.png'";
    control.m_frameWidth = 20;
    control.m_frameHeight = 16;
    control.m_firstFrame = 0;
    control.m_lastFrame = 3;
    control.m_frameRepeatLimit = 8;
    const int expectedFrames[] = {0, 1, 2, 3, 0, 1, 2, 3};
    for (int step = 0; step < 8; ++step) {
        control.OnAnimationTimer(AnimationFrames);
        const int f = expectedFrames[step];
        EXPECT_EQ(L"file='strip.png'" + FormatString(L" source='%d,0,%d,%d'", 20 * f, 20 * (f + 1), 16),
                  control.m_stateImages[ImageNormal])
            << "step " << step;
    }
    EXPECT_EQ(L"file='still.png'", control.m_savedImage);
    control.OnAnimationTimer(AnimationFrames);  // the ninth step passes the limit
    EXPECT_EQ(L"file='still.png'", control.m_stateImages[ImageNormal]);
}

TEST(Animation, MotionStepsToItsTarget) {
    struct Case {
        int mode;  // 0 eased, other linear
    } cases[] = {{1}, {0}};
    for (const auto& c : cases) {
        VQControl control;
        control.m_motionStartX = 10;
        control.m_motionStartY = 100;
        control.m_motionTargetX = 110;
        control.m_motionTargetY = 0;
        control.m_motionSteps = 4;
        control.m_motionMode = c.mode;
        for (unsigned s = 1; s < 4; ++s) {
            control.OnAnimationTimer(AnimationMotion);
            double f = c.mode ? s / 4.0 : 2.0 * s / 4 - double(s) * s / 16;
            int x = c.mode ? 10 + 100 * int(s) / 4 : 10 + int(std::lround(100 * f));
            int y = c.mode ? 100 - 100 * int(s) / 4 : 100 + int(std::lround(-100 * f));
            EXPECT_EQ(x, control.GetFixedXY().x) << "mode " << c.mode << " step " << s;
            EXPECT_EQ(y, control.GetFixedXY().y) << "mode " << c.mode << " step " << s;
        }
        control.OnAnimationTimer(AnimationMotion);
        EXPECT_EQ(110, control.GetFixedXY().x);
        EXPECT_EQ(0, control.GetFixedXY().y);
    }
}

TEST(Animation, RollAddsItsStepAndOtherBitsDoNothing) {
    VQControl control;
    control.m_rollStep = 3;
    control.OnAnimationTimer(AnimationRoll);
    control.OnAnimationTimer(AnimationRoll | 0x100);
    EXPECT_EQ(6, control.m_rollOffset);
    control.OnAnimationTimer(0x40);
    EXPECT_EQ(6, control.m_rollOffset);
}

}  // namespace
}  // namespace Tessar
