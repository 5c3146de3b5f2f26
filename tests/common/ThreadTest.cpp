#include "common/KernelHandle.h"
#include "common/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <vector>

namespace Tessar {
namespace {

// Blocks until released, then counts its run.
struct Gate {
    VQKernelHandle release{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    VQKernelHandle entered{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<int> runs{0};
    std::atomic<DWORD> threadId{0};
};

void GatedRun(void* argument) {
    Gate* gate = static_cast<Gate*>(argument);
    gate->threadId = ::GetCurrentThreadId();
    ::SetEvent(gate->entered.Get());
    ::WaitForSingleObject(gate->release.Get(), INFINITE);
    ++gate->runs;
}

void CountRun(void* argument) {
    ++*static_cast<std::atomic<int>*>(argument);
}

TEST(ThreadTest, StartWithoutFunctionFails) {
    VQThread thread(nullptr, nullptr);
    EXPECT_FALSE(thread.Start());
    EXPECT_EQ(INVALID_HANDLE_VALUE, thread.GetHandle());
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(0u, thread.GetThreadId());
}

TEST(ThreadTest, RunsFunctionWithArgumentAndWaitClosesHandle) {
    Gate gate;
    VQThread thread(&GatedRun, &gate);
    ASSERT_TRUE(thread.Start());
    // Set before the thread is resumed, so it holds whether or not it ran yet.
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_NE(INVALID_HANDLE_VALUE, thread.GetHandle());
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(gate.entered.Get(), 10000));
    EXPECT_EQ(static_cast<uint32_t>(gate.threadId), thread.GetThreadId());
    ::SetEvent(gate.release.Get());
    thread.Wait();
    EXPECT_EQ(1, gate.runs.load());
    EXPECT_EQ(INVALID_HANDLE_VALUE, thread.GetHandle());
    EXPECT_EQ(0u, thread.GetThreadId());
    EXPECT_FALSE(thread.IsRunning());
}

TEST(ThreadTest, WaitOnThreadNeverStartedReturnsAtOnce) {
    std::atomic<int> runs(0);
    VQThread thread(&CountRun, &runs);
    DWORD before = ::GetTickCount();
    thread.Wait();
    thread.WaitBriefly();
    EXPECT_LT(::GetTickCount() - before, 1000u);
    EXPECT_EQ(0, runs.load());
}

TEST(ThreadTest, WaitBrieflyTimesOutWithoutChangingAnything) {
    Gate gate;
    VQThread thread(&GatedRun, &gate);
    ASSERT_TRUE(thread.Start());
    DWORD before = ::GetTickCount();
    thread.WaitBriefly();
    EXPECT_GE(::GetTickCount() - before, 4900u);
    EXPECT_NE(INVALID_HANDLE_VALUE, thread.GetHandle());
    EXPECT_TRUE(thread.IsRunning());
    ::SetEvent(gate.release.Get());
    thread.WaitBriefly();
    EXPECT_EQ(INVALID_HANDLE_VALUE, thread.GetHandle());
    EXPECT_FALSE(thread.IsRunning());
}

TEST(ThreadTest, WaitUpToEndsAtTheLimitOrWithTheThread) {
    Gate gate;
    VQThread thread(&GatedRun, &gate);
    ASSERT_TRUE(thread.Start());
    DWORD before = ::GetTickCount();
    EXPECT_FALSE(thread.WaitUpTo(300));
    EXPECT_GE(::GetTickCount() - before, 290u);
    EXPECT_NE(INVALID_HANDLE_VALUE, thread.GetHandle());
    ::SetEvent(gate.release.Get());
    EXPECT_TRUE(thread.WaitUpTo(20000));
    EXPECT_EQ(INVALID_HANDLE_VALUE, thread.GetHandle());
    EXPECT_TRUE(thread.WaitUpTo(0)) << "no thread: nothing to wait for";
}

TEST(ThreadTest, AWaitBudgetIsSharedByTheWaitsInARow) {
    VQWaitBudget budget(400);
    EXPECT_LE(budget.Left(), 400u);
    EXPECT_GT(budget.Left(), 300u);
    ::Sleep(250);
    // The tick counts in steps of about 16 ms.
    EXPECT_LE(budget.Left(), 200u);
    ::Sleep(300);
    EXPECT_EQ(0u, budget.Left());
}

TEST(ThreadTest, FlagFallsWhenFunctionReturns) {
    Gate gate;
    VQThread thread(&GatedRun, &gate);
    ASSERT_TRUE(thread.Start());
    ::SetEvent(gate.release.Get());
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread.GetHandle(), 10000));
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_NE(INVALID_HANDLE_VALUE, thread.GetHandle());  // not joined yet
    thread.Wait();
}

TEST(ThreadTest, StartsAgainAfterJoin) {
    std::atomic<int> runs(0);
    VQThread thread(&CountRun, &runs);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(thread.Start());
        thread.Wait();
    }
    EXPECT_EQ(3, runs.load());
}

// A thread of an earlier start that still runs keeps the state to itself:
// a second Start fails and changes nothing, whether the first thread's
// handle is open or was closed without waiting.
TEST(ThreadTest, StartWhileRunningFails) {
    for (bool closeFirst : {false, true}) {
        SCOPED_TRACE(closeFirst ? "handle closed" : "handle open");
        Gate gate;
        VQThread thread(&GatedRun, &gate);
        ASSERT_TRUE(thread.Start());
        ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(gate.entered.Get(), 10000));
        HANDLE watch = nullptr;
        ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), thread.GetHandle(), ::GetCurrentProcess(), &watch, 0,
                                      FALSE, DUPLICATE_SAME_ACCESS));
        VQKernelHandle watchHolder(watch);
        if (closeFirst)
            thread.CloseHandle();
        const HANDLE handle = thread.GetHandle();
        const uint32_t id = thread.GetThreadId();
        EXPECT_FALSE(thread.Start());
        EXPECT_EQ(handle, thread.GetHandle());
        EXPECT_EQ(id, thread.GetThreadId());
        ::SetEvent(gate.release.Get());
        ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(watch, 10000));
        thread.Wait();
        EXPECT_EQ(1, gate.runs.load());
        // Once the first thread has left, the object starts again.
        ASSERT_TRUE(thread.Start());
        thread.Wait();
        EXPECT_EQ(2, gate.runs.load());
    }
}

TEST(ThreadTest, CloseHandleClearsIdAndFlagWithoutWaiting) {
    Gate gate;
    VQThread thread(&GatedRun, &gate);
    ASSERT_TRUE(thread.Start());
    HANDLE watch = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), thread.GetHandle(), ::GetCurrentProcess(), &watch, 0,
                                  FALSE, DUPLICATE_SAME_ACCESS));
    VQKernelHandle watchHolder(watch);
    thread.CloseHandle();
    EXPECT_EQ(INVALID_HANDLE_VALUE, thread.GetHandle());
    EXPECT_EQ(0u, thread.GetThreadId());
    EXPECT_FALSE(thread.IsRunning());
    ::SetEvent(gate.release.Get());
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(watch, 10000));
    EXPECT_EQ(1, gate.runs.load());
}

// The thread finishes after its object was deleted: it must not write into
// memory that the deletion gave back. Blocks of the state's size are
// allocated after the deletion, so freed state would be handed out again.
TEST(ThreadTest, DeletingWhileRunningLeavesThreadValidState) {
    for (int round = 0; round < 20; ++round) {
        Gate gate;
        VQThread* thread = new VQThread(&GatedRun, &gate);
        ASSERT_TRUE(thread->Start());
        ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(gate.entered.Get(), 10000));
        HANDLE watch = nullptr;
        ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), thread->GetHandle(), ::GetCurrentProcess(), &watch, 0,
                                      FALSE, DUPLICATE_SAME_ACCESS));
        VQKernelHandle watchHolder(watch);
        DeleteThreadHolder(thread);

        std::vector<std::unique_ptr<unsigned char[]>> blocks;
        for (int i = 0; i < 64; ++i) {
            blocks.emplace_back(new unsigned char[sizeof(VQThreadState)]);
            std::memset(blocks.back().get(), 0xAB, sizeof(VQThreadState));
        }
        ::SetEvent(gate.release.Get());
        ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(watch, 10000));
        EXPECT_EQ(1, gate.runs.load());
        for (const auto& block : blocks) {
            for (size_t i = 0; i < sizeof(VQThreadState); ++i)
                ASSERT_EQ(0xAB, block[i]) << "round " << round << " byte " << i;
        }
    }
}

TEST(ThreadTest, DeleteThreadHolderAcceptsNull) {
    DeleteThreadHolder(nullptr);
    std::atomic<int> runs(0);
    VQThread* thread = new VQThread(&CountRun, &runs);
    ASSERT_TRUE(thread->Start());
    thread->Wait();
    DeleteThreadHolder(thread);
    EXPECT_EQ(1, runs.load());
}

}  // namespace
}  // namespace Tessar
