#pragma once
// The package operation the install queue runs: opens and installs one
// package on the operation's thread and keeps what the queue writes into
// the game's tile.
//
// Threads: as VQBaseOpertion. The results are written by the
// operation's thread before it ends and read by the owner afterwards.

#include "VQCore/download/BaseOperation.h"
#include "VQCore/download/SfxInstall.h"

#include <memory>
#include <string>

namespace Tessar {

class VQUnpackerOperation : public VQBaseOpertion {
public:
    // Owns the installer.
    VQUnpackerOperation(VQSfxInstall* unpacker, const std::wstring& targetFolder);
    // Cancels a running install and waits for it before freeing the
    // installer.
    ~VQUnpackerOperation() override;

    void Cancel() override;

    // After a successful install: the game's folder (where its uninstall
    // record lies), the program to run (vqexe) and its arguments (vqargs),
    // macros expanded; empty when the package does not name them.
    std::wstring GetInstallFolder() const { return m_folder; }
    std::wstring GetProgramPath() const { return m_program; }
    std::wstring GetArguments() const { return m_arguments; }
    // The uninstall record's digest, for the installed list to keep.
    std::wstring GetUninstallDigest() const { return m_digest; }

protected:
    bool Execute() override;

private:
    std::unique_ptr<VQSfxInstall> m_unpacker;
    const std::wstring m_target;
    std::wstring m_folder;
    std::wstring m_program;
    std::wstring m_arguments;
    std::wstring m_digest;
};

}  // namespace Tessar
