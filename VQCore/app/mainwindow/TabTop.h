#pragma once
// The thin band above the page area with a notch under the selected page
// button, drawn from three pieces of one image.

#include <string>

#include "ui/Control.h"

namespace Tessar {

class VQPaintManager;
class VQTabCtrl;

class VQTabTop : public VQControl {
public:
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void PaintStatusImage(HDC hdc) override;

    // Repaints when the index changes.
    void SetSelectedIndex(int index);
    int GetSelectedIndex() const { return m_selected; }

    // The three image descriptions of the band for the current state, in
    // drawing order (left band, notch, right band).
    void BuildPieces(std::wstring pieces[3]) const;

private:
    int m_selected = 0;
    int m_itemWidth = 0;
    int m_itemChildPadding = 0;
    // Band width, notch width, x of the right band, y and height of the notch.
    int m_corner[5] = {};
};

// The main window's page buttons: the strip of that name (a VQTabTop; the
// layout may have none) marks the selected item of the tab control. False
// when there is no such strip.
bool FollowSelectedTab(VQPaintManager& manager, const wchar_t* stripName, const VQTabCtrl& tabs);

}  // namespace Tessar
