#pragma once
// Installation of a "VQZ" package: the package reader plus path macros,
// the vqmeta entry (vqfolder, vqexe, vqargs), the entries acted on once
// extracted ("##reg##.reg" imported into the registry, "##tasks##.txt" run
// after the extraction, ".lnk" shortcuts pointed into the install folder),
// the uninstall record written into the install folder, and the roll-back
// of a failed install.
//
// Every game gets a folder of its own below the target: vqfolder, or, when
// the package names none, the package file's title, so that no two games
// share an install folder and its uninstall record.
//
// Threads: one install runs on one thread; Cancel (of the reader) may come
// from any.

#include "VQCore/download/InstallMacros.h"
#include "VQCore/download/RegKey.h"
#include "VQCore/download/Unpacker.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace Tessar {

extern const wchar_t kRegistryEntryName[];  // "##reg##.reg"

class VQSfxInstall : public VQUnpacker {
public:
    explicit VQSfxInstall(const std::wstring& packagePath);
    ~VQSfxInstall() override;

    // The reader's Open, then the vqmeta entries; false when the package
    // or its metadata is damaged.
    bool Open() override;
    // Installs into the game's folder below the (absolute) target folder.
    // On success writes the uninstall record, then runs the task scripts;
    // on any failure, cancel and a record that cannot be written included,
    // removes what this install created, puts back the files it replaced
    // and the registry values it changed, and returns false.
    bool Extract(const std::wstring& targetFolder) override;
    // A top-level folder named "##macro##" goes to the macro's folder. An
    // existing file in the way of a file entry is set aside under a free
    // name next to it (deleted once the install succeeded, put back by a
    // roll-back); one that cannot be set aside fails the install.
    bool ResolveEntryPath(VQTocNode& node, std::wstring& folder, std::wstring& name, bool& skip) override;
    bool OnEntryExtracted(VQTocNode& node) override;
    // Logs every folder it creates, parents first.
    bool CreateFolder(const std::wstring& path) override;

    // The metadata value (empty when absent) with macros expanded.
    std::wstring GetMetaValue(const std::wstring& key) const;
    bool HasMetaValue(const std::wstring& key) const;
    std::wstring ExpandInstallMacros(const std::wstring& text) const;

    // Set by Extract.
    const std::wstring& GetInstallFolder() const { return m_installFolder; }
    const std::vector<std::wstring>& GetFileLog() const { return m_fileLog; }
    // The digest of the uninstall record the install wrote (see
    // UninstallRecord.h): the installed list keeps it, and the uninstall
    // trusts the record only with it. Empty before a successful Extract.
    const std::wstring& GetUninstallDigest() const { return m_uninstallDigest; }
    bool WriteUninstallData(const std::wstring& path, std::wstring* digest = nullptr) const;

    // The folder an install into target uses; empty when the package's
    // vqfolder is not a plain relative path (or its macros do not settle).
    std::wstring ChooseInstallFolder(const std::wstring& targetFolder) const;
    // Whether the install may write or start this path: the install folder
    // and the macro folders, never anything relative.
    bool IsInstallPlace(const std::wstring& path) const;

private:
    bool ReadMeta();
    bool LoadEntryData(VQTocNode& node);
    bool ImportRegistryFile(const std::wstring& path);
    void RunTaskScripts();
    bool SetAsideReplacedFile(const std::wstring& path);
    void DropSetAsideFiles();
    void RollBack();

    struct SetAsideFile {
        std::wstring original;
        std::wstring kept;  // where the original waits
    };

    VQInstallMacros m_macros;
    std::vector<std::wstring> m_taskScripts;
    std::wstring m_installFolder;
    std::deque<VQRegKey> m_registryUndo;  // of every registry file, in import order
    std::vector<std::wstring> m_fileLog;  // created folders and extracted files, in order
    std::vector<SetAsideFile> m_setAside;  // files the install replaced, in order
    std::wstring m_uninstallDigest;
    std::map<std::wstring, std::wstring> m_meta;
};

}  // namespace Tessar
