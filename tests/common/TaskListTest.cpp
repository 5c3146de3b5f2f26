#include "common/KernelHandle.h"
#include "common/TaskList.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>

namespace Tessar {
namespace {

// Counts Process calls; the first calls can be held on a gate.
class CountingTaskList : public VQTaskList {
public:
    ~CountingTaskList() override { Stop(); }

    void HoldProcessing() { ::ResetEvent(m_gate.Get()); }
    void ReleaseProcessing() { ::SetEvent(m_gate.Get()); }
    // Waits until Process has run the given number of times in all.
    bool WaitForRuns(int runs) {
        for (int i = 0; i < 1000 && m_runs < runs; ++i)
            ::Sleep(10);
        return m_runs == runs;
    }
    bool WaitUntilInside() { return ::WaitForSingleObject(m_inside.Get(), 10000) == WAIT_OBJECT_0; }

    int Runs() const { return m_runs; }
    int MostAtOnce() const { return m_mostAtOnce; }
    std::set<DWORD> Threads() {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_threads;
    }

    // Puts another semaphore handle in place (null, or one that no wait
    // takes) and back.
    void ReplaceSemaphore(HANDLE semaphore) {
        m_savedSemaphore = m_taskSemaphore;
        m_taskSemaphore = semaphore;
    }
    void RestoreSemaphore() { m_taskSemaphore = m_savedSemaphore; }

protected:
    void Process() override {
        int now = ++m_atOnce;
        if (now > m_mostAtOnce)
            m_mostAtOnce = now;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_threads.insert(::GetCurrentThreadId());
        }
        ::SetEvent(m_inside.Get());
        ::WaitForSingleObject(m_gate.Get(), INFINITE);
        --m_atOnce;
        ++m_runs;
    }

private:
    VQKernelHandle m_gate{::CreateEventW(nullptr, TRUE, TRUE, nullptr)};
    VQKernelHandle m_inside{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    std::atomic<int> m_runs{0};
    std::atomic<int> m_atOnce{0};
    std::atomic<int> m_mostAtOnce{0};
    std::mutex m_lock;
    std::set<DWORD> m_threads;
    HANDLE m_savedSemaphore = nullptr;
};

// Waits (within a generous bound) until the list no longer counts as started.
bool WaitUntilNotStarted(const VQTaskList& list) {
    for (int i = 0; i < 1000 && list.IsStarted(); ++i)
        ::Sleep(10);
    return !list.IsStarted();
}

TEST(TaskListTest, StopWithoutStartDoesNothing) {
    CountingTaskList list;
    EXPECT_TRUE(list.Stop());
    EXPECT_TRUE(list.Stop());
    EXPECT_FALSE(list.IsStarted());
}

TEST(TaskListTest, ProcessRunsOncePerSignalOneAtATimeOnTheWorker) {
    CountingTaskList list;
    ASSERT_TRUE(list.Start());
    EXPECT_TRUE(list.IsStarted());
    EXPECT_TRUE(list.Start());  // already started
    list.HoldProcessing();
    ASSERT_TRUE(list.SignalTask());
    ASSERT_TRUE(list.WaitUntilInside());
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(list.SignalTask());
    list.ReleaseProcessing();
    EXPECT_TRUE(list.WaitForRuns(4));
    EXPECT_EQ(1, list.MostAtOnce());
    EXPECT_EQ(1u, list.Threads().size());
    EXPECT_EQ(0u, list.Threads().count(::GetCurrentThreadId()));
    EXPECT_TRUE(list.Stop());
    EXPECT_FALSE(list.IsStarted());
    EXPECT_TRUE(list.Stop());
}

TEST(TaskListTest, PendingUnitsWaitForTheNextRun) {
    CountingTaskList list;
    ASSERT_TRUE(list.Start());
    list.HoldProcessing();
    ASSERT_TRUE(list.SignalTask());
    ASSERT_TRUE(list.WaitUntilInside());
    ASSERT_TRUE(list.SignalTask());
    ASSERT_TRUE(list.SignalTask());
    // The stop event stands before the semaphore, so the worker ends after
    // the call in progress and leaves the two pending units counted.
    HANDLE stopper = ::CreateThread(
        nullptr, 0, [](void* self) -> DWORD { return static_cast<CountingTaskList*>(self)->Stop() ? 0 : 1; },
        &list, 0, nullptr);
    ASSERT_NE(nullptr, stopper);
    VQKernelHandle stopperHolder(stopper);
    ::Sleep(200);
    list.ReleaseProcessing();
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(stopper, 10000));
    EXPECT_EQ(1, list.Runs());
    EXPECT_FALSE(list.IsStarted());

    ASSERT_TRUE(list.Start());  // a fresh worker takes the pending units
    EXPECT_TRUE(list.WaitForRuns(3));
}

TEST(TaskListTest, AtMost64UnitsArePending) {
    CountingTaskList list;
    for (LONG i = 0; i < VQTaskList::kMaxPendingTasks; ++i)
        ASSERT_TRUE(list.SignalTask()) << "unit " << i;
    EXPECT_FALSE(list.SignalTask());
    ASSERT_TRUE(list.Start());
    EXPECT_TRUE(list.WaitForRuns(64));
}

TEST(TaskListTest, DestroyingAStartedListStopsItsWorker) {
    CountingTaskList* list = new CountingTaskList;
    ASSERT_TRUE(list->Start());
    ASSERT_TRUE(list->SignalTask());
    ASSERT_TRUE(list->WaitForRuns(1));
    ASSERT_EQ(1u, list->Threads().size());
    VQKernelHandle worker(::OpenThread(SYNCHRONIZE, FALSE, *list->Threads().begin()));
    ASSERT_TRUE(worker.IsValid());
    ASSERT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), ::WaitForSingleObject(worker.Get(), 0)) << "worker still waits";
    delete list;
    // Deletion returns only after the worker has ended.
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(worker.Get(), 0));
}

// Without a semaphore no worker could wait: Start fails and the list is
// not started.
TEST(TaskListTest, ListWithoutItsSemaphoreDoesNotStart) {
    CountingTaskList list;
    list.ReplaceSemaphore(nullptr);
    EXPECT_FALSE(list.Start());
    EXPECT_FALSE(list.IsStarted());
    EXPECT_TRUE(list.Stop());
    list.RestoreSemaphore();
    ASSERT_TRUE(list.Start());
    ASSERT_TRUE(list.SignalTask());
    EXPECT_TRUE(list.WaitForRuns(1));
}

// A worker whose wait fails ends; the list then no longer reports itself
// started, and a later Start makes a worker that works.
TEST(TaskListTest, WorkerThatCannotWaitLeavesTheListNotStarted) {
    CountingTaskList list;
    // No handle has this value: every wait on it fails.
    list.ReplaceSemaphore(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7FFFFFF0)));
    list.Start();
    EXPECT_TRUE(WaitUntilNotStarted(list));
    EXPECT_TRUE(list.Stop());
    EXPECT_EQ(0, list.Runs());
    list.RestoreSemaphore();
    ASSERT_TRUE(list.Start());
    EXPECT_TRUE(list.IsStarted());
    ASSERT_TRUE(list.SignalTask());
    EXPECT_TRUE(list.WaitForRuns(1));
}

}  // namespace
}  // namespace Tessar
