// The range downloader against a server that gets things wrong on purpose
// (tests/support/servers/range_fault_server.py): what a range reply must
// be, retries, the spare URL, the size query and cancelling.
#include "common/DownloadEndCodes.h"
#include "common/HttpRangeDownloader.h"
#include "common/HttpRequest.h"
#include "common/Md5.h"
#include "tests/common/download/DownloadTestSupport.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>

namespace Tessar {
namespace Test {
namespace {

const size_t kFileSize = 1024 * 1024 + 77;
const size_t kSpareSize = 700 * 1000;

class HttpRangeFaults : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root_.reset(new VQWebRoot);
        content_ = MakeTestBytes(kFileSize, 11);
        ASSERT_TRUE(root_->WriteFile(L"game.bin", content_));
        ASSERT_TRUE(root_->WriteFile(L"spare.bin", content_));
        ASSERT_TRUE(root_->WriteFile(L"other.bin", MakeTestBytes(kSpareSize, 12)));
        server_.reset(new VQLocalServer);
        ASSERT_TRUE(StartFaultServer(*server_, *root_));
    }
    static void TearDownTestSuite() {
        server_.reset();
        root_.reset();
    }

    // Every URL gets a tag of its own, so that the server's fault counters
    // of one case never carry over to another.
    std::wstring Url(const std::wstring& mode, const std::wstring& file = L"game.bin") {
        static int tag = 0;
        return server_->Url(L"/t" + std::to_wstring(++tag) + L"/" + mode + L"/" + file);
    }

    static std::unique_ptr<VQWebRoot> root_;
    static std::unique_ptr<VQLocalServer> server_;
    static std::string content_;
    VQTempFolder temp_;
};

std::unique_ptr<VQWebRoot> HttpRangeFaults::root_;
std::unique_ptr<VQLocalServer> HttpRangeFaults::server_;
std::string HttpRangeFaults::content_;

TEST_F(HttpRangeFaults, RangesRecoverFromPassingFaults) {
    struct Case {
        const wchar_t* mode;  // fault mode and how many range requests it hits
    } cases[] = {
        {L"ignore-range/2"}, {L"cut/3"},          {L"drop/2"},          {L"wrong-range/2"},
        {L"overlong/2"},     {L"range-500/2"},    {L"range-404/1"},     {L"range-416/1"},
        {L"stall/1"},        {L"split-header/0"}, {L"long-header/0"},    {L"identity-chunked/2"},
        {L"gzip/2"},
    };
    for (const Case& c : cases) {
        std::string name(c.mode, c.mode + wcslen(c.mode));
        std::wstring target = temp_.PathOf(L"game.bin");
        VQRecordingCallback callback;
        HttpRangeDownloader downloader;
        downloader.SetSocketTimeout(1500);  // lets the stalled range give up soon
        ASSERT_EQ(0u, downloader.Download(&callback, MakeInfo(Url(c.mode), content_), target)) << name;
        EXPECT_EQ(0u, downloader.GetFailureDetail()) << name;
        EXPECT_EQ(Md5Of(content_), Md5OfFile(target)) << name;
        EXPECT_FALSE(FileIsThere(target + L".vql")) << name;
        DeleteFileW(target.c_str());
    }
}

TEST_F(HttpRangeFaults, RepliesThatAreNotTheRangeAreNeverWritten) {
    // Every range request gets a wrong reply (also one whose body is chunk
    // framed or compressed behind a head that names the right bytes): after
    // six restarts per range the run fails, and not one byte of those
    // replies reached the data file, whose record still says nothing is done.
    const wchar_t* modes[] = {L"ignore-range/all", L"wrong-range/all", L"range-500/all", L"range-206/all",
                              L"identity-chunked/all", L"gzip/all"};
    for (const wchar_t* mode : modes) {
        std::string name(mode, mode + wcslen(mode));
        std::wstring target = temp_.PathOf(L"never.bin");
        VQRecordingCallback callback;
        HttpRangeDownloader downloader;
        EXPECT_EQ(kDownloadRangeFailed, downloader.Download(&callback, MakeInfo(Url(mode), content_), target))
            << name;
        // What the message of the end shows: the reply was no usable range.
        EXPECT_EQ(kRangeReplyUnusable, downloader.GetFailureDetail()) << name;
        EXPECT_EQ(std::string(kFileSize, '\0'), ReadWholeFile(target + L".vqt")) << name;
        VQRecordImage image = ReadRecordImage(target + L".vql");
        ASSERT_TRUE(image.read) << name;
        ASSERT_EQ(2u, image.ranges.size()) << name;
        for (const VQRangeRecord& range : image.ranges)
            EXPECT_EQ(range.length, range.remaining) << name;
        EXPECT_EQ(0u, callback.added.load()) << name;
        EXPECT_FALSE(FileIsThere(target)) << name;
    }
}

TEST_F(HttpRangeFaults, ACutShortRangeKeepsWhatItGot) {
    // Each reply brings half of what is asked: the record follows every
    // piece, so each restart asks only for the rest; after the seventh try
    // the run ends, and what the record calls done is the file's bytes.
    std::wstring target = temp_.PathOf(L"cut.bin");
    VQRecordingCallback callback;
    HttpRangeDownloader downloader;
    EXPECT_EQ(kDownloadRangeFailed, downloader.Download(&callback, MakeInfo(Url(L"cut/all"), content_), target));
    EXPECT_NE(0u, downloader.GetFailureDetail());
    HttpRangeDownloader reader;
    ASSERT_TRUE(reader.ReadResumeRecord(target + L".vql"));
    std::vector<VQRangeRecord> ranges = reader.GetRanges();
    ASSERT_EQ(2u, ranges.size());
    std::string data = ReadWholeFile(target + L".vqt");
    ASSERT_EQ(kFileSize, data.size());
    // The range that failed for the seventh time ended the run with exactly
    // seven halves; the other one was stopped wherever it was (how far it
    // got depends on scheduling), but never beyond seven halves.
    int ended = 0;
    for (const VQRangeRecord& range : ranges) {
        uint64_t done = range.length - range.remaining;
        uint64_t left = range.length;
        for (int attempt = 0; attempt < 7; ++attempt)
            left -= left / 2;
        EXPECT_LE(done, range.length - left);
        ended += done == range.length - left;
        EXPECT_EQ(content_.substr(range.first, done), data.substr(range.first, done));
    }
    EXPECT_GE(ended, 1);
    EXPECT_EQ(reader.GetBytesDone(), callback.added.load());
}

TEST_F(HttpRangeFaults, SizeQueryFailsOnEveryStatusOutside2xx) {
    const wchar_t* modes[] = {L"status-301/0", L"status-302/0", L"status-403/0", L"status-404/0",
                              L"status-500/0", L"status-503/0", L"stall-all/0"};
    for (const wchar_t* mode : modes) {
        std::string name(mode, mode + wcslen(mode));
        std::wstring target = temp_.PathOf(L"status.bin");
        VQRecordingCallback callback;
        HttpRangeDownloader downloader;
        downloader.SetSocketTimeout(1000);
        EXPECT_EQ(kDownloadSizeQueryFailed, downloader.Download(&callback, MakeInfo(Url(mode), content_), target))
            << name;
        EXPECT_FALSE(FileIsThere(target + L".vqt")) << name;
        EXPECT_FALSE(FileIsThere(target + L".vql")) << name;
    }
}

TEST_F(HttpRangeFaults, SpareUrl) {
    struct Case {
        const char* name;
        std::wstring url;
        std::wstring spare;
        uint32_t result;
    } cases[] = {
        // The size query of the URL fails: the spare serves the download.
        {"url missing", Url(L"status-404/0"), Url(L"ok/0", L"spare.bin"), 0},
        {"url and spare missing", Url(L"status-404/0"), Url(L"status-500/0"), kDownloadSizeQueryFailed},
        {"spare of another size", Url(L"status-500/0"), Url(L"ok/0", L"other.bin"), kDownloadSizeMismatch},
        // A range failing for the fourth time switches to the spare.
        {"ranges fail, spare serves", Url(L"range-500/all"), Url(L"ok/0", L"spare.bin"), 0},
        {"ranges fail, spare of another size", Url(L"range-500/all"), Url(L"ok/0", L"other.bin"),
         kDownloadRangeFailed},
        {"ranges fail, spare missing", Url(L"range-500/all"), Url(L"status-404/0"), kDownloadSizeQueryFailed},
        {"ranges fail, no spare", Url(L"range-500/all"), L"", kDownloadRangeFailed},
        {"bad spare", Url(L"ok/0"), L"http://127.0.0.1", kDownloadBadUrl},
        {"bad url", L"nothing", L"", kDownloadBadUrl},
    };
    for (const Case& c : cases) {
        std::wstring target = temp_.PathOf(L"spare-case.bin");
        VQRecordingCallback callback;
        HttpRangeDownloader downloader;
        EXPECT_EQ(c.result, downloader.Download(&callback, MakeInfo(c.url, content_, c.spare), target)) << c.name;
        if (c.result == 0) {
            EXPECT_EQ(Md5Of(content_), Md5OfFile(target)) << c.name;
        }
        DeleteFileW(target.c_str());
    }
}

TEST_F(HttpRangeFaults, CancelDuringTheSizeQuery) {
    std::wstring target = temp_.PathOf(L"cancel.bin");
    VQRecordingCallback callback;
    callback.cancelAtTick = GetTickCount() + 500;
    HttpRangeDownloader downloader;
    EXPECT_EQ(kDownloadCancelled, downloader.Download(&callback, MakeInfo(Url(L"stall-all/0"), content_), target));
    DWORD late = GetTickCount() - callback.cancelAtTick.load();
    EXPECT_LT(late, 1000u);
    EXPECT_FALSE(FileIsThere(target + L".vqt"));
}

TEST_F(HttpRangeFaults, CancelWhileRangesStallKeepsTheirProgress) {
    // Each range gets 64 KiB and then silence; the cancel wakes the
    // blocked workers, which save what they have.
    std::wstring target = temp_.PathOf(L"stalled.bin");
    VQRecordingCallback callback;
    HttpRangeDownloader downloader;
    std::wstring url = Url(L"stall/all");
    callback.cancelAtTick = GetTickCount() + 1500;
    EXPECT_EQ(kDownloadCancelled, downloader.Download(&callback, MakeInfo(url, content_), target));
    DWORD late = GetTickCount() - callback.cancelAtTick.load();
    EXPECT_LT(late, 1000u);

    HttpRangeDownloader reader;
    ASSERT_TRUE(reader.ReadResumeRecord(target + L".vql"));
    EXPECT_EQ(2u * 65536, reader.GetBytesDone());
    std::string data = ReadWholeFile(target + L".vqt");
    for (const VQRangeRecord& range : reader.GetRanges())
        EXPECT_EQ(content_.substr(range.first, 65536), data.substr(range.first, 65536));

    // The same download goes on from there once the server behaves.
    std::wstring good = Url(L"ok/0");
    std::wstring host, path;
    uint16_t port = 80;
    ASSERT_TRUE(SplitHttpUrl(good.c_str(), host, port, path));
    VQRecordImage image = ReadRecordImage(target + L".vql");
    ASSERT_TRUE(SetRecordText(image.head.path, path));
    ASSERT_EQ(0u, CreateResumeRecordFile(target + L".vql", image.head, image.ranges));
    VQRecordingCallback resumed;
    ASSERT_TRUE(reader.ReadResumeRecord(target + L".vql"));
    ASSERT_EQ(0u, reader.Resume(&resumed, MakeInfo(good, content_), target + L".vql"));
    EXPECT_EQ(kFileSize - 2 * 65536, resumed.added.load());
    EXPECT_EQ(Md5Of(content_), Md5OfFile(target));
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
