#pragma once
// The child window made for a hosted object that is not windowless (class
// "VQActiveXWnd", title "VQActiveX"): the object puts its own windows in it.
// It activates the object on a click and UI-activates it on focus.

#include <windows.h>

#include "ui/WindowWnd.h"

namespace Tessar {

class VQActiveXCtrl;

class VQActiveXWnd : public VQWindowWnd {
public:
    VQActiveXWnd() = default;

    // Creates the window as a child of `parent` for `site` (not referenced:
    // the site owns this window and destroys it first).
    HWND Init(VQActiveXCtrl* site, HWND parent);
    const wchar_t* GetWindowClassName() const override { return L"VQActiveXWnd"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void DoVerb(LONG verb);

    VQActiveXCtrl* m_site = nullptr;
};

}  // namespace Tessar
