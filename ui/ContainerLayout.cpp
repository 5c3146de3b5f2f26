// The layouts of VQContainer (a line along either axis, and stacked),
// floating placement and the scroll bars' part in layout. Sums run in 64
// bits and positions are clamped to int, so huge sizes cannot overflow.
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

// The sides of sizes, margins and bounds along a layout line (the way its
// children follow one another) and across it.
struct LineSides {
    bool vertical;

    int64_t Along(SIZE size) const { return vertical ? size.cy : size.cx; }
    int64_t Across(SIZE size) const { return vertical ? size.cx : size.cy; }
    int64_t MarginsAlong(const RECT& m) const {
        return vertical ? int64_t(m.top) + m.bottom : int64_t(m.left) + m.right;
    }
    int64_t MarginsAcross(const RECT& m) const {
        return vertical ? int64_t(m.left) + m.right : int64_t(m.top) + m.bottom;
    }
    int64_t BoundAlong(const VQControl* c, int64_t size) const {
        return vertical ? ClampToBounds(size, c->GetMinHeight(), c->GetMaxHeight())
                        : ClampToBounds(size, c->GetMinWidth(), c->GetMaxWidth());
    }
    int64_t BoundAcross(const VQControl* c, int64_t size) const {
        return vertical ? ClampToBounds(size, c->GetMinWidth(), c->GetMaxWidth())
                        : ClampToBounds(size, c->GetMinHeight(), c->GetMaxHeight());
    }
    SIZE Size(int along, int across) const { return vertical ? SIZE{across, along} : SIZE{along, across}; }
};

void PlaceChild(VQControl* child, int64_t left, int64_t top, int64_t width, int64_t height) {
    child->SetPos(ClampInt(left), ClampInt(top), ClampInt(left + width), ClampInt(top + height));
}

}  // namespace

void VQContainer::SetPos(int left, int top, int right, int bottom) {
    VQControl::SetPos(left, top, right, bottom);
    switch (m_layoutType) {
    case LayoutHorizontal: ArrangeLine(LineAxis::Horizontal); break;
    case LayoutVertical: ArrangeLine(LineAxis::Vertical); break;
    default: ArrangeStacked(); break;
    }
}

void VQHorizontalLayout::SetPos(int left, int top, int right, int bottom) {
    VQControl::SetPos(left, top, right, bottom);
    ArrangeLine(LineAxis::Horizontal);
}

void VQVerticalLayout::SetPos(int left, int top, int right, int bottom) {
    VQControl::SetPos(left, top, right, bottom);
    ArrangeLine(LineAxis::Vertical);
}

void VQContainer::ArrangeLine(LineAxis axis) {
    const LineSides sides{axis == LineAxis::Vertical};
    const bool vertical = sides.vertical;
    RECT rc = GetClientArea();
    if (m_children.empty()) {
        ProcessScrollBar(rc, 0, 0);
        return;
    }
    const int64_t clientWidth = int64_t(rc.right) - rc.left;
    const int64_t clientHeight = int64_t(rc.bottom) - rc.top;
    const int64_t widthAvail = clientWidth + (IsBarVisible(m_horizontalBar) ? m_horizontalBar->GetScrollRange() : 0);
    const int64_t lineLength = vertical ? clientHeight : clientWidth;
    // Across a vertical line the children fill the width the horizontal bar
    // scrolls over; across a horizontal line, the client's height.
    const int64_t acrossAvail = vertical ? widthAvail : clientHeight;

    int adjustables = 0, count = 0;
    int64_t fixedTotal = 0, largestAcross = 0;
    for (VQControl* child : m_children) {
        if (!child->IsVisible() || IsFloating(child)) continue;
        RECT margin = child->GetPadding();
        SIZE size = child->GetFixedSize(ClampInt(widthAvail), ClampInt(clientHeight));
        int64_t length = sides.Along(size);
        if (length != 0)
            length = sides.BoundAlong(child, length);
        else
            ++adjustables;
        largestAcross = std::max<int64_t>(largestAcross, sides.Across(size));
        fixedTotal += sides.MarginsAlong(margin) + length;
        ++count;
    }
    if (count > 0) fixedTotal += int64_t(m_childPadding) * (count - 1);
    int64_t share = adjustables > 0 ? std::max<int64_t>(0, (lineLength - fixedTotal) / adjustables) : 0;

    int64_t remaining = lineLength;
    // Along the line the children scroll with the bar of that axis; across
    // it, only a vertical line scrolls (with the horizontal bar).
    int64_t along = vertical ? rc.top - (IsBarVisible(m_verticalBar) ? m_verticalBar->GetScrollPos() : 0)
                             : rc.left - (IsBarVisible(m_horizontalBar) ? m_horizontalBar->GetScrollPos() : 0);
    const int64_t across0 = vertical ? rc.left - (IsBarVisible(m_horizontalBar) ? m_horizontalBar->GetScrollPos() : 0)
                                     : rc.top;
    // Floating children of a vertical line are placed in the item
    // rectangle, those of a horizontal line in the client area.
    const RECT& floatArea = vertical ? m_itemRect : rc;
    int adjustSeen = 0;
    int64_t used = 0;
    for (size_t i = 0; i < m_children.size(); ++i) {
        VQControl* child = m_children[i];
        if (!child->IsVisible()) continue;
        if (IsFloating(child)) {
            SetFloatPos(child, floatArea);
            continue;
        }
        RECT margin = child->GetPadding();
        const int64_t marginsAlong = sides.MarginsAlong(margin);
        // A vertical line offers the length left after the child's margins,
        // a horizontal line the length before them.
        const int64_t offered = vertical ? remaining - marginsAlong : remaining;
        remaining -= marginsAlong;
        const SIZE ask = sides.Size(ClampInt(offered), ClampInt(acrossAvail));
        SIZE size = child->GetFixedSize(ask.cx, ask.cy);
        int64_t length = sides.Along(size);
        // The length asked for is taken off before the bounds apply, though
        // the first pass counted the bounded one: skins are laid out against
        // this arithmetic (it gives the last adjustable child the difference).
        fixedTotal -= length + marginsAlong;
        if (length == 0) {
            ++adjustSeen;
            length = adjustSeen == adjustables ? std::max<int64_t>(0, remaining - fixedTotal) : share;
        }
        // A negative length stays at 0 (the lower bound is never negative).
        length = sides.BoundAlong(child, length);
        int64_t thickness = sides.Across(size);
        if (thickness < 0) thickness = 0;
        if (thickness == 0) thickness = std::max<int64_t>(0, acrossAvail - sides.MarginsAcross(margin));
        thickness = sides.BoundAcross(child, thickness);
        if (vertical)
            PlaceChild(child, across0 + margin.left, along + margin.top, thickness, length);
        else
            PlaceChild(child, along + margin.left, across0 + margin.top, length, thickness);
        fixedTotal -= m_childPadding;
        remaining -= int64_t(m_childPadding) + length;
        used += length + marginsAlong;
        along += int64_t(m_childPadding) + length + marginsAlong;
    }
    const int lineNeeds = ClampInt(int64_t(m_childPadding) * (count - 1) + used);
    const int acrossNeeds = ClampInt(largestAcross);
    ProcessScrollBar(rc, vertical ? acrossNeeds : lineNeeds, vertical ? lineNeeds : acrossNeeds);
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
