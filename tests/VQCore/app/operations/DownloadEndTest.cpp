// What the end of a download leads to, and the download statistic's text.
#include "VQCore/app/operations/DownloadEndRules.h"

#include "VQCore/download/DownloadTask.h"
#include "common/DownloadEndCodes.h"

#include <gtest/gtest.h>

namespace Tessar {
namespace {

TEST(DownloadEndTest, EndCodesByKindAndCountedFailures) {
    using A = VQDownloadEndAction;
    struct Case {
        const char* name;
        uint32_t kind;
        uint32_t code;
        uint32_t failures;
        A action;
    } cases[] = {
        {"http finished", kHttpTaskKind, kDownloadFinished, 0, A::kInstall},
        {"no task finished", 0, kDownloadFinished, 0, A::kInstall},
        {"http cancelled", kHttpTaskKind, kDownloadCancelled, 0, A::kNextTask},
        {"http size query, third failure", kHttpTaskKind, kDownloadSizeQueryFailed, 3, A::kRetry},
        {"http size query, fourth failure", kHttpTaskKind, kDownloadSizeQueryFailed, 4, A::kShowError},
        {"http info failed", kHttpTaskKind, kDownloadInfoFailed, 1, A::kRetry},
        {"http bad md5", kHttpTaskKind, kDownloadVerifyFailed, 0, A::kRetry},
        {"http disk full", kHttpTaskKind, 112, 0, A::kShowError},
        {"http engine code", kHttpTaskKind, kDownloadEngineFailed, 0, A::kShowError},
        {"http replaced by p2p", kHttpTaskKind, kDownloadOtherTransport, 0, A::kNextTask},
        {"p2p finished", kBTTaskKind, kDownloadFinished, 0, A::kInstall},
        {"p2p stopped", kBTTaskKind, kDownloadStopping, 0, A::kNextTask},
        {"p2p http-cancel code", kBTTaskKind, kDownloadCancelled, 0, A::kShowError},
        {"p2p torrent fetch", kBTTaskKind, kDownloadTorrentFetchFailed, 2, A::kRetry},
        {"p2p engine, fourth failure", kBTTaskKind, kDownloadEngineFailed, 4, A::kShowError},
        {"p2p http code", kBTTaskKind, kDownloadSizeQueryFailed, 0, A::kShowError},
        {"other kind finished", 7, kDownloadFinished, 0, A::kShowError},
    };
    for (const Case& c : cases) EXPECT_EQ(c.action, DecideDownloadEnd(c.kind, c.code, c.failures)) << c.name;
}

TEST(DownloadEndTest, StatisticExtraText) {
    EXPECT_EQ(L"&bt=-1.00&speed=100&num=1&limit=-1", MakeDownloadStatisticExtra(-1.0, 102400.0, 1, false, 300));
    EXPECT_EQ(L"&bt=0.50&speed=0&num=3&limit=300", MakeDownloadStatisticExtra(0.5, 1023.0, 3, true, 300));
}

}  // namespace
}  // namespace Tessar
