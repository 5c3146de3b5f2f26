#pragma once
// A bar filled from its normal image in proportion to its value.

#include "ui/Control.h"

namespace Tessar {

class VQProgress : public VQControl {
public:
    VQProgress() {}

    int GetControlType() const override { return ControlTypeProgress; }
    VQControl* GetInterface(int type) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    // Draws the normal image over the filled part of the bar.
    void PaintStatusImage(HDC hdc) override;

    // Clamped to min..max; invalidates only when the value changes.
    void SetValue(int value);
    int GetValue() const { return m_value; }
    int GetStep() const { return m_step; }
    int GetMin() const { return m_min; }
    int GetMax() const { return m_max; }
    RECT GetForeInset() const { return m_foreInset; }
    // Width of the filled part for an inner width (the bar less its fore
    // inset); 0 when the bar has no segments.
    int FillWidth(int innerWidth) const;
    // The normal image with the destination of the filled part, relative
    // to the item rectangle; empty without a normal image.
    std::wstring GetFillImage() const;

private:
    int m_step = 1;
    int m_value = 0;
    int m_min = 0;
    int m_max = 100;
    RECT m_foreInset = {};
};

}  // namespace Tessar
