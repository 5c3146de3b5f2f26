#include "VQCore/app/jobs/BackgroundJobs.h"
#include "VQCore/app/start/StartupChecks.h"

#include <gtest/gtest.h>

namespace Tessar {
namespace {

struct CycleCase {
    const char* name;
    int64_t now;
    int64_t last;
    uint32_t cycleDays;
    bool due;
};

const int64_t kDay = 86400;
const int64_t kBase = 1700000000;

const CycleCase kCycleCases[] = {
    {"one second short of a week", kBase + 7 * kDay - 1, kBase, 7, false},
    {"exactly a week", kBase + 7 * kDay, kBase, 7, true},
    {"a month later", kBase + 30 * kDay, kBase, 7, true},
    {"clock set back", kBase - 10, kBase, 7, true},
    {"same second", kBase, kBase, 7, true},
    {"daily cycle after a day", kBase + kDay, kBase, 1, true},
    {"cycle of zero days", kBase + 1, kBase, 0, true},
};

TEST(StartupChecks, CycleIsDueAfterItsDaysOrWhenTheClockWentBack) {
    for (const CycleCase& c : kCycleCases) EXPECT_EQ(c.due, IsCycleDue(c.now, c.last, c.cycleDays)) << c.name;
}

std::vector<uint32_t> Ids(uint32_t first, size_t count) {
    std::vector<uint32_t> ids;
    for (size_t i = 0; i < count; ++i) ids.push_back(first + static_cast<uint32_t>(i));
    return ids;
}

std::vector<uint32_t> Join(std::vector<uint32_t> a, const std::vector<uint32_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct MaskCase {
    const char* name;
    std::vector<uint32_t> ids;
    bool firstRun;
    uint32_t mask;
};

TEST(StartupChecks, IconFetchMaskFollowsTheBandsOfTheMissingIds) {
    const MaskCase cases[] = {
        {"nothing missing", {}, false, 0},
        {"nothing missing on a first run", {}, true, 0},
        {"first run takes both packages", Ids(1, 3), true, kFetchFlashPackage | kFetchClientPackage},
        {"a few client games", Ids(1, 5), false, kFetchSingleIcons},
        {"online games count as client games", Ids(20001, 101), false, kFetchSingleIcons | kFetchClientPackage},
        {"exactly a hundred client games", Ids(1, 100), false, kFetchSingleIcons},
        {"many flash games", Ids(50001, 101), false, kFetchSingleIcons | kFetchFlashPackage},
        {"a web game", Ids(70001, 1), false, kFetchSingleIcons},
        {"many of both", Join(Ids(1, 150), Ids(50001, 150)), false,
         kFetchSingleIcons | kFetchFlashPackage | kFetchClientPackage},
    };
    for (const MaskCase& c : cases) EXPECT_EQ(c.mask, ComputeIconFetchMask(c.ids, c.firstRun)) << c.name;
}

}  // namespace
}  // namespace Tessar
