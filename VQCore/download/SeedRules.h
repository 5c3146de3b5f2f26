#pragma once
// What a seed's periodic check decides from its engine status: a seed lives
// at most three days after its game was completed and six hours of
// seeding; after two hours it shares at most 30 KB/s each way.

#include <cstdint>

namespace Tessar {

enum class VQSeedRuleAction {
    kKeep,
    kRemove,
    kCapRates,  // SetRateLimits(kSeedCappedRate, kSeedCappedRate)
};

const int64_t kSeedMaxAgeSeconds = 259200;
const uint32_t kSeedMaxSeedingSeconds = 21600;
const uint32_t kSeedCapAfterSeconds = 7200;
const uint32_t kSeedCappedRate = 30720;

// completedTime: _time64 of the completion (0 = unknown, no age limit);
// uploadLimit: the engine task's second rate, 0 = no limit.
VQSeedRuleAction ApplySeedRules(int64_t completedTime, int64_t now, uint32_t seedingSeconds, bool failed,
                                uint32_t uploadLimit);

}  // namespace Tessar
