#include "VQCore/app/jobs/UpdateSchedule.h"

#include <ctime>

#include "VQCore/app/start/StartupChecks.h"
#include "VQCore/gamelib/Settings.h"
#include "common/FormatText.h"
#include "common/NumberText.h"

namespace Tessar {

namespace {

struct DataTimer {
    const wchar_t* key;
    UINT timerId;
};

const DataTimer kDataTimers[] = {
    {L"UpdateDatabaseTime", 1001},
    {L"UpdateAdvertTime", 1002},
    {L"UpdateHotTime", 1003},
};

const UINT kOnlineReportTimer = 1004;

// A signed decimal text: a leading '-' makes it negative.
int64_t SignedStamp(const std::wstring& text) {
    if (!text.empty() && text[0] == L'-') return -static_cast<int64_t>(StringToUInt64(text.substr(1)));
    return static_cast<int64_t>(StringToUInt64(text));
}

}  // namespace

VQDataTimerPlan PlanDataTimer(uint64_t stamp, int64_t now) {
    if (stamp == 0) return {kDayTimerMs, true};
    const int64_t last = static_cast<int64_t>(stamp);
    if (now > last && now - last < kSecondsPerDay)
        return {static_cast<UINT>((kSecondsPerDay - (now - last)) * 1000), false};
    return {kSoonTimerMs, false};
}

UINT MsToNextLocalMidnight(int64_t now) {
    __time64_t moment = now;
    struct tm local = {};
    if (_localtime64_s(&local, &moment) != 0) return kDayTimerMs;
    local.tm_hour = 0;
    local.tm_min = 0;
    local.tm_sec = 0;
    local.tm_mday += 1;
    local.tm_isdst = -1;
    const int64_t midnight = _mktime64(&local);
    if (midnight <= now) return 1000;
    int64_t seconds = midnight - now;
    // A day with a clock change is at most 25 hours long.
    if (seconds > kSecondsPerDay + 3600) seconds = kSecondsPerDay;
    return static_cast<UINT>(seconds * 1000);
}

bool PlanOnlineReport(int64_t stamp, int64_t now, UINT& delayMs) {
    if (stamp <= 0) {
        delayMs = kSoonTimerMs;
        return true;
    }
    if (stamp >= now) return false;
    __time64_t then = stamp, today = now;
    struct tm thenLocal = {}, nowLocal = {};
    const bool known = _localtime64_s(&thenLocal, &then) == 0 && _localtime64_s(&nowLocal, &today) == 0;
    const bool sameDay = known && thenLocal.tm_year == nowLocal.tm_year && thenLocal.tm_mon == nowLocal.tm_mon &&
                         thenLocal.tm_mday == nowLocal.tm_mday;
    delayMs = sameDay ? MsToNextLocalMidnight(now) : kSoonTimerMs;
    return true;
}

UINT PlanAfterReport(bool sent, uint32_t& retries, int64_t now) {
    if (sent) {
        retries = 0;
        return MsToNextLocalMidnight(now);
    }
    if (retries < kReportRetries) {
        ++retries;
        return kSoonTimerMs;
    }
    return MsToNextLocalMidnight(now);
}

const wchar_t* DataJobStampKey(uint32_t jobId) {
    for (const DataTimer& timer : kDataTimers)
        if (timer.timerId == jobId) return timer.key;
    return nullptr;
}

void StampSettingNow(const wchar_t* key) {
    if (key == nullptr) return;
    VQSettings::Instance().SetString(key, FormatString(L"%lld", static_cast<long long>(NowSeconds())));
}

void ScheduleDataUpdates(HWND window) {
    VQSettings& settings = VQSettings::Instance();
    for (const DataTimer& timer : kDataTimers) {
        const VQDataTimerPlan plan = PlanDataTimer(StringToUInt64(settings.GetString(timer.key)), NowSeconds());
        SetTimer(window, timer.timerId, plan.delayMs, nullptr);
        if (plan.stampNow) StampSettingNow(timer.key);
    }
}

void ScheduleOnlineReport(HWND window) {
    UINT delayMs = 0;
    if (PlanOnlineReport(SignedStamp(VQSettings::Instance().GetString(L"ReportOnlineTime")), NowSeconds(), delayMs))
        SetTimer(window, kOnlineReportTimer, delayMs, nullptr);
}

}  // namespace Tessar
