#include "VQCore/app/windows/SettingsDlg.h"

#include "VQCore/app/windows/DialogWindow.h"
#include "VQCore/app/start/ResourceString.h"
#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/Settings.h"
#include "ui/Combo.h"
#include "ui/DialogBuilder.h"
#include "ui/Option.h"
#include "ui/SkinManager.h"
#include "ui/TabCtrl.h"

namespace Tessar {

const wchar_t kSettingsDlgClass[] = L"VQSettingsDlg";
const wchar_t kSettingsDlgLayout[] = L"SettingsDlg";

namespace {

enum : int {
    kOkButton = 130, kCancelButton = 131, kTabs = 133, kFirstPageId = 134, kLastPageId = 139,
    kAutoRun = 140, kAutoStartUndone = 141, kCloseToTray = 142, kCloseExit = 165,
    kShowSpeed = 143, kSpeedLimit = 144, kMaxSpeed = 164, kCacheDir = 145, kBrowseCache = 146,
    kInstallDir = 147, kBrowseInstall = 148, kRestoreDefaults = 166,
    kCompleteMessageTip = 149, kCompleteAudioTip = 150, kExitMessageTip = 151, kRepairGameTip = 152,
    kImportRegular = 159, kImportCycle = 160,
    kOpenEffect = 153, kCompletePowerOff = 154, kRunGameMin = 155, kHideMainWnd = 156, kHideRunGame = 157,
    kForceKillGame = 158, kUpdateAuto = 162, kUpdateCycle = 163, kUpdateManual = 168, kCloseButton = 198,
};
const UINT kTipCaption = 1004;
const UINT kFolderTooLongText = 1011;
const UINT kChooseFolderTitle = 1018;
const UINT kStyleResource = 331;

}  // namespace

VQSettingsDlg::VQSettingsDlg(VQSettings& settings, uint32_t firstPage, AppliedHandler applied)
    : m_settings(settings), m_firstPage(firstPage), m_applied(std::move(applied)), m_shownPage(0) {}

HWND VQSettingsDlg::CreateDialogWindow(HWND owner) {
    wchar_t title[256] = L"";
    if (owner != nullptr) ::GetWindowTextW(owner, title, 256);
    return Create(owner, title, 0x86C00000, WS_EX_DLGMODALFRAME);
}

LRESULT VQSettingsDlg::OnCreate(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = TRUE;
    if (!CreateFromLayout(L"#226", kSettingsDlgLayout, MarkupFromResource, L"XML", nullptr)) return -1;
    VQPaintManager::AddPreTranslate(&m_paintManager);
    ApplySkin();
    RECT bounds = {0, 0, 580, 420};
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, bounds.right, bounds.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CenterWindow();
    WriteControls(ReadSettingsForm(m_settings));
    SelectPage(m_firstPage);
    return 0;
}

LRESULT VQSettingsDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == VQDialogWindow::kMsgReapplySkin) {
        ApplySkin();
        return 0;
    }
    return VQWindowImplBase::HandleMessage(message, wParam, lParam);
}

LRESULT VQSettingsDlg::OnNcCalcSize(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = TRUE;
    return 0;
}

LRESULT VQSettingsDlg::OnNcPaint(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = TRUE;
    return 0;
}

void VQSettingsDlg::ApplySkin() {
    ChangeSkin(kStyleResource, kSettingsDlgLayout, L"XML", GetSkinFolder(), SelectedSkinLayoutFile());
}

bool VQSettingsDlg::IsOptionSelected(int id) const {
    auto* option = dynamic_cast<VQOption*>(m_paintManager.FindControlById(id));
    return option != nullptr && option->IsSelected();
}

void VQSettingsDlg::SelectOption(int id, bool selected) {
    if (auto* option = dynamic_cast<VQOption*>(m_paintManager.FindControlById(id))) option->Selected(selected);
}

std::wstring VQSettingsDlg::ControlText(int id) const {
    VQControl* control = m_paintManager.FindControlById(id);
    return control != nullptr ? control->GetText() : std::wstring();
}

void VQSettingsDlg::SetControlText(int id, const std::wstring& text) {
    if (VQControl* control = m_paintManager.FindControlById(id)) control->SetText(text);
}

void VQSettingsDlg::EnableControl(int id, bool enabled) {
    if (VQControl* control = m_paintManager.FindControlById(id)) control->SetEnabled(enabled);
}

VQSettingsForm VQSettingsDlg::ReadControls() const {
    VQSettingsForm form;
    form.autoRun = IsOptionSelected(kAutoRun);
    form.autoStartUndone = IsOptionSelected(kAutoStartUndone);
    form.closeToTray = IsOptionSelected(kCloseToTray);
    form.showSpeed = IsOptionSelected(kShowSpeed);
    form.speedLimit = IsOptionSelected(kSpeedLimit);
    form.maxSpeedText = ControlText(kMaxSpeed);
    form.cacheDir = ControlText(kCacheDir);
    form.installDir = ControlText(kInstallDir);
    form.completeMessageTip = IsOptionSelected(kCompleteMessageTip);
    form.completeAudioTip = IsOptionSelected(kCompleteAudioTip);
    form.exitMessageTip = IsOptionSelected(kExitMessageTip);
    form.repairGameTip = IsOptionSelected(kRepairGameTip);
    form.importRegular = IsOptionSelected(kImportRegular);
    auto* importCycle = dynamic_cast<VQCombo*>(m_paintManager.FindControlById(kImportCycle));
    form.importCycleIndex = importCycle != nullptr ? importCycle->GetCurSel() : -1;
    form.openEffect = IsOptionSelected(kOpenEffect);
    form.completePowerOff = IsOptionSelected(kCompletePowerOff);
    form.runGameMin = IsOptionSelected(kRunGameMin);
    form.hideMainWnd = IsOptionSelected(kHideMainWnd);
    form.hideRunGame = IsOptionSelected(kHideRunGame);
    form.forceKillGame = IsOptionSelected(kForceKillGame);
    form.updateRegular = IsOptionSelected(kUpdateAuto);
    auto* updateCycle = dynamic_cast<VQCombo*>(m_paintManager.FindControlById(kUpdateCycle));
    form.updateCycleIndex = updateCycle != nullptr ? updateCycle->GetCurSel() : -1;
    return form;
}

void VQSettingsDlg::WriteControls(const VQSettingsForm& form) {
    SelectOption(kAutoRun, form.autoRun);
    SelectOption(kAutoStartUndone, form.autoStartUndone);
    SelectOption(form.closeToTray ? kCloseToTray : kCloseExit, true);
    SelectOption(kShowSpeed, form.showSpeed);
    SelectOption(kSpeedLimit, form.speedLimit);
    SetControlText(kMaxSpeed, form.maxSpeedText);
    SetControlText(kCacheDir, form.cacheDir);
    SetControlText(kInstallDir, form.installDir);
    SelectOption(kCompleteMessageTip, form.completeMessageTip);
    SelectOption(kCompleteAudioTip, form.completeAudioTip);
    SelectOption(kExitMessageTip, form.exitMessageTip);
    SelectOption(kRepairGameTip, form.repairGameTip);
    SelectOption(kImportRegular, form.importRegular);
    if (auto* combo = dynamic_cast<VQCombo*>(m_paintManager.FindControlById(kImportCycle)))
        if (form.importCycleIndex >= 0) combo->SelectItem(form.importCycleIndex);
    SelectOption(kOpenEffect, form.openEffect);
    SelectOption(kCompletePowerOff, form.completePowerOff);
    SelectOption(kRunGameMin, form.runGameMin);
    SelectOption(kHideMainWnd, form.hideMainWnd);
    SelectOption(kHideRunGame, form.hideRunGame);
    SelectOption(kForceKillGame, form.forceKillGame);
    SelectOption(form.updateRegular ? kUpdateAuto : kUpdateManual, true);
    if (auto* combo = dynamic_cast<VQCombo*>(m_paintManager.FindControlById(kUpdateCycle)))
        if (form.updateCycleIndex >= 0) combo->SelectItem(form.updateCycleIndex);
    UpdateEnabledControls();
}

void VQSettingsDlg::UpdateEnabledControls() {
    EnableControl(kMaxSpeed, IsOptionSelected(kSpeedLimit));
    EnableControl(kImportCycle, IsOptionSelected(kImportRegular));
    EnableControl(kUpdateCycle, IsOptionSelected(kUpdateAuto));
}

void VQSettingsDlg::SelectPage(uint32_t index) {
    if (auto* tabs = dynamic_cast<VQTabCtrl*>(m_paintManager.FindControlById(kTabs))) tabs->SelectItem(static_cast<int>(index));
    ShowTabPage();
}

void VQSettingsDlg::ShowTabPage() {
    auto* tabs = dynamic_cast<VQTabCtrl*>(m_paintManager.FindControlById(kTabs));
    const VQTabItem* item = tabs != nullptr ? tabs->GetSelectedItem() : nullptr;
    const int page = item != nullptr ? item->GetControlId() : 0;
    for (int id = kFirstPageId; id <= kLastPageId; ++id)
        if (VQControl* control = m_paintManager.FindControlById(id)) control->SetVisible(id == page);
    m_shownPage = page;
}

int VQSettingsDlg::VisiblePageId() const {
    for (int id = kFirstPageId; id <= kLastPageId; ++id) {
        VQControl* control = m_paintManager.FindControlById(id);
        if (control != nullptr && control->IsVisible()) return id;
    }
    return 0;
}

void VQSettingsDlg::Tell(const std::wstring& text) {
    if (m_refuse) {
        m_refuse(text);
        return;
    }
    ::MessageBoxW(m_hwnd, text.c_str(), LoadResourceString(kTipCaption).c_str(), MB_OK | MB_ICONWARNING);
}

bool VQSettingsDlg::Confirm() {
    const VQSettingsForm form = ReadControls();
    const std::vector<VQSettingsProblem> problems = CheckSettingsForm(form, m_settings);
    if (!problems.empty()) {
        // The first refused value: its page comes forward, its box gets
        // the focus, and the user is told why.
        const uint32_t page = problems[0].controlId == kMaxSpeed || problems[0].controlId == kCacheDir ||
                                      problems[0].controlId == kInstallDir
                                  ? 1
                                  : 0;
        SelectPage(page);
        if (VQControl* control = m_paintManager.FindControlById(static_cast<int>(problems[0].controlId)))
            control->SetFocus();
        Tell(LoadResourceString(RefusalTextId(problems[0].refusal)));
        return false;
    }
    bool saved = false;
    const VQSettingsChanges changes = SaveSettingsForm(form, m_settings, saved);
    if (m_applied) m_applied(changes);
    ::PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
    return true;
}

void VQSettingsDlg::RestoreDefaults() {
    VQSettingsForm form = ReadControls();
    RestoreDownloadDefaults(form);
    SelectOption(kShowSpeed, form.showSpeed);
    SelectOption(kSpeedLimit, form.speedLimit);
    SetControlText(kMaxSpeed, form.maxSpeedText);
    SetControlText(kCacheDir, form.cacheDir);
    SetControlText(kInstallDir, form.installDir);
    UpdateEnabledControls();
}

void VQSettingsDlg::BrowseFolder(int editId) {
    std::wstring folder = ControlText(editId);
    if (!BrowseForFolder(LoadResourceString(kChooseFolderTitle), folder)) return;
    if (folder.size() > kMaxFolderText) {
        Tell(LoadResourceString(kFolderTooLongText));
        return;
    }
    SetControlText(editId, folder);
}

void VQSettingsDlg::Notify(VQNotifyMsg& msg) {
    const int id = msg.sender != nullptr ? msg.sender->GetId() : 0;
    switch (msg.type) {
    case NotifyWindowInit:
        if (VQControl* ok = m_paintManager.FindControlById(kOkButton)) ok->SetFocus();
        SelectPage(m_firstPage);
        break;
    case NotifyClick:
        if (id == kOkButton) Confirm();
        else if (id == kCancelButton || id == kCloseButton) ::PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
        else if (id == kBrowseCache) BrowseFolder(kCacheDir);
        else if (id == kBrowseInstall) BrowseFolder(kInstallDir);
        else if (id == kRestoreDefaults) RestoreDefaults();
        break;
    case NotifySelectionChanged:
        if (id == kTabs) ShowTabPage();
        else UpdateEnabledControls();
        break;
    case NotifyTextLimit:
        if (id == kCacheDir || id == kInstallDir) Tell(LoadResourceString(kFolderTooLongText));
        break;
    default:
        break;
    }
}

}  // namespace Tessar
