// Render-time control: tempo sync, triggers, the LFO, the sample overview, reset and an
// allocation-free render.
#include <algorithm>
#include <cmath>
#include <optional>

#include "FlummelFixture.h"
#include "platform/audio/AudioUnitUtilities.h"
#include "platform/cf/CFRunLoop.h"
#include "support/AllocCounter.h"

// Out-of-range tempos are clamped to 1..1000 BPM; no tempo, non-numbers and non-positive ones
// fall back to Delay Time; none of them hangs the render or throws the LFO out of its cycle.
TEST_F(FlummelTest, TempoSyncedLoopLengths)
{
    for (auto [id, v] : {std::pair{kParam_HostTempo, 1.f}, {kParam_LfoHostTempo, 1.f}, {kParam_LfoBeatDivisor, 5.f},
                         {kParam_FilterLfoAmount, 2.f}, {kParam_FilterType, 1.f}, {kParam_DelayTime, 0.5f}})
        Set(id, v);
    ASSERT_EQ(host->Initialize(), noErr);
    const struct {
        std::optional<double> tempo;
        float beats, divisor, triplet;
        SInt32 loop;  // beats x 4 x divisor x 60 / tempo seconds (x 2/3 for triplets), at most 30 s
    } cases[] = {
        {120.0, 4, 2, 0, 88200}, {120.0, 4, 2, 1, 58800}, {60.0, 128, 0, 0, 30 * 44100}, {1e9, 4, 2, 0, 10584},
        {1e300, 4, 2, 0, 10584}, {HUGE_VAL, 4, 2, 0, 10584}, {1e-9, 4, 2, 0, 1323000}, {0.0, 4, 2, 0, 22050},
        {-120.0, 4, 2, 0, 22050}, {std::nan(""), 4, 2, 0, 22050}, {std::nullopt, 4, 2, 0, 22050},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(host->SetTempo(c.tempo), noErr);
        Set(kParam_Beats, c.beats);
        Set(kParam_BeatDivisor, c.divisor);
        Set(kParam_Triplet, c.triplet);
        const Signal out = Run(Noise(2, 4096, 5), 1024);
        EXPECT_EQ(Effect()->DelayLength(), c.loop) << "case " << &c - cases;
        const float phase = Effect()->LfoPhase();
        EXPECT_TRUE(phase >= 0.f && phase < 6.2831855f) << "case " << &c - cases << ": LFO phase " << phase;
        for (const auto& ch : out)
            for (float v : ch) ASSERT_TRUE(std::isfinite(v)) << "case " << &c - cases;
    }
}

// At 120 BPM, one LFO beat of 1/4 is 2 Hz: 11025 frames from a resync are half a cycle.
TEST_F(FlummelTest, LfoPhaseFollowsTempoFromAResync)
{
    ASSERT_EQ(host->SetMaxFramesPerSlice(11025), noErr);
    ASSERT_EQ(host->Initialize(), noErr);
    Run(Constant(300), 300);
    ASSERT_NE(Effect()->CopyDataToGui().lfoPhase, 0.f);
    Set(kParam_LfoReSync, 1.f);
    Run(Constant(64), 64);
    EXPECT_EQ(Effect()->CopyDataToGui().lfoPhase, 0.f);
    ASSERT_EQ(host->SetTempo(120.0), noErr);
    Set(kParam_LfoHostTempo, 1.f);
    Run(Constant(11025), 11025);
    EXPECT_NEAR(Effect()->CopyDataToGui().lfoPhase, 0.5f, 1e-5f);
}

TEST_F(FlummelTest, TriggersFireOnceAndListenersAreTold)
{
    Reinit(1000);
    std::vector<std::pair<AudioUnitParameterID, float>> changes;
    auto log = [](void* refCon, void*, const AudioUnitParameter* p, AudioUnitParameterValue v) {
        static_cast<decltype(changes)*>(refCon)->push_back({p->mParameterID, v});
    };
    AUParameterListenerRef listener = nullptr;
    ASSERT_EQ(AUListenerCreate(log, &changes, CFRunLoopGetCurrent(), kCFRunLoopDefaultMode, 0.f, &listener), noErr);
    for (AudioUnitParameterID id : {kParam_ReSync, kParam_LfoReSync}) {
        const AudioUnitParameter p{host->Unit(), id, kAudioUnitScope_Global, 0};
        ASSERT_EQ(AUListenerAddParameter(listener, nullptr, &p), noErr);
    }
    Run(Constant(300), 100);
    EXPECT_EQ(Effect()->Kernel(0)->Position(), 300);
    Set(kParam_ReSync, 1.f);
    Run(Constant(50), 50);
    EXPECT_EQ(Get(kParam_ReSync), 0.f);
    for (int c = 0; c < 2; ++c) {  // the head went back to 0 before the 50 frames ran
        EXPECT_EQ(Effect()->Kernel(c)->Position(), 50);
        EXPECT_TRUE(Effect()->Kernel(c)->Forward());
    }
    Run(Constant(50), 50);
    EXPECT_EQ(Effect()->Kernel(0)->Position(), 100);  // fired once
    for (int i = 0; i < 20 && changes.empty(); ++i) CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.05, false);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], std::make_pair(AudioUnitParameterID(kParam_ReSync), 0.f));
    AUListenerDispose(listener);
}

// Once 512 frames have been rendered since its last update, each overview entry k holds x = k and
// the sqrt-compressed envelope of both loops over its samples; loops below 256 samples give a flat
// line. An overview asked for late is built whole by the next call.
TEST_F(FlummelTest, SampleOverviewIsTheLoopsEnvelopeEvery512Frames)
{
    const struct {
        int loop;
        std::vector<UInt32> blocks;  // the head turns inside calls, at both ends of the loop
        size_t askBefore;            // call
    } cases[] = {
        {2560, {1000, 1000, 560, 64, 300}, 3},  // first: the call after the ask passes 2496..2559 only
        {200, {400, 77}, 0},
        {5003, std::vector<UInt32>(40, 333), 0},  // 19 samples an entry
        {600, std::vector<UInt32>(30, 100), 0},   // turns between updates
    };
    auto compress = [](float v) { return v >= 0.f ? std::sqrt(v) : -std::sqrt(-v); };
    for (const auto& c : cases) {
        Reinit(c.loop, {{kParam_Feedback, 50.f}, {kParam_SaturationAmount, 5.f}});
        const float* overview = nullptr;
        UInt32 pending = 0;  // frames since the last update
        const size_t perEntry = size_t(c.loop / kSampleOverviewEntries);
        for (size_t call = 0; call < c.blocks.size(); ++call) {
            UInt32 size = sizeof overview;
            if (call == c.askBefore) {
                ASSERT_EQ(AudioUnitGetProperty(host->Unit(), kSampleOverviewProperty, 0, 0, &overview, &size), noErr);
            }
            Run(call % 4 == 3 ? Constant(c.blocks[call]) : Noise(2, c.blocks[call], UInt32(call), 0.5f), c.blocks[call]);
            pending = call == c.askBefore ? 0 : pending + c.blocks[call];
            if (call < c.askBefore || (pending > 0 && pending < 512)) continue;
            pending = 0;
            for (size_t k = 0; k < kSampleOverviewEntries; ++k) {
                std::vector<float> both(Effect()->Kernel(0)->Loop() + perEntry * k,
                                        Effect()->Kernel(0)->Loop() + perEntry * (k + 1));
                both.insert(both.end(), Effect()->Kernel(1)->Loop() + perEntry * k,
                            Effect()->Kernel(1)->Loop() + perEntry * (k + 1));
                const auto [lo, hi] = std::minmax_element(both.begin(), both.end());
                const float expected[4] = {float(k), perEntry ? compress(*lo) : 0.f, float(k), perEntry ? compress(*hi) : 0.f};
                ASSERT_TRUE(std::equal(expected, expected + 4, &overview[4 * k]))
                    << "loop " << c.loop << ", call " << call << ", entry " << k;
            }
        }
    }
}

// A host reset clears the loop and leaves the LFO where it was.
TEST_F(FlummelTest, ResetClearsTheLoopButNotTheLfo)
{
    Reinit(100);
    Run(Impulses(50, {{30, 1.f}}), 50);
    const float lfo = Effect()->LfoPhase();
    ASSERT_NE(lfo, 0.f);
    ASSERT_EQ(host->Reset(), noErr);
    EXPECT_EQ(Effect()->Kernel(0)->Position(), 0);
    EXPECT_EQ(Effect()->LfoPhase(), lfo);
    const Signal out = Run(Constant(300), 300);
    for (float v : out[0]) ASSERT_EQ(v, 0.f);
}

TEST_F(FlummelTest, RenderingAllocatesNothing)
{
    for (auto [id, v] : {std::pair{kParam_DryLevel, 0.5f}, {kParam_Feedback, 90.f}, {kParam_SaturationAmount, 4.f},
                         {kParam_FilterType, 2.2f}, {kParam_FilterLfoAmount, 1.5f}})
        Set(id, v);
    ASSERT_EQ(host->SetInputSignal(Constant(512 * 204, 1.f)), noErr);
    ASSERT_EQ(host->Initialize(), noErr);
    std::vector<float> l(512), r(512);
    float* out[2] = {l.data(), r.data()};
    for (int i = 0; i < 3; ++i) ASSERT_EQ(host->Render(out, 2, 512), noErr);
    testsupport::AllocationScope scope;
    for (int i = 0; i < 200; ++i) ASSERT_EQ(host->Render(out, 2, 512), noErr);
    EXPECT_EQ(scope.Count(), 0);
}
