// The site's shared reference count and its client-site and in-place-site
// parts (windowless included).
#include "ui/ActiveXCtrl.h"

#include <new>

#include "ui/ActiveX.h"
#include "ui/ActiveXFrameWnd.h"
#include "ui/ActiveXWnd.h"
#include "ui/PaintManager.h"

namespace Tessar {

namespace {

LONG g_liveSites = 0;

// The owner's rectangle in the coordinates of the window the object lives
// in: the layout window's when windowless, its own child window's otherwise.
RECT ObjectRect(const VQActiveX* owner, bool windowless) {
    RECT rc = owner->GetPos();
    if (!windowless) ::OffsetRect(&rc, -rc.left, -rc.top);
    return rc;
}

}  // namespace

long VQActiveXCtrl::LiveCount() { return ::InterlockedCompareExchange(&g_liveSites, 0, 0); }

VQActiveXCtrl::VQActiveXCtrl(VQActiveX* owner) : m_owner(owner) { ::InterlockedIncrement(&g_liveSites); }

VQActiveXCtrl::~VQActiveXCtrl() {
    if (m_owner) m_owner->SetNativeWindow(nullptr);
    DestroyHostWindow();
    if (m_siteHolder) m_siteHolder->Release();
    if (m_viewObject) m_viewObject->Release();
    if (m_inPlaceObject) m_inPlaceObject->Release();
    if (m_accelerators) ::DestroyAcceleratorTable(m_accelerators);
    UnlockRunning();
    ::InterlockedDecrement(&g_liveSites);
}

STDMETHODIMP VQActiveXCtrl::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleInPlaceSiteWindowless || iid == IID_IOleInPlaceSiteEx ||
        iid == IID_IOleInPlaceSite || iid == IID_IOleWindow)
        *out = static_cast<IOleInPlaceSiteWindowless*>(this);
    else if (iid == IID_IOleClientSite)
        *out = static_cast<IOleClientSite*>(this);
    else if (iid == IID_IOleControlSite)
        *out = static_cast<IOleControlSite*>(this);
    else if (iid == IID_IOleContainer)
        *out = static_cast<IOleContainer*>(this);
    else if (iid == IID_IObjectWithSite)
        *out = static_cast<IObjectWithSite*>(this);
    else if (iid == IID_IOleCommandTarget)
        *out = static_cast<IOleCommandTarget*>(this);
    else if (iid == IID_IDocHostUIHandler)
        *out = static_cast<IDocHostUIHandler*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) VQActiveXCtrl::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_refCount)); }

STDMETHODIMP_(ULONG) VQActiveXCtrl::Release() {
    LONG count = ::InterlockedDecrement(&m_refCount);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

void VQActiveXCtrl::SetViewObject(IViewObject* view) {
    if (view) view->AddRef();
    if (m_viewObject) m_viewObject->Release();
    m_viewObject = view;
}

HWND VQActiveXCtrl::ObjectWindow() const { return m_owner ? m_owner->GetHostWindow() : nullptr; }

// ---- IOleClientSite ----

STDMETHODIMP VQActiveXCtrl::SaveObject() { return E_NOTIMPL; }

STDMETHODIMP VQActiveXCtrl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP VQActiveXCtrl::GetContainer(IOleContainer** container) {
    if (!container) return E_POINTER;
    *container = nullptr;
    if (m_siteHolder &&
        SUCCEEDED(m_siteHolder->QueryInterface(IID_IOleContainer, reinterpret_cast<void**>(container))) && *container)
        return S_OK;
    *container = static_cast<IOleContainer*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP VQActiveXCtrl::ShowObject() {
    if (!m_owner) return E_UNEXPECTED;
    HWND window = ObjectWindow();
    HDC dc = window ? ::GetDC(window) : nullptr;
    if (!dc) return E_FAIL;
    if (m_viewObject) {
        RECT rc = ObjectRect(m_owner, m_windowless);
        RECTL bounds = {rc.left, rc.top, rc.right, rc.bottom};
        m_viewObject->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0);
    }
    ::ReleaseDC(window, dc);
    return S_OK;
}

STDMETHODIMP VQActiveXCtrl::OnShowWindow(BOOL) { return E_NOTIMPL; }

STDMETHODIMP VQActiveXCtrl::RequestNewObjectLayout() { return E_NOTIMPL; }

// ---- IOleWindow, IOleInPlaceSite, IOleInPlaceSiteEx ----

STDMETHODIMP VQActiveXCtrl::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = nullptr;
    if (!m_owner) return E_UNEXPECTED;
    if (!m_owner->GetHostWindow()) CreateHostWindow();
    *window = m_owner->GetHostWindow();
    return *window ? S_OK : E_FAIL;
}

STDMETHODIMP VQActiveXCtrl::ContextSensitiveHelp(BOOL) { return S_OK; }

STDMETHODIMP VQActiveXCtrl::CanInPlaceActivate() { return S_OK; }

STDMETHODIMP VQActiveXCtrl::OnInPlaceActivate() {
    BOOL noRedraw = FALSE;
    return OnInPlaceActivateEx(&noRedraw, m_owner && m_owner->IsWindowless() ? ACTIVATE_WINDOWLESS : 0);
}

STDMETHODIMP VQActiveXCtrl::OnUIActivate() {
    m_uiActive = true;
    return S_OK;
}

STDMETHODIMP VQActiveXCtrl::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                             LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) {
    if (!frame || !document || !position || !clip) return E_POINTER;
    *frame = nullptr;
    *document = nullptr;
    if (!m_owner) return E_UNEXPECTED;
    VQActiveXFrameWnd* frameWnd = new (std::nothrow) VQActiveXFrameWnd(this);
    if (!frameWnd) return E_OUTOFMEMORY;
    *frame = frameWnd;
    // The object places itself by these; leaving them as the caller gave
    // them would hand it whatever its stack held.
    *position = ObjectRect(m_owner, m_windowless);
    *clip = *position;
    if (!m_accelerators) {
        ACCEL empty = {0, 0, 0};
        m_accelerators = ::CreateAcceleratorTableW(&empty, 1);
    }
    if (frameInfo) {
        VQPaintManager* manager = m_owner->GetManager();
        frameInfo->cb = sizeof(OLEINPLACEFRAMEINFO);
        frameInfo->fMDIApp = FALSE;
        frameInfo->hwndFrame = manager ? manager->GetPaintWindow() : nullptr;
        frameInfo->haccel = m_accelerators;
        frameInfo->cAccelEntries = 1;
    }
    return S_OK;
}

STDMETHODIMP VQActiveXCtrl::Scroll(SIZE) { return E_NOTIMPL; }

STDMETHODIMP VQActiveXCtrl::OnUIDeactivate(BOOL) {
    m_uiActive = false;
    return S_OK;
}

STDMETHODIMP VQActiveXCtrl::OnInPlaceDeactivate() { return OnInPlaceDeactivateEx(TRUE); }

STDMETHODIMP VQActiveXCtrl::DiscardUndoState() { return E_NOTIMPL; }

STDMETHODIMP VQActiveXCtrl::DeactivateAndUndo() { return E_NOTIMPL; }

STDMETHODIMP VQActiveXCtrl::OnPosRectChange(LPCRECT) { return E_NOTIMPL; }

STDMETHODIMP VQActiveXCtrl::OnInPlaceActivateEx(BOOL*, DWORD flags) {
    if (!m_owner || !m_owner->GetOleObject()) return E_UNEXPECTED;
    IOleObject* object = m_owner->GetOleObject();
    if (!m_lockedObject && SUCCEEDED(::OleLockRunning(object, TRUE, FALSE))) m_lockedObject = object;
    HRESULT hr = S_OK;
    bool windowless = false;
    if (flags & ACTIVATE_WINDOWLESS) {
        IOleInPlaceObjectWindowless* inPlace = nullptr;
        if (SUCCEEDED(object->QueryInterface(IID_IOleInPlaceObjectWindowless, reinterpret_cast<void**>(&inPlace))) &&
            inPlace) {
            if (m_inPlaceObject) m_inPlaceObject->Release();
            m_inPlaceObject = inPlace;
            windowless = true;
            // An object that asked for its window before activating has made
            // a child window it will never use.
            DestroyHostWindow();
            VQPaintManager* manager = m_owner->GetManager();
            m_owner->SetHostWindow(manager ? manager->GetPaintWindow() : nullptr);
            if (manager) manager->AddMessageFilter(m_owner);
        }
    }
    m_windowless = windowless;
    if (!windowless) hr = CreateHostWindow();
    if (m_inPlaceObject) {
        RECT rc = ObjectRect(m_owner, m_windowless);
        m_inPlaceObject->SetObjectRects(&rc, &rc);
    }
    m_inPlaceActive = SUCCEEDED(hr);
    return hr;
}

STDMETHODIMP VQActiveXCtrl::OnInPlaceDeactivateEx(BOOL) {
    m_inPlaceActive = false;
    if (m_inPlaceObject) {
        m_inPlaceObject->Release();
        m_inPlaceObject = nullptr;
    }
    DestroyHostWindow();
    UnlockRunning();
    return S_OK;
}

void VQActiveXCtrl::UnlockRunning() {
    // A lock left in place would keep the object alive after its host let go.
    if (!m_lockedObject) return;
    IOleObject* object = m_lockedObject;
    m_lockedObject = nullptr;
    ::OleLockRunning(object, FALSE, TRUE);
}

STDMETHODIMP VQActiveXCtrl::RequestUIActivate() { return S_OK; }

STDMETHODIMP VQActiveXCtrl::CanWindowlessActivate() { return S_OK; }

// ---- IOleInPlaceSiteWindowless ----

STDMETHODIMP VQActiveXCtrl::GetCapture() {
    if (!m_owner) return E_UNEXPECTED;
    return m_hasCapture ? S_OK : S_FALSE;
}

STDMETHODIMP VQActiveXCtrl::SetCapture(BOOL capture) {
    if (!m_owner) return E_UNEXPECTED;
    m_hasCapture = capture == TRUE;
    if (capture)
        ::SetCapture(ObjectWindow());
    else
        ::ReleaseCapture();
    return S_OK;
}

STDMETHODIMP VQActiveXCtrl::GetFocus() {
    if (!m_owner) return E_UNEXPECTED;
    return m_hasFocus ? S_OK : S_FALSE;
}

STDMETHODIMP VQActiveXCtrl::SetFocus(BOOL focus) {
    if (!m_owner) return E_UNEXPECTED;
    if (focus) m_owner->SetFocus();
    m_hasFocus = focus == TRUE;
    return S_OK;
}

STDMETHODIMP VQActiveXCtrl::GetDC(LPCRECT, DWORD flags, HDC* dc) {
    if (!dc) return E_POINTER;
    *dc = nullptr;
    if (!m_owner) return E_UNEXPECTED;
    HWND window = ObjectWindow();
    HDC result = window ? ::GetDC(window) : nullptr;
    if (!result) return E_FAIL;
    if (flags & OLEDC_PAINTBKGND) {
        RECT rc = ObjectRect(m_owner, m_windowless);
        ::FillRect(result, &rc, ::GetSysColorBrush(COLOR_WINDOW));
    }
    *dc = result;
    return S_OK;
}

STDMETHODIMP VQActiveXCtrl::ReleaseDC(HDC dc) {
    if (!m_owner) return E_UNEXPECTED;
    HWND window = ObjectWindow();
    return window && ::ReleaseDC(window, dc) ? S_OK : E_FAIL;
}

STDMETHODIMP VQActiveXCtrl::InvalidateRect(LPCRECT rect, BOOL erase) {
    if (!m_owner) return E_UNEXPECTED;
    HWND window = ObjectWindow();
    return window && ::InvalidateRect(window, rect, erase) ? S_OK : E_FAIL;
}

STDMETHODIMP VQActiveXCtrl::InvalidateRgn(HRGN region, BOOL erase) {
    if (!m_owner) return E_UNEXPECTED;
    HWND window = ObjectWindow();
    return window && ::InvalidateRgn(window, region, erase) ? S_OK : E_FAIL;
}

STDMETHODIMP VQActiveXCtrl::ScrollRect(INT, INT, LPCRECT, LPCRECT) { return S_OK; }

STDMETHODIMP VQActiveXCtrl::AdjustRect(LPRECT) { return S_OK; }

STDMETHODIMP VQActiveXCtrl::OnDefWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (!result) return E_POINTER;
    *result = 0;
    if (!m_owner) return E_UNEXPECTED;
    *result = ::DefWindowProcW(ObjectWindow(), message, wParam, lParam);
    return S_OK;
}

// ---- the host window of a windowed object ----

HRESULT VQActiveXCtrl::CreateHostWindow() {
    if (m_hostWindow) return S_OK;
    if (!m_owner) return E_UNEXPECTED;
    VQActiveXWnd* window = new (std::nothrow) VQActiveXWnd();
    if (!window) return E_OUTOFMEMORY;
    VQPaintManager* manager = m_owner->GetManager();
    HWND hwnd = window->Init(this, manager ? manager->GetPaintWindow() : nullptr);
    if (!hwnd) {
        delete window;
        return E_FAIL;
    }
    m_hostWindow = window;
    m_owner->SetHostWindow(hwnd);
    m_owner->SetNativeWindow(hwnd);
    return S_OK;
}

void VQActiveXCtrl::DestroyHostWindow() {
    if (!m_hostWindow) return;
    VQActiveXWnd* window = m_hostWindow;
    m_hostWindow = nullptr;
    HWND hwnd = window->GetHWND();
    if (m_owner) {
        m_owner->SetNativeWindow(nullptr);
        if (m_owner->GetHostWindow() == hwnd) m_owner->SetHostWindow(nullptr);
    }
    if (hwnd) ::DestroyWindow(hwnd);
    delete window;
}

}  // namespace Tessar
