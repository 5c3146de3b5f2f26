// The test control's identity, OLE object, control, persistence, site
// holder and connection point.
#include <exdisp.h>

#include "TestControl.h"
#include "TestControlApi.h"

namespace TestControl {

namespace {

template <typename T>
void ReleaseAndClear(T*& pointer) {
    if (pointer) {
        T* held = pointer;
        pointer = nullptr;
        held->Release();
    }
}

}  // namespace

VQTestControl::VQTestControl(DWORD options)
    : m_options(options), m_point(this, DIID_DWebBrowserEvents2), m_oldPoint(this, DIID_DWebBrowserEvents),
      m_browser(this) {
    ObjectCreated(this);
}

VQTestControl::~VQTestControl() {
    if (m_window) ::DestroyWindow(m_window);
    ReleaseAndClear(m_frame);
    ReleaseAndClear(m_document);
    ReleaseAndClear(m_inPlaceSite);
    ReleaseAndClear(m_clientSite);
    ReleaseAndClear(m_objectSite);
    ObjectDestroyed(this);
}

STDMETHODIMP VQTestControl::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleObject)
        *out = static_cast<IOleObject*>(this);
    else if (iid == IID_IOleControl)
        *out = static_cast<IOleControl*>(this);
    else if (iid == IID_IOleInPlaceObjectWindowless || iid == IID_IOleInPlaceObject || iid == IID_IOleWindow)
        *out = static_cast<IOleInPlaceObjectWindowless*>(this);
    else if (iid == IID_IOleInPlaceActiveObject)
        *out = static_cast<IOleInPlaceActiveObject*>(this);
    else if (iid == IID_IViewObjectEx || iid == IID_IViewObject2 || iid == IID_IViewObject)
        *out = static_cast<IViewObjectEx*>(this);
    else if (iid == IID_IPersistStreamInit || iid == IID_IPersist)
        *out = static_cast<IPersistStreamInit*>(this);
    else if (iid == IID_IObjectWithSite)
        *out = static_cast<IObjectWithSite*>(this);
    else if (iid == IID_IConnectionPointContainer)
        *out = static_cast<IConnectionPointContainer*>(this);
    else if (iid == IID_IDispatch)
        *out = static_cast<IDispatch*>(this);
    else if (iid == IID_IRunnableObject)
        *out = static_cast<IRunnableObject*>(this);
    else if (iid == IID_IWebBrowser2 || iid == IID_IWebBrowserApp || iid == IID_IWebBrowser)
        *out = static_cast<IWebBrowser2*>(&m_browser);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) VQTestControl::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_refCount)); }

STDMETHODIMP_(ULONG) VQTestControl::Release() {
    LONG count = ::InterlockedDecrement(&m_refCount);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

LONG VQTestControl::SiteReferences() const {
    return (m_clientSite ? 1 : 0) + (m_inPlaceSite ? 1 : 0) + (m_objectSite ? 1 : 0) + (m_frame ? 1 : 0) +
           (m_document ? 1 : 0);
}

void VQTestControl::Log(const std::wstring& entry) {
    if (!m_log.empty()) m_log += L";";
    m_log += entry;
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(VQ_TEST_CONTROL_LOG_VARIABLE, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    HANDLE file = ::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::wstring line = entry + L"\n";
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string text(size > 0 ? size : 0, '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), &text[0], size, nullptr, nullptr);
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
}

// ---- IOleObject ----

STDMETHODIMP VQTestControl::SetClientSite(IOleClientSite* site) {
    if (site) site->AddRef();
    ReleaseAndClear(m_clientSite);
    m_clientSite = site;
    return S_OK;
}

STDMETHODIMP VQTestControl::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    *site = m_clientSite;
    if (m_clientSite) m_clientSite->AddRef();
    return S_OK;
}

STDMETHODIMP VQTestControl::SetHostNames(LPCOLESTR app, LPCOLESTR) {
    Log(std::wstring(L"host=") + (app ? app : L""));
    return S_OK;
}

STDMETHODIMP VQTestControl::Close(DWORD) {
    InPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP VQTestControl::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

STDMETHODIMP VQTestControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP VQTestControl::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

STDMETHODIMP VQTestControl::GetClipboardData(DWORD, IDataObject** data) {
    if (data) *data = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP VQTestControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT rect) {
    if (site && site != m_clientSite) SetClientSite(site);
    if (rect) m_rect = *rect;
    switch (verb) {
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_SHOW:
        return ActivateInPlace();
    case OLEIVERB_UIACTIVATE: {
        HRESULT hr = ActivateInPlace();
        if (FAILED(hr)) return hr;
        if (!m_uiActive && m_inPlaceSite) {
            m_uiActive = true;
            m_inPlaceSite->OnUIActivate();
        }
        return S_OK;
    }
    default:
        return OLEOBJ_S_INVALIDVERB;
    }
}

STDMETHODIMP VQTestControl::EnumVerbs(IEnumOLEVERB** verbs) {
    if (verbs) *verbs = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP VQTestControl::Update() { return S_OK; }
STDMETHODIMP VQTestControl::IsUpToDate() { return S_OK; }

STDMETHODIMP VQTestControl::GetUserClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = kTestControlClsid;
    return S_OK;
}

STDMETHODIMP VQTestControl::GetUserType(DWORD, LPOLESTR* type) {
    if (type) *type = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP VQTestControl::SetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT || !size) return E_INVALIDARG;
    m_extent = *size;
    return S_OK;
}

STDMETHODIMP VQTestControl::GetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT || !size) return E_INVALIDARG;
    *size = m_extent;
    return S_OK;
}

STDMETHODIMP VQTestControl::Advise(IAdviseSink*, DWORD* connection) {
    if (connection) *connection = 0;
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP VQTestControl::Unadvise(DWORD) { return OLE_E_NOCONNECTION; }

STDMETHODIMP VQTestControl::EnumAdvise(IEnumSTATDATA** advise) {
    if (advise) *advise = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP VQTestControl::GetMiscStatus(DWORD, DWORD* status) {
    if (!status) return E_POINTER;
    *status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT;
    if (m_options & TestOptionInvisibleAtRuntime) *status |= OLEMISC_INVISIBLEATRUNTIME;
    if (m_options & TestOptionSetClientSiteFirst) *status |= OLEMISC_SETCLIENTSITEFIRST;
    return S_OK;
}

STDMETHODIMP VQTestControl::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// ---- IOleControl ----

STDMETHODIMP VQTestControl::GetControlInfo(CONTROLINFO* info) {
    if (!info) return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP VQTestControl::OnMnemonic(MSG*) { return E_NOTIMPL; }
STDMETHODIMP VQTestControl::OnAmbientPropertyChange(DISPID) { return S_OK; }
STDMETHODIMP VQTestControl::FreezeEvents(BOOL) { return S_OK; }

// ---- IPersistStreamInit ----

STDMETHODIMP VQTestControl::GetClassID(CLSID* clsid) { return GetUserClassID(clsid); }
STDMETHODIMP VQTestControl::IsDirty() { return S_FALSE; }
STDMETHODIMP VQTestControl::Load(LPSTREAM) { return S_OK; }
STDMETHODIMP VQTestControl::Save(LPSTREAM, BOOL) { return S_OK; }

STDMETHODIMP VQTestControl::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    size->QuadPart = 0;
    return S_OK;
}

STDMETHODIMP VQTestControl::InitNew() {
    Log(L"initnew");
    return (m_options & TestOptionFailInitNew) ? E_FAIL : S_OK;
}

// ---- IObjectWithSite ----

STDMETHODIMP VQTestControl::SetSite(IUnknown* site) {
    if (site) site->AddRef();
    ReleaseAndClear(m_objectSite);
    m_objectSite = site;
    return S_OK;
}

STDMETHODIMP VQTestControl::GetSite(REFIID iid, void** site) {
    if (!site) return E_POINTER;
    *site = nullptr;
    if (!m_objectSite) return E_FAIL;
    return m_objectSite->QueryInterface(iid, site);
}

// ---- IRunnableObject ----

STDMETHODIMP VQTestControl::GetRunningClass(LPCLSID clsid) { return GetUserClassID(clsid); }
STDMETHODIMP VQTestControl::Run(LPBINDCTX) { return S_OK; }
STDMETHODIMP_(BOOL) VQTestControl::IsRunning() { return TRUE; }

STDMETHODIMP VQTestControl::LockRunning(BOOL lock, BOOL) {
    if (lock) {
        ++m_runningLocks;
        AddRef();
    } else if (m_runningLocks > 0) {
        --m_runningLocks;
        Release();
    }
    return S_OK;
}

STDMETHODIMP VQTestControl::SetContainedObject(BOOL) { return S_OK; }

// ---- IConnectionPointContainer ----

STDMETHODIMP VQTestControl::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points) *points = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP VQTestControl::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (!point) return E_POINTER;
    *point = nullptr;
    VQTestConnectionPoint* found =
        iid == DIID_DWebBrowserEvents2 ? &m_point : iid == DIID_DWebBrowserEvents ? &m_oldPoint : nullptr;
    if (!found) return CONNECT_E_NOCONNECTION;
    *point = found;
    found->AddRef();
    return S_OK;
}

// ---- the connection point ----

VQTestConnectionPoint::~VQTestConnectionPoint() {
    for (IDispatch* sink : m_sinks)
        if (sink) sink->Release();
}

STDMETHODIMP VQTestConnectionPoint::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
        *out = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) VQTestConnectionPoint::AddRef() { return m_owner->AddRef(); }
STDMETHODIMP_(ULONG) VQTestConnectionPoint::Release() { return m_owner->Release(); }

STDMETHODIMP VQTestConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = m_iid;
    return S_OK;
}

STDMETHODIMP VQTestConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (!container) return E_POINTER;
    *container = static_cast<IConnectionPointContainer*>(m_owner);
    m_owner->AddRef();
    return S_OK;
}

STDMETHODIMP VQTestConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!sink || !cookie) return E_POINTER;
    *cookie = 0;
    IDispatch* dispatch = nullptr;
    if (FAILED(sink->QueryInterface(m_iid, reinterpret_cast<void**>(&dispatch))) || !dispatch)
        return CONNECT_E_CANNOTCONNECT;
    m_sinks.push_back(dispatch);
    *cookie = static_cast<DWORD>(m_sinks.size());
    return S_OK;
}

STDMETHODIMP VQTestConnectionPoint::Unadvise(DWORD cookie) {
    if (cookie == 0 || cookie > m_sinks.size() || !m_sinks[cookie - 1]) return CONNECT_E_NOCONNECTION;
    IDispatch* sink = m_sinks[cookie - 1];
    m_sinks[cookie - 1] = nullptr;
    sink->Release();
    return S_OK;
}

STDMETHODIMP VQTestConnectionPoint::EnumConnections(IEnumConnections** list) {
    if (list) *list = nullptr;
    return E_NOTIMPL;
}

void VQTestConnectionPoint::Fire(DISPID dispid, VARIANT* args, UINT count) {
    // A sink may unadvise while it is called; walk a copy holding references.
    std::vector<IDispatch*> sinks;
    for (IDispatch* sink : m_sinks)
        if (sink) {
            sink->AddRef();
            sinks.push_back(sink);
        }
    for (IDispatch* sink : sinks) {
        DISPPARAMS params = {args, nullptr, count, 0};
        sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        sink->Release();
    }
}

size_t VQTestConnectionPoint::SinkCount() const {
    size_t count = 0;
    for (IDispatch* sink : m_sinks)
        if (sink) ++count;
    return count;
}

}  // namespace TestControl
