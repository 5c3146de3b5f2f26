#pragma once
// A single-line text field. Windowless until the user presses a mouse
// button on it while it has the focus; then a native edit window
// (VQEditWnd) lies over it until it loses the focus, copying every change
// back into the control's text.

#include "ui/Container.h"

namespace Tessar {

class VQEditWnd;

class VQEdit : public VQContainer {
public:
    VQEdit();
    // Closes an open native window first.
    ~VQEdit() override;

    int GetControlType() const override { return ControlTypeEdit; }
    VQControl* GetInterface(int type) override;
    // The I-beam when enabled.
    void OnSetCursor(VQEvent& event) override;
    // Opens the native window when focused, then selects its whole text.
    void OnLButtonDown(VQEvent& event) override;
    void OnRButtonDown(VQEvent& event) override;
    void OnLButtonDblClk(VQEvent& event) override;
    // Stores the rectangle (no layout of children) and moves an open window.
    void SetPos(int left, int top, int right, int bottom) override;
    void SetText(const std::wstring& text) override;
    // A password field shows its mask character once per character.
    void PaintText(HDC hdc) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;

    void SetPasswordChar(wchar_t ch);
    wchar_t GetPasswordChar() const { return m_passwordChar; }
    bool IsPassword() const { return m_password; }
    bool IsReadOnly() const { return m_readOnly; }
    int GetMaxChar() const { return m_maxChar; }
    // The native window while the field is being edited, else null.
    VQEditWnd* GetEditWindow() const { return m_window; }
    HWND GetNativeHandle() const override;

private:
    friend class VQEditWnd;
    // The text as the native window changed it: no invalidation, no notification.
    void StoreTextFromWindow(const std::wstring& text) { m_text = text; }

    VQEditWnd* m_window = nullptr;
    int m_maxChar = 255;
    bool m_readOnly = false;
    bool m_password = false;
    wchar_t m_passwordChar = L'*';
};

}  // namespace Tessar
