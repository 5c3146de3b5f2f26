#include "ui/ActiveXWnd.h"

#include "common/ComPtr.h"
#include "ui/ActiveX.h"
#include "ui/ActiveXCtrl.h"

namespace Tessar {

namespace {

const wchar_t kWindowTitle[] = L"VQActiveX";

HINSTANCE ModuleInstance() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ModuleInstance), &module);
    return module;
}

}  // namespace

VQActiveXWnd::~VQActiveXWnd() {
    if (m_hwnd) {
        HWND hwnd = m_hwnd;
        ::DestroyWindow(hwnd);
    }
}

HWND VQActiveXWnd::Init(VQActiveXCtrl* site, HWND parent) {
    m_site = site;
    HINSTANCE instance = ModuleInstance();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &VQActiveXWnd::WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = GetWindowClassName();
    if (!::RegisterClassW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    return ::CreateWindowExW(0, GetWindowClassName(), kWindowTitle, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                             0, 0, 0, 0, parent, nullptr, instance, this);
}

LRESULT CALLBACK VQActiveXWnd::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<VQActiveXWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_hwnd = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<VQActiveXWnd*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        LRESULT result = ::CallWindowProcW(self->m_previousProc, hwnd, message, wParam, lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
        return result;
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT VQActiveXWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFOCUS:
        if (m_site) {
            m_site->SetHasFocus(true);
            if (!m_site->IsUIActive()) DoVerb(OLEIVERB_UIACTIVATE);
        }
        break;
    case WM_KILLFOCUS:
        if (m_site) m_site->SetHasFocus(false);
        break;
    case WM_PAINT: {
        // The object paints its own windows.
        PAINTSTRUCT ps;
        ::BeginPaint(m_hwnd, &ps);
        ::EndPaint(m_hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        if (m_site && m_site->GetViewObject()) return 1;
        break;
    case WM_MOUSEACTIVATE: {
        VQActiveX* owner = m_site ? m_site->GetOwner() : nullptr;
        DWORD status = 0;
        if (owner && owner->GetOleObject() && FAILED(owner->GetOleObject()->GetMiscStatus(DVASPECT_CONTENT, &status)))
            status = 0;
        if (owner && !(status & OLEMISC_NOUIACTIVATE) && !m_site->IsInPlaceActive()) DoVerb(OLEIVERB_INPLACEACTIVATE);
        break;
    }
    default:
        break;
    }
    return ::CallWindowProcW(m_previousProc, m_hwnd, message, wParam, lParam);
}

void VQActiveXWnd::DoVerb(LONG verb) {
    VQActiveX* owner = m_site ? m_site->GetOwner() : nullptr;
    if (!owner) return;
    VQComPtr<IOleObject> object;
    if (FAILED(owner->GetControl(IID_IOleObject, object.ReceiveVoid())) || !object) return;
    RECT rc = owner->GetPos();
    ::OffsetRect(&rc, -rc.left, -rc.top);
    object->DoVerb(verb, nullptr, m_site->GetClientSite(), 0, m_hwnd, &rc);
}

}  // namespace Tessar
