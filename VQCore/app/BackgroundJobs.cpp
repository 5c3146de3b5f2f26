#include "VQCore/app/BackgroundJobs.h"

#include "VQCore/gamelib/GameId.h"
#include "common/Thread.h"

namespace Tessar {

namespace {
const size_t kManyIcons = 100;
}

uint32_t ComputeIconFetchMask(const std::vector<uint32_t>& missingIds, bool firstRun) {
    if (missingIds.empty()) return 0;
    if (firstRun) return kFetchFlashPackage | kFetchClientPackage;
    size_t client = 0, flash = 0, others = 0;
    for (uint32_t id : missingIds) {
        if (IsSingleGameId(id) || IsOnlineGameId(id))
            ++client;
        else if (IsFlashGameId(id))
            ++flash;
        else
            ++others;
    }
    uint32_t mask = 0;
    if (client > 0) mask |= kFetchSingleIcons;
    if (client > kManyIcons) mask |= kFetchClientPackage;
    if (flash > 0) mask |= kFetchSingleIcons;
    if (flash > kManyIcons) mask |= kFetchFlashPackage;
    if (others > 0) mask |= kFetchSingleIcons;
    return mask;
}

VQBackgroundJobs::VQBackgroundJobs() : m_stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

VQBackgroundJobs::~VQBackgroundJobs() { Stop(); }

// The list and picture downloads come with the scheduled data updates; the
// start-up asks for them already and goes on without them.
bool VQBackgroundJobs::StartListDownload(int kind, HWND window) { return false; }

bool VQBackgroundJobs::StartIconDownload(uint32_t mask, const std::vector<uint32_t>& ids, HWND window) {
    return false;
}

void VQBackgroundJobs::Stop() {
    if (m_stopEvent) SetEvent(m_stopEvent);
    for (auto& thread : m_threads) {
        if (thread) thread->Wait();
        thread.reset();
    }
    if (m_stopEvent) {
        CloseHandle(m_stopEvent);
        m_stopEvent = nullptr;
    }
}

}  // namespace Tessar
