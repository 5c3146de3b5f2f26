// The seed rules on their own, from the status values the engine reports.
#include "VQCore/download/SeedRules.h"

#include <gtest/gtest.h>

namespace Tessar {
namespace Test {
namespace {

TEST(SeedRules, DecideFromAgeSeedingTimeFailureAndUploadLimit) {
    const int64_t now = 1700000000;
    struct Case {
        const char* name;
        int64_t completed;
        uint32_t seeding;
        bool failed;
        uint32_t upload;
        VQSeedRuleAction expected;
    };
    const Case cases[] = {
        {"fresh seed", now - 60, 60, false, 0, VQSeedRuleAction::kKeep},
        {"three days old exactly", now - 259200, 100, false, 0, VQSeedRuleAction::kKeep},
        {"older than three days", now - 259201, 100, false, 0, VQSeedRuleAction::kRemove},
        {"completion time unknown", 0, 100, false, 0, VQSeedRuleAction::kKeep},
        {"completed in the future (clock set back)", now + 1000000, 100, false, 0, VQSeedRuleAction::kKeep},
        {"six hours of seeding exactly", now - 60, 21600, false, 30720, VQSeedRuleAction::kKeep},
        {"more than six hours of seeding", now - 60, 21601, false, 0, VQSeedRuleAction::kRemove},
        {"failed", now - 60, 10, true, 0, VQSeedRuleAction::kRemove},
        {"two hours exactly, unlimited", now - 60, 7200, false, 0, VQSeedRuleAction::kKeep},
        {"past two hours, unlimited", now - 60, 7201, false, 0, VQSeedRuleAction::kCapRates},
        {"past two hours, above the cap", now - 60, 7201, false, 30721, VQSeedRuleAction::kCapRates},
        {"past two hours, at the cap", now - 60, 7201, false, 30720, VQSeedRuleAction::kKeep},
        {"past two hours, capped lower", now - 60, 9000, false, 1000, VQSeedRuleAction::kKeep},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, ApplySeedRules(c.completed, now, c.seeding, c.failed, c.upload)) << c.name;
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
