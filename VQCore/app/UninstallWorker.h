#pragma once
// Uninstalling an installed game on a worker thread: the game's own
// uninstaller (named by its uninstall key), else the uninstall record the
// package install left, else nothing but the folder. The game folder goes
// only when that really finished: an uninstaller that was cancelled or
// failed (exit code not 0) leaves the files, and the tile stays installed.
// The outcome is posted to the window; the worker never touches a tile.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "common/KernelHandle.h"
#include "common/StringTriple.h"

namespace Tessar {

// The games' uninstall keys.
extern const wchar_t kUninstallKeyRoot[];  // SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall

struct VQUninstallJob {
    // first: the uninstall key name; second: the install folder; third: the
    // run program.
    VQStringTriple names;
    std::wstring knownDigest;  // of the package install's uninstall record
    uint32_t gameId = 0;
    HANDLE stopEvent = nullptr;  // the window's
    // Keeps stopEvent open while the job lives (the window may end first).
    VQSharedEvent stopEventHolder;
    HWND reportWindow = nullptr;
    UINT reportMessage = 0;
    // Never deleted, nor any folder holding it (the manager's own folder).
    std::wstring protectedFolder;
    // Where the uninstall keys are; tests give a tree of their own.
    HKEY keyRoot = HKEY_LOCAL_MACHINE;
    std::wstring keyPath = kUninstallKeyRoot;
};

// How the game was taken off, and whether it finished.
enum VQUninstallRoute : uint32_t {
    kUninstallByProgram = 1,   // the game's uninstaller ran
    kUninstallByRecord = 2,    // the package's uninstall record was replayed
    kUninstallFolderOnly = 3,  // nothing to run: only the folder goes
};

// What the worker posts: PostMessage(window, message, 0, heap outcome);
// the receiver frees it.
struct VQUninstallOutcome {
    uint32_t gameId = 0;
    std::wstring runProgram;
    VQUninstallRoute route = kUninstallFolderOnly;
    bool finished = false;  // the game is gone: the tile may go too
    bool folderDeleted = false;
    DWORD exitCode = 0;
};

// The decision of the table: the folder goes when the uninstaller exited 0,
// the record replay succeeded, or there was nothing to run.
bool UninstallFinished(VQUninstallRoute route, bool ran, DWORD exitCode);
// A game folder the manager may delete: absolute, existing, no drive root,
// not the protected folder nor a folder above it, not a system or user
// folder nor one above them, and holding the run program when one is named.
bool IsDeletableGameFolder(const std::wstring& folder, const std::wstring& runProgram,
                           const std::wstring& protectedFolder);
// The uninstaller and its parameters from an UninstallString: the whole
// text when it names a file, else its first (quoted) word; false when no
// existing file is named.
bool SplitUninstallCommand(const std::wstring& command, std::wstring& program, std::wstring& parameters);

// Runs the job on this thread and frees it; posts the outcome unless the
// stop event ended it. Thread function of the uninstall worker.
void UninstallGame(void* job);
// One uninstall record to replay, shared by the worker and the replay thread.
struct VQRecordReplay {
    std::wstring path;
    std::wstring knownDigest;
    std::atomic<bool> succeeded{false};
};
// Thread function: replays the record of a heap std::shared_ptr<VQRecordReplay>,
// which it frees.
void UninstallFromDataThread(void* replay);

}  // namespace Tessar
