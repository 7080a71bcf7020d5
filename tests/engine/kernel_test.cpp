// The reversing loop: reversed and forward repeats, filter, saturation, edge fade.
// Expected values are worked out by hand from the signal path, not taken from the code.
#include <cmath>
#include <map>

#include "FlummelFixture.h"

// Impulses at indices 30 (1) and 40 (0.5) of a loop of 100: a backward sweep plays index i at
// 100 + (100 - i), a forward one at 200 + i; without feedback only the first repeat sounds.
// Elsewhere there is only the small low-frequency remainder recorded near the loop ends.
TEST_F(FlummelTest, ImpulsesComeBackReversedThenForward)
{
    const std::map<size_t, float> once = {{160, 0.5f}, {170, 1.f}};
    const std::map<size_t, float> repeating = {{160, 0.5f}, {170, 1.f}, {230, 1.f}, {240, 0.5f},
                                               {360, 0.5f}, {370, 1.f}, {430, 1.f}, {440, 0.5f}};
    for (auto [feedback, peaks] : {std::pair{0.f, once}, std::pair{100.f, repeating}}) {
        Reinit(100, {{kParam_Feedback, feedback}});
        const Signal out = Run(Impulses(450, {{30, 1.f}, {40, 0.5f}}), 64);
        for (int c = 0; c < 2; ++c)
            for (size_t i = 0; i < out[c].size(); ++i) {
                if (peaks.count(i))
                    EXPECT_FLOAT_EQ(out[c][i], peaks.at(i)) << feedback << " at " << i;
                else
                    EXPECT_LT(std::fabs(out[c][i]), 0.02f) << feedback << " at " << i;
            }
    }
}

TEST_F(FlummelTest, EdgeFadeScalesOnlyTheFastPartOfTheInput)
{
    // Index 4: 4/16 of the impulse is recorded; index 0 (plays at 200): none.
    Reinit(100);
    Signal out = Run(Impulses(300, {{4, 1.f}}), 128);
    EXPECT_FLOAT_EQ(out[0][196], 0.25f);
    ASSERT_EQ(host->Reset(), noErr);
    EXPECT_EQ(Run(Impulses(300, {{0, 1.f}}), 128)[0][200], 0.f);
    // Once the DC blocker has settled, DC fills the whole loop, edges included.
    ASSERT_EQ(host->Reset(), noErr);
    out = Run(Constant(5000, 0.5f), 256);
    for (size_t i = 4800; i < 5000; ++i) EXPECT_NEAR(out[0][i], 0.5f, 1e-3f) << i;
}

// The repeat of an impulse at index 50 plays at 150; a dry level d and an effect level e give
// d^3 of the input and e^3 of the repeat.
TEST_F(FlummelTest, SaturationAndLevels)
{
    const struct {
        float shape, amount, d, e, in, dry, wet;
    } cases[] = {
        {1.f, 0.f, 0.f, 1.f, 2.f, 0.f, 1.f},                           // above the soft clip level
        {1.f, 0.f, 0.f, 1.f, 0.5f, 0.f, 0.5f - 4.f / 27.f * 0.125f},  // below it the cubic
        {0.f, 0.f, 0.f, 1.f, 2.f, 0.f, 1.5f},                          // hard clip
        {0.f, 0.f, 0.f, 1.f, -3.f, 0.f, -1.5f},
        {1.f, 11.f, 0.f, 1.f, 0.05f, 0.f, 0.125f * (0.8f - 4.f / 27.f * 0.512f)},  // full drive: g 16, make-up 1/8
        {0.f, 0.f, 0.5f, 0.5f, 1.f, 0.125f, 0.125f},
    };
    for (const auto& c : cases) {
        Reinit(100, {{kParam_SaturationShape, c.shape}, {kParam_SaturationAmount, c.amount}, {kParam_DryLevel, c.d},
                     {kParam_EffectLevel, c.e}});
        const Signal out = Run(Impulses(300, {{50, c.in}}), 300);
        EXPECT_NEAR(out[0][50], c.dry, 1e-6f) << &c - cases;
        EXPECT_NEAR(out[0][150], c.wet, 1e-6f) << &c - cases;
    }
}

// At 1000 Hz and 44.1 kHz, f = 2 sin(pi 1000 / 44100) and Q 0.1 gives q = 2 (1 - 0.1^0.25).
// A unit impulse gives high = 1, band = f, low = 0 on the first sample and low = f^2 on the second;
// thru at both ends of the range.
TEST_F(FlummelTest, FilterTypesOnTheRepeatsFirstSamples)
{
    const float f = 0.1423553f, q = 0.8753174f;
    const struct {
        float type, first, second;
    } cases[] = {
        {1.f, 0.f, f * f},                   // low-pass
        {2.f, f, f * (-f * f - q * f) + f},  // band-pass: band2 = f high2 + band1
        {3.f, 1.f, -f * f - q * f},          // high-pass
        {1.5f, 0.5f * f, 0.5f * f * f + 0.5f * (f * (-f * f - q * f) + f)},
        {3.5f, 1.f, 0.5f * (-f * f - q * f)},
        {0.f, 1.f, 0.f},
        {4.f, 1.f, 0.f},
    };
    for (const auto& c : cases) {
        Reinit(100, {{kParam_FilterType, c.type}, {kParam_FilterCutoff, 1000.f}, {kParam_FilterQ, 0.1f}});
        const Signal out = Run(Impulses(200, {{30, 1.f}}), 200);
        EXPECT_NEAR(out[0][169], 0.f, 2e-4f) << c.type;
        EXPECT_NEAR(out[0][170], c.first, 2e-4f) << c.type;
        EXPECT_NEAR(out[0][171], c.second, 2e-4f) << c.type;
    }
    // A cutoff modulated below zero freezes the filter: a pure low-pass then stays silent.
    // cos(0) = 1: 62.5 * 2^(log2(1.8) - 3) - 62.5 < 0.
    Reinit(100, {{kParam_FilterType, 1.f}, {kParam_FilterCutoff, 50.f}, {kParam_FilterLfoAmount, -3.f},
                 {kParam_FilterLfoSpeed, 0.05f}});
    const Signal out = Run(Impulses(300, {{30, 1.f}}), 300);
    for (float v : out[0]) ASSERT_EQ(v, 0.f);
}
