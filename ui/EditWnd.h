#pragma once
// The native edit window that lies over a VQEdit while it is being edited.
// It closes itself when it loses the focus and deletes itself when its
// window is gone.

#include "ui/WindowWnd.h"

namespace Tessar {

class VQEdit;

class VQEditWnd : public VQWindowWnd {
public:
    VQEditWnd() {}

    const wchar_t* GetWindowClassName() const override { return L"VQEditWnd"; }
    const wchar_t* GetSuperClassName() const override { return L"Edit"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hwnd) override;

    // Creates the window over the owner and gives it the focus; false when
    // the window could not be made (the object is then still the caller's).
    bool Init(VQEdit* owner);
    // The owner's item rectangle less its normal text padding, reduced to
    // the default font's height and centred when that is lower.
    RECT CalcPos() const;
    VQEdit* GetOwner() const { return m_owner; }
    // The owner is going away: the window no longer reports to it.
    void DetachOwner() { m_owner = nullptr; }

private:
    VQEdit* m_owner = nullptr;
};

}  // namespace Tessar
