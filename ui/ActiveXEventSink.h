#pragma once
// How a window hears the hosted web browser: VQActiveXEventSink is an
// IDispatch connected to the object's DWebBrowserEvents2 connection point;
// it forwards the events below (and the page's "CB_Close" call) to the
// window's VQActiveXDispatch part.

#include <windows.h>

#include <exdisp.h>
#include <oaidl.h>
#include <ocidl.h>

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
    // The page called window.external.CB_Close (or the browser's member of that name).
    virtual void OnScriptClose() {}
};

class VQActiveXEventSink : public IDispatch {
public:
    // Made with a count of 1, the creator's reference; deletes itself at 0.
    explicit VQActiveXEventSink(VQActiveXDispatch* callback);
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

    // Advises the object's DWebBrowserEvents2 point; the first failing result.
    HRESULT Connect(IUnknown* object);
    HRESULT Disconnect(IUnknown* object);
    // A window going away clears the callback so late events go nowhere.
    void SetCallback(VQActiveXDispatch* callback) { m_callback = callback; }
    DWORD GetCookie() const { return m_cookie; }

private:
    HRESULT FindPoint(IUnknown* object, IConnectionPoint** point);

    VQActiveXDispatch* m_callback;
    LONG m_refCount = 1;
    DWORD m_cookie = 0;
};

}  // namespace Tessar
