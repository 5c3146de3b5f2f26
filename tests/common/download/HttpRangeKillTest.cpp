// Resume for real: a child process downloading a file is killed at several
// points; each new run goes on from the resume record it left, and the
// final file is the source byte for byte.
//
// The child is this test program itself, started with --vq-range-child;
// it downloads before gtest starts and exits with the end code.
#include "common/HttpRangeDownloader.h"
#include "common/Md5.h"
#include "common/NumberText.h"
#include "tests/common/download/DownloadTestSupport.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <shellapi.h>

namespace Tessar {
namespace Test {
namespace {

const wchar_t kChildFlag[] = L"--vq-range-child";

// Child: <flag> url target size md5 speed-limit-KB/s
DWORD RunChild(int argc, wchar_t** argv) {
    if (argc != 7)
        return 2;
    VQRemoteFileInfo info;
    info.downloadUrl = argv[2];
    std::wstring target = argv[3];
    info.fileSize = argv[4];
    info.md5 = argv[5];
    VQRecordingCallback callback;
    callback.speedLimitKb = static_cast<uint32_t>(StringToUInt64(argv[6]));
    HttpRangeDownloader downloader;
    std::wstring record = target + L".vql";
    if (downloader.ReadResumeRecord(record))
        return downloader.Resume(&callback, info, record);
    return downloader.Download(&callback, info, target);
}

struct ChildEntry {
    ChildEntry() {
        int argc = 0;
        wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
        if (argv != nullptr && argc >= 2 && wcscmp(argv[1], kChildFlag) == 0)
            ExitProcess(RunChild(argc, argv));
        LocalFree(argv);
    }
} g_childEntry;

bool StartChild(const std::vector<std::wstring>& args, PROCESS_INFORMATION& process) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" " + kChildFlag;
    for (const std::wstring& arg : args)
        command += L" \"" + arg + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(0);
    return CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process) !=
           FALSE;
}

TEST(HttpRangeResume, SurvivesTheDownloaderBeingKilled) {
    const size_t size = 6 * 1024 * 1024 + 5;
    const std::string content = MakeTestBytes(size, 21);
    VQWebRoot root;
    ASSERT_TRUE(root.WriteFile(L"big.bin", content));
    VQLocalServer nginx;
    ASSERT_TRUE(StartNginx(nginx, root));
    VQTempFolder temp;
    const std::wstring target = temp.PathOf(L"big.bin");
    const std::wstring record = target + L".vql";
    // 4,096 KB/s: each of the two ranges gets about 2 MiB a second and
    // saves its progress at every MiB.
    const std::vector<std::wstring> args = {nginx.Url(L"/big.bin"), target, UInt64ToString(size), Md5Of(content),
                                            L"4096"};

    // Killed once the record exists, then once it shows 1 MiB, then 3 MiB.
    const uint64_t killPoints[] = {0, 1024 * 1024, 3 * 1024 * 1024};
    uint64_t lastDone = 0;
    for (uint64_t point : killPoints) {
        PROCESS_INFORMATION child = {};
        ASSERT_TRUE(StartChild(args, child)) << point;
        bool reached = false;
        bool exited = false;
        for (int step = 0; step < 1000 && !reached && !exited; ++step) {
            HttpRangeDownloader watcher;
            reached = watcher.ReadResumeRecord(record) && watcher.GetBytesDone() >= point &&
                      watcher.GetBytesDone() >= lastDone;
            if (!reached)
                exited = WaitForSingleObject(child.hProcess, 20) == WAIT_OBJECT_0;
        }
        TerminateProcess(child.hProcess, 99);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.hProcess, 10000));
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
        ASSERT_TRUE(reached) << "the child never got to " << point;
        ASSERT_FALSE(FileIsThere(target)) << "the child finished before " << point;

        // What the record calls done is in the data file.
        HttpRangeDownloader reader;
        ASSERT_TRUE(reader.ReadResumeRecord(record));
        EXPECT_GE(reader.GetBytesDone(), point);
        EXPECT_GE(reader.GetBytesDone(), lastDone);
        lastDone = reader.GetBytesDone();
        std::string data = ReadWholeFile(target + L".vqt");
        ASSERT_EQ(size, data.size());
        for (const VQRangeRecord& range : reader.GetRanges()) {
            size_t done = static_cast<size_t>(range.length - range.remaining);
            EXPECT_TRUE(content.compare(range.first, done, data, range.first, done) == 0) << point;
        }
    }

    // The last run, here and without a limit, fetches only what is missing.
    HttpRangeDownloader downloader;
    ASSERT_TRUE(downloader.ReadResumeRecord(record));
    uint64_t done = downloader.GetBytesDone();
    VQRecordingCallback callback;
    VQRemoteFileInfo info = MakeInfo(args[0], content);
    ASSERT_EQ(0u, downloader.Resume(&callback, info, record));
    EXPECT_EQ(size - done, callback.added.load());
    EXPECT_EQ(Md5Of(content), Md5OfFile(target));
    EXPECT_FALSE(FileIsThere(target + L".vqt"));
    EXPECT_FALSE(FileIsThere(record));
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
