#pragma once
// Uninstalling an installed game on a worker thread: the game's own
// uninstaller (named by its uninstall key), else the uninstall record the
// package install left, else nothing but the folder. What is left of the
// game's files goes only when that really finished (an uninstaller that was
// cancelled or failed, exit code not 0, leaves them and the tile stays
// installed), and only as the folder the game's install created and
// recorded (OwnGameFolder.h), strictly below the install folder and holding
// nothing of another installed game: a folder it cannot prove its own stays,
// and the outcome names it. An uninstall key whose command names no program
// that can be started fails the uninstall; nothing is deleted.
// The outcome is posted to the window; the worker never touches a tile.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "VQCore/app/operations/GameFolderRules.h"
#include "VQCore/app/operations/UninstallCommand.h"
#include "common/KernelHandle.h"
#include "common/StringTriple.h"

namespace Tessar {

// The games' uninstall keys.
extern const wchar_t kUninstallKeyRoot[];  // SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall

struct VQUninstallJob {
    // first: the uninstall key name; second: the game's folder (where its
    // uninstall record is looked for); third: the run program.
    VQStringTriple names;
    // The folder the game's install created and recorded: the only one
    // that may be deleted. Empty for games installed before that was kept,
    // found by the scan or added by the user.
    std::wstring createdFolder;
    std::wstring knownDigest;  // of the package install's uninstall record
    uint32_t gameId = 0;
    HANDLE stopEvent = nullptr;  // the window's
    // Keeps stopEvent open while the job lives (the window may end first).
    VQSharedEvent stopEventHolder;
    HWND reportWindow = nullptr;
    UINT reportMessage = 0;
    VQGameFolderRules rules;
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
    // The uninstall key's command when it named no program that could be
    // started (the uninstall failed, nothing was deleted).
    std::wstring failedCommand;
    // A finished uninstall: the game's folder that stayed because it is not
    // proven the install's own (the user is told).
    std::wstring keptFolder;
};

// The decision of the table: the folder goes when the uninstaller exited 0,
// the record replay succeeded, or there was nothing to run.
bool UninstallFinished(VQUninstallRoute route, bool ran, DWORD exitCode);
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
