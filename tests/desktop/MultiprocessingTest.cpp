// Tasks, events, semaphores and the clock. Suite names carry "Thread" so the ThreadSanitizer
// run picks them up.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/desktop/Multiprocessing.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

TEST(MPThreadEvents, BitsOrTogetherUntilAWaitTakesThem)
{
    MPEventID e = nullptr;
    ASSERT_EQ(MPCreateEvent(&e), noErr);
    for (MPEventFlags bits : {8u, 16u, 8u}) EXPECT_EQ(MPSetEvent(e, bits), noErr);
    MPEventFlags flags = 0;
    EXPECT_EQ(MPWaitForEvent(e, &flags, kDurationImmediate), noErr);
    EXPECT_EQ(flags, 24u);
    // Taken: the next wait finds nothing and times out after about its limit.
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(MPWaitForEvent(e, &flags, 50 * kDurationMillisecond), kMPTimeoutErr);
    EXPECT_GE(Seconds(start), 0.045);
    EXPECT_EQ(flags, 0u);
    EXPECT_EQ(MPWaitForEvent(e, &flags, -2000 /* 2 ms in microseconds */), kMPTimeoutErr);
    EXPECT_EQ(MPDeleteEvent(e), noErr);
    EXPECT_EQ(MPSetEvent(e, 1), kMPInvalidIDErr);
}

TEST(MPThreadEvents, AWaitWithoutLimitWakesOnAnotherThreadsSet)
{
    MPEventID e = nullptr;
    MPCreateEvent(&e);
    std::thread setter([e] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        MPSetEvent(e, 2);
        MPSetEvent(e, 1);
    });
    MPEventFlags flags = 0;
    EXPECT_EQ(MPWaitForEvent(e, &flags, kDurationForever), noErr);
    EXPECT_NE(flags & 3u, 0u);
    setter.join();
    MPEventFlags rest = 0;
    if (flags != 3u) {
        EXPECT_EQ(MPWaitForEvent(e, &rest, kDurationImmediate), noErr);
        EXPECT_EQ(flags | rest, 3u);
    }
    MPDeleteEvent(e);
}

TEST(MPThreadEvents, DeletingAnEventReleasesItsWaiter)
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
            result.store(MPWaitForEvent(e, &flags, kDurationForever));
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
        EXPECT_EQ(MPDeleteEvent(e), noErr);
        waiter.join();
        EXPECT_TRUE(result.load() == kMPDeletedErr || result.load() == kMPInvalidIDErr) << result.load();
        sawDeletion = result.load() == kMPDeletedErr;
    }
    EXPECT_TRUE(sawDeletion);
}

TEST(MPThreadEvents, OfTwoDeletionsAtOnceOneSucceeds)
{
    for (int round = 0; round < 50; ++round) {
        MPEventID e = nullptr;
        ASSERT_EQ(MPCreateEvent(&e), noErr);
        std::atomic<OSStatus> other{1};
        std::thread second([e, &other] { other.store(MPDeleteEvent(e)); });
        OSStatus mine = MPDeleteEvent(e);
        second.join();
        EXPECT_EQ((mine == noErr) + (other.load() == noErr), 1) << mine << " " << other.load();
        EXPECT_EQ(mine == noErr ? other.load() : mine, kMPInvalidIDErr);
    }
}

TEST(MPThreadEvents, AnEventIsNotASemaphoreNorTheReverse)
{
    MPEventID e = nullptr;
    MPSemaphoreID s = nullptr;
    ASSERT_EQ(MPCreateEvent(&e), noErr);
    ASSERT_EQ(MPCreateSemaphore(1, 1, &s), noErr);
    auto asSemaphore = reinterpret_cast<MPSemaphoreID>(e);
    auto asEvent = reinterpret_cast<MPEventID>(s);
    MPEventFlags flags = 0;
    EXPECT_EQ(MPSignalSemaphore(asSemaphore), kMPInvalidIDErr);
    EXPECT_EQ(MPDeleteSemaphore(asSemaphore), kMPInvalidIDErr);
    EXPECT_EQ(MPWaitForEvent(asEvent, &flags, kDurationImmediate), kMPInvalidIDErr);
    EXPECT_EQ(MPDeleteEvent(asEvent), kMPInvalidIDErr);
    EXPECT_EQ(MPWaitOnSemaphore(s, kDurationImmediate), noErr);  // both still work as what they are
    EXPECT_EQ(MPDeleteEvent(e), noErr);
    EXPECT_EQ(MPDeleteSemaphore(s), noErr);
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
    EXPECT_GE(Seconds(start), 0.025);
    EXPECT_EQ(MPDeleteSemaphore(s), noErr);
    EXPECT_EQ(MPWaitOnSemaphore(s, 0), kMPInvalidIDErr);
}

namespace {

struct RenderLike {
    MPEventID event = nullptr;
    MPSemaphoreID done = nullptr;
    std::atomic<int> wakeups{0};
    std::atomic<MPTaskID> self{nullptr};
};

// The shape of the GUI's render loop: wait for bits, stop on bit 1, signal at the end.
OSStatus RenderLoop(void* p)
{
    auto* r = static_cast<RenderLike*>(p);
    r->self = MPCurrentTaskID();
    for (;;) {
        MPEventFlags f = 0;
        OSStatus s = MPWaitForEvent(r->event, &f, 33);
        if (s == kMPTaskAbortedErr) return s;
        r->wakeups.fetch_add(1);
        if (f & 1) break;
    }
    MPSignalSemaphore(r->done);
    return noErr;
}

OSStatus Stuck(void* p)
{
    auto* r = static_cast<RenderLike*>(p);
    MPEventFlags f = 0;
    OSStatus s = MPWaitForEvent(r->event, &f, kDurationForever);  // nobody sets it
    r->wakeups.store(s == kMPTaskAbortedErr ? 1 : -1);
    MPSignalSemaphore(r->done);
    return s;
}

}  // namespace

TEST(MPThreadTasks, ATaskRunsOnItsOwnThreadAndSignalsWhenToldToQuit)
{
    RenderLike r;
    MPCreateEvent(&r.event);
    MPCreateSemaphore(1, 0, &r.done);
    MPTaskID task = nullptr;
    ASSERT_TRUE(MPLibraryIsLoaded());
    ASSERT_EQ(MPCreateTask(RenderLoop, &r, 0, nullptr, nullptr, nullptr, 0, &task), noErr);
    EXPECT_EQ(MPCurrentTaskID(), nullptr);
    MPSetEvent(r.event, 8);
    // The bit, then 33 ms time-outs keep waking the loop.
    auto start = std::chrono::steady_clock::now();
    while (r.wakeups.load() < 3 && Seconds(start) < 10) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GE(r.wakeups.load(), 3);
    MPSetEvent(r.event, 1);
    EXPECT_EQ(MPWaitOnSemaphore(r.done, 10000), noErr);
    EXPECT_EQ(r.self.load(), task);
    MPDeleteEvent(r.event);
    MPDeleteSemaphore(r.done);
}

TEST(MPThreadTasks, TerminationWakesATaskBlockedInAWait)
{
    RenderLike r;
    MPCreateEvent(&r.event);
    MPCreateSemaphore(1, 0, &r.done);
    MPTaskID task = nullptr;
    ASSERT_EQ(MPCreateTask(Stuck, &r, 0, nullptr, nullptr, nullptr, 0, &task), noErr);
    EXPECT_EQ(MPWaitOnSemaphore(r.done, 50), kMPTimeoutErr);  // really stuck
    EXPECT_EQ(MPTerminateTask(task, -1), noErr);
    EXPECT_EQ(MPWaitOnSemaphore(r.done, 5000), noErr);
    EXPECT_EQ(r.wakeups.load(), 1);
    EXPECT_EQ(MPCreateTask(Stuck, &r, 0, reinterpret_cast<MPQueueID>(&r), nullptr, nullptr, 0, &task),
              kMPInvalidIDErr);
    // Once it has signalled, the task touches neither object again.
    MPDeleteEvent(r.event);
    MPDeleteSemaphore(r.done);
}

TEST(MPThreadClock, UpTimeIsMonotonicAndConvertsToNanoseconds)
{
    AbsoluteTime a = UpTime();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    AbsoluteTime b = UpTime();
    ASSERT_GT(b, a);
    Nanoseconds ns = AbsoluteDeltaToNanoseconds(b, a);
    EXPECT_GE(ns, 19000000u);
    EXPECT_EQ(AbsoluteDeltaToNanoseconds(a, b), 0u);
    EXPECT_EQ(AbsoluteToDuration(DurationToAbsolute(-500)), -500);  // negative: microseconds
}
