// Audio safety: bounded output across the legal settings, non-finite input, out-of-range
// parameters and formats the effect cannot work at.
#include <cmath>
#include <limits>

#include "FlummelFixture.h"
#include "support/StabilitySweep.h"

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// A sample of the full sweep that still takes every value of every setting (bench/ runs all of
// it with long tails), then the settings that once rang at Nyquist for ever or resonated without end.
TEST(StabilitySweepTest, OutputsStayFiniteBoundedAndDoNotGrow)
{
    using Case = StabilitySweep::Case;
    auto check = [](const Case& c, double shortTail, double longTail) {
        const StabilitySweep::Peaks p = StabilitySweep::Run(c, shortTail, longTail);
        EXPECT_TRUE(p.Bounded(c)) << c.Describe() << ": peak " << p.overall;
        EXPECT_TRUE(p.Settled(c)) << c.Describe() << ": tail " << p.shortTail << " then " << p.longTail;
    };
    const std::vector<Case> sample = StabilitySweep::Sample(3989, 11);
    ASSERT_GE(sample.size(), 20u);
    for (const Case& c : sample) check(c, 0.2, 1.2);
    const Case edges[] = {
        // rate, type, cutoff, Q, saturation, shape, feedback, LFO amount, delay, sine
        {48000, 1, 11000, 0.1f, 0, 1, 0, 0, 0.3f, false},    // low-pass on the Nyquist edge
        {48000, 1, 12000, 0.1f, 0, 1, 100, 0, 0.3f, false},  // ... with full feedback
        {22050, 1, 12000, 0.1f, 0, 1, 100, 3, 0.3f, false},  // ... swept past the frequency limit
        {48000, 2, 1000, 1.f, 0, 1, 100, 0, 0.3f, false},    // undamped band-pass
        {48000, 2, 50, 1.f, 0, 1, 100, 0, 0.3f, true},
    };
    for (const Case& c : edges) check(c, 0.5, 4.0);
}

// NaN and Inf count as silence everywhere, dry path included, and long after.
TEST_F(FlummelTest, NonFiniteInputSoundsLikeSilence)
{
    ASSERT_EQ(host->Initialize(), noErr);
    for (auto [id, v] : {std::pair{kParam_Feedback, 100.f}, {kParam_DelayTime, 0.01f}, {kParam_FilterType, 2.2f},
                         {kParam_SaturationAmount, 3.f}})
        Set(id, v);
    Signal zeroed = Noise(2, 8192, 3), poisoned = zeroed;
    const std::tuple<size_t, size_t, float> bad[] = {
        {0, 0, kNaN}, {0, 100, kInf}, {1, 101, -kInf}, {1, 4000, kNaN}, {0, 8191, kInf},
    };
    for (auto [channel, at, value] : bad) {
        zeroed[channel][at] = 0.f;
        poisoned[channel][at] = value;
    }
    // The LFO is still, and a reset clears everything else, so both runs start alike.
    const Signal more = Noise(2, 4096, 9);
    const Signal expected = Run(zeroed, 512), tailExpected = Run(more, 512);
    ASSERT_EQ(host->Reset(), noErr);
    EXPECT_TRUE(SameBits(Run(poisoned, 512), expected));
    EXPECT_TRUE(SameBits(Run(more, 512), tailExpected));
}

// Hosts and saved states can hand in any parameter value; the render path uses legal ones.
TEST_F(FlummelTest, OutOfRangeAndNonNumericParametersAreMadeLegal)
{
    ASSERT_EQ(host->Initialize(), noErr);
    const std::pair<AudioUnitParameterID, float> cases[] = {
        {kParam_DelayTime, kNaN},      {kParam_DelayTime, -kInf},      {kParam_Feedback, 1e30f},
        {kParam_FilterQ, -4.f},        {kParam_FilterType, 1e30f},     {kParam_FilterCutoff, -1e6f},
        {kParam_FilterLfoSpeed, kInf}, {kParam_FilterLfoAmount, kNaN}, {kParam_SaturationShape, 1e9f},
    };
    for (auto [id, value] : cases) {
        Set(id, value);
        float peak = 0.f;
        for (const auto& ch : Run(Noise(2, 2048, 1), 512))
            for (float v : ch) peak = std::isfinite(v) ? std::max(peak, std::fabs(v)) : kInf;
        EXPECT_LE(peak, TrWkFlummel::kOutputBound) << "parameter " << id << " = " << value;
        Set(id, InitialParameterValue(id));
    }
}

// Below 1 kHz the DC blocker stops being one; such rates are refused like those above 768 kHz.
TEST_F(FlummelTest, FormatsOutsideTheWorkingRangeAreRefused)
{
    // The lowest rate comes last: there, noise with full feedback stays finite and bounded.
    for (double rate : {1.0, 62.0, 999.9, 768001.0, 768000.0, 1000.0}) {
        const bool works = rate >= 1000.0 && rate <= 768000.0;
        ASSERT_EQ(host->Uninitialize(), noErr);
        ASSERT_EQ(host->SetFormat(rate, 2), noErr) << rate;
        EXPECT_EQ(host->Initialize(), works ? noErr : OSStatus(kAudioUnitErr_FormatNotSupported)) << rate;
        EXPECT_EQ(Effect()->Kernels().size(), works ? 2u : 0u) << rate;
    }
    Set(kParam_Feedback, 100.f);
    Set(kParam_DelayTime, 0.05f);
    for (const auto& ch : Run(Noise(2, 20000, 2), 256))
        for (float v : ch) ASSERT_TRUE(std::isfinite(v) && std::fabs(v) <= TrWkFlummel::kFixedSettingsBound);
}
