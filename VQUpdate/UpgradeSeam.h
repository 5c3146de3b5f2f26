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

void UpgradeSeamPoint(const std::wstring& step);

}  // namespace Tessar
