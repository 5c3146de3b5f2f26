#include "VQBrowser/OldBrowserEvents.h"

#include <exdisp.h>
#include <exdispid.h>
#include <ocidl.h>

#include "common/ComPtr.h"

namespace Tessar {

namespace {

HRESULT FindPoint(IUnknown* object, IConnectionPoint** point) {
    if (object == nullptr) return E_POINTER;
    VQComPtr<IConnectionPointContainer> container;
    HRESULT hr = object->QueryInterface(IID_IConnectionPointContainer, container.ReceiveVoid());
    if (FAILED(hr)) return hr;
    return container->FindConnectionPoint(DIID_DWebBrowserEvents, point);
}

// Argument `index` counted from the first one; null when missing.
VARIANT* Argument(DISPPARAMS* params, UINT index) {
    if (params == nullptr || params->rgvarg == nullptr || index >= params->cArgs) return nullptr;
    return &params->rgvarg[params->cArgs - 1 - index];
}

}  // namespace

STDMETHODIMP VQOldBrowserEventSink::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID_DWebBrowserEvents) {
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) VQOldBrowserEventSink::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&m_refCount));
}

STDMETHODIMP_(ULONG) VQOldBrowserEventSink::Release() {
    const LONG count = ::InterlockedDecrement(&m_refCount);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP VQOldBrowserEventSink::GetTypeInfoCount(UINT* count) {
    if (count != nullptr) *count = 0;
    return E_NOTIMPL;
}

STDMETHODIMP VQOldBrowserEventSink::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

STDMETHODIMP VQOldBrowserEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP VQOldBrowserEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                           UINT*) {
    if (id != DISPID_NEWWINDOW) return S_OK;
    // NewWindow(URL, Flags, TargetFrameName, PostData, Headers, Processed).
    VARIANT* processed = Argument(params, 5);
    if (processed != nullptr && processed->vt == (VT_BYREF | VT_BOOL) && processed->pboolVal != nullptr)
        *processed->pboolVal = VARIANT_TRUE;
    VARIANT* url = Argument(params, 0);
    if (m_target != nullptr && url != nullptr && url->vt == VT_BSTR && url->bstrVal != nullptr)
        m_target->OnOldNewWindow(std::wstring(url->bstrVal, ::SysStringLen(url->bstrVal)));
    return S_OK;
}

HRESULT VQOldBrowserEventSink::Connect(IUnknown* object) {
    if (m_cookie != 0) return S_OK;
    VQComPtr<IConnectionPoint> point;
    HRESULT hr = FindPoint(object, point.Receive());
    if (FAILED(hr)) return hr;
    return point->Advise(static_cast<IDispatch*>(this), &m_cookie);
}

HRESULT VQOldBrowserEventSink::Disconnect(IUnknown* object) {
    if (m_cookie == 0) return S_OK;
    VQComPtr<IConnectionPoint> point;
    HRESULT hr = FindPoint(object, point.Receive());
    if (SUCCEEDED(hr)) hr = point->Unadvise(m_cookie);
    m_cookie = 0;
    return hr;
}

}  // namespace Tessar
