#pragma once
// The self-upgrade: a running program cannot replace its own files, so the
// updater copies itself and the downloaded release into the work folder
// (the temporary folder plus "vqtemp"), writes the markers that describe
// the job and starts that copy with "-upgrade", which replaces the program
// folder's files with a backup in "rbtemp" and rolls them back when one
// cannot be replaced.
//
// Every path a marker lists must lie below the work folder: a foreign or
// damaged marker never makes the module delete or run anything elsewhere.

#include <windows.h>

#include <string>
#include <vector>

namespace Tessar {

extern const wchar_t kWorkFolderName[];      // L"vqtemp"
extern const wchar_t kReleaseFolderName[];   // L"download"
extern const wchar_t kBackupFolderName[];    // L"rbtemp"
extern const wchar_t kUpgradeArgument[];     // L"-upgrade"
extern const wchar_t kManagerProgramName[];  // L"Norvane.exe"

// Results of VQUpgrader::HandOver.
enum VQHandOverResult : int {
    kHandOverFailed = 1,
    kHandOverCancelled = 2,  // the user kept the manager running
    kHandOverStarted = 3,    // the caller ends the process with 0
};

class VQUpgrader {
public:
    // The temporary folder (made when missing) plus "vqtemp\"; empty when
    // the temporary folder is unknown.
    VQUpgrader();

    const std::wstring& ProgramFolder() const { return m_programFolder; }
    void SetProgramFolder(const std::wstring& folder) { m_programFolder = folder; }
    const std::wstring& WorkFolder() const { return m_workFolder; }
    // A trailing backslash is added when missing.
    void SetWorkFolder(const std::wstring& folder);
    HWND OwnerWindow() const { return m_owner; }
    void SetOwnerWindow(HWND owner) { m_owner = owner; }
    // A file of the work folder.
    std::wstring WorkPath(const std::wstring& name) const { return m_workFolder + name; }
    // True when path names something strictly below the work folder.
    bool IsInWorkFolder(const std::wstring& path) const;

    // Prepare, close the manager, start the copy with "-upgrade".
    int HandOver(HWND owner, const std::vector<std::wstring>& releaseFiles);
    // The work copies and the download, startup and upgrade markers.
    bool Prepare(const std::vector<std::wstring>& releaseFiles);
    // This executable into the work folder; list gets the copy's path.
    bool CopySelfToWork(std::vector<std::wstring>& copies);
    // The release files into work\download (made anew); then the folder of
    // the first release file is deleted and download.vqt written.
    bool CopyToDownload(const std::vector<std::wstring>& releaseFiles, std::vector<std::wstring>& copies);

    // Replaces the program folder's files with those of work\download,
    // leaving out the release program itself and the other work files.
    // An unfinished earlier upgrade is rolled back first. On failure every
    // replaced file comes back from "rbtemp" and every added one goes;
    // false when nothing was applied (also after a roll-back). The markers
    // are consumed (CleanUp) only after that work is done.
    bool ApplyDownload();
    // Saves every file of target that source replaces into backup
    // ("rbtemp" of the program folder), writes the journal, then copies
    // the tree over target. False at the first file that cannot be saved
    // (nothing replaced, no journal) or copied (the journal stays for
    // RestoreTree).
    bool CopyTreeWithBackup(const std::wstring& source, const std::wstring& target, const std::wstring& backup);
    // Undoes what the journal of target lists from the backup; the journal
    // and the backup are deleted only when every original came back.
    bool RestoreTree(const std::wstring& backup, const std::wstring& target);
    // Deletes upgrade.vqt and download.vqt and the files startup.vqt
    // lists; false when one is still in use (startup.vqt then stays for
    // the next clean-up) or the record is not ours.
    bool CleanUp();

private:
    std::wstring m_programFolder;
    std::wstring m_workFolder;
    HWND m_owner = nullptr;
    std::vector<std::wstring> m_excluded;  // lower-case names at the release's top level
};

// Starts file (which must exist) through the shell with the upgrader's
// owner window; the folder defaults to the file's. With wait, waits for
// it and applies the download when it ended with 0.
bool RunAndWait(VQUpgrader& upgrader, const std::wstring& file, const std::wstring& parameters,
                const std::wstring& folder, bool wait);

}  // namespace Tessar
