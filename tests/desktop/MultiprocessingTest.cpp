// Tasks, events, a semaphore and the clock. Suite names carry "Thread" so the ThreadSanitizer
// run picks them up.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/desktop/Multiprocessing.h"

TEST(MPThreadEvents, BitsOrTogetherUntilAWaitHereOrOnAnotherThreadTakesThem)
{
    MPEventID e = nullptr;
    ASSERT_EQ(MPCreateEvent(&e), noErr);
    for (MPEventFlags bits : {8u, 16u, 8u}) EXPECT_EQ(MPSetEvent(e, bits), noErr);
    MPEventFlags flags = 0;
    EXPECT_EQ(MPWaitForEvent(e, &flags, kDurationImmediate), noErr);
    EXPECT_EQ(flags, 24u);
    auto start = std::chrono::steady_clock::now();  // taken: the next wait times out after its limit
    EXPECT_EQ(MPWaitForEvent(e, &flags, 50 * kDurationMillisecond), kMPTimeoutErr);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(45));
    EXPECT_EQ(flags, 0u);
    // A wait without limit wakes on another thread's set.
    std::thread setter([e] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        MPSetEvent(e, 2);
        MPSetEvent(e, 1);
    });
    MPEventFlags rest = 0;
    EXPECT_EQ(MPWaitForEvent(e, &flags, kDurationForever), noErr);
    EXPECT_NE(flags & 3u, 0u);
    setter.join();
    if (flags != 3u) {
        EXPECT_EQ(MPWaitForEvent(e, &rest, kDurationImmediate), noErr);
    }
    EXPECT_EQ(flags | rest, 3u);
    EXPECT_EQ(MPDeleteEvent(e), noErr);
}

TEST(MPThreadEvents, DeletionReleasesAWaiter)
{
    // A wait that starts only after the deletion finds no event; the longer the pause before
    // deleting, the surer the waiter is blocked by then. Some attempt must see the deletion.
    bool sawDeletion = false;
    for (int pauseMs = 10; pauseMs <= 640 && !sawDeletion; pauseMs *= 2) {
        MPEventID e = nullptr;
        ASSERT_EQ(MPCreateEvent(&e), noErr);
        std::atomic<OSStatus> result{1};
        std::thread waiter([e, &result] {
            MPEventFlags flags = 99;
            result = MPWaitForEvent(e, &flags, kDurationForever);
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
        EXPECT_EQ(MPDeleteEvent(e), noErr);
        waiter.join();
        EXPECT_TRUE(result == kMPDeletedErr || result == kMPInvalidIDErr) << result;
        sawDeletion = result == kMPDeletedErr;
    }
    EXPECT_TRUE(sawDeletion);
}

namespace {

struct TaskShared {
    MPEventID event = nullptr;
    MPSemaphoreID done = nullptr;
    std::atomic<MPTaskID> self{nullptr};
    std::atomic<OSStatus> waited{1};
};

// Waits for bits nobody sets, then signals: only termination ends the wait.
OSStatus Stuck(void* p)
{
    auto* t = static_cast<TaskShared*>(p);
    t->self = MPCurrentTaskID();
    MPEventFlags f = 0;
    t->waited = MPWaitForEvent(t->event, &f, kDurationForever);
    MPSignalSemaphore(t->done);
    return t->waited;
}

}  // namespace

TEST(MPThreadTasks, TerminationWakesATaskBlockedInAWait)
{
    TaskShared t;
    MPCreateEvent(&t.event);
    MPCreateSemaphore(1, 0, &t.done);
    MPTaskID task = nullptr;
    ASSERT_EQ(MPCreateTask(Stuck, &t, 0, nullptr, nullptr, nullptr, 0, &task), noErr);
    EXPECT_EQ(MPCurrentTaskID(), nullptr);
    EXPECT_EQ(MPWaitOnSemaphore(t.done, 50), kMPTimeoutErr);  // really stuck
    EXPECT_EQ(MPTerminateTask(task, -1), noErr);
    EXPECT_EQ(MPWaitOnSemaphore(t.done, 10000), noErr);
    EXPECT_EQ(t.self.load(), task);
    EXPECT_EQ(t.waited, kMPTaskAbortedErr);
    MPDeleteEvent(t.event);  // once it has signalled, the task touches neither object again
    MPDeleteSemaphore(t.done);
}

TEST(MPThreadClock, UpTimeIsMonotonicAndConvertsToNanoseconds)
{
    AbsoluteTime a = UpTime();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    AbsoluteTime b = UpTime();
    ASSERT_GT(b, a);
    EXPECT_GE(AbsoluteDeltaToNanoseconds(b, a), 19000000u);
    EXPECT_EQ(AbsoluteDeltaToNanoseconds(a, b), 0u);
}
