#pragma once
// The container side of one hosted ActiveX object: a single COM object that
// is the object's client site, in-place site (windowless too), control site,
// site holder, container, document-host UI handler and command target, all
// sharing one reference count. It answers for its VQActiveX owner, which
// holds one reference from creation to ReleaseControl; once the owner lets
// go the site answers E_UNEXPECTED where it would need it.

#include <windows.h>

#include <docobj.h>
#include <mshtmhst.h>
#include <ocidl.h>
#include <ole2.h>

namespace Tessar {

class VQActiveX;
class VQActiveXWnd;

class VQActiveXCtrl : public IOleClientSite,
                      public IOleInPlaceSiteWindowless,
                      public IOleControlSite,
                      public IObjectWithSite,
                      public IOleContainer,
                      public IDocHostUIHandler,
                      public IOleCommandTarget {
public:
    // Made with a count of 1, the owner's reference.
    explicit VQActiveXCtrl(VQActiveX* owner);
    virtual ~VQActiveXCtrl();
    VQActiveXCtrl(const VQActiveXCtrl&) = delete;
    VQActiveXCtrl& operator=(const VQActiveXCtrl&) = delete;

    // IUnknown, shared by every part.
    STDMETHOD(QueryInterface)(REFIID iid, void** out) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;

    // IOleClientSite
    STDMETHOD(SaveObject)() override;
    STDMETHOD(GetMoniker)(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHOD(GetContainer)(IOleContainer** container) override;
    STDMETHOD(ShowObject)() override;
    STDMETHOD(OnShowWindow)(BOOL show) override;
    STDMETHOD(RequestNewObjectLayout)() override;

    // IOleWindow, IOleInPlaceSite, IOleInPlaceSiteEx, IOleInPlaceSiteWindowless
    STDMETHOD(GetWindow)(HWND* window) override;
    STDMETHOD(ContextSensitiveHelp)(BOOL enterMode) override;
    STDMETHOD(CanInPlaceActivate)() override;
    STDMETHOD(OnInPlaceActivate)() override;
    STDMETHOD(OnUIActivate)() override;
    STDMETHOD(GetWindowContext)(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) override;
    STDMETHOD(Scroll)(SIZE extent) override;
    STDMETHOD(OnUIDeactivate)(BOOL undoable) override;
    STDMETHOD(OnInPlaceDeactivate)() override;
    STDMETHOD(DiscardUndoState)() override;
    STDMETHOD(DeactivateAndUndo)() override;
    STDMETHOD(OnPosRectChange)(LPCRECT position) override;
    STDMETHOD(OnInPlaceActivateEx)(BOOL* noRedraw, DWORD flags) override;
    STDMETHOD(OnInPlaceDeactivateEx)(BOOL noRedraw) override;
    STDMETHOD(RequestUIActivate)() override;
    STDMETHOD(CanWindowlessActivate)() override;
    STDMETHOD(GetCapture)() override;
    STDMETHOD(SetCapture)(BOOL capture) override;
    STDMETHOD(GetFocus)() override;
    STDMETHOD(SetFocus)(BOOL focus) override;
    STDMETHOD(GetDC)(LPCRECT rect, DWORD flags, HDC* dc) override;
    STDMETHOD(ReleaseDC)(HDC dc) override;
    STDMETHOD(InvalidateRect)(LPCRECT rect, BOOL erase) override;
    STDMETHOD(InvalidateRgn)(HRGN region, BOOL erase) override;
    STDMETHOD(ScrollRect)(INT dx, INT dy, LPCRECT scroll, LPCRECT clip) override;
    STDMETHOD(AdjustRect)(LPRECT rect) override;
    STDMETHOD(OnDefWindowMessage)(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // IOleControlSite
    STDMETHOD(OnControlInfoChanged)() override;
    STDMETHOD(LockInPlaceActive)(BOOL lock) override;
    STDMETHOD(GetExtendedControl)(IDispatch** dispatch) override;
    STDMETHOD(TransformCoords)(POINTL* himetric, POINTF* container, DWORD flags) override;
    STDMETHOD(TranslateAccelerator)(MSG* msg, DWORD modifiers) override;
    STDMETHOD(OnFocus)(BOOL gotFocus) override;
    STDMETHOD(ShowPropertyFrame)() override;

    // IObjectWithSite
    STDMETHOD(SetSite)(IUnknown* site) override;
    STDMETHOD(GetSite)(REFIID iid, void** site) override;

    // IParseDisplayName, IOleContainer
    STDMETHOD(ParseDisplayName)(IBindCtx* context, LPOLESTR name, ULONG* eaten, IMoniker** moniker) override;
    STDMETHOD(EnumObjects)(DWORD flags, IEnumUnknown** objects) override;
    STDMETHOD(LockContainer)(BOOL lock) override;

    // IDocHostUIHandler
    STDMETHOD(ShowContextMenu)(DWORD id, POINT* point, IUnknown* commandTarget, IDispatch* object) override;
    STDMETHOD(GetHostInfo)(DOCHOSTUIINFO* info) override;
    STDMETHOD(ShowUI)(DWORD id, IOleInPlaceActiveObject* activeObject, IOleCommandTarget* commandTarget,
                      IOleInPlaceFrame* frame, IOleInPlaceUIWindow* document) override;
    STDMETHOD(HideUI)() override;
    STDMETHOD(UpdateUI)() override;
    STDMETHOD(EnableModeless)(BOOL enable) override;
    STDMETHOD(OnDocWindowActivate)(BOOL activate) override;
    STDMETHOD(OnFrameWindowActivate)(BOOL activate) override;
    STDMETHOD(ResizeBorder)(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
    STDMETHOD(TranslateAccelerator)(LPMSG msg, const GUID* group, DWORD command) override;
    STDMETHOD(GetOptionKeyPath)(LPOLESTR* key, DWORD reserved) override;
    STDMETHOD(GetDropTarget)(IDropTarget* dropTarget, IDropTarget** replacement) override;
    STDMETHOD(GetExternal)(IDispatch** dispatch) override;
    STDMETHOD(TranslateUrl)(DWORD translate, LPWSTR in, LPWSTR* out) override;
    STDMETHOD(FilterDataObject)(IDataObject* in, IDataObject** out) override;

    // IOleCommandTarget
    STDMETHOD(QueryStatus)(const GUID* group, ULONG count, OLECMD* commands, OLECMDTEXT* text) override;
    STDMETHOD(Exec)(const GUID* group, DWORD command, DWORD option, VARIANT* in, VARIANT* out) override;

    // The owner, null once it released the site.
    VQActiveX* GetOwner() const { return m_owner; }
    void ClearOwner() { m_owner = nullptr; }
    IOleClientSite* GetClientSite() { return static_cast<IOleClientSite*>(this); }

    // Keeps the object's view object (a reference is taken).
    void SetViewObject(IViewObject* view);
    IViewObject* GetViewObject() const { return m_viewObject; }
    IOleInPlaceObjectWindowless* GetInPlaceObject() const { return m_inPlaceObject; }

    bool IsWindowless() const { return m_windowless; }
    bool IsInPlaceActive() const { return m_inPlaceActive; }
    bool IsUIActive() const { return m_uiActive; }
    bool HasFocus() const { return m_hasFocus; }
    bool HasCapture() const { return m_hasCapture; }
    bool IsContainerLocked() const { return m_containerLocked; }
    void SetHasFocus(bool on) { m_hasFocus = on; }
    VQActiveXWnd* GetHostWindow() const { return m_hostWindow; }

    // Sites alive in this process; lets tests see every site freed.
    static long LiveCount();

private:
    HRESULT CreateHostWindow();
    void DestroyHostWindow();
    // The owner's object window, null without owner.
    HWND ObjectWindow() const;
    void UnlockRunning();

    LONG m_refCount = 1;
    VQActiveX* m_owner;
    VQActiveXWnd* m_hostWindow = nullptr;
    IUnknown* m_siteHolder = nullptr;
    IViewObject* m_viewObject = nullptr;
    IOleInPlaceObjectWindowless* m_inPlaceObject = nullptr;
    bool m_containerLocked = false;
    bool m_hasFocus = false;
    bool m_hasCapture = false;
    bool m_windowless = true;
    bool m_uiActive = false;
    bool m_inPlaceActive = false;
    // Handed to the object by GetWindowContext; one per site, destroyed with it.
    HACCEL m_accelerators = nullptr;
    // The object kept running by activation (no reference of ours: the lock
    // holds one); unlocked again on deactivation so it can be freed.
    IOleObject* m_lockedObject = nullptr;
};

}  // namespace Tessar
