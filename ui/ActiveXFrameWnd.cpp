#include "ui/ActiveXFrameWnd.h"

#include "ui/ActiveX.h"
#include "ui/ActiveXCtrl.h"
#include "ui/PaintManager.h"

namespace Tessar {

VQActiveXFrameWnd::VQActiveXFrameWnd(VQActiveXCtrl* site) : m_site(site) {
    if (m_site) m_site->AddRef();
}

VQActiveXFrameWnd::~VQActiveXFrameWnd() {
    if (m_activeObject) m_activeObject->Release();
    if (m_site) m_site->Release();
}

STDMETHODIMP VQActiveXFrameWnd::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleWindow || iid == IID_IOleInPlaceFrame ||
        iid == IID_IOleInPlaceUIWindow) {
        *out = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) VQActiveXFrameWnd::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_refCount)); }

STDMETHODIMP_(ULONG) VQActiveXFrameWnd::Release() {
    LONG count = ::InterlockedDecrement(&m_refCount);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP VQActiveXFrameWnd::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = nullptr;
    VQActiveX* owner = m_site ? m_site->GetOwner() : nullptr;
    if (!owner) return E_UNEXPECTED;
    VQPaintManager* manager = owner->GetManager();
    *window = manager ? manager->GetPaintWindow() : nullptr;
    return S_OK;
}

STDMETHODIMP VQActiveXFrameWnd::ContextSensitiveHelp(BOOL) { return S_OK; }
STDMETHODIMP VQActiveXFrameWnd::GetBorder(LPRECT) { return S_OK; }
STDMETHODIMP VQActiveXFrameWnd::RequestBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP VQActiveXFrameWnd::SetBorderSpace(LPCBORDERWIDTHS) { return S_OK; }

STDMETHODIMP VQActiveXFrameWnd::SetActiveObject(IOleInPlaceActiveObject* activeObject, LPCOLESTR) {
    if (activeObject) activeObject->AddRef();
    if (m_activeObject) m_activeObject->Release();
    m_activeObject = activeObject;
    return S_OK;
}

STDMETHODIMP VQActiveXFrameWnd::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return S_OK; }
STDMETHODIMP VQActiveXFrameWnd::SetMenu(HMENU, HOLEMENU, HWND) { return S_OK; }
STDMETHODIMP VQActiveXFrameWnd::RemoveMenus(HMENU) { return S_OK; }
STDMETHODIMP VQActiveXFrameWnd::SetStatusText(LPCOLESTR) { return S_OK; }
STDMETHODIMP VQActiveXFrameWnd::EnableModeless(BOOL) { return S_OK; }
STDMETHODIMP VQActiveXFrameWnd::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }

}  // namespace Tessar
