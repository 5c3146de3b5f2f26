#include "VQUpdate/Upgrader.h"

#include "VQUpdate/CloseRunningProgram.h"
#include "VQUpdate/MarkerFile.h"
#include "VQCore/gamelib/AppFolder.h"
#include "common/FileFinder.h"
#include "common/FileUtil.h"
#include "common/Md5.h"
#include "common/PathText.h"
#include "common/SystemUtil.h"
#include "common/TempFile.h"
#include "common/TextUtil.h"

#include <shellapi.h>

namespace Tessar {

const wchar_t kWorkFolderName[] = L"vqtemp";
const wchar_t kReleaseFolderName[] = L"download";
const wchar_t kBackupFolderName[] = L"rbtemp";
const wchar_t kUpgradeArgument[] = L"-upgrade";
const wchar_t kManagerProgramName[] = L"Norvane.exe";

namespace {

bool EnsureFolder(const std::wstring& folder) {
    return FolderExists(folder) || CreateFolderChain(folder);
}

}  // namespace

VQUpgrader::VQUpgrader() {
    std::wstring temp;
    if (!GetTempFolder(temp))
        return;
    EnsureFolder(temp);
    m_workFolder = NormalizeText(temp, kNormalizeTrailingBackslash) + kWorkFolderName + L"\\";
}

void VQUpgrader::SetWorkFolder(const std::wstring& folder) {
    m_workFolder = NormalizeText(folder, kNormalizeTrailingBackslash);
}

bool VQUpgrader::IsInWorkFolder(const std::wstring& path) const {
    std::wstring full;
    std::wstring work;
    size_t namePos = 0;
    if (m_workFolder.empty() || !GetFullPath(path, full, namePos) || !GetFullPath(m_workFolder, work, namePos))
        return false;
    work = NormalizeText(work, kNormalizeTrailingBackslash);
    return full.size() > work.size() && CompareNoCase(full, work, work.size()) == 0;
}

int VQUpgrader::HandOver(HWND owner, const std::vector<std::wstring>& releaseFiles) {
    m_owner = owner;
    if (!Prepare(releaseFiles))
        return kHandOverFailed;
    if (!CloseRunningProgram(owner, kManagerProgramName))
        return kHandOverCancelled;
    std::wstring copy = WorkPath(GetFileName(GetOwnModulePath()));
    if (!RunAndWait(*this, copy, kUpgradeArgument, m_workFolder, false)) {
        CleanUp();
        return kHandOverFailed;
    }
    return kHandOverStarted;
}

bool VQUpgrader::Prepare(const std::vector<std::wstring>& releaseFiles) {
    std::vector<std::wstring> copies;
    if (!CopySelfToWork(copies) || !CopyToDownload(releaseFiles, copies))
        return false;
    std::vector<std::wstring> startup(1, kMarkerDeleteWord);
    startup.insert(startup.end(), copies.begin(), copies.end());
    if (!WriteMarkerFile(WorkPath(kStartupMarkerName), JoinList(startup)))
        return false;
    const std::wstring& updaterCopy = copies.front();
    std::vector<std::wstring> upgrade = {kMarkerRunWord, updaterCopy, Md5OfFile(updaterCopy),
                                         NormalizeText(GetAppFolder(), kNormalizeNoTrailingSeparator)};
    return WriteMarkerFile(WorkPath(kUpgradeMarkerName), JoinList(upgrade));
}

bool VQUpgrader::CopySelfToWork(std::vector<std::wstring>& copies) {
    // The programs are linked statically: the executable needs no runtime
    // files beside it.
    std::wstring self = GetOwnModulePath();
    if (self.empty() || !FileExists(self) || m_workFolder.empty() || !EnsureFolder(m_workFolder))
        return false;
    std::wstring copy = WorkPath(GetFileName(self));
    if (!CopyFileW(self.c_str(), copy.c_str(), FALSE))
        return false;
    copies.push_back(copy);
    return true;
}

bool VQUpgrader::CopyToDownload(const std::vector<std::wstring>& releaseFiles, std::vector<std::wstring>& copies) {
    if (releaseFiles.empty() || m_workFolder.empty())
        return false;
    std::wstring folder = WorkPath(kReleaseFolderName);
    DeleteFolderTree(folder);
    if (!CreateFolderChain(folder))
        return false;
    std::vector<std::wstring> released;
    for (const std::wstring& file : releaseFiles) {
        std::wstring copy = CombinePath(folder, GetFileName(file));
        if (!CopyFileW(file.c_str(), copy.c_str(), FALSE))
            return false;
        released.push_back(copy);
        copies.push_back(copy);
    }
    // The update window's temporary folder, now copied.
    std::wstring downloaded = GetFullPathFolder(releaseFiles.front());
    if (!downloaded.empty() && !IsDriveRoot(downloaded))
        DeleteFolderTree(NormalizeText(downloaded, kNormalizeNoTrailingSeparator));
    return WriteMarkerFile(WorkPath(kDownloadMarkerName), JoinList(released));
}

bool VQUpgrader::CleanUp() {
    if (m_workFolder.empty())
        return false;
    ForceDeleteFile(WorkPath(kUpgradeMarkerName));
    ForceDeleteFile(WorkPath(kDownloadMarkerName));
    std::wstring startup = WorkPath(kStartupMarkerName);
    if (!FileExists(startup))
        return true;
    std::vector<std::wstring> fields;
    SplitList(ReadMarkerFile(startup), fields);
    bool ours = !fields.empty() && fields.front() == kMarkerDeleteWord;
    for (size_t i = 1; ours && i < fields.size(); ++i)
        ours = IsInWorkFolder(fields[i]);
    if (!ours) {
        ForceDeleteFile(startup);
        return false;
    }
    bool deleted = true;
    for (size_t i = 1; i < fields.size(); ++i) {
        if (FileExists(fields[i]) && !DeleteFileClearReadOnly(fields[i]))
            deleted = false;
    }
    if (deleted)
        ForceDeleteFile(startup);
    return deleted;
}

bool RunAndWait(VQUpgrader& upgrader, const std::wstring& file, const std::wstring& parameters,
                const std::wstring& folder, bool wait) {
    if (!FileExists(file))
        return false;
    std::wstring workingFolder =
        folder.empty() ? NormalizeText(GetFullPathFolder(file), kNormalizeNoTrailingSeparator) : folder;
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = upgrader.OwnerWindow();
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.lpDirectory = workingFolder.empty() ? nullptr : workingFolder.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info))
        return false;
    bool result = true;
    if (info.hProcess != nullptr) {
        if (wait) {
            WaitForSingleObject(info.hProcess, INFINITE);
            DWORD exitCode = 1;
            if (GetExitCodeProcess(info.hProcess, &exitCode) && exitCode == 0 && !upgrader.ApplyDownload())
                result = false;
        }
        CloseHandle(info.hProcess);
    }
    return result;
}

}  // namespace Tessar
