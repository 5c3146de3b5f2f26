// The list files written on the saver's thread: in the order they came, a
// newer job replacing one not yet begun, everything written by Flush.
#include "VQCore/app/pages/ListSaver.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace Tessar {
namespace Test {
namespace {

TEST(ListSaver, WritesInOrderAndANewerJobReplacesAWaitingOne) {
    VQListSaver saver;
    std::mutex lock;
    std::vector<std::string> written;
    auto record = [&](const std::string& what) {
        std::lock_guard<std::mutex> hold(lock);
        written.push_back(what);
    };
    // The first job holds the thread until released, so that the others wait.
    std::atomic<bool> started(false), release(false);
    saver.Post(L"C:\\a.vqx", [&] {
        started = true;
        while (!release) Sleep(1);
        record("a1");
        return true;
    });
    for (int i = 0; i < 10000 && !started; ++i) Sleep(1);
    if (!started) release = true;  // the saver's end must not wait for ever
    ASSERT_TRUE(started);
    saver.Post(L"C:\\b.vqx", [&] { record("b1"); return true; });
    saver.Post(L"C:\\c.vqx", [&] { record("c1"); return false; });
    // Same files in another case: the waiting jobs are replaced in place.
    saver.Post(L"c:\\B.VQX", [&] { record("b2"); return true; });
    saver.Post(L"C:\\a.vqx", [&] { record("a2"); return true; });
    release = true;
    saver.Flush();
    // The failing job was tried five times before the next one.
    EXPECT_EQ((std::vector<std::string>{"a1", "b2", "c1", "c1", "c1", "c1", "c1", "a2"}), written);
    EXPECT_EQ(1u, saver.GetFailureCount());
}

// A list file held open by another program for a moment cannot be
// replaced: the save is tried again and lands once the file is let go; a
// newer save of the same file ends the tries of the older.
TEST(ListSaver, AFailedSaveIsTriedAgainUntilItLandsOrANewerOneComes) {
    VQListSaver saver;
    std::atomic<int> tries(0);
    saver.Post(L"C:\held.vqx", [&] { return ++tries >= 3; });
    saver.Flush();
    EXPECT_EQ(3, tries.load());
    EXPECT_EQ(0u, saver.GetFailureCount());

    std::atomic<int> oldTries(0), newTries(0);
    std::atomic<bool> newPosted(false);
    saver.Post(L"C:\list.vqx", [&] {
        ++oldTries;
        if (!newPosted.exchange(true)) saver.Post(L"c:\LIST.vqx", [&] { ++newTries; return true; });
        return false;
    });
    saver.Flush();
    EXPECT_EQ(1, oldTries.load()) << "the newer save ended the tries";
    EXPECT_EQ(1, newTries.load());
    EXPECT_EQ(1u, saver.GetFailureCount());
}

TEST(ListSaver, EndingWritesWhatIsLeft) {
    std::atomic<int> runs(0);
    {
        VQListSaver saver;
        for (int i = 0; i < 5; ++i) {
            const std::wstring path = L"C:\\list" + std::to_wstring(i) + L".vqx";
            saver.Post(path, [&] {
                Sleep(5);
                ++runs;
                return true;
            });
        }
    }
    EXPECT_EQ(5, runs.load());
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
