#include "VQCore/app/jobs/ProgramUpdateCheck.h"

#include <mutex>

#include "VQCore/app/start/StartupChecks.h"
#include "VQCore/app/jobs/UpdateSchedule.h"
#include "VQUpdate/UpgradeMarkers.h"

namespace Tessar {

namespace {

std::mutex g_startLock;  // guards g_startForTests
std::function<bool()> g_startForTests;

}  // namespace

bool CheckProgramUpdate() {
    std::function<bool()> start;
    {
        std::lock_guard<std::mutex> hold(g_startLock);
        start = g_startForTests;
    }
    const bool started = start ? start() : StartUpdater(false, 0);
    // Empty texts: this program, its folder and its own first argument.
    if (started) WriteRestartMarker(L"", L"", L"");
    StampSettingNow(L"UpdateTime");
    return started;
}

void SetUpdaterStartForTests(std::function<bool()> start) {
    std::lock_guard<std::mutex> hold(g_startLock);
    g_startForTests = std::move(start);
}

}  // namespace Tessar
