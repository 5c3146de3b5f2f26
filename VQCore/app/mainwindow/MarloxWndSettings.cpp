// The main window opens the settings dialog and follows what it changed.

#include "VQCore/app/mainwindow/MarloxWnd.h"
#include "VQCore/app/windows/SettingsDlg.h"
#include "VQCore/gamelib/Settings.h"

namespace Tessar {

void VQMarloxWnd::ShowSettingsDialog(uint32_t page) {
    VQSettings& settings = VQSettings::Instance();
    VQSettingsDlg dialog(settings, page, [this, &settings](const VQSettingsChanges& changes) {
        if (changes.showSpeed) ApplySpeedDisplay(settings.GetBool(L"ShowSpeed"));
        if (changes.speedLimit) ApplySpeedLimit();
        if (changes.cacheDir) MoveDownloadFolder();
        if (changes.openEffect) m_openEffect = settings.GetBool(L"OpenEffect");
        // Hot keys 0 Ctrl+Alt+H, 1 Ctrl+Alt+G, 2 Ctrl+Alt+K follow their settings.
        if (changes.hideMainWnd) SwitchHotKey(0, settings.GetBool(L"HideMainWnd"));
        if (changes.hideRunGame) SwitchHotKey(1, settings.GetBool(L"HideRunGame"));
        if (changes.forceKillGame) SwitchHotKey(2, settings.GetBool(L"ForceKillGame"));
    });
    if (dialog.CreateDialogWindow(m_hwnd) == nullptr) return;
    dialog.ShowModal();
}

}  // namespace Tessar
