#pragma once
// A control that hosts a COM ActiveX object (a web browser, a Flash player)
// inside a layout. The object comes from a class id or program id, through
// COM or straight from a named module's class factory, and is in-place
// activated in the layout's window: windowless (drawn by DoPaint, fed
// through the paint manager's message filters) or in a child window of its
// own. The container side is VQActiveXCtrl.

#include <windows.h>

#include <ole2.h>

#include <string>

#include "ui/Control.h"
#include "ui/Event.h"

namespace Tessar {

class VQActiveXCtrl;

class VQActiveX : public VQControl, public IWindowMessageFilter {
public:
    VQActiveX();
    // Releases the object and the site (ReleaseControl).
    ~VQActiveX() override;
    VQActiveX(const VQActiveX&) = delete;
    VQActiveX& operator=(const VQActiveX&) = delete;

    int GetControlType() const override { return ControlTypeActiveX; }
    VQControl* GetInterface(int type) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void SetPos(int left, int top, int right, int bottom) override;
    void SetVisible(bool visible) override;
    // Only a windowless object with a view object is drawn; nothing else.
    void DoPaint(HDC hdc, const RECT& paintRect) override;
    void DoInit() override {}
    // Lets go of the object and the site; the control can create again.
    virtual void ReleaseControl();

    LRESULT MessageFilter(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    // The child window of a windowed object; null when windowless.
    HWND GetNativeWindow() const { return m_nativeWindow; }
    HWND GetNativeHandle() const override { return m_nativeWindow; }

    // "{...}" is read as a class id, anything else as a program id. A new
    // id creates at once unless creation is delayed; the same id does nothing.
    void SetClsid(const std::wstring& text);
    CLSID GetClsid() const { return m_clsid; }
    void SetDelayCreate(bool delay);
    bool IsDelayCreate() const { return m_delayCreate; }
    void SetModuleName(const std::wstring& name) { m_moduleName = name; }
    std::wstring GetModuleName() const { return m_moduleName; }
    // Creates, sites and activates the object; false when any step failed.
    bool CreateControl();
    bool IsCreated() const { return m_created; }
    // E_POINTER without `out`, E_PENDING before the object exists.
    HRESULT GetControl(REFIID iid, void** out);

    // The page's external object handed out by the site; a reference is held.
    void SetExternal(IDispatch* external);
    IDispatch* GetExternal() const { return m_external; }

    bool IsEnable3dBorder() const { return m_enable3dBorder; }
    bool IsEnableScrollBar() const { return m_enableScrollBar; }
    bool IsEnableContextMenu() const { return m_enableContextMenu; }
    bool IsWindowless() const { return m_windowless; }
    void SetEnable3dBorder(bool on) { m_enable3dBorder = on; }
    void SetEnableScrollBar(bool on) { m_enableScrollBar = on; }
    void SetEnableContextMenu(bool on) { m_enableContextMenu = on; }
    void SetWindowless(bool on) { m_windowless = on; }

    // The paint manager's window for a windowless object, the child window
    // for a windowed one; null before activation.
    HWND GetHostWindow() const { return m_hostWindow; }
    VQActiveXCtrl* GetSite() const { return m_site; }
    IOleObject* GetOleObject() const { return m_object; }

    // Used by the site while it activates and deactivates the object.
    void SetHostWindow(HWND window) { m_hostWindow = window; }
    void SetNativeWindow(HWND window) { m_nativeWindow = window; }

private:
    bool CreateFromModule(IOleObject** object);
    // Visible itself and inside visible containers.
    bool IsShown() const;
    bool ActivateObject();

    CLSID m_clsid = {};
    bool m_created = false;
    bool m_delayCreate = true;
    IOleObject* m_object = nullptr;
    VQActiveXCtrl* m_site = nullptr;
    HWND m_hostWindow = nullptr;
    std::wstring m_moduleName;
    bool m_enable3dBorder = true;
    bool m_enableScrollBar = true;
    bool m_enableContextMenu = true;
    bool m_windowless = false;
    IDispatch* m_external = nullptr;
    HWND m_nativeWindow = nullptr;
};

}  // namespace Tessar
