#pragma once
// A scratch program folder laid out like an older installation, with the
// program folder pointed at it, a settings object on its config.xml whose
// autostart value goes to a scratch registry key, and a scratch shared
// folder for cache.ini.

#include "VQCore/gamelib/Settings.h"
#include "tests/support/ScratchRegistryKey.h"
#include "tests/support/TempFolder.h"

#include <map>
#include <memory>
#include <string>

namespace Tessar {

class VQOldInstallation {
public:
    // A null settings path means the program folder's config\config.xml.
    explicit VQOldInstallation(const wchar_t* settingsPath = nullptr);
    ~VQOldInstallation();
    VQOldInstallation(const VQOldInstallation&) = delete;
    VQOldInstallation& operator=(const VQOldInstallation&) = delete;

    bool IsValid() const;
    // Runs the import; its current-settings flag.
    bool Import();

    // Files below the program folder; text goes in the ANSI code page, as
    // the old releases wrote it.
    bool Write(const std::wstring& name, const std::wstring& text) const;
    bool WriteBytes(const std::wstring& name, const std::string& bytes) const;
    std::string Read(const std::wstring& name) const { return m_app.ReadFile(name); }
    bool Has(const std::wstring& name) const;
    bool MakeFolder(const std::wstring& name) const { return m_app.MakeFolder(name); }
    std::wstring PathOf(const std::wstring& name) const { return m_app.PathOf(name); }
    // Every file below the program folder, by relative path, with its bytes.
    std::map<std::wstring, std::string> Snapshot() const;

    std::wstring CacheIniPath() const { return m_shared.PathOf(kCacheIniName); }
    std::string ReadCacheIni() const { return m_shared.ReadFile(kCacheIniName); }
    VQSettings& Settings() { return *m_settings; }

private:
    static const wchar_t kCacheIniName[];

    VQTempFolder m_app;
    VQTempFolder m_shared;
    VQScratchRegistryKey m_scratch;
    std::unique_ptr<VQSettings> m_settings;
};

// An option-store file as old releases wrote it; a null version leaves
// VERSION out.
std::wstring OptionFileText(const wchar_t* version, const std::wstring& options);

}  // namespace Tessar
