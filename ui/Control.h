#pragma once
// The base of every windowless control: a rectangle inside a host window,
// laid out by its parent container, fed with events by the window's paint
// manager and reporting to the window through notifications.

#include <windows.h>

#include <bitset>
#include <cstdint>
#include <string>

#include "ui/Animation.h"
#include "ui/Event.h"

namespace Tessar {

class VQPaintManager;

enum VQControlType {
    ControlTypeControl = 1,
    ControlTypeMenu = 2,
    ControlTypeMenuElement = 3,
    ControlTypeContainer = 4,
    ControlTypeButton = 5,
    ControlTypeLabel = 6,
    ControlTypeProgress = 7,
    ControlTypeEdit = 8,
    ControlTypeOption = 9,
    ControlTypeRichEdit = 10,
    ControlTypeScrollBar = 11,
    ControlTypeTab = 12,
    ControlTypeTabItem = 13,
    ControlTypeActiveX = 14,
    ControlTypeCombo = 15,
    ControlTypeComboElement = 16,
};

// Control state word.
enum VQControlState {
    StateFocused = 1,
    StateSelected = 2,
    StateDisabled = 4,
    StateHot = 8,
    StatePushed = 16,
    StatePressed = 64,
};

// Bits of the "flags" set.
enum VQControlFlag {
    FlagSetCursor = 1,
    FlagEnterRollText = 2,
    FlagTabStop = 3,
};

// Search flags of FindControl.
enum VQFindFlags : unsigned {
    FindVisible = 1,
    FindEnabled = 2,
    FindHitTest = 4,
    FindLastFirst = 8,
    FindMeFirst = 0x80000000u,
};

// Format bit 8: containers paint topmost children last.
const unsigned FormatTopmost = 8;

// Per-state table indices: five-entry tables (fonts, text colours, text
// paddings) and six-entry tables (images, background colours).
enum VQTextStateIndex { TextNormal, TextHot, TextPushed, TextSelected, TextDisabled, TextStateCount };
enum VQImageStateIndex { ImageNormal, ImageHot, ImagePushed, ImageSelected, ImageFocused, ImageDisabled, ImageStateCount };

typedef VQControl* (*VQFindControlProc)(VQControl* control, void* data);

class VQControl : public VQAnimation {
public:
    VQControl();
    // Lets the manager forget this control first.
    ~VQControl() override;

    void AnimateBit1() override;
    void NotifyAnimationStep() override;
    void AnimateFrames() override;
    void AnimateOffset() override;

    virtual int GetX() const { return m_itemRect.left; }
    virtual int GetY() const { return m_itemRect.top; }
    virtual int GetWidth() const { return m_itemRect.right - m_itemRect.left; }
    virtual int GetHeight() const { return m_itemRect.bottom - m_itemRect.top; }
    // Bit sets: a position at or past the set's size throws std::out_of_range.
    virtual bool TestFlag(int bit) const;
    virtual void SetFlag(int bit, bool on);
    virtual bool TestNotifyBit(int bit) const;
    virtual void SetNotifyBit(int bit, bool on);
    virtual bool TestDispatchBit(int bit) const;
    virtual void SetDispatchBit(int bit, bool on);
    virtual int GetControlType() const { return ControlTypeControl; }
    virtual VQControl* GetInterface(int type);
    virtual VQControl* FindControl(VQFindControlProc proc, void* data, unsigned flags);
    virtual void DoEvent(VQEvent& event);
    virtual void OnMouseEnter(VQEvent& event);
    virtual void OnMouseHover(VQEvent& event);
    virtual void OnMouseLeave(VQEvent& event);
    virtual void OnMouseMove(VQEvent& event);
    virtual void OnMouseWheel(VQEvent& event);
    virtual void OnSetFocus(VQEvent& event);
    virtual void OnKillFocus(VQEvent& event);
    virtual void OnSetCursor(VQEvent& event);
    virtual void OnTimer(VQEvent& event);
    virtual void OnContextMenu(VQEvent& event);
    virtual void OnRButtonDown(VQEvent& event);
    virtual void OnLButtonDown(VQEvent& event);
    virtual void OnLButtonUp(VQEvent& event);
    virtual void OnLButtonDblClk(VQEvent& event);
    virtual void OnKeyDown(VQEvent& event);
    virtual void OnKeyUp(VQEvent& event);
    virtual void OnChar(VQEvent& event);
    virtual void OnSysKeyDown(VQEvent& event);
    virtual bool Activate(VQEvent& event);
    virtual RECT GetPadding() const { return m_padding; }
    virtual void SetPadding(int left, int top, int right, int bottom);
    // The base answers its fixed width and height; subclasses may measure.
    virtual SIZE GetFixedSize(int availableWidth, int availableHeight);
    // Draws an image description with the item rectangle as destination and
    // the paint rectangle as clip; false when the image could not be drawn.
    virtual bool DrawImage(HDC hdc, const std::wstring& image, const wchar_t* modify = nullptr);
    // Clips to the item rectangle and runs the five paint steps, each
    // picking its colour, image, padding or font by state priority.
    virtual void DoPaint(HDC hdc, const RECT& paintRect);
    virtual void PaintBkColor(HDC hdc);
    virtual void PaintBkImage(HDC hdc);
    virtual void PaintStatusImage(HDC hdc);
    virtual void PaintText(HDC hdc);
    virtual void PaintBorder(HDC hdc);
    virtual RECT GetPos() const { return m_itemRect; }
    virtual void SetPos(int left, int top, int right, int bottom);
    virtual RECT GetCut() const { return m_cut; }
    virtual void SetCut(int left, int top, int right, int bottom);
    virtual bool IsVisible() const { return m_visible; }
    virtual void SetVisible(bool visible);
    virtual void SetParent(VQControl* parent) { m_parent = parent; }
    virtual VQControl* GetParent() const { return m_parent; }
    virtual int GetFixedWidth() const { return m_fixedWidth; }
    virtual void SetFixedWidth(int width);
    virtual int GetFixedHeight() const { return m_fixedHeight; }
    virtual void SetFixedHeight(int height);
    virtual POINT GetFixedXY() const;
    virtual void SetFixedXY(int x, int y);
    virtual int GetMinWidth() const { return m_minWidth; }
    virtual void SetMinWidth(int width);
    virtual int GetMaxWidth() const { return m_maxWidth; }
    virtual void SetMaxWidth(int width);
    virtual int GetMinHeight() const { return m_minHeight; }
    virtual void SetMinHeight(int height);
    virtual int GetMaxHeight() const { return m_maxHeight; }
    virtual void SetMaxHeight(int height);
    virtual bool IsEnabled() const { return m_enabled; }
    virtual void SetEnabled(bool enabled);
    virtual VQPaintManager* GetManager() const { return m_manager; }
    virtual void SetManager(VQPaintManager* manager) { m_manager = manager; }
    virtual void DoInit() {}
    virtual bool IsFloat() const { return m_float; }
    virtual void SetFloat(bool on);
    virtual bool IsAbsFloat() const { return m_absFloat; }
    virtual void SetAbsFloat(bool on);
    virtual bool IsRelFloat() const { return m_relFloat; }
    virtual void SetRelFloat(bool on);
    virtual std::wstring GetToolTip() const { return m_toolTip; }
    // The window shows its own tooltip for this control (markup "customtooltip").
    bool IsCustomToolTip() const { return m_customToolTip; }
    virtual void SetToolTip(const std::wstring& text) { m_toolTip = text; }
    virtual std::wstring GetText() const { return m_text; }
    virtual void SetText(const std::wstring& text);
    virtual std::wstring GetName() const { return m_name; }
    virtual void SetName(const std::wstring& name) { m_name = name; }
    virtual int GetId() const { return m_id; }
    virtual void SetId(int id) { m_id = id; }
    virtual void SetAttribute(const std::wstring& name, const std::wstring& value);
    virtual bool IsFocused() const { return m_focused; }
    virtual void SetFocus();
    virtual std::wstring GetUserData() const { return m_userData; }
    virtual void SetUserData(const std::wstring& text) { m_userData = text; }
    virtual int GetTag() const { return m_tag; }
    virtual void SetTag(int tag) { m_tag = tag; }
    virtual wchar_t GetShortcut() const { return m_shortcut; }
    virtual void SetShortcut(wchar_t ch) { m_shortcut = ch; }
    virtual void SetNormalTextColor(uint32_t color) { m_textColors[TextNormal] = color; }
    virtual uint32_t GetNormalTextColor() const { return m_textColors[TextNormal]; }
    virtual void SetHotTextColor(uint32_t color) { m_textColors[TextHot] = color; }
    virtual uint32_t GetHotTextColor() const { return m_textColors[TextHot]; }
    virtual void SetPushedTextColor(uint32_t color) { m_textColors[TextPushed] = color; }
    virtual uint32_t GetPushedTextColor() const { return m_textColors[TextPushed]; }
    virtual void SetSelectedTextColor(uint32_t color) { m_textColors[TextSelected] = color; }
    virtual uint32_t GetSelectedTextColor() const { return m_textColors[TextSelected]; }
    virtual void SetDisabledTextColor(uint32_t color) { m_textColors[TextDisabled] = color; }
    virtual uint32_t GetDisabledTextColor() const { return m_textColors[TextDisabled]; }

    // The native child window the control shows, if any; the paint manager
    // finds controls by it (focus and pre-translation follow it). An edit
    // answers the window it opens while editing.
    virtual HWND GetNativeHandle() const { return nullptr; }

    // Repaints the highest ancestor still waiting for layout, or this one.
    void Invalidate();
    void NeedUpdate();
    void NeedParentUpdate();
    bool IsUpdateNeeded() const { return m_needUpdate; }
    // name="value" pairs separated by single spaces; stops at malformed text.
    void ApplyAttributeList(const std::wstring& list);

    // Read by the render steps and the paint manager.
    bool m_spaceReturn = false;
    bool m_capture = false;
    bool m_caption = false;
    std::wstring m_fonts[TextStateCount];
    uint32_t m_textColors[TextStateCount] = {0xFF000000, 0, 0, 0, 0};
    RECT m_textPaddings[TextStateCount] = {};
    std::wstring m_bkImages[ImageStateCount];
    std::wstring m_stateImages[ImageStateCount];
    uint32_t m_bkColors[ImageStateCount] = {};
    unsigned m_textStyle = 0;
    int m_rowHeight = 0;
    unsigned m_format = 0;
    bool m_layeredBk = false;
    bool m_customToolTip = false;
    uint32_t m_borderColor = 0;
    int m_borderSize = 1;
    SIZE m_roundCorner = {0, 0};
    unsigned m_state = 0;
    int m_toolTipDelay = 0;
    bool m_hasBeenHover = false;
    RECT m_paintRect = {};

protected:
    // Sends `type` through the manager when the notify bit of that number is set.
    void NotifyIfWanted(int type, const VQEvent& event);
    // Hands the event to the parent's handler of the same slot when the
    // dispatch bit of its type is set.
    bool ShouldForward(int dispatchBit) const;
    bool PointInItem(POINT pt) const;

    int m_id = 0;
    int m_tag = 0;
    std::wstring m_userData;
    wchar_t m_shortcut = 0;
    std::wstring m_name;
    std::wstring m_text;
    std::wstring m_toolTip;
    bool m_float = false;
    bool m_relFloat = false;
    bool m_absFloat = false;
    bool m_focused = false;
    bool m_enabled = true;
    RECT m_padding = {};
    int m_fixedX = 0;
    int m_fixedY = 0;
    int m_fixedWidth = 0;
    int m_fixedHeight = 0;
    int m_minWidth = 0;
    int m_minHeight = 0;
    int m_maxWidth = 0;
    int m_maxHeight = 0;
    bool m_visible = true;
    RECT m_itemRect = {};
    RECT m_cut = {};
    VQControl* m_parent = nullptr;
    bool m_needUpdate = false;
    VQPaintManager* m_manager = nullptr;
    std::bitset<4> m_flags;
    std::bitset<22> m_notify;
    std::bitset<20> m_dispatch;
};

}  // namespace Tessar
