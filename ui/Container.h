#pragma once
// A control that owns an ordered list of children and lays them out inside
// its item rectangle less an inset: layout type 1 left to right, 2 top to
// bottom, anything else stacked over the whole client area. Shows scroll
// bars when the content is larger than the client area.

#include <vector>

#include "ui/Control.h"

namespace Tessar {

class VQScrollbar;

enum VQLayoutType {
    LayoutStacked = 0,
    LayoutHorizontal = 1,
    LayoutVertical = 2,
};

class VQContainer : public VQControl {
public:
    VQContainer();
    // Deletes the children while auto destroy is set, and both bars.
    ~VQContainer() override;

    int GetControlType() const override { return ControlTypeContainer; }
    VQControl* GetInterface(int type) override;
    VQControl* FindControl(VQFindControlProc proc, void* data, unsigned flags) override;
    void OnMouseWheel(VQEvent& event) override;
    void OnKeyDown(VQEvent& event) override;
    void DoPaint(HDC hdc, const RECT& paintRect) override;
    void SetPos(int left, int top, int right, int bottom) override;
    void SetParent(VQControl* parent) override;
    void SetManager(VQPaintManager* manager) override;
    void DoInit() override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;

    virtual VQControl* GetItemAt(int index) const;
    virtual int GetItemIndex(VQControl* control) const;
    virtual bool SetItemIndex(VQControl* control, int index);
    virtual int GetCount() const { return static_cast<int>(m_children.size()); }
    virtual bool Add(VQControl* control);
    virtual bool AddAt(VQControl* control, int index);
    virtual bool Remove(VQControl* control);
    virtual bool RemoveAt(int index);
    virtual void RemoveAll();
    virtual bool IsAutoDestroy() const { return m_autoDestroy; }
    virtual void SetAutoDestroy(bool on) { m_autoDestroy = on; }
    virtual RECT GetInset() const { return m_inset; }
    virtual void SetInset(int left, int top, int right, int bottom);
    virtual int GetChildPadding() const { return m_childPadding; }
    virtual void EnableScrollBar(bool vertical, bool horizontal);
    virtual void SetChildPadding(int padding);
    virtual VQScrollbar* GetVerticalScrollBar() const { return m_verticalBar; }
    virtual VQScrollbar* GetHorizontalScrollBar() const { return m_horizontalBar; }
    virtual SIZE GetScrollPos() const;
    virtual SIZE GetScrollRange() const;
    virtual void SetScrollPos(SIZE pos);
    virtual void LineUp();
    virtual void LineDown();
    virtual void PageUp();
    virtual void PageDown();
    virtual void HomeUp();
    virtual void EndDown();
    virtual void LineLeft();
    virtual void LineRight();
    virtual void PageLeft();
    virtual void PageRight();
    virtual void HomeLeft();
    virtual void EndRight();
    virtual void SetLayoutType(int type) { m_layoutType = type; }
    virtual int GetLayoutType() const { return m_layoutType; }
    virtual void SetFloatPos(VQControl* child, const RECT& rect);
    virtual void ProcessScrollBar(const RECT& client, int requiredWidth, int requiredHeight);

    // Item rectangle less inset and visible bars.
    RECT GetClientArea() const;

protected:
    enum class LineAxis { Horizontal, Vertical };
    // Children one after another along the axis, the adjustable ones
    // sharing what the fixed ones leave.
    void ArrangeLine(LineAxis axis);
    void ArrangeStacked();
    bool IsBarVisible(const VQScrollbar* bar) const;

    std::vector<VQControl*> m_children;
    bool m_autoDestroy = true;
    RECT m_inset = {};
    int m_layoutType = LayoutStacked;
    int m_childPadding = 0;
    VQScrollbar* m_verticalBar = nullptr;
    VQScrollbar* m_horizontalBar = nullptr;
    int m_relayoutDepth = 0;
};

bool IsFloating(const VQControl* control);

}  // namespace Tessar
