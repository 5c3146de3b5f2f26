#pragma once
// The upgrade's test seam as the test builds install it, steered by the
// environment a test sets for the processes it starts (and for itself):
//   VQ_UPGRADE_SEAM       a step (see VQUpdate/UpgradeSeam.h): the process
//                         stops there for good, after writing its process
//                         id into the file VQ_UPGRADE_SEAM_FILE, so that the
//                         test can kill it at exactly that point;
//   VQ_INSTANCE_SUFFIX    appended to the updater's event names: test
//                         programs running side by side in one Wine prefix
//                         give each run events of its own.
// Linking EnvironmentSeam.cpp installs it while the program's statics are
// made; only test builds link it.

namespace Tessar {
namespace Test {

extern const wchar_t kUpgradeSeamVariable[];      // L"VQ_UPGRADE_SEAM"
extern const wchar_t kUpgradeSeamFileVariable[];  // L"VQ_UPGRADE_SEAM_FILE"
extern const wchar_t kInstanceSuffixVariable[];   // L"VQ_INSTANCE_SUFFIX"

}  // namespace Test
}  // namespace Tessar
