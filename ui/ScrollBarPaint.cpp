// Scroll bar painting: background, the two buttons, the thumb and its grip,
// each from the image of its state.
#include "ui/ScrollBar.h"

#include <cwchar>

namespace Tessar {

void VQScrollbar::PaintPart(HDC hdc, unsigned& state, std::wstring (&images)[PartImageCount], const RECT* part) {
    if (IsEnabled())
        state &= ~StateDisabled;
    else
        state |= StateDisabled;
    m_modifier.clear();
    if (part != nullptr) {
        wchar_t text[96];
        std::swprintf(text, sizeof(text) / sizeof(text[0]), L"dest='%d,%d,%d,%d'", part->left - m_itemRect.left,
                      part->top - m_itemRect.top, part->right - m_itemRect.left, part->bottom - m_itemRect.top);
        m_modifier = text;
    }
    const wchar_t* modifier = m_modifier.empty() ? nullptr : m_modifier.c_str();
    int pick = PartNormal;
    if ((state & StateDisabled) && !images[PartDisabled].empty())
        pick = PartDisabled;
    else if ((state & StatePushed) && !images[PartPushed].empty())
        pick = PartPushed;
    else if ((state & StateHot) && !images[PartHot].empty())
        pick = PartHot;
    if (pick != PartNormal) {
        if (DrawPartImage(hdc, images[pick], modifier)) return;
        images[pick].clear();
    }
    if (!images[PartNormal].empty() && !DrawPartImage(hdc, images[PartNormal], modifier)) images[PartNormal].clear();
}

void VQScrollbar::DoPaint(HDC hdc, const RECT& paintRect) {
    if (!IsVisible()) return;
    RECT clip;
    if (!::IntersectRect(&clip, &paintRect, &m_itemRect)) return;
    m_paintRect = clip;
    PaintPart(hdc, m_thumbState, m_bkImages4, nullptr);
    PaintPart(hdc, m_button1State, m_button1Images, &m_button1Rect);
    PaintPart(hdc, m_button2State, m_button2Images, &m_button2Rect);
    PaintPart(hdc, m_thumbState, m_thumbImages, &m_thumbRect);
    if (m_thumbRect.left || m_thumbRect.top || m_thumbRect.right || m_thumbRect.bottom) {
        const int s = Thickness();
        RECT rail = m_thumbRect;
        if (m_horizontal) {
            rail.left = (m_thumbRect.left + m_thumbRect.right) / 2 - s / 2;
            rail.right = rail.left + s;
        } else {
            rail.top = (m_thumbRect.top + m_thumbRect.bottom) / 2 - s / 2;
            rail.bottom = rail.top + s;
        }
        PaintPart(hdc, m_thumbState, m_railImages, &rail);
    }
}

bool VQScrollbar::DrawPartImage(HDC hdc, const std::wstring& image, const wchar_t* modifier) {
    return DrawImage(hdc, image, modifier);
}

}  // namespace Tessar
