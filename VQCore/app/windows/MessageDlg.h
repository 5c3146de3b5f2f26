#pragma once
// The program's skinned message box: a caption, a text, an optional
// "remember my choice" box and one or two buttons. Type 7 counts down and
// confirms by itself when nobody answers (the shutdown warning).

#include <string>

#include "VQCore/app/windows/DialogWindow.h"

namespace Tessar {

// The four kinds of message box.
enum VQMessageType : int {
    kMessageAskWithOption = 1,  // two buttons and the option
    kMessageAsk = 3,            // two buttons
    kMessageInform = 4,         // one button
    kMessageCountdown = 7,      // two buttons, confirms itself after the countdown
};

class VQMessageDlg : public VQDialogWindow {
public:
    // `countdownTextId`: a string with one "%d" that the countdown shows
    // each second (0: the text stays).
    VQMessageDlg(HWND owner, int type, const std::wstring& caption, const std::wstring& text,
                 UINT countdownTextId = 0);

    const wchar_t* GetWindowClassName() const override { return L"VQMessageDlg"; }
    void Notify(VQNotifyMsg& msg) override;
    LRESULT OnTimer(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

    void SetOkText(const std::wstring& text);
    void SetOptionText(const std::wstring& text);
    // Ticks the option box (it starts as the layout has it).
    void SetOptionSelected(bool selected);
    bool IsRemembered() const { return m_remember; }
    int GetCountdown() const { return m_countdown; }

    static const UINT_PTR kCountdownTimer = 2000;
    static const int kCountdownSeconds = 60;
    // How long one countdown second lasts; tests shorten it. 0 restores 1000 ms.
    static void SetCountdownTickForTesting(UINT milliseconds);

protected:
    void OnLayoutReady() override;

private:
    void OnCountdownTick();

    bool m_remember = false;
    int m_countdown = kCountdownSeconds;
    UINT m_countdownTextId = 0;
    int m_type = kMessageAskWithOption;
    std::wstring m_caption;
    std::wstring m_text;
};

}  // namespace Tessar
