// VQRichEdit's input: the messages the paint manager's filter chain offers
// it, the Enter rules, and the text services' notifications.
#include <windowsx.h>

#include "ui/PaintManager.h"
#include "ui/RichEdit.h"
#include "ui/TxtWinHost.h"

namespace Tessar {

namespace {

bool IsKeyboardMessage(UINT message) {
    return message >= WM_KEYFIRST && message <= 0x108;
}

bool IsMouseMessage(UINT message) {
    return (message >= WM_MOUSEFIRST && message <= 0x20D) || message == WM_SETCURSOR;
}

}  // namespace

HRESULT VQRichEdit::TxSendMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (!m_host) return 1;
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        const bool controlUp = ::GetKeyState(VK_CONTROL) >= 0;
        if (!((m_wantReturn && controlUp) || (m_wantReturn && m_wantCtrlReturn))) {
            if (m_manager) m_manager->SendNotify(this, NotifyReturn, 0, 0);
            if (result) *result = 0;
            return 0;
        }
    }
    LRESULT ignored = 0;
    return m_host->GetTextServices()->TxSendMessage(message, wParam, lParam, result ? result : &ignored);
}

void VQRichEdit::OnTxNotify(DWORD code, void*) {
    if (code == EN_MAXTEXT) m_maxTextSeen = true;
    if (!m_manager) return;
    if (code == EN_CHANGE) {
        std::wstring text = GetText();
        if (text != m_text) {
            m_text = text;
            m_manager->SendNotify(this, NotifyTextChanged, 0, 0);
        }
    } else if (code == EN_MAXTEXT) {
        m_manager->SendNotify(this, NotifyTextLimit, 0, 0);
    }
}

int VQRichEdit::TextLength() const {
    GETTEXTLENGTHEX request = {GTL_DEFAULT, 1200};
    LRESULT length = 0;
    m_host->GetTextServices()->TxSendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&request), 0, &length);
    return static_cast<int>(length);
}

HRESULT VQRichEdit::SendCharCheckingLimit(WPARAM ch, LPARAM lParam, LRESULT* result) {
    // Some text services (Wine's) refuse a character at the limit without
    // sending EN_MAXTEXT: a printable character typed into an empty
    // selection that leaves the length at the limit was refused for it.
    CHARRANGE selection = {0, 0};
    LRESULT ignored = 0;
    m_host->GetTextServices()->TxSendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection), &ignored);
    const int before = TextLength();
    m_maxTextSeen = false;
    HRESULT hr = TxSendMessage(WM_CHAR, ch, lParam, result);
    if (!m_host || m_maxTextSeen || ch < 0x20 || selection.cpMin != selection.cpMax) return hr;
    if (before >= static_cast<int>(m_host->GetMaxLength()) && TextLength() == before) OnTxNotify(EN_MAXTEXT, nullptr);
    return hr;
}

LRESULT VQRichEdit::MessageFilter(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (!m_host || !m_manager || !IsVisible() || !IsEnabled()) return 0;
    if (message == WM_MOUSEWHEEL && !(GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL)) return 0;
    const bool mouse = IsMouseMessage(message);
    const bool keyboard = IsKeyboardMessage(message);
    HWND window = m_manager->GetPaintWindow();
    if (mouse) {
        if (!m_host->IsCaptured()) {
            POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (message == WM_MOUSEWHEEL) {
                ::ScreenToClient(window, &pt);
            } else if (message == WM_SETCURSOR) {
                // WM_SETCURSOR carries no point: the cursor's is the one.
                ::GetCursorPos(&pt);
                ::ScreenToClient(window, &pt);
            }
            if (message >= WM_LBUTTONDOWN && message <= WM_RBUTTONDOWN && m_manager->FindControlAt(pt.x, pt.y) != this)
                return 0;
            RECT client = m_host->GetClientRect();
            if (!::PtInRect(&client, pt)) return 0;
            if (m_manager->IsCaptured()) return 0;
        }
        if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDOWN) {
            VQEvent event;
            OnLButtonDown(event);
            SetFocus();
        }
    } else if (keyboard || message == WM_IME_CHAR) {
        if (!IsFocused()) return 0;
    } else if (message == WM_CONTEXTMENU) {
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ::ScreenToClient(window, &pt);
        if (m_manager->FindControlAt(pt.x, pt.y) != this) return 0;
    } else if (message != WM_HELP) {
        return 0;
    }
    LRESULT result = 0;
    HRESULT hr;
    // Some text services (Wine's) ignore WM_IME_CHAR; in a Unicode window
    // it carries the character itself, which goes in as WM_CHAR, in order
    // with the keys typed after it.
    if (message == WM_CHAR || message == WM_IME_CHAR)
        hr = SendCharCheckingLimit(wParam, lParam, &result);
    else
        hr = TxSendMessage(message, wParam, lParam, &result);
    if (hr == S_OK || keyboard || message == WM_IME_CHAR || (mouse && FAILED(hr) && m_host && m_host->IsCaptured()))
        handled = true;
    if (message == WM_HELP) handled = false;
    return result;
}

}  // namespace Tessar
