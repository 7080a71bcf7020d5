// Control threads add and remove render notifications while another thread renders.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "TestUnit.h"
#include "framework/TThreadSafeList.h"
#include "support/AllocCounter.h"

namespace {

struct Counter {
    static OSStatus Proc(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32,
                         AudioBufferList*)
    {
        static_cast<Counter*>(refCon)->calls.fetch_add(1, std::memory_order_relaxed);
        return noErr;
    }
    std::atomic<long> calls{0};
};

}  // namespace

TEST(RenderNotifyStress, ControlThreadsChangeTheListWhileRendering)
{
    RenderedUnit r;
    const OpenTestUnit& unit = r.unit;

    constexpr int kThreads = 3, kRounds = 4000;
    Counter counters[kThreads];
    std::atomic<bool> done{false};
    std::atomic<long> renders{0};

    std::thread renderer([&] {
        PlanarBuffers out(2, 64);
        for (Float64 t = 0; !done.load(std::memory_order_relaxed); t += 64)
            if (unit.Render(out, 64, t) == noErr) renders.fetch_add(1, std::memory_order_relaxed);
    });
    std::vector<std::thread> controls;
    for (int i = 0; i < kThreads; ++i) {
        controls.emplace_back([&, i] {
            for (int r = 0; r < kRounds; ++r) {
                AudioUnitAddRenderNotify(unit.unit(), &Counter::Proc, &counters[i]);
                AudioUnitRemoveRenderNotify(unit.unit(), &Counter::Proc, &counters[i]);
            }
            AudioUnitAddRenderNotify(unit.unit(), &Counter::Proc, &counters[i]);  // leave each one added once
        });
    }
    for (auto& t : controls) t.join();
    // Let the renderer apply the last events, then count one more render's calls.
    const long seen = renders.load();
    while (renders.load() < seen + 3) std::this_thread::yield();
    done = true;
    renderer.join();

    long before[kThreads];
    for (int i = 0; i < kThreads; ++i) before[i] = counters[i].calls.load();
    PlanarBuffers out(2, 64);
    ASSERT_EQ(unit.Render(out, 64, -5), noErr);
    for (int i = 0; i < kThreads; ++i) EXPECT_EQ(counters[i].calls.load() - before[i], 2) << i;  // pre and post
}

TEST(ThreadSafeList, EventsApplyInQueueOrderAndNodesAreRecycled)
{
    TThreadSafeList<int> list;
    list.deferred_add(1);
    list.deferred_add(2);
    list.deferred_remove(1);
    list.deferred_add(3);
    list.deferred_add(2);
    list.update();
    std::vector<int> seen;
    for (int v : list) seen.push_back(v);
    EXPECT_EQ(seen, (std::vector<int>{2, 3}));

    // Three nodes went back to the free stack: queueing reuses them.
    {
        testsupport::AllocationScope scope;
        list.deferred_remove(2);
        list.deferred_remove(3);
        list.deferred_remove(42);  // not present: a no-op
        EXPECT_EQ(scope.Count(), 0);
    }
    list.update();
    EXPECT_FALSE(list.begin() != list.end());
}
