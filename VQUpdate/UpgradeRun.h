#pragma once
// The two ends of a prepared upgrade: the updater copy's "-upgrade" run,
// and the manager's start, which finishes a job that was left pending or
// cleans up after an earlier one.

#include <string>

namespace Tessar {

// "-upgrade": reads the markers (from the default work folder, else from
// the current folder, where the copy was started), runs a single release
// program and applies what it unpacked, then restarts the manager.
void ApplyUpgrade();

enum VQPendingUpgrade : int {
    kNoPendingUpgrade = 0,
    kPendingUpgradeStarted,     // the manager ends now
    kPendingUpgradeNotStarted,  // the manager starts normally
};

// The manager's start: stale work files are cleaned when no upgrade is
// pending; a pending one whose updater copy still has its recorded MD5 is
// started with "-upgrade", after restart.vqt was written with this
// executable, its folder and the given parameters.
VQPendingUpgrade StartPendingUpgrade(const std::wstring& parameters);

}  // namespace Tessar
