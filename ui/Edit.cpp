#include "ui/Edit.h"

#include "ui/MarkupValue.h"

namespace Tessar {

VQEdit::VQEdit() {
    m_flags.set(FlagSetCursor);
    m_flags.set(FlagTabStop);
}

VQEdit::~VQEdit() {}

VQControl* VQEdit::GetInterface(int type) {
    if (type == ControlTypeEdit) return this;
    return VQContainer::GetInterface(type);
}

HWND VQEdit::GetNativeHandle() const {
    return nullptr;
}

void VQEdit::OnSetCursor(VQEvent&) {
    if (IsEnabled()) ::SetCursor(::LoadCursorW(nullptr, IDC_IBEAM));
}

void VQEdit::OnLButtonDown(VQEvent& event) {
    if (!IsEnabled()) return;
    (void)event;
}

void VQEdit::OnRButtonDown(VQEvent& event) {
    OnLButtonDown(event);
}

void VQEdit::OnLButtonDblClk(VQEvent& event) {
    OnLButtonDown(event);
}

void VQEdit::SetPos(int left, int top, int right, int bottom) {
    VQControl::SetPos(left, top, right, bottom);
}

void VQEdit::SetText(const std::wstring& text) {
    m_text = text;
    Invalidate();
}

void VQEdit::SetPasswordChar(wchar_t ch) {
    if (ch == m_passwordChar) return;
    m_passwordChar = ch;
    Invalidate();
}

void VQEdit::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"readonly") {
        m_readOnly = ParseMarkupBool(value);
        Invalidate();
    } else if (name == L"password") {
        bool password = ParseMarkupBool(value);
        if (password != m_password) {
            m_password = password;
            Invalidate();
        }
    } else if (name == L"maxchar") {
        m_maxChar = ParseMarkupInt(value);
    } else if (name == L"passwordchar") {
        SetPasswordChar(value.empty() ? 0 : value[0]);
    } else {
        VQContainer::SetAttribute(name, value);
    }
}

}  // namespace Tessar
