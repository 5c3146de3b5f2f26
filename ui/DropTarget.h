#pragma once
// An OLE drop target that turns the drag-and-drop callbacks into window
// messages, so a skinned window handles drops in its ordinary handler.
// Each callback sends its message synchronously; the window's return value
// becomes the callback's HRESULT, and the window writes the DROPEFFECT it
// chooses through the record's effect pointer.

#include <windows.h>
#include <ole2.h>

namespace Tessar {

// wParam: VQOleDropInfo* (data object null for drag over); lParam 0.
const UINT WM_VQ_DRAGENTER = WM_USER + 10;
const UINT WM_VQ_DRAGOVER = WM_USER + 11;
const UINT WM_VQ_DROP = WM_USER + 12;
// wParam 0, lParam 0.
const UINT WM_VQ_DRAGLEAVE = WM_USER + 13;

// Lives on the callback's stack for the length of the SendMessageW; the
// window must not keep it or the data object (which is not referenced).
class VQOleDropInfo {
public:
    VQOleDropInfo() = default;
    VQOleDropInfo(IDataObject* data, DWORD keys, DWORD* effectOut, POINTL pt)
        : dataObject(data), keyState(keys), effect(effectOut), x(pt.x), y(pt.y) {}
    virtual ~VQOleDropInfo() { dataObject = nullptr; }

    IDataObject* dataObject = nullptr;
    DWORD keyState = 0;
    DWORD* effect = nullptr;
    LONG x = 0;  // screen coordinates
    LONG y = 0;
};

// Embedded in its owner and never deletes itself: the count only tells how
// many references OLE holds. The owner revokes the registration
// (RevokeDragDrop) before it is destroyed.
class VQDropTargetEx : public IDropTarget {
public:
    explicit VQDropTargetEx(HWND window = nullptr) : m_window(window) {}
    virtual ~VQDropTargetEx() = default;
    VQDropTargetEx(const VQDropTargetEx&) = delete;
    VQDropTargetEx& operator=(const VQDropTargetEx&) = delete;

    void SetWindow(HWND window) { m_window = window; }
    HWND GetWindow() const { return m_window; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP DragEnter(IDataObject* dataObject, DWORD keyState, POINTL pt, DWORD* effect) override;
    STDMETHODIMP DragOver(DWORD keyState, POINTL pt, DWORD* effect) override;
    STDMETHODIMP DragLeave() override;
    STDMETHODIMP Drop(IDataObject* dataObject, DWORD keyState, POINTL pt, DWORD* effect) override;

private:
    HRESULT SendInfo(UINT message, VQOleDropInfo& info);

    HWND m_window;
    LONG m_refCount = 0;
};

}  // namespace Tessar
