// The reversing loop: sweeps, reversed and forward repeats, filter, saturation, edge fade.
// Expected values are worked out by hand from the signal path, not taken from the code.
#include <cmath>

#include "FlummelFixture.h"

TEST_F(FlummelTest, ImpulseComesBackReversedThenForward)
{
    PlainLoop(100);
    Set(kParam_Feedback, 100.f);
    ASSERT_EQ(host->Initialize(), noErr);
    // Two impulses in the first forward sweep (head index = sample index).
    const Signal out = Run(Impulses(450, {{30, 1.f}, {40, 0.5f}}), 64);
    EXPECT_EQ(Effect()->DelayLength(), 100);
    for (int c = 0; c < 2; ++c) {
        // Second sweep runs backwards from index 100: index i plays at 100 + (100 - i).
        EXPECT_FLOAT_EQ(out[c][160], 0.5f);
        EXPECT_FLOAT_EQ(out[c][170], 1.f);
        // Third sweep runs forwards from index 0: index i plays at 200 + i, in the input's order.
        EXPECT_FLOAT_EQ(out[c][230], 1.f);
        EXPECT_FLOAT_EQ(out[c][240], 0.5f);
        // Fourth sweep backwards again.
        EXPECT_FLOAT_EQ(out[c][360], 0.5f);
        EXPECT_FLOAT_EQ(out[c][370], 1.f);
        // Fifth sweep forwards.
        EXPECT_FLOAT_EQ(out[c][430], 1.f);
        EXPECT_FLOAT_EQ(out[c][440], 0.5f);
        // Nothing else but the small low-frequency remainder recorded near the loop ends.
        for (size_t i = 0; i < out[c].size(); ++i) {
            if (i == 160 || i == 170 || i == 230 || i == 240 || i == 360 || i == 370 || i == 430 || i == 440)
                continue;
            EXPECT_LT(std::fabs(out[c][i]), 0.02f) << i;
        }
    }
}

TEST_F(FlummelTest, WithoutFeedbackOnlyOneRepeat)
{
    PlainLoop(100);
    ASSERT_EQ(host->Initialize(), noErr);
    const Signal out = Run(Impulses(450, {{30, 1.f}}), 512);
    EXPECT_FLOAT_EQ(out[0][170], 1.f);
    EXPECT_LT(std::fabs(out[0][230]), 0.02f);
}

TEST_F(FlummelTest, EverySweepLastsNSamplesWhateverTheBlockSize)
{
    PlainLoop(97);
    Set(kParam_Feedback, 80.f);
    Set(kParam_DryLevel, 0.5f);
    Set(kParam_FilterType, 1.3f);
    Set(kParam_SaturationShape, 1.f);
    Set(kParam_SaturationAmount, 2.f);
    Signal in(2, std::vector<float>(2000));
    for (size_t i = 0; i < 2000; ++i) in[0][i] = in[1][i] = std::sin(0.05f * float(i)) * (i < 300 ? 1.f : 0.f);
    ASSERT_EQ(host->Initialize(), noErr);
    const Signal reference = Run(in, 1);
    for (UInt32 block : {7u, 97u, 100u, 512u, 1156u}) {
        ASSERT_EQ(host->Reset(), noErr);
        EXPECT_EQ(Run(in, block), reference) << block;
    }
}

TEST_F(FlummelTest, LoopOfOneSampleAlternatesBetweenItsTwoIndices)
{
    Set(kParam_DelayTime, 0.f);
    ASSERT_EQ(host->Initialize(), noErr);
    auto* kernel = Effect()->Kernel(0);
    const Signal one(2, std::vector<float>(1, 0.f));
    Run(one, 1);
    EXPECT_EQ(Effect()->DelayLength(), 1);
    // Forward sweep at index 0 ended: the head stands at 1 moving back.
    EXPECT_EQ(kernel->Position(), 1);
    EXPECT_FALSE(kernel->Forward());
    Run(one, 1);
    EXPECT_EQ(kernel->Position(), 0);
    EXPECT_TRUE(kernel->Forward());
}

TEST_F(FlummelTest, ForwardSweepEndingAtABlockEndContinuesBackwards)
{
    PlainLoop(64);
    ASSERT_EQ(host->Initialize(), noErr);
    Run(Signal(2, std::vector<float>(64)), 64);
    EXPECT_EQ(Effect()->Kernel(0)->Position(), 64);
    EXPECT_FALSE(Effect()->Kernel(0)->Forward());
    const DataToGui gui = Effect()->CopyDataToGui();
    EXPECT_EQ(gui.headPosition, 1.f);
    EXPECT_EQ(gui.headForward, 0);
    EXPECT_EQ(gui.delayPhase, 1.f);
}

TEST_F(FlummelTest, EdgeFadeScalesTheRecordedInputNearTheLoopEnds)
{
    PlainLoop(100);
    ASSERT_EQ(host->Initialize(), noErr);
    // Index 4: a = 4/16 of the impulse is recorded; index 50: all of it.
    Signal out = Run(Impulses(300, {{4, 1.f}, {50, 1.f}}), 128);
    EXPECT_FLOAT_EQ(out[0][196], 0.25f);
    EXPECT_FLOAT_EQ(out[0][150], 1.f);
    // Index 0: a = 0, only the low-frequency remainder, which is zero for an impulse.
    ASSERT_EQ(host->Reset(), noErr);
    out = Run(Impulses(300, {{0, 1.f}}), 128);
    EXPECT_EQ(out[0][200], 0.f);  // index 0 plays at 200
}

TEST_F(FlummelTest, DcIsRecordedInFullEvenAtTheLoopEnds)
{
    PlainLoop(100);
    ASSERT_EQ(host->Initialize(), noErr);
    Signal in(2, std::vector<float>(5000, 0.5f));
    const Signal out = Run(in, 256);
    // Once the DC blocker has settled, the whole loop holds the input, edges included.
    for (size_t i = 4800; i < 5000; ++i) EXPECT_NEAR(out[0][i], 0.5f, 1e-3f) << i;
}

TEST_F(FlummelTest, SaturationLimits)
{
    PlainLoop(100);
    Set(kParam_SaturationShape, 1.f);
    ASSERT_EQ(host->Initialize(), noErr);
    // Loop content 2 is above the clip level: the soft clip gives 1.
    Signal out = Run(Impulses(300, {{50, 2.f}, {60, 0.5f}}), 300);
    EXPECT_FLOAT_EQ(out[0][150], 1.f);
    // Below it the cubic: 0.5 - 4/27 * 0.125.
    EXPECT_NEAR(out[0][140], 0.5f - 0.5f / 27.f, 1e-6f);

    // Hard clip at 1.5.
    ASSERT_EQ(host->Reset(), noErr);
    Set(kParam_SaturationShape, 0.f);
    out = Run(Impulses(300, {{50, 2.f}, {60, -3.f}}), 300);
    EXPECT_FLOAT_EQ(out[0][150], 1.5f);
    EXPECT_FLOAT_EQ(out[0][140], -1.5f);

    // Full drive: g = 16, make-up 1/8.
    ASSERT_EQ(host->Reset(), noErr);
    Set(kParam_SaturationShape, 1.f);
    Set(kParam_SaturationAmount, 11.f);
    out = Run(Impulses(300, {{50, 0.05f}}), 300);
    const float d = 0.8f;
    EXPECT_NEAR(out[0][150], 0.125f * (d - 4.f / 27.f * d * d * d), 1e-6f);
}

TEST_F(FlummelTest, DryAndEffectLevelsAreCubed)
{
    PlainLoop(100);
    Set(kParam_DryLevel, 0.5f);
    Set(kParam_EffectLevel, 0.5f);
    ASSERT_EQ(host->Initialize(), noErr);
    const Signal out = Run(Impulses(300, {{30, 1.f}}), 300);
    EXPECT_FLOAT_EQ(out[0][30], 0.125f);
    EXPECT_FLOAT_EQ(out[0][170], 0.125f);
}

// The steady wet output for a constant input (the loop then holds that constant).
class FilterMorphTest : public FlummelTest {
protected:
    float Settled(float type)
    {
        PlainLoop(200);
        Set(kParam_FilterType, type);
        Set(kParam_FilterCutoff, 2000.f);
        Set(kParam_FilterQ, 0.1f);
        EXPECT_EQ(host->Initialize(), noErr);
        const Signal out = Run(Signal(2, std::vector<float>(20000, 0.5f)), 512);
        return out[0].back();
    }
};

TEST_F(FilterMorphTest, ThruPassesTheLoopUnchanged)
{
    EXPECT_NEAR(Settled(0.f), 0.5f, 1e-3f);
}
TEST_F(FilterMorphTest, FourIsThruAgain)
{
    EXPECT_NEAR(Settled(4.f), 0.5f, 1e-3f);
}
TEST_F(FilterMorphTest, LowPassPassesDc)
{
    EXPECT_NEAR(Settled(1.f), 0.5f, 1e-3f);
}
TEST_F(FilterMorphTest, BandPassBlocksDc)
{
    EXPECT_NEAR(Settled(2.f), 0.f, 1e-3f);
}
TEST_F(FilterMorphTest, HighPassBlocksDc)
{
    EXPECT_NEAR(Settled(3.f), 0.f, 1e-3f);
}
TEST_F(FilterMorphTest, HalfwayBetweenHighAndThru)
{
    EXPECT_NEAR(Settled(3.5f), 0.25f, 1e-3f);
}

TEST_F(FlummelTest, CutoffModulatedBelowZeroFreezesTheFilter)
{
    PlainLoop(100);
    Set(kParam_FilterType, 1.f);           // pure low-pass: the output is the filter state
    Set(kParam_FilterCutoff, 50.f);
    Set(kParam_FilterLfoAmount, -3.f);     // cos(0) = 1: 62.5 * 2^(log2(1.8) - 3) - 62.5 < 0
    Set(kParam_FilterLfoSpeed, 0.05f);
    ASSERT_EQ(host->Initialize(), noErr);
    const Signal out = Run(Impulses(300, {{30, 1.f}}), 300);
    for (float v : out[0]) EXPECT_EQ(v, 0.f);
}

TEST_F(FlummelTest, OutOfPlaceOrInterleavedProcessingIsRefused)
{
    ASSERT_EQ(host->Initialize(), noErr);
    auto* kernel = Effect()->Kernel(0);
    float a[8] = {}, b[8] = {};
    bool silence = true;
    EXPECT_THROW(kernel->Process(a, b, 8, 1, silence), SInt32);
    EXPECT_THROW(kernel->Process(a, a, 4, 2, silence), SInt32);
    EXPECT_TRUE(silence);
    kernel->Process(a, a, 8, 1, silence);
    EXPECT_FALSE(silence);
}

// First samples of the filtered repeat, worked out by hand: at 1000 Hz and 44.1 kHz the
// frequency coefficient is f = 2 sin(pi 1000 / 44100) = 0.1423553 and Q 0.1 gives
// q = 2 (1 - 0.1^0.25) = 0.8753174. A unit impulse v = 1, 0, 0 ... through the filter gives
// high = 1, band = f, low = 0 on the first sample and low = f^2 on the second.
TEST_F(FlummelTest, FilteredRepeatFirstSamples)
{
    const float f = 0.1423553f, q = 0.8753174f;
    struct Case {
        float type;
        float first, second;
    };
    const Case cases[] = {
        {1.f, 0.f, f * f},                                  // low-pass
        {2.f, f, f * (-f * f - q * f) + f},                 // band-pass: band2 = f high2 + band1
        {3.f, 1.f, -f * f - q * f},                         // high-pass
        {1.5f, 0.5f * f, 0.5f * f * f + 0.5f * (f * (-f * f - q * f) + f)},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(host->Uninitialize(), noErr);
        PlainLoop(100);
        Set(kParam_FilterType, c.type);
        Set(kParam_FilterCutoff, 1000.f);
        Set(kParam_FilterQ, 0.1f);
        ASSERT_EQ(host->Initialize(), noErr);
        ASSERT_EQ(host->Reset(), noErr);
        const Signal out = Run(Impulses(200, {{30, 1.f}}), 200);
        EXPECT_NEAR(out[0][169], 0.f, 2e-4f) << c.type;
        EXPECT_NEAR(out[0][170], c.first, 2e-4f) << c.type;
        EXPECT_NEAR(out[0][171], c.second, 2e-4f) << c.type;
    }
}
