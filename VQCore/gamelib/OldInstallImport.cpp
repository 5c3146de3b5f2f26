#include "VQCore/gamelib/OldInstallImport.h"

#include "VQCore/gamelib/AppFolder.h"
#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/DownloadXmlFile.h"
#include "VQCore/gamelib/OldGameLists.h"
#include "VQCore/gamelib/OldResumeRecord.h"
#include "VQCore/gamelib/OldSettingsImport.h"
#include "VQCore/gamelib/OptionStore.h"
#include "VQCore/gamelib/Settings.h"
#include "common/FileFinder.h"
#include "common/FileUtil.h"
#include "common/FormatText.h"
#include "common/IniFile.h"
#include "common/PathText.h"
#include "common/ResumeRecord.h"
#include "common/TextUtil.h"

#include <functional>
#include <vector>

namespace Tessar {

namespace {

// Files of older releases, below the program folder.
const wchar_t kOldSettingsFile[] = L"config.vqc";
const wchar_t kOldLocalList[] = L"data\\local.vqx";
const wchar_t kOldSoundFile[] = L"complete.wav";
const wchar_t kOldCacheRecord[] = L"config\\record.ini";
// The name an older config.xml is read under while the current one is made.
const wchar_t kOlderConfigName[] = L"config.tmp";

// Settings files of these versions are current or need nothing.
const int kCurrentVersionMajor = 1;
const int kCurrentVersionMinor = 7;
const wchar_t kKeptVersion[] = L"1.6";

const wchar_t kFolderIconFile[] = L"desktop.ini";
const wchar_t kFolderIconSection[] = L".ShellClassInfo";
const wchar_t kFolderIconKey[] = L"IconFile";
const wchar_t kOwnProgramName[] = L"Norvane.exe";

typedef std::function<void(const std::wstring&, VQOldGameLists&)> OldListReader;

// True when the settings store holds nothing unsaved afterwards.
bool SaveImportedSettings(VQSettings& settings) {
    if (!settings.IsDirty())
        return true;
    if (!settings.Save())
        return false;
    settings.ApplyAutoRun();
    return true;
}

// Step 1. True when config.vqc may go: its values were saved, or a current
// settings file takes its place.
bool ImportOldSettingsFile(const std::wstring& appFolder, VQSettings& settings) {
    const std::wstring path = appFolder + kOldSettingsFile;
    if (!FileExists(path) || FileExists(GetConfigPath()))
        return true;
    OptionStore* store = nullptr;
    if (!OptionStore::Create(store))
        return false;
    store->LoadFile(path);
    ApplyOldSettingsFile(*store, settings);
    OptionStore::Close(store);
    return SaveImportedSettings(settings);
}

// Steps 2 and 4. True when the old list file may go: its lists were
// written, or current list files take its place.
bool ImportOldList(const std::wstring& path, const OldListReader& read) {
    if (!FileExists(path))
        return true;
    const std::wstring installList = GetInstallListPath();
    const std::wstring downloadList = GetDownloadListPath();
    if (FileExists(installList) || FileExists(downloadList))
        return true;
    VQOldGameLists lists;
    read(path, lists);
    return WriteCurrentGameLists(lists, installList, downloadList);
}

void DeleteIfExists(const std::wstring& path) {
    if (FileExists(path))
        ForceDeleteFile(path);
}

// Step 5: the old cache bookkeeping file becomes the download cache's.
void MoveOldCacheRecord(const std::wstring& appFolder, const std::wstring& cacheIniPath) {
    const std::wstring record = appFolder + kOldCacheRecord;
    if (cacheIniPath.empty() || !FileExists(record))
        return;
    const std::wstring folder = GetLastPathPart(cacheIniPath);
    if (!FolderExists(folder))
        CreateFolderChain(folder);
    MoveFileReplace(record, cacheIniPath);
}

// Step 6: resume records named by the download list.
void UpgradeListedResumeRecords() {
    VQDownloadXmlFile downloads;
    if (!downloads.LoadFile(GetDownloadListPath()))
        return;
    for (const VQDownloadXmlFile::Record& record : downloads.GetRecords()) {
        if (GetFileExtension(record->LogPath) == kResumeRecordSuffix)
            UpgradeResumeRecordB(record->LogPath);
    }
}

// Step 7. True when the import goes on with the older settings file.
bool NeedsOlderConfigImport(bool& currentSettings) {
    const std::wstring config = GetConfigPath();
    if (!FileExists(config))
        return true;
    OptionStore* store = nullptr;
    if (!OptionStore::Create(store))
        return false;
    store->LoadFile(config);
    const std::wstring version = store->GetVersion();
    OptionStore::Close(store);
    // Compared over the shorter length: a file without a version counts as
    // current.
    if (PrefixCompareNoCase(version, FormatString(L"%d.%d", kCurrentVersionMajor, kCurrentVersionMinor)) == 0) {
        currentSettings = true;
        return false;
    }
    return PrefixCompareNoCase(version, kKeptVersion) != 0;
}

// Step 8: an older config.xml is read under another name while the current
// one is written; it is deleted only once that is saved, and put back when
// the save failed, so that the settings store reads it as it is.
void ImportOlderConfigFile(VQSettings& settings) {
    const std::wstring config = GetConfigPath();
    if (!FileExists(config))
        return;
    std::wstring folder, separator, name;
    SplitFolderAndName(config, folder, separator, name);
    const std::wstring older = CombinePath(folder, kOlderConfigName);
    if (!RenameFile(config, older))
        return;
    OptionStore* store = nullptr;
    if (!OptionStore::Create(store)) {
        RenameFile(older, config);
        return;
    }
    store->LoadFile(older);
    ApplyOlderConfigFile(*store, settings);
    OptionStore::Close(store);
    if (SaveImportedSettings(settings))
        DeleteFileClearReadOnly(older);
    else
        RenameFile(older, config);
}

// Step 9: old resume records in the download folder itself.
void UpgradeCachedResumeRecords(const std::wstring& cacheDir) {
    if (!FolderExists(cacheDir))
        return;
    // Names first: the upgrade makes and renames files in the same folder.
    std::vector<std::wstring> names;
    FindFileIterator finder;
    FindFileEntry entry;
    for (bool found = finder.First(CombinePath(cacheDir, L"*.*"), entry); found; found = finder.Next(entry)) {
        if (!entry.IsFolder() && GetFileExtension(entry.name) == kResumeRecordSuffix)
            names.push_back(entry.name);
    }
    finder.Close();
    for (const std::wstring& name : names)
        UpgradeResumeRecordA(CombinePath(cacheDir, name));
}

// Step 10: folder icons that older releases gave their folders.
void RemoveOwnFolderIcon(const std::wstring& folder) {
    if (folder.empty())
        return;
    const std::wstring ini = CombinePath(folder, kFolderIconFile);
    if (!FileExists(ini))
        return;
    const std::wstring icon = IniFile(ini).ReadString(kFolderIconSection, kFolderIconKey);
    if (!icon.empty() && icon.find(kOwnProgramName) != std::wstring::npos)
        ForceDeleteFile(ini);
}

void RemoveOldFolderIcons(const std::wstring& folder) {
    if (folder.empty())
        return;
    RemoveOwnFolderIcon(folder);
    std::wstring parent = folder;
    TrimRightChars(parent, kPathSeparators);
    RemoveOwnFolderIcon(GetLastPathPart(parent));
}

}  // namespace

void ImportOldInstallation(VQSettings& settings, const std::wstring& cacheIniPath, bool& currentSettings) {
    const std::wstring appFolder = GetAppFolder();
    // Relative paths would reach into whatever the current folder is.
    if (appFolder.empty())
        return;

    const bool settingsTaken = ImportOldSettingsFile(appFolder, settings);
    const std::wstring localList = appFolder + kOldLocalList;
    const bool localTaken = ImportOldList(localList, ReadOldLocalList);
    if (settingsTaken)
        DeleteIfExists(appFolder + kOldSettingsFile);
    if (localTaken)
        DeleteIfExists(localList);
    DeleteIfExists(appFolder + kOldSoundFile);

    const std::wstring userList = GetUserListPath();
    if (ImportOldList(userList, ReadOldUserList))
        DeleteIfExists(userList);

    MoveOldCacheRecord(appFolder, cacheIniPath);
    UpgradeListedResumeRecords();

    if (!NeedsOlderConfigImport(currentSettings))
        return;
    ImportOlderConfigFile(settings);
    UpgradeCachedResumeRecords(settings.GetString(L"CacheDir"));
    RemoveOldFolderIcons(settings.GetString(L"CacheDir"));
    RemoveOldFolderIcons(settings.GetString(L"InstallDir"));
}

void ImportOldInstallation(bool& currentSettings) {
    ImportOldInstallation(VQSettings::Instance(), GetCacheIniPath(), currentSettings);
}

bool ImportOnFirstStart(const VQFirstRunEntry& entry, VQSettings& settings, const std::wstring& cacheIniPath) {
    if (!TakeFirstRunFlag(entry))
        return false;
    bool currentSettings = false;
    ImportOldInstallation(settings, cacheIniPath, currentSettings);
    return !currentSettings;
}

bool ImportOnFirstStart() {
    return ImportOnFirstStart(DefaultFirstRunEntry(), VQSettings::Instance(), GetCacheIniPath());
}

}  // namespace Tessar
