#pragma once
// A test seam of the upgrade: when the environment variable
// VQ_UPGRADE_SEAM names a step, the process stops there for good, after
// writing its process id into the file VQ_UPGRADE_SEAM_FILE, so that a test
// can kill it at exactly that point. Without the variable nothing happens.
//
// Steps: "markers" (markers read, nothing run), "journal" (journal written,
// nothing replaced), "copy:N" (before the N-th file is copied, N from 1),
// "rollback" (after the first file of a roll-back is back).

#include <string>

namespace Tessar {

extern const wchar_t kUpgradeSeamVariable[];      // L"VQ_UPGRADE_SEAM"
extern const wchar_t kUpgradeSeamFileVariable[];  // L"VQ_UPGRADE_SEAM_FILE"
// Test seam: the updater's named events are global to the session, and
// tests that run side by side in one Wine prefix give each run its own by
// this suffix. Without the variable the names are the program's own.
extern const wchar_t kInstanceSuffixVariable[];   // L"VQ_INSTANCE_SUFFIX"

void UpgradeSeamPoint(const std::wstring& step);
// The name, followed by the suffix when the variable is set.
std::wstring InstanceEventName(const wchar_t* name);

}  // namespace Tessar
