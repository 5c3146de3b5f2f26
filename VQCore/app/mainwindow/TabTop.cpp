#include "VQCore/app/mainwindow/TabTop.h"

#include <cwchar>

#include "common/FormatText.h"
#include "ui/PaintManager.h"
#include "ui/TabCtrl.h"

namespace Tessar {

void VQTabTop::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"itemwidth") {
        m_itemWidth = _wtoi(value.c_str());
    } else if (name == L"itemchildpadding") {
        m_itemChildPadding = _wtoi(value.c_str());
    } else if (name == L"imagecorner") {
        // Five numbers, each followed by one separator character.
        const wchar_t* p = value.c_str();
        for (int i = 0; i < 5; ++i) {
            wchar_t* end = nullptr;
            m_corner[i] = static_cast<int>(std::wcstol(p, &end, 10));
            if (!end || *end == L'\0') break;
            p = end + 1;
        }
    } else {
        VQControl::SetAttribute(name, value);
    }
}

void VQTabTop::SetSelectedIndex(int index) {
    if (index == m_selected) return;
    m_selected = index;
    Invalidate();
}

bool FollowSelectedTab(VQPaintManager& manager, const wchar_t* stripName, const VQTabCtrl& tabs) {
    VQTabTop* strip = dynamic_cast<VQTabTop*>(manager.FindControlByName(stripName));
    if (strip == nullptr) return false;
    const VQControl* selected = tabs.GetSelectedItem();
    for (int i = 0; i < tabs.GetCount(); ++i)
        if (tabs.GetItemAt(i) == selected) strip->SetSelectedIndex(i);
    return true;
}

void VQTabTop::BuildPieces(std::wstring pieces[3]) const {
    const int H = GetHeight(), W = GetWidth();
    const int s = m_selected, w = m_itemWidth, p = m_itemChildPadding;
    const int a = m_corner[0], b = m_corner[1], c = m_corner[2], d = m_corner[3], e = m_corner[4];
    const int x = (w + p) * s;
    const std::wstring& N = m_stateImages[ImageNormal];
    pieces[0] = N + FormatString(L" source='0,0,%d,%d' dest='0,0,%d,%d' corner='%d,0,0,0'", a, H, x, H, a - 1);
    if (x == 0)
        pieces[1] = N + FormatString(L" source='0,%d,%d,%d' dest='%d,%d,%d,%d' corner='%d,0,0,0'", d, a + b, d + e, 0,
                                     H - e, w, H, a - 1);
    else
        pieces[1] = N + FormatString(L" source='%d,%d,%d,%d' dest='%d,%d,%d,%d'", a, d, a + b, d + e, x, H - e, x + w, H);
    pieces[2] = N + FormatString(L" source='%d,0,%d,%d' dest='%d,0,%d,%d' corner='0,0,%d,0'", c, c + a, H,
                                 (s + 1) * w + s * p, W, H, a - 1);
}

void VQTabTop::PaintStatusImage(HDC hdc) {
    if (m_stateImages[ImageNormal].empty()) return;
    std::wstring pieces[3];
    BuildPieces(pieces);
    for (const std::wstring& piece : pieces) DrawImage(hdc, piece);
}

}  // namespace Tessar
