#pragma once
// The test control's web-browser face: registered under the browser's class
// id it answers IWebBrowser2 too, recording the calls a browser window makes
// (navigate, back, refresh, stop, commands) and reporting each page as
// complete at once. It lives inside the control and shares its count.

#include <windows.h>

#include <exdisp.h>

#include <string>

namespace TestControl {

class VQTestControl;

class VQTestWebBrowser : public IWebBrowser2 {
public:
    explicit VQTestWebBrowser(VQTestControl* owner) : m_owner(owner) {}

    STDMETHOD(QueryInterface)(REFIID iid, void** out) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    // IDispatch: the control's members.
    STDMETHOD(GetTypeInfoCount)(UINT* count) override;
    STDMETHOD(GetTypeInfo)(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHOD(GetIDsOfNames)(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHOD(Invoke)(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argumentError) override;

    // IWebBrowser
    STDMETHOD(GoBack)() override;
    STDMETHOD(GoForward)() override;
    STDMETHOD(GoHome)() override;
    STDMETHOD(GoSearch)() override;
    STDMETHOD(Navigate)(BSTR url, VARIANT* flags, VARIANT* frame, VARIANT* postData, VARIANT* headers) override;
    STDMETHOD(Refresh)() override;
    STDMETHOD(Refresh2)(VARIANT* level) override;
    STDMETHOD(Stop)() override;
    STDMETHOD(get_Application)(IDispatch** value) override;
    STDMETHOD(get_Parent)(IDispatch** value) override;
    STDMETHOD(get_Container)(IDispatch** value) override;
    STDMETHOD(get_Document)(IDispatch** value) override;
    STDMETHOD(get_TopLevelContainer)(VARIANT_BOOL* value) override;
    STDMETHOD(get_Type)(BSTR* value) override;
    STDMETHOD(get_Left)(LONG* value) override;
    STDMETHOD(put_Left)(LONG value) override;
    STDMETHOD(get_Top)(LONG* value) override;
    STDMETHOD(put_Top)(LONG value) override;
    STDMETHOD(get_Width)(LONG* value) override;
    STDMETHOD(put_Width)(LONG value) override;
    STDMETHOD(get_Height)(LONG* value) override;
    STDMETHOD(put_Height)(LONG value) override;
    STDMETHOD(get_LocationName)(BSTR* value) override;
    STDMETHOD(get_LocationURL)(BSTR* value) override;
    STDMETHOD(get_Busy)(VARIANT_BOOL* value) override;

    // IWebBrowserApp
    STDMETHOD(Quit)() override;
    STDMETHOD(ClientToWindow)(int* cx, int* cy) override;
    STDMETHOD(PutProperty)(BSTR name, VARIANT value) override;
    STDMETHOD(GetProperty)(BSTR name, VARIANT* value) override;
    STDMETHOD(get_Name)(BSTR* value) override;
    STDMETHOD(get_HWND)(SHANDLE_PTR* value) override;
    STDMETHOD(get_FullName)(BSTR* value) override;
    STDMETHOD(get_Path)(BSTR* value) override;
    STDMETHOD(get_Visible)(VARIANT_BOOL* value) override;
    STDMETHOD(put_Visible)(VARIANT_BOOL value) override;
    STDMETHOD(get_StatusBar)(VARIANT_BOOL* value) override;
    STDMETHOD(put_StatusBar)(VARIANT_BOOL value) override;
    STDMETHOD(get_StatusText)(BSTR* value) override;
    STDMETHOD(put_StatusText)(BSTR value) override;
    STDMETHOD(get_ToolBar)(int* value) override;
    STDMETHOD(put_ToolBar)(int value) override;
    STDMETHOD(get_MenuBar)(VARIANT_BOOL* value) override;
    STDMETHOD(put_MenuBar)(VARIANT_BOOL value) override;
    STDMETHOD(get_FullScreen)(VARIANT_BOOL* value) override;
    STDMETHOD(put_FullScreen)(VARIANT_BOOL value) override;

    // IWebBrowser2
    STDMETHOD(Navigate2)(VARIANT* url, VARIANT* flags, VARIANT* frame, VARIANT* postData, VARIANT* headers) override;
    STDMETHOD(QueryStatusWB)(OLECMDID command, OLECMDF* status) override;
    STDMETHOD(ExecWB)(OLECMDID command, OLECMDEXECOPT option, VARIANT* in, VARIANT* out) override;
    STDMETHOD(ShowBrowserBar)(VARIANT* clsid, VARIANT* show, VARIANT* size) override;
    STDMETHOD(get_ReadyState)(READYSTATE* value) override;
    STDMETHOD(get_Offline)(VARIANT_BOOL* value) override;
    STDMETHOD(put_Offline)(VARIANT_BOOL value) override;
    STDMETHOD(get_Silent)(VARIANT_BOOL* value) override;
    STDMETHOD(put_Silent)(VARIANT_BOOL value) override;
    STDMETHOD(get_RegisterAsBrowser)(VARIANT_BOOL* value) override;
    STDMETHOD(put_RegisterAsBrowser)(VARIANT_BOOL value) override;
    STDMETHOD(get_RegisterAsDropTarget)(VARIANT_BOOL* value) override;
    STDMETHOD(put_RegisterAsDropTarget)(VARIANT_BOOL value) override;
    STDMETHOD(get_TheaterMode)(VARIANT_BOOL* value) override;
    STDMETHOD(put_TheaterMode)(VARIANT_BOOL value) override;
    STDMETHOD(get_AddressBar)(VARIANT_BOOL* value) override;
    STDMETHOD(put_AddressBar)(VARIANT_BOOL value) override;
    STDMETHOD(get_Resizable)(VARIANT_BOOL* value) override;
    STDMETHOD(put_Resizable)(VARIANT_BOOL value) override;

private:
    VQTestControl* m_owner;
    std::wstring m_location;
    bool m_silent = false;
};

}  // namespace TestControl
