#pragma once
// Timer-driven animations mixed into every control: motion, image-strip
// frames and rolling text. Application code sets the fields directly and
// starts the control timer whose local id names the kind (1, 2, 4, 16).

#include <string>

namespace Tessar {

enum VQAnimationKind {
    AnimationMotion = 1,
    AnimationFrames = 2,
    AnimationRoll = 4,
    AnimationBit16 = 16,
};

class VQAnimation {
public:
    virtual ~VQAnimation() {}
    // Runs the kinds whose bits are set, in the order 1, 2, 4, 16.
    virtual void OnAnimationTimer(unsigned mask);
    virtual void AnimateBit1() {}
    virtual void NotifyAnimationStep() {}
    virtual void AnimateFrames() {}
    virtual void AnimateOffset() {}
    virtual void AnimateBit16() {}

    int m_motionStartX = 0;
    int m_motionStartY = 0;
    int m_motionTargetX = 0;
    int m_motionTargetY = 0;
    unsigned m_motionSteps = 0;
    unsigned m_motionStep = 0;
    // 0 eased (decelerating), anything else linear.
    int m_motionMode = 0;
    // 0 = endless.
    int m_frameRepeatLimit = 0;
    int m_frameStepCount = 0;
    int m_frameWidth = 0;
    std::wstring m_savedImage;
    std::wstring m_frameBaseImage;
    int m_firstFrame = 0;
    int m_lastFrame = 0;
    int m_currentFrame = 0;
    bool m_frameOnBackground = false;
    int m_frameHeight = 0;
    int m_rollStep = 0;
    bool m_rolling = false;
    int m_rollOffset = 0;
};

}  // namespace Tessar
