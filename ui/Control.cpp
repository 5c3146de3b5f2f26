#include "ui/Control.h"

#include <cmath>
#include <stdexcept>

#include "common/FormatText.h"
#include "ui/PaintManager.h"

namespace Tessar {

namespace {

template <size_t N>
void CheckBit(int bit) {
    if (bit < 0 || static_cast<size_t>(bit) >= N)
        throw std::out_of_range("invalid bitset<" + std::to_string(N) + "> position");
}

}  // namespace

VQControl::VQControl() {}

VQControl::~VQControl() {
    if (m_manager) m_manager->ReapControl(this);
}

void VQControl::AnimateBit1() {
    ++m_motionStep;
    if (m_motionStep < m_motionSteps) {
        int x, y;
        if (m_motionMode != 0) {
            x = m_motionStartX + static_cast<int>(static_cast<long long>(m_motionTargetX - m_motionStartX) *
                                                  m_motionStep / m_motionSteps);
            y = m_motionStartY + static_cast<int>(static_cast<long long>(m_motionTargetY - m_motionStartY) *
                                                  m_motionStep / m_motionSteps);
        } else {
            double s = m_motionStep, n = m_motionSteps;
            double f = 2.0 * s / n - (s * s) / (n * n);
            // std::lround rounds half away from zero.
            x = m_motionStartX + static_cast<int>(std::lround((m_motionTargetX - m_motionStartX) * f));
            y = m_motionStartY + static_cast<int>(std::lround((m_motionTargetY - m_motionStartY) * f));
        }
        SetFixedXY(x, y);
    } else {
        SetFixedXY(m_motionTargetX, m_motionTargetY);
        if (m_manager) m_manager->KillTimer(this, AnimationMotion);
        NotifyAnimationStep();
    }
    NeedParentUpdate();
    Invalidate();
}

void VQControl::NotifyAnimationStep() {
    if (m_manager) m_manager->SendNotify(this, VQNotifyType::NotifyAnimationStep, 0, 0);
}

void VQControl::AnimateFrames() {
    ++m_frameStepCount;
    std::wstring& target = m_frameOnBackground ? m_bkImages[ImageNormal] : m_stateImages[ImageNormal];
    std::wstring frame = m_frameBaseImage +
                         FormatString(L" source='%d,0,%d,%d'", m_frameWidth * m_currentFrame,
                                      (m_currentFrame + 1) * m_frameWidth, m_frameHeight);
    if (m_savedImage.empty()) m_savedImage = target;
    target = frame;
    ++m_currentFrame;
    if (m_currentFrame > m_lastFrame) m_currentFrame = m_firstFrame;
    if (m_frameRepeatLimit != 0 && m_frameStepCount > m_frameRepeatLimit) {
        target = m_savedImage;
        if (m_manager) m_manager->KillTimer(this, AnimationFrames);
    }
    Invalidate();
}

void VQControl::AnimateOffset() {
    m_rollOffset += m_rollStep;
    Invalidate();
}

bool VQControl::TestFlag(int bit) const {
    CheckBit<4>(bit);
    return m_flags.test(bit);
}

void VQControl::SetFlag(int bit, bool on) {
    CheckBit<4>(bit);
    m_flags.set(bit, on);
}

bool VQControl::TestNotifyBit(int bit) const {
    CheckBit<22>(bit);
    return m_notify.test(bit);
}

void VQControl::SetNotifyBit(int bit, bool on) {
    CheckBit<22>(bit);
    m_notify.set(bit, on);
}

bool VQControl::TestDispatchBit(int bit) const {
    CheckBit<20>(bit);
    return m_dispatch.test(bit);
}

void VQControl::SetDispatchBit(int bit, bool on) {
    CheckBit<20>(bit);
    m_dispatch.set(bit, on);
}

VQControl* VQControl::GetInterface(int type) {
    return type == ControlTypeControl ? this : nullptr;
}

VQControl* VQControl::FindControl(VQFindControlProc proc, void* data, unsigned flags) {
    if ((flags & FindVisible) && !IsVisible()) return nullptr;
    if ((flags & FindEnabled) && !IsEnabled()) return nullptr;
    if (flags & FindHitTest) {
        const POINT* pt = static_cast<const POINT*>(data);
        RECT hit = {m_itemRect.left + m_cut.left, m_itemRect.top + m_cut.top, m_itemRect.right - m_cut.right,
                    m_itemRect.bottom - m_cut.bottom};
        if (!pt || !::PtInRect(&hit, *pt)) return nullptr;
    }
    return proc(this, data);
}

void VQControl::SetPadding(int left, int top, int right, int bottom) {
    m_padding = {left, top, right, bottom};
}

SIZE VQControl::GetFixedSize(int, int) {
    SIZE size = {m_fixedWidth, m_fixedHeight};
    return size;
}

void VQControl::DoPaint(HDC hdc, const RECT& paintRect) {
    if (!IsVisible()) return;
    if (!::IntersectRect(&m_paintRect, &paintRect, &m_itemRect)) return;
    if (IsFocused()) m_state |= StateFocused; else m_state &= ~StateFocused;
    if (!IsEnabled()) m_state |= StateDisabled; else m_state &= ~StateDisabled;
    PaintBkColor(hdc);
    PaintBkImage(hdc);
    PaintStatusImage(hdc);
    PaintText(hdc);
    PaintBorder(hdc);
}

void VQControl::SetPos(int left, int top, int right, int bottom) {
    if (right < left) right = left;
    if (bottom < top) bottom = top;
    m_itemRect = {left, top, right, bottom};
    m_needUpdate = false;
}

void VQControl::SetCut(int left, int top, int right, int bottom) {
    m_cut = {left, top, right, bottom};
}

void VQControl::SetVisible(bool visible) {
    if (m_visible == visible) return;
    m_visible = visible;
    if (m_focused) m_focused = false;
    NeedParentUpdate();
}

void VQControl::SetFixedWidth(int width) {
    if (width < 0) return;
    m_fixedWidth = width;
}

void VQControl::SetFixedHeight(int height) {
    if (height < 0) return;
    m_fixedHeight = height;
}

POINT VQControl::GetFixedXY() const {
    POINT pt = {m_fixedX, m_fixedY};
    return pt;
}

void VQControl::SetFixedXY(int x, int y) {
    m_fixedX = x;
    m_fixedY = y;
}

void VQControl::SetMinWidth(int width) {
    if (width < 0) return;
    m_minWidth = width;
}

void VQControl::SetMaxWidth(int width) {
    if (width < 0) return;
    m_maxWidth = width;
}

void VQControl::SetMinHeight(int height) {
    if (height < 0) return;
    m_minHeight = height;
}

void VQControl::SetMaxHeight(int height) {
    if (height < 0) return;
    m_maxHeight = height;
}

void VQControl::SetEnabled(bool enabled) {
    if (m_enabled == enabled) return;
    m_enabled = enabled;
    if (!m_enabled) m_state = 0;
    Invalidate();
}

void VQControl::SetFloat(bool on) {
    m_float = on;
}

void VQControl::SetAbsFloat(bool on) {
    m_absFloat = on;
}

void VQControl::SetRelFloat(bool on) {
    m_relFloat = on;
}

void VQControl::SetText(const std::wstring& text) {
    if (m_text == text) return;
    m_text = text;
    Invalidate();
}

void VQControl::SetFocus() {
    if (m_manager) m_manager->SetFocus(this);
}

void VQControl::Invalidate() {
    VQControl* target = this;
    while (target->GetParent() && target->GetParent()->IsUpdateNeeded()) target = target->GetParent();
    if (!target->IsVisible() || !m_manager) return;
    m_manager->InvalidateRect(target->GetPos());
}

void VQControl::NeedUpdate() {
    m_needUpdate = true;
    if (m_manager) m_manager->NeedUpdate();
}

void VQControl::NeedParentUpdate() {
    if (m_parent)
        m_parent->NeedUpdate();
    else
        NeedUpdate();
}

bool VQControl::PointInItem(POINT pt) const {
    return ::PtInRect(&m_itemRect, pt) != FALSE;
}

}  // namespace Tessar
