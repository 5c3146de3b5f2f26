#include "btengine/EngineSession.h"

#include <libtorrent/alert_types.hpp>
#include <libtorrent/ip_filter.hpp>
#include <libtorrent/session_params.hpp>
#include <libtorrent/settings_pack.hpp>
#include <libtorrent/torrent_flags.hpp>
#include <libtorrent/torrent_info.hpp>
#include <libtorrent/torrent_status.hpp>
#include <libtorrent/write_resume_data.hpp>

#include <algorithm>
#include <chrono>
#include <thread>

#include "btengine/EngineFiles.h"
#include "btengine/EngineText.h"

namespace lt = libtorrent;

namespace Tessar {

namespace {

const uint32_t kDefaultConnections = 200;
const uint32_t kDefaultTimerMs = 1000;

std::string NormalisePath(std::string utf8) {
    std::replace(utf8.begin(), utf8.end(), '/', '\\');
    return utf8;
}

bool SamePath(const std::string& a, const std::string& b) {
    std::wstring wa = Utf8ToWide(NormalisePath(a)), wb = Utf8ToWide(NormalisePath(b));
    return CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(), static_cast<int>(wb.size()),
                                TRUE) == CSTR_EQUAL;
}

std::shared_ptr<lt::torrent_info> ParseTorrent(const std::vector<char>& bytes, std::string* error) {
    if (bytes.empty()) {
        if (error) *error = "empty torrent";
        return nullptr;
    }
    lt::error_code ec;
    auto info = std::make_shared<lt::torrent_info>(lt::span<const char>(bytes), ec, lt::from_span);
    if (ec) {
        if (error) *error = ec.message();
        return nullptr;
    }
    return info;
}

void SetError(std::string* error, const std::string& text) {
    if (error) *error = text;
}

}  // namespace

VQEngineSession* VQEngineSession::Create(uint16_t firstPort, uint16_t lastPort, const std::string& bindAddress,
                                         const std::string& folderAnsi) {
    std::unique_ptr<VQEngineSession> session(new VQEngineSession());
    session->m_folder = AnsiToUtf8(folderAnsi);
    if (!session->Open(firstPort, lastPort, bindAddress)) return nullptr;
    return session.release();
}

bool VQEngineSession::Open(uint16_t firstPort, uint16_t lastPort, const std::string& bindAddress) {
    if (firstPort == 0 || lastPort < firstPort) return false;
    std::string address = bindAddress.empty() ? std::string("0.0.0.0") : bindAddress;

    lt::settings_pack pack;
    pack.set_str(lt::settings_pack::listen_interfaces, address + ":" + std::to_string(firstPort));
    pack.set_int(lt::settings_pack::max_retry_port_bind, lastPort - firstPort);
    pack.set_int(lt::settings_pack::alert_mask,
                 static_cast<int>(static_cast<std::uint32_t>(lt::alert_category::status | lt::alert_category::error |
                                                             lt::alert_category::storage)));
    pack.set_bool(lt::settings_pack::enable_dht, false);
    pack.set_bool(lt::settings_pack::enable_lsd, false);
    pack.set_bool(lt::settings_pack::enable_upnp, false);
    pack.set_bool(lt::settings_pack::enable_natpmp, false);
    pack.set_int(lt::settings_pack::stop_tracker_timeout, 1);
    pack.set_str(lt::settings_pack::user_agent, "Tarnwick/1.0");
    // Outgoing connections go over TCP, which every peer speaks: a first
    // try over uTP waits out its time-out (3 s) on a peer without it
    // before the TCP one is made. Peers may still come in over uTP.
    pack.set_bool(lt::settings_pack::enable_outgoing_utp, false);
    // Disk and hashing threads by the processors there are. Every batch of
    // blocks from the network wakes all idle disk threads, and each wake
    // and lock hand-over is a round trip to the system (on Wine, to its
    // server): with two processors one disk and one hashing thread go
    // fastest, the library's ten mostly wake to find nothing. With eight,
    // one thread spends half its time waiting on those round trips and the
    // download runs at a third of what four disk and two hashing threads
    // give (1 GiB from one seeder on loopback, 48-125 against 170-270 MB/s).
    const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
    pack.set_int(lt::settings_pack::aio_threads, static_cast<int>(std::min(4u, std::max(1u, processors / 2))));
    pack.set_int(lt::settings_pack::hashing_threads, static_cast<int>(std::min(2u, std::max(1u, processors / 4))));

    lt::session_params params(std::move(pack));
    m_session.reset(new lt::session(std::move(params)));

    // The user's limits hold for every peer, those on the local network too.
    lt::ip_filter classes;
    classes.add_rule(lt::make_address("0.0.0.0"), lt::make_address("255.255.255.255"),
                     1u << static_cast<std::uint32_t>(lt::session::global_peer_class_id));
    classes.add_rule(lt::make_address("::"), lt::make_address("ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff"),
                     1u << static_cast<std::uint32_t>(lt::session::global_peer_class_id));
    m_session->set_peer_class_filter(classes);

    // Wait until the listening socket is bound (or every port failed).
    bool listening = false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!listening && std::chrono::steady_clock::now() < deadline) {
        m_session->wait_for_alert(std::chrono::milliseconds(100));
        std::vector<lt::alert*> alerts;
        m_session->pop_alerts(&alerts);
        for (lt::alert* a : alerts) {
            if (lt::alert_cast<lt::listen_succeeded_alert>(a)) listening = true;
        }
        if (!listening && m_session->is_listening() && m_session->listen_port() != 0) listening = true;
    }
    // The library falls back to any port when the range is taken; the
    // program asked for its range only.
    uint16_t port = listening ? m_session->listen_port() : 0;
    if (port < firstPort || port > lastPort) {
        m_session.reset();
        return false;
    }

    m_settings.words[kBTSetListenPort] = m_session->listen_port();
    m_settings.words[kBTSetConnections] = kDefaultConnections;
    m_settings.words[kBTSetTimerMs] = kDefaultTimerMs;
    ApplySettings(m_settings);
    m_thread = std::thread([this] { Run(); });
    return true;
}

VQEngineSession::~VQEngineSession() {
    m_quit = true;
    if (m_thread.joinable()) m_thread.join();
    std::vector<std::shared_ptr<VQEngineTask>> tasks;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        tasks.swap(m_tasks);
    }
    for (auto& task : tasks) task->MarkReleased();
    m_session.reset();
}

void VQEngineSession::ApplySettings(const BTSessionSettings& s) {
    lt::settings_pack pack;
    uint32_t connections = s.words[kBTSetConnections] ? s.words[kBTSetConnections] : kDefaultConnections;
    pack.set_int(lt::settings_pack::connections_limit, static_cast<int>(std::min<uint32_t>(connections, 65535)));
    pack.set_int(lt::settings_pack::download_rate_limit,
                 static_cast<int>(std::min<uint32_t>(s.words[kBTSetDownloadRate], 0x7FFFFFFF)));
    pack.set_int(lt::settings_pack::upload_rate_limit,
                 static_cast<int>(std::min<uint32_t>(s.words[kBTSetUploadRate], 0x7FFFFFFF)));
    uint32_t features = s.words[kBTSetFeatures];
    pack.set_bool(lt::settings_pack::enable_dht, (features & kBTFeatureDht) != 0);
    pack.set_bool(lt::settings_pack::enable_lsd, (features & kBTFeatureLocalDiscovery) != 0);
    pack.set_bool(lt::settings_pack::enable_upnp, (features & kBTFeatureUpnp) != 0);
    pack.set_bool(lt::settings_pack::enable_natpmp, (features & kBTFeatureNatPmp) != 0);
    if (s.words[kBTSetUploadSlots] != 0)
        pack.set_int(lt::settings_pack::unchoke_slots_limit,
                     static_cast<int>(std::min<uint32_t>(s.words[kBTSetUploadSlots], 1000)));
    m_session->apply_settings(std::move(pack));
    uint32_t timer = s.words[kBTSetTimerMs] ? s.words[kBTSetTimerMs] : kDefaultTimerMs;
    m_timerMs = std::max<uint32_t>(100, std::min<uint32_t>(timer, 60000));
}

void VQEngineSession::SetSettings(BTSessionSettings settings) {
    try {
        std::lock_guard<std::mutex> hold(m_lock);
        settings.words[kBTSetListenPort] = m_settings.words[kBTSetListenPort];
        for (int i = 7; i < 11; ++i) settings.words[i] = 0;
        ApplySettings(settings);
        settings.words[kBTSetTimerMs] = m_timerMs;
        m_settings = settings;
    } catch (...) {
    }
}

void VQEngineSession::GetSettings(BTSessionSettings* out) {
    if (!out) return;
    std::lock_guard<std::mutex> hold(m_lock);
    *out = m_settings;
}

uint16_t VQEngineSession::GetListenPort() {
    try {
        return m_session->listen_port();
    } catch (...) {
        return 0;
    }
}

void VQEngineSession::PauseAll() {
    try {
        m_session->pause();
    } catch (...) {
    }
}

void VQEngineSession::ResumeAll() {
    try {
        m_session->resume();
    } catch (...) {
    }
}

IBTTask* VQEngineSession::Publish(lt::add_torrent_params atp, const std::string& recordPath, bool seedOnly,
                                  ITaskCallback* callback, std::string* error) {
    // Tasks wait for Start; the program, not the library's queue, decides
    // which of them run.
    atp.flags |= lt::torrent_flags::paused | lt::torrent_flags::duplicate_is_error;
    atp.flags &= ~lt::torrent_flags::auto_managed;
    std::shared_ptr<const lt::torrent_info> info = atp.ti;
    std::string savePath = atp.save_path;
    lt::error_code ec;
    lt::torrent_handle handle = m_session->add_torrent(std::move(atp), ec);
    if (ec || !handle.is_valid()) {
        SetError(error, ec ? ec.message() : std::string("the torrent could not be added"));
        return nullptr;
    }
    auto task = std::make_shared<VQEngineTask>(handle, info, savePath, recordPath, seedOnly);
    task->SetCallback(callback);
    std::lock_guard<std::mutex> hold(m_lock);
    m_tasks.push_back(task);
    return task.get();
}

IBTTask* VQEngineSession::AddTask(const BTOpenParams* params, ITaskCallback* callback, std::string* error) {
    try {
        if (!params || !params->saveFolder || !params->recordPath || !params->torrentBytes ||
            params->torrentLength == 0) {
            SetError(error, "incomplete open parameters");
            return nullptr;
        }
        std::vector<char> bytes(reinterpret_cast<const char*>(params->torrentBytes),
                                reinterpret_cast<const char*>(params->torrentBytes) + params->torrentLength);
        auto info = ParseTorrent(bytes, error);
        if (!info) return nullptr;
        std::string record = NormalisePath(AnsiToUtf8(params->recordPath));
        if (!WriteWholeFile(record, bytes.data(), bytes.size())) {
            SetError(error, "the record file could not be written");
            return nullptr;
        }
        lt::add_torrent_params atp = LoadResumeFile(record + ".resume", info);
        atp.save_path = NormalisePath(AnsiToUtf8(params->saveFolder));
        for (uint32_t i = 0; params->webSeeds && i < params->webSeedCount; ++i) {
            if (!params->webSeeds[i] || !*params->webSeeds[i]) continue;
            std::string url = AnsiToUtf8(params->webSeeds[i]);
            if (std::find(atp.url_seeds.begin(), atp.url_seeds.end(), url) == atp.url_seeds.end())
                atp.url_seeds.push_back(url);
        }
        return Publish(std::move(atp), record, params->seedOnly != 0, callback, error);
    } catch (const std::exception& e) {
        SetError(error, e.what());
        return nullptr;
    } catch (...) {
        SetError(error, "unexpected failure");
        return nullptr;
    }
}

bool VQEngineSession::ParseTorrentFile(const std::string& path, BTTorrentSummary* summary) {
    try {
        std::vector<char> bytes;
        if (!ReadWholeFile(NormalisePath(AnsiToUtf8(path)), &bytes)) return false;
        auto info = ParseTorrent(bytes, nullptr);
        if (!info) return false;
        if (summary) {
            *summary = BTTorrentSummary();
            summary->totalBytes = static_cast<uint64_t>(info->total_size());
            summary->fileCount = static_cast<uint32_t>(info->num_files());
            summary->pieceBytes = static_cast<uint32_t>(info->piece_length());
            lt::sha1_hash hash = info->info_hashes().get_best();
            std::copy(hash.begin(), hash.end(), summary->infoHash);
        }
        return true;
    } catch (...) {
        return false;
    }
}

IBTTask* VQEngineSession::OpenTaskFromTorrent(const std::string& path, uint32_t mode, ITaskCallback* callback,
                                              std::string* error) {
    try {
        std::string record = NormalisePath(AnsiToUtf8(path));
        std::vector<char> bytes;
        if (!ReadWholeFile(record, &bytes)) {
            SetError(error, "the torrent file could not be read");
            return nullptr;
        }
        auto info = ParseTorrent(bytes, error);
        if (!info) return nullptr;
        std::string folder = ParentFolder(record);
        if (folder.empty()) {
            SetError(error, "the torrent file has no folder");
            return nullptr;
        }
        lt::add_torrent_params atp = LoadResumeFile(record + ".resume", info);
        atp.save_path = folder;
        return Publish(std::move(atp), record, mode == kBTOpenSeed, callback, error);
    } catch (const std::exception& e) {
        SetError(error, e.what());
        return nullptr;
    } catch (...) {
        SetError(error, "unexpected failure");
        return nullptr;
    }
}

void VQEngineSession::ReleaseTask(IBTTask* task, uint32_t flags) {
    if (!task) return;
    std::shared_ptr<VQEngineTask> found;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        auto it = std::find_if(m_tasks.begin(), m_tasks.end(),
                               [task](const std::shared_ptr<VQEngineTask>& t) { return t.get() == task; });
        if (it == m_tasks.end()) return;
        found = *it;
        m_tasks.erase(it);
    }
    // Waits for a callback of the task in progress on the callback thread.
    found->MarkReleased();
    try {
        bool deleteFiles = flags == kBTReleaseDeleteFiles;
        std::shared_ptr<VQPendingDelete> pending;
        if (deleteFiles) {
            pending = std::make_shared<VQPendingDelete>();
            pending->hashes = found->Handle().info_hashes();
            std::lock_guard<std::mutex> hold(m_deleteLock);
            m_deletes.push_back(pending);
        }
        m_session->remove_torrent(found->Handle(), deleteFiles ? lt::session::delete_files : lt::remove_flags_t{});
        if (deleteFiles) {
            WaitForDelete(pending);
            DeleteFileIfThere(found->ResumePathUtf8());
            DeleteFileIfThere(found->RecordPathUtf8());
        }
    } catch (...) {
    }
}

void VQEngineSession::WaitForDelete(const std::shared_ptr<VQPendingDelete>& pending) {
    std::unique_lock<std::mutex> hold(m_deleteLock);
    // The report comes through the callback thread: called from a callback,
    // the deletion finishes after the return. A library that never reports
    // must not hold the caller for ever.
    if (std::this_thread::get_id() != m_thread.get_id())
        m_deleted.wait_for(hold, std::chrono::seconds(60), [&] { return pending->done; });
    m_deletes.erase(std::remove(m_deletes.begin(), m_deletes.end(), pending), m_deletes.end());
}

void VQEngineSession::FinishDelete(const lt::info_hash_t& hashes) {
    std::lock_guard<std::mutex> hold(m_deleteLock);
    for (auto& pending : m_deletes) {
        if (pending->hashes == hashes) pending->done = true;
    }
    m_deleted.notify_all();
}

void VQEngineSession::RemoveTaskByPath(const std::string& path, uint32_t flags) {
    try {
        std::string record = NormalisePath(AnsiToUtf8(path));
        IBTTask* open = nullptr;
        {
            std::lock_guard<std::mutex> hold(m_lock);
            for (auto& t : m_tasks) {
                if (SamePath(t->RecordPathUtf8(), record)) open = t.get();
            }
        }
        if (open) {
            ReleaseTask(open, flags);
            return;
        }
        if (flags != kBTReleaseDeleteFiles) return;
        std::vector<char> bytes;
        if (ReadWholeFile(record, &bytes)) {
            auto info = ParseTorrent(bytes, nullptr);
            std::string folder = ParentFolder(record);
            if (info && !folder.empty()) DeleteContentFiles(folder, *info);
        }
        DeleteFileIfThere(record + ".resume");
        DeleteFileIfThere(record);
    } catch (...) {
    }
}

std::shared_ptr<VQEngineTask> VQEngineSession::Find(const lt::torrent_handle& handle) {
    std::lock_guard<std::mutex> hold(m_lock);
    for (auto& t : m_tasks) {
        if (t->Handle() == handle) return t;
    }
    return nullptr;
}

std::vector<std::shared_ptr<VQEngineTask>> VQEngineSession::Snapshot() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_tasks;
}

void VQEngineSession::Run() {
    auto nextTimer = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_timerMs.load());
    while (!m_quit) {
        try {
            auto now = std::chrono::steady_clock::now();
            auto wait = std::min<std::chrono::steady_clock::duration>(
                std::chrono::milliseconds(100), std::max<std::chrono::steady_clock::duration>(nextTimer - now, {}));
            m_session->wait_for_alert(std::chrono::duration_cast<std::chrono::milliseconds>(wait));
            std::vector<lt::alert*> alerts;
            m_session->pop_alerts(&alerts);
            for (lt::alert* a : alerts) HandleAlert(a);
            if (std::chrono::steady_clock::now() >= nextTimer) {
                for (auto& task : Snapshot()) {
                    if (task->TakeFinishPending(true) && task->TakeFinished())
                        task->Dispatch([](ITaskCallback* cb) { cb->OnEvent(kBTEventFinished); });
                    task->Dispatch([](ITaskCallback* cb) { cb->OnTimer(); });
                }
                nextTimer = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_timerMs.load());
            }
        } catch (...) {
            // Keep the callback thread alive whatever one alert did.
        }
    }
}

void VQEngineSession::HandleAlert(lt::alert* a) {
    if (auto* ra = lt::alert_cast<lt::save_resume_data_alert>(a)) {
        auto task = Find(ra->handle);
        if (!task) return;
        std::vector<char> buf = lt::write_resume_data_buf(ra->params);
        WriteWholeFile(task->ResumePathUtf8(), buf.data(), buf.size());
        if (task->TakeStopPending()) task->Dispatch([](ITaskCallback* cb) { cb->OnStopped(); });
    } else if (auto* rf = lt::alert_cast<lt::save_resume_data_failed_alert>(a)) {
        auto task = Find(rf->handle);
        if (task && task->TakeStopPending()) task->Dispatch([](ITaskCallback* cb) { cb->OnStopped(); });
    } else if (auto* da = lt::alert_cast<lt::torrent_deleted_alert>(a)) {
        FinishDelete(da->info_hashes);
    } else if (auto* df = lt::alert_cast<lt::torrent_delete_failed_alert>(a)) {
        FinishDelete(df->info_hashes);
    } else if (auto* fa = lt::alert_cast<lt::torrent_finished_alert>(a)) {
        auto task = Find(fa->handle);
        if (!task) return;
        // The completion time goes into the resume file at once; the event
        // follows once the library has closed the files it wrote. Only
        // flush_cache reports that (cache_flushed_alert): the flag of
        // save_resume_data closes the files without a report, which left
        // the event to the next timer round, up to a second later.
        task->Handle().save_resume_data(lt::torrent_handle::flush_disk_cache);
        task->SetFinishPending();
        task->Handle().flush_cache();
    } else if (auto* cf = lt::alert_cast<lt::cache_flushed_alert>(a)) {
        auto task = Find(cf->handle);
        if (task && task->TakeFinishPending(false) && task->TakeFinished())
            task->Dispatch([](ITaskCallback* cb) { cb->OnEvent(kBTEventFinished); });
    } else if (auto* ca = lt::alert_cast<lt::torrent_checked_alert>(a)) {
        auto task = Find(ca->handle);
        if (!task) return;
        lt::torrent_status st = task->Handle().status({});
        bool complete = st.is_finished || st.is_seeding;
        if (task->SeedOnly() && !complete) {
            // A seed whose data is gone must not quietly download it again.
            task->SetError("the data of the seed is incomplete");
            task->Handle().pause();
            if (task->TakeFailed()) task->Dispatch([](ITaskCallback* cb) { cb->OnEvent(kBTEventFailed); });
        } else if (complete && task->TakeFinished()) {
            task->Dispatch([](ITaskCallback* cb) { cb->OnEvent(kBTEventFinished); });
        }
    } else if (auto* ea = lt::alert_cast<lt::torrent_error_alert>(a)) {
        auto task = Find(ea->handle);
        if (task && task->TakeFailed()) task->Dispatch([](ITaskCallback* cb) { cb->OnEvent(kBTEventFailed); });
    } else if (auto* fe = lt::alert_cast<lt::file_error_alert>(a)) {
        auto task = Find(fe->handle);
        if (task && task->TakeFailed()) task->Dispatch([](ITaskCallback* cb) { cb->OnEvent(kBTEventFailed); });
    } else if (auto* sc = lt::alert_cast<lt::state_changed_alert>(a)) {
        auto task = Find(sc->handle);
        if (!task) return;
        BTTaskStatus status;
        if (task->GetStatus(&status)) {
            uint32_t state = status.state;
            task->Dispatch([state](ITaskCallback* cb) { cb->OnValue(kBTValueState, state); });
        }
    }
}

}  // namespace Tessar
