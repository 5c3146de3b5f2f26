#include "VQCore/app/windows/TipFader.h"

namespace Tessar {

VQTipStep VQTipFader::Start() {
    VQTipStep step;
    step.startTimer = kTipTimerFadeIn;
    step.interval = kStepInterval;
    return step;
}

VQTipStep VQTipFader::OnTimer(unsigned id) {
    VQTipStep step;
    switch (id) {
    case kTipTimerFadeIn:
        m_alpha = m_alpha + 3 > 255 ? 255 : m_alpha + 3;
        if (m_alpha == 255) {
            step.killTimer = kTipTimerFadeIn;
            step.startTimer = kTipTimerVisible;
            step.interval = kSecondInterval;
        }
        break;
    case kTipTimerVisible:
        if (--m_secondsLeft <= 0) {
            m_secondsLeft = 0;
            step.killTimer = kTipTimerVisible;
            step.startTimer = kTipTimerFadeOut;
            step.interval = kStepInterval;
        }
        break;
    case kTipTimerFadeOut:
        m_alpha = m_alpha - 3 < 0 ? 0 : m_alpha - 3;
        if (m_alpha == 0) {
            step.killTimer = kTipTimerFadeOut;
            step.close = true;
        }
        break;
    case kTipTimerHoverIn:
        m_alpha = m_alpha + 10 > 255 ? 255 : m_alpha + 10;
        if (m_alpha == 255) step.killTimer = kTipTimerHoverIn;
        break;
    default: break;
    }
    return step;
}

VQTipStep VQTipFader::OnMouseEnter() {
    VQTipStep step;
    if (m_hovering) return step;
    m_hovering = true;
    if (m_alpha < 255) {
        step.startTimer = kTipTimerHoverIn;
        step.interval = kStepInterval;
    }
    return step;
}

VQTipStep VQTipFader::OnMouseLeave() {
    VQTipStep step;
    if (!m_hovering) return step;
    m_hovering = false;
    m_secondsLeft = kVisibleSeconds;
    step.startTimer = kTipTimerVisible;
    step.interval = kSecondInterval;
    return step;
}

}  // namespace Tessar
