#include "VQCore/app/windows/SettingsForm.h"

#include "VQCore/gamelib/Settings.h"
#include "common/PathText.h"
#include "common/TextUtil.h"

#include <windows.h>

#include <cwctype>

namespace Tessar {

namespace {

// A whole decimal number, optionally negative; false for anything else.
bool ParseWholeNumber(const std::wstring& text, int64_t& value) {
    size_t at = 0;
    bool negative = false;
    if (at < text.size() && text[at] == L'-') {
        negative = true;
        ++at;
    }
    if (at == text.size() || text.size() - at > 12) return false;
    int64_t number = 0;
    for (; at < text.size(); ++at) {
        if (text[at] < L'0' || text[at] > L'9') return false;
        number = number * 10 + (text[at] - L'0');
    }
    value = negative ? -number : number;
    return true;
}

std::wstring WithTrailingSeparator(const std::wstring& folder) {
    return !folder.empty() && folder.back() == L'\\' ? folder : folder + L'\\';
}

// The whole texts, case ignored, a trailing separator or not: "D:\Games"
// is not the same folder as "D:\Games2".
bool SameFolder(const std::wstring& a, const std::wstring& b) {
    const std::wstring left = WithTrailingSeparator(a);
    const std::wstring right = WithTrailingSeparator(b);
    return left.size() == right.size() && PrefixCompareNoCase(left, right) == 0;
}

bool MakeFolders(const std::wstring& folder) {
    if (FolderExists(folder)) return true;
    const std::wstring trimmed = !folder.empty() && folder.back() == L'\\' ? folder.substr(0, folder.size() - 1) : folder;
    const size_t cut = trimmed.rfind(L'\\');
    if (cut == std::wstring::npos || cut < 2) return false;
    if (cut > 2 && !MakeFolders(trimmed.substr(0, cut))) return false;
    return ::CreateDirectoryW(trimmed.c_str(), nullptr) != FALSE || FolderExists(trimmed);
}

bool CheckFolder(const std::wstring& folder, const std::wstring& stored, uint32_t controlId,
                 std::vector<VQSettingsProblem>& problems) {
    if (SameFolder(folder, stored)) return true;
    VQSettingsRefusal refusal;
    if (folder.size() > kMaxFolderText)
        refusal = VQSettingsRefusal::kFolderTooLong;
    else if (folder.size() < 3 || !IsAbsolutePath(folder) || folder[0] == L'\\' || !IsValidFolderPath(folder))
        refusal = VQSettingsRefusal::kFolderInvalid;
    else if (!IsDriveRoot(folder.substr(0, 2)))
        refusal = VQSettingsRefusal::kFolderNoDrive;
    else if (!MakeFolders(folder))
        refusal = VQSettingsRefusal::kFolderCannotMake;
    else
        return true;
    problems.push_back({controlId, refusal});
    return false;
}

template <typename T>
bool Differs(const T& a, const T& b) { return !(a == b); }

}  // namespace

uint32_t RefusalTextId(VQSettingsRefusal refusal) {
    switch (refusal) {
    case VQSettingsRefusal::kSpeedNotNumber: return 1180;
    case VQSettingsRefusal::kSpeedOutOfRange: return 1181;
    case VQSettingsRefusal::kFolderTooLong: return 1011;
    case VQSettingsRefusal::kFolderInvalid: return 1182;
    case VQSettingsRefusal::kFolderNoDrive: return 1183;
    case VQSettingsRefusal::kFolderCannotMake: return 1184;
    }
    return 1182;
}

int CycleIndexOf(uint32_t days) {
    for (int i = 0; i < 5; ++i)
        if (kCycleDays[i] == days) return i;
    return -1;
}

VQSettingsForm ReadSettingsForm(const VQSettings& settings) {
    VQSettingsForm form;
    form.autoRun = settings.GetBool(L"AutoRun");
    form.autoStartUndone = settings.GetBool(L"AutoStartUndone");
    form.closeToTray = settings.GetInt(L"CloseAction") == 0;
    form.showSpeed = settings.GetBool(L"ShowSpeed");
    form.speedLimit = settings.GetBool(L"SpeedLimit");
    form.maxSpeedText = std::to_wstring(static_cast<int32_t>(settings.GetInt(L"MaxSpeed")));
    form.cacheDir = settings.GetString(L"CacheDir");
    form.installDir = settings.GetString(L"InstallDir");
    form.completeMessageTip = settings.GetBool(L"CompleteMessageTip");
    form.completeAudioTip = settings.GetBool(L"CompleteAudioTip");
    form.exitMessageTip = settings.GetBool(L"ExitMessageTip");
    form.repairGameTip = settings.GetBool(L"RepairGameTip");
    form.importRegular = settings.GetBool(L"ImportRegular");
    form.importCycleIndex = CycleIndexOf(settings.GetInt(L"ImportCycle"));
    form.openEffect = settings.GetBool(L"OpenEffect");
    form.completePowerOff = settings.GetBool(L"CompletePowerOff");
    form.runGameMin = settings.GetBool(L"RunGameMin");
    form.hideMainWnd = settings.GetBool(L"HideMainWnd");
    form.hideRunGame = settings.GetBool(L"HideRunGame");
    form.forceKillGame = settings.GetBool(L"ForceKillGame");
    form.updateRegular = settings.GetBool(L"UpdateRegular");
    form.updateCycleIndex = CycleIndexOf(settings.GetInt(L"UpdateCycle"));
    return form;
}

void RestoreDownloadDefaults(VQSettingsForm& form) {
    form.showSpeed = true;
    form.speedLimit = false;
    form.maxSpeedText = L"1024";
    form.cacheDir = CombinePath(L"C:\\", kDefaultDownloadFolder);
    form.installDir = CombinePath(L"C:\\", kDefaultInstallFolder);
}

std::vector<VQSettingsProblem> CheckSettingsForm(const VQSettingsForm& form, const VQSettings& stored) {
    std::vector<VQSettingsProblem> problems;
    // With the limit off its box cannot be edited: an odd stored value
    // there (a hand-edited file) must not keep the user from saving the rest.
    const bool speedTyped = form.speedLimit || form.maxSpeedText != ReadSettingsForm(stored).maxSpeedText;
    int64_t speed = 0;
    if (speedTyped && !ParseWholeNumber(form.maxSpeedText, speed))
        problems.push_back({164, VQSettingsRefusal::kSpeedNotNumber});
    else if (speedTyped && (speed <= 0 || speed > kMaxSpeedLimit))
        problems.push_back({164, VQSettingsRefusal::kSpeedOutOfRange});
    CheckFolder(form.cacheDir, stored.GetString(L"CacheDir"), 145, problems);
    CheckFolder(form.installDir, stored.GetString(L"InstallDir"), 147, problems);
    return problems;
}

VQSettingsChanges StoreSettingsForm(const VQSettingsForm& form, VQSettings& settings) {
    VQSettingsChanges changes;
    auto flag = [&](const wchar_t* key, bool value, bool* changed) {
        if (settings.GetBool(key) == value) return;
        settings.SetBool(key, value);
        changes.any = true;
        if (changed) *changed = true;
    };
    auto number = [&](const wchar_t* key, uint32_t value) {
        if (settings.GetInt(key) == value) return;
        settings.SetInt(key, value);
        changes.any = true;
    };

    flag(L"AutoRun", form.autoRun, nullptr);
    flag(L"AutoStartUndone", form.autoStartUndone, nullptr);
    number(L"CloseAction", form.closeToTray ? 0 : 1);
    flag(L"ShowSpeed", form.showSpeed, &changes.showSpeed);
    int64_t speed = 0;
    if (ParseWholeNumber(form.maxSpeedText, speed) && speed > 0 && speed <= kMaxSpeedLimit &&
        settings.GetInt(L"MaxSpeed") != static_cast<uint32_t>(speed)) {
        settings.SetInt(L"MaxSpeed", static_cast<uint32_t>(speed));
        changes.speedLimit = changes.any = true;
    }
    flag(L"SpeedLimit", form.speedLimit, &changes.speedLimit);

    const VQSettings& stored = settings;
    std::vector<VQSettingsProblem> unused;
    if (!SameFolder(form.cacheDir, stored.GetString(L"CacheDir")) &&
        CheckFolder(form.cacheDir, stored.GetString(L"CacheDir"), 145, unused)) {
        settings.SetString(L"CacheDir", WithTrailingSeparator(form.cacheDir));
        changes.cacheDir = changes.any = true;
    }
    if (!SameFolder(form.installDir, stored.GetString(L"InstallDir")) &&
        CheckFolder(form.installDir, stored.GetString(L"InstallDir"), 147, unused)) {
        settings.SetString(L"InstallDir", WithTrailingSeparator(form.installDir));
        changes.any = true;
    }

    flag(L"CompleteMessageTip", form.completeMessageTip, nullptr);
    flag(L"CompleteAudioTip", form.completeAudioTip, nullptr);
    flag(L"ExitMessageTip", form.exitMessageTip, nullptr);
    flag(L"RepairGameTip", form.repairGameTip, nullptr);
    flag(L"ImportRegular", form.importRegular, nullptr);
    if (form.importCycleIndex >= 0 && form.importCycleIndex < 5) number(L"ImportCycle", kCycleDays[form.importCycleIndex]);
    flag(L"OpenEffect", form.openEffect, &changes.openEffect);
    flag(L"CompletePowerOff", form.completePowerOff, nullptr);
    flag(L"RunGameMin", form.runGameMin, nullptr);
    flag(L"HideMainWnd", form.hideMainWnd, &changes.hideMainWnd);
    flag(L"HideRunGame", form.hideRunGame, &changes.hideRunGame);
    flag(L"ForceKillGame", form.forceKillGame, &changes.forceKillGame);
    flag(L"UpdateRegular", form.updateRegular, nullptr);
    if (form.updateCycleIndex >= 0 && form.updateCycleIndex < 5) number(L"UpdateCycle", kCycleDays[form.updateCycleIndex]);
    return changes;
}

VQSettingsChanges SaveSettingsForm(const VQSettingsForm& form, VQSettings& settings, bool& saved) {
    const VQSettingsChanges changes = StoreSettingsForm(form, settings);
    saved = settings.Save();
    // The entry follows the setting even when nothing changed, so that a
    // removed or stale entry is put right.
    settings.ApplyAutoRun();
    return changes;
}

}  // namespace Tessar
