#pragma once
// Points of the upgrade where a test build can step in. The shipped
// programs install no seam: every point then does nothing and the updater's
// named events keep their own names. Only test builds install one (the
// updater's test build, the manager's stand-in and the test programs link
// tests/programs/upgradeseam), so no shipped program reads a switch from
// its environment.
//
// Steps: "markers" (markers read, nothing run), "journal" (journal written,
// nothing replaced), "copy:N" (before the N-th file is copied, N from 1),
// "rollback" (after the first file of a roll-back is back).

#include <string>

namespace Tessar {

class IUpgradeSeam {
public:
    virtual void Reached(const std::wstring& step) = 0;
    // The name a named event of the updater gets instead of its own.
    virtual std::wstring EventName(const wchar_t* name) = 0;

protected:
    ~IUpgradeSeam() = default;
};

// Installed before the first step runs (a test build does so while its
// statics are made); returns the seam installed before, null for none.
IUpgradeSeam* InstallUpgradeSeam(IUpgradeSeam* seam);

void UpgradeSeamPoint(const std::wstring& step);
// The updater's name for one of its named events.
std::wstring InstanceEventName(const wchar_t* name);

}  // namespace Tessar
