// Applying the release to the program folder: save, journal, copy; undo on
// failure.
#include "VQUpdate/Upgrader.h"

#include "VQUpdate/MarkerFile.h"
#include "VQUpdate/UpgradeJournal.h"
#include "VQUpdate/UpgradeSeam.h"
#include "common/FileFinder.h"
#include "common/FileUtil.h"
#include "common/PathText.h"
#include "common/TextUtil.h"

#include <algorithm>

namespace Tessar {

namespace {

std::wstring Lower(std::wstring text) {
    MakeLower(text);
    return text;
}

// The release tree in walk order: folders before what they hold.
bool PlanTree(const std::wstring& source, const std::wstring& relative, const std::wstring& target,
              const std::vector<std::wstring>& excluded, std::vector<VQJournalEntry>& entries) {
    FindFileIterator finder;
    FindFileEntry entry;
    std::wstring folder = relative.empty() ? source : CombinePath(source, relative);
    for (bool found = finder.First(CombinePath(folder, L"*.*"), entry); found; found = finder.Next(entry)) {
        if (entry.IsDots() || entry.IsReparsePoint())
            continue;
        if (relative.empty() &&
            std::find(excluded.begin(), excluded.end(), Lower(entry.name)) != excluded.end())
            continue;
        VQJournalEntry planned;
        planned.relativePath = relative.empty() ? entry.name : relative + L"\\" + entry.name;
        std::wstring existing = CombinePath(target, planned.relativePath);
        if (entry.IsFolder()) {
            if (FileExists(existing))
                return false;  // a file where the release has a folder
            bool added = !FolderExists(existing);
            if (added) {
                planned.action = kJournalAddedFolder;
                entries.push_back(planned);
            }
            if (!PlanTree(source, planned.relativePath, target, excluded, entries))
                return false;
            continue;
        }
        if (FolderExists(existing))
            return false;  // a folder where the release has a file
        planned.action = FileExists(existing) ? kJournalReplaced : kJournalAddedFile;
        entries.push_back(planned);
    }
    return true;
}

}  // namespace

bool VQUpgrader::ApplyDownload() {
    std::wstring release = WorkPath(kReleaseFolderName);
    if (m_workFolder.empty() || m_programFolder.empty() || !FolderExists(release)) {
        CleanUp();
        return false;
    }
    std::wstring target = NormalizeText(m_programFolder, kNormalizeNoTrailingSeparator);
    // Never lay a release over a folder an earlier upgrade left half done
    // (or whose finished journal is still held).
    VQRecoveryResult recovered = RecoverInterruptedUpgrade(target);
    if (recovered == kRecoveryFailed || recovered == kFinishedKept)
        return false;

    // The release program and the other work files are no part of the
    // program folder.
    m_excluded.clear();
    std::wstring releaseFolder = Lower(NormalizeText(release, kNormalizeTrailingBackslash));
    for (const wchar_t* marker : {kDownloadMarkerName, kStartupMarkerName}) {
        std::vector<std::wstring> fields;
        SplitList(ReadMarkerFile(WorkPath(marker)), fields);
        for (const std::wstring& field : fields) {
            std::wstring folder = Lower(GetFullPathFolder(field));
            if (!folder.empty() && folder == releaseFolder)
                m_excluded.push_back(Lower(GetFileName(field)));
        }
    }

    std::wstring backup = BackupFolder(target);
    // The journal goes (or says "finished") before the backup does: from
    // then on the upgrade counts as done. A journal that can be neither
    // still says "unfinished", and the upgrade is undone now rather than by
    // some later start.
    bool applied = CopyTreeWithBackup(release, target, backup) && FinishJournal(target);
    if (!applied && FileExists(JournalPath(target))) {
        // When an original cannot come back, journal and backup stay for
        // the next start.
        RestoreTree(backup, target);
    } else if (!applied) {
        DeleteFolderTree(backup);
    }
    CleanUp();
    DeleteFolderTree(release);
    return applied;
}

bool VQUpgrader::CopyTreeWithBackup(const std::wstring& source, const std::wstring& target,
                                    const std::wstring& backup) {
    std::wstring backupFolder = backup.empty() ? BackupFolder(target) : backup;
    std::vector<VQJournalEntry> entries;
    if (!PlanTree(source, std::wstring(), target, m_excluded, entries))
        return false;
    // Every original is saved before the journal says anything was replaced.
    if (!FolderExists(backupFolder) && !CreateFolderChain(backupFolder))
        return false;
    for (const VQJournalEntry& entry : entries) {
        if (entry.action != kJournalReplaced)
            continue;
        std::wstring saved = CombinePath(backupFolder, entry.relativePath);
        std::wstring savedFolder = GetFullPathFolder(saved);
        if (savedFolder.empty() || (!FolderExists(savedFolder) && !CreateFolderChain(savedFolder)))
            return false;
        std::wstring original = CombinePath(target, entry.relativePath);
        // On the disk before the journal names it.
        if (!CopyFileW(original.c_str(), saved.c_str(), FALSE) || !FlushFileToDisk(saved))
            return false;
    }
    if (!WriteJournal(target, entries))
        return false;
    UpgradeSeamPoint(L"journal");
    int copied = 0;
    for (const VQJournalEntry& entry : entries) {
        std::wstring to = CombinePath(target, entry.relativePath);
        if (entry.action == kJournalAddedFolder) {
            if (!FolderExists(to) && !CreateFolder(to))
                return false;
            continue;
        }
        UpgradeSeamPoint(L"copy:" + std::to_wstring(++copied));
        std::wstring from = CombinePath(source, entry.relativePath);
        // On the disk before the journal goes.
        if (!CopyFileW(from.c_str(), to.c_str(), FALSE) || !FlushFileToDisk(to))
            return false;
    }
    return true;
}

bool VQUpgrader::RestoreTree(const std::wstring& backup, const std::wstring& target) {
    (void)backup;  // always the target's "rbtemp", which the journal describes
    return RecoverInterruptedUpgrade(target) != kRecoveryFailed;
}

}  // namespace Tessar
