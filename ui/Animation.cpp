#include "ui/Animation.h"

namespace Tessar {

void VQAnimation::OnAnimationTimer(unsigned mask) {
    if (mask & AnimationMotion) AnimateBit1();
    if (mask & AnimationFrames) AnimateFrames();
    if (mask & AnimationRoll) AnimateOffset();
    if (mask & AnimationBit16) AnimateBit16();
}

}  // namespace Tessar
