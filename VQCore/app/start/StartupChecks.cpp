#include "VQCore/app/start/StartupChecks.h"

#include <windows.h>
#include <shellapi.h>

#include <ctime>

#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/Settings.h"
#include "common/FormatText.h"
#include "common/PathText.h"

namespace Tessar {

namespace {

const uint8_t kBackgroundUpdateDelay = 3;  // minutes

int64_t ReadTime(const std::wstring& key) {
    std::wstring text = VQSettings::Instance().GetString(key);
    int64_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') break;
        value = value * 10 + (c - L'0');
    }
    return value;
}

void StampTime(const std::wstring& key, int64_t now) {
    VQSettings::Instance().SetString(key, FormatString(L"%lld", static_cast<long long>(now)));
}

bool ShellStart(const std::wstring& program, const std::wstring& parameters) {
    HINSTANCE result = ShellExecuteW(nullptr, nullptr, program.c_str(),
                                     parameters.empty() ? nullptr : parameters.c_str(), nullptr, SW_SHOWDEFAULT);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace

int64_t NowSeconds() { return static_cast<int64_t>(_time64(nullptr)); }

bool IsCycleDue(int64_t now, int64_t last, uint32_t cycleDays) {
    int64_t cycle = static_cast<int64_t>(cycleDays) * kSecondsPerDay;
    if (now <= last) return true;
    return now - last >= cycle;
}

bool StartUpdater(bool silent, uint8_t delayMinutes) {
    std::wstring parameters;
    if (silent) {
        parameters = L" -update";
        if (delayMinutes != 0) parameters += FormatString(L" %d", delayMinutes);
    }
    return ShellStart(GetUpdaterPath(), parameters);
}

bool CheckScheduledUpdate(bool background, int64_t now) {
    VQSettings& settings = VQSettings::Instance();
    if (!settings.GetBool(L"UpdateRegular")) return false;
    int64_t last = ReadTime(L"UpdateTime");
    if (last == 0) {
        StampTime(L"UpdateTime", now);
        return false;
    }
    if (!IsCycleDue(now, last, settings.GetInt(L"UpdateCycle"))) return false;
    if (!StartUpdater(true, background ? kBackgroundUpdateDelay : 0)) return false;
    StampTime(L"UpdateTime", now);
    return true;
}

bool IsScheduledImportDue(int64_t now) {
    VQSettings& settings = VQSettings::Instance();
    if (!settings.GetBool(L"ImportRegular")) return false;
    int64_t last = ReadTime(L"ImportTime");
    if (last == 0) {
        StampTime(L"ImportTime", now);
        return false;
    }
    return IsCycleDue(now, last, settings.GetInt(L"ImportCycle"));
}

bool ReportFirstInstall() {
    std::wstring shared = GetSharedDataFolder();
    if (!shared.empty() && FileExists(CombinePath(shared, L"stat.vqs"))) return true;
    return ShellStart(GetUpdaterPath(), L" -install");
}

}  // namespace Tessar
