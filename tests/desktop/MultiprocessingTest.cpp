// Tasks, events, semaphores and the clock. Suite names carry "Thread" so the ThreadSanitizer
// run picks them up.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/desktop/Multiprocessing.h"

namespace {

double Since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

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
    EXPECT_GE(Since(start), 0.045);
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
    EXPECT_EQ(MPSetEvent(e, 1), kMPInvalidIDErr);
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

TEST(MPThreadSemaphores, CountsUpToTheMaximumAndWaitsWithALimit)
{
    MPSemaphoreID s = nullptr;
    EXPECT_EQ(MPCreateSemaphore(2, 3, &s), paramErr);
    ASSERT_EQ(MPCreateSemaphore(2, 1, &s), noErr);
    EXPECT_EQ(MPSignalSemaphore(s), noErr);
    EXPECT_EQ(MPSignalSemaphore(s), kMPInsufficientResourcesErr);
    EXPECT_EQ(MPWaitOnSemaphore(s, kDurationImmediate), noErr);
    EXPECT_EQ(MPWaitOnSemaphore(s, kDurationImmediate), noErr);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(MPWaitOnSemaphore(s, 30), kMPTimeoutErr);
    EXPECT_GE(Since(start), 0.025);
    EXPECT_EQ(MPDeleteSemaphore(s), noErr);
    EXPECT_EQ(MPWaitOnSemaphore(s, 0), kMPInvalidIDErr);
}

namespace {

struct TaskShared {
    MPEventID event = nullptr;
    MPSemaphoreID done = nullptr;
    std::atomic<int> wakeups{0};
    std::atomic<MPTaskID> self{nullptr};
    std::atomic<OSStatus> ended{1};
};

// The shape of the GUI's render loop: wait for bits with a time-out, stop on bit 1, signal at the end.
// Aborted by termination, it signals too.
OSStatus RenderLoop(void* p)
{
    auto* t = static_cast<TaskShared*>(p);
    t->self = MPCurrentTaskID();
    for (MPEventFlags f = 0; !(f & 1);) {
        t->ended = MPWaitForEvent(t->event, &f, t->wakeups < 0 ? kDurationForever : 33);
        if (t->ended == kMPTaskAbortedErr) break;
        if (t->wakeups >= 0) ++t->wakeups;
    }
    MPSignalSemaphore(t->done);
    return t->ended;
}

}  // namespace

TEST(MPThreadTasks, ATaskRunsOnItsOwnThreadUntilToldToQuitOrTerminatedInAWait)
{
    ASSERT_TRUE(MPLibraryIsLoaded());
    for (bool terminate : {false, true}) {
        SCOPED_TRACE(terminate ? "terminated" : "told to quit");
        TaskShared t;
        t.wakeups = terminate ? -1 : 0;  // -1: waits without limit for bits nobody sets
        MPCreateEvent(&t.event);
        MPCreateSemaphore(1, 0, &t.done);
        MPTaskID task = nullptr;
        ASSERT_EQ(MPCreateTask(RenderLoop, &t, 0, nullptr, nullptr, nullptr, 0, &task), noErr);
        EXPECT_EQ(MPCurrentTaskID(), nullptr);
        if (terminate) {
            EXPECT_EQ(MPWaitOnSemaphore(t.done, 50), kMPTimeoutErr);  // really stuck
            EXPECT_EQ(MPTerminateTask(task, -1), noErr);
        } else {
            MPSetEvent(t.event, 8);  // the bit, then 33 ms time-outs keep waking the loop
            auto start = std::chrono::steady_clock::now();
            while (t.wakeups < 3 && Since(start) < 10) std::this_thread::sleep_for(std::chrono::milliseconds(5));
            EXPECT_GE(t.wakeups, 3);
            MPSetEvent(t.event, 1);
        }
        EXPECT_EQ(MPWaitOnSemaphore(t.done, 10000), noErr);
        EXPECT_EQ(t.self.load(), task);
        EXPECT_EQ(t.ended, terminate ? OSStatus(kMPTaskAbortedErr) : OSStatus(noErr));
        // Once it has signalled, the task touches neither object again.
        MPDeleteEvent(t.event);
        MPDeleteSemaphore(t.done);
    }
    MPTaskID task = nullptr;
    EXPECT_EQ(MPCreateTask(RenderLoop, nullptr, 0, reinterpret_cast<MPQueueID>(&task), nullptr, nullptr, 0, &task),
              kMPInvalidIDErr);
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
