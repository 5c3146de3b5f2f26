#include "ui/ActiveXWnd.h"

#include "common/ComPtr.h"
#include "ui/ActiveX.h"
#include "ui/ActiveXCtrl.h"

namespace Tessar {

namespace {

const wchar_t kWindowTitle[] = L"VQActiveX";

}  // namespace

HWND VQActiveXWnd::Init(VQActiveXCtrl* site, HWND parent) {
    m_site = site;
    return Create(parent, kWindowTitle, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0, 0);
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
