// Scrolling of a container's children through its scroll bars.
#include "ui/Container.h"
#include "ui/ScrollBar.h"

namespace Tessar {

SIZE VQContainer::GetScrollPos() const {
    SIZE pos = {0, 0};
    if (IsBarVisible(m_horizontalBar)) pos.cx = m_horizontalBar->GetScrollPos();
    if (IsBarVisible(m_verticalBar)) pos.cy = m_verticalBar->GetScrollPos();
    return pos;
}

SIZE VQContainer::GetScrollRange() const {
    SIZE range = {0, 0};
    if (IsBarVisible(m_horizontalBar)) range.cx = m_horizontalBar->GetScrollRange();
    if (IsBarVisible(m_verticalBar)) range.cy = m_verticalBar->GetScrollRange();
    return range;
}

void VQContainer::SetScrollPos(SIZE pos) {
    int dx = 0, dy = 0;
    if (IsBarVisible(m_verticalBar)) {
        int old = m_verticalBar->GetScrollPos();
        m_verticalBar->SetScrollPos(pos.cy);
        dy = m_verticalBar->GetScrollPos() - old;
    }
    if (IsBarVisible(m_horizontalBar)) {
        int old = m_horizontalBar->GetScrollPos();
        m_horizontalBar->SetScrollPos(pos.cx);
        dx = m_horizontalBar->GetScrollPos() - old;
    }
    if (dx == 0 && dy == 0) return;
    for (size_t i = 0; i < m_children.size(); ++i) {
        VQControl* child = m_children[i];
        if (!child->IsVisible() || IsFloating(child)) continue;
        RECT rc = child->GetPos();
        int left = rc.left - dx, top = rc.top - dy;
        int right = child->GetFixedWidth() != 0 ? left + child->GetFixedWidth() : rc.right - dx;
        int bottom = child->GetFixedHeight() != 0 ? top + child->GetFixedHeight() : rc.bottom - dy;
        child->SetPos(left, top, right, bottom);
    }
    Invalidate();
}

void VQContainer::LineUp() {
    SIZE pos = GetScrollPos();
    if (m_verticalBar) pos.cy -= m_verticalBar->GetLineSize();
    SetScrollPos(pos);
}

void VQContainer::LineDown() {
    SIZE pos = GetScrollPos();
    if (m_verticalBar) pos.cy += m_verticalBar->GetLineSize();
    SetScrollPos(pos);
}

namespace {

int PageHeight(const RECT& item, const RECT& inset, int horizontalBarHeight) {
    return item.bottom - item.top - inset.top - inset.bottom - horizontalBarHeight;
}

}  // namespace

void VQContainer::PageUp() {
    SIZE pos = GetScrollPos();
    pos.cy -= PageHeight(m_itemRect, m_inset, IsBarVisible(m_horizontalBar) ? m_horizontalBar->GetFixedHeight() : 0);
    SetScrollPos(pos);
}

void VQContainer::PageDown() {
    SIZE pos = GetScrollPos();
    pos.cy += PageHeight(m_itemRect, m_inset, IsBarVisible(m_horizontalBar) ? m_horizontalBar->GetFixedHeight() : 0);
    SetScrollPos(pos);
}

void VQContainer::HomeUp() {
    SIZE pos = GetScrollPos();
    pos.cy = 0;
    SetScrollPos(pos);
}

void VQContainer::EndDown() {
    SIZE pos = GetScrollPos();
    pos.cy = GetScrollRange().cy;
    SetScrollPos(pos);
}

void VQContainer::LineLeft() {
    SIZE pos = GetScrollPos();
    pos.cx -= 8;
    SetScrollPos(pos);
}

void VQContainer::LineRight() {
    SIZE pos = GetScrollPos();
    pos.cx += 8;
    SetScrollPos(pos);
}

namespace {

int PageWidth(const RECT& item, const RECT& inset, int verticalBarWidth) {
    return item.right - item.left - inset.left - inset.right - verticalBarWidth;
}

}  // namespace

void VQContainer::PageLeft() {
    SIZE pos = GetScrollPos();
    pos.cx -= PageWidth(m_itemRect, m_inset, IsBarVisible(m_verticalBar) ? m_verticalBar->GetFixedWidth() : 0);
    SetScrollPos(pos);
}

void VQContainer::PageRight() {
    SIZE pos = GetScrollPos();
    pos.cx += PageWidth(m_itemRect, m_inset, IsBarVisible(m_verticalBar) ? m_verticalBar->GetFixedWidth() : 0);
    SetScrollPos(pos);
}

void VQContainer::HomeLeft() {
    SIZE pos = GetScrollPos();
    pos.cx = 0;
    SetScrollPos(pos);
}

void VQContainer::EndRight() {
    SIZE pos = GetScrollPos();
    pos.cx = GetScrollRange().cx;
    SetScrollPos(pos);
}

}  // namespace Tessar
