#include "TestWebBrowser.h"

#include "TestControl.h"

namespace TestControl {

namespace {

HRESULT Text(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return S_OK;
}

HRESULT Flag(bool on, VARIANT_BOOL* out) {
    if (!out) return E_POINTER;
    *out = on ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT NoDispatch(IDispatch** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

}  // namespace

STDMETHODIMP VQTestWebBrowser::QueryInterface(REFIID iid, void** out) {
    return static_cast<IOleObject*>(m_owner)->QueryInterface(iid, out);
}
STDMETHODIMP_(ULONG) VQTestWebBrowser::AddRef() { return static_cast<IOleObject*>(m_owner)->AddRef(); }
STDMETHODIMP_(ULONG) VQTestWebBrowser::Release() { return static_cast<IOleObject*>(m_owner)->Release(); }

STDMETHODIMP VQTestWebBrowser::GetTypeInfoCount(UINT* count) {
    return static_cast<IDispatch*>(m_owner)->GetTypeInfoCount(count);
}
STDMETHODIMP VQTestWebBrowser::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) {
    return static_cast<IDispatch*>(m_owner)->GetTypeInfo(index, locale, info);
}
STDMETHODIMP VQTestWebBrowser::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) {
    return static_cast<IDispatch*>(m_owner)->GetIDsOfNames(iid, names, count, locale, ids);
}
STDMETHODIMP VQTestWebBrowser::Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                      VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    return static_cast<IDispatch*>(m_owner)->Invoke(id, iid, locale, flags, params, result, exception, argumentError);
}

// ---- what a browser window calls ----

STDMETHODIMP VQTestWebBrowser::GoBack() {
    m_owner->Log(L"back");
    return S_OK;
}

STDMETHODIMP VQTestWebBrowser::Navigate(BSTR url, VARIANT*, VARIANT*, VARIANT*, VARIANT*) {
    m_location.assign(url ? url : L"", ::SysStringLen(url));
    m_owner->Log(L"navigate=" + m_location);
    return S_OK;
}

STDMETHODIMP VQTestWebBrowser::Navigate2(VARIANT* url, VARIANT* flags, VARIANT* frame, VARIANT* postData,
                                         VARIANT* headers) {
    if (!url) return E_POINTER;
    VARIANT text;
    ::VariantInit(&text);
    if (FAILED(::VariantChangeType(&text, url, 0, VT_BSTR))) return E_INVALIDARG;
    HRESULT hr = Navigate(text.bstrVal, flags, frame, postData, headers);
    ::VariantClear(&text);
    return hr;
}

STDMETHODIMP VQTestWebBrowser::Refresh() {
    m_owner->Log(L"refresh");
    return S_OK;
}

STDMETHODIMP VQTestWebBrowser::Refresh2(VARIANT*) { return Refresh(); }

STDMETHODIMP VQTestWebBrowser::Stop() {
    m_owner->Log(L"stop");
    return S_OK;
}

STDMETHODIMP VQTestWebBrowser::ExecWB(OLECMDID command, OLECMDEXECOPT, VARIANT*, VARIANT*) {
    m_owner->Log(L"exec=" + std::to_wstring(static_cast<int>(command)));
    return S_OK;
}

STDMETHODIMP VQTestWebBrowser::QueryStatusWB(OLECMDID, OLECMDF* status) {
    if (!status) return E_POINTER;
    *status = static_cast<OLECMDF>(OLECMDF_SUPPORTED | OLECMDF_ENABLED);
    return S_OK;
}

// Every page is complete at once.
STDMETHODIMP VQTestWebBrowser::get_ReadyState(READYSTATE* value) {
    if (!value) return E_POINTER;
    *value = READYSTATE_COMPLETE;
    return S_OK;
}

STDMETHODIMP VQTestWebBrowser::get_LocationURL(BSTR* value) { return Text(m_location, value); }
STDMETHODIMP VQTestWebBrowser::get_LocationName(BSTR* value) { return Text(m_location, value); }
STDMETHODIMP VQTestWebBrowser::get_Busy(VARIANT_BOOL* value) { return Flag(false, value); }
STDMETHODIMP VQTestWebBrowser::get_Silent(VARIANT_BOOL* value) { return Flag(m_silent, value); }

STDMETHODIMP VQTestWebBrowser::put_Silent(VARIANT_BOOL value) {
    m_silent = value != VARIANT_FALSE;
    m_owner->Log(std::wstring(L"silent=") + (m_silent ? L"1" : L"0"));
    return S_OK;
}

// ---- the rest of a browser: not used by the windows ----

STDMETHODIMP VQTestWebBrowser::GoForward() { return E_NOTIMPL; }
STDMETHODIMP VQTestWebBrowser::GoHome() { return E_NOTIMPL; }
STDMETHODIMP VQTestWebBrowser::GoSearch() { return E_NOTIMPL; }
STDMETHODIMP VQTestWebBrowser::get_Application(IDispatch** value) { return NoDispatch(value); }
STDMETHODIMP VQTestWebBrowser::get_Parent(IDispatch** value) { return NoDispatch(value); }
STDMETHODIMP VQTestWebBrowser::get_Container(IDispatch** value) { return NoDispatch(value); }
STDMETHODIMP VQTestWebBrowser::get_Document(IDispatch** value) { return NoDispatch(value); }
STDMETHODIMP VQTestWebBrowser::get_TopLevelContainer(VARIANT_BOOL* value) { return Flag(false, value); }
STDMETHODIMP VQTestWebBrowser::get_Type(BSTR* value) { return Text(L"HTML Document", value); }
STDMETHODIMP VQTestWebBrowser::get_Left(LONG*) { return E_NOTIMPL; }
STDMETHODIMP VQTestWebBrowser::put_Left(LONG) { return E_NOTIMPL; }
STDMETHODIMP VQTestWebBrowser::get_Top(LONG*) { return E_NOTIMPL; }
STDMETHODIMP VQTestWebBrowser::put_Top(LONG) { return E_NOTIMPL; }
STDMETHODIMP VQTestWebBrowser::get_Width(LONG*) { return E_NOTIMPL; }
STDMETHODIMP VQTestWebBrowser::put_Width(LONG) { return E_NOTIMPL; }
STDMETHODIMP VQTestWebBrowser::get_Height(LONG*) { return E_NOTIMPL; }
STDMETHODIMP VQTestWebBrowser::put_Height(LONG) { return E_NOTIMPL; }
STDMETHODIMP VQTestWebBrowser::Quit() { return E_NOTIMPL; }
STDMETHODIMP VQTestWebBrowser::ClientToWindow(int*, int*) { return E_NOTIMPL; }
STDMETHODIMP VQTestWebBrowser::PutProperty(BSTR, VARIANT) { return E_NOTIMPL; }
STDMETHODIMP VQTestWebBrowser::GetProperty(BSTR, VARIANT*) { return E_NOTIMPL; }
STDMETHODIMP VQTestWebBrowser::get_Name(BSTR* value) { return Text(L"VQTestControl", value); }
STDMETHODIMP VQTestWebBrowser::get_HWND(SHANDLE_PTR* value) {
    if (value) *value = 0;
    return E_NOTIMPL;
}
STDMETHODIMP VQTestWebBrowser::get_FullName(BSTR* value) { return Text(L"", value); }
STDMETHODIMP VQTestWebBrowser::get_Path(BSTR* value) { return Text(L"", value); }
STDMETHODIMP VQTestWebBrowser::get_Visible(VARIANT_BOOL* value) { return Flag(true, value); }
STDMETHODIMP VQTestWebBrowser::put_Visible(VARIANT_BOOL) { return S_OK; }
STDMETHODIMP VQTestWebBrowser::get_StatusBar(VARIANT_BOOL* value) { return Flag(false, value); }
STDMETHODIMP VQTestWebBrowser::put_StatusBar(VARIANT_BOOL) { return S_OK; }
STDMETHODIMP VQTestWebBrowser::get_StatusText(BSTR* value) { return Text(L"", value); }
STDMETHODIMP VQTestWebBrowser::put_StatusText(BSTR) { return S_OK; }
STDMETHODIMP VQTestWebBrowser::get_ToolBar(int* value) {
    if (!value) return E_POINTER;
    *value = 0;
    return S_OK;
}
STDMETHODIMP VQTestWebBrowser::put_ToolBar(int) { return S_OK; }
STDMETHODIMP VQTestWebBrowser::get_MenuBar(VARIANT_BOOL* value) { return Flag(false, value); }
STDMETHODIMP VQTestWebBrowser::put_MenuBar(VARIANT_BOOL) { return S_OK; }
STDMETHODIMP VQTestWebBrowser::get_FullScreen(VARIANT_BOOL* value) { return Flag(false, value); }
STDMETHODIMP VQTestWebBrowser::put_FullScreen(VARIANT_BOOL) { return S_OK; }
STDMETHODIMP VQTestWebBrowser::ShowBrowserBar(VARIANT*, VARIANT*, VARIANT*) { return E_NOTIMPL; }
STDMETHODIMP VQTestWebBrowser::get_Offline(VARIANT_BOOL* value) { return Flag(false, value); }
STDMETHODIMP VQTestWebBrowser::put_Offline(VARIANT_BOOL) { return S_OK; }
STDMETHODIMP VQTestWebBrowser::get_RegisterAsBrowser(VARIANT_BOOL* value) { return Flag(false, value); }
STDMETHODIMP VQTestWebBrowser::put_RegisterAsBrowser(VARIANT_BOOL) { return S_OK; }
STDMETHODIMP VQTestWebBrowser::get_RegisterAsDropTarget(VARIANT_BOOL* value) { return Flag(false, value); }
STDMETHODIMP VQTestWebBrowser::put_RegisterAsDropTarget(VARIANT_BOOL) { return S_OK; }
STDMETHODIMP VQTestWebBrowser::get_TheaterMode(VARIANT_BOOL* value) { return Flag(false, value); }
STDMETHODIMP VQTestWebBrowser::put_TheaterMode(VARIANT_BOOL) { return S_OK; }
STDMETHODIMP VQTestWebBrowser::get_AddressBar(VARIANT_BOOL* value) { return Flag(false, value); }
STDMETHODIMP VQTestWebBrowser::put_AddressBar(VARIANT_BOOL) { return S_OK; }
STDMETHODIMP VQTestWebBrowser::get_Resizable(VARIANT_BOOL* value) { return Flag(false, value); }
STDMETHODIMP VQTestWebBrowser::put_Resizable(VARIANT_BOOL) { return S_OK; }

}  // namespace TestControl
