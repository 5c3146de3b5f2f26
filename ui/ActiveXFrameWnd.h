#pragma once
// The in-place frame a hosted object gets from GetWindowContext: the paint
// manager's window, no tool space, no menus. It keeps the site alive (and
// reaches the owner through it), so a frame the object holds on to after
// the control went away answers E_UNEXPECTED instead of touching freed memory.

#include <windows.h>

#include <ole2.h>

namespace Tessar {

class VQActiveXCtrl;

class VQActiveXFrameWnd : public IOleInPlaceFrame {
public:
    // Made with a count of 1; takes a reference on the site.
    explicit VQActiveXFrameWnd(VQActiveXCtrl* site);
    virtual ~VQActiveXFrameWnd();
    VQActiveXFrameWnd(const VQActiveXFrameWnd&) = delete;
    VQActiveXFrameWnd& operator=(const VQActiveXFrameWnd&) = delete;

    STDMETHOD(QueryInterface)(REFIID iid, void** out) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;

    STDMETHOD(GetWindow)(HWND* window) override;
    STDMETHOD(ContextSensitiveHelp)(BOOL enterMode) override;
    STDMETHOD(GetBorder)(LPRECT border) override;
    STDMETHOD(RequestBorderSpace)(LPCBORDERWIDTHS widths) override;
    STDMETHOD(SetBorderSpace)(LPCBORDERWIDTHS widths) override;
    STDMETHOD(SetActiveObject)(IOleInPlaceActiveObject* activeObject, LPCOLESTR name) override;
    STDMETHOD(InsertMenus)(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override;
    STDMETHOD(SetMenu)(HMENU shared, HOLEMENU oleMenu, HWND activeObject) override;
    STDMETHOD(RemoveMenus)(HMENU shared) override;
    STDMETHOD(SetStatusText)(LPCOLESTR text) override;
    STDMETHOD(EnableModeless)(BOOL enable) override;
    STDMETHOD(TranslateAccelerator)(LPMSG msg, WORD id) override;

    IOleInPlaceActiveObject* GetActiveObject() const { return m_activeObject; }

private:
    LONG m_refCount = 1;
    VQActiveXCtrl* m_site;
    IOleInPlaceActiveObject* m_activeObject = nullptr;
};

}  // namespace Tessar
