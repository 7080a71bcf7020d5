// Parameter services: set with notification, listeners on run loops, coalescing, the sender
// left out, disposal, value <-> position mapping, formatting; and the run loop itself.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/audio/AudioUnitCalls.h"
#include "platform/audio/AudioUnitUtilities.h"
#include "support/AllocCounter.h"

namespace {

// A unit with 4 parameters, ranges [-2, 6], answering get/set parameter and parameter info.
std::atomic<float> gValues[4];

ComponentResult FakeEntry(ComponentParameters* p, void*)
{
    switch (p->what) {
    case kComponentOpenSelect:
    case kComponentCloseSelect: return noErr;
    case kAudioUnitSetParameterSelect: {
        const UInt32 id = UInt32(ComponentParam(p, 0));
        if (id >= 4) return kAudioUnitErr_InvalidParameter;
        gValues[id].store(ComponentArgFloat(ComponentParam(p, 3)));
        return noErr;
    }
    case kAudioUnitGetParameterSelect: {
        const UInt32 id = UInt32(ComponentParam(p, 0));
        if (id >= 4) return kAudioUnitErr_InvalidParameter;
        *reinterpret_cast<Float32*>(ComponentParam(p, 3)) = gValues[id].load();
        return noErr;
    }
    case kAudioUnitGetPropertySelect: {
        if (UInt32(ComponentParam(p, 0)) != kAudioUnitProperty_ParameterInfo) return kAudioUnitErr_InvalidProperty;
        AudioUnitParameterInfo info{};
        info.minValue = -2.f;
        info.maxValue = 6.f;
        std::memcpy(reinterpret_cast<void*>(ComponentParam(p, 3)), &info, sizeof info);
        return noErr;
    }
    default: return badComponentSelector;
    }
}

AudioUnit FakeUnit()
{
    static AudioUnit unit = OpenComponent(
        RegisterComponent(ComponentDescription{FourCC("aufx"), FourCC("Prms"), FourCC("TsPs"), 0, 0}, &FakeEntry, ""));
    return unit;
}

struct Log {
    static void Proc(void* refCon, void* object, const AudioUnitParameter* p, AudioUnitParameterValue v)
    {
        auto* self = static_cast<Log*>(refCon);
        self->calls.push_back({p->mParameterID, v});
        self->object = object;
        self->thread = std::this_thread::get_id();
        self->count.fetch_add(1);
    }
    std::atomic<int> count{0};
    std::vector<std::pair<AudioUnitParameterID, float>> calls;
    void* object = nullptr;
    std::thread::id thread;
};

void RunLoopFor(double seconds) { CFRunLoopRunInMode(kCFRunLoopDefaultMode, seconds, false); }

AudioUnitParameter Param(AudioUnitParameterID id) { return AudioUnitParameter{FakeUnit(), id, 0, 0}; }

}  // namespace

TEST(ParameterServices, SetStoresTheValueAndTellsListenersOnTheirLoop)
{
    Log log;
    AUParameterListenerRef listener = nullptr;
    ASSERT_EQ(AUListenerCreate(&Log::Proc, &log, CFRunLoopGetCurrent(), kCFRunLoopDefaultMode, 0.f, &listener), noErr);
    const AudioUnitParameter p = Param(1);
    int tag = 0;
    ASSERT_EQ(AUListenerAddParameter(listener, &tag, &p), noErr);

    EXPECT_EQ(AUParameterSet(nullptr, nullptr, &p, 2.5f, 0), noErr);
    EXPECT_EQ(gValues[1].load(), 2.5f);
    EXPECT_TRUE(log.calls.empty());  // delivered only when the loop runs
    RunLoopFor(0.02);
    ASSERT_EQ(log.calls.size(), 1u);
    EXPECT_EQ(log.calls[0].second, 2.5f);
    EXPECT_EQ(log.object, &tag);

    // Another parameter of the unit is not this listener's.
    const AudioUnitParameter q = Param(2);
    EXPECT_EQ(AUParameterSet(nullptr, nullptr, &q, 1.f, 0), noErr);
    RunLoopFor(0.02);
    EXPECT_EQ(log.calls.size(), 1u);
    const AudioUnitParameter bad = Param(9);
    EXPECT_EQ(AUParameterSet(nullptr, nullptr, &bad, 1.f, 0), kAudioUnitErr_InvalidParameter);
    EXPECT_EQ(AUListenerDispose(listener), noErr);
}

TEST(ParameterServices, ChangesWithinTheIntervalAreCoalesced)
{
    Log log;
    AUParameterListenerRef listener = nullptr;
    ASSERT_EQ(AUListenerCreate(&Log::Proc, &log, CFRunLoopGetCurrent(), kCFRunLoopDefaultMode, 0.2f, &listener), noErr);
    const AudioUnitParameter p = Param(0);
    ASSERT_EQ(AUListenerAddParameter(listener, nullptr, &p), noErr);
    AUParameterSet(nullptr, nullptr, &p, 1.f, 0);
    RunLoopFor(0.02);
    AUParameterSet(nullptr, nullptr, &p, 2.f, 0);
    AUParameterSet(nullptr, nullptr, &p, 3.f, 0);
    RunLoopFor(0.05);
    ASSERT_EQ(log.calls.size(), 1u);  // the second delivery waits for the interval
    for (int i = 0; i < 50 && log.calls.size() < 2; ++i) RunLoopFor(0.02);
    ASSERT_EQ(log.calls.size(), 2u);
    EXPECT_EQ(log.calls[1].second, 3.f);  // only the latest value
    AUListenerDispose(listener);
}

TEST(ParameterServices, SenderIsLeftOutAndDisposedListenersAreNotCalled)
{
    Log a, b;
    AUParameterListenerRef la = nullptr, lb = nullptr;
    ASSERT_EQ(AUListenerCreate(&Log::Proc, &a, CFRunLoopGetCurrent(), kCFRunLoopDefaultMode, 0.f, &la), noErr);
    ASSERT_EQ(AUListenerCreate(&Log::Proc, &b, CFRunLoopGetCurrent(), kCFRunLoopDefaultMode, 0.f, &lb), noErr);
    const AudioUnitParameter p = Param(3);
    AUListenerAddParameter(la, nullptr, &p);
    AUListenerAddParameter(lb, nullptr, &p);
    AUParameterSet(la, nullptr, &p, 4.f, 0);
    RunLoopFor(0.02);
    EXPECT_TRUE(a.calls.empty());
    EXPECT_EQ(b.calls.size(), 1u);

    AUParameterSet(nullptr, nullptr, &p, 5.f, 0);
    EXPECT_EQ(AUListenerDispose(lb), noErr);
    EXPECT_EQ(AUListenerDispose(lb), paramErr);
    RunLoopFor(0.02);
    EXPECT_EQ(b.calls.size(), 1u);
    EXPECT_EQ(a.calls.size(), 1u);

    // A change made by other means, announced.
    gValues[3].store(-1.f);
    EXPECT_EQ(AUParameterListenerNotify(nullptr, nullptr, &p), noErr);
    RunLoopFor(0.02);
    ASSERT_EQ(a.calls.size(), 2u);
    EXPECT_EQ(a.calls[1].second, -1.f);
    AUListenerDispose(la);
}

TEST(ParameterServices, ListenerOnAnotherThreadsRunLoop)
{
    Log log;
    std::atomic<CFRunLoopRef> loop{nullptr};
    std::atomic<bool> done{false};
    std::thread::id otherId;
    std::thread other([&] {
        otherId = std::this_thread::get_id();
        loop = CFRunLoopGetCurrent();
        while (!done) CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.01, false);
    });
    while (!loop) std::this_thread::yield();
    AUParameterListenerRef listener = nullptr;
    ASSERT_EQ(AUListenerCreate(&Log::Proc, &log, loop, kCFRunLoopDefaultMode, 0.f, &listener), noErr);
    const AudioUnitParameter p = Param(2);
    AUListenerAddParameter(listener, nullptr, &p);
    AUParameterSet(nullptr, nullptr, &p, 0.5f, 0);
    for (int i = 0; i < 200; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0, false);  // this thread's loop must not deliver it
        if (log.count.load() > 0) break;
    }
    AUListenerDispose(listener);
    done = true;
    other.join();
    ASSERT_EQ(log.calls.size(), 1u);
    EXPECT_EQ(log.thread, otherId);
}

TEST(ParameterServicesStress, AudioThreadSetsWhileListenersComeAndGo)
{
    std::atomic<bool> done{false};
    const AudioUnitParameter p = Param(0);
    std::atomic<long> sets{0};
    std::thread audio([&] {
        float v = 0;
        while (!done.load(std::memory_order_relaxed)) {
            AUParameterSet(nullptr, nullptr, &p, v += 1.f, 0);
            sets.fetch_add(1, std::memory_order_relaxed);
        }
    });
    Log log;
    for (int round = 0; round < 50; ++round) {
        AUParameterListenerRef listener = nullptr;
        ASSERT_EQ(AUListenerCreate(&Log::Proc, &log, CFRunLoopGetCurrent(), kCFRunLoopDefaultMode, 0.f, &listener),
                  noErr);
        AUListenerAddParameter(listener, nullptr, &p);
        RunLoopFor(0.002);
        AUListenerDispose(listener);
    }
    done = true;
    audio.join();
    EXPECT_GT(sets.load(), 0);
    EXPECT_FALSE(log.calls.empty());
}

TEST(ParameterServices, SetAllocatesNothing)
{
    // No warm-up: ctest runs each test in a process of its own, so this covers the first set.
    const AudioUnitParameter p = Param(1);
    testsupport::AllocationScope scope;
    for (int i = 0; i < 1000; ++i) AUParameterSet(nullptr, nullptr, &p, float(i), 0);
    EXPECT_EQ(scope.Count(), 0);
}

TEST(ParameterServices, LinearPositionsAreMonotonicInverses)
{
    const AudioUnitParameter p = Param(0);
    EXPECT_EQ(AUParameterValueToLinear(-2.f, &p), 0.f);
    EXPECT_EQ(AUParameterValueToLinear(6.f, &p), 1.f);
    EXPECT_EQ(AUParameterValueToLinear(2.f, &p), 0.5f);
    EXPECT_EQ(AUParameterValueToLinear(100.f, &p), 1.f);
    EXPECT_EQ(AUParameterValueFromLinear(-1.f, &p), -2.f);
    float last = -1.f;
    for (int i = 0; i <= 1000; ++i) {
        const float v = -2.f + 8.f * float(i) / 1000.f;
        const float pos = AUParameterValueToLinear(v, &p);
        EXPECT_GE(pos, last);
        last = pos;
        EXPECT_NEAR(AUParameterValueFromLinear(pos, &p), v, 1e-5f);
    }
    const AudioUnitParameter missing{nullptr, 0, 0, 0};
    EXPECT_EQ(AUParameterValueToLinear(1.f, &missing), 0.f);
}

TEST(ParameterServices, FormatsWithSignificantDigits)
{
    char text[32];
    const AudioUnitParameter p = Param(0);
    EXPECT_STREQ(AUParameterFormatValue(3.14159, &p, text, 3), "3.14");
    EXPECT_STREQ(AUParameterFormatValue(1000.0, &p, text, 2), "1e+03");
    EXPECT_STREQ(AUParameterFormatValue(0.5, &p, text, 4), "0.5");
}

TEST(RunLoop, PerformedWorkRunsOnTheLoopsThreadAndStopEndsARun)
{
    CFRunLoopRef here = CFRunLoopGetCurrent();
    std::thread::id ranOn;
    std::thread poster([&] { CFRunLoopPerform(here, [&] { ranOn = std::this_thread::get_id(); }); });
    poster.join();
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 1.0, true), kCFRunLoopRunHandledSource);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.01, false), kCFRunLoopRunTimedOut);
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        CFRunLoopStop(here);
    });
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 10.0, false), kCFRunLoopRunStopped);
    stopper.join();
}
