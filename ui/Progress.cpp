#include "ui/Progress.h"

#include <cwchar>

#include "ui/MarkupValue.h"

namespace Tessar {

VQControl* VQProgress::GetInterface(int type) {
    if (type == ControlTypeProgress) return this;
    return VQControl::GetInterface(type);
}

void VQProgress::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"foreinset") {
        m_foreInset = ParseMarkupRect(value);
    } else if (name == L"step") {
        int step = ParseMarkupInt(value);
        if (step < 1) step = 1;
        if (step > m_max) step = m_max;
        if (step != m_step) {
            m_step = step;
            Invalidate();
        }
    } else {
        VQControl::SetAttribute(name, value);
    }
}

void VQProgress::SetValue(int value) {
    if (value < m_min) value = m_min;
    if (value > m_max) value = m_max;
    if (value == m_value) return;
    m_value = value;
    Invalidate();
}

int VQProgress::FillWidth(int innerWidth) const {
    // A maximum below 1 (or a step below 1) leaves no segments to divide by.
    if (m_step < 1 || m_max < 1) return 0;
    int segments = m_max / m_step;
    if (segments < 1) return 0;
    double fill = static_cast<double>(innerWidth) / segments * m_value;
    if (fill > innerWidth) fill = innerWidth;
    if (fill < 0) fill = 0;
    return static_cast<int>(fill);
}

std::wstring VQProgress::GetFillImage() const {
    const std::wstring& image = m_stateImages[ImageNormal];
    if (image.empty()) return image;
    int innerWidth = GetWidth() - m_foreInset.left - m_foreInset.right;
    int innerHeight = GetHeight() - m_foreInset.top - m_foreInset.bottom;
    wchar_t modifier[96];
    std::swprintf(modifier, sizeof(modifier) / sizeof(modifier[0]), L" dest='%d,%d,%d,%d'", m_foreInset.left,
                  m_foreInset.top, m_foreInset.left + FillWidth(innerWidth), m_foreInset.top + innerHeight);
    return image + modifier;
}

void VQProgress::PaintStatusImage(HDC hdc) {
    std::wstring image = GetFillImage();
    if (image.empty()) return;
    // An image that cannot be drawn is not tried again.
    if (!DrawImage(hdc, image)) m_stateImages[ImageNormal].clear();
}

}  // namespace Tessar
