// Audio safety: bounded output across the legal settings, non-finite input, absurd host tempos
// and sample rates the effect cannot work at.
#include <cmath>
#include <cstring>
#include <limits>

#include "FlummelFixture.h"
#include "support/StabilitySweep.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

Signal Noise(size_t frames, uint32_t seed)
{
    Signal s(2, std::vector<float>(frames));
    for (auto& ch : s)
        for (float& v : ch) v = float((seed = seed * 1664525u + 1013904223u) >> 8) / float(1 << 23) - 1.f;
    return s;
}

bool BitIdentical(const Signal& a, const Signal& b)
{
    if (a.size() != b.size()) return false;
    for (size_t c = 0; c < a.size(); ++c)
        if (a[c].size() != b[c].size() || std::memcmp(a[c].data(), b[c].data(), a[c].size() * sizeof(float)) != 0)
            return false;
    return true;
}

}  // namespace

// A sample of the full sweep that still takes every value of every setting (bench/ runs all of
// it with long tails).
TEST(StabilitySweepTest, OutputsStayFiniteBoundedAndDoNotGrow)
{
    const std::vector<StabilitySweep::Case> cases = StabilitySweep::Sample(3989, 11);
    ASSERT_GE(cases.size(), 20u);
    for (const StabilitySweep::Case& c : cases) {
        const StabilitySweep::Peaks p = StabilitySweep::Run(c, 0.2, 1.2);
        EXPECT_TRUE(p.Bounded(c)) << c.Describe() << ": peak " << p.overall;
        EXPECT_TRUE(p.Settled(c)) << c.Describe() << ": tail " << p.shortTail << " then " << p.longTail;
    }
}

// The settings that once rang at Nyquist for ever or resonated without end.
TEST(StabilitySweepTest, FilterEdgesNoLongerRunAway)
{
    using Case = StabilitySweep::Case;
    const Case cases[] = {
        // rate, type, cutoff, Q, saturation, shape, feedback, LFO amount, delay, sine
        {48000, 1, 11000, 0.1f, 0, 1, 0, 0, 0.3f, false},   // low-pass on the Nyquist edge
        {48000, 1, 12000, 0.1f, 0, 1, 100, 0, 0.3f, false},  // ... with full feedback
        {22050, 1, 12000, 0.1f, 0, 1, 100, 3, 0.3f, false},  // ... swept past the frequency limit
        {48000, 2, 1000, 1.f, 0, 1, 100, 0, 0.3f, false},    // undamped band-pass
        {48000, 2, 50, 1.f, 0, 1, 100, 0, 0.3f, true},
    };
    for (const Case& c : cases) {
        const StabilitySweep::Peaks p = StabilitySweep::Run(c, 0.5, 4.0);
        EXPECT_TRUE(p.Bounded(c)) << c.Describe() << ": peak " << p.overall;
        EXPECT_TRUE(p.Settled(c)) << c.Describe() << ": tail " << p.shortTail << " then " << p.longTail;
    }
}

// NaN and Inf count as silence everywhere, dry path included.
TEST_F(FlummelTest, NonFiniteInputSoundsLikeSilence)
{
    ASSERT_EQ(host->Initialize(), noErr);
    Set(kParam_Feedback, 100.f);
    Set(kParam_DelayTime, 0.01f);
    Set(kParam_FilterType, 2.2f);
    Set(kParam_SaturationAmount, 3.f);
    Signal zeroed = Noise(8192, 3), poisoned = zeroed;
    const std::tuple<size_t, size_t, float> bad[] = {
        {0, 0, kNaN}, {0, 100, kInf}, {1, 101, -kInf}, {1, 4000, kNaN}, {0, 8191, kInf},
    };
    for (auto [channel, at, value] : bad) {
        zeroed[channel][at] = 0.f;
        poisoned[channel][at] = value;
    }
    // The LFO is still, and a reset clears everything else, so both runs start alike.
    Signal expected, got;
    ASSERT_EQ(host->Process(zeroed, expected, 512), noErr);
    ASSERT_EQ(host->Reset(), noErr);
    ASSERT_EQ(host->Process(poisoned, got, 512), noErr);
    EXPECT_TRUE(BitIdentical(got, expected));

    // Long after, the loop and the filter carry on as with clean input.
    Signal tailExpected, tailGot;
    const Signal more = Noise(4096, 9);
    ASSERT_EQ(host->Process(more, tailGot, 512), noErr);
    ASSERT_EQ(host->Reset(), noErr);
    ASSERT_EQ(host->Process(zeroed, expected, 512), noErr);
    ASSERT_EQ(host->Process(more, tailExpected, 512), noErr);
    EXPECT_TRUE(BitIdentical(tailGot, tailExpected));
}

// Tempos a host may send: out-of-range ones are clamped to 1..1000 BPM, non-numbers and
// non-positive ones count as no tempo; none of them hangs the render.
TEST_F(FlummelTest, AbsurdHostTemposAreClampedOrIgnored)
{
    ASSERT_EQ(host->Initialize(), noErr);
    Set(kParam_HostTempo, 1.f);
    Set(kParam_LfoHostTempo, 1.f);
    Set(kParam_LfoBeats, 1.f);
    Set(kParam_LfoBeatDivisor, 5.f);
    Set(kParam_FilterLfoAmount, 2.f);
    Set(kParam_FilterType, 1.f);
    Set(kParam_DelayTime, 0.5f);
    const struct {
        double tempo;
        SInt32 loop;  // samples; 0.25 x 4 x 240 / tempo seconds, or Delay Time's 0.5 s
    } cases[] = {
        {120.0, 88200},
        {1e9, 10584},   // as 1000 BPM
        {1e300, 10584},
        {double(kInf), 10584},
        {1e-9, 1323000},  // as 1 BPM: 240 s, clamped to 30 s
        {0.0, 22050},     // no tempo
        {-120.0, 22050},
        {double(kNaN), 22050},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(host->SetTempo(c.tempo), noErr);
        Signal out;
        ASSERT_EQ(host->Process(Noise(4096, 5), out, 1024), noErr);
        EXPECT_EQ(Effect()->DelayLength(), c.loop) << c.tempo;
        const float phase = Effect()->LfoPhase();
        EXPECT_TRUE(phase >= 0.f && phase < 6.2831855f) << c.tempo << ": LFO phase " << phase;
        for (const auto& ch : out)
            for (float v : ch) ASSERT_TRUE(std::isfinite(v)) << c.tempo;
    }
}

// Hosts and saved states can hand in any parameter value; the render path uses legal ones.
TEST_F(FlummelTest, OutOfRangeAndNonNumericParametersAreMadeLegal)
{
    ASSERT_EQ(host->Initialize(), noErr);
    const struct {
        AudioUnitParameterID id;
        float value;
    } cases[] = {
        {kParam_DelayTime, kNaN},        {kParam_DelayTime, -kInf},      {kParam_Feedback, 1e30f},
        {kParam_FilterQ, -4.f},          {kParam_FilterType, 1e30f},     {kParam_FilterCutoff, -1e6f},
        {kParam_FilterLfoSpeed, kInf},   {kParam_FilterLfoAmount, kNaN}, {kParam_SaturationShape, 1e9f},
    };
    for (const auto& c : cases) {
        Set(c.id, c.value);
        Signal out;
        ASSERT_EQ(host->Process(Noise(2048, 1), out, 512), noErr);
        float peak = 0.f;
        for (const auto& ch : out)
            for (float v : ch) peak = std::isfinite(v) ? std::max(peak, std::fabs(v)) : kInf;
        EXPECT_LE(peak, TrWkFlummel::kOutputBound) << "parameter " << c.id << " = " << c.value;
        Set(c.id, InitialParameterValue(c.id));
    }
}

// Below 1 kHz the DC blocker stops being one; such rates are refused like those above 768 kHz.
TEST_F(FlummelTest, SampleRatesOutsideTheWorkingRangeAreRefused)
{
    const struct {
        double rate;
        OSStatus result;
    } cases[] = {
        {1.0, kAudioUnitErr_FormatNotSupported},    {62.0, kAudioUnitErr_FormatNotSupported},
        {125.0, kAudioUnitErr_FormatNotSupported},  {999.9, kAudioUnitErr_FormatNotSupported},
        {1000.0, noErr},                            {8000.0, noErr},
        {768000.0, noErr},                          {768001.0, kAudioUnitErr_FormatNotSupported},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(host->Uninitialize(), noErr);
        ASSERT_EQ(host->SetFormat(c.rate, 2), noErr) << c.rate;
        EXPECT_EQ(host->Initialize(), c.result) << c.rate;
    }
    // At the lowest rate, noise with full feedback stays finite and bounded.
    ASSERT_EQ(host->Uninitialize(), noErr);
    ASSERT_EQ(host->SetFormat(1000.0, 2), noErr);
    ASSERT_EQ(host->Initialize(), noErr);
    Set(kParam_Feedback, 100.f);
    Set(kParam_DelayTime, 0.05f);
    Signal out;
    ASSERT_EQ(host->Process(Noise(20000, 2), out, 256), noErr);
    for (const auto& ch : out)
        for (float v : ch) ASSERT_TRUE(std::isfinite(v) && std::fabs(v) <= TrWkFlummel::kFixedSettingsBound);
}
