// The MD5 of a file taken while a writer fills it from its start.
#include "common/FileHandle.h"
#include "common/Md5.h"
#include "common/Md5Follower.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WebRoot.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <algorithm>

namespace Tessar {
namespace Test {
namespace {

bool WriteAt(HANDLE file, const std::string& bytes, size_t from, size_t count) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(from);
    DWORD written = 0;
    return ::WriteFile(file, bytes.data() + from, static_cast<DWORD>(count), &written, &at) && written == count;
}

TEST(Md5Follower, FollowsAWriterToTheWholeFilesDigest) {
    VQTempFolder temp;
    const std::wstring path = temp.PathOf(L"growing.bin");
    const std::string bytes = MakeTestBytes(3 * 1024 * 1024 + 17, 7);
    // Pre-sized and full of junk, as a download's data file is.
    ASSERT_TRUE(temp.WriteFile(L"growing.bin", std::string(bytes.size(), '\xCC')));
    HANDLE file = INVALID_HANDLE_VALUE;
    ASSERT_TRUE(OpenFileHandle(file, path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL));
    std::atomic<uint64_t> written(0);
    VQMd5Follower follower;
    ASSERT_TRUE(follower.Start(path, bytes.size(), [&] { return written.load(); }));
    EXPECT_FALSE(follower.WaitDone(20)) << "nothing written yet";
    const size_t step = 100000;
    for (size_t at = 0; at < bytes.size(); at += step) {
        const size_t count = std::min(step, bytes.size() - at);
        ASSERT_TRUE(WriteAt(file, bytes, at, count));
        written = at + count;
        if (at % (10 * step) == 0) Sleep(1);
    }
    ASSERT_TRUE(follower.WaitDone(30000));
    CloseFileHandle(file);
    EXPECT_EQ(Md5OfBuffer(bytes.data(), static_cast<int32_t>(bytes.size())), follower.Digest());
}

TEST(Md5Follower, NudgedByItsWriterReachesTheSameDigest) {
    VQTempFolder temp;
    const std::wstring path = temp.PathOf(L"nudged.bin");
    const std::string bytes = MakeTestBytes(2 * 1024 * 1024 + 5, 9);
    ASSERT_TRUE(temp.WriteFile(L"nudged.bin", std::string(bytes.size(), '\xCC')));
    HANDLE file = INVALID_HANDLE_VALUE;
    ASSERT_TRUE(OpenFileHandle(file, path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL));
    std::atomic<uint64_t> written(0);
    VQMd5Follower follower;
    ASSERT_TRUE(follower.Start(path, bytes.size(), [&] { return written.load(); }));
    follower.Nudge();  // nothing new yet: the follower only looks again
    const size_t step = 300000;
    for (size_t at = 0; at < bytes.size(); at += step) {
        const size_t count = std::min(step, bytes.size() - at);
        ASSERT_TRUE(WriteAt(file, bytes, at, count));
        written = at + count;
        follower.Nudge();
    }
    ASSERT_TRUE(follower.WaitDone(30000));
    CloseFileHandle(file);
    EXPECT_EQ(Md5OfBuffer(bytes.data(), static_cast<int32_t>(bytes.size())), follower.Digest());
}

TEST(Md5Follower, StoppedOrUnreadableGivesNoDigest) {
    VQTempFolder temp;
    ASSERT_TRUE(temp.WriteFile(L"half.bin", MakeTestBytes(1000, 8)));
    {
        VQMd5Follower follower;
        ASSERT_TRUE(follower.Start(temp.PathOf(L"half.bin"), 1000, [] { return uint64_t(500); }));
        EXPECT_FALSE(follower.WaitDone(50)) << "waits for the rest";
        follower.Stop();
        EXPECT_TRUE(follower.Digest().empty());
    }
    {
        VQMd5Follower follower;
        ASSERT_TRUE(follower.Start(temp.PathOf(L"missing.bin"), 1000, [] { return uint64_t(1000); }));
        EXPECT_TRUE(follower.WaitDone(30000));
        EXPECT_TRUE(follower.Digest().empty());
    }
    {
        // A file shorter than announced cannot be read to its end.
        VQMd5Follower follower;
        ASSERT_TRUE(follower.Start(temp.PathOf(L"half.bin"), 2000, [] { return uint64_t(2000); }));
        EXPECT_TRUE(follower.WaitDone(30000));
        EXPECT_TRUE(follower.Digest().empty());
    }
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
