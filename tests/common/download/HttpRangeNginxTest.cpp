// The range downloader against nginx on 127.0.0.1: range replies and
// keep-alive connections as a real server gives them.
#include "common/DownloadEndCodes.h"
#include "common/HttpRangeDownloader.h"
#include "common/Md5.h"
#include "tests/common/download/DownloadTestSupport.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace Tessar {
namespace Test {
namespace {

const size_t kFileSize = 4 * 1024 * 1024 + 123;
const size_t kOtherSize = 300 * 1000;

class HttpRangeNginx : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root_.reset(new VQWebRoot);
        content_ = MakeTestBytes(kFileSize, 1);
        ASSERT_TRUE(root_->WriteFile(L"game.bin", content_));
        ASSERT_TRUE(root_->WriteFile(L"other.bin", MakeTestBytes(kOtherSize, 2)));
        server_.reset(new VQLocalServer);
        ASSERT_TRUE(StartNginx(*server_, *root_));
    }
    static void TearDownTestSuite() {
        server_.reset();
        root_.reset();
    }

    std::wstring Url(const std::wstring& name) const { return server_->Url(L"/" + name); }

    static std::unique_ptr<VQWebRoot> root_;
    static std::unique_ptr<VQLocalServer> server_;
    static std::string content_;
    VQTempFolder temp_;
};

std::unique_ptr<VQWebRoot> HttpRangeNginx::root_;
std::unique_ptr<VQLocalServer> HttpRangeNginx::server_;
std::string HttpRangeNginx::content_;

TEST_F(HttpRangeNginx, FreshDownloadFetchesTheWholeFileAndTidiesUp) {
    std::wstring target = temp_.PathOf(L"sub\\folder\\game.bin");
    VQRecordingCallback callback;
    HttpRangeDownloader downloader;
    DWORD start = GetTickCount();
    ASSERT_EQ(0u, downloader.Download(&callback, MakeInfo(Url(L"game.bin"), content_), target));
    // nginx keeps the connections open for 60 s: a worker must stop at
    // its last byte, not wait for the close.
    EXPECT_LT(GetTickCount() - start, 20000u);

    EXPECT_EQ(Md5Of(content_), Md5OfFile(target));
    EXPECT_FALSE(FileIsThere(target + L".vqt"));
    EXPECT_FALSE(FileIsThere(target + L".vql"));
    EXPECT_EQ(kFileSize, callback.added.load());
    EXPECT_EQ((std::vector<uint64_t>{0}), callback.Resets());
    EXPECT_EQ((std::vector<uint64_t>{0, kFileSize}), callback.TotalSizes());
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 3}), callback.Stages());
    EXPECT_EQ(target, callback.setupPath);
    EXPECT_EQ(target + L".vqt", callback.tempPath);
    EXPECT_EQ(target + L".vql", callback.logPath);
    EXPECT_EQ(kFileSize, downloader.GetTotalSize());
    // The file's MD5 was taken as the ranges arrived.
    EXPECT_EQ(Md5Of(content_), downloader.GetFileMd5());

    // Without an MD5 in the information nothing is hashed.
    VQRemoteFileInfo plain = MakeInfo(Url(L"game.bin"), content_);
    plain.md5.clear();
    VQRecordingCallback again;
    ASSERT_EQ(0u, downloader.Download(&again, plain, temp_.PathOf(L"plain.bin")));
    EXPECT_TRUE(downloader.GetFileMd5().empty());
}

TEST_F(HttpRangeNginx, ResumeFetchesOnlyWhatTheRecordLacks) {
    // A record of five ranges in every state: untouched, partly done and
    // complete. What the record calls done is in the data file; the rest
    // is junk that the resumed run must overwrite.
    std::wstring target = temp_.PathOf(L"game.bin");
    VQResumeHead head;
    ResetResumeHead(head);
    ASSERT_TRUE(SetRecordText(head.host, L"127.0.0.1"));
    ASSERT_TRUE(SetRecordText(head.path, L"/game.bin"));
    head.port = server_->Port();
    ASSERT_TRUE(SetRecordText(head.targetPath, target));
    ASSERT_TRUE(SetRecordText(head.dataPath, target + L".vqt"));
    ASSERT_TRUE(SetRecordText(head.recordPath, target + L".vql"));
    ASSERT_TRUE(SetRecordText(head.md5, Md5Of(content_)));
    head.totalSize = kFileSize;
    head.rangeCount = 5;
    std::vector<VQRangeRecord> ranges;
    SplitIntoRanges(kFileSize, 5, ranges);
    const uint64_t doneIn[5] = {0, 1, 300000, ranges[3].length, ranges[4].length - 1};
    std::string data(kFileSize, '\xCC');
    uint64_t done = 0;
    for (int i = 0; i < 5; ++i) {
        ranges[i].position = ranges[i].first + doneIn[i];
        ranges[i].remaining = ranges[i].length - doneIn[i];
        data.replace(ranges[i].first, doneIn[i], content_, ranges[i].first, doneIn[i]);
        done += doneIn[i];
    }
    ASSERT_TRUE(WriteWholeFile(target + L".vqt", data));
    ASSERT_EQ(0u, CreateResumeRecordFile(target + L".vql", head, ranges));

    HttpRangeDownloader downloader;
    ASSERT_TRUE(downloader.ReadResumeRecord(target + L".vql"));
    EXPECT_EQ(done, downloader.GetBytesDone());
    VQRecordingCallback callback;
    ASSERT_EQ(0u, downloader.Resume(&callback, MakeInfo(Url(L"game.bin"), content_), target + L".vql"));

    EXPECT_EQ(Md5Of(content_), Md5OfFile(target));
    // Hashed from the start up to the first byte no range had yet: the
    // junk of the unfetched parts never entered the digest.
    EXPECT_EQ(Md5Of(content_), downloader.GetFileMd5());
    EXPECT_EQ(kFileSize - done, callback.added.load());
    EXPECT_EQ((std::vector<uint64_t>{done}), callback.Resets());
    EXPECT_FALSE(FileIsThere(target + L".vqt"));
    EXPECT_FALSE(FileIsThere(target + L".vql"));
}

TEST_F(HttpRangeNginx, ResumeStartsAfreshWhenTheSourceNowHoldsAnotherFile) {
    // The record's URL serves a file of another size and there is no
    // spare: the record is given up for a fresh download of the info.
    std::wstring target = temp_.PathOf(L"game.bin");
    HttpRangeDownloader first;
    VQRecordingCallback stopper;
    stopper.cancelAfterBytes = 1;
    ASSERT_EQ(kDownloadCancelled, first.Download(&stopper, MakeInfo(Url(L"game.bin"), content_), target));

    // Point the kept record at the other file.
    VQRecordImage image = ReadRecordImage(target + L".vql");
    ASSERT_TRUE(image.read);
    ASSERT_TRUE(SetRecordText(image.head.path, L"/other.bin"));
    ASSERT_EQ(0u, CreateResumeRecordFile(target + L".vql", image.head, image.ranges));

    HttpRangeDownloader downloader;
    ASSERT_TRUE(downloader.ReadResumeRecord(target + L".vql"));
    VQRecordingCallback callback;
    ASSERT_EQ(0u, downloader.Resume(&callback, MakeInfo(Url(L"game.bin"), content_), target + L".vql"));
    EXPECT_EQ(Md5Of(content_), Md5OfFile(target));
    EXPECT_EQ(kFileSize, callback.added.load());
    // The fresh download starts its counters at 0 again.
    std::vector<uint64_t> resets = callback.Resets();
    ASSERT_EQ(2u, resets.size());
    EXPECT_EQ(0u, resets[1]);
}

TEST_F(HttpRangeNginx, ResumeTakesTheSpareWhenTheUrlNowHoldsAnotherFile) {
    std::wstring target = temp_.PathOf(L"game.bin");
    HttpRangeDownloader first;
    VQRecordingCallback stopper;
    stopper.cancelAfterBytes = 2 * 1024 * 1024;
    ASSERT_EQ(kDownloadCancelled, first.Download(&stopper, MakeInfo(Url(L"game.bin"), content_), target));

    VQRecordImage image = ReadRecordImage(target + L".vql");
    ASSERT_TRUE(image.read);
    ASSERT_TRUE(SetRecordText(image.head.path, L"/other.bin"));
    ASSERT_TRUE(SetRecordText(image.head.spareHost, L"127.0.0.1"));
    ASSERT_TRUE(SetRecordText(image.head.sparePath, L"/game.bin"));
    image.head.sparePort = server_->Port();
    ASSERT_EQ(0u, CreateResumeRecordFile(target + L".vql", image.head, image.ranges));

    HttpRangeDownloader downloader;
    ASSERT_TRUE(downloader.ReadResumeRecord(target + L".vql"));
    uint64_t done = downloader.GetBytesDone();
    EXPECT_GT(done, 0u);
    VQRecordingCallback callback;
    ASSERT_EQ(0u, downloader.Resume(&callback, MakeInfo(Url(L"game.bin"), content_), target + L".vql"));
    EXPECT_EQ(Md5Of(content_), Md5OfFile(target));
    // Hashed from the start up to the first byte no range had yet: the
    // junk of the unfetched parts never entered the digest.
    EXPECT_EQ(Md5Of(content_), downloader.GetFileMd5());
    EXPECT_EQ(kFileSize - done, callback.added.load());
}

TEST_F(HttpRangeNginx, ResumeWithoutTheDataFileStartsAfresh) {
    // The record alone cannot be resumed: its progress lived in the data
    // file.
    std::wstring target = temp_.PathOf(L"game.bin");
    HttpRangeDownloader first;
    VQRecordingCallback stopper;
    stopper.cancelAfterBytes = 2 * 1024 * 1024;
    ASSERT_EQ(kDownloadCancelled, first.Download(&stopper, MakeInfo(Url(L"game.bin"), content_), target));
    ASSERT_TRUE(DeleteFileW((target + L".vqt").c_str()));

    HttpRangeDownloader downloader;
    ASSERT_TRUE(downloader.ReadResumeRecord(target + L".vql"));
    EXPECT_GT(downloader.GetBytesDone(), 0u);
    VQRecordingCallback callback;
    ASSERT_EQ(0u, downloader.Resume(&callback, MakeInfo(Url(L"game.bin"), content_), target + L".vql"));
    EXPECT_EQ(kFileSize, callback.added.load());
    EXPECT_EQ(Md5Of(content_), Md5OfFile(target));
}

TEST_F(HttpRangeNginx, FilesThatCannotBeMadeGiveTheSystemError) {
    std::wstring blocked = temp_.PathOf(L"blocked.bin");
    ASSERT_TRUE(CreateDirectoryW((blocked + L".vqt").c_str(), nullptr));
    std::wstring recordBlocked = temp_.PathOf(L"record-blocked.bin");
    ASSERT_TRUE(CreateDirectoryW((recordBlocked + L".vql").c_str(), nullptr));
    struct Case {
        const char* name;
        std::wstring target;
        uint32_t result;
    } cases[] = {
        {"data file is a folder", blocked, ERROR_ACCESS_DENIED},
        {"record is a folder", recordBlocked, ERROR_ACCESS_DENIED},
        // The record keeps paths of at most 260 characters.
        {"path too long for the record", temp_.PathOf(std::wstring(240, L'n')), ERROR_FILENAME_EXCED_RANGE},
    };
    for (const Case& c : cases) {
        VQRecordingCallback callback;
        HttpRangeDownloader downloader;
        EXPECT_EQ(c.result, downloader.Download(&callback, MakeInfo(Url(L"game.bin"), content_), c.target))
            << c.name;
        EXPECT_FALSE(FileIsThere(c.target)) << c.name;
    }
}

TEST_F(HttpRangeNginx, ExpectedSizeMustMatchTheServer) {
    struct Case {
        const char* name;
        const wchar_t* fileSize;
    } cases[] = {
        {"larger", L"4194420"},
        {"negative", L"-5"},
    };
    for (const Case& c : cases) {
        std::wstring target = temp_.PathOf(L"sized.bin");
        VQRemoteFileInfo info = MakeInfo(Url(L"game.bin"), content_);
        info.fileSize = c.fileSize;
        VQRecordingCallback callback;
        HttpRangeDownloader downloader;
        EXPECT_EQ(kDownloadSizeMismatch, downloader.Download(&callback, info, target)) << c.name;
        EXPECT_FALSE(FileIsThere(target + L".vqt")) << c.name;
        EXPECT_FALSE(FileIsThere(target + L".vql")) << c.name;
    }
    // No size in the information: whatever the server says is taken.
    VQRemoteFileInfo info = MakeInfo(Url(L"other.bin"), std::string());
    info.fileSize.clear();
    VQRecordingCallback callback;
    HttpRangeDownloader downloader;
    EXPECT_EQ(0u, downloader.Download(&callback, info, temp_.PathOf(L"other.bin")));
    EXPECT_EQ(Md5Of(MakeTestBytes(kOtherSize, 2)), Md5OfFile(temp_.PathOf(L"other.bin")));
}

TEST_F(HttpRangeNginx, SpeedLimitIsSharedByTheRanges) {
    // 512 KiB at 256 KB/s, 128 KB/s for each of the two ranges: a range
    // may take a second's share at once, so at least about a second.
    const size_t size = 512 * 1024;
    std::string content = content_.substr(0, size);
    ASSERT_TRUE(root_->WriteFile(L"limited.bin", content));
    VQRecordingCallback callback;
    callback.speedLimitKb = 256;
    HttpRangeDownloader downloader;
    DWORD start = GetTickCount();
    ASSERT_EQ(0u, downloader.Download(&callback, MakeInfo(Url(L"limited.bin"), content), temp_.PathOf(L"l.bin")));
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 1000u);
    EXPECT_LT(elapsed, 15000u);
    EXPECT_GT(callback.speedLimitAsks.load(), 0u);
    EXPECT_EQ(Md5Of(content), Md5OfFile(temp_.PathOf(L"l.bin")));

    VQRecordingCallback unlimited;
    start = GetTickCount();
    ASSERT_EQ(0u, downloader.Download(&unlimited, MakeInfo(Url(L"limited.bin"), content), temp_.PathOf(L"u.bin")));
    EXPECT_LT(GetTickCount() - start, 1000u);
}

TEST_F(HttpRangeNginx, AFreshDownloadSplitsIntoTheRangeCountSet) {
    struct Case {
        uint32_t count;
        bool taken;
        uint32_t ranges;  // in the record of a download cut short
    } cases[] = {{4, true, 4}, {1, true, 1}, {0, false, 2}, {kMaxRangeCount + 1, false, 2}, {kMaxRangeCount, true, 64}};
    for (const Case& c : cases) {
        std::wstring target = temp_.PathOf(L"split.bin");
        HttpRangeDownloader downloader;
        EXPECT_EQ(c.taken, downloader.SetRangeCount(c.count)) << c.count;
        VQRecordingCallback callback;
        callback.cancelAfterBytes = 1;
        EXPECT_EQ(kDownloadCancelled, downloader.Download(&callback, MakeInfo(Url(L"game.bin"), content_), target))
            << c.count;
        VQRecordImage image = ReadRecordImage(target + L".vql");
        ASSERT_TRUE(image.read) << c.count;
        EXPECT_EQ(c.ranges, image.head.rangeCount) << c.count;
        EXPECT_EQ(c.ranges, image.ranges.size()) << c.count;

        // The same downloader then fetches the whole file in that many ranges.
        VQRecordingCallback whole;
        ASSERT_EQ(0u, downloader.Download(&whole, MakeInfo(Url(L"game.bin"), content_), target)) << c.count;
        EXPECT_EQ(Md5Of(content_), Md5OfFile(target)) << c.count;
        EXPECT_EQ(c.ranges, downloader.GetRanges().size()) << c.count;
        DeleteFileW(target.c_str());
    }
}

TEST_F(HttpRangeNginx, SpeedLimitHoldsTheRateWhateverTheReadSize) {
    // 1.5 MiB at 512 KB/s: three seconds, whether the reads are small (a
    // low limit) or large (a high one and more ranges).
    struct Case {
        uint32_t limitKb;
        uint32_t ranges;
        size_t size;
    } cases[] = {{512, 2, 3 * 512 * 1024}, {4096, 4, 3 * 4096 * 1024}};
    for (const Case& c : cases) {
        std::string content = content_.substr(0, std::min(c.size, kFileSize));
        if (content.size() < c.size)
            content += MakeTestBytes(c.size - content.size(), 3);
        ASSERT_TRUE(root_->WriteFile(L"rate.bin", content));
        VQRecordingCallback callback;
        callback.speedLimitKb = c.limitKb;
        HttpRangeDownloader downloader;
        downloader.SetRangeCount(c.ranges);
        DWORD start = GetTickCount();
        ASSERT_EQ(0u, downloader.Download(&callback, MakeInfo(Url(L"rate.bin"), content), temp_.PathOf(L"r.bin")))
            << c.limitKb;
        DWORD elapsed = GetTickCount() - start;
        EXPECT_GE(elapsed, 2700u) << c.limitKb;
        EXPECT_LT(elapsed, 4000u) << c.limitKb;
        EXPECT_EQ(Md5Of(content), Md5OfFile(temp_.PathOf(L"r.bin"))) << c.limitKb;
    }
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
