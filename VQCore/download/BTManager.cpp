#include "VQCore/download/BTManager.h"

#include "common/CodePage.h"
#include "common/PathText.h"

#include <time.h>

#include <algorithm>
#include <chrono>

namespace Tessar {

namespace {

int64_t SystemClock() {
    return _time64(nullptr);
}

std::string Ansi(const std::wstring& text) {
    return WideToCodePage(CP_ACP, text);
}

void WriteSessionRate(IBTSession* session, uint32_t bytesPerSecond) {
    BTSessionSettings settings;
    session->GetSettings(&settings);
    settings.words[kBTSetDownloadRate] = bytesPerSecond;
    settings.words[kBTSetUploadRate] = bytesPerSecond;
    session->SetSettings(settings);
}

}  // namespace

VQBTManager::VQBTManager()
    : m_session(nullptr),
      m_seedLimit(kDefaultSeedLimit),
      m_stopping(false),
      m_module(nullptr),
      m_clock(&SystemClock) {}

VQBTManager::~VQBTManager() {
    Shutdown();
    Stop();
}

int64_t VQBTManager::Now() const {
    VQClock clock = m_clock.load();
    return clock != nullptr ? clock() : SystemClock();
}

bool VQBTManager::Init(const std::wstring& folder, uint32_t seedLimit) {
    if (m_session.load() != nullptr)
        return true;
    if (m_module == nullptr)
        m_module = ::LoadLibraryW(L"Tarnwick_LOG.dll");
    if (m_module == nullptr)
        m_module = ::LoadLibraryW(L"Tarnwick.dll");
    if (m_module == nullptr)
        return false;
    CreateBTSessionFn create =
        reinterpret_cast<CreateBTSessionFn>(reinterpret_cast<void*>(::GetProcAddress(m_module, "CreateBTSession")));
    if (create == nullptr)
        return false;
    IBTSession* session = create(kFirstPort, kLastPort, "0.0.0.0", Ansi(folder).c_str());
    if (session == nullptr)
        return false;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_folder = folder;
        m_seedsPath = CombinePath(folder, L"seeds.xml");
    }
    m_seedLimit = seedLimit;
    m_stopping = false;
    m_session = session;
    ApplySessionRate(session);
    Start();
    LoadSeeds();
    return true;
}

bool VQBTManager::StartInBackground(const std::wstring& folder, uint32_t seedLimit) {
    std::lock_guard<std::mutex> hold(m_startLock);
    if (m_session.load() != nullptr)
        return true;
    // A start that ended without a session may be tried again.
    if (m_start.valid() && m_start.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return true;
    try {
        m_start = std::async(std::launch::async, [this, folder, seedLimit] { return Init(folder, seedLimit); }).share();
    } catch (...) {
        m_start = std::shared_future<bool>();
        return false;
    }
    return true;
}

std::shared_future<bool> VQBTManager::StartUnderWay() {
    std::lock_guard<std::mutex> hold(m_startLock);
    return m_start;
}

IBTSession* VQBTManager::WaitForSession(uint32_t waitMs) {
    std::shared_future<bool> start = StartUnderWay();
    if (start.valid())
        start.wait_for(std::chrono::milliseconds(waitMs));
    return m_session.load();
}

void VQBTManager::Shutdown() {
    // A start under way ends first: it would open the session being ended.
    std::shared_future<bool> start = StartUnderWay();
    if (start.valid())
        start.wait();
    m_stopping = true;
    // No seed opens while they are taken down.
    Stop();
    std::vector<std::shared_ptr<VQSeedTask>> seeds;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        seeds.swap(m_seeds);
    }
    for (const auto& seed : seeds)
        EndSeed(seed, kBTReleaseKeepFiles);
    IBTSession* session = m_session.exchange(nullptr);
    if (session == nullptr || m_module == nullptr)
        return;
    DeleteBTSessionFn destroy =
        reinterpret_cast<DeleteBTSessionFn>(reinterpret_cast<void*>(::GetProcAddress(m_module, "DeleteBTSession")));
    if (destroy != nullptr)
        destroy(session);
}

void VQBTManager::SetSessionRate(uint32_t bytesPerSecond) {
    std::lock_guard<std::mutex> hold(m_rateLock);
    m_rateSet = true;
    m_rate = bytesPerSecond;
    IBTSession* session = m_session.load();
    if (session != nullptr)
        WriteSessionRate(session, bytesPerSecond);
}

void VQBTManager::ApplySessionRate(IBTSession* session) {
    std::lock_guard<std::mutex> hold(m_rateLock);
    if (m_rateSet)
        WriteSessionRate(session, m_rate);
}

uint32_t VQBTManager::ActiveSeedCountLocked() const {
    uint32_t count = 0;
    for (const auto& seed : m_seeds)
        count += seed->GetEngineTask() != nullptr;
    return count;
}

uint32_t VQBTManager::ActiveSeedCount() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return ActiveSeedCountLocked();
}

uint32_t VQBTManager::SeedCount() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return static_cast<uint32_t>(m_seeds.size());
}

bool VQBTManager::HasSeed(uint64_t id) const {
    std::lock_guard<std::mutex> hold(m_lock);
    return std::any_of(m_seeds.begin(), m_seeds.end(),
                       [id](const std::shared_ptr<VQSeedTask>& s) { return s->GetId() == id; });
}

bool VQBTManager::AddSeedFromTask(uint64_t id, const std::wstring& resumePath, IBTTask* task) {
    if (task == nullptr)
        return false;
    auto seed = std::make_shared<VQSeedTask>(this, id, resumePath, task);
    bool run;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        // Counted before this seed, and not above the limit: with the limit
        // running, one more finished download still seeds.
        run = ActiveSeedCountLocked() <= m_seedLimit.load();
        m_seeds.push_back(seed);
        SaveSeedsLocked();
    }
    if (!run || !seed->Start()) {
        IBTTask* idle = seed->TakeEngineTask();
        IBTSession* session = m_session.load();
        if (idle != nullptr && session != nullptr) {
            idle->SetCallback(nullptr);
            session->ReleaseTask(idle, kBTReleaseKeepFiles);
        }
    }
    return true;
}

std::shared_ptr<VQBTManager::VQSeedTask> VQBTManager::TakeSeed(const VQSeedTask* seed) {
    std::lock_guard<std::mutex> hold(m_lock);
    auto it = std::find_if(m_seeds.begin(), m_seeds.end(),
                           [seed](const std::shared_ptr<VQSeedTask>& s) { return s.get() == seed; });
    if (it == m_seeds.end())
        return nullptr;
    std::shared_ptr<VQSeedTask> taken = *it;
    m_seeds.erase(it);
    SaveSeedsLocked();
    return taken;
}

std::shared_ptr<VQBTManager::VQSeedTask> VQBTManager::TakeSeedById(uint64_t id) {
    std::lock_guard<std::mutex> hold(m_lock);
    auto it = std::find_if(m_seeds.begin(), m_seeds.end(),
                           [id](const std::shared_ptr<VQSeedTask>& s) { return s->GetId() == id; });
    if (it == m_seeds.end())
        return nullptr;
    std::shared_ptr<VQSeedTask> taken = *it;
    m_seeds.erase(it);
    SaveSeedsLocked();
    return taken;
}

void VQBTManager::EndSeed(const std::shared_ptr<VQSeedTask>& seed, uint32_t releaseFlags) {
    IBTTask* task = seed->TakeEngineTask();
    IBTSession* session = m_session.load();
    if (task != nullptr && session != nullptr) {
        task->SetCallback(nullptr);
        session->ReleaseTask(task, releaseFlags);
    }
}

void VQBTManager::RemoveSeed(VQSeedTask* seed) {
    // Only the caller that takes the seed out of the list ends it, so two
    // threads seeing the same end release its engine task once.
    std::shared_ptr<VQSeedTask> taken = TakeSeed(seed);
    if (!taken)
        return;
    EndSeed(taken, kBTReleaseSeed);
    if (!m_stopping)
        SignalTask();
}

void VQBTManager::RemoveSeedById(uint64_t id) {
    std::shared_ptr<VQSeedTask> taken = TakeSeedById(id);
    if (!taken)
        return;
    EndSeed(taken, kBTReleaseKeepFiles);
    if (!m_stopping)
        SignalTask();
}

bool VQBTManager::AddSeedFromFile(uint64_t id, const std::wstring& resumePath) {
    IBTSession* session = m_session.load();
    if (session == nullptr || !session->ParseTorrentFile(Ansi(resumePath), nullptr))
        return false;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_seeds.push_back(std::make_shared<VQSeedTask>(this, id, resumePath, nullptr));
    }
    SignalTask();
    return true;
}

bool VQBTManager::AdoptEngineTask(VQSeedTask* seed, IBTTask* task) {
    std::lock_guard<std::mutex> hold(m_lock);
    bool listed = std::any_of(m_seeds.begin(), m_seeds.end(),
                              [seed](const std::shared_ptr<VQSeedTask>& s) { return s.get() == seed; });
    IBTTask* none = nullptr;
    return listed && seed->m_task.compare_exchange_strong(none, task);
}

void VQBTManager::Process() {
    uint32_t limit = m_seedLimit.load();
    if (limit == 0 || m_stopping)
        return;
    std::vector<std::shared_ptr<VQSeedTask>> waiting;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        for (const auto& seed : m_seeds) {
            if (seed->GetEngineTask() == nullptr)
                waiting.push_back(seed);
        }
    }
    for (const auto& seed : waiting) {
        if (m_stopping || ActiveSeedCount() >= limit)
            break;
        if (!seed->Start())
            RemoveSeed(seed.get());
    }
}

VQBTManager::VQSeedTask::VQSeedTask(VQBTManager* manager, uint64_t id, const std::wstring& resumePath,
                                    IBTTask* task)
    : m_manager(manager), m_id(id), m_resumePath(resumePath), m_task(task) {}

bool VQBTManager::VQSeedTask::Start() {
    IBTTask* task = m_task.load();
    if (task != nullptr) {
        task->SetCallback(this);
        task->Start();
        return true;
    }
    IBTSession* session = m_manager->GetSession();
    if (session == nullptr || m_resumePath.empty())
        return false;
    std::string error;
    task = session->OpenTaskFromTorrent(Ansi(m_resumePath), kBTOpenSeed, this, &error);
    if (task == nullptr)
        return false;
    if (!m_manager->AdoptEngineTask(this, task)) {
        // Taken out of the list meanwhile: the new engine task goes again.
        task->SetCallback(nullptr);
        session->ReleaseTask(task, kBTReleaseSeed);
        return true;
    }
    task->Start();
    return true;
}

void VQBTManager::VQSeedTask::OnEvent(int32_t code) {
    if (code == kBTEventFailed)
        m_manager->RemoveSeed(this);  // may delete this seed: nothing after it
}

void VQBTManager::VQSeedTask::OnTimer() {
    IBTTask* task = m_task.load();
    if (task == nullptr)
        return;
    BTTaskStatus status;
    if (!task->GetStatus(&status))
        return;
    uint32_t download = 0, upload = 0;
    task->GetRateLimits(&download, &upload);
    switch (ApplySeedRules(status.completedTime, m_manager->Now(), status.seedingSecondsRule, status.error != 0,
                           upload)) {
    case VQSeedRuleAction::kRemove:
        task->SetCallback(nullptr);
        m_manager->RemoveSeed(this);  // may delete this seed: nothing after it
        return;
    case VQSeedRuleAction::kCapRates:
        task->SetRateLimits(kSeedCappedRate, kSeedCappedRate);
        return;
    case VQSeedRuleAction::kKeep:
        return;
    }
}

}  // namespace Tessar
