#pragma once
// How a window hears the hosted web browser: VQActiveXEventSink is an
// IDispatch connected to one of the object's event connection points,
// DWebBrowserEvents2 or the older DWebBrowserEvents; it forwards the
// events below (and the page's "CB_Close" call) to the window's
// VQActiveXDispatch part.

#include <windows.h>

#include <exdisp.h>
#include <oaidl.h>
#include <ocidl.h>

#include <string>

namespace Tessar {

class VQActiveXDispatch {
public:
    virtual ~VQActiveXDispatch() {}
    // Event 108; a progress of -1 means the page is complete.
    virtual void OnProgressChange(LONG progress, LONG maximum) {}
    // Event 105.
    virtual void OnCommandStateChange(LONG command, VARIANT_BOOL enable) {}
    // Event 107.
    virtual void OnNewWindow(LONG first, LONG second) {}
    // Event 251.
    virtual void OnNewWindow2(IDispatch** newWindow, VARIANT_BOOL* cancel) {}
    // Event 273.
    virtual void OnNewWindow3(IDispatch** newWindow, VARIANT_BOOL* cancel, DWORD flags, BSTR context, BSTR url) {}
    // Event 107 of the older interface, NewWindow(URL, Flags, TargetFrameName,
    // PostData, Headers, Processed), to a sink made for that interface: the
    // address, which the newer interface's events do not pass on. The sink
    // has already marked the event processed (no new window).
    virtual void OnOlderNewWindow(const std::wstring& url) {}
    // The page called window.external.CB_Close (or the browser's member of that name).
    virtual void OnScriptClose() {}
};

// The events a sink hears: the browser's DWebBrowserEvents2, or of the
// older DWebBrowserEvents only its NewWindow.
enum class VQBrowserEvents { Current, Older };

class VQActiveXEventSink : public IDispatch {
public:
    // Made with a count of 1, the creator's reference; deletes itself at 0.
    explicit VQActiveXEventSink(VQActiveXDispatch* callback, VQBrowserEvents events = VQBrowserEvents::Current);
    virtual ~VQActiveXEventSink() {}
    VQActiveXEventSink(const VQActiveXEventSink&) = delete;
    VQActiveXEventSink& operator=(const VQActiveXEventSink&) = delete;

    STDMETHOD(QueryInterface)(REFIID iid, void** out) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(GetTypeInfoCount)(UINT* count) override;
    STDMETHOD(GetTypeInfo)(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHOD(GetIDsOfNames)(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHOD(Invoke)(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argumentError) override;

    // Advises the object's connection point of the sink's events; the first
    // failing result.
    HRESULT Connect(IUnknown* object);
    HRESULT Disconnect(IUnknown* object);
    // A window going away clears the callback so late events go nowhere.
    void SetCallback(VQActiveXDispatch* callback) { m_callback = callback; }
    DWORD GetCookie() const { return m_cookie; }

private:
    HRESULT FindPoint(IUnknown* object, IConnectionPoint** point);
    HRESULT InvokeOlder(DISPID id, DISPPARAMS* params);

    VQActiveXDispatch* m_callback;
    VQBrowserEvents m_events;
    LONG m_refCount = 1;
    DWORD m_cookie = 0;
};

}  // namespace Tessar
