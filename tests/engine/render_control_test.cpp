// Render-time control: tempo sync, triggers, the LFO, the sample overview, bypass, reset,
// sample-rate changes and an allocation-free render.
#include <algorithm>
#include <cmath>

#include "FlummelFixture.h"
#include "platform/audio/AudioUnitUtilities.h"
#include "platform/cf/CFRunLoop.h"
#include "support/AllocCounter.h"

namespace {
Signal Silence(size_t frames) { return Signal(2, std::vector<float>(frames, 0.f)); }
}  // namespace

TEST_F(FlummelTest, TempoSyncedLoopLengths)
{
    ASSERT_EQ(host->SetTempo(120.0), noErr);
    ASSERT_EQ(host->Initialize(), noErr);
    Set(kParam_HostTempo, 1.f);
    Run(Silence(64), 64);
    EXPECT_EQ(Effect()->DelayLength(), 88200);  // 0.25 x 4 x 240 / 120 = 2 s
    Set(kParam_Triplet, 1.f);
    Run(Silence(64), 64);
    EXPECT_EQ(Effect()->DelayLength(), 58800);
    Set(kParam_Triplet, 0.f);
    ASSERT_EQ(host->SetTempo(60.0), noErr);
    Set(kParam_Beats, 128.f);
    Set(kParam_BeatDivisor, 0.f);
    Run(Silence(64), 64);
    EXPECT_EQ(Effect()->DelayLength(), 30 * 44100);  // 512 s, clamped
}

TEST_F(FlummelTest, NoTempoInformationFallsBackToDelayTime)
{
    ASSERT_EQ(host->Initialize(), noErr);
    Set(kParam_HostTempo, 1.f);
    Set(kParam_DelayTime, 0.5f);
    Run(Silence(64), 64);
    EXPECT_EQ(Effect()->DelayLength(), 22050);
    ASSERT_EQ(host->SetTempo(std::nullopt), noErr);
    Run(Silence(64), 64);
    EXPECT_EQ(Effect()->DelayLength(), 22050);
    Set(kParam_DelayTime, 0.f);
    Run(Silence(64), 64);
    EXPECT_EQ(Effect()->DelayLength(), 1);
}

TEST_F(FlummelTest, LfoPhaseAdvancesAndFollowsTempo)
{
    ASSERT_EQ(host->SetMaxFramesPerSlice(11025), noErr);
    ASSERT_EQ(host->Initialize(), noErr);
    Set(kParam_FilterLfoSpeed, 1.f);
    Run(Silence(11025), 11025);
    EXPECT_NEAR(Effect()->CopyDataToGui().lfoPhase, 0.25f, 1e-5f);

    // At 120 BPM, one LFO beat of 1/4 is 2 Hz: 11025 frames are half a cycle.
    Set(kParam_LfoReSync, 1.f);
    Run(Silence(64), 64);
    EXPECT_EQ(Effect()->CopyDataToGui().lfoPhase, 0.f);
    ASSERT_EQ(host->SetTempo(120.0), noErr);
    Set(kParam_LfoHostTempo, 1.f);
    Run(Silence(11025), 11025);
    EXPECT_NEAR(Effect()->CopyDataToGui().lfoPhase, 0.5f, 1e-5f);
}

namespace {
struct TriggerLog {
    static void Proc(void* refCon, void*, const AudioUnitParameter* p, AudioUnitParameterValue v)
    {
        static_cast<TriggerLog*>(refCon)->changes.push_back({p->mParameterID, v});
    }
    std::vector<std::pair<AudioUnitParameterID, float>> changes;
};
}  // namespace

TEST_F(FlummelTest, TriggersFireOnceAndListenersAreTold)
{
    PlainLoop(1000);
    ASSERT_EQ(host->Initialize(), noErr);
    TriggerLog log;
    AUParameterListenerRef listener = nullptr;
    ASSERT_EQ(AUListenerCreate(&TriggerLog::Proc, &log, CFRunLoopGetCurrent(), kCFRunLoopDefaultMode, 0.f, &listener),
              noErr);
    for (AudioUnitParameterID id : {kParam_ReSync, kParam_LfoReSync}) {
        const AudioUnitParameter p{host->Unit(), id, kAudioUnitScope_Global, 0};
        ASSERT_EQ(AUListenerAddParameter(listener, nullptr, &p), noErr);
    }

    Run(Silence(300), 100);
    EXPECT_EQ(Effect()->Kernel(0)->Position(), 300);
    Set(kParam_ReSync, 1.f);
    Run(Silence(50), 50);
    EXPECT_EQ(Get(kParam_ReSync), 0.f);
    // The head went back to 0 before the 50 frames ran.
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(Effect()->Kernel(c)->Position(), 50);
        EXPECT_TRUE(Effect()->Kernel(c)->Forward());
    }
    Run(Silence(50), 50);
    EXPECT_EQ(Effect()->Kernel(0)->Position(), 100);  // fired once

    for (int i = 0; i < 20 && log.changes.empty(); ++i) CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.05, false);
    ASSERT_EQ(log.changes.size(), 1u);
    EXPECT_EQ(log.changes[0].first, AudioUnitParameterID(kParam_ReSync));
    EXPECT_EQ(log.changes[0].second, 0.f);
    AUListenerDispose(listener);
}

TEST_F(FlummelTest, SampleOverviewFollowsTheLoop)
{
    float* overview = nullptr;
    UInt32 size = sizeof overview;
    ASSERT_EQ(AudioUnitGetProperty(host->Unit(), kSampleOverviewProperty, 0, 0, &overview, &size), noErr);

    // Below 256 samples the overview is flat.
    PlainLoop(200);
    ASSERT_EQ(host->Initialize(), noErr);
    Run(Signal(2, std::vector<float>(400, 0.64f)), 400);
    for (int k = 0; k < 256; ++k) EXPECT_EQ(overview[4 * k + 1], 0.f);

    // N = 1000: 3 samples an entry; entry k covers loop samples 3k..3k+2, compressed by sqrt.
    ASSERT_EQ(host->Reset(), noErr);
    PlainLoop(1000);
    Signal in = Impulses(1000, {{30, 0.64f}, {31, -0.25f}, {900, 1.f}});
    Run(in, 512);
    EXPECT_FLOAT_EQ(overview[4 * 10 + 3], 0.8f);  // sqrt(0.64)
    EXPECT_FLOAT_EQ(overview[4 * 10 + 1], -0.5f);  // -sqrt(0.25)
    EXPECT_EQ(overview[4 * 11 + 3], 0.f);
    EXPECT_EQ(overview[4 * 10], 10.f);
    // Sample 900 lies beyond the 768 samples that the overview shows.
    for (int k = 0; k < 256; ++k) {
        if (k == 10) continue;
        EXPECT_LT(overview[4 * k + 3], 0.1f) << k;
    }
}

TEST_F(FlummelTest, BypassIsBitIdenticalAndSwitchingBackResets)
{
    PlainLoop(100);
    ASSERT_EQ(host->Initialize(), noErr);
    Run(Impulses(50, {{30, 1.f}}), 50);
    UInt32 on = 1;
    ASSERT_EQ(AudioUnitSetProperty(host->Unit(), kAudioUnitProperty_BypassEffect, 0, 0, &on, 4), noErr);
    Signal in(2, std::vector<float>(600));
    for (size_t i = 0; i < in[0].size(); ++i) in[0][i] = std::sin(float(i)), in[1][i] = std::cos(0.3f * float(i));
    EXPECT_EQ(Run(in, 128), in);
    EXPECT_EQ(Effect()->Kernel(0)->Position(), 50);  // kernels did not run
    UInt32 off = 0;
    ASSERT_EQ(AudioUnitSetProperty(host->Unit(), kAudioUnitProperty_BypassEffect, 0, 0, &off, 4), noErr);
    EXPECT_EQ(Effect()->Kernel(0)->Position(), 0);  // reset: the recorded impulse is gone
    const Signal out = Run(Silence(300), 300);
    for (float v : out[0]) EXPECT_EQ(v, 0.f);
    UInt32 value = 9;
    UInt32 size = 4;
    ASSERT_EQ(AudioUnitGetProperty(host->Unit(), kAudioUnitProperty_BypassEffect, 0, 0, &value, &size), noErr);
    EXPECT_EQ(value, 0u);
}

TEST_F(FlummelTest, HostResetClearsTheLoopButNotTheLfo)
{
    PlainLoop(100);
    ASSERT_EQ(host->Initialize(), noErr);
    Run(Impulses(50, {{30, 1.f}}), 50);
    const float lfo = Effect()->LfoPhase();
    ASSERT_NE(lfo, 0.f);
    ASSERT_EQ(host->Reset(), noErr);
    EXPECT_EQ(Effect()->Kernel(0)->Position(), 0);
    EXPECT_EQ(Effect()->LfoPhase(), lfo);
    const Signal out = Run(Silence(300), 300);
    for (float v : out[0]) EXPECT_EQ(v, 0.f);
}

TEST_F(FlummelTest, SampleRateChangeResizesTheLoop)
{
    ASSERT_EQ(host->Initialize(), noErr);
    EXPECT_EQ(Effect()->Kernel(0)->SampleRate(), 44100.f);
    ASSERT_EQ(host->Uninitialize(), noErr);
    ASSERT_EQ(host->SetFormat(48000.0, 2), noErr);
    ASSERT_EQ(host->Initialize(), noErr);
    Run(Silence(64), 64);
    EXPECT_EQ(Effect()->Kernel(0)->SampleRate(), 48000.f);
    EXPECT_EQ(Effect()->DelayLength(), 48000);
}

TEST_F(FlummelTest, RenderingAllocatesNothing)
{
    Set(kParam_Feedback, 90.f);
    Set(kParam_SaturationAmount, 4.f);
    Set(kParam_FilterType, 2.2f);
    Set(kParam_FilterLfoAmount, 1.5f);
    ASSERT_EQ(host->SetInputSignal(Signal(2, std::vector<float>(512 * 203, 0.3f))), noErr);
    ASSERT_EQ(host->Initialize(), noErr);
    std::vector<float> l(512), r(512);
    float* out[2] = {l.data(), r.data()};
    for (int i = 0; i < 3; ++i) ASSERT_EQ(host->Render(out, 2, 512), noErr);
    testsupport::AllocationScope scope;
    for (int i = 0; i < 200; ++i) ASSERT_EQ(host->Render(out, 2, 512), noErr);
    EXPECT_EQ(scope.Count(), 0);
}

TEST_F(FlummelTest, NullBuffersGetTheProcessedInput)
{
    Set(kParam_DryLevel, 0.5f);
    ASSERT_EQ(host->SetInputSignal(Signal(2, std::vector<float>(256, 1.f))), noErr);
    ASSERT_EQ(host->Initialize(), noErr);
    std::vector<float> l(256), r(256);
    float* out[2] = {l.data(), r.data()};
    ASSERT_EQ(host->RenderNull(out, 2, 256), noErr);
    // The effect hands back its processed input buffers: dry 0.125, the loop is still empty.
    EXPECT_EQ(l[0], 0.125f);
    EXPECT_EQ(r[255], 0.125f);
}

TEST_F(FlummelTest, OverviewIsBuiltWholeOnceAnEditorAsksForIt)
{
    // Loop of 2560: 10 samples an entry. Record a ramp of levels before anyone asks.
    PlainLoop(2560);
    ASSERT_EQ(host->Initialize(), noErr);
    Signal in(2, std::vector<float>(2560));
    for (size_t i = 0; i < 2560; ++i) in[0][i] = in[1][i] = 0.25f * float(i / 640 + 1) / 4.f;
    Run(in, 256);

    float* overview = nullptr;
    UInt32 size = sizeof overview;
    ASSERT_EQ(AudioUnitGetProperty(host->Unit(), kSampleOverviewProperty, 0, 0, &overview, &size), noErr);
    // The next render call (its head only passes samples 2496..2559) brings every entry up to
    // the loop's content; the middle of each plateau is checked.
    Run(Signal(2, std::vector<float>(64, 0.f)), 64);
    for (int k : {32, 96, 160, 224}) {
        const float level = 0.25f * float(k * 10 / 640 + 1) / 4.f;
        EXPECT_NEAR(overview[4 * k + 3], std::sqrt(level), 1e-3f) << k;
        EXPECT_NEAR(overview[4 * k + 1], std::sqrt(level), 1e-3f) << k;
    }
    EXPECT_EQ(overview[4 * 252 + 3], 0.f);  // overwritten by that call's silence
}

TEST_F(FlummelTest, OverviewKeepsUpWithTheHeadThroughTurns)
{
    float* overview = nullptr;
    UInt32 size = sizeof overview;
    ASSERT_EQ(AudioUnitGetProperty(host->Unit(), kSampleOverviewProperty, 0, 0, &overview, &size), noErr);
    PlainLoop(1000);
    Set(kParam_Feedback, 50.f);
    ASSERT_EQ(host->Initialize(), noErr);
    UInt32 seed = 7;
    auto noise = [&] { return float((seed = seed * 1664525u + 1013904223u) >> 8) / float(1 << 24) - 0.5f; };
    auto compress = [](float v) { return v >= 0 ? std::sqrt(v) : -std::sqrt(-v); };
    // Block sizes that make the head turn inside calls, at both ends of the loop.
    for (UInt32 block : {37u, 700u, 990u, 13u, 1000u, 333u, 1100u, 37u}) {
        Signal in(2, std::vector<float>(block));
        for (auto& ch : in)
            for (float& v : ch) v = noise();
        Run(in, block);
        for (int k = 0; k < 256; ++k) {
            float lo = 1e6f, hi = -1e6f;
            for (int c = 0; c < 2; ++c) {
                const float* loop = Effect()->Kernel(size_t(c))->Loop();
                for (int i = 3 * k; i < 3 * k + 3; ++i) lo = std::min(lo, loop[i]), hi = std::max(hi, loop[i]);
            }
            ASSERT_EQ(overview[4 * k + 1], compress(lo)) << "block " << block << " entry " << k;
            ASSERT_EQ(overview[4 * k + 3], compress(hi)) << "block " << block << " entry " << k;
        }
    }
}
