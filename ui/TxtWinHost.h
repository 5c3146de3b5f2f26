#pragma once
// The ITextHost a VQRichEdit gives the platform's windowless text
// services: it answers their questions from the control (formats, client
// rectangle, property bits) and carries out their requests on the paint
// manager's window (caret, capture, timers, invalidation, scroll bars).
// Reference counted; deletes itself when the count reaches 0.

#include <cstdint>
#include <vector>

#include "ui/TextServices.h"

namespace Tessar {

class VQRichEdit;

// Host flag bits.
enum VQTxtHostFlag : unsigned {
    TxtHostAutoWordSel = 1,
    TxtHostWordWrap = 2,
    TxtHostAllowBeep = 4,
    TxtHostRichText = 8,
    TxtHostSaveSelection = 16,
    TxtHostInPlaceActive = 32,
    TxtHostTransparent = 64,
    TxtHostTimer = 128,
    TxtHostCaptured = 256,
};

class VQTxtWinHost : public ITextHost {
public:
    // Creates the host and its text services for `owner`; null when the
    // services cannot be created (the host is destroyed then).
    static VQTxtWinHost* CreateHost(VQRichEdit* owner);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // ITextHost
    HDC TxGetDC() override;
    INT TxReleaseDC(HDC hdc) override;
    WINBOOL TxShowScrollBar(INT bar, WINBOOL show) override;
    WINBOOL TxEnableScrollBar(INT bars, INT arrows) override;
    WINBOOL TxSetScrollRange(INT bar, LONG minPos, INT maxPos, WINBOOL redraw) override;
    WINBOOL TxSetScrollPos(INT bar, INT pos, WINBOOL redraw) override;
    void TxInvalidateRect(LPCRECT rect, WINBOOL mode) override;
    void TxViewChange(WINBOOL update) override;
    WINBOOL TxCreateCaret(HBITMAP bitmap, INT width, INT height) override;
    WINBOOL TxShowCaret(WINBOOL show) override;
    WINBOOL TxSetCaretPos(INT x, INT y) override;
    WINBOOL TxSetTimer(UINT id, UINT timeout) override;
    void TxKillTimer(UINT id) override;
    void TxScrollWindowEx(INT dx, INT dy, LPCRECT scroll, LPCRECT clip, HRGN update, LPRECT updateRect,
                          UINT flags) override;
    void TxSetCapture(WINBOOL capture) override;
    void TxSetFocus() override;
    void TxSetCursor(HCURSOR cursor, WINBOOL text) override;
    WINBOOL TxScreenToClient(LPPOINT pt) override;
    WINBOOL TxClientToScreen(LPPOINT pt) override;
    HRESULT TxActivate(LONG* oldState) override;
    HRESULT TxDeactivate(LONG newState) override;
    HRESULT TxGetClientRect(LPRECT rect) override;
    HRESULT TxGetViewInset(LPRECT rect) override;
    HRESULT TxGetCharFormat(const CHARFORMATW** format) override;
    HRESULT TxGetParaFormat(const PARAFORMAT** format) override;
    COLORREF TxGetSysColor(int index) override;
    HRESULT TxGetBackStyle(TXTBACKSTYLE* style) override;
    HRESULT TxGetMaxLength(DWORD* length) override;
    HRESULT TxGetScrollBars(DWORD* bars) override;
    HRESULT TxGetPasswordChar(TCHAR* ch) override;
    HRESULT TxGetAcceleratorPos(LONG* pos) override;
    HRESULT TxGetExtent(LPSIZEL extent) override;
    HRESULT OnTxCharFormatChange(const CHARFORMATW* format) override;
    HRESULT OnTxParaFormatChange(const PARAFORMAT* format) override;
    HRESULT TxGetPropertyBits(DWORD mask, DWORD* bits) override;
    HRESULT TxNotify(DWORD code, void* data) override;
    HIMC TxImmGetContext() override;
    void TxImmReleaseContext(HIMC context) override;
    HRESULT TxGetSelectionBarWidth(LONG* width) override;

    virtual ~VQTxtWinHost();

    ITextServices* GetTextServices() const { return m_services; }
    // The owner is going away: forgets it, shuts the text services down
    // (they may hold references to the host) and drops the owner's reference.
    void Destroy();
    // Hosts alive in this process, for leak checks.
    static long LiveCount();

    RECT GetClientRect() const { return m_clientRect; }
    // Stores the rectangle and its extent in HIMETRIC and tells the services.
    void SetClientRect(const RECT& rect);
    bool TestFlag(unsigned flag) const { return (m_flags & flag) != 0; }
    void SetFlag(unsigned flag, bool on);
    DWORD GetStyle() const { return m_style; }
    void SetStyleBit(DWORD bit, bool on);
    DWORD GetMaxLength() const { return m_maxLength; }
    // A limit below 1 means 32767.
    void SetMaxLength(int limit);
    // Tells the services the maximum length.
    void ApplyMaxLength();
    void SetTextColor(uint32_t argb);
    // Reports a property change to the services: `bits` is the mask, `on`
    // whether those properties are now set (for the change notices among
    // them, that they changed).
    void NotifyPropertyChange(DWORD bits, bool on = true);
    bool IsCaptured() const { return TestFlag(TxtHostCaptured); }
    // A control timer the text services asked for (their ids may be the
    // animation kinds' too).
    bool IsServicesTimer(UINT id) const;

private:
    VQTxtWinHost();
    bool Init(VQRichEdit* owner);
    void InitCharFormat();
    void ReleaseServices();

    VQRichEdit* m_owner = nullptr;
    ULONG m_refCount = 1;
    ITextServices* m_services = nullptr;
    DWORD m_style = ES_MULTILINE;
    unsigned m_flags = 0;
    LONG m_selBarWidth = 0;
    DWORD m_maxLength = 32767;
    RECT m_clientRect = {};
    SIZEL m_extent = {};
    CHARFORMAT2W m_charFormat = {};
    PARAFORMAT2 m_paraFormat = {};
    LONG m_acceleratorPos = -1;
    // A password character of 0 would show a password field's text as it is.
    wchar_t m_passwordChar = L'*';
    std::vector<UINT> m_servicesTimers;
};

}  // namespace Tessar
