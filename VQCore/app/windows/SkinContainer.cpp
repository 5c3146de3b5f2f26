#include "VQCore/app/windows/SkinContainer.h"

#include "ui/ScrollBar.h"

namespace Tessar {

VQControl* VQSkinContainer::GetInterface(int type) {
    if (type == ControlTypeSkinContainer || type == ControlTypeContainer || type == ControlTypeControl) return this;
    return nullptr;
}

void VQSkinContainer::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"itemwidth") m_itemWidth = _wtoi(value.c_str());
    else if (name == L"itemheight") m_itemHeight = _wtoi(value.c_str());
    else if (name == L"rowspacing") m_rowSpacing = _wtoi(value.c_str());
    else if (name == L"columnspacing") m_columnSpacing = _wtoi(value.c_str());
    else if (name == L"item") {
        m_itemAttributes = value;
        for (VQControl* child : m_children) child->ApplyAttributeList(value);
    } else {
        VQContainer::SetAttribute(name, value);
    }
}

bool VQSkinContainer::Add(VQControl* control) {
    if (!VQContainer::Add(control)) return false;
    control->SetDispatchBit(EventMouseWheel, true);
    control->ApplyAttributeList(m_itemAttributes);
    return true;
}

void VQSkinContainer::SetPos(int left, int top, int right, int bottom) {
    m_itemRect = {left, top, right, bottom};
    m_needUpdate = false;
    RECT area = {left + m_inset.left, top + m_inset.top, right - m_inset.right, bottom - m_inset.bottom};
    if (IsBarVisible(m_verticalBar)) area.right -= m_verticalBar->GetFixedWidth();
    if (IsBarVisible(m_horizontalBar)) area.bottom -= m_horizontalBar->GetFixedHeight();
    const SIZE scroll = GetScrollPos();
    const int startX = area.left - scroll.cx;
    int x = startX, y = area.top - scroll.cy;
    int rows = 0, height = 0;
    for (int i = 0; i < GetCount(); ++i) {
        VQControl* child = m_children[i];
        if (!child->IsVisible()) continue;
        if (IsFloating(child)) {
            SetFloatPos(child, area);
            continue;
        }
        const RECT pad = child->GetPadding();
        if (i % kColumns == 0) {
            ++rows;
            height += pad.top + pad.bottom + m_itemHeight;
        }
        child->SetPos(x + pad.left, y + pad.top, x + pad.left + m_itemWidth, y + pad.top + m_itemHeight);
        if ((i + 1) % kColumns == 0) {
            y += m_rowSpacing + m_itemHeight;
            x = startX;
        } else {
            x += m_columnSpacing + m_itemWidth;
        }
    }
    m_contentHeight = rows > 0 ? height + (rows - 1) * m_rowSpacing : 0;
    ProcessScrollBar(area, 0, m_contentHeight);
}

}  // namespace Tessar
