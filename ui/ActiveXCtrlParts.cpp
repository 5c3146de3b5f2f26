// The site's control-site, site-holder, container, document-host and
// command-target parts: what an embedded web browser asks its host about
// borders, scroll bars, its context menu, script errors and the page's
// external object.
#include <new>

#include "ui/ActiveX.h"
#include "ui/ActiveXCtrl.h"
#include "ui/ActiveXEnum.h"
#include "ui/ComIds.h"

namespace Tessar {

// ---- IOleControlSite ----

STDMETHODIMP VQActiveXCtrl::OnControlInfoChanged() { return S_OK; }

STDMETHODIMP VQActiveXCtrl::LockInPlaceActive(BOOL) { return S_OK; }

STDMETHODIMP VQActiveXCtrl::GetExtendedControl(IDispatch** dispatch) {
    if (!dispatch) return E_POINTER;
    *dispatch = nullptr;
    if (!m_owner || !m_owner->GetOleObject()) return E_UNEXPECTED;
    return m_owner->GetOleObject()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch));
}

STDMETHODIMP VQActiveXCtrl::TransformCoords(POINTL*, POINTF*, DWORD) { return S_OK; }

STDMETHODIMP VQActiveXCtrl::TranslateAccelerator(MSG*, DWORD) { return S_FALSE; }

STDMETHODIMP VQActiveXCtrl::OnFocus(BOOL gotFocus) {
    m_hasFocus = gotFocus == TRUE;
    return S_OK;
}

STDMETHODIMP VQActiveXCtrl::ShowPropertyFrame() { return E_NOTIMPL; }

// ---- IObjectWithSite ----

STDMETHODIMP VQActiveXCtrl::SetSite(IUnknown* site) {
    if (site) site->AddRef();
    if (m_siteHolder) m_siteHolder->Release();
    m_siteHolder = site;
    return S_OK;
}

STDMETHODIMP VQActiveXCtrl::GetSite(REFIID iid, void** site) {
    if (!site) return E_POINTER;
    *site = nullptr;
    if (!m_siteHolder) return E_FAIL;
    return m_siteHolder->QueryInterface(iid, site);
}

// ---- IOleContainer ----

STDMETHODIMP VQActiveXCtrl::ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP VQActiveXCtrl::EnumObjects(DWORD, IEnumUnknown** objects) {
    if (!objects) return E_POINTER;
    *objects = nullptr;
    if (!m_owner) return E_UNEXPECTED;
    VQActiveXEnum* list = new (std::nothrow) VQActiveXEnum(m_owner->GetOleObject());
    if (!list) return E_OUTOFMEMORY;
    *objects = list;
    return S_OK;
}

STDMETHODIMP VQActiveXCtrl::LockContainer(BOOL lock) {
    m_containerLocked = lock != 0;
    return S_OK;
}

// ---- IDocHostUIHandler ----

STDMETHODIMP VQActiveXCtrl::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) {
    // E_NOTIMPL lets the page show its own menu; S_OK means "shown" (none).
    if (m_owner && !m_owner->IsEnableContextMenu()) return S_OK;
    return E_NOTIMPL;
}

STDMETHODIMP VQActiveXCtrl::GetHostInfo(DOCHOSTUIINFO* info) {
    if (!info || !m_owner) return S_OK;
    if (!m_owner->IsEnable3dBorder()) info->dwFlags |= DOCHOSTUIFLAG_NO3DBORDER;
    if (!m_owner->IsEnableScrollBar()) info->dwFlags |= DOCHOSTUIFLAG_SCROLL_NO;
    return S_OK;
}

STDMETHODIMP VQActiveXCtrl::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                   IOleInPlaceUIWindow*) {
    return E_NOTIMPL;
}

STDMETHODIMP VQActiveXCtrl::HideUI() { return E_NOTIMPL; }

STDMETHODIMP VQActiveXCtrl::UpdateUI() { return E_NOTIMPL; }

STDMETHODIMP VQActiveXCtrl::EnableModeless(BOOL) { return E_NOTIMPL; }

STDMETHODIMP VQActiveXCtrl::OnDocWindowActivate(BOOL) { return E_NOTIMPL; }

STDMETHODIMP VQActiveXCtrl::OnFrameWindowActivate(BOOL) { return E_NOTIMPL; }

STDMETHODIMP VQActiveXCtrl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return E_NOTIMPL; }

STDMETHODIMP VQActiveXCtrl::TranslateAccelerator(LPMSG, const GUID*, DWORD) { return E_NOTIMPL; }

STDMETHODIMP VQActiveXCtrl::GetOptionKeyPath(LPOLESTR* key, DWORD) {
    if (key) *key = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP VQActiveXCtrl::GetDropTarget(IDropTarget*, IDropTarget** replacement) {
    if (replacement) *replacement = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP VQActiveXCtrl::GetExternal(IDispatch** dispatch) {
    if (!dispatch) return E_POINTER;
    *dispatch = nullptr;
    IDispatch* external = m_owner ? m_owner->GetExternal() : nullptr;
    if (!external) return E_NOTIMPL;
    external->AddRef();
    *dispatch = external;
    return S_OK;
}

STDMETHODIMP VQActiveXCtrl::TranslateUrl(DWORD, LPWSTR, LPWSTR* out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP VQActiveXCtrl::FilterDataObject(IDataObject*, IDataObject** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

// ---- IOleCommandTarget ----

STDMETHODIMP VQActiveXCtrl::QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) { return OLECMDERR_E_UNKNOWNGROUP; }

STDMETHODIMP VQActiveXCtrl::Exec(const GUID* group, DWORD command, DWORD, VARIANT*, VARIANT* out) {
    if (!group || *group != kCgidDocHostCommandHandler) return OLECMDERR_E_UNKNOWNGROUP;
    if (command != OLECMDID_SHOWSCRIPTERROR) return OLECMDERR_E_NOTSUPPORTED;
    // A script error: keep running the page's scripts, show nothing.
    if (out) {
        ::VariantClear(out);
        out->vt = VT_BOOL;
        out->boolVal = VARIANT_TRUE;
    }
    return S_OK;
}

}  // namespace Tessar
