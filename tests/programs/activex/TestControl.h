#pragma once
// A small ActiveX control for the toolkit tests: it activates windowless or
// in a window of its own, paints one colour, fires browser events through a
// connection point, records the calls it gets, calls back into its site on
// request and counts its references (its own, and those it holds on the
// site's parts).

#include <windows.h>

#include <ocidl.h>
#include <ole2.h>
#include <olectl.h>

#include <string>
#include <vector>

#include "TestWebBrowser.h"

namespace TestControl {

class VQTestControl;

// A connection point for one event interface (the browser's two); it lives
// inside the control and shares its reference count.
class VQTestConnectionPoint : public IConnectionPoint {
public:
    VQTestConnectionPoint(VQTestControl* owner, const IID& iid) : m_owner(owner), m_iid(iid) {}
    ~VQTestConnectionPoint();

    STDMETHOD(QueryInterface)(REFIID iid, void** out) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(GetConnectionInterface)(IID* iid) override;
    STDMETHOD(GetConnectionPointContainer)(IConnectionPointContainer** container) override;
    STDMETHOD(Advise)(IUnknown* sink, DWORD* cookie) override;
    STDMETHOD(Unadvise)(DWORD cookie) override;
    STDMETHOD(EnumConnections)(IEnumConnections** list) override;

    // Invokes `dispid` on every sink with the arguments (last first).
    void Fire(DISPID dispid, VARIANT* args, UINT count);
    size_t SinkCount() const;

private:
    VQTestControl* m_owner;
    IID m_iid;
    std::vector<IDispatch*> m_sinks;  // index + 1 is the cookie
};

class VQTestControl : public IOleObject,
                      public IOleControl,
                      public IOleInPlaceObjectWindowless,
                      public IOleInPlaceActiveObject,
                      public IViewObjectEx,
                      public IPersistStreamInit,
                      public IObjectWithSite,
                      public IConnectionPointContainer,
                      public IRunnableObject,
                      public IDispatch {
public:
    explicit VQTestControl(DWORD options);
    virtual ~VQTestControl();

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID iid, void** out) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;

    // IOleObject
    STDMETHOD(SetClientSite)(IOleClientSite* site) override;
    STDMETHOD(GetClientSite)(IOleClientSite** site) override;
    STDMETHOD(SetHostNames)(LPCOLESTR app, LPCOLESTR object) override;
    STDMETHOD(Close)(DWORD saveOption) override;
    STDMETHOD(SetMoniker)(DWORD which, IMoniker* moniker) override;
    STDMETHOD(GetMoniker)(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHOD(InitFromData)(IDataObject* data, BOOL creation, DWORD reserved) override;
    STDMETHOD(GetClipboardData)(DWORD reserved, IDataObject** data) override;
    STDMETHOD(DoVerb)(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent, LPCRECT rect) override;
    STDMETHOD(EnumVerbs)(IEnumOLEVERB** verbs) override;
    STDMETHOD(Update)() override;
    STDMETHOD(IsUpToDate)() override;
    STDMETHOD(GetUserClassID)(CLSID* clsid) override;
    STDMETHOD(GetUserType)(DWORD form, LPOLESTR* type) override;
    STDMETHOD(SetExtent)(DWORD aspect, SIZEL* size) override;
    STDMETHOD(GetExtent)(DWORD aspect, SIZEL* size) override;
    STDMETHOD(Advise)(IAdviseSink* sink, DWORD* connection) override;
    STDMETHOD(Unadvise)(DWORD connection) override;
    STDMETHOD(EnumAdvise)(IEnumSTATDATA** advise) override;
    STDMETHOD(GetMiscStatus)(DWORD aspect, DWORD* status) override;
    STDMETHOD(SetColorScheme)(LOGPALETTE* palette) override;

    // IOleControl
    STDMETHOD(GetControlInfo)(CONTROLINFO* info) override;
    STDMETHOD(OnMnemonic)(MSG* msg) override;
    STDMETHOD(OnAmbientPropertyChange)(DISPID id) override;
    STDMETHOD(FreezeEvents)(BOOL freeze) override;

    // IOleWindow, IOleInPlaceObject(Windowless), IOleInPlaceActiveObject
    STDMETHOD(GetWindow)(HWND* window) override;
    STDMETHOD(ContextSensitiveHelp)(BOOL enter) override;
    STDMETHOD(InPlaceDeactivate)() override;
    STDMETHOD(UIDeactivate)() override;
    STDMETHOD(SetObjectRects)(LPCRECT position, LPCRECT clip) override;
    STDMETHOD(ReactivateAndUndo)() override;
    STDMETHOD(OnWindowMessage)(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    STDMETHOD(GetDropTarget)(IDropTarget** target) override;
    STDMETHOD(TranslateAccelerator)(LPMSG msg) override;
    STDMETHOD(OnFrameWindowActivate)(BOOL activate) override;
    STDMETHOD(OnDocWindowActivate)(BOOL activate) override;
    STDMETHOD(ResizeBorder)(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) override;
    STDMETHOD(EnableModeless)(BOOL enable) override;

    // IViewObject, IViewObject2, IViewObjectEx
    STDMETHOD(Draw)(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDC, HDC dc,
                    LPCRECTL bounds, LPCRECTL wBounds, BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR),
                    ULONG_PTR contArg) override;
    STDMETHOD(GetColorSet)(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDC,
                           LOGPALETTE** colors) override;
    STDMETHOD(Freeze)(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) override;
    STDMETHOD(Unfreeze)(DWORD freeze) override;
    STDMETHOD(SetAdvise)(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHOD(GetAdvise)(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    STDMETHOD(GetExtent)(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;
    STDMETHOD(GetRect)(DWORD aspect, LPRECTL rect) override;
    STDMETHOD(GetViewStatus)(DWORD* status) override;
    STDMETHOD(QueryHitPoint)(DWORD aspect, LPCRECT bounds, POINT pt, LONG closeHint, DWORD* hit) override;
    STDMETHOD(QueryHitRect)(DWORD aspect, LPCRECT bounds, LPCRECT rect, LONG closeHint, DWORD* hit) override;
    STDMETHOD(GetNaturalExtent)(DWORD aspect, LONG index, DVTARGETDEVICE* device, HDC targetDC,
                                DVEXTENTINFO* info, LPSIZEL size) override;

    // IPersist, IPersistStreamInit
    STDMETHOD(GetClassID)(CLSID* clsid) override;
    STDMETHOD(IsDirty)() override;
    STDMETHOD(Load)(LPSTREAM stream) override;
    STDMETHOD(Save)(LPSTREAM stream, BOOL clearDirty) override;
    STDMETHOD(GetSizeMax)(ULARGE_INTEGER* size) override;
    STDMETHOD(InitNew)() override;

    // IObjectWithSite
    STDMETHOD(SetSite)(IUnknown* site) override;
    STDMETHOD(GetSite)(REFIID iid, void** site) override;

    // IConnectionPointContainer
    STDMETHOD(EnumConnectionPoints)(IEnumConnectionPoints** points) override;
    STDMETHOD(FindConnectionPoint)(REFIID iid, IConnectionPoint** point) override;

    // IRunnableObject: a running lock holds a reference, as in a real server.
    STDMETHOD(GetRunningClass)(LPCLSID clsid) override;
    STDMETHOD(Run)(LPBINDCTX context) override;
    STDMETHOD_(BOOL, IsRunning)() override;
    STDMETHOD(LockRunning)(BOOL lock, BOOL lastUnlockCloses) override;
    STDMETHOD(SetContainedObject)(BOOL contained) override;

    // IDispatch
    STDMETHOD(GetTypeInfoCount)(UINT* count) override;
    STDMETHOD(GetTypeInfo)(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHOD(GetIDsOfNames)(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHOD(Invoke)(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argumentError) override;

    LONG RefCount() const { return m_refCount; }
    // References held on the site's parts.
    LONG SiteReferences() const;
    const std::wstring& CallLog() const { return m_log; }
    // Runs one call into the site and describes its answer.
    std::wstring Probe(const std::wstring& probe);
    // Windowed: paints the own window; windowless: through Draw.
    void PaintWindow(HWND hwnd);
    void OnClick();
    void Log(const std::wstring& entry);

private:
    HRESULT ActivateInPlace();
    void FireNewWindow(const std::wstring& url);
    void CreateOwnWindow();

    LONG m_refCount = 1;
    DWORD m_options;
    COLORREF m_color = RGB(0x20, 0x80, 0xE0);
    IOleClientSite* m_clientSite = nullptr;
    IOleInPlaceSite* m_inPlaceSite = nullptr;
    IUnknown* m_objectSite = nullptr;
    IOleInPlaceFrame* m_frame = nullptr;
    IOleInPlaceUIWindow* m_document = nullptr;
    VQTestConnectionPoint m_point;
    VQTestConnectionPoint m_oldPoint;
    VQTestWebBrowser m_browser;
    bool m_inPlaceActive = false;
    bool m_uiActive = false;
    bool m_windowless = false;
    HWND m_parent = nullptr;
    HWND m_window = nullptr;
    RECT m_rect = {};
    SIZEL m_extent = {2540, 2540};
    LONG m_clicks = 0;
    LONG m_runningLocks = 0;
    std::wstring m_movie;
    std::wstring m_log;
};

// The DLL's module-wide books.
void ObjectCreated(VQTestControl* object);
void ObjectDestroyed(VQTestControl* object);
HINSTANCE ModuleInstance();

}  // namespace TestControl
