#include "VQCore/gamelib/Settings.h"

#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/OptionStore.h"
#include "common/FileUtil.h"
#include "common/FormatText.h"
#include "common/NumberText.h"
#include "common/PathText.h"
#include "common/Thread.h"

namespace Tessar {

const wchar_t kDefaultDownloadFolder[] = L"ZelmorGames\\Download";
const wchar_t kDefaultInstallFolder[] = L"ZelmorGames\\Games";

namespace {

enum Kind { kFlag, kInt, kByte, kText };

struct SettingDef {
    const wchar_t* key;
    const wchar_t* section;  // null: kept in memory only
    int kind;
    uint32_t defaultValue;
};

const SettingDef kSettings[] = {
    {L"AutoRun", L"GENERIC", kFlag, 1},
    {L"AutoStartUndone", L"GENERIC", kFlag, 0},
    {L"CloseAction", L"GENERIC", kByte, 0},  // 0 hide to the tray, 1 exit
    {L"ShowSpeed", L"DOWNLOAD", kFlag, 1},
    {L"SpeedLimit", L"DOWNLOAD", kFlag, 0},
    {L"MaxSpeed", L"DOWNLOAD", kInt, 1024},  // KB/s
    {L"CacheDir", L"DOWNLOAD", kText, 0},
    {L"InstallDir", L"DOWNLOAD", kText, 0},
    {L"CompleteMessageTip", L"PROMPT", kFlag, 1},
    {L"CompleteAudioTip", L"PROMPT", kFlag, 1},
    {L"ExitMessageTip", L"PROMPT", kFlag, 1},
    {L"RepairGameTip", L"PROMPT", kFlag, 1},
    {L"UpdateRegular", L"UPDATE", kFlag, 1},
    {L"UpdateCycle", L"UPDATE", kInt, 7},  // days
    {L"UpdateTime", L"UPDATE", kText, 0},
    {L"UpdateDatabaseTime", L"UPDATE", kText, 0},
    {L"UpdateAdvertTime", L"UPDATE", kText, 0},
    {L"UpdateHotTime", L"UPDATE", kText, 0},
    {L"ReportOnlineTime", L"UPDATE", kText, 0},
    {L"OpenEffect", L"ADVANCED", kFlag, 1},
    {L"RunGameMin", L"ADVANCED", kFlag, 0},
    {L"HideMainWnd", L"ADVANCED", kFlag, 0},
    {L"HideRunGame", L"ADVANCED", kFlag, 0},
    {L"ForceKillGame", L"ADVANCED", kFlag, 0},
    {L"ImportRegular", L"IMPORT", kFlag, 0},
    {L"ImportCycle", L"IMPORT", kInt, 7},  // days
    {L"ImportTime", L"IMPORT", kText, 0},
    {L"CompletePowerOff", nullptr, kFlag, 0},  // every start begins with 0
};
const int kSettingCount = static_cast<int>(sizeof(kSettings) / sizeof(kSettings[0]));

const wchar_t kCacheDirKey[] = L"CacheDir";
const wchar_t kInstallDirKey[] = L"InstallDir";
const wchar_t kSetAsideSuffix[] = L".bad";
// Until the folder pass has found the fixed drive with the most free space.
const wchar_t kFallbackRoot[] = L"C:\\";
const int kFileVersionMajor = 1;
const int kFileVersionMinor = 7;

bool SameKind(int stored, int asked) {
    return stored == asked || (asked == kInt && stored == kByte);
}

// Every value a setter takes comes back from the file: the store writes
// integers with "%d", so one past the signed range is written as its
// unsigned digits, which the store's reading gives back.
void WriteNumber(OptionValue& value, uint32_t number) {
    if (number <= static_cast<uint32_t>(INT32_MAX))
        value.SetInt(static_cast<int32_t>(number));
    else
        value.SetText(UIntToString(number));
}

}  // namespace

VQAutoRunEntry DefaultAutoRunEntry() {
    return VQAutoRunEntry{HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Norvane.exe"};
}

VQSettings& VQSettings::Instance() {
    static VQSettings settings;
    return settings;
}

VQSettings::VQSettings() : VQSettings(GetConfigPath()) {}

VQSettings::VQSettings(const std::wstring& filePath)
    : m_numbers(kSettingCount, 0),
      m_texts(kSettingCount),
      m_dirty(false),
      m_changes(0),
      m_loaded(false),
      m_filePath(filePath),
      m_worker(nullptr),
      m_request{this, 0, VQDriveSource()},
      m_drives(SystemDriveSource()),
      m_onFixedDrive(IsOnFixedDrive),
      m_autoRun(DefaultAutoRunEntry()) {
    for (int i = 0; i < kSettingCount; ++i)
        m_numbers[i] = kSettings[i].defaultValue;
}

VQSettings::~VQSettings() {
    WaitFolderPass();
}

int VQSettings::IndexOf(const std::wstring& key, int kind) {
    for (int i = 0; i < kSettingCount; ++i) {
        if (key == kSettings[i].key)
            return SameKind(kSettings[i].kind, kind) ? i : -1;
    }
    return -1;
}

std::wstring VQSettings::GetString(const std::wstring& key) const {
    int index = IndexOf(key, kText);
    std::lock_guard<std::mutex> lock(m_lock);
    return index < 0 ? std::wstring() : m_texts[index];
}

uint32_t VQSettings::GetInt(const std::wstring& key) const {
    int index = IndexOf(key, kInt);
    std::lock_guard<std::mutex> lock(m_lock);
    return index < 0 ? 0 : m_numbers[index];
}

bool VQSettings::GetBool(const std::wstring& key) const {
    int index = IndexOf(key, kFlag);
    std::lock_guard<std::mutex> lock(m_lock);
    return index >= 0 && m_numbers[index] != 0;
}

bool VQSettings::SetString(const std::wstring& key, const std::wstring& value) {
    int index = IndexOf(key, kText);
    if (index < 0)
        return false;
    std::lock_guard<std::mutex> lock(m_lock);
    m_texts[index] = value;
    m_dirty = true;
    ++m_changes;
    return true;
}

bool VQSettings::SetInt(const std::wstring& key, uint32_t value) {
    return SetNumber(key, kInt, value);
}

bool VQSettings::SetBool(const std::wstring& key, bool value) {
    return SetNumber(key, kFlag, value ? 1 : 0);
}

bool VQSettings::SetNumber(const std::wstring& key, int kind, uint32_t value) {
    int index = IndexOf(key, kind);
    if (index < 0)
        return false;
    std::lock_guard<std::mutex> lock(m_lock);
    m_numbers[index] = kSettings[index].kind == kByte ? (value & 0xFF) : value;
    m_dirty = true;
    ++m_changes;
    return true;
}

bool VQSettings::Load() {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_loaded)
            return true;
    }
    OptionStore* store = nullptr;
    OptionStore::Create(store);
    bool read = false;
    if (store != nullptr && FileExists(m_filePath)) {
        store->LoadFile(m_filePath);
        read = store->FoundOptions();
        if (!read)
            MoveFileReplace(m_filePath, m_filePath + kSetAsideSuffix);
    }
    if (!read) {
        SetString(kCacheDirKey, CombinePath(kFallbackRoot, kDefaultDownloadFolder));
        SetString(kInstallDirKey, CombinePath(kFallbackRoot, kDefaultInstallFolder));
        StartFolderPass(3);
        OptionStore::Close(store);
        return false;
    }

    std::wstring cacheDir, installDir;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_loaded = true;
        m_fileVersion = store->GetVersion();
        for (int i = 0; i < kSettingCount; ++i) {
            const SettingDef& def = kSettings[i];
            if (def.section == nullptr)
                continue;
            if (def.kind == kFlag)
                m_numbers[i] = store->GetInt(def.section, def.key, def.defaultValue) != 0 ? 1 : 0;
            else if (def.kind == kText)
                m_texts[i] = store->GetText(def.section, def.key, std::wstring());
            else if (def.kind == kByte)
                m_numbers[i] = store->GetInt(def.section, def.key, def.defaultValue) & 0xFF;
            else
                m_numbers[i] = store->GetInt(def.section, def.key, def.defaultValue);
        }
        cacheDir = m_texts[IndexOf(kCacheDirKey, kText)];
        installDir = m_texts[IndexOf(kInstallDirKey, kText)];
    }
    OptionStore::Close(store);

    // Folders replaced here are marked for saving only by the folder pass.
    uint32_t mask = (LiesOnFixedDrive(cacheDir) ? 0 : 1) | (LiesOnFixedDrive(installDir) ? 0 : 2);
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (mask & 1)
            m_texts[IndexOf(kCacheDirKey, kText)] = CombinePath(kFallbackRoot, kDefaultDownloadFolder);
        if (mask & 2)
            m_texts[IndexOf(kInstallDirKey, kText)] = CombinePath(kFallbackRoot, kDefaultInstallFolder);
    }
    if (mask != 0)
        StartFolderPass(mask);
    return true;
}

bool VQSettings::Save() {
    OptionStore store;
    store.SetVersion(FormatString(L"%d.%d", kFileVersionMajor, kFileVersionMinor));
    uint64_t written;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        written = m_changes;
        for (int i = 0; i < kSettingCount; ++i) {
            const SettingDef& def = kSettings[i];
            if (def.section == nullptr)
                continue;
            OptionValue& value = store.ValueAt(def.section, def.key);
            if (def.kind == kText)
                value.SetText(m_texts[i]);
            else
                WriteNumber(value, m_numbers[i]);
        }
    }
    std::wstring folder = m_filePath.substr(0, m_filePath.rfind(L'\\') + 1);
    if (!folder.empty() && !FolderExists(folder) && !CreateFolderChain(folder))
        return false;
    if (!store.Save(m_filePath))
        return false;
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_changes == written)
        m_dirty = false;
    return true;
}

bool VQSettings::IsDirty() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_dirty;
}

bool VQSettings::IsLoaded() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_loaded;
}

std::wstring VQSettings::GetFileVersion() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_fileVersion;
}

void VQSettings::SetAutoRunEntry(const VQAutoRunEntry& entry) {
    m_autoRun = entry;
}

std::wstring GetSettingString(const std::wstring& key) {
    return VQSettings::Instance().GetString(key);
}

}  // namespace Tessar
