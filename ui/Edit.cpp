#include "ui/Edit.h"

#include "ui/EditWnd.h"
#include "ui/MarkupValue.h"
#include "ui/PaintManager.h"

namespace Tessar {

VQEdit::VQEdit() {
    m_flags.set(FlagSetCursor);
    m_flags.set(FlagTabStop);
}

VQEdit::~VQEdit() {
    // The native window must not reach back into a freed control.
    if (m_window != nullptr) {
        VQEditWnd* window = m_window;
        m_window = nullptr;
        window->DetachOwner();
        if (::IsWindow(window->GetHWND()))
            ::DestroyWindow(window->GetHWND());
        else
            delete window;
    }
}

VQControl* VQEdit::GetInterface(int type) {
    if (type == ControlTypeEdit) return this;
    return VQContainer::GetInterface(type);
}

HWND VQEdit::GetNativeHandle() const {
    return m_window ? m_window->GetHWND() : nullptr;
}

void VQEdit::OnSetCursor(VQEvent&) {
    if (IsEnabled()) ::SetCursor(::LoadCursorW(nullptr, IDC_IBEAM));
}

void VQEdit::OnLButtonDown(VQEvent& event) {
    if (!IsEnabled()) return;
    if (IsFocused() && m_window == nullptr) {
        VQEditWnd* window = new VQEditWnd;
        m_window = window;
        if (!window->Init(this)) {
            // A window that was made and destroyed again has deleted itself.
            if (m_window == window) {
                m_window = nullptr;
                delete window;
            }
            return;
        }
    }
    if (m_window == nullptr) return;
    HWND hwnd = m_window->GetHWND();
    ::SendMessageW(hwnd, EM_SETSEL, 0, -1);
    if (event.type == EventRButtonDown && m_manager != nullptr) {
        POINT pt = event.mouse;
        ::ClientToScreen(m_manager->GetPaintWindow(), &pt);
        ::SendMessageW(hwnd, WM_CONTEXTMENU, event.wParam, MAKELPARAM(pt.x, pt.y));
    }
}

void VQEdit::OnRButtonDown(VQEvent& event) {
    OnLButtonDown(event);
}

void VQEdit::OnLButtonDblClk(VQEvent& event) {
    OnLButtonDown(event);
}

void VQEdit::SetPos(int left, int top, int right, int bottom) {
    VQControl::SetPos(left, top, right, bottom);
    if (m_window != nullptr) {
        RECT rc = m_window->CalcPos();
        ::SetWindowPos(m_window->GetHWND(), nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void VQEdit::SetText(const std::wstring& text) {
    m_text = text;
    if (m_window != nullptr) ::SetWindowTextW(m_window->GetHWND(), m_text.c_str());
    Invalidate();
}

void VQEdit::SetPasswordChar(wchar_t ch) {
    if (ch == m_passwordChar) return;
    m_passwordChar = ch;
    if (m_window != nullptr) ::SendMessageW(m_window->GetHWND(), EM_SETPASSWORDCHAR, ch, 0);
    Invalidate();
}

void VQEdit::PaintText(HDC hdc) {
    if (!m_password) {
        VQContainer::PaintText(hdc);
        return;
    }
    // A closed password field shows its mask, never the text.
    std::wstring text;
    text.swap(m_text);
    m_text.assign(text.size(), m_passwordChar ? m_passwordChar : L'*');
    VQContainer::PaintText(hdc);
    m_text.swap(text);
}

void VQEdit::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"readonly") {
        m_readOnly = ParseMarkupBool(value);
        if (m_window != nullptr) ::SendMessageW(m_window->GetHWND(), EM_SETREADONLY, m_readOnly ? TRUE : FALSE, 0);
        Invalidate();
    } else if (name == L"password") {
        bool password = ParseMarkupBool(value);
        if (password != m_password) {
            m_password = password;
            Invalidate();
        }
    } else if (name == L"maxchar") {
        m_maxChar = ParseMarkupInt(value);
        if (m_window != nullptr) ::SendMessageW(m_window->GetHWND(), EM_LIMITTEXT, static_cast<WPARAM>(m_maxChar), 0);
    } else if (name == L"passwordchar") {
        SetPasswordChar(value.empty() ? 0 : value[0]);
    } else {
        VQContainer::SetAttribute(name, value);
    }
}

}  // namespace Tessar
