#pragma once
// The pop-up window of a menu ("VQMenuWnd"). A top-level menu is built
// from a layout by name and placed at a screen point (flipped left and up
// when it would leave the work area); a sub-menu borrows its parent item's
// sub-items. Every open menu window of the process is in one list, which
// the closing rules work on.

#include <string>
#include <vector>

#include "ui/Menu.h"
#include "ui/WindowImplBase.h"

namespace Tessar {

enum VQCloseMenuMode {
    CloseAllMenus = 1,
    // Menus that have the given window among their native ancestors.
    CloseMenusBelow = 2,
};

class VQMenuWnd : public VQWindowImplBase {
public:
    explicit VQMenuWnd(HWND owner);
    virtual ~VQMenuWnd();

    // Joins the open-menu list, keeps the arguments and creates the window.
    // `ownerSlot`, when given, is cleared when the window is gone. On
    // failure (null) the object has freed itself and the slot is cleared.
    HWND Init(VQMenuWnd** ownerSlot, VQMenuElement* parentItem, int layoutResource, const std::string& menuName,
              int sourceKind, const std::wstring& resourceType, int styleResource, const std::wstring& skinFolder,
              const std::wstring& skinName, int x, int y);

    const wchar_t* GetWindowClassName() const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hwnd) override;
    LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnKillFocus(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

    VQMenu* GetRoot() const { return m_root; }
    VQMenuElement* GetParentItem() const { return m_parentItem; }

    // Closes every open menu (mode 1) or those below `window` (mode 2);
    // closing is a posted WM_CLOSE. Returns the list's length.
    static size_t CloseMenuWindows(HWND window, int mode);
    static const std::vector<VQMenuWnd*>& OpenMenus();

private:
    void CreateTopLevel();
    void CreateSubMenu();
    // Gives the parent item back the items this sub-menu borrowed (manager,
    // parent, layout). Safe to run twice.
    void RestoreParentItem();

    VQMenu* m_root = nullptr;
    HWND m_owner = nullptr;
    int m_x = 0;
    int m_y = 0;
    int m_styleResource = 0;
    std::wstring m_skinFolder;
    std::wstring m_skinName;
    int m_layoutResource = 0;
    std::string m_menuName;
    int m_sourceKind = 0;
    std::wstring m_resourceType;
    VQMenuElement* m_parentItem = nullptr;
    VQMenuWnd** m_ownerSlot = nullptr;
    bool m_parentRestored = false;
    // Set while Init creates the window: tells Init that the object is gone.
    bool* m_gone = nullptr;
};

}  // namespace Tessar
