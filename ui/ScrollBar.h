#pragma once
// The scroll bar's range, position and line size, which its owner
// container reads and sets while laying out and scrolling. The bar's
// parts, mouse handling and painting come with the scroll bar control.

#include "ui/Control.h"

namespace Tessar {

class VQContainer;

class VQScrollbar : public VQControl {
public:
    VQScrollbar();

    int GetControlType() const override { return ControlTypeScrollBar; }
    VQControl* GetInterface(int type) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;

    void SetOwner(VQContainer* owner) { m_owner = owner; }
    VQContainer* GetOwner() const { return m_owner; }
    bool IsHorizontal() const { return m_horizontal; }
    void SetHorizontal(bool horizontal);
    int GetScrollRange() const { return m_range; }
    // Never below 0; lowers the position to the range when above it.
    void SetScrollRange(int range);
    int GetScrollPos() const { return m_position; }
    // Kept in 0..range.
    void SetScrollPos(int position);
    int GetLineSize() const { return m_lineSize; }

private:
    bool m_horizontal = false;
    int m_range = 100;
    int m_position = 0;
    int m_lineSize = 8;
    VQContainer* m_owner = nullptr;
};

}  // namespace Tessar
