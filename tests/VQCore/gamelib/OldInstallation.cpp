#include "tests/VQCore/gamelib/OldInstallation.h"

#include "VQCore/gamelib/AppFolder.h"
#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/OldInstallImport.h"
#include "common/CodePage.h"
#include "common/FileFinder.h"
#include "common/PathText.h"

namespace Tessar {

namespace {

void AddFiles(const VQTempFolder& root, const std::wstring& relative, std::map<std::wstring, std::string>& files) {
    FindFileIterator finder;
    FindFileEntry entry;
    const std::wstring folder = relative.empty() ? root.Path() : root.PathOf(relative);
    for (bool found = finder.First(CombinePath(folder, L"*"), entry); found; found = finder.Next(entry)) {
        if (entry.IsDots())
            continue;
        const std::wstring name = relative.empty() ? entry.name : relative + L"\\" + entry.name;
        if (entry.IsFolder())
            AddFiles(root, name, files);
        else
            files[name] = root.ReadFile(name);
    }
}

}  // namespace

const wchar_t VQOldInstallation::kCacheIniName[] = L"Zelmor\\cache.ini";

VQOldInstallation::VQOldInstallation(const wchar_t* settingsPath) {
    SetAppFolderOverride(m_app.Path());
    m_settings.reset(new VQSettings(settingsPath == nullptr ? GetConfigPath() : m_app.PathOf(settingsPath)));
    m_settings->SetAutoRunEntry(VQAutoRunEntry{m_scratch.Root(), m_scratch.PathOf(L"Run"), L"Norvane.exe"});
}

VQOldInstallation::~VQOldInstallation() {
    m_settings.reset();
    SetAppFolderOverride(L"");
}

bool VQOldInstallation::IsValid() const {
    return !m_app.Path().empty() && !m_shared.Path().empty() && m_scratch.IsValid();
}

bool VQOldInstallation::Import() {
    bool current = false;
    ImportOldInstallation(*m_settings, CacheIniPath(), current);
    return current;
}

bool VQOldInstallation::Write(const std::wstring& name, const std::wstring& text) const {
    return m_app.WriteFile(name, WideToNarrow(text));
}

bool VQOldInstallation::WriteBytes(const std::wstring& name, const std::string& bytes) const {
    return m_app.WriteFile(name, bytes);
}

bool VQOldInstallation::Has(const std::wstring& name) const {
    return FileExists(m_app.PathOf(name));
}

std::map<std::wstring, std::string> VQOldInstallation::Snapshot() const {
    std::map<std::wstring, std::string> files;
    AddFiles(m_app, std::wstring(), files);
    return files;
}

std::wstring OptionFileText(const wchar_t* version, const std::wstring& options) {
    std::wstring text;
    if (version != nullptr)
        text += L"<VERSION>" + std::wstring(version) + L"</VERSION>\n";
    return text + L"<OPTIONS>" + options + L"</OPTIONS>\n";
}

}  // namespace Tessar
