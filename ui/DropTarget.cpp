#include "ui/DropTarget.h"

namespace Tessar {

STDMETHODIMP VQDropTargetEx::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
        *ppv = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) VQDropTargetEx::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&m_refCount));
}

STDMETHODIMP_(ULONG) VQDropTargetEx::Release() {
    // The owner frees the object, so reaching 0 only means OLE let go of it.
    return static_cast<ULONG>(::InterlockedDecrement(&m_refCount));
}

HRESULT VQDropTargetEx::SendInfo(UINT message, VQOleDropInfo& info) {
    return static_cast<HRESULT>(::SendMessageW(m_window, message, reinterpret_cast<WPARAM>(&info), 0));
}

STDMETHODIMP VQDropTargetEx::DragEnter(IDataObject* dataObject, DWORD keyState, POINTL pt, DWORD* effect) {
    VQOleDropInfo info(dataObject, keyState, effect, pt);
    return SendInfo(WM_VQ_DRAGENTER, info);
}

STDMETHODIMP VQDropTargetEx::DragOver(DWORD keyState, POINTL pt, DWORD* effect) {
    VQOleDropInfo info(nullptr, keyState, effect, pt);
    return SendInfo(WM_VQ_DRAGOVER, info);
}

STDMETHODIMP VQDropTargetEx::DragLeave() {
    return static_cast<HRESULT>(::SendMessageW(m_window, WM_VQ_DRAGLEAVE, 0, 0));
}

STDMETHODIMP VQDropTargetEx::Drop(IDataObject* dataObject, DWORD keyState, POINTL pt, DWORD* effect) {
    VQOleDropInfo info(dataObject, keyState, effect, pt);
    return SendInfo(WM_VQ_DROP, info);
}

}  // namespace Tessar
