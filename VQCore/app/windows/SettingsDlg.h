#pragma once
// "配置中心": the modal settings dialog with its six tab pages. It shows
// the settings as a VQSettingsForm, checks what the user typed when "确 定"
// is pressed (a refused value is named with its reason and the dialog stays
// open), then stores what changed, saves the file, rewrites the autostart
// entry and hands the changes to its owner to apply at once.

#include "VQCore/app/windows/SettingsForm.h"
#include "ui/WindowImplBase.h"

#include <cstdint>
#include <functional>
#include <string>

namespace Tessar {

class VQSettings;

extern const wchar_t kSettingsDlgClass[];   // L"VQSettingsDlg"
extern const wchar_t kSettingsDlgLayout[];  // L"SettingsDlg"

class VQSettingsDlg : public VQWindowImplBase {
public:
    using AppliedHandler = std::function<void(const VQSettingsChanges&)>;
    using RefusalHandler = std::function<void(const std::wstring& text)>;

    // firstPage: the tab shown first (0 常规设置 ... 5 更新设置).
    VQSettingsDlg(VQSettings& settings, uint32_t firstPage, AppliedHandler applied);

    // Creates the window owned by owner (hidden); 0 on failure.
    HWND CreateDialogWindow(HWND owner);
    // Tests answer the refusal themselves instead of a message box.
    void SetRefusalHandler(RefusalHandler handler) { m_refuse = std::move(handler); }

    const wchar_t* GetWindowClassName() const override { return kSettingsDlgClass; }
    LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    // Takes the skin again on the main window's skin-change message.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnNcPaint(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void Notify(VQNotifyMsg& msg) override;

    // The controls' values, and the values put into the controls.
    VQSettingsForm ReadControls() const;
    void WriteControls(const VQSettingsForm& form);
    // "确 定": true when everything was stored and the dialog closes.
    bool Confirm();
    // "恢复默认设置": the download page's defaults, nothing stored.
    void RestoreDefaults();
    void SelectPage(uint32_t index);
    // The selected skin's look (the built-in one without a listed skin);
    // also called on a skin change while the dialog is open.
    void ApplySkin();
    VQControl* FindControl(int id) const { return m_paintManager.FindControlById(id); }
    // The id (134-139) of the page shown; 0 when none.
    int VisiblePageId() const;

private:
    bool IsOptionSelected(int id) const;
    void SelectOption(int id, bool selected);
    std::wstring ControlText(int id) const;
    void SetControlText(int id, const std::wstring& text);
    void EnableControl(int id, bool enabled);
    void UpdateEnabledControls();
    void ShowTabPage();
    void BrowseFolder(int editId);
    void Tell(const std::wstring& text);

    VQSettings& m_settings;
    uint32_t m_firstPage;
    AppliedHandler m_applied;
    RefusalHandler m_refuse;
    int m_shownPage;
};

}  // namespace Tessar
