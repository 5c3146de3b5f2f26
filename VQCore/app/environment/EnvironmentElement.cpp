#include "VQCore/app/environment/EnvironmentElement.h"

#include <new>

#include "VQCore/app/start/AppControlTypes.h"
#include "VQCore/app/start/ResourceString.h"
#include "common/FormatText.h"
#include "ui/Button.h"
#include "ui/Label.h"
#include "ui/PaintManager.h"
#include "ui/Progress.h"

namespace Tessar {

namespace {

enum : UINT { kTextPause = 1166, kTextContinue = 1167, kTextCancel = 1168, kTextChangeDir = 1169 };

const wchar_t kSatisfiedText[] = L"满足要求";
const wchar_t kNotSatisfiedText[] = L"不满足要求";

}  // namespace

VQControl* VQEnvironmentElement::GetInterface(int type) {
    if (type == ControlTypeEnvironmentElement) return this;
    return VQHorizontalLayout::GetInterface(type);
}

void VQEnvironmentElement::ApplyLookTo(VQControl* control, const wchar_t* look) {
    if (!control || !m_manager) return;
    const std::wstring list = m_manager->GetDefaultAttributeList(look);
    if (!list.empty()) control->ApplyAttributeList(list);
}

VQControl* VQEnvironmentElement::MakeChild(VQControl* control, const wchar_t* look) {
    if (!control) return nullptr;
    // The list scrolls whichever child the wheel turns over.
    control->SetDispatchBit(EventMouseWheel, true);
    ApplyLookTo(control, look);
    Add(control);
    return control;
}

void VQEnvironmentElement::DoInit() {
    if (m_built) {
        VQHorizontalLayout::DoInit();
        return;
    }
    m_built = true;
    m_name = MakeChild(new (std::nothrow) VQLabel(), L"EnvironmentName");
    m_icon = MakeChild(new (std::nothrow) VQControl(), L"EnvironmentIcon");
    m_progress = MakeChild(new (std::nothrow) VQProgress(), L"EnvironmentProgress");
    m_percent = MakeChild(new (std::nothrow) VQLabel(), L"EnvironmentPercent");
    m_continue = MakeChild(new (std::nothrow) VQButton(), L"EnvironmentButton");
    m_pause = MakeChild(new (std::nothrow) VQButton(), L"EnvironmentButton");
    m_cancel = MakeChild(new (std::nothrow) VQButton(), L"EnvironmentButton");
    m_status = MakeChild(new (std::nothrow) VQLabel(), L"EnvironmentStatus");
    m_changeDir = MakeChild(new (std::nothrow) VQButton(), L"EnvironmentChangeDir");
    // Their clicks pass through the row first (Activate).
    for (VQControl* button : {m_continue, m_pause, m_cancel, m_changeDir})
        if (button) button->SetDispatchBit(DispatchActivate, true);
    if (m_continue) m_continue->SetText(LoadResourceString(kTextContinue));
    if (m_pause) m_pause->SetText(LoadResourceString(kTextPause));
    if (m_cancel) m_cancel->SetText(LoadResourceString(kTextCancel));
    if (m_changeDir) m_changeDir->SetText(LoadResourceString(kTextChangeDir));
    if (m_percent) m_percent->SetText(L"0.0%");
    for (VQControl* hidden : {m_progress, m_percent, m_continue, m_pause, m_cancel, m_changeDir})
        if (hidden) hidden->SetVisible(false);
    ShowStateLook();
}

void VQEnvironmentElement::ApplyLook() {
    if (!m_built) return;
    ApplyLookTo(m_name, L"EnvironmentName");
    ApplyLookTo(m_icon, L"EnvironmentIcon");
    ApplyLookTo(m_progress, L"EnvironmentProgress");
    ApplyLookTo(m_percent, L"EnvironmentPercent");
    for (VQControl* button : {m_continue, m_pause, m_cancel}) ApplyLookTo(button, L"EnvironmentButton");
    ApplyLookTo(m_status, L"EnvironmentStatus");
    ApplyLookTo(m_changeDir, L"EnvironmentChangeDir");
    ShowStateLook();
    Invalidate();
}

VQEnvironmentButton VQEnvironmentElement::ButtonOf(const VQControl* control) const {
    if (!control) return VQEnvironmentButton::kNone;
    if (control == m_continue) return VQEnvironmentButton::kContinue;
    if (control == m_pause) return VQEnvironmentButton::kPause;
    if (control == m_cancel) return VQEnvironmentButton::kCancel;
    if (control == m_changeDir) return VQEnvironmentButton::kChangeDir;
    return VQEnvironmentButton::kNone;
}

bool VQEnvironmentElement::IsButtonShown(VQEnvironmentButton button) const {
    const VQControl* control = button == VQEnvironmentButton::kContinue  ? m_continue
                               : button == VQEnvironmentButton::kPause   ? m_pause
                               : button == VQEnvironmentButton::kCancel  ? m_cancel
                               : button == VQEnvironmentButton::kChangeDir ? m_changeDir
                                                                          : nullptr;
    return control && control->IsVisible();
}

bool VQEnvironmentElement::Activate(VQEvent& event) {
    if (!IsVisible() || !IsEnabled()) return false;
    switch (ButtonOf(event.forwardedFrom)) {
    case VQEnvironmentButton::kContinue:
        m_paused = false;
        if (m_continue) m_continue->SetVisible(false);
        if (m_pause) m_pause->SetVisible(true);
        break;
    case VQEnvironmentButton::kPause:
        m_paused = true;
        if (m_continue) m_continue->SetVisible(true);
        if (m_pause) m_pause->SetVisible(false);
        break;
    case VQEnvironmentButton::kCancel:
        m_paused = false;
        SetState(kRowNotSatisfied);
        break;
    default: break;
    }
    return true;
}

void VQEnvironmentElement::SetNameText(const std::wstring& text) {
    if (m_name) m_name->SetText(text);
}

std::wstring VQEnvironmentElement::GetNameText() const { return m_name ? m_name->GetText() : std::wstring(); }

std::wstring VQEnvironmentElement::GetStatusText() const {
    return m_status && m_status->IsVisible() ? m_status->GetText() : std::wstring();
}

std::wstring VQEnvironmentElement::GetPercentText() const { return m_percent ? m_percent->GetText() : std::wstring(); }

int VQEnvironmentElement::GetProgressValue() const {
    auto* bar = m_progress ? static_cast<VQProgress*>(m_progress->GetInterface(ControlTypeProgress)) : nullptr;
    return bar ? bar->GetValue() : 0;
}

void VQEnvironmentElement::SetProgress(double fraction) {
    if (fraction < 0) fraction = 0;
    if (fraction > 1) fraction = 1;
    if (m_percent) m_percent->SetText(FormatString(L"%0.1f%%", fraction * 100.0));
    auto* bar = m_progress ? static_cast<VQProgress*>(m_progress->GetInterface(ControlTypeProgress)) : nullptr;
    if (bar) bar->SetValue(static_cast<int>(fraction * 100.0));
}

void VQEnvironmentElement::SetState(uint32_t state) {
    // A download that starts again starts running.
    if (state == kRowDownloading && m_state != kRowDownloading) m_paused = false;
    m_state = state;
    ShowStateLook();
    NeedUpdate();
}

// What each state shows: the mark, the text, the progress and the buttons.
void VQEnvironmentElement::ShowStateLook() {
    if (!m_built) return;
    const bool ok = m_state == kRowSatisfied;
    const bool busy = m_state == kRowDownloading || m_state == kRowInstalling;
    // A failed download or install shows the runtime as still missing
    // rather than a progress that never ends.
    const bool bad = m_state == kRowNotSatisfied || m_state == kRowOtherDriveHasRoom || m_state == kRowFailed;
    if (m_icon) {
        m_icon->SetVisible(ok || busy || bad);
        ApplyLookTo(m_icon, ok ? L"EnvironmentIconOk" : busy ? L"EnvironmentIconBusy" : L"EnvironmentIconBad");
    }
    if (m_status) {
        m_status->SetVisible(m_state != kRowDownloading && m_state != kRowNone);
        if (ok) {
            m_status->SetText(kSatisfiedText);
            ApplyLookTo(m_status, L"EnvironmentStatusOk");
        } else if (bad) {
            m_status->SetText(kNotSatisfiedText);
            ApplyLookTo(m_status, L"EnvironmentStatusBad");
        } else if (m_state == kRowInstalling) {
            m_status->SetText(LoadResourceString(StrInstalling));
            ApplyLookTo(m_status, L"EnvironmentStatusBusy");
        }
    }
    if (m_progress) m_progress->SetVisible(busy);
    if (m_percent) m_percent->SetVisible(busy);
    if (m_state == kRowInstalling) {
        SetProgress(1.0);
        if (m_percent) m_percent->SetText(L"100%");
    }
    const bool downloading = m_state == kRowDownloading;
    if (m_continue) m_continue->SetVisible(downloading && m_paused);
    if (m_pause) m_pause->SetVisible(downloading && !m_paused);
    if (m_cancel) m_cancel->SetVisible(downloading);
    if (m_changeDir) m_changeDir->SetVisible(m_state == kRowOtherDriveHasRoom);
}

}  // namespace Tessar
