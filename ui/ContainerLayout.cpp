// The three layout algorithms of VQContainer, floating placement and the
// scroll bars' part in layout. Sums run in 64 bits and positions are
// clamped to int, so huge sizes cannot overflow.
#include <algorithm>
#include <climits>
#include <cstdint>

#include "ui/Container.h"
#include "ui/Layouts.h"
#include "ui/ScrollBar.h"

namespace Tessar {

namespace {

int ClampInt(int64_t value) {
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

// A nonzero size clamped below by min and above by max (when max > 0).
int64_t ClampToBounds(int64_t size, int minSize, int maxSize) {
    if (size < minSize) size = minSize;
    if (maxSize > 0 && size > maxSize) size = maxSize;
    return size;
}

void PlaceChild(VQControl* child, int64_t left, int64_t top, int64_t width, int64_t height) {
    child->SetPos(ClampInt(left), ClampInt(top), ClampInt(left + width), ClampInt(top + height));
}

}  // namespace

void VQContainer::SetPos(int left, int top, int right, int bottom) {
    VQControl::SetPos(left, top, right, bottom);
    switch (m_layoutType) {
    case LayoutHorizontal: ArrangeHorizontal(); break;
    case LayoutVertical: ArrangeVertical(); break;
    default: ArrangeStacked(); break;
    }
}

void VQHorizontalLayout::SetPos(int left, int top, int right, int bottom) {
    VQControl::SetPos(left, top, right, bottom);
    ArrangeHorizontal();
}

void VQVerticalLayout::SetPos(int left, int top, int right, int bottom) {
    VQControl::SetPos(left, top, right, bottom);
    ArrangeVertical();
}

void VQContainer::ArrangeVertical() {
    RECT rc = GetClientArea();
    if (m_children.empty()) {
        ProcessScrollBar(rc, 0, 0);
        return;
    }
    const int64_t clientWidth = int64_t(rc.right) - rc.left;
    const int64_t clientHeight = int64_t(rc.bottom) - rc.top;
    const int64_t widthAvail = clientWidth + (IsBarVisible(m_horizontalBar) ? m_horizontalBar->GetScrollRange() : 0);
    const int widthArg = ClampInt(widthAvail);

    int adjustables = 0, count = 0;
    int64_t fixedTotal = 0, largestWidth = 0;
    for (VQControl* child : m_children) {
        if (!child->IsVisible() || IsFloating(child)) continue;
        RECT margin = child->GetPadding();
        SIZE size = child->GetFixedSize(widthArg, ClampInt(clientHeight));
        int64_t height = size.cy;
        if (height != 0)
            height = ClampToBounds(height, child->GetMinHeight(), child->GetMaxHeight());
        else
            ++adjustables;
        largestWidth = std::max<int64_t>(largestWidth, size.cx);
        fixedTotal += int64_t(margin.top) + margin.bottom + height;
        ++count;
    }
    if (count > 0) fixedTotal += int64_t(m_childPadding) * (count - 1);
    int64_t share = adjustables > 0 ? std::max<int64_t>(0, (clientHeight - fixedTotal) / adjustables) : 0;

    int64_t remaining = clientHeight;
    int64_t y = rc.top - (IsBarVisible(m_verticalBar) ? m_verticalBar->GetScrollPos() : 0);
    const int64_t x0 = rc.left - (IsBarVisible(m_horizontalBar) ? m_horizontalBar->GetScrollPos() : 0);
    int adjustSeen = 0;
    int64_t used = 0;
    for (size_t i = 0; i < m_children.size(); ++i) {
        VQControl* child = m_children[i];
        if (!child->IsVisible()) continue;
        if (IsFloating(child)) {
            SetFloatPos(child, m_itemRect);
            continue;
        }
        RECT margin = child->GetPadding();
        remaining -= int64_t(margin.top) + margin.bottom;
        SIZE size = child->GetFixedSize(widthArg, ClampInt(remaining));
        int64_t height = size.cy;
        // The height asked for is taken off before the bounds apply, though
        // the first pass counted the bounded one: skins are laid out against
        // this arithmetic (it gives the last adjustable child the difference).
        fixedTotal -= height + margin.top + margin.bottom;
        if (height == 0) {
            ++adjustSeen;
            height = adjustSeen == adjustables ? std::max<int64_t>(0, remaining - fixedTotal) : share;
        }
        // A negative height stays at 0 (the lower bound is never negative).
        height = ClampToBounds(height, child->GetMinHeight(), child->GetMaxHeight());
        int64_t width = size.cx;
        if (width < 0) width = 0;
        if (width == 0) width = std::max<int64_t>(0, widthAvail - margin.left - margin.right);
        width = ClampToBounds(width, child->GetMinWidth(), child->GetMaxWidth());
        PlaceChild(child, x0 + margin.left, y + margin.top, width, height);
        fixedTotal -= m_childPadding;
        remaining -= int64_t(m_childPadding) + height;
        used += height + margin.top + margin.bottom;
        y += int64_t(m_childPadding) + height + margin.top + margin.bottom;
    }
    ProcessScrollBar(rc, ClampInt(largestWidth), ClampInt(int64_t(m_childPadding) * (count - 1) + used));
}

void VQContainer::ArrangeHorizontal() {
    RECT rc = GetClientArea();
    if (m_children.empty()) {
        ProcessScrollBar(rc, 0, 0);
        return;
    }
    const int64_t clientWidth = int64_t(rc.right) - rc.left;
    const int64_t clientHeight = int64_t(rc.bottom) - rc.top;
    const int64_t widthAvail = clientWidth + (IsBarVisible(m_horizontalBar) ? m_horizontalBar->GetScrollRange() : 0);

    int adjustables = 0, count = 0;
    int64_t fixedTotal = 0, largestHeight = 0;
    for (VQControl* child : m_children) {
        if (!child->IsVisible() || IsFloating(child)) continue;
        RECT margin = child->GetPadding();
        SIZE size = child->GetFixedSize(ClampInt(widthAvail), ClampInt(clientHeight));
        int64_t width = size.cx;
        if (width != 0)
            width = ClampToBounds(width, child->GetMinWidth(), child->GetMaxWidth());
        else
            ++adjustables;
        largestHeight = std::max<int64_t>(largestHeight, size.cy);
        fixedTotal += int64_t(margin.left) + margin.right + width;
        ++count;
    }
    if (count > 0) fixedTotal += int64_t(m_childPadding) * (count - 1);
    int64_t share = adjustables > 0 ? std::max<int64_t>(0, (clientWidth - fixedTotal) / adjustables) : 0;

    int64_t remaining = clientWidth;
    int64_t x = rc.left - (IsBarVisible(m_horizontalBar) ? m_horizontalBar->GetScrollPos() : 0);
    const int64_t y0 = rc.top;
    int adjustSeen = 0;
    int64_t used = 0;
    for (size_t i = 0; i < m_children.size(); ++i) {
        VQControl* child = m_children[i];
        if (!child->IsVisible()) continue;
        if (IsFloating(child)) {
            SetFloatPos(child, rc);
            continue;
        }
        RECT margin = child->GetPadding();
        SIZE size = child->GetFixedSize(ClampInt(remaining), ClampInt(clientHeight));
        remaining -= int64_t(margin.left) + margin.right;
        int64_t width = size.cx;
        // The width asked for is taken off before the bounds apply, though
        // the first pass counted the bounded one: skins are laid out against
        // this arithmetic (it gives the last adjustable child the difference).
        fixedTotal -= width + margin.left + margin.right;
        if (width == 0) {
            ++adjustSeen;
            width = adjustSeen == adjustables ? std::max<int64_t>(0, remaining - fixedTotal) : share;
        }
        // A negative width stays at 0 (the lower bound is never negative).
        width = ClampToBounds(width, child->GetMinWidth(), child->GetMaxWidth());
        int64_t height = size.cy;
        if (height < 0) height = 0;
        if (height == 0) height = std::max<int64_t>(0, clientHeight - margin.top - margin.bottom);
        height = ClampToBounds(height, child->GetMinHeight(), child->GetMaxHeight());
        PlaceChild(child, x + margin.left, y0 + margin.top, width, height);
        fixedTotal -= m_childPadding;
        remaining -= int64_t(m_childPadding) + width;
        used += width + margin.left + margin.right;
        x += int64_t(m_childPadding) + width + margin.left + margin.right;
    }
    ProcessScrollBar(rc, ClampInt(int64_t(m_childPadding) * (count - 1) + used), ClampInt(largestHeight));
}

void VQContainer::ArrangeStacked() {
    RECT rc = GetClientArea();
    const bool vbar = IsBarVisible(m_verticalBar), hbar = IsBarVisible(m_horizontalBar);
    const int64_t x0 = rc.left - (hbar ? m_horizontalBar->GetScrollPos() : 0);
    const int64_t y0 = rc.top - (vbar ? m_verticalBar->GetScrollPos() : 0);
    const int64_t widthAvail = int64_t(rc.right) - rc.left + (hbar ? m_horizontalBar->GetScrollRange() : 0);
    const int64_t heightAvail = int64_t(rc.bottom) - rc.top + (vbar ? m_verticalBar->GetScrollRange() : 0);
    int64_t largestWidth = 0, largestHeight = 0;
    for (size_t i = 0; i < m_children.size(); ++i) {
        VQControl* child = m_children[i];
        if (!child->IsVisible()) continue;
        if (IsFloating(child)) {
            SetFloatPos(child, rc);
            continue;
        }
        RECT margin = child->GetPadding();
        SIZE size = child->GetFixedSize(rc.right - rc.left, rc.bottom - rc.top);
        int64_t width = size.cx, height = size.cy;
        if (width == 0) width = widthAvail - margin.right;
        if (height == 0) height = heightAvail - margin.top - margin.bottom;
        PlaceChild(child, x0 + margin.left, y0 + margin.top, width, height);
        largestWidth = std::max(largestWidth, width);
        largestHeight = std::max(largestHeight, height);
    }
    ProcessScrollBar(rc, ClampInt(largestWidth), ClampInt(largestHeight));
}

void VQContainer::SetFloatPos(VQControl* child, const RECT& rect) {
    if (!child || !child->IsVisible()) return;
    POINT xy = child->GetFixedXY();
    const int64_t width = child->GetFixedWidth(), height = child->GetFixedHeight();
    RECT margin = child->GetPadding();
    int64_t left, top, right, bottom;
    if (child->IsFloat()) {
        left = int64_t(rect.left) + xy.x;
        top = int64_t(rect.top) + xy.y;
        right = width != 0 ? left + width : int64_t(rect.right) + xy.x;
        bottom = height != 0 ? top + height : int64_t(rect.bottom) + xy.y;
    } else if (child->IsRelFloat()) {
        left = int64_t(rect.left) + xy.x;
        top = int64_t(rect.top) + xy.y;
        right = width != 0 ? left + width : rect.right;
        bottom = height != 0 ? top + height : rect.bottom;
    } else {
        left = xy.x;
        top = xy.y;
        right = width != 0 ? left + width : rect.right;
        bottom = height != 0 ? top + height : rect.bottom;
    }
    child->SetPos(ClampInt(left + margin.left), ClampInt(top + margin.top), ClampInt(right - margin.right),
                  ClampInt(bottom - margin.bottom));
}

void VQContainer::ProcessScrollBar(const RECT& client, int requiredWidth, int requiredHeight) {
    bool relayout = false;
    if (m_verticalBar) {
        const int clientHeight = client.bottom - client.top;
        if (clientHeight < requiredHeight) {
            if (!m_verticalBar->IsVisible()) {
                m_verticalBar->SetVisible(true);
                m_verticalBar->SetScrollRange(requiredHeight - clientHeight);
                m_verticalBar->SetScrollPos(0);
                relayout = true;
            } else {
                m_verticalBar->SetScrollRange(requiredHeight - clientHeight);
            }
            m_verticalBar->SetPos(client.right, client.top, client.right + m_verticalBar->GetFixedWidth(),
                                  client.bottom);
        } else if (m_verticalBar->IsVisible()) {
            m_verticalBar->SetVisible(false);
            m_verticalBar->SetScrollRange(0);
            m_verticalBar->SetScrollPos(0);
            relayout = true;
        }
    }
    if (m_horizontalBar) {
        const int clientWidth = client.right - client.left;
        if (clientWidth < requiredWidth) {
            if (!m_horizontalBar->IsVisible()) {
                m_horizontalBar->SetVisible(true);
                m_horizontalBar->SetScrollRange(requiredWidth - clientWidth);
                m_horizontalBar->SetScrollPos(0);
                relayout = true;
            } else {
                m_horizontalBar->SetScrollRange(requiredWidth - clientWidth);
            }
            m_horizontalBar->SetPos(client.left, client.bottom, client.right,
                                    client.bottom + m_horizontalBar->GetFixedHeight());
        } else if (m_horizontalBar->IsVisible()) {
            m_horizontalBar->SetVisible(false);
            m_horizontalBar->SetScrollRange(0);
            m_horizontalBar->SetScrollPos(0);
            relayout = true;
        }
    }
    // Showing or hiding a bar changes the client area: lay out once more.
    // The depth limit keeps a size that toggles a bar on and off from recursing without end.
    if (relayout && m_relayoutDepth < 4) {
        ++m_relayoutDepth;
        SetPos(m_itemRect.left, m_itemRect.top, m_itemRect.right, m_itemRect.bottom);
        --m_relayoutDepth;
    }
}

}  // namespace Tessar
