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

// A writer fills a pre-sized file full of junk from its start, as a
// download's data file is filled; the follower either looks again on its own
// or is nudged after each write.
TEST(Md5Follower, FollowsAWriterToTheWholeFilesDigest) {
    const struct {
        const char* name;
        size_t size;
        char seed;
        size_t step;
        bool nudged;
    } cases[] = {
        {"looks again on its own", 3 * 1024 * 1024 + 17, 7, 100000, false},
        {"nudged by its writer", 2 * 1024 * 1024 + 5, 9, 300000, true},
    };
    for (const auto& c : cases) {
        VQTempFolder temp;
        const std::wstring path = temp.PathOf(L"growing.bin");
        const std::string bytes = MakeTestBytes(c.size, c.seed);
        ASSERT_TRUE(temp.WriteFile(L"growing.bin", std::string(bytes.size(), '\xCC'))) << c.name;
        HANDLE file = INVALID_HANDLE_VALUE;
        ASSERT_TRUE(OpenFileHandle(file, path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL))
            << c.name;
        std::atomic<uint64_t> written(0);
        VQMd5Follower follower;
        ASSERT_TRUE(follower.Start(path, bytes.size(), [&] { return written.load(); })) << c.name;
        if (c.nudged) follower.Nudge();  // nothing new yet: the follower only looks again
        EXPECT_FALSE(follower.WaitDone(20)) << c.name << ": nothing written yet";
        for (size_t at = 0; at < bytes.size(); at += c.step) {
            const size_t count = std::min(c.step, bytes.size() - at);
            ASSERT_TRUE(WriteAt(file, bytes, at, count)) << c.name;
            written = at + count;
            if (c.nudged) {
                follower.Nudge();
            } else if (at % (10 * c.step) == 0) {
                Sleep(1);
            }
        }
        ASSERT_TRUE(follower.WaitDone(30000)) << c.name;
        CloseFileHandle(file);
        EXPECT_EQ(Md5OfBuffer(bytes.data(), static_cast<int32_t>(bytes.size())), follower.Digest()) << c.name;
    }
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
