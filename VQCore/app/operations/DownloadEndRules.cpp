#include "VQCore/app/operations/DownloadEndRules.h"

#include "VQCore/download/DownloadTask.h"
#include "common/DownloadEndCodes.h"
#include "common/FormatText.h"

namespace Tessar {

namespace {

const uint32_t kMaxRetries = 3;

bool Within(uint32_t code, uint32_t first, uint32_t last) { return code >= first && code <= last; }

}  // namespace

VQDownloadEndAction DecideDownloadEnd(uint32_t kind, uint32_t code, uint32_t failures) {
    const bool triesLeft = failures <= kMaxRetries;
    // The task of the other kind that replaced it carries on.
    if (code == kDownloadOtherTransport) return VQDownloadEndAction::kNextTask;
    if (kind == 0 || kind == kHttpTaskKind) {
        if (code == kDownloadFinished) return VQDownloadEndAction::kInstall;
        if (code == kDownloadCancelled) return VQDownloadEndAction::kNextTask;
        if (Within(code, kDownloadInfoFailed, kDownloadVerifyFailed) && triesLeft) return VQDownloadEndAction::kRetry;
        return VQDownloadEndAction::kShowError;
    }
    if (kind == kBTTaskKind) {
        if (code == kDownloadFinished) return VQDownloadEndAction::kInstall;
        if (code == kDownloadStopping) return VQDownloadEndAction::kNextTask;
        if (Within(code, kDownloadInfoUnusable, kDownloadEngineFailed) && triesLeft) return VQDownloadEndAction::kRetry;
        return VQDownloadEndAction::kShowError;
    }
    return VQDownloadEndAction::kShowError;
}

std::wstring MakeDownloadStatisticExtra(double progress, double bytesPerSecond, uint32_t runningTasks,
                                        bool speedLimitOn, uint32_t maxSpeed) {
    const int kilobytes = static_cast<int>(bytesPerSecond * 0.0009765625);
    const int limit = speedLimitOn ? static_cast<int>(maxSpeed) : -1;
    return FormatString(L"&bt=%.2f&speed=%d&num=%d&limit=%d", progress, kilobytes, static_cast<int>(runningTasks),
                        limit);
}

}  // namespace Tessar
