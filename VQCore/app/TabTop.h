#pragma once
// The thin band above the page area with a notch under the selected page
// button, drawn from three pieces of one image.

#include <string>

#include "ui/Control.h"

namespace Tessar {

class VQTabTop : public VQControl {
public:
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void PaintStatusImage(HDC hdc) override;

    void SetSelectedIndex(int index) { m_selected = index; }
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

}  // namespace Tessar
