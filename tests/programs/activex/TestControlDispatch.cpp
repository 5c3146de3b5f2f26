// The test control's automation members: the colour it paints, events it
// fires on request, and the player and browser calls it only records.
#include <cwchar>
#include <string>

#include "TestControl.h"
#include "TestControlApi.h"

namespace TestControl {

namespace {

struct Member {
    const wchar_t* name;
    DISPID id;
};

const Member kMembers[] = {
    {L"Color", TestDispColor},   {L"FireEvent", TestDispFireEvent}, {L"Navigate", TestDispNavigate},
    {L"Movie", TestDispMovie},   {L"Play", TestDispPlay},           {L"Zoom", TestDispZoom},
    {L"GoBack", TestDispGoBack}, {L"Refresh", TestDispRefresh},     {L"FireNewWindow", TestDispFireNewWindow},
    {L"FireOldEvent", TestDispFireOldEvent}, {L"ScaleMode", 11}, {L"AlignMode", 12}, {L"Loop", 13},
    {L"Quality2", 14}, {L"Scale", 15}, {L"AllowNetworking", 16}, {L"Menu", 17}, {L"ReadyState", TestDispReadyState},
};

// Argument `index` counted from the first one; null when missing.
VARIANT* Arg(DISPPARAMS* params, UINT index) {
    if (!params || !params->rgvarg || index >= params->cArgs) return nullptr;
    return &params->rgvarg[params->cArgs - 1 - index];
}

bool ArgLong(DISPPARAMS* params, UINT index, LONG& value) {
    VARIANT* arg = Arg(params, index);
    if (!arg) return false;
    VARIANT converted;
    ::VariantInit(&converted);
    bool ok = SUCCEEDED(::VariantChangeType(&converted, arg, 0, VT_I4));
    if (ok) value = converted.lVal;
    ::VariantClear(&converted);
    return ok;
}

bool ArgText(DISPPARAMS* params, UINT index, std::wstring& value) {
    VARIANT* arg = Arg(params, index);
    if (!arg) return false;
    VARIANT converted;
    ::VariantInit(&converted);
    bool ok = SUCCEEDED(::VariantChangeType(&converted, arg, 0, VT_BSTR));
    if (ok) value.assign(converted.bstrVal ? converted.bstrVal : L"", ::SysStringLen(converted.bstrVal));
    ::VariantClear(&converted);
    return ok;
}

}  // namespace

STDMETHODIMP VQTestControl::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP VQTestControl::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP VQTestControl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids) return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        for (const Member& member : kMembers)
            if (names[i] && _wcsicmp(names[i], member.name) == 0) ids[i] = member.id;
        if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

STDMETHODIMP VQTestControl::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO*, UINT*) {
    if (result) ::VariantInit(result);
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    LONG number = 0;
    std::wstring text;
    switch (id) {
    case TestDispColor:
        if (put) {
            if (!ArgLong(params, 0, number)) return DISP_E_BADPARAMCOUNT;
            m_color = static_cast<COLORREF>(number);
            if (m_window) ::InvalidateRect(m_window, nullptr, TRUE);
            IOleInPlaceSiteWindowless* site = nullptr;
            if (m_windowless && m_inPlaceSite &&
                SUCCEEDED(m_inPlaceSite->QueryInterface(IID_IOleInPlaceSiteWindowless, reinterpret_cast<void**>(&site)))) {
                site->InvalidateRect(nullptr, FALSE);
                site->Release();
            }
        } else if (result) {
            result->vt = VT_I4;
            result->lVal = static_cast<LONG>(m_color);
        }
        return S_OK;
    case TestDispFireEvent:
    case TestDispFireOldEvent: {
        LONG dispid = 0;
        if (!ArgLong(params, 0, dispid)) return DISP_E_BADPARAMCOUNT;
        // The arguments after the event's id, still last first.
        UINT count = params->cArgs - 1;
        (id == TestDispFireEvent ? m_point : m_oldPoint).Fire(dispid, count ? params->rgvarg : nullptr, count);
        Log((id == TestDispFireEvent ? L"fire=" : L"fireold=") + std::to_wstring(dispid));
        return S_OK;
    }
    case TestDispFireNewWindow:
        if (!ArgText(params, 0, text)) return DISP_E_BADPARAMCOUNT;
        FireNewWindow(text);
        return S_OK;
    case TestDispNavigate:
        if (!ArgText(params, 0, text)) return DISP_E_BADPARAMCOUNT;
        Log(L"navigate=" + text);
        return S_OK;
    case TestDispMovie:
        if (put) {
            if (!ArgText(params, 0, text)) return DISP_E_BADPARAMCOUNT;
            m_movie = text;
            Log(L"movie=" + text);
        } else if (result) {
            result->vt = VT_BSTR;
            result->bstrVal = ::SysAllocStringLen(m_movie.data(), static_cast<UINT>(m_movie.size()));
        }
        return S_OK;
    case TestDispPlay:
        Log(L"play");
        return S_OK;
    case TestDispZoom:
        if (!ArgLong(params, 0, number)) return DISP_E_BADPARAMCOUNT;
        Log(L"zoom=" + std::to_wstring(number));
        return S_OK;
    case TestDispGoBack:
        Log(L"back");
        return S_OK;
    case TestDispRefresh:
        Log(L"refresh");
        return S_OK;
    case TestDispReadyState:
        if (put) return DISP_E_MEMBERNOTFOUND;
        if (result) {
            result->vt = VT_I4;
            result->lVal = m_movie.empty() || m_movie == L"http://" ? 0 : 4;
        }
        return S_OK;
    default:
        if (id >= TestDispFirstSetting && id <= TestDispLastSetting && put) {
            VARIANT* value = Arg(params, 0);
            VARIANT copy;
            ::VariantInit(&copy);
            if (!value || FAILED(::VariantChangeType(&copy, value, 0, VT_BSTR))) return DISP_E_TYPEMISMATCH;
            for (const Member& member : kMembers)
                if (member.id == id)
                    Log(std::wstring(member.name) + L"=" + (copy.bstrVal ? copy.bstrVal : L""));
            ::VariantClear(&copy);
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }
}

void VQTestControl::FireNewWindow(const std::wstring& url) {
    // What a page's link to a new window raises: NewWindow3 (new window,
    // cancel, flags, context address, address), then NewWindow2 (new
    // window, cancel); a sink cancels by setting the flag.
    IDispatch* newWindow = nullptr;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    BSTR context = ::SysAllocString(L"about:blank");
    BSTR address = ::SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
    VARIANT args[5];
    args[4].vt = VT_BYREF | VT_DISPATCH;
    args[4].ppdispVal = &newWindow;
    args[3].vt = VT_BYREF | VT_BOOL;
    args[3].pboolVal = &cancel;
    args[2].vt = VT_I4;
    args[2].lVal = 6;
    args[1].vt = VT_BSTR;
    args[1].bstrVal = context;
    args[0].vt = VT_BSTR;
    args[0].bstrVal = address;
    m_point.Fire(273, args, 5);
    m_point.Fire(251, &args[3], 2);
    ::SysFreeString(context);
    ::SysFreeString(address);
    if (newWindow) newWindow->Release();
    Log(L"newwindow=" + url + L" cancel=" + std::to_wstring(cancel));
}

}  // namespace TestControl
