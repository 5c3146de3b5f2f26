#include "VQCore/app/windows/MessageDlg.h"

#include "VQCore/app/start/ResourceString.h"
#include "common/FormatText.h"
#include "ui/Control.h"
#include "ui/Option.h"

namespace Tessar {

namespace {

enum : int {
    kCloseId = 100,
    kCaptionId = 101,
    kOptionId = 105,
    kTextId = 106,
    kOkId = 130,
    kCancelId = 131,
};

UINT g_tickMs = 1000;

}  // namespace

void VQMessageDlg::SetCountdownTickForTesting(UINT milliseconds) { g_tickMs = milliseconds ? milliseconds : 1000; }

VQMessageDlg::VQMessageDlg(HWND owner, int type, const std::wstring& caption, const std::wstring& text,
                           UINT countdownTextId)
    : m_countdownTextId(countdownTextId), m_type(type), m_caption(caption), m_text(text) {
    CreateDialogWindow(owner, GetWindowTextString(owner), kDialogStyle, WS_EX_DLGMODALFRAME);
    if (VQControl* label = Find(kCaptionId)) {
        label->SetAttribute(L"normalfont", L"bold");
        label->SetText(caption);
    }
    SetControlText(kTextId, text);
}

void VQMessageDlg::OnLayoutReady() {
    switch (m_type) {
        case kMessageAsk:
            SetControlVisible(kOptionId, false);
            break;
        case kMessageInform:
            SetControlVisible(kOptionId, false);
            SetControlVisible(kCancelId, false);
            if (VQControl* ok = Find(kOkId)) ok->SetPadding(0, 10, 14, 8);
            break;
        case kMessageCountdown:
            SetControlVisible(kOptionId, false);
            ::SetTimer(m_hwnd, kCountdownTimer, g_tickMs, nullptr);
            ::SetForegroundWindow(m_hwnd);
            ::SetWindowPos(m_hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            break;
        default:
            break;
    }
}

void VQMessageDlg::SetOkText(const std::wstring& text) { SetControlText(kOkId, text); }

void VQMessageDlg::SetOptionText(const std::wstring& text) { SetControlText(kOptionId, text); }

void VQMessageDlg::SetOptionSelected(bool selected) {
    VQControl* control = Find(kOptionId);
    VQOption* option = control ? static_cast<VQOption*>(control->GetInterface(ControlTypeOption)) : nullptr;
    if (option && option->IsSelected() != selected) option->Selected(selected);
    m_remember = option ? option->IsSelected() : false;
}

void VQMessageDlg::Notify(VQNotifyMsg& msg) {
    const int id = msg.sender ? msg.sender->GetId() : 0;
    if (msg.type == NotifyWindowInit) {
        if (VQControl* ok = Find(kOkId)) ok->SetFocus();
    } else if (msg.type == NotifyClick) {
        HandleStandardClick(id);
    } else if (msg.type == NotifySelectionChanged && id == kOptionId) {
        m_remember = msg.wParam != 0;
    }
}

LRESULT VQMessageDlg::OnTimer(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    if (wParam != kCountdownTimer) {
        handled = FALSE;
        return 0;
    }
    OnCountdownTick();
    return 0;
}

void VQMessageDlg::OnCountdownTick() {
    if (m_countdown > 0) --m_countdown;
    if (m_countdownTextId != 0) {
        SetControlText(kTextId, FormatString(LoadResourceString(m_countdownTextId).c_str(), m_countdown));
        if (m_paintManager.IsLayered())
            m_paintManager.PaintLayered(255);
        else
            ::InvalidateRect(m_hwnd, nullptr, FALSE);
    }
    if (m_countdown == 0) {
        ::KillTimer(m_hwnd, kCountdownTimer);
        EndWithResult(kDialogOk);
    }
}

}  // namespace Tessar
