#pragma once
// Closing this installation's running manager before its files are
// replaced: only processes of that name whose executable lies in this
// program's folder (or below it) are asked to close.

#include <windows.h>

#include <string>

namespace Tessar {

// The two questions the user sees. The updater program shows them in its
// message boxes; tests answer them.
class IUpgradePrompt {
public:
    // True when the user wants the new release installed now.
    virtual bool AskInstallNow(HWND owner) = 0;
    // The manager did not end within the wait: true to wait again (the
    // user may close it by hand meanwhile), false to give up.
    virtual bool AskWaitLonger(HWND owner) = 0;

protected:
    ~IUpgradePrompt() = default;
};

// Replaces the prompt for the rest of the process and returns the one
// before; null restores the built-in message boxes (texts 1006-1008 of the
// program's string table).
IUpgradePrompt* SetUpgradePrompt(IUpgradePrompt* prompt);

// How long a manager that was asked to close may take before the user is
// asked whether to wait longer: well above what its own orderly end may
// take (it gives its workers a bounded time, its downloads and installs
// stop), so that a slow but sound end never costs the upgrade.
const DWORD kCloseProgramWaitMs = 60000;

// Posts WM_CLOSE to the windows of every such process (after asking once)
// and waits for each to end, waitMs at a time for as long as the user
// wants to wait again. False when the user said no or gave up waiting
// (the prepared upgrade then stays for the manager's next start); true
// otherwise (also when none runs, or the process functions are missing).
bool CloseRunningProgram(HWND owner, const std::wstring& programName, DWORD waitMs = kCloseProgramWaitMs);

}  // namespace Tessar
