#include "ui/ActiveX.h"

#include <windowsx.h>

#include "common/ComPtr.h"
#include "ui/ActiveXCtrl.h"
#include "ui/BuiltInMarkup.h"
#include "ui/MarkupValue.h"
#include "ui/PaintManager.h"

namespace Tessar {

namespace {

// Class ids longer than this are cut before they are read.
const size_t kMaxClsidText = 99;

// WM_MOUSEMOVE to WM_XBUTTONDBLCLK.
bool IsMouseMessage(UINT message) { return message >= 0x200 && message <= 0x20D; }

// WM_KEYDOWN to WM_SYSDEADCHAR.
bool IsKeyMessage(UINT message) { return message >= 0x100 && message <= 0x108; }

// HIMETRIC (0.01 mm) size of a pixel extent on the screen.
SIZEL PixelsToHimetric(int width, int height) {
    SIZEL size = {0, 0};
    HDC screen = ::GetDC(nullptr);
    if (!screen) return size;
    size.cx = ::MulDiv(2540, width, ::GetDeviceCaps(screen, LOGPIXELSX));
    size.cy = ::MulDiv(2540, height, ::GetDeviceCaps(screen, LOGPIXELSY));
    ::ReleaseDC(nullptr, screen);
    return size;
}

}  // namespace

VQActiveX::VQActiveX() {}

VQActiveX::~VQActiveX() {
    ReleaseControl();
    if (m_external) {
        m_external->Release();
        m_external = nullptr;
    }
}

VQControl* VQActiveX::GetInterface(int type) {
    if (type == ControlTypeActiveX) return this;
    return VQControl::GetInterface(type);
}

void VQActiveX::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"clsid" || name == L"modulename") {
        // What is loaded comes from the program's own markup only; from a
        // skin these would name a module to load or a class to create.
        if (!VQBuiltInMarkupScope::Covers(this)) return;
        if (name == L"clsid")
            SetClsid(value);
        else
            SetModuleName(value);
    } else if (name == L"delaycreate")
        SetDelayCreate(ParseMarkupBool(value));
    else if (name == L"enable3dborder")
        m_enable3dBorder = ParseMarkupBool(value);
    else if (name == L"enablescrollbar")
        m_enableScrollBar = ParseMarkupBool(value);
    else if (name == L"enablecontextmenu")
        m_enableContextMenu = ParseMarkupBool(value);
    else if (name == L"windowless")
        m_windowless = ParseMarkupBool(value);
    else
        VQControl::SetAttribute(name, value);
}

void VQActiveX::SetClsid(const std::wstring& text) {
    std::wstring id = text.substr(0, kMaxClsidText);
    CLSID clsid = {};
    if (!id.empty() && id[0] == L'{')
        ::CLSIDFromString(id.c_str(), &clsid);
    else
        ::CLSIDFromProgID(id.c_str(), &clsid);
    if (clsid == m_clsid) return;
    m_clsid = clsid;
    m_created = false;
    if (!m_delayCreate) CreateControl();
}

void VQActiveX::SetDelayCreate(bool delay) {
    if (m_delayCreate == delay) return;
    if (!delay && !m_created && m_clsid != GUID_NULL) {
        m_delayCreate = false;
        CreateControl();
    }
    m_delayCreate = delay;
}

void VQActiveX::SetPos(int left, int top, int right, int bottom) {
    VQControl::SetPos(left, top, right, bottom);
    if (!m_created) CreateControl();
    if (!m_object || !m_site) return;
    const RECT rc = m_itemRect;
    SIZEL extent = PixelsToHimetric(rc.right - rc.left, rc.bottom - rc.top);
    m_object->SetExtent(DVASPECT_CONTENT, &extent);
    const bool windowed = !m_site->IsWindowless();
    RECT objectRect = rc;
    if (windowed) ::OffsetRect(&objectRect, -rc.left, -rc.top);
    if (IOleInPlaceObjectWindowless* inPlace = m_site->GetInPlaceObject()) {
        inPlace->SetObjectRects(&objectRect, &objectRect);
    } else if (windowed && m_site->IsInPlaceActive()) {
        // A windowed object has no windowless in-place part, yet its own
        // window must follow the layout too.
        VQComPtr<IOleInPlaceObject> plain;
        if (SUCCEEDED(m_object->QueryInterface(IID_IOleInPlaceObject, plain.ReceiveVoid())))
            plain->SetObjectRects(&objectRect, &objectRect);
    }
    if (windowed && m_nativeWindow)
        ::MoveWindow(m_nativeWindow, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
}

void VQActiveX::SetVisible(bool visible) {
    VQControl::SetVisible(visible);
    if (m_site && !m_site->IsWindowless() && m_nativeWindow)
        ::ShowWindow(m_nativeWindow, IsVisible() ? SW_SHOW : SW_HIDE);
}

void VQActiveX::DoPaint(HDC hdc, const RECT& paintRect) {
    if (!IsVisible()) return;
    if (!::IntersectRect(&m_paintRect, &paintRect, &m_itemRect)) return;
    if (!m_site || !m_site->IsWindowless()) return;
    IViewObject* view = m_site->GetViewObject();
    if (!view) return;
    RECTL bounds = {m_itemRect.left, m_itemRect.top, m_itemRect.right, m_itemRect.bottom};
    // The object draws its whole rectangle; only the part being painted
    // (inside its container's view) may change.
    const int saved = ::SaveDC(hdc);
    ::IntersectClipRect(hdc, m_paintRect.left, m_paintRect.top, m_paintRect.right, m_paintRect.bottom);
    view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, hdc, &bounds, nullptr, nullptr, 0);
    if (saved) ::RestoreDC(hdc, saved);
}

void VQActiveX::ReleaseControl() {
    m_hostWindow = nullptr;
    if (m_object) {
        VQComPtr<IObjectWithSite> withSite;
        if (SUCCEEDED(m_object->QueryInterface(IID_IObjectWithSite, withSite.ReceiveVoid())))
            withSite->SetSite(nullptr);
        m_object->Close(OLECLOSE_NOSAVE);
        m_object->SetClientSite(nullptr);
        m_object->Release();
        m_object = nullptr;
    }
    if (m_site) {
        m_site->ClearOwner();
        m_site->Release();
        m_site = nullptr;
    }
    m_nativeWindow = nullptr;
    if (m_manager) m_manager->RemoveMessageFilter(this);
}

HRESULT VQActiveX::GetControl(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!m_object) return E_PENDING;
    return m_object->QueryInterface(iid, out);
}

void VQActiveX::SetExternal(IDispatch* external) {
    if (external) external->AddRef();
    if (m_external) m_external->Release();
    m_external = external;
}

bool VQActiveX::IsShown() const {
    for (const VQControl* control = this; control; control = control->GetParent())
        if (!control->IsVisible()) return false;
    return true;
}

LRESULT VQActiveX::MessageFilter(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (!m_site || !m_site->IsInPlaceActive() || !m_site->IsWindowless()) return 0;
    // A hidden windowless object is not drawn; it must not take input either.
    if (!IsShown()) return 0;
    IOleInPlaceObjectWindowless* inPlace = m_site->GetInPlaceObject();
    if (!inPlace) return 0;
    bool mayHandle = true;
    if (IsMouseMessage(message) || message == WM_SETCURSOR) {
        if (!m_site->HasCapture()) {
            IViewObject* view = m_site->GetViewObject();
            VQComPtr<IViewObjectEx> viewEx;
            if (!view || FAILED(view->QueryInterface(IID_IViewObjectEx, viewEx.ReceiveVoid()))) return 0;
            POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            // The cursor message carries no point, and the wheel gives
            // screen coordinates.
            if (message == WM_SETCURSOR) {
                ::GetCursorPos(&pt);
                ::ScreenToClient(m_hostWindow, &pt);
            } else if (message == WM_MOUSEWHEEL) {
                ::ScreenToClient(m_hostWindow, &pt);
            }
            DWORD hit = HITRESULT_OUTSIDE;
            if (FAILED(viewEx->QueryHitPoint(DVASPECT_CONTENT, &m_itemRect, pt, 0, &hit)) || hit != HITRESULT_HIT)
                return 0;
        }
        if (message == WM_SETCURSOR) mayHandle = false;
    } else if (IsKeyMessage(message)) {
        if (!IsFocused()) return 0;
    } else if (message == WM_HELP || message == WM_CONTEXTMENU) {
        mayHandle = false;
    } else {
        return 0;
    }
    LRESULT result = 0;
    if (SUCCEEDED(inPlace->OnWindowMessage(message, wParam, lParam, &result)) && mayHandle) handled = true;
    return result;
}

}  // namespace Tessar
