// Scroll bar state, geometry and mouse handling; painting is in
// ScrollBarPaint.cpp.
#include "ui/ScrollBar.h"

#include <climits>
#include <cstdint>

#include "ui/Container.h"
#include "ui/MarkupValue.h"
#include "ui/PaintManager.h"

namespace Tessar {

namespace {

const wchar_t* const kPartStateNames[] = {L"normal", L"hot", L"pushed", L"disabled"};

// The index of "<prefix><state>image", or -1.
int PartImageIndex(const std::wstring& name, const wchar_t* prefix) {
    for (int i = 0; i < 4; ++i)
        if (name == std::wstring(prefix) + kPartStateNames[i] + L"image") return i;
    return -1;
}

bool InRect(const RECT& rc, POINT pt) {
    return ::PtInRect(&rc, pt) != FALSE;
}

int ClampToInt(int64_t value) {
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

POINT EventPoint(const VQEvent& event) {
    return event.mouse;
}

}  // namespace

VQScrollbar::VQScrollbar() {
    m_fixedWidth = 16;
}

VQControl* VQScrollbar::GetInterface(int type) {
    if (type == ControlTypeScrollBar) return this;
    return VQControl::GetInterface(type);
}

int VQScrollbar::Thickness() const {
    return m_horizontal ? m_fixedHeight : m_fixedWidth;
}

void VQScrollbar::SetHorizontal(bool horizontal) {
    if (m_horizontal == horizontal) return;
    m_horizontal = horizontal;
    if (m_horizontal) {
        if (m_fixedHeight == 0) {
            m_fixedWidth = 0;
            m_fixedHeight = 16;
        }
    } else if (m_fixedWidth == 0) {
        m_fixedWidth = 16;
        m_fixedHeight = 0;
    }
    if (m_owner)
        m_owner->NeedUpdate();
    else
        NeedParentUpdate();
}

void VQScrollbar::SetScrollRange(int range) {
    if (m_range == range) return;
    m_range = range < 0 ? 0 : range;
    if (m_position > m_range) m_position = m_range;
    SetPos(m_itemRect.left, m_itemRect.top, m_itemRect.right, m_itemRect.bottom);
}

void VQScrollbar::SetScrollPos(int position) {
    if (m_position == position) return;
    m_position = position < 0 ? 0 : (position > m_range ? m_range : position);
    SetPos(m_itemRect.left, m_itemRect.top, m_itemRect.right, m_itemRect.bottom);
}

void VQScrollbar::SetShowButton1(bool show) {
    if (m_showButton1 == show) return;
    m_showButton1 = show;
    SetPos(m_itemRect.left, m_itemRect.top, m_itemRect.right, m_itemRect.bottom);
}

void VQScrollbar::SetShowButton2(bool show) {
    if (m_showButton2 == show) return;
    m_showButton2 = show;
    SetPos(m_itemRect.left, m_itemRect.top, m_itemRect.right, m_itemRect.bottom);
}

void VQScrollbar::SetEnabled(bool enabled) {
    VQControl::SetEnabled(enabled);
    if (!enabled) {
        m_button1State = 0;
        m_button2State = 0;
        m_thumbState = 0;
    }
}

void VQScrollbar::SetFocus() {
    if (m_owner)
        m_owner->SetFocus();
    else
        VQControl::SetFocus();
}

void VQScrollbar::SetPos(int left, int top, int right, int bottom) {
    VQControl::SetPos(left, top, right, bottom);
    const int s = Thickness();
    const int L = m_itemRect.left + m_barInset.left;
    const int T = m_itemRect.top + m_barInset.top;
    const int R = m_itemRect.right - m_barInset.right;
    const int B = m_itemRect.bottom - m_barInset.bottom;
    // Work along the bar's axis ("main") and across it ("cross").
    const int mainStart = m_horizontal ? L : T;
    const int mainEnd = m_horizontal ? R : B;
    const int crossStart = m_horizontal ? T : L;
    auto make = [this](int main0, int main1, int cross0, int cross1) {
        RECT rc;
        if (m_horizontal)
            rc = {main0, cross0, main1, cross1};
        else
            rc = {cross0, main0, cross1, main1};
        return rc;
    };
    const int64_t total = static_cast<int64_t>(mainEnd) - mainStart;
    int64_t free = total;
    if (m_showButton1) free -= s;
    if (m_showButton2) free -= s;
    if (free > s) {
        m_button1Rect = m_showButton1 ? make(mainStart, mainStart + s, crossStart, crossStart + s)
                                      : make(mainStart, mainStart, crossStart, crossStart);
        m_button2Rect = m_showButton2 ? make(mainEnd - s, mainEnd, crossStart, crossStart + s)
                                      : make(mainEnd, mainEnd, crossStart, crossStart);
        // Across the bar the thumb fills the bar's thickness (horizontal) or its width (vertical).
        const int crossEnd = m_horizontal ? T + s : R;
        const int track0 = m_horizontal ? m_button1Rect.right : m_button1Rect.bottom;
        const int track1 = m_horizontal ? m_button2Rect.left : m_button2Rect.top;
        if (m_range < 1) {
            m_thumbRect = make(track0, track1, crossStart, crossEnd);
        } else {
            int64_t length = total * free / (static_cast<int64_t>(m_range) + total);
            if (length < s) length = s;
            int64_t start = (free - length) * m_position / m_range + track0;
            int64_t end = start + length;
            if (end > track1) {
                end = track1;
                start = end - length;
            }
            m_thumbRect = make(ClampToInt(start), ClampToInt(end), crossStart, crossEnd);
        }
    } else {
        int half = static_cast<int>(total / 2 < s ? total / 2 : s);
        m_button1Rect = m_showButton1 ? make(mainStart, mainStart + half, crossStart, crossStart + s)
                                      : make(mainStart, mainStart, crossStart, crossStart);
        m_button2Rect = m_showButton2 ? make(mainEnd - half, mainEnd, crossStart, crossStart + s)
                                      : make(mainEnd, mainEnd, crossStart, crossStart);
        m_thumbRect = RECT{0, 0, 0, 0};
    }
}

void VQScrollbar::LineStep(bool forward) {
    if (m_owner) {
        if (m_horizontal)
            forward ? m_owner->LineRight() : m_owner->LineLeft();
        else
            forward ? m_owner->LineDown() : m_owner->LineUp();
    } else {
        SetScrollPos(ClampToInt(static_cast<int64_t>(m_position) + (forward ? m_lineSize : -m_lineSize)));
    }
}

void VQScrollbar::PageStep(bool forward) {
    if (m_owner) {
        if (m_horizontal)
            forward ? m_owner->PageRight() : m_owner->PageLeft();
        else
            forward ? m_owner->PageDown() : m_owner->PageUp();
    } else {
        int page = m_horizontal ? GetWidth() : GetHeight();
        SetScrollPos(ClampToInt(static_cast<int64_t>(m_position) + (forward ? page : -page)));
    }
}

bool VQScrollbar::PageTowards(POINT pt) {
    if (m_horizontal) {
        if (pt.x < m_thumbRect.left) {
            PageStep(false);
            return true;
        }
        if (pt.x > m_thumbRect.right) {
            PageStep(true);
            return true;
        }
    } else {
        if (pt.y < m_thumbRect.top) {
            PageStep(false);
            return true;
        }
        if (pt.y > m_thumbRect.bottom) {
            PageStep(true);
            return true;
        }
    }
    return false;
}

void VQScrollbar::OnMouseEnter(VQEvent& event) {
    if (IsEnabled()) {
        m_button1State |= StateHot;
        m_button2State |= StateHot;
        if (InRect(m_thumbRect, EventPoint(event))) m_thumbState |= StateHot;
        Invalidate();
    }
    VQControl::OnMouseEnter(event);
}

void VQScrollbar::OnMouseLeave(VQEvent& event) {
    if (IsEnabled()) {
        m_button1State &= ~StateHot;
        m_button2State &= ~StateHot;
        m_thumbState &= ~StateHot;
        Invalidate();
    }
    VQControl::OnMouseLeave(event);
}

void VQScrollbar::OnMouseMove(VQEvent& event) {
    POINT pt = EventPoint(event);
    if (m_thumbState & kDragging) {
        int64_t track;
        if (m_horizontal) {
            track = static_cast<int64_t>(GetWidth()) - (m_thumbRect.right - m_thumbRect.left);
            if (m_showButton1) track -= m_fixedHeight;
            if (m_showButton2) track -= m_fixedHeight;
        } else {
            track = static_cast<int64_t>(GetHeight()) - (m_thumbRect.bottom - m_thumbRect.top);
            if (m_showButton1) track -= m_fixedWidth;
            if (m_showButton2) track -= m_fixedWidth;
        }
        if (track < 1) return;
        int64_t moved = m_horizontal ? static_cast<int64_t>(pt.x) - m_dragStart.x
                                     : static_cast<int64_t>(pt.y) - m_dragStart.y;
        m_dragDelta = ClampToInt(moved * m_range / track);
        return;
    }
    bool onThumb = InRect(m_thumbRect, pt);
    if ((m_thumbState & StateHot) && !onThumb) {
        m_thumbState &= ~StateHot;
        Invalidate();
    } else if (IsEnabled() && onThumb && !(m_thumbState & StateHot)) {
        m_thumbState |= StateHot;
        Invalidate();
    }
}

void VQScrollbar::OnLButtonDown(VQEvent& event) {
    if (!IsEnabled()) return;
    m_dragDelta = 0;
    m_repeatTicks = 0;
    if (m_manager) m_manager->SetTimer(this, kRepeatTimerId, kRepeatIntervalMs);
    POINT pt = EventPoint(event);
    if (InRect(m_button1Rect, pt)) {
        m_button1State |= StatePushed;
        LineStep(false);
    } else if (InRect(m_button2Rect, pt)) {
        m_button2State |= StatePushed;
        LineStep(true);
    } else if (InRect(m_thumbRect, pt)) {
        m_thumbState |= StatePushed | kDragging;
        m_dragStart = pt;
        m_dragStartPosition = m_position;
    } else {
        PageTowards(pt);
    }
    VQControl::OnLButtonDown(event);
}

void VQScrollbar::OnLButtonUp(VQEvent& event) {
    m_dragDelta = 0;
    m_repeatTicks = 0;
    if (m_manager) m_manager->KillTimer(this, kRepeatTimerId);
    bool changed = false;
    if (m_thumbState & kDragging) {
        m_thumbState &= ~(StatePushed | kDragging);
        changed = true;
    } else if (m_button1State & StatePushed) {
        m_button1State &= ~StatePushed;
        changed = true;
    } else if (m_button2State & StatePushed) {
        m_button2State &= ~StatePushed;
        changed = true;
    }
    if (changed) Invalidate();
    VQControl::OnLButtonUp(event);
}

void VQScrollbar::OnTimer(VQEvent& event) {
    if (static_cast<int>(event.wParam) != kRepeatTimerId) {
        VQControl::OnTimer(event);
        return;
    }
    ++m_repeatTicks;
    if (m_thumbState & kDragging) {
        int target = ClampToInt(static_cast<int64_t>(m_dragStartPosition) + m_dragDelta);
        if (m_owner) {
            SIZE pos = m_owner->GetScrollPos();
            if (m_horizontal)
                pos.cx = target;
            else
                pos.cy = target;
            m_owner->SetScrollPos(pos);
        } else {
            SetScrollPos(target);
        }
        Invalidate();
        return;
    }
    if (m_repeatTicks <= 5) return;
    if (m_button1State & StatePushed) {
        LineStep(false);
    } else if (m_button2State & StatePushed) {
        LineStep(true);
    } else if (m_manager && m_manager->GetPaintWindow()) {
        POINT pt;
        if (::GetCursorPos(&pt) && ::ScreenToClient(m_manager->GetPaintWindow(), &pt)) PageTowards(pt);
    }
}

void VQScrollbar::SetAttribute(const std::wstring& name, const std::wstring& value) {
    int index;
    if ((index = PartImageIndex(name, L"button1")) >= 0) {
        m_button1Images[index] = value;
        Invalidate();
    } else if ((index = PartImageIndex(name, L"button2")) >= 0) {
        m_button2Images[index] = value;
        Invalidate();
    } else if ((index = PartImageIndex(name, L"thumb")) >= 0) {
        m_thumbImages[index] = value;
        Invalidate();
    } else if ((index = PartImageIndex(name, L"rail")) >= 0) {
        m_railImages[index] = value;
        Invalidate();
    } else if ((index = PartImageIndex(name, L"bk")) >= 0) {
        m_bkImages4[index] = value;
        Invalidate();
    } else if (name == L"hor") {
        SetHorizontal(ParseMarkupBool(value));
    } else if (name == L"linesize") {
        m_lineSize = ParseMarkupInt(value);
    } else if (name == L"range") {
        SetScrollRange(ParseMarkupInt(value));
    } else if (name == L"value") {
        SetScrollPos(ParseMarkupInt(value));
    } else if (name == L"showbutton1") {
        SetShowButton1(ParseMarkupBool(value));
    } else if (name == L"showbutton2") {
        SetShowButton2(ParseMarkupBool(value));
    } else if (name == L"inset") {
        m_barInset = ParseMarkupRect(value);
    } else {
        VQControl::SetAttribute(name, value);
    }
}

}  // namespace Tessar
