// The bypass switch: bypassed and settled, the input exactly, whatever the buffers; switching
// either way crossfades over a few milliseconds with no step larger than the signal's own.
#include <gtest/gtest.h>

#include <cmath>

#include "lv2/Settings.h"

namespace {

constexpr uint32_t kBlock = 256;
constexpr double kRate = 44100.0;
constexpr size_t kFade = 221;  // 5 ms

Signal Sine(uint32_t channels, size_t frames, double hz)
{
    Signal s(channels, std::vector<float>(frames));
    for (uint32_t c = 0; c < channels; ++c)
        for (size_t i = 0; i < frames; ++i) s[c][i] = float(0.5 * std::sin(2 * M_PI * hz * (c + 1) * double(i) / kRate));
    return s;
}

float LargestStep(const Signal& s, size_t from, size_t to)
{
    float step = 0;
    for (const auto& c : s)
        for (size_t i = std::max<size_t>(from, 1); i < to; ++i) step = std::max(step, std::fabs(c[i] - c[i - 1]));
    return step;
}

// Runs `in` in blocks with the switch set per block by `enabled(block)`.
template <typename Switch>
Signal RunSwitched(Lv2Instance& plugin, const Signal& in, Switch enabled)
{
    Signal out(in.size(), std::vector<float>(in[0].size()));
    for (size_t at = 0, n = 0; at + kBlock <= in[0].size(); at += kBlock, ++n) {
        plugin.Control("enabled") = enabled(n) ? 1.f : 0.f;
        plugin.Run(in, out, at, kBlock);
    }
    return out;
}

struct PassCase {
    const char* uri;
    bool inPlace;
    size_t offFrom;  // block; from the first run there is nothing to fade from
};

class Lv2BypassPassTest : public ::testing::TestWithParam<PassCase> {};

TEST_P(Lv2BypassPassTest, BypassedAndSettledThePluginPassesTheInputExactly)
{
    const PassCase& c = GetParam();
    Lv2Instance plugin(c.uri, kRate);
    ASSERT_TRUE(plugin.Valid());
    for (const Setting& s : kBusy) plugin.Control(s.symbol) = s.value;
    plugin.RunInPlace(c.inPlace);
    const Signal in = TestSignal(plugin.Channels(), 40 * kBlock);
    const Signal out = RunSwitched(plugin, in, [&](size_t n) { return n < c.offFrom; });
    const size_t settled = c.offFrom == 0 ? 0 : c.offFrom * kBlock + kFade;
    for (uint32_t ch = 0; ch < plugin.Channels(); ++ch) {
        if (c.offFrom > 0) {
            EXPECT_NE(out[ch][settled - kFade - 1], in[ch][settled - kFade - 1]);  // the effect at work
        }
        for (size_t i = settled; i < in[ch].size(); ++i) ASSERT_EQ(out[ch][i], in[ch][i]) << ch << " " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Buffers, Lv2BypassPassTest,
                         ::testing::Values(PassCase{kStereoUri, false, 20}, PassCase{kStereoUri, true, 20},
                                           PassCase{kMonoUri, false, 20}, PassCase{kStereoUri, false, 0}));

// A dry-less loop of a sine against the sine itself: the two are far apart at the switch, so
// a hard switch would jump; the fade's steps stay within the signal's own.
TEST(Lv2Bypass, SwitchingEitherWayIsClickFree)
{
    const Signal in = Sine(2, 120 * kBlock, 700.0);
    auto make = [](Lv2Instance& p) {
        p.Control("dry_level") = 0.f;
        p.Control("delay_time") = 0.0123f;
        p.Control("feedback") = 0.f;
    };
    Lv2Instance switched(kStereoUri, kRate), steady(kStereoUri, kRate);
    make(switched);
    make(steady);
    constexpr size_t kOff = 40, kOn = 80;  // blocks
    const Signal out = RunSwitched(switched, in, [](size_t n) { return n < kOff || n >= kOn; });
    const Signal wet = RunSwitched(steady, in, [](size_t) { return true; });

    const float own = std::max(LargestStep(in, 0, in[0].size()), LargestStep(wet, kBlock, kOff * kBlock));
    for (size_t block : {kOff, kOn}) {
        SCOPED_TRACE(block);
        const size_t at = block * kBlock;
        float gap = 0;  // what a hard switch would jump by
        for (uint32_t c = 0; c < 2; ++c) gap = std::max(gap, std::fabs(wet[c][at] - in[c][at]));
        ASSERT_GT(gap, 3 * own);
        EXPECT_LE(LargestStep(out, at - 4, at + kFade + 4), own);
    }
    // Off: the input once the fade is through. On: the effect's output again, and no longer the input.
    EXPECT_EQ(out[0][kOff * kBlock + kFade], in[0][kOff * kBlock + kFade]);
    EXPECT_NE(out[0][kOff * kBlock + kFade - 2], in[0][kOff * kBlock + kFade - 2]);
    EXPECT_NE(out[0][kOn * kBlock + kFade + 20], in[0][kOn * kBlock + kFade + 20]);
}

}  // namespace
