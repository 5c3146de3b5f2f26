#pragma once
// The child window made for a hosted object that is not windowless (class
// "VQActiveXWnd", title "VQActiveX"): the object puts its own windows in it.
// It activates the object on a click and UI-activates it on focus.

#include <windows.h>

namespace Tessar {

class VQActiveXCtrl;

class VQActiveXWnd {
public:
    VQActiveXWnd() = default;
    virtual ~VQActiveXWnd();
    VQActiveXWnd(const VQActiveXWnd&) = delete;
    VQActiveXWnd& operator=(const VQActiveXWnd&) = delete;

    // Creates the window as a child of `parent` for `site` (not referenced:
    // the site owns this window and destroys it first).
    HWND Init(VQActiveXCtrl* site, HWND parent);
    HWND GetHWND() const { return m_hwnd; }
    static const wchar_t* GetWindowClassName() { return L"VQActiveXWnd"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    void DoVerb(LONG verb);
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;
    WNDPROC m_previousProc = ::DefWindowProcW;
    VQActiveXCtrl* m_site = nullptr;
};

}  // namespace Tessar
