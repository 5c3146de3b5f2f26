#pragma once
// The user's settings of Norvane, by key name with typed getters and
// setters, kept in config\config.xml of the program folder (an option-store
// file, version 1.7), the autostart entry that follows AutoRun, and the
// choice of default download and install folders.
//
// Threads: the UI thread loads, sets and saves; workers read through the
// getters; the default-folder pass sets CacheDir and InstallDir on its own
// thread. Every value, dirty and the change count are under m_lock; the
// worker and its request belong to the owner's thread.

#include "common/DriveUtil.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace Tessar {

class VQThread;

// Where the autostart value lives.
struct VQAutoRunEntry {
    HKEY root;
    std::wstring keyPath;
    std::wstring valueName;
};
// HKEY_CURRENT_USER, "Software\Microsoft\Windows\CurrentVersion\Run", "Norvane.exe".
VQAutoRunEntry DefaultAutoRunEntry();

// Default folders, below the root of a drive.
extern const wchar_t kDefaultDownloadFolder[];  // "ZelmorGames\Download"
extern const wchar_t kDefaultInstallFolder[];   // "ZelmorGames\Games"

class VQSettings {
public:
    // The one settings object of the process, on config\config.xml.
    static VQSettings& Instance();

    // With the defaults; the file is GetConfigPath() or, for tests, theirs.
    VQSettings();
    explicit VQSettings(const std::wstring& filePath);
    // Waits without a limit for a running default-folder pass.
    ~VQSettings();
    VQSettings(const VQSettings&) = delete;
    VQSettings& operator=(const VQSettings&) = delete;

    // A key of another kind (or unknown) gives "", 0 or false; keys are
    // compared exactly.
    std::wstring GetString(const std::wstring& key) const;
    uint32_t GetInt(const std::wstring& key) const;
    bool GetBool(const std::wstring& key) const;
    // False, changing nothing, for a key of another kind; otherwise stores
    // the value (CloseAction keeps its low 8 bits) and sets dirty. Nothing
    // reaches the file before Save.
    bool SetString(const std::wstring& key, const std::wstring& value);
    bool SetInt(const std::wstring& key, uint32_t value);
    bool SetBool(const std::wstring& key, bool value);

    // Reads the file once; true when it was read, false when the defaults
    // are used. Numbers are read as the store reads them (leading digits,
    // low 32 bits; CloseAction its low 8 bits), so a value a setter took
    // comes back as it was saved. A file that is not a well-formed settings file is moved
    // aside to the same path + ".bad" so that the next save cannot lose it.
    // CacheDir and InstallDir that do not lie on a fixed drive get default
    // folders on the fixed drive with the most free space (on a worker).
    bool Load();
    // Writes every key but CompletePowerOff, making the folder when
    // missing, through a temporary file. False when the file could not be
    // written (the old file stays, dirty stays set).
    bool Save();
    // Writes the autostart value ("<own path>" -background) when AutoRun is
    // set and it differs, deletes it when AutoRun is clear; true when the
    // last registry call succeeded (so false when there was none to delete).
    bool ApplyAutoRun();

    bool IsDirty() const;
    bool IsLoaded() const;
    // VERSION text of the last file read.
    std::wstring GetFileVersion() const;
    const std::wstring& GetFilePath() const { return m_filePath; }
    // Waits for a running default-folder pass to end.
    void WaitFolderPass();

    // Seams for tests: the drives the fixed-drive checks and the folder
    // pass read, and the registry place of the autostart value.
    void SetDriveSource(const VQDriveSource& drives);
    void SetAutoRunEntry(const VQAutoRunEntry& entry);

private:
    struct FolderPassRequest {
        VQSettings* settings;
        uint32_t mask;  // bit 0: CacheDir needs a default, bit 1: InstallDir
        VQDriveSource drives;
    };
    static void RunFolderPass(void* request);
    void StartFolderPass(uint32_t mask);
    bool LiesOnFixedDrive(const std::wstring& path) const;
    // Value slot of a key of that kind; -1 for any other key.
    static int IndexOf(const std::wstring& key, int kind);
    bool SetNumber(const std::wstring& key, int kind, uint32_t value);

    mutable std::mutex m_lock;
    std::vector<uint32_t> m_numbers;  // flags and integers, by table index
    std::vector<std::wstring> m_texts;
    bool m_dirty;
    uint64_t m_changes;  // counts sets, so a save clears only what it wrote
    bool m_loaded;
    std::wstring m_fileVersion;
    const std::wstring m_filePath;

    VQThread* m_worker;
    FolderPassRequest m_request;
    VQDriveSource m_drives;
    std::function<bool(const std::wstring&)> m_onFixedDrive;
    VQAutoRunEntry m_autoRun;
};

// The text setting of the one settings object (CacheDir, InstallDir, ...).
std::wstring GetSettingString(const std::wstring& key);

}  // namespace Tessar
