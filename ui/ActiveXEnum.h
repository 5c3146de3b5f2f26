#pragma once
// The container's object enumerator: it lists the one hosted object.

#include <windows.h>

#include <objidl.h>

namespace Tessar {

class VQActiveXEnum : public IEnumUnknown {
public:
    // Made with a count of 1; takes a reference on the object.
    explicit VQActiveXEnum(IUnknown* object);
    virtual ~VQActiveXEnum();
    VQActiveXEnum(const VQActiveXEnum&) = delete;
    VQActiveXEnum& operator=(const VQActiveXEnum&) = delete;

    STDMETHOD(QueryInterface)(REFIID iid, void** out) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;

    STDMETHOD(Next)(ULONG count, IUnknown** items, ULONG* fetched) override;
    STDMETHOD(Skip)(ULONG count) override;
    STDMETHOD(Reset)() override;
    STDMETHOD(Clone)(IEnumUnknown** copy) override;

private:
    ULONG m_position = 0;
    LONG m_refCount = 1;
    IUnknown* m_object;
};

}  // namespace Tessar
