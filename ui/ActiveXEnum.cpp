#include "ui/ActiveXEnum.h"

namespace Tessar {

VQActiveXEnum::VQActiveXEnum(IUnknown* object) : m_object(object) {
    if (m_object) m_object->AddRef();
}

VQActiveXEnum::~VQActiveXEnum() {
    if (m_object) m_object->Release();
}

STDMETHODIMP VQActiveXEnum::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IEnumUnknown) {
        *out = static_cast<IEnumUnknown*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) VQActiveXEnum::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_refCount)); }

STDMETHODIMP_(ULONG) VQActiveXEnum::Release() {
    LONG count = ::InterlockedDecrement(&m_refCount);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP VQActiveXEnum::Next(ULONG count, IUnknown** items, ULONG* fetched) {
    if (fetched) *fetched = 0;
    if (count == 0) return S_OK;
    if (!items) return E_POINTER;
    if (m_position != 0 || !m_object) {
        items[0] = nullptr;
        return S_FALSE;
    }
    ++m_position;
    items[0] = m_object;
    m_object->AddRef();
    if (fetched) *fetched = 1;
    // One object cannot fill a request for more than one.
    return count == 1 ? S_OK : S_FALSE;
}

STDMETHODIMP VQActiveXEnum::Skip(ULONG count) {
    m_position += count;
    return S_OK;
}

STDMETHODIMP VQActiveXEnum::Reset() {
    m_position = 0;
    return S_OK;
}

STDMETHODIMP VQActiveXEnum::Clone(IEnumUnknown** copy) {
    if (copy) *copy = nullptr;
    return E_NOTIMPL;
}

}  // namespace Tessar
