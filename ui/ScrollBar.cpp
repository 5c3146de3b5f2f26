#include "ui/ScrollBar.h"

#include "ui/Container.h"
#include "ui/MarkupValue.h"

namespace Tessar {

VQScrollbar::VQScrollbar() {
    m_fixedWidth = 16;
}

VQControl* VQScrollbar::GetInterface(int type) {
    if (type == ControlTypeScrollBar) return this;
    return VQControl::GetInterface(type);
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

void VQScrollbar::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"hor")
        SetHorizontal(ParseMarkupBool(value));
    else if (name == L"linesize")
        m_lineSize = ParseMarkupInt(value);
    else if (name == L"range")
        SetScrollRange(ParseMarkupInt(value));
    else if (name == L"value")
        SetScrollPos(ParseMarkupInt(value));
    else
        VQControl::SetAttribute(name, value);
}

}  // namespace Tessar
