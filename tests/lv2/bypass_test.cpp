// The bypass switch: bypassed and settled, the input exactly, whatever the buffers; switching
// either way crossfades over a few milliseconds with no step larger than the signal's own.
#include <gtest/gtest.h>

#include <cmath>

#include "lv2/Lv2Harness.h"

namespace {

constexpr uint32_t kBlock = 256;
constexpr size_t kFade = 221;  // 5 ms at 44.1 kHz

float LargestStep(const Signal& s, size_t from, size_t to)
{
    float step = 0;
    for (const auto& c : s)
        for (size_t i = std::max<size_t>(from, 1); i < to; ++i) step = std::max(step, std::fabs(c[i] - c[i - 1]));
    return step;
}

// Runs `in` in blocks with the switch on while `enabled(block)`.
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

TEST(Lv2Bypass, BypassedAndSettledThePluginPassesTheInputExactly)
{
    const struct {
        const char* uri;
        bool inPlace;
        size_t offFrom;  // block; from the first run there is nothing to fade from
    } cases[] = {{kStereoUri, false, 20}, {kStereoUri, true, 20}, {kMonoUri, false, 20}, {kStereoUri, false, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.uri << (c.inPlace ? " in place" : "") << ", off from " << c.offFrom);
        Lv2Instance plugin(c.uri);
        Apply(kBusy, &plugin, nullptr);
        plugin.inPlace = c.inPlace;
        const Signal in = TestSignal(plugin.Channels(), 40 * kBlock);
        const Signal out = RunSwitched(plugin, in, [&](size_t n) { return n < c.offFrom; });
        const size_t settled = c.offFrom == 0 ? 0 : c.offFrom * kBlock + kFade;
        for (uint32_t ch = 0; ch < plugin.Channels(); ++ch) {
            if (c.offFrom > 0) {  // at work
                EXPECT_NE(out[ch][settled - kFade - 1], in[ch][settled - kFade - 1]);
            }
            for (size_t i = settled; i < in[ch].size(); ++i) ASSERT_EQ(out[ch][i], in[ch][i]) << ch << " " << i;
        }
    }
}

// A dry-less loop of a sine against the sine itself: the two are far apart at the switch, so a
// hard switch would jump; the fade's steps stay within the signal's own.
TEST(Lv2Bypass, SwitchingEitherWayIsClickFree)
{
    Signal in(2, std::vector<float>(120 * kBlock));
    for (uint32_t c = 0; c < 2; ++c)
        for (size_t i = 0; i < in[c].size(); ++i) in[c][i] = float(0.5 * std::sin(2 * M_PI * 700.0 * (c + 1) * double(i) / 44100.0));
    const std::vector<Setting> wetOnly = {{"dry_level", 0, 0.f}, {"delay_time", 0, 0.0123f}, {"feedback", 0, 0.f}};
    Lv2Instance switched(kStereoUri), steady(kStereoUri);
    Apply(wetOnly, &switched, nullptr);
    Apply(wetOnly, &steady, nullptr);
    constexpr size_t kOff = 40, kOn = 80;  // blocks
    const Signal out = RunSwitched(switched, in, [](size_t n) { return n < kOff || n >= kOn; });
    const Signal wet = RunSwitched(steady, in, [](size_t) { return true; });

    const float own = std::max(LargestStep(in, 0, in[0].size()), LargestStep(wet, kBlock, kOff * kBlock));
    for (size_t block : {kOff, kOn}) {
        SCOPED_TRACE(block);
        const size_t at = block * kBlock;
        const float gap = std::max(std::fabs(wet[0][at] - in[0][at]), std::fabs(wet[1][at] - in[1][at]));
        ASSERT_GT(gap, 3 * own);  // what a hard switch would jump by
        EXPECT_LE(LargestStep(out, at - 4, at + kFade + 4), own);
    }
    EXPECT_NE(out[0][kOn * kBlock + kFade + 20], in[0][kOn * kBlock + kFade + 20]) << "not switched back on";
}

}  // namespace
