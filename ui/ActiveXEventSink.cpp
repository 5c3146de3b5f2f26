#include "ui/ActiveXEventSink.h"

#include <exdispid.h>

#include <cwchar>

#include "common/ComPtr.h"

namespace Tessar {

namespace {

// The member a page calls to close its window, and the id we answer for it.
const wchar_t kScriptCloseName[] = L"CB_Close";
const DISPID kScriptCloseId = 1;

// Argument `index` of the array (the array holds the last argument first);
// null when the caller passed fewer.
VARIANT* Argument(DISPPARAMS* params, UINT index) {
    if (!params || !params->rgvarg || index >= params->cArgs) return nullptr;
    return &params->rgvarg[index];
}

// A 32-bit number from a value or reference argument; 0 when it is none.
LONG LongArgument(DISPPARAMS* params, UINT index) {
    VARIANT* arg = Argument(params, index);
    if (!arg) return 0;
    VARIANT value;
    ::VariantInit(&value);
    LONG result = 0;
    if (SUCCEEDED(::VariantChangeType(&value, arg, 0, VT_I4))) result = value.lVal;
    ::VariantClear(&value);
    return result;
}

VARIANT_BOOL BoolArgument(DISPPARAMS* params, UINT index) {
    VARIANT* arg = Argument(params, index);
    if (!arg) return VARIANT_FALSE;
    VARIANT value;
    ::VariantInit(&value);
    VARIANT_BOOL result = VARIANT_FALSE;
    if (SUCCEEDED(::VariantChangeType(&value, arg, 0, VT_BOOL))) result = value.boolVal;
    ::VariantClear(&value);
    return result;
}

IDispatch** DispatchReference(DISPPARAMS* params, UINT index) {
    VARIANT* arg = Argument(params, index);
    return arg && arg->vt == (VT_BYREF | VT_DISPATCH) ? arg->ppdispVal : nullptr;
}

VARIANT_BOOL* BoolReference(DISPPARAMS* params, UINT index) {
    VARIANT* arg = Argument(params, index);
    return arg && arg->vt == (VT_BYREF | VT_BOOL) ? arg->pboolVal : nullptr;
}

// Argument `index` counted from the first one; null when missing.
VARIANT* ArgumentInOrder(DISPPARAMS* params, UINT index) {
    if (!params || index >= params->cArgs) return nullptr;
    return Argument(params, params->cArgs - 1 - index);
}

BSTR StringArgument(DISPPARAMS* params, UINT index) {
    VARIANT* arg = Argument(params, index);
    if (!arg) return nullptr;
    if (arg->vt == VT_BSTR) return arg->bstrVal;
    if (arg->vt == (VT_BYREF | VT_BSTR) && arg->pbstrVal) return *arg->pbstrVal;
    return nullptr;
}

}  // namespace

VQActiveXEventSink::VQActiveXEventSink(VQActiveXDispatch* callback, VQBrowserEvents events)
    : m_callback(callback), m_events(events) {}

STDMETHODIMP VQActiveXEventSink::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2 ||
        iid == DIID_DWebBrowserEvents) {
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) VQActiveXEventSink::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_refCount)); }

STDMETHODIMP_(ULONG) VQActiveXEventSink::Release() {
    LONG count = ::InterlockedDecrement(&m_refCount);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP VQActiveXEventSink::GetTypeInfoCount(UINT* count) {
    if (count) *count = 0;
    return E_NOTIMPL;
}

STDMETHODIMP VQActiveXEventSink::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }

STDMETHODIMP VQActiveXEventSink::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (count == 0) return S_OK;
    if (!names || !ids) return E_POINTER;
    bool known = names[0] && std::wcscmp(names[0], kScriptCloseName) == 0;
    for (UINT i = 0; i < count; ++i) ids[i] = known ? kScriptCloseId : DISPID_UNKNOWN;
    return known ? S_OK : DISP_E_UNKNOWNNAME;
}

STDMETHODIMP VQActiveXEventSink::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                        EXCEPINFO*, UINT*) {
    if (m_events == VQBrowserEvents::Older) return InvokeOlder(id, params);
    VQActiveXDispatch* callback = m_callback;
    if (id == kScriptCloseId) {
        if ((flags & DISPATCH_PROPERTYGET) && result) {
            // An out value: whatever it held is not ours to free.
            ::VariantInit(result);
            result->vt = VT_BOOL;
            result->boolVal = VARIANT_TRUE;
        }
        if ((flags & DISPATCH_METHOD) && callback) callback->OnScriptClose();
        return S_OK;
    }
    if (!callback) return E_NOTIMPL;
    // Events come as method calls; the few the window hears are forwarded.
    switch (id) {
    case DISPID_COMMANDSTATECHANGE:
        if (flags & DISPATCH_METHOD) callback->OnCommandStateChange(LongArgument(params, 1), BoolArgument(params, 0));
        break;
    case DISPID_NEWWINDOW:
        callback->OnNewWindow(LongArgument(params, 1), LongArgument(params, 0));
        break;
    case DISPID_PROGRESSCHANGE:
        if (flags & DISPATCH_METHOD) callback->OnProgressChange(LongArgument(params, 1), LongArgument(params, 0));
        break;
    case DISPID_NEWWINDOW2:
        callback->OnNewWindow2(DispatchReference(params, 1), BoolReference(params, 0));
        break;
    case DISPID_NEWWINDOW3:
        callback->OnNewWindow3(DispatchReference(params, 4), BoolReference(params, 3),
                               static_cast<DWORD>(LongArgument(params, 2)), StringArgument(params, 1),
                               StringArgument(params, 0));
        break;
    default:
        break;
    }
    return E_NOTIMPL;
}

HRESULT VQActiveXEventSink::InvokeOlder(DISPID id, DISPPARAMS* params) {
    if (id != DISPID_NEWWINDOW) return S_OK;
    // NewWindow(URL, Flags, TargetFrameName, PostData, Headers, Processed).
    VARIANT* processed = ArgumentInOrder(params, 5);
    if (processed && processed->vt == (VT_BYREF | VT_BOOL) && processed->pboolVal) *processed->pboolVal = VARIANT_TRUE;
    VARIANT* url = ArgumentInOrder(params, 0);
    if (m_callback && url && url->vt == VT_BSTR && url->bstrVal)
        m_callback->OnOlderNewWindow(std::wstring(url->bstrVal, ::SysStringLen(url->bstrVal)));
    return S_OK;
}

HRESULT VQActiveXEventSink::FindPoint(IUnknown* object, IConnectionPoint** point) {
    if (!object) return E_POINTER;
    VQComPtr<IConnectionPointContainer> container;
    HRESULT hr = object->QueryInterface(IID_IConnectionPointContainer, container.ReceiveVoid());
    if (FAILED(hr)) return hr;
    const IID& events = m_events == VQBrowserEvents::Older ? DIID_DWebBrowserEvents : DIID_DWebBrowserEvents2;
    return container->FindConnectionPoint(events, point);
}

HRESULT VQActiveXEventSink::Connect(IUnknown* object) {
    VQComPtr<IConnectionPoint> point;
    HRESULT hr = FindPoint(object, point.Receive());
    if (FAILED(hr)) return hr;
    return point->Advise(static_cast<IDispatch*>(this), &m_cookie);
}

HRESULT VQActiveXEventSink::Disconnect(IUnknown* object) {
    VQComPtr<IConnectionPoint> point;
    HRESULT hr = FindPoint(object, point.Receive());
    if (FAILED(hr)) return hr;
    hr = point->Unadvise(m_cookie);
    if (SUCCEEDED(hr)) m_cookie = 0;
    return hr;
}

}  // namespace Tessar
