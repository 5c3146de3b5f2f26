// The test control's in-place activation (windowless or in a window of its
// own), its drawing and its window messages.
#include <exdispid.h>
#include <windowsx.h>

#include "TestControl.h"
#include "TestControlApi.h"

namespace TestControl {

namespace {

const wchar_t kWindowClass[] = L"VQTestControlWindow";

LRESULT CALLBACK ControlWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* control = reinterpret_cast<VQTestControl*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE:
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        break;
    case WM_PAINT:
        if (control) {
            control->PaintWindow(hwnd);
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
        if (control) control->OnClick();
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

HRESULT VQTestControl::ActivateInPlace() {
    if (m_inPlaceActive) return S_OK;
    if (!m_clientSite) return E_UNEXPECTED;
    IOleInPlaceSite* site = nullptr;
    if (FAILED(m_clientSite->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&site))) || !site)
        return E_NOINTERFACE;
    if (site->CanInPlaceActivate() != S_OK) {
        site->Release();
        return E_FAIL;
    }
    m_inPlaceSite = site;
    if (m_options & TestOptionAskWindowFirst) site->GetWindow(&m_parent);
    HRESULT hr = E_FAIL;
    m_windowless = false;
    if (m_options & TestOptionWindowless) {
        IOleInPlaceSiteWindowless* windowless = nullptr;
        if (SUCCEEDED(site->QueryInterface(IID_IOleInPlaceSiteWindowless, reinterpret_cast<void**>(&windowless))) &&
            windowless) {
            if (windowless->CanWindowlessActivate() == S_OK) {
                BOOL noRedraw = FALSE;
                hr = windowless->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS);
                m_windowless = SUCCEEDED(hr);
            }
            windowless->Release();
        }
    }
    if (!m_windowless) hr = site->OnInPlaceActivate();
    if (FAILED(hr)) {
        m_inPlaceSite = nullptr;
        site->Release();
        return hr;
    }
    m_inPlaceActive = true;
    site->GetWindow(&m_parent);
    RECT position = {}, clip = {};
    OLEINPLACEFRAMEINFO info = {};
    info.cb = sizeof(info);
    if (SUCCEEDED(site->GetWindowContext(&m_frame, &m_document, &position, &clip, &info))) {
        m_rect = position;
        if (m_frame) m_frame->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), nullptr);
    }
    if (!m_windowless) CreateOwnWindow();
    Log(m_windowless ? L"active=windowless" : L"active=windowed");
    return S_OK;
}

void VQTestControl::CreateOwnWindow() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ControlWindowProc;
    wc.hInstance = ModuleInstance();
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    ::RegisterClassW(&wc);
    m_window = ::CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE, m_rect.left, m_rect.top,
                                 m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, m_parent, nullptr,
                                 ModuleInstance(), this);
}

STDMETHODIMP VQTestControl::InPlaceDeactivate() {
    if (!m_inPlaceActive) return S_OK;
    if (m_uiActive) UIDeactivate();
    m_inPlaceActive = false;
    if (m_window) {
        ::DestroyWindow(m_window);
        m_window = nullptr;
    }
    if (m_frame) {
        m_frame->SetActiveObject(nullptr, nullptr);
        m_frame->Release();
        m_frame = nullptr;
    }
    if (m_document) {
        m_document->Release();
        m_document = nullptr;
    }
    IOleInPlaceSite* site = m_inPlaceSite;
    m_inPlaceSite = nullptr;
    if (site) {
        site->OnInPlaceDeactivate();
        site->Release();
    }
    return S_OK;
}

STDMETHODIMP VQTestControl::UIDeactivate() {
    if (!m_uiActive) return S_OK;
    m_uiActive = false;
    if (m_inPlaceSite) m_inPlaceSite->OnUIDeactivate(FALSE);
    return S_OK;
}

STDMETHODIMP VQTestControl::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = m_window;
    return m_window ? S_OK : E_FAIL;
}

STDMETHODIMP VQTestControl::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP VQTestControl::SetObjectRects(LPCRECT position, LPCRECT) {
    if (!position) return E_POINTER;
    m_rect = *position;
    if (m_window)
        ::MoveWindow(m_window, m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, TRUE);
    Log(L"rects");
    return S_OK;
}

STDMETHODIMP VQTestControl::ReactivateAndUndo() { return E_NOTIMPL; }

STDMETHODIMP VQTestControl::OnWindowMessage(UINT message, WPARAM, LPARAM, LRESULT* result) {
    if (result) *result = 0;
    switch (message) {
    case WM_LBUTTONDOWN:
        OnClick();
        return S_OK;
    case WM_MOUSEWHEEL:
        Log(L"wheel");
        return S_OK;
    case WM_KEYDOWN:
        Log(L"key");
        return S_OK;
    default:
        return S_FALSE;
    }
}

STDMETHODIMP VQTestControl::GetDropTarget(IDropTarget** target) {
    if (target) *target = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP VQTestControl::TranslateAccelerator(LPMSG msg) {
    if (msg && msg->message == WM_KEYDOWN) Log(L"accel=" + std::to_wstring(msg->wParam));
    return S_FALSE;
}
STDMETHODIMP VQTestControl::OnFrameWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP VQTestControl::OnDocWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP VQTestControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
STDMETHODIMP VQTestControl::EnableModeless(BOOL) { return S_OK; }

void VQTestControl::OnClick() {
    ++m_clicks;
    Log(L"click");
    // As a page reports its loading: progress, maximum.
    VARIANT args[2];
    args[1].vt = VT_I4;
    args[1].lVal = m_clicks;
    args[0].vt = VT_I4;
    args[0].lVal = 100;
    m_point.Fire(DISPID_PROGRESSCHANGE, args, 2);
}

// ---- drawing ----

void VQTestControl::PaintWindow(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd, &ps);
    RECT client;
    ::GetClientRect(hwnd, &client);
    HBRUSH brush = ::CreateSolidBrush(m_color);
    ::FillRect(dc, &client, brush);
    ::DeleteObject(brush);
    ::EndPaint(hwnd, &ps);
}

STDMETHODIMP VQTestControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                                 BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!dc || !bounds) return E_INVALIDARG;
    RECT rc = {bounds->left, bounds->top, bounds->right, bounds->bottom};
    HBRUSH brush = ::CreateSolidBrush(m_color);
    ::FillRect(dc, &rc, brush);
    ::DeleteObject(brush);
    return S_OK;
}

STDMETHODIMP VQTestControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) {
    if (colors) *colors = nullptr;
    return S_FALSE;
}

STDMETHODIMP VQTestControl::Freeze(DWORD, LONG, void*, DWORD* freeze) {
    if (freeze) *freeze = 0;
    return E_NOTIMPL;
}

STDMETHODIMP VQTestControl::Unfreeze(DWORD) { return E_NOTIMPL; }
STDMETHODIMP VQTestControl::SetAdvise(DWORD, DWORD, IAdviseSink*) { return E_NOTIMPL; }

STDMETHODIMP VQTestControl::GetAdvise(DWORD*, DWORD*, IAdviseSink** sink) {
    if (sink) *sink = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP VQTestControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    return GetExtent(aspect, size);
}

STDMETHODIMP VQTestControl::GetRect(DWORD, LPRECTL rect) {
    if (!rect) return E_POINTER;
    *rect = {m_rect.left, m_rect.top, m_rect.right, m_rect.bottom};
    return S_OK;
}

STDMETHODIMP VQTestControl::GetViewStatus(DWORD* status) {
    if (!status) return E_POINTER;
    *status = VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND;
    return S_OK;
}

STDMETHODIMP VQTestControl::QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT pt, LONG, DWORD* hit) {
    if (!bounds || !hit) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *hit = ::PtInRect(bounds, pt) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

STDMETHODIMP VQTestControl::QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT rect, LONG, DWORD* hit) {
    if (!bounds || !rect || !hit) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    RECT common;
    *hit = ::IntersectRect(&common, bounds, rect) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

STDMETHODIMP VQTestControl::GetNaturalExtent(DWORD, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*, LPSIZEL) {
    return E_NOTIMPL;
}

}  // namespace TestControl
