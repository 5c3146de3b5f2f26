#pragma once
// The two ends of a prepared upgrade: the updater copy's "-upgrade" run,
// and the manager's start, which finishes a job that was left pending or
// cleans up after an earlier one.

#include <string>

namespace Tessar {

// "-upgrade": reads the markers (from the default work folder, else from
// the current folder, where the copy was started), runs a single release
// program and applies what it unpacked, then restarts the manager. The
// markers are consumed only after that work: a run that dies half-way is
// found again by the next start. Gives the program folder of the job
// (empty when there was none).
std::wstring ApplyUpgrade();

enum VQPendingUpgrade : int {
    kNoPendingUpgrade = 0,
    kPendingUpgradeStarted,     // the manager ends now
    kPendingUpgradeNotStarted,  // the manager starts normally
};

// The manager's start, before anything else runs: an upgrade of its
// program folder that died half-way is rolled back whole (unless another
// process applies one right now); stale work files are cleaned when no
// upgrade is pending; a pending one whose updater copy still has its
// recorded MD5 is started with "-upgrade", after restart.vqt was written
// with this executable, its folder and the given parameters.
VQPendingUpgrade StartPendingUpgrade(const std::wstring& parameters);

}  // namespace Tessar
