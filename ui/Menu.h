#pragma once
// Pop-up menus: VQMenu is the item list shown in a VQMenuWnd, VQMenuElement
// one item. An item that holds further items opens them in a second pop-up
// beside it; a click on an item posts WM_COMMAND with its id, which climbs
// menu window by menu window to the owner.

#include "ui/Layouts.h"
#include "ui/Option.h"

namespace Tessar {

class VQMenuWnd;

class VQMenu : public VQVerticalLayout {
public:
    int GetControlType() const override { return ControlTypeMenu; }
    VQControl* GetInterface(int type) override;
    // Only menu elements are accepted.
    bool Add(VQControl* control) override;
    bool Remove(VQControl* control) override;
    int GetItemIndex(VQControl* control) const override;
    // The visible items' size plus the inset.
    SIZE GetFixedSize(int availableWidth, int availableHeight) override;
    void DoInit() override {}

    virtual bool AddMenuAt(VQControl* control, int index);
    virtual bool SetMenuItemIndex(VQControl* control, int index);

    SIZE EstimateSize(int availableWidth, int availableHeight) { return GetFixedSize(availableWidth, availableHeight); }
};

class VQMenuElement : public VQOption {
public:
    int GetControlType() const override { return ControlTypeMenuElement; }
    VQControl* GetInterface(int type) override;
    // Paints the item and its own parts, never its sub-items.
    void DoPaint(HDC hdc, const RECT& paintRect) override;
    VQControl* FindControl(VQFindControlProc proc, void* data, unsigned flags) override;
    void OnMouseEnter(VQEvent& event) override;
    void OnLButtonUp(VQEvent& event) override;

    // Opens the sub-items in a pop-up beside the item.
    void OpenSubMenu();
    bool HasSubItems() const;
    VQMenuWnd* GetSubMenu() const { return m_subMenu; }
    void SetSubMenu(VQMenuWnd* window) { m_subMenu = window; }
    VQMenu* GetOwnerMenu() const { return m_ownerMenu; }
    void SetOwnerMenu(VQMenu* menu) { m_ownerMenu = menu; }
    // The pop-up the item is shown in.
    HWND GetMenuWindow() const;

private:
    VQMenuWnd* m_subMenu = nullptr;
    VQMenu* m_ownerMenu = nullptr;
};

}  // namespace Tessar
