// VQMenu (the item list) and VQMenuElement (one item).
#include "ui/Menu.h"

#include "ui/MenuWnd.h"
#include "ui/PaintClip.h"
#include "ui/PaintManager.h"

namespace Tessar {

namespace {

bool IsMenuElement(VQControl* control) {
    return control && control->GetInterface(ControlTypeMenuElement) != nullptr;
}

}  // namespace

VQControl* VQMenu::GetInterface(int type) {
    if (type == ControlTypeMenu) return this;
    return VQVerticalLayout::GetInterface(type);
}

bool VQMenu::Add(VQControl* control) {
    return IsMenuElement(control) && VQVerticalLayout::Add(control);
}

bool VQMenu::Remove(VQControl* control) {
    return IsMenuElement(control) && VQVerticalLayout::Remove(control);
}

int VQMenu::GetItemIndex(VQControl* control) const {
    return IsMenuElement(control) ? VQVerticalLayout::GetItemIndex(control) : -1;
}

bool VQMenu::AddMenuAt(VQControl* control, int index) {
    return IsMenuElement(control) && VQVerticalLayout::AddAt(control, index);
}

bool VQMenu::SetMenuItemIndex(VQControl* control, int index) {
    return IsMenuElement(control) && VQVerticalLayout::SetItemIndex(control, index);
}

SIZE VQMenu::GetFixedSize(int availableWidth, int availableHeight) {
    long long width = 0, height = 0;
    int visible = 0;
    for (VQControl* item : m_children) {
        if (!item->IsVisible()) continue;
        SIZE size = item->GetFixedSize(availableWidth, availableHeight);
        RECT pad = item->GetPadding();
        if (size.cx > width) width = size.cx;
        height += static_cast<long long>(size.cy) + pad.top + pad.bottom;
        ++visible;
    }
    if (visible > 1) height += static_cast<long long>(visible - 1) * m_childPadding;
    width += m_inset.left + m_inset.right;
    height += m_inset.top + m_inset.bottom;
    SIZE size = {static_cast<LONG>(width > 0x7FFFFFFF ? 0x7FFFFFFF : width),
                 static_cast<LONG>(height > 0x7FFFFFFF ? 0x7FFFFFFF : height)};
    return size;
}

VQControl* VQMenuElement::GetInterface(int type) {
    if (type == ControlTypeMenuElement) return this;
    return VQOption::GetInterface(type);
}

bool VQMenuElement::HasSubItems() const {
    for (VQControl* child : m_children)
        if (IsMenuElement(child)) return true;
    return false;
}

HWND VQMenuElement::GetMenuWindow() const {
    return m_manager ? m_manager->GetPaintWindow() : nullptr;
}

void VQMenuElement::DoPaint(HDC hdc, const RECT& paintRect) {
    if (!Meets(paintRect, m_itemRect)) return;
    VQControl::DoPaint(hdc, paintRect);
    for (size_t i = 0; i < m_children.size(); ++i) {
        VQControl* child = m_children[i];
        if (!IsMenuElement(child)) child->DoPaint(hdc, paintRect);
    }
}

VQControl* VQMenuElement::FindControl(VQFindControlProc proc, void* data, unsigned flags) {
    if ((flags & FindVisible) && !IsVisible()) return nullptr;
    if ((flags & FindEnabled) && !IsEnabled()) return nullptr;
    if (flags & FindHitTest) {
        const POINT* pt = static_cast<const POINT*>(data);
        if (!pt || !::PtInRect(&m_itemRect, *pt)) return nullptr;
    }
    VQControl* result = nullptr;
    if ((flags & FindMeFirst) && (result = VQControl::FindControl(proc, data, flags))) return result;
    for (int i = 0; i < GetCount(); ++i) {
        VQControl* child = m_children[i];
        if (IsMenuElement(child)) continue;
        if ((result = child->FindControl(proc, data, flags))) return result;
    }
    return VQControl::FindControl(proc, data, flags);
}

void VQMenuElement::OnMouseEnter(VQEvent& event) {
    VQOption::OnMouseEnter(event);
    if (m_subMenu) return;
    if (HasSubItems())
        OpenSubMenu();
    else
        VQMenuWnd::CloseMenuWindows(GetMenuWindow(), CloseMenusBelow);
}

void VQMenuElement::OnLButtonUp(VQEvent& event) {
    // The press look ends with the button; a menu item is chosen, not toggled.
    if (m_state & (StatePushed | StatePressed)) {
        m_state &= ~(StatePushed | StatePressed);
        Invalidate();
    }
    if (!IsEnabled() || m_subMenu || !PointInItem(event.mouse)) return;
    if (HWND window = GetMenuWindow()) ::PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(m_id), 0);
    if (HasSubItems())
        OpenSubMenu();
    else
        VQMenuWnd::CloseMenuWindows(nullptr, CloseAllMenus);
}

void VQMenuElement::OpenSubMenu() {
    if (m_subMenu) return;
    HWND menuWindow = GetMenuWindow();
    m_subMenu = new VQMenuWnd(menuWindow);
    VQMenuWnd::CloseMenuWindows(menuWindow, CloseMenusBelow);
    // A failed Init has freed the window object.
    if (!m_subMenu->Init(nullptr, this, 0, std::string(), 0, std::wstring(), 0, std::wstring(), std::wstring(), 0, 0)) {
        m_subMenu = nullptr;
        return;
    }
    // Shown with the focus: the parent menu keeps it open (its focus went to
    // an open menu) and the sub-menu's own focus loss closes the menus.
    m_subMenu->ShowWindow(true, true);
}

}  // namespace Tessar
