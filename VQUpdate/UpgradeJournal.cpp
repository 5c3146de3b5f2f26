#include "VQUpdate/UpgradeJournal.h"

#include "VQUpdate/MarkerFile.h"
#include "VQUpdate/UpgradeSeam.h"
#include "common/FileFinder.h"
#include "common/FileUtil.h"
#include "common/Md5.h"
#include "common/PathText.h"
#include "common/TextUtil.h"

#include <windows.h>

namespace Tessar {

const wchar_t kJournalName[] = L"rbtemp.vqj";
const wchar_t kJournalWord[] = L"JOURNAL";
const wchar_t kJournalFinishedWord[] = L"FINISHED";

const wchar_t kUpgradeEventName[] = L"VQVersionUpdate_Upgrade";

namespace {

// One letter per action, then "|" and the path.
const wchar_t kActionLetters[] = L"RAD";

std::wstring Folder(const std::wstring& programFolder) {
    return NormalizeText(programFolder, kNormalizeNoTrailingSeparator);
}

// A journal that cannot be read still has its originals in the backup:
// every one of them goes back; what the release added cannot be told.
bool RestoreWholeBackup(const std::wstring& backup, const std::wstring& target) {
    bool restored = true;
    FindFileIterator finder;
    FindFileEntry entry;
    for (bool found = finder.First(CombinePath(backup, L"*.*"), entry); found; found = finder.Next(entry)) {
        if (entry.IsDots() || entry.IsReparsePoint())
            continue;
        std::wstring from = CombinePath(backup, entry.name);
        std::wstring to = CombinePath(target, entry.name);
        if (entry.IsFolder()) {
            if (!FolderExists(to) && !CreateFolderChain(to))
                restored = false;
            restored = RestoreWholeBackup(from, to) && restored;
        } else if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) {
            restored = false;
        }
    }
    return restored;
}

bool SameContents(const std::wstring& a, const std::wstring& b) {
    std::wstring first = Md5OfFile(a);
    return !first.empty() && first == Md5OfFile(b);
}

}  // namespace

std::wstring JournalPath(const std::wstring& programFolder) {
    return CombinePath(Folder(programFolder), kJournalName);
}

std::wstring BackupFolder(const std::wstring& programFolder) {
    return CombinePath(Folder(programFolder), L"rbtemp");
}

bool IsSafeJournalPath(const std::wstring& path) {
    if (path.empty() || path.size() > MAX_PATH || IsAbsolutePath(path) || path[0] == L'\\' || path[0] == L'/' ||
        path.find(L':') != std::wstring::npos)
        return false;
    std::vector<std::wstring> parts;
    SplitAtAnyOf(path, L"\\/", parts);
    for (const std::wstring& part : parts) {
        if (part.empty() || part == L"." || part == L"..")
            return false;
    }
    return true;
}

bool WriteJournal(const std::wstring& programFolder, const std::vector<VQJournalEntry>& entries) {
    std::vector<std::wstring> fields(1, kJournalWord);
    for (const VQJournalEntry& entry : entries) {
        if (entry.action < kJournalReplaced || entry.action > kJournalAddedFolder ||
            !IsSafeJournalPath(entry.relativePath))
            return false;
        fields.push_back(std::wstring(1, kActionLetters[entry.action]) + L"|" + entry.relativePath);
    }
    return WriteMarkerFile(JournalPath(programFolder), JoinList(fields));
}

bool ReadJournal(const std::wstring& programFolder, std::vector<VQJournalEntry>& entries) {
    entries.clear();
    std::wstring text = ReadMarkerFile(JournalPath(programFolder));
    if (text.empty() || text.back() != L';')
        return false;
    text.pop_back();
    std::vector<std::wstring> fields;
    SplitList(text, fields);
    if (fields.empty() || fields.front() != kJournalWord)
        return false;
    for (size_t i = 1; i < fields.size(); ++i) {
        const std::wstring& field = fields[i];
        const wchar_t* letter = field.size() > 2 && field[1] == L'|' ? wcschr(kActionLetters, field[0]) : nullptr;
        VQJournalEntry entry;
        if (letter == nullptr || *letter == 0)
            return false;
        entry.action = static_cast<VQJournalAction>(letter - kActionLetters);
        entry.relativePath = field.substr(2);
        if (!IsSafeJournalPath(entry.relativePath))
            return false;
        entries.push_back(entry);
    }
    return true;
}

bool IsFinishedJournal(const std::wstring& programFolder) {
    std::wstring text = ReadMarkerFile(JournalPath(programFolder));
    std::wstring word = std::wstring(kJournalFinishedWord) + L";";
    return text.compare(0, word.size(), word) == 0;
}

bool FinishJournal(const std::wstring& programFolder) {
    std::wstring journal = JournalPath(programFolder);
    if (ForceDeleteFile(journal) || !FileExists(journal)) {
        DeleteFolderTree(BackupFolder(programFolder));
        return true;
    }
    // What counts is what the journal says afterwards (a write in place may
    // report a failure after its bytes went out).
    std::wstring finished = JoinList({kJournalFinishedWord});
    if (!WriteMarkerFile(journal, finished))
        OverwriteMarkerFile(journal, finished);
    return IsFinishedJournal(programFolder);
}

bool RollBackJournal(const std::wstring& programFolder, const std::vector<VQJournalEntry>& entries) {
    std::wstring target = Folder(programFolder);
    std::wstring backup = BackupFolder(programFolder);
    bool restored = true;
    bool first = true;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        std::wstring path = CombinePath(target, it->relativePath);
        switch (it->action) {
        case kJournalReplaced: {
            std::wstring saved = CombinePath(backup, it->relativePath);
            // A file the copy never reached is the original already (and
            // may be one held open by another program).
            if (SameContents(saved, path))
                break;
            // Every original that can come back does, also after one that cannot.
            if (!CopyFileW(saved.c_str(), path.c_str(), FALSE))
                restored = false;
            break;
        }
        case kJournalAddedFile:
            if (FileExists(path) && !DeleteFileClearReadOnly(path))
                restored = false;
            break;
        case kJournalAddedFolder:
            // Only when empty: whatever else lies there is not the release's.
            if (FolderExists(path))
                RemoveDirectoryW(path.c_str());
            break;
        }
        if (first) {
            first = false;
            UpgradeSeamPoint(L"rollback");
        }
    }
    if (!restored)
        return false;
    // Only now may the backup go: the journal first, so that a stop between
    // the two leaves a backup without journal, which means "finished".
    if (!ForceDeleteFile(JournalPath(programFolder)) && FileExists(JournalPath(programFolder)))
        return false;
    DeleteFolderTree(backup);
    return true;
}

VQRecoveryResult RecoverInterruptedUpgrade(const std::wstring& programFolder) {
    if (programFolder.empty())
        return kNothingToRecover;
    std::wstring journal = JournalPath(programFolder);
    std::wstring backup = BackupFolder(programFolder);
    if (FileExists(journal)) {
        // The upgrade was complete: only its journal and backup are left.
        if (IsFinishedJournal(programFolder)) {
            if (!ForceDeleteFile(journal) && FileExists(journal))
                return kFinishedKept;
            DeleteFolderTree(backup);
            return kLeftoverRemoved;
        }
        std::vector<VQJournalEntry> entries;
        if (ReadJournal(programFolder, entries))
            return RollBackJournal(programFolder, entries) ? kRolledBack : kRecoveryFailed;
        // Not ours, or damaged: the saved originals still are the old files.
        if (!FolderExists(backup) || !RestoreWholeBackup(backup, Folder(programFolder)))
            return kRecoveryFailed;
        // The backup goes only after the journal: the next start restores again.
        if (!ForceDeleteFile(journal) && FileExists(journal))
            return kRecoveryFailed;
        DeleteFolderTree(backup);
        return kRolledBack;
    }
    if (!FolderExists(backup))
        return kNothingToRecover;
    DeleteFolderTree(backup);
    return kLeftoverRemoved;
}

bool IsUpgradeRunning() {
    HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, InstanceEventName(kUpgradeEventName).c_str());
    if (event == nullptr)
        return false;
    CloseHandle(event);
    return true;
}

}  // namespace Tessar
