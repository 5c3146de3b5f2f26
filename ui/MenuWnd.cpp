#include "ui/MenuWnd.h"

#include <algorithm>

#include "ui/DialogBuilder.h"
#include "ui/PaintManager.h"

namespace Tessar {

namespace {

std::vector<VQMenuWnd*>& OpenMenuList() {
    static std::vector<VQMenuWnd*> menus;
    return menus;
}

bool IsOpenMenuWindow(HWND hwnd) {
    if (!hwnd) return false;
    for (VQMenuWnd* menu : OpenMenuList())
        if (menu->GetHWND() == hwnd) return true;
    return false;
}

RECT WorkAreaOf(HWND hwnd) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcWork;
}

}  // namespace

VQMenuWnd::VQMenuWnd(HWND owner) : m_owner(owner) {}

VQMenuWnd::~VQMenuWnd() {
    // Normally gone already (OnFinalMessage); a window object freed without
    // its window never stays listed.
    auto& menus = OpenMenuList();
    auto it = std::find(menus.begin(), menus.end(), this);
    if (it != menus.end()) menus.erase(it);
}

const std::vector<VQMenuWnd*>& VQMenuWnd::OpenMenus() {
    return OpenMenuList();
}

const wchar_t* VQMenuWnd::GetWindowClassName() const {
    return L"VQMenuWnd";
}

HWND VQMenuWnd::Init(VQMenuWnd** ownerSlot, VQMenuElement* parentItem, int layoutResource,
                     const std::string& menuName, int sourceKind, const std::wstring& resourceType, int styleResource,
                     const std::wstring& skinFolder, const std::wstring& skinName, int x, int y) {
    OpenMenuList().push_back(this);
    m_ownerSlot = ownerSlot;
    m_parentItem = parentItem;
    m_layoutResource = layoutResource;
    m_menuName = menuName;
    m_sourceKind = sourceKind;
    m_resourceType = resourceType;
    m_styleResource = styleResource;
    m_skinFolder = skinFolder;
    m_skinName = skinName;
    m_x = x;
    m_y = y;
    HWND parent = m_owner;
    if (parentItem && parentItem->GetManager()) parent = parentItem->GetManager()->GetPaintWindow();
    bool gone = false;
    m_gone = &gone;
    HWND hwnd = Create(parent, L"", WS_POPUP, 0);
    if (gone) return nullptr;
    m_gone = nullptr;
    if (!hwnd) {
        if (m_ownerSlot) *m_ownerSlot = nullptr;
        delete this;
        return nullptr;
    }
    return hwnd;
}

LRESULT VQMenuWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    BOOL handled = TRUE;
    LRESULT result = 0;
    switch (message) {
    case WM_CREATE: result = OnCreate(message, wParam, lParam, handled); break;
    case WM_CLOSE: result = OnClose(message, wParam, lParam, handled); break;
    case WM_KILLFOCUS: result = OnKillFocus(message, wParam, lParam, handled); break;
    case WM_KEYDOWN: result = OnKeyDown(message, wParam, lParam, handled); break;
    case WM_COMMAND: result = OnCommand(message, wParam, lParam, handled); break;
    default: handled = FALSE; break;
    }
    if (handled) return result;
    if (m_paintManager.MessageHandler(message, wParam, lParam, result)) return result;
    return VQWindowWnd::HandleMessage(message, wParam, lParam);
}

LRESULT VQMenuWnd::OnCreate(UINT, WPARAM, LPARAM, BOOL& handled) {
    m_paintManager.Init(m_hwnd);
    if (m_parentItem)
        CreateSubMenu();
    else
        CreateTopLevel();
    handled = TRUE;
    return 0;
}

void VQMenuWnd::CreateTopLevel() {
    VQDialogBuilder builder;
    std::wstring name(m_menuName.begin(), m_menuName.end());
    VQControl* built = builder.Create(std::to_wstring(m_layoutResource), name, m_sourceKind, m_resourceType,
                                      &m_paintManager, nullptr);
    m_root = built ? static_cast<VQMenu*>(built->GetInterface(ControlTypeMenu)) : nullptr;
    if (built && !m_root) delete built;  // a layout whose root is no menu shows nothing
    m_paintManager.AttachRootControl(m_root);
    m_paintManager.AddNotifier(this);
    ChangeSkin(static_cast<UINT>(m_styleResource), name, m_resourceType, m_skinFolder, m_skinName);
    if (!m_root) return;
    std::wstring defaults = m_paintManager.GetDefaultAttributeList(L"Menu");
    if (!defaults.empty()) m_root->ApplyAttributeList(defaults);
    RECT work = WorkAreaOf(m_hwnd);
    SIZE size = m_root->EstimateSize(work.right - work.left, work.bottom - work.top);
    int left = m_x, top = m_y;
    // Near the right or bottom edge the menu opens to the left or upwards.
    if (m_x + size.cx > work.right) left = m_x - size.cx;
    if (m_y + size.cy > work.bottom) top = m_y - size.cy;
    ::SetWindowPos(m_hwnd, nullptr, left, top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void VQMenuWnd::CreateSubMenu() {
    VQPaintManager* parentManager = m_parentItem->GetManager();
    if (parentManager) m_paintManager.SetLayered(parentManager->IsLayered());
    m_root = new VQMenu;
    m_root->SetManager(&m_paintManager);
    std::wstring defaults = parentManager ? parentManager->GetDefaultAttributeList(L"Menu") : std::wstring();
    m_paintManager.AddDefaultAttributeList(L"Menu", defaults);
    if (!defaults.empty()) m_root->ApplyAttributeList(defaults);
    // The items stay their parent item's.
    m_root->SetAutoDestroy(false);
    for (int i = 0; i < m_parentItem->GetCount(); ++i) {
        VQControl* child = m_parentItem->GetItemAt(i);
        VQMenuElement* item = child ? static_cast<VQMenuElement*>(child->GetInterface(ControlTypeMenuElement)) : nullptr;
        if (!item) continue;
        item->SetOwnerMenu(m_root);
        m_root->Add(item);
    }
    m_root->SetManager(&m_paintManager);
    m_paintManager.AttachRootControl(m_root);

    RECT work = WorkAreaOf(m_hwnd);
    long long width = 0, height = 0;
    for (int i = 0; i < m_parentItem->GetCount(); ++i) {
        VQControl* child = m_parentItem->GetItemAt(i);
        if (!child || !child->GetInterface(ControlTypeMenuElement)) continue;
        SIZE size = child->GetFixedSize(work.right - work.left, work.bottom - work.top);
        width = std::max<long long>(width, size.cx);
        height += size.cy;
    }
    if (height > 0x7FFF) height = 0x7FFF;
    RECT item = m_parentItem->GetPos();
    RECT placed = {item.left, item.top, item.right, item.top + static_cast<LONG>(height)};
    HWND parentWindow = parentManager ? parentManager->GetPaintWindow() : nullptr;
    ::MapWindowPoints(parentWindow, HWND_DESKTOP, reinterpret_cast<POINT*>(&placed), 2);
    RECT parentRect = {};
    ::GetWindowRect(parentWindow, &parentRect);
    ::SetWindowPos(m_hwnd, nullptr, parentRect.right, placed.top, static_cast<int>(width), static_cast<int>(height),
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void VQMenuWnd::RestoreParentItem() {
    if (!m_parentItem || m_parentRestored) return;
    m_parentRestored = true;
    // Nothing of this window's manager may point at the borrowed items.
    for (int i = 0; m_root && i < m_root->GetCount(); ++i) m_paintManager.ReapControl(m_root->GetItemAt(i));
    if (m_root) m_root->RemoveAll();
    m_parentItem->SetManager(m_parentItem->GetManager());
    m_parentItem->SetParent(m_parentItem->GetParent());
    RECT pos = m_parentItem->GetPos();
    m_parentItem->SetPos(pos.left, pos.top, pos.right, pos.bottom);
}

LRESULT VQMenuWnd::OnClose(UINT, WPARAM, LPARAM, BOOL& handled) {
    if (m_parentItem) {
        RestoreParentItem();
        m_parentItem->SetFocus();
    }
    handled = FALSE;
    return 0;
}

LRESULT VQMenuWnd::OnKillFocus(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    handled = FALSE;
    // Focus moving to another menu (a sub-menu opening) keeps them all.
    if (IsOpenMenuWindow(reinterpret_cast<HWND>(wParam))) return 0;
    CloseMenuWindows(nullptr, CloseAllMenus);
    return 0;
}

LRESULT VQMenuWnd::OnKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (wParam == VK_ESCAPE) Close();
    handled = FALSE;
    return 0;
}

LRESULT VQMenuWnd::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    // Straight to the first window above the open menus: a menu window on
    // the way may be destroyed (all menus close on a click) before a
    // command posted to it climbs further.
    HWND target = ::GetParent(m_hwnd);
    while (target && IsOpenMenuWindow(target)) target = ::GetParent(target);
    if (target) ::PostMessageW(target, WM_COMMAND, wParam, lParam);
    handled = TRUE;
    return 0;
}

void VQMenuWnd::OnFinalMessage(HWND) {
    if (m_ownerSlot) *m_ownerSlot = nullptr;
    auto& menus = OpenMenuList();
    auto it = std::find(menus.begin(), menus.end(), this);
    if (it != menus.end()) menus.erase(it);
    if (m_parentItem) {
        // A sub-menu destroyed with its owner gets no WM_CLOSE: the items
        // go back here, before this window's manager is freed.
        RestoreParentItem();
        VQMenu* ownMenu = m_parentItem->GetParent()
                              ? static_cast<VQMenu*>(m_parentItem->GetParent()->GetInterface(ControlTypeMenu))
                              : nullptr;
        for (int i = 0; i < m_parentItem->GetCount(); ++i) {
            VQControl* child = m_parentItem->GetItemAt(i);
            if (VQMenuElement* item = child ? static_cast<VQMenuElement*>(child->GetInterface(ControlTypeMenuElement))
                                            : nullptr)
                item->SetOwnerMenu(ownMenu);
        }
        m_parentItem->SetSubMenu(nullptr);
    }
    if (m_gone) *m_gone = true;
    delete this;
}

size_t VQMenuWnd::CloseMenuWindows(HWND window, int mode) {
    std::vector<VQMenuWnd*> menus = OpenMenuList();
    for (VQMenuWnd* menu : menus) {
        if (mode == CloseAllMenus) {
            menu->Close();
        } else if (mode == CloseMenusBelow && window) {
            for (HWND up = ::GetParent(menu->GetHWND()); up; up = ::GetParent(up)) {
                if (up == window) {
                    menu->Close();
                    break;
                }
            }
        }
    }
    return OpenMenuList().size();
}

}  // namespace Tessar
