// The run call: output equal to the effect hosted directly, at any block size, rate and channel
// count, in place, split past the maximum slice, with control changes, clamping and triggers.
#include <gtest/gtest.h>

#include <cmath>

#include "lv2/Lv2Harness.h"

namespace {

constexpr uint32_t kMaxSlice = 1156;  // the effect's maximum frames per slice

// Runs longer than the maximum slice are split into slices from the run's start.
TEST(Lv2Run, MatchesTheEffectHostedDirectly)
{
    const struct {
        const char* uri;
        double rate;
        uint32_t block;
        bool inPlace;
    } cases[] = {
        {kStereoUri, 44100, 1, false},     {kStereoUri, 44100, 37, false},       {kStereoUri, 44100, kMaxSlice, false},
        {kStereoUri, 44100, 700, true},    {kMonoUri, 44100, 500, false},        {kStereoUri, 96000, 512, false},
        {kStereoUri, 44100, 5000, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.uri << " " << c.rate << " Hz, runs of " << c.block
                                        << (c.inPlace ? " in place" : ""));
        Lv2Instance plugin(c.uri, c.rate);
        Reference reference(plugin.Channels(), c.rate);
        Apply(kBusy, &plugin, &reference);
        plugin.inPlace = c.inPlace;
        const Signal in = TestSignal(plugin.Channels(), 20000, 3);
        const Signal out = plugin.Process(in, c.block);
        EXPECT_EQ(MaxAbsDifference(out, InBlocks(in, c.block, [&](Signal& expected, size_t at, uint32_t frames) {
                      for (uint32_t done = 0; done < frames; done += kMaxSlice)
                          reference.Render(in, expected, at + done, std::min(kMaxSlice, frames - done));
                  })),
                  0.f);
        EXPECT_GT(MaxAbsDifference(out, in), 0.1f);  // the effect is at work
    }
}

// Changes apply from the next run; out-of-range values are clamped and NaN ignored; the re-sync
// ports fire on a rising edge only (held high once, again only after going low).
TEST(Lv2Run, ControlChangesClampingAndTriggersMatchTheEffect)
{
    Lv2Instance plugin(kStereoUri);
    Reference reference(2), untriggered(2);
    Apply(kBusy, &plugin, &reference);
    Apply(kBusy, nullptr, &untriggered);
    const Signal in = TestSignal(2, 30000);
    Signal out(2, std::vector<float>(in[0].size())), expected = out, plain = out;
    constexpr uint32_t kBlock = 256;
    for (size_t at = 0, n = 0; at + kBlock <= in[0].size(); at += kBlock, ++n) {
        const std::vector<Setting> changes[] = {
            {{"feedback", kParam_Feedback, 20.f}, {"filter_type", kParam_FilterType, 3.f}},  // n == 20
            {{"delay_time", kParam_DelayTime, 0.125f}},                                    // n == 50
        };
        if (n == 20 || n == 50) {
            Apply(changes[n == 50], &plugin, &reference);
            Apply(changes[n == 50], nullptr, &untriggered);
        }
        if (n == 70) {
            plugin.Control("feedback") = 250.f;
            plugin.Control("delay_time") = -4.f;
            plugin.Control("filter_lfo_amount") = NAN;  // keeps 1.5
            for (Reference* r : {&reference, &untriggered}) {
                r->Set(kParam_Feedback, 100.f);
                r->Set(kParam_DelayTime, 0.f);
            }
        }
        plugin.Control("re_sync") = n >= 10 && n < 30 ? 1.f : n >= 40 && n < 45 ? 0.5f : 0.f;
        plugin.Control("lfo_re_sync") = n >= 25 && n < 60 ? 1.f : 0.f;
        if (n == 10 || n == 40) reference.Set(kParam_ReSync, 1.f);
        if (n == 25) reference.Set(kParam_LfoReSync, 1.f);
        plugin.Run(in, out, at, kBlock);
        reference.Render(in, expected, at, kBlock);
        untriggered.Render(in, plain, at, kBlock);
    }
    EXPECT_EQ(MaxAbsDifference(out, expected), 0.f);
    EXPECT_GT(MaxAbsDifference(out, plain), 0.01f);
}

}  // namespace
