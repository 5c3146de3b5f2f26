// The manual update check: a started updater gets a restart marker naming
// this program; the check's time is stamped whether it started or not.
#include <gtest/gtest.h>

#include "VQCore/app/jobs/ProgramUpdateCheck.h"
#include "VQCore/app/start/StartupChecks.h"
#include "VQCore/gamelib/Settings.h"
#include "VQUpdate/UpgradeMarkers.h"
#include "VQUpdate/Upgrader.h"
#include "common/FileUtil.h"
#include "common/NumberText.h"

namespace Tessar {
namespace {

std::wstring ThisProgram() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

TEST(ProgramUpdateCheck, StartedUpdaterLeavesARestartMarkerAndEveryCheckIsStamped) {
    const std::wstring savedTime = VQSettings::Instance().GetString(L"UpdateTime");
    const struct {
        const char* name;
        bool starts;
        bool marker;
    } cases[] = {{"updater started", true, true}, {"updater missing", false, false}};
    for (const auto& c : cases) {
        std::wstring program, folder, parameters;
        ForceDeleteFile(VQUpgrader().WorkPath(L"restart.vqt"));
        VQSettings::Instance().SetString(L"UpdateTime", L"5");
        int starts = 0;
        SetUpdaterStartForTests([&] {
            ++starts;
            return c.starts;
        });
        EXPECT_EQ(c.starts, CheckProgramUpdate()) << c.name;
        EXPECT_EQ(1, starts) << c.name;
        EXPECT_EQ(c.marker, ReadRestartMarker(program, folder, parameters)) << c.name;
        if (c.marker) {
            EXPECT_EQ(0, _wcsicmp(ThisProgram().c_str(), program.c_str())) << c.name;
        }
        const int64_t stamp = static_cast<int64_t>(StringToUInt64(VQSettings::Instance().GetString(L"UpdateTime")));
        EXPECT_LE(NowSeconds() - stamp, 60) << c.name;
    }
    SetUpdaterStartForTests(nullptr);
    ForceDeleteFile(VQUpgrader().WorkPath(L"restart.vqt"));
    VQSettings::Instance().SetString(L"UpdateTime", savedTime);
}

}  // namespace
}  // namespace Tessar
