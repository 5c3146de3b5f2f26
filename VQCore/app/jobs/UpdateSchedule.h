#pragma once
// When the main window's day timers fire: the three data updates
// (catalogue 1001, advert list 1002, hot list 1003) once a day after their
// last run, and the online report (1004) once a local calendar day. The
// plans are plain arithmetic over stamps in seconds; the Schedule
// operations read and write the stamps in the settings and arm the
// window's timers, on the UI thread (a timer belongs to its window's thread).

#include <windows.h>

#include <cstdint>

namespace Tessar {

const UINT kDayTimerMs = 86400000;
// A job that is due, or a report to try again, waits this long.
const UINT kSoonTimerMs = 180000;
// Tries of the online report before it waits for the next day.
const uint32_t kReportRetries = 3;

struct VQDataTimerPlan {
    UINT delayMs;
    bool stampNow;  // never run: the first run is a day after this start
};

// The data timer of a stamp (0 = never run).
VQDataTimerPlan PlanDataTimer(uint64_t stamp, int64_t now);

// Milliseconds from now to the next local midnight (at least 1 s).
UINT MsToNextLocalMidnight(int64_t now);

// The report timer of a stamp: false when none is armed in this run (a
// stamp from the future). The wait is measured from now, so a report sent
// yesterday evening and a manager started today at noon still waits only
// until tonight, never a day from the stamp.
bool PlanOnlineReport(int64_t stamp, int64_t now, UINT& delayMs);

// After one report: sent resets the retries and waits for the next day;
// a failure tries again soon, at most kReportRetries times in a row.
UINT PlanAfterReport(bool sent, uint32_t& retries, int64_t now);

// Arms timers 1001-1003 on the window from the stamps in the settings.
void ScheduleDataUpdates(HWND window);
// Arms timer 1004 (or nothing) from ReportOnlineTime.
void ScheduleOnlineReport(HWND window);

// The settings key of a data job's stamp; null for another id.
const wchar_t* DataJobStampKey(uint32_t jobId);
// Stores now as the key's stamp (decimal time_t text).
void StampSettingNow(const wchar_t* key);

}  // namespace Tessar
