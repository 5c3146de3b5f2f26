#pragma once
// The scheduled checks of the start-up (program update, import of
// installed games), the updater start and the install report.

#include <cstdint>
#include <string>

namespace Tessar {

const int64_t kSecondsPerDay = 86400;

// Whether a cycle of `cycleDays` has passed since `last` (both in seconds
// since 1970). A clock set back before `last` counts as a full cycle.
bool IsCycleDue(int64_t now, int64_t last, uint32_t cycleDays);

// Starts Selbrin.exe of the program folder: silent with " -update" (and
// " DELAY" when delayMinutes is not 0), or visible without parameters.
// True when the shell started it.
bool StartUpdater(bool silent, uint8_t delayMinutes);

// UpdateRegular/UpdateTime/UpdateCycle: a first start only stamps the time;
// a due cycle starts the updater silently (3 minutes later in the
// background) and stamps it. True when the updater was started.
bool CheckScheduledUpdate(bool background, int64_t now);
// ImportRegular/ImportTime/ImportCycle: true when the scheduled scan is due
// (the time is stamped only on the first start).
bool IsScheduledImportDue(int64_t now);

// The first start's report through the updater ("-install"), unless the
// shared folder already holds stat.vqs. True when nothing was needed or
// the updater started.
bool ReportFirstInstall();

// The current time in seconds (_time64).
int64_t NowSeconds();

}  // namespace Tessar
