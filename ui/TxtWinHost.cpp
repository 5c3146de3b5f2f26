#include "ui/TxtWinHost.h"

#include <algorithm>

#include "common/SystemLibrary.h"
#include "ui/PaintManager.h"
#include "ui/RichEdit.h"
#include "ui/ScrollBar.h"

namespace Tessar {

namespace {

long g_liveHosts = 0;

const DWORD kCharFormatMask = 0xF8000007;  // bold, italic, underline, size, colour, face, offset, charset
const DWORD kParaFormatMask = 0x8001003F;
const LONG kDefaultTabTwips = 720;

HDC ScreenOrPaintDC(VQPaintManager* manager, bool& release) {
    release = false;
    if (manager && manager->GetPaintDC()) return manager->GetPaintDC();
    release = true;
    return ::GetDC(nullptr);
}

}  // namespace

VQTxtWinHost::VQTxtWinHost() {
    ++g_liveHosts;
}

VQTxtWinHost::~VQTxtWinHost() {
    ReleaseServices();
    --g_liveHosts;
}

long VQTxtWinHost::LiveCount() {
    return g_liveHosts;
}

void VQTxtWinHost::ReleaseServices() {
    ITextServices* services = m_services;
    m_services = nullptr;
    if (services) {
        services->OnTxInPlaceDeactivate();
        services->Release();
    }
}

void VQTxtWinHost::Destroy() {
    m_owner = nullptr;
    AddRef();  // the services' release may drop their own reference to us
    ReleaseServices();
    Release();
    Release();
}

VQTxtWinHost* VQTxtWinHost::CreateHost(VQRichEdit* owner) {
    VQTxtWinHost* host = new VQTxtWinHost;
    if (!host->Init(owner)) {
        host->Destroy();
        return nullptr;
    }
    return host;
}

bool VQTxtWinHost::Init(VQRichEdit* owner) {
    m_owner = owner;
    m_refCount = 1;
    InitCharFormat();

    m_paraFormat.cbSize = sizeof(m_paraFormat);
    m_paraFormat.dwMask = kParaFormatMask;
    m_paraFormat.wAlignment = PFA_LEFT;
    m_paraFormat.cTabCount = 1;
    m_paraFormat.rgxTabs[0] = kDefaultTabTwips;

    m_style = ES_MULTILINE;
    SetFlag(TxtHostRichText, owner->IsRich());
    SetMaxLength(owner->GetLimitText());
    m_style = owner->GetStyle();
    if (!(m_style & (ES_AUTOHSCROLL | WS_HSCROLL))) SetFlag(TxtHostWordWrap, true);
    if (m_style & ES_CENTER)
        m_paraFormat.wAlignment = PFA_CENTER;
    else if (m_style & ES_RIGHT)
        m_paraFormat.wAlignment = PFA_RIGHT;
    SetFlag(TxtHostInPlaceActive, true);
    // The control draws its own background; some text services (Wine's)
    // read the back style only when they are created.
    SetFlag(TxtHostTransparent, true);

    // The text services' library is loaded with the first rich edit.
    typedef HRESULT(WINAPI * CreateTextServicesProc)(IUnknown*, ITextHost*, IUnknown**);
    static const CreateTextServicesProc create =
        SystemLibraryFunction<CreateTextServicesProc>(L"riched20.dll", "CreateTextServices");
    IUnknown* unknown = nullptr;
    if (!create || FAILED(create(nullptr, this, &unknown)) || !unknown) return false;
    HRESULT hr = unknown->QueryInterface(kIidTextServices, reinterpret_cast<void**>(&m_services));
    unknown->Release();
    if (FAILED(hr) || !m_services) {
        m_services = nullptr;
        return false;
    }
    ApplyMaxLength();
    const std::wstring& text = owner->GetStoredText();
    if (!text.empty() && FAILED(m_services->TxSetText(text.c_str()))) return false;
    return true;
}

void VQTxtWinHost::InitCharFormat() {
    m_charFormat.cbSize = sizeof(m_charFormat);
    m_charFormat.dwMask = kCharFormatMask;
    VQPaintManager* manager = m_owner->GetManager();
    HFONT font = manager ? manager->GetFont(m_owner->m_fonts[TextNormal])
                         : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW lf = {};
    ::GetObjectW(font, sizeof(lf), &lf);
    bool release = false;
    HDC dc = ScreenOrPaintDC(manager, release);
    int dpiY = ::GetDeviceCaps(dc, LOGPIXELSY);
    if (release) ::ReleaseDC(nullptr, dc);
    if (dpiY <= 0) dpiY = 96;
    m_charFormat.yHeight = lf.lfHeight * -1440 / dpiY;
    m_charFormat.dwEffects = 0;
    if (lf.lfWeight > 699) m_charFormat.dwEffects |= CFE_BOLD;
    if (lf.lfItalic) m_charFormat.dwEffects |= CFE_ITALIC;
    if (lf.lfUnderline) m_charFormat.dwEffects |= CFE_UNDERLINE;
    m_charFormat.bCharSet = lf.lfCharSet;
    m_charFormat.bPitchAndFamily = lf.lfPitchAndFamily;
    lstrcpynW(m_charFormat.szFaceName, lf.lfFaceName, LF_FACESIZE);
    m_charFormat.crTextColor = ArgbToColorRef(m_owner->GetNormalTextColor());
}

HRESULT VQTxtWinHost::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kIidTextHost)) {
        *object = static_cast<ITextHost*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG VQTxtWinHost::AddRef() {
    return ++m_refCount;
}

ULONG VQTxtWinHost::Release() {
    ULONG count = --m_refCount;
    if (count == 0) delete this;
    return count;
}

void VQTxtWinHost::SetFlag(unsigned flag, bool on) {
    if (on)
        m_flags |= flag;
    else
        m_flags &= ~flag;
}

void VQTxtWinHost::SetStyleBit(DWORD bit, bool on) {
    if (on)
        m_style |= bit;
    else
        m_style &= ~bit;
}

void VQTxtWinHost::SetMaxLength(int limit) {
    m_maxLength = limit < 1 ? 32767 : static_cast<DWORD>(limit);
}

void VQTxtWinHost::ApplyMaxLength() {
    NotifyPropertyChange(TXTBIT_MAXLENGTHCHANGE);
    // Wine's text services neither ask for the limit at creation nor on
    // the property change: the limit message reaches every implementation.
    LRESULT ignored = 0;
    if (m_services) m_services->TxSendMessage(EM_EXLIMITTEXT, 0, static_cast<LPARAM>(m_maxLength), &ignored);
}

void VQTxtWinHost::SetTextColor(uint32_t argb) {
    m_charFormat.crTextColor = ArgbToColorRef(argb);
    NotifyPropertyChange(TXTBIT_CHARFORMATCHANGE);
    if (!m_services) return;
    // Some text services (Wine's) apply a changed default format only to
    // text typed later: the colour is the control's, so it goes to all text.
    CHARFORMAT2W color = {};
    color.cbSize = sizeof(color);
    color.dwMask = CFM_COLOR;
    color.crTextColor = m_charFormat.crTextColor;
    LRESULT ignored = 0;
    m_services->TxSendMessage(EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&color), &ignored);
}

void VQTxtWinHost::NotifyPropertyChange(DWORD bits, bool on) {
    if (m_services) m_services->OnTxPropertyBitsChange(bits, on ? bits : 0);
}

void VQTxtWinHost::SetClientRect(const RECT& rect) {
    m_clientRect = rect;
    VQPaintManager* manager = m_owner ? m_owner->GetManager() : nullptr;
    bool release = false;
    HDC dc = ScreenOrPaintDC(manager, release);
    int dpiX = ::GetDeviceCaps(dc, LOGPIXELSX), dpiY = ::GetDeviceCaps(dc, LOGPIXELSY);
    if (release) ::ReleaseDC(nullptr, dc);
    if (dpiX <= 0) dpiX = 96;
    if (dpiY <= 0) dpiY = 96;
    m_extent.cx = ::MulDiv(rect.right - rect.left, 2540, dpiX);
    m_extent.cy = ::MulDiv(rect.bottom - rect.top, 2540, dpiY);
    NotifyPropertyChange(TXTBIT_VIEWINSETCHANGE);
}

// ---- ITextHost -------------------------------------------------------------

HDC VQTxtWinHost::TxGetDC() {
    VQPaintManager* manager = m_owner ? m_owner->GetManager() : nullptr;
    return manager ? manager->GetPaintDC() : nullptr;
}

INT VQTxtWinHost::TxReleaseDC(HDC) {
    return 1;
}

namespace {

VQScrollbar* Bar(VQRichEdit* owner, bool vertical) {
    if (!owner) return nullptr;
    return vertical ? owner->GetVerticalScrollBar() : owner->GetHorizontalScrollBar();
}

}  // namespace

WINBOOL VQTxtWinHost::TxShowScrollBar(INT bar, WINBOOL show) {
    for (int vertical = 1; vertical >= 0; --vertical) {
        if (bar != SB_BOTH && bar != (vertical ? SB_VERT : SB_HORZ)) continue;
        if (VQScrollbar* scroll = Bar(m_owner, vertical != 0)) scroll->SetVisible(show == TRUE);
    }
    return TRUE;
}

WINBOOL VQTxtWinHost::TxEnableScrollBar(INT bars, INT arrows) {
    if (!m_owner) return FALSE;
    bool vertical = bars == SB_VERT || bars == SB_BOTH;
    bool horizontal = bars == SB_HORZ || bars == SB_BOTH;
    m_owner->EnableScrollBar(vertical || m_owner->GetVerticalScrollBar() != nullptr,
                             horizontal || m_owner->GetHorizontalScrollBar() != nullptr);
    bool visible = arrows != ESB_DISABLE_BOTH;
    if (vertical && m_owner->GetVerticalScrollBar()) m_owner->GetVerticalScrollBar()->SetVisible(visible);
    if (horizontal && m_owner->GetHorizontalScrollBar()) m_owner->GetHorizontalScrollBar()->SetVisible(visible);
    return TRUE;
}

WINBOOL VQTxtWinHost::TxSetScrollRange(INT bar, LONG minPos, INT maxPos, WINBOOL) {
    bool vertical = bar == SB_VERT;
    VQScrollbar* scroll = Bar(m_owner, vertical);
    if (!scroll) return FALSE;
    LONG page = vertical ? m_clientRect.bottom - m_clientRect.top : m_clientRect.right - m_clientRect.left;
    LONG range = maxPos - minPos - page;
    if (range > 0) {
        scroll->SetVisible(true);
        scroll->SetScrollRange(range);
    } else {
        scroll->SetVisible(false);
    }
    return TRUE;
}

WINBOOL VQTxtWinHost::TxSetScrollPos(INT bar, INT pos, WINBOOL) {
    VQScrollbar* scroll = Bar(m_owner, bar == SB_VERT);
    if (!scroll) return FALSE;
    scroll->SetScrollPos(pos);
    return TRUE;
}

void VQTxtWinHost::TxInvalidateRect(LPCRECT rect, WINBOOL) {
    VQPaintManager* manager = m_owner ? m_owner->GetManager() : nullptr;
    if (!manager) return;
    if (manager->IsLayered())
        manager->PaintLayered(255);
    else
        manager->InvalidateRect(rect ? *rect : m_clientRect);
}

void VQTxtWinHost::TxViewChange(WINBOOL) {
    if (m_owner) m_owner->Invalidate();
}

WINBOOL VQTxtWinHost::TxCreateCaret(HBITMAP bitmap, INT width, INT height) {
    VQPaintManager* manager = m_owner ? m_owner->GetManager() : nullptr;
    if (!manager) return FALSE;
    return ::CreateCaret(manager->GetPaintWindow(), bitmap, width, height);
}

WINBOOL VQTxtWinHost::TxShowCaret(WINBOOL show) {
    VQPaintManager* manager = m_owner ? m_owner->GetManager() : nullptr;
    if (!manager) return FALSE;
    return show ? ::ShowCaret(manager->GetPaintWindow()) : ::HideCaret(manager->GetPaintWindow());
}

WINBOOL VQTxtWinHost::TxSetCaretPos(INT x, INT y) {
    return ::SetCaretPos(x, y);
}

WINBOOL VQTxtWinHost::TxSetTimer(UINT id, UINT timeout) {
    VQPaintManager* manager = m_owner ? m_owner->GetManager() : nullptr;
    if (!manager) return FALSE;
    SetFlag(TxtHostTimer, true);
    if (!IsServicesTimer(id)) m_servicesTimers.push_back(id);
    return manager->SetTimer(m_owner, static_cast<int>(id), timeout);
}

void VQTxtWinHost::TxKillTimer(UINT id) {
    VQPaintManager* manager = m_owner ? m_owner->GetManager() : nullptr;
    if (manager) manager->KillTimer(m_owner, static_cast<int>(id));
    m_servicesTimers.erase(std::remove(m_servicesTimers.begin(), m_servicesTimers.end(), id), m_servicesTimers.end());
    SetFlag(TxtHostTimer, false);
}

bool VQTxtWinHost::IsServicesTimer(UINT id) const {
    return std::find(m_servicesTimers.begin(), m_servicesTimers.end(), id) != m_servicesTimers.end();
}

void VQTxtWinHost::TxScrollWindowEx(INT, INT, LPCRECT, LPCRECT, HRGN, LPRECT, UINT) {}

void VQTxtWinHost::TxSetCapture(WINBOOL capture) {
    VQPaintManager* manager = m_owner ? m_owner->GetManager() : nullptr;
    if (!manager) return;
    if (capture)
        manager->SetCapture();
    else
        manager->ReleaseCapture();
    SetFlag(TxtHostCaptured, capture != FALSE);
}

void VQTxtWinHost::TxSetFocus() {
    if (m_owner) m_owner->SetFocus();
}

void VQTxtWinHost::TxSetCursor(HCURSOR cursor, WINBOOL) {
    ::SetCursor(cursor);
}

WINBOOL VQTxtWinHost::TxScreenToClient(LPPOINT pt) {
    VQPaintManager* manager = m_owner ? m_owner->GetManager() : nullptr;
    return manager ? ::ScreenToClient(manager->GetPaintWindow(), pt) : FALSE;
}

WINBOOL VQTxtWinHost::TxClientToScreen(LPPOINT pt) {
    VQPaintManager* manager = m_owner ? m_owner->GetManager() : nullptr;
    return manager ? ::ClientToScreen(manager->GetPaintWindow(), pt) : FALSE;
}

HRESULT VQTxtWinHost::TxActivate(LONG*) {
    return S_OK;
}

HRESULT VQTxtWinHost::TxDeactivate(LONG) {
    return S_OK;
}

HRESULT VQTxtWinHost::TxGetClientRect(LPRECT rect) {
    if (!rect) return E_INVALIDARG;
    *rect = m_clientRect;
    return S_OK;
}

HRESULT VQTxtWinHost::TxGetViewInset(LPRECT rect) {
    if (!rect) return E_INVALIDARG;
    *rect = RECT{0, 0, 0, 0};
    return S_OK;
}

HRESULT VQTxtWinHost::TxGetCharFormat(const CHARFORMATW** format) {
    if (!format) return E_INVALIDARG;
    *format = reinterpret_cast<const CHARFORMATW*>(&m_charFormat);
    return S_OK;
}

HRESULT VQTxtWinHost::TxGetParaFormat(const PARAFORMAT** format) {
    if (!format) return E_INVALIDARG;
    *format = reinterpret_cast<const PARAFORMAT*>(&m_paraFormat);
    return S_OK;
}

COLORREF VQTxtWinHost::TxGetSysColor(int index) {
    return ::GetSysColor(index);
}

HRESULT VQTxtWinHost::TxGetBackStyle(TXTBACKSTYLE* style) {
    if (!style) return E_INVALIDARG;
    *style = TestFlag(TxtHostTransparent) ? TXTBACK_TRANSPARENT : TXTBACK_OPAQUE;
    return S_OK;
}

HRESULT VQTxtWinHost::TxGetMaxLength(DWORD* length) {
    if (!length) return E_INVALIDARG;
    *length = m_maxLength;
    return S_OK;
}

HRESULT VQTxtWinHost::TxGetScrollBars(DWORD* bars) {
    if (!bars) return E_INVALIDARG;
    *bars = m_style & (WS_VSCROLL | WS_HSCROLL | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_DISABLENOSCROLL);
    return S_OK;
}

HRESULT VQTxtWinHost::TxGetPasswordChar(TCHAR* ch) {
    if (!ch) return E_INVALIDARG;
    *ch = m_passwordChar;
    return S_OK;
}

HRESULT VQTxtWinHost::TxGetAcceleratorPos(LONG* pos) {
    if (!pos) return E_INVALIDARG;
    *pos = m_acceleratorPos;
    return S_OK;
}

HRESULT VQTxtWinHost::TxGetExtent(LPSIZEL extent) {
    if (!extent) return E_INVALIDARG;
    *extent = m_extent;
    return S_OK;
}

HRESULT VQTxtWinHost::OnTxCharFormatChange(const CHARFORMATW*) {
    return S_OK;
}

HRESULT VQTxtWinHost::OnTxParaFormatChange(const PARAFORMAT*) {
    return S_OK;
}

HRESULT VQTxtWinHost::TxGetPropertyBits(DWORD mask, DWORD* bits) {
    if (!bits) return E_INVALIDARG;
    DWORD value = 0;
    if (m_style & ES_MULTILINE)
        value |= TXTBIT_MULTILINE | (TestFlag(TxtHostRichText) ? TXTBIT_RICHTEXT : 0);
    else if (TestFlag(TxtHostRichText))
        value |= TXTBIT_RICHTEXT;
    if (m_style & ES_READONLY) value |= TXTBIT_READONLY;
    if (m_style & ES_PASSWORD) value |= TXTBIT_USEPASSWORD;
    if (!(m_style & ES_NOHIDESEL)) value |= TXTBIT_HIDESELECTION;
    if (TestFlag(TxtHostAutoWordSel)) value |= TXTBIT_AUTOWORDSEL;
    if (TestFlag(TxtHostWordWrap)) value |= TXTBIT_WORDWRAP;
    if (TestFlag(TxtHostAllowBeep)) value |= TXTBIT_ALLOWBEEP;
    if (TestFlag(TxtHostSaveSelection)) value |= TXTBIT_SAVESELECTION;
    *bits = value & mask;
    return S_OK;
}

HRESULT VQTxtWinHost::TxNotify(DWORD code, void* data) {
    if (code == EN_REQUESTRESIZE) {
        const REQRESIZE* request = static_cast<const REQRESIZE*>(data);
        if (request) {
            RECT rc = m_clientRect;
            rc.right = rc.left + (request->rc.right - request->rc.left);
            rc.bottom = rc.top + (request->rc.bottom - request->rc.top);
            m_clientRect = rc;
        }
    } else if (m_owner) {
        m_owner->OnTxNotify(code, data);
    }
    return S_OK;
}

HIMC VQTxtWinHost::TxImmGetContext() {
    return nullptr;
}

void VQTxtWinHost::TxImmReleaseContext(HIMC) {}

HRESULT VQTxtWinHost::TxGetSelectionBarWidth(LONG* width) {
    if (!width) return E_INVALIDARG;
    *width = m_selBarWidth;
    return S_OK;
}

}  // namespace Tessar
