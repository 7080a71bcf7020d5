// The run call: output equal to the effect hosted directly, at any block size, split past
// the maximum slice, in place, with control changes, clamping, triggers, missing buffers,
// and without allocating.
#include <gtest/gtest.h>

#include <cmath>

#include "lv2/Settings.h"
#include "support/AllocCounter.h"

namespace {

constexpr uint32_t kMaxSlice = 1156;  // the effect's maximum frames per slice

class Lv2RunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(plugin.Valid());
        Apply(kBusy, plugin, reference);
    }
    const Signal in = TestSignal(2, 30000);
    Lv2Instance plugin{kStereoUri};
    Reference reference{2};
};

TEST_F(Lv2RunTest, MatchesTheEffectHostedDirectlyAtEveryBlockSize)
{
    for (uint32_t block : {1u, 37u, 64u, 512u, kMaxSlice}) {
        SCOPED_TRACE(block);
        Lv2Instance p(kStereoUri);
        Reference r(2);
        Apply(kBusy, p, r);
        const Signal out = p.Process(in, block);
        EXPECT_EQ(MaxAbsDifference(out, r.Process(in, block)), 0.f);
        EXPECT_GT(MaxAbsDifference(out, in), 0.1f);  // the effect is at work
    }
}

TEST_F(Lv2RunTest, SplitsRunsLongerThanTheMaximumSlice)
{
    constexpr uint32_t kRun = 5000;
    const Signal out = plugin.Process(in, kRun);
    Signal expected(2, std::vector<float>(in[0].size()));
    for (size_t run = 0; run < in[0].size(); run += kRun) {
        const size_t end = std::min(in[0].size(), run + kRun);
        for (size_t at = run; at < end; at += kMaxSlice)
            reference.Render(in, expected, at, uint32_t(std::min<size_t>(kMaxSlice, end - at)));
    }
    EXPECT_EQ(MaxAbsDifference(out, expected), 0.f);
    // The LFO steps once per render call, so the slicing is audible: other slicings differ.
    Reference other(2);
    for (const Setting& s : kBusy) other.Set(s.id, s.value);
    EXPECT_GT(MaxAbsDifference(out, other.Process(in, 1000)), 0.f);
}

TEST_F(Lv2RunTest, InPlaceBuffersGiveTheSameOutput)
{
    Lv2Instance inPlace(kStereoUri);
    for (const Setting& s : kBusy) inPlace.Control(s.symbol) = s.value;
    inPlace.RunInPlace(true);
    EXPECT_EQ(MaxAbsDifference(inPlace.Process(in, 700), plugin.Process(in, 700)), 0.f);
}

TEST_F(Lv2RunTest, ControlChangesApplyFromTheNextRun)
{
    Signal out(2, std::vector<float>(in[0].size())), expected = out;
    const uint32_t block = 300;
    for (size_t at = 0, n = 0; at < in[0].size(); at += block, ++n) {
        if (n == 20) {
            plugin.Control("feedback") = 20.f;
            reference.Set(kParam_Feedback, 20.f);
            plugin.Control("filter_type") = 3.f;
            reference.Set(kParam_FilterType, 3.f);
        }
        if (n == 50) {
            plugin.Control("delay_time") = 0.125f;
            reference.Set(kParam_DelayTime, 0.125f);
        }
        plugin.Run(in, out, at, block);
        reference.Render(in, expected, at, block);
    }
    EXPECT_EQ(MaxAbsDifference(out, expected), 0.f);
}

TEST_F(Lv2RunTest, OutOfRangeValuesAreClampedAndNaNIgnored)
{
    Signal out(2, std::vector<float>(in[0].size())), expected = out;
    plugin.Run(in, out, 0, 1000);
    reference.Render(in, expected, 0, 1000);
    plugin.Control("feedback") = 250.f;
    plugin.Control("delay_time") = -4.f;
    plugin.Control("filter_lfo_amount") = NAN;  // keeps 1.5
    reference.Set(kParam_Feedback, 100.f);
    reference.Set(kParam_DelayTime, 0.f);
    for (size_t at = 1000; at + 1000 <= in[0].size(); at += 1000) {
        plugin.Run(in, out, at, 1000);
        reference.Render(in, expected, at, 1000);
    }
    EXPECT_EQ(MaxAbsDifference(out, expected), 0.f);
}

// The re-sync ports fire on a rising edge only: held high they fire once, and again only
// after going low.
TEST_F(Lv2RunTest, TriggersFireOnceOnEachRisingEdge)
{
    Signal out(2, std::vector<float>(in[0].size())), expected = out, untriggered = out;
    Reference plain(2);
    for (const Setting& s : kBusy) plain.Set(s.id, s.value);
    const uint32_t block = 256;
    for (size_t at = 0, n = 0; at + block <= in[0].size(); at += block, ++n) {
        plugin.Control("re_sync") = n >= 10 && n < 30 ? 1.f : n >= 40 && n < 45 ? 0.5f : 0.f;
        plugin.Control("lfo_re_sync") = n >= 25 && n < 60 ? 1.f : 0.f;
        if (n == 10 || n == 40) reference.Set(kParam_ReSync, 1.f);
        if (n == 25) reference.Set(kParam_LfoReSync, 1.f);
        plugin.Run(in, out, at, block);
        reference.Render(in, expected, at, block);
        plain.Render(in, untriggered, at, block);
    }
    EXPECT_EQ(MaxAbsDifference(out, expected), 0.f);
    EXPECT_GT(MaxAbsDifference(out, untriggered), 0.01f);
}

TEST_F(Lv2RunTest, AMissingAudioBufferGivesSilence)
{
    Signal out(2, std::vector<float>(in[0].size()));
    plugin.Run(in, out, 0, 4096);
    ASSERT_GT(Peak(out), 0.1f);
    plugin.DisconnectAudioInput(1);
    plugin.Run(in, out, 4096, 4096);
    Signal tail(2);
    for (int c = 0; c < 2; ++c) tail[c].assign(out[c].begin() + 4096, out[c].begin() + 8192);
    EXPECT_EQ(Peak(tail), 0.f);
}

TEST_F(Lv2RunTest, AMissingOutputBufferSilencesTheOthers)
{
    Signal out(2, std::vector<float>(in[0].size()));
    plugin.Run(in, out, 0, 4096);
    ASSERT_GT(Peak(out), 0.1f);
    plugin.DisconnectAudioOutput(1);
    plugin.Run(in, out, 4096, 4096);
    const Signal left = {std::vector<float>(out[0].begin() + 4096, out[0].begin() + 8192)};
    EXPECT_EQ(Peak(left), 0.f);
}

TEST_F(Lv2RunTest, RunAllocatesNothing)
{
    long instantiation = 0;
    {
        testsupport::AllocationScope scope;
        Lv2Instance probe(kStereoUri);
        instantiation = scope.Count();
    }
    ASSERT_GT(instantiation, 0) << "the counter does not see the plug-in's allocations";

    Signal out(2, std::vector<float>(in[0].size()));
    plugin.Run(in, out, 0, 2048);  // warm up
    plugin.Control("host_tempo") = 1.f;
    plugin.Control("lfo_host_tempo") = 1.f;
    long count = 0;
    for (int n = 0; n < 40; ++n) {
        plugin.Control("feedback") = float(n);
        plugin.Control("re_sync") = float(n % 2);
        plugin.Control("enabled") = n % 7 < 3 ? 0.f : 1.f;  // fades both ways, settled both ways
        plugin.QueueTempo(uint32_t(n * 50), 100.f + float(n));
        testsupport::AllocationScope scope;
        plugin.RunConnected(n % 3 == 0 ? 3000 : 512);
        count += scope.Count();
    }
    EXPECT_EQ(count, 0);
}

TEST(Lv2RunMono, MatchesTheEffectHostedDirectly)
{
    Lv2Instance plugin(kMonoUri);
    ASSERT_TRUE(plugin.Valid());
    EXPECT_EQ(plugin.Channels(), 1u);
    Reference reference(1);
    Apply(kBusy, plugin, reference);
    const Signal in = TestSignal(1, 20000, 7);
    const Signal out = plugin.Process(in, 500);
    EXPECT_EQ(MaxAbsDifference(out, reference.Process(in, 500)), 0.f);
    EXPECT_GT(Peak(out), 0.1f);
}

TEST(Lv2RunRate, TakesTheHostsSampleRate)
{
    Lv2Instance plugin(kStereoUri, 96000.0);
    ASSERT_TRUE(plugin.Valid());
    Reference reference(2, 96000.0);
    Apply(kBusy, plugin, reference);
    const Signal in = TestSignal(2, 20000, 3);
    EXPECT_EQ(MaxAbsDifference(plugin.Process(in, 512), reference.Process(in, 512)), 0.f);
}

}  // namespace
