#pragma once
// The journal of an upgrade that replaces the program folder's files: what
// the release replaces (its original saved in "rbtemp" under the same
// relative path) and what it adds. It is written, whole, after every
// original is saved (and flushed) and before the first file is replaced,
// and deleted only once the upgrade or its roll-back has finished; "rbtemp"
// goes only after it is gone. A journal found at a start therefore means an
// upgrade died half-way: the program folder is rolled back whole from
// "rbtemp" before anything runs. The one exception is a journal that says
// "finished": an upgrade that was complete but could not delete its journal
// (another program held it open) marks it so, and such a journal is never
// rolled back; a later start deletes it, then the backup.

#include <string>
#include <vector>

namespace Tessar {

extern const wchar_t kJournalName[];     // L"rbtemp.vqj", in the program folder
extern const wchar_t kJournalWord[];     // L"JOURNAL": first field of the record
extern const wchar_t kJournalFinishedWord[];  // L"FINISHED": the only field of a finished one
// Held by the updater copy while it applies an upgrade.
extern const wchar_t kUpgradeEventName[];  // L"VQVersionUpdate_Upgrade"

enum VQJournalAction : int {
    kJournalReplaced = 0,  // an existing file, saved in the backup first
    kJournalAddedFile,     // a file the release adds
    kJournalAddedFolder,   // a folder the release adds
};

struct VQJournalEntry {
    VQJournalAction action = kJournalReplaced;
    std::wstring relativePath;  // below the program folder, no ".." part
};

// The program folder's journal path and backup folder ("rbtemp").
std::wstring JournalPath(const std::wstring& programFolder);
std::wstring BackupFolder(const std::wstring& programFolder);

// Written through a temporary file, so a half-written journal never exists.
bool WriteJournal(const std::wstring& programFolder, const std::vector<VQJournalEntry>& entries);
// False when there is no journal or it is not ours (wrong first word, an
// unknown action or a path that leaves the program folder).
bool ReadJournal(const std::wstring& programFolder, std::vector<VQJournalEntry>& entries);

// True when the journal says "finished" (its first field alone decides).
bool IsFinishedJournal(const std::wstring& programFolder);

// After the last file of an upgrade was copied: deletes the journal, then
// the backup. When the journal cannot be deleted it is marked finished
// (replaced, or written over in place when another program holds it) and
// the backup stays for a later start. False when the journal can be neither
// deleted nor marked: it still describes an unfinished upgrade, which the
// caller rolls back.
bool FinishJournal(const std::wstring& programFolder);

// A relative path that stays below its folder: not empty, not absolute, no
// drive, no "." or ".." part.
bool IsSafeJournalPath(const std::wstring& path);

enum VQRecoveryResult : int {
    kNothingToRecover = 0,
    kRolledBack,        // an unfinished upgrade was undone
    kLeftoverRemoved,   // a backup without journal (nothing replaced, or all done),
                        // or a finished journal and its backup
    kRecoveryFailed,    // a file could not be restored: journal and backup stay
    kFinishedKept,      // a finished journal that cannot be deleted yet: nothing
                        // is rolled back, journal and backup stay
};

// Undoes the journal's entries, last first: saved originals are copied
// back, added files and (empty) added folders removed. The journal and then
// the backup are deleted only when every original came back. test seam:
// the step "rollback" after the first restored file.
bool RollBackJournal(const std::wstring& programFolder, const std::vector<VQJournalEntry>& entries);

// At a start: rolls back an unfinished upgrade of the folder, or deletes a
// finished journal and then the backup, or a backup left without journal.
VQRecoveryResult RecoverInterruptedUpgrade(const std::wstring& programFolder);

// True while another process applies an upgrade (it holds the named event
// "VQVersionUpdate_Upgrade"); a start must not recover under its feet.
bool IsUpgradeRunning();

}  // namespace Tessar
