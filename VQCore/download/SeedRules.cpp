#include "VQCore/download/SeedRules.h"

namespace Tessar {

VQSeedRuleAction ApplySeedRules(int64_t completedTime, int64_t now, uint32_t seedingSeconds, bool failed,
                                uint32_t uploadLimit) {
    // Age is now minus the completion time: an old seed expires (the
    // reverse comparison would never let one go).
    if (completedTime > 0 && now - completedTime > kSeedMaxAgeSeconds)
        return VQSeedRuleAction::kRemove;
    if (seedingSeconds > kSeedMaxSeedingSeconds || failed)
        return VQSeedRuleAction::kRemove;
    if (seedingSeconds > kSeedCapAfterSeconds && (uploadLimit == 0 || uploadLimit > kSeedCappedRate))
        return VQSeedRuleAction::kCapRates;
    return VQSeedRuleAction::kKeep;
}

}  // namespace Tessar
