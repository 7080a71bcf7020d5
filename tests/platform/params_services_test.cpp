// Parameter services: listeners on run loops, coalescing, the sender left out, disposal, and sets
// from the audio thread.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <utility>
#include <vector>

#include "platform/audio/AudioUnitCalls.h"
#include "platform/audio/AudioUnitUtilities.h"
#include "support/AllocCounter.h"

namespace {

// A unit with 4 parameters, answering get and set parameter.
std::atomic<float> gValues[4];

ComponentResult FakeEntry(ComponentParameters* p, void*)
{
    const UInt32 id = UInt32(ComponentParam(p, 0));
    switch (p->what) {
    case kComponentOpenSelect:
    case kComponentCloseSelect: return noErr;
    case kAudioUnitSetParameterSelect:
    case kAudioUnitGetParameterSelect:
        if (id >= 4) return kAudioUnitErr_InvalidParameter;
        if (p->what == kAudioUnitSetParameterSelect) gValues[id].store(ComponentArgFloat(ComponentParam(p, 3)));
        else *reinterpret_cast<Float32*>(ComponentParam(p, 3)) = gValues[id].load();
        return noErr;
    default: return badComponentSelector;
    }
}

AudioUnitParameter Param(AudioUnitParameterID id)
{
    static AudioUnit unit = OpenComponent(
        RegisterComponent(ComponentDescription{FourCC("aufx"), FourCC("Prms"), FourCC("TsPs"), 0, 0}, &FakeEntry, ""));
    return AudioUnitParameter{unit, id, 0, 0};
}

using Calls = std::vector<std::pair<AudioUnitParameterID, float>>;

struct Log {
    static void Proc(void* refCon, void* object, const AudioUnitParameter* p, AudioUnitParameterValue v)
    {
        auto* self = static_cast<Log*>(refCon);
        self->calls.push_back({p->mParameterID, v});
        self->object = object;
        self->thread = std::this_thread::get_id();
        self->count.fetch_add(1);
    }
    std::atomic<int> count{0};  // for a listener on another thread
    Calls calls;
    void* object = nullptr;
    std::thread::id thread;
};

AUParameterListenerRef Listener(Log& log, Float32 interval = 0.f, CFRunLoopRef loop = CFRunLoopGetCurrent())
{
    AUParameterListenerRef l = nullptr;
    EXPECT_EQ(AUListenerCreate(&Log::Proc, &log, loop, kCFRunLoopDefaultMode, interval, &l), noErr);
    return l;
}

void RunLoopFor(double seconds) { CFRunLoopRunInMode(kCFRunLoopDefaultMode, seconds, false); }

}  // namespace

TEST(ParameterServices, ListenersHearSetsOnTheirLoopButNotTheSenderNorAfterDisposal)
{
    Log a, b;
    AUParameterListenerRef la = Listener(a), lb = Listener(b);
    const AudioUnitParameter p = Param(1), bad = Param(9);
    int tag = 0;
    ASSERT_EQ(AUListenerAddParameter(la, &tag, &p), noErr);
    ASSERT_EQ(AUListenerAddParameter(lb, nullptr, &p), noErr);
    EXPECT_EQ(AUParameterSet(lb, nullptr, &p, 2.5f, 0), noErr);  // b sends: only a hears it
    EXPECT_EQ(gValues[1].load(), 2.5f);
    EXPECT_TRUE(a.calls.empty());  // delivered only when the loop runs
    EXPECT_EQ(AUParameterSet(nullptr, nullptr, &bad, 1.f, 0), kAudioUnitErr_InvalidParameter);
    RunLoopFor(0.02);
    EXPECT_EQ(a.calls, (Calls{{1, 2.5f}}));
    EXPECT_EQ(a.object, &tag);
    EXPECT_TRUE(b.calls.empty());

    AUParameterSet(nullptr, nullptr, &p, 5.f, 0);
    EXPECT_EQ(AUListenerDispose(la), noErr);  // before its pending delivery
    RunLoopFor(0.02);
    gValues[1].store(-1.f);  // a change made by other means, announced
    EXPECT_EQ(AUParameterListenerNotify(nullptr, nullptr, &p), noErr);
    RunLoopFor(0.02);
    EXPECT_EQ(a.calls.size(), 1u);
    EXPECT_EQ(b.calls, (Calls{{1, 5.f}, {1, -1.f}}));
    AUListenerDispose(lb);
}

TEST(ParameterServices, ChangesWithinTheIntervalAreCoalesced)
{
    Log log;
    AUParameterListenerRef listener = Listener(log, 0.2f);
    const AudioUnitParameter p = Param(0);
    ASSERT_EQ(AUListenerAddParameter(listener, nullptr, &p), noErr);
    AUParameterSet(nullptr, nullptr, &p, 1.f, 0);
    RunLoopFor(0.02);
    AUParameterSet(nullptr, nullptr, &p, 2.f, 0);
    AUParameterSet(nullptr, nullptr, &p, 3.f, 0);
    for (int i = 0; i < 50 && log.calls.size() < 2; ++i) RunLoopFor(0.02);
    EXPECT_EQ(log.calls, (Calls{{0, 1.f}, {0, 3.f}}));  // only the latest value
    AUListenerDispose(listener);
}

TEST(ParameterServices, ListenerOnAnotherThreadsRunLoop)
{
    Log log;
    std::atomic<CFRunLoopRef> loop{nullptr};
    std::atomic<bool> done{false};
    std::thread::id otherId;
    std::thread other([&] {
        otherId = std::this_thread::get_id();  // published by the store to `loop`
        loop = CFRunLoopGetCurrent();
        while (!done) RunLoopFor(0.01);
    });
    while (!loop) std::this_thread::yield();
    AUParameterListenerRef listener = Listener(log, 0.f, loop);
    const AudioUnitParameter p = Param(2);
    AUListenerAddParameter(listener, nullptr, &p);
    AUParameterSet(nullptr, nullptr, &p, 0.5f, 0);
    for (int i = 0; i < 200 && log.count.load() == 0; ++i) RunLoopFor(0.005);  // this loop must not deliver it
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
        for (float v = 0; !done.load(std::memory_order_relaxed); v += 1.f) {
            AUParameterSet(nullptr, nullptr, &p, v, 0);
            sets.fetch_add(1, std::memory_order_relaxed);
        }
    });
    Log log;
    for (int round = 0; round < 50; ++round) {
        AUParameterListenerRef listener = Listener(log);
        AUListenerAddParameter(listener, nullptr, &p);
        RunLoopFor(0.002);
        AUListenerDispose(listener);  // while the audio thread may be notifying it
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
