#pragma once
// The browser's older event interface, DWebBrowserEvents: its NewWindow
// event (address, flags, target frame, post data, headers, processed)
// carries the address itself, which the newer interface's sink does not
// pass on. The sink marks the event processed (no new window) and hands
// the address to its window.

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace Tessar {

class IOldBrowserEventTarget {
public:
    virtual ~IOldBrowserEventTarget() {}
    virtual void OnOldNewWindow(const std::wstring& url) = 0;
};

class VQOldBrowserEventSink : public IDispatch {
public:
    // Made with a count of 1, the creator's reference; deletes itself at 0.
    explicit VQOldBrowserEventSink(IOldBrowserEventTarget* target) : m_target(target) {}
    virtual ~VQOldBrowserEventSink() {}
    VQOldBrowserEventSink(const VQOldBrowserEventSink&) = delete;
    VQOldBrowserEventSink& operator=(const VQOldBrowserEventSink&) = delete;

    STDMETHOD(QueryInterface)(REFIID iid, void** out) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(GetTypeInfoCount)(UINT* count) override;
    STDMETHOD(GetTypeInfo)(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHOD(GetIDsOfNames)(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHOD(Invoke)(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argumentError) override;

    // Advises the object's DWebBrowserEvents point; the first failing result.
    HRESULT Connect(IUnknown* object);
    HRESULT Disconnect(IUnknown* object);
    // A window going away clears the target so late events go nowhere.
    void SetTarget(IOldBrowserEventTarget* target) { m_target = target; }

private:
    IOldBrowserEventTarget* m_target;
    LONG m_refCount = 1;
    DWORD m_cookie = 0;
};

}  // namespace Tessar
