#pragma once
// What the settings dialog shows and stores: every setting as its
// controls hold it, read from the settings object, checked before it is
// stored, and stored key by key only where it differs from the stored
// value. The dialog turns the returned changes into the main window's
// immediate updates.

#include <cstdint>
#include <string>
#include <vector>

namespace Tessar {

class VQSettings;

struct VQSettingsForm {
    // 常规设置
    bool autoRun = false;
    bool autoStartUndone = false;
    bool closeToTray = true;  // CloseAction 0; false: 1 (exit)
    // 下载设置
    bool showSpeed = false;
    bool speedLimit = false;
    std::wstring maxSpeedText;  // KB/s as typed
    std::wstring cacheDir;
    std::wstring installDir;
    // 消息提示
    bool completeMessageTip = false;
    bool completeAudioTip = false;
    bool exitMessageTip = false;
    bool repairGameTip = false;
    // 扫描设置
    bool importRegular = false;
    int importCycleIndex = -1;  // -1: no selection
    // 高级设置
    bool openEffect = false;
    bool completePowerOff = false;
    bool runGameMin = false;
    bool hideMainWnd = false;
    bool hideRunGame = false;
    bool forceKillGame = false;
    // 更新设置
    bool updateRegular = false;
    int updateCycleIndex = -1;
};

// The cycle combos' items "一天" ... "三十天" stand for these days.
const uint32_t kCycleDays[] = {1, 3, 7, 15, 30};
// -1 for a value not in the list.
int CycleIndexOf(uint32_t days);

// Longest folder text the folder boxes take.
const size_t kMaxFolderText = 200;
// Highest speed limit accepted, KB/s (1 GB/s).
const uint32_t kMaxSpeedLimit = 1048576;

VQSettingsForm ReadSettingsForm(const VQSettings& settings);
// "恢复默认设置" on the download page: speed shown, no limit, 1024 KB/s,
// the default folders on C:.
void RestoreDownloadDefaults(VQSettingsForm& form);

enum class VQSettingsRefusal {
    kSpeedNotNumber,     // the limit is not a whole number
    kSpeedOutOfRange,    // 0, negative or above kMaxSpeedLimit
    kFolderTooLong,      // more than kMaxFolderText characters
    kFolderInvalid,      // not a folder path (bad characters, reserved names, relative)
    kFolderNoDrive,      // its drive does not exist
    kFolderCannotMake,   // it does not exist and cannot be made
};
// The string that tells the user why (1011 for a folder that is too long,
// 1180-1184 for the others).
uint32_t RefusalTextId(VQSettingsRefusal refusal);

struct VQSettingsProblem {
    uint32_t controlId;  // 164 speed, 145 download folder, 147 install folder
    VQSettingsRefusal refusal;
};
// The typed values that cannot be stored, in page order. Folders equal to
// the stored ones (case ignored) are not checked again; a missing folder
// is made (the check makes it, so that the one stored can be used).
std::vector<VQSettingsProblem> CheckSettingsForm(const VQSettingsForm& form, const VQSettings& stored);

// What changed, for the main window to follow at once.
struct VQSettingsChanges {
    bool showSpeed = false;
    bool speedLimit = false;  // the flag or the value
    bool cacheDir = false;
    bool openEffect = false;
    bool hideMainWnd = false;
    bool hideRunGame = false;
    bool forceKillGame = false;
    bool any = false;
};
// Writes what differs (after CheckSettingsForm found nothing; refused
// values are left out all the same). Folders get a trailing "\". Does not
// save the file.
VQSettingsChanges StoreSettingsForm(const VQSettingsForm& form, VQSettings& settings);
// "确 定": stores the form, saves the settings file and rewrites the
// autostart entry. saved is false when the file could not be written.
VQSettingsChanges SaveSettingsForm(const VQSettingsForm& form, VQSettings& settings, bool& saved);

}  // namespace Tessar
