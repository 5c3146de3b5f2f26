// Peer-to-peer download of a 1 GiB torrent on 127.0.0.1 from one aria2c
// seeder found through the small test tracker: aria2c downloading it (the
// reference) beside our engine downloading it through the program's
// peer-to-peer task, in the same run.
//
// Needs VQ_SOURCE_DIR and VQ_BINARY_DIR (scripts/bench sets them), aria2c
// and python3 (scripts/setup installs them), and Tarnwick.dll beside it.
#include "VQCore/download/BTManager.h"
#include "VQCore/download/BTTask.h"
#include "VQCore/download/DownloadQueue.h"
#include "bench/BenchClock.h"
#include "common/CodePage.h"
#include "common/ServerAddresses.h"
#include "common/Singleton.h"
#include "tests/support/TorrentSwarm.h"
#include "tests/support/UpdateServer.h"
#include "tests/support/WebRoot.h"

#include <windows.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>

using namespace Tessar;
using namespace Tessar::Test;

namespace {

const uint64_t kGameBytes = 1ull << 30;
const size_t kChunk = 4u << 20;
const uint32_t kGameId = 777;

bool WriteBigFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    for (uint64_t done = 0; ok && done < kGameBytes; done += kChunk) {
        std::string chunk = MakeTestBytes(kChunk, static_cast<uint32_t>(done / kChunk) + 1);
        DWORD written = 0;
        ok = WriteFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &written, nullptr) &&
             written == chunk.size();
    }
    CloseHandle(file);
    return ok;
}

// Waits for the task's end event.
class VQEndWaiter : public VQDownloadMessage {
public:
    void OnDownloadMessage(uint32_t code, const VQDownloadMessageInfo* info) override {
        if (code != kDownloadEventEnd)
            return;
        std::lock_guard<std::mutex> hold(m_lock);
        m_ended = true;
        m_code = static_cast<uint32_t>(info->value);
        m_changed.notify_all();
    }
    bool Wait(unsigned timeoutMs, uint32_t* code) {
        std::unique_lock<std::mutex> hold(m_lock);
        bool ended = m_changed.wait_for(hold, std::chrono::milliseconds(timeoutMs), [this] { return m_ended; });
        *code = m_code;
        return ended;
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_ended = false;
    uint32_t m_code = 0;
};

double MegabytesPerSecond(double ms) {
    return ms > 0 ? kGameBytes / (1024.0 * 1024.0) / (ms / 1000.0) : 0.0;
}

}  // namespace

int main() {
    if (SourceDirUnix().empty() || BinaryDirUnix().empty()) {
        fprintf(stderr, "VQ_SOURCE_DIR and VQ_BINARY_DIR must name the source and build folders\n");
        return 1;
    }
    VQWebRoot root;
    CreateDirectoryW(root.WindowsPath(L"seed").c_str(), nullptr);
    CreateDirectoryW(root.WindowsPath(L"seed\\big").c_str(), nullptr);
    if (!WriteBigFile(root.WindowsPath(L"seed\\big\\game.bin"))) {
        fprintf(stderr, "cannot write the 1 GiB source file\n");
        return 1;
    }
    CreateDirectoryW(root.WindowsPath(L"srv").c_str(), nullptr);
    CreateDirectoryW(root.WindowsPath(L"ref").c_str(), nullptr);
    CreateDirectoryW(root.WindowsPath(L"down").c_str(), nullptr);
    VQTracker tracker;
    if (!tracker.Start() || !MakeTorrent(root.WindowsPath(L"seed\\big"), root.WindowsPath(L"srv\\big.torrent"),
                                         tracker.AnnounceUrl(), {}, 1u << 20, 600000)) {
        fprintf(stderr, "tracker or torrent failed\n");
        return 1;
    }
    VQAria2Peer seeder;
    if (!seeder.StartSeed(root.WindowsPath(L"srv\\big.torrent"), root.WindowsPath(L"seed"))) {
        fprintf(stderr, "the aria2c seeder did not start\n");
        return 1;
    }

    // Reference: aria2c from the aria2c seeder.
    VQAria2Peer fetcher;
    double start = Bench::NowMs();
    if (!fetcher.StartFetch(root.WindowsPath(L"srv\\big.torrent"), root.WindowsPath(L"ref"))) {
        fprintf(stderr, "the aria2c fetcher did not start\n");
        return 1;
    }
    int exitCode = fetcher.WaitFetch(600000);
    double aria2Ms = Bench::NowMs() - start;
    fetcher.Stop();
    if (exitCode != 0) {
        fprintf(stderr, "aria2c failed: exit code %d\n", exitCode);
        return 1;
    }
    DeleteFileW(root.WindowsPath(L"ref\\big\\game.bin").c_str());

    // Ours: the program's peer-to-peer task, the information and torrent
    // from the update server, the bytes from the same seeder.
    std::string info =
        "<?xml version=\"1.0\"?>\n<FILE><DownloadType>2</DownloadType>"
        "<DownloadUrl>http://127.0.0.1:9/none/</DownloadUrl><Md5>{md5:big.torrent}</Md5>"
        "<FileSize>{size:big.torrent}</FileSize><FileName>big</FileName>"
        "<TorrentUrl>{base}/files/big.torrent</TorrentUrl></FILE>\n";
    CreateDirectoryW(root.WindowsPath(L"srv\\query_url").c_str(), nullptr);
    VQUpdateServer update;
    if (!root.WriteFile(L"srv\\query_url\\00777.xml", info) || !update.Start(root.WindowsPath(L"srv")) ||
        !SetServerAddress(kUpdateServer, update.Url(L""))) {
        fprintf(stderr, "the update server did not start\n");
        return 1;
    }
    VQBTManager& manager = VQSingleton<VQBTManager>::Instance();
    if (!manager.Init(root.WindowsPath(L"down"), 2)) {
        fprintf(stderr, "no engine session (Tarnwick.dll beside the program?)\n");
        return 1;
    }
    uint32_t code = ~0u;
    double oursMs = 0;
    {
        VQEndWaiter waiter;
        VQDownloadQueue queue(&waiter, 1, 0);
        VQBTTask* task = new VQBTTask(kGameId, root.WindowsPath(L"down"), L"");
        queue.Add(task);
        start = Bench::NowMs();
        queue.StartNext(task);
        bool ended = waiter.Wait(600000, &code);
        oursMs = Bench::NowMs() - start;
        if (!ended || code != 0) {
            fprintf(stderr, "our download failed: end code 0x%08X\n", code);
            return 1;
        }
    }
    manager.Shutdown();
    update.Stop();
    seeder.Stop();
    tracker.Stop();

    double ours = MegabytesPerSecond(oursMs), aria2 = MegabytesPerSecond(aria2Ms);
    Bench::PrintGoalLine("peer-to-peer download of 1 GiB on loopback from an aria2c seeder", ours,
                         "aria2c from the same seeder", aria2, "MB/s", Bench::RatioAtLeast(1.1));
    return 0;
}
