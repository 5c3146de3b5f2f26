#pragma once
// A scroll bar drawn entirely from skin images: two arrow buttons, a thumb
// with a centred grip ("rail") and a background. It holds a range and a
// position; clicks call its owner container's line and page operations and
// dragging the thumb sets the owner's scroll position. Without an owner the
// bar moves its own position.

#include "ui/Control.h"

namespace Tessar {

class VQContainer;

class VQScrollbar : public VQControl {
public:
    VQScrollbar();

    int GetControlType() const override { return ControlTypeScrollBar; }
    VQControl* GetInterface(int type) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    // Disabling also clears the three part states.
    void SetEnabled(bool enabled) override;
    // The owner's focus when there is an owner.
    void SetFocus() override;
    // Lays out the buttons and the thumb.
    void SetPos(int left, int top, int right, int bottom) override;
    void OnMouseEnter(VQEvent& event) override;
    void OnMouseLeave(VQEvent& event) override;
    void OnMouseMove(VQEvent& event) override;
    void OnLButtonDown(VQEvent& event) override;
    void OnLButtonUp(VQEvent& event) override;
    // Local id 10 repeats a held button or page step and follows a thumb drag.
    void OnTimer(VQEvent& event) override;
    void DoPaint(HDC hdc, const RECT& paintRect) override;

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
    void SetShowButton1(bool show);
    void SetShowButton2(bool show);

    RECT GetButton1Rect() const { return m_button1Rect; }
    RECT GetButton2Rect() const { return m_button2Rect; }
    RECT GetThumbRect() const { return m_thumbRect; }
    unsigned GetButton1State() const { return m_button1State; }
    unsigned GetButton2State() const { return m_button2State; }
    unsigned GetThumbState() const { return m_thumbState; }

    // The repeat timer's local id and interval.
    static const int kRepeatTimerId = 10;
    static const UINT kRepeatIntervalMs = 50;
    // Thumb state bit while the thumb is being dragged.
    static const unsigned kDragging = 64;

private:
    enum PartImage { PartNormal, PartHot, PartPushed, PartDisabled, PartImageCount };
    // Thickness along the cross axis: fixed height (horizontal) or width.
    int Thickness() const;
    void LineStep(bool forward);
    void PageStep(bool forward);
    // Page step when `pt` lies beyond the thumb; false when it does not.
    bool PageTowards(POINT pt);
    bool DrawPartImage(HDC hdc, const std::wstring& image, const wchar_t* modifier);
    void PaintPart(HDC hdc, unsigned& state, std::wstring (&images)[PartImageCount], const RECT* part);

    bool m_horizontal = false;
    int m_range = 100;
    int m_position = 0;
    int m_lineSize = 8;
    VQContainer* m_owner = nullptr;
    POINT m_dragStart = {0, 0};
    int m_dragStartPosition = 0;
    int m_dragDelta = 0;
    int m_repeatTicks = 0;
    std::wstring m_bkImages4[PartImageCount];
    bool m_showButton1 = true;
    RECT m_button1Rect = {};
    unsigned m_button1State = 0;
    std::wstring m_button1Images[PartImageCount];
    bool m_showButton2 = true;
    RECT m_button2Rect = {};
    unsigned m_button2State = 0;
    std::wstring m_button2Images[PartImageCount];
    RECT m_thumbRect = {};
    RECT m_barInset = {};
    unsigned m_thumbState = 0;
    std::wstring m_thumbImages[PartImageCount];
    std::wstring m_railImages[PartImageCount];
    std::wstring m_modifier;
};

}  // namespace Tessar
