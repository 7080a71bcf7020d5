// The channels processed together in SIMD lanes against the same effect run channel by channel
// through the effect base: every output sample, and the kernels' states, must be identical.
#include <cmath>
#include <cstring>
#include <limits>

#include "FlummelFixture.h"
#include "engine/FlummelLanes.h"

namespace {

struct LanesCase {
    const char* name;
    UInt32 channels;
    int loopSamples;
    UInt32 block;
    bool busy;
    bool changes;  // parameters moved, heads re-synced and bad samples fed between calls
};

const LanesCase kLanesCases[] = {
    {"plain mono", 1, 300, 64, false, false},
    {"busy mono, changing", 1, 37, 61, true, true},
    {"plain stereo", 2, 300, 128, false, false},
    {"busy stereo, loop turns inside blocks", 2, 37, 97, true, false},
    {"busy stereo, changing", 2, 211, 33, true, true},
    {"busy three, changing", 3, 53, 127, true, true},
    {"busy four, one-frame blocks", 4, 19, 1, true, true},
    {"busy five, changing", 5, 101, 77, true, true},
    {"plain eight", 8, 1, 5, false, false},
    {"busy eight, changing", 8, 64, 64, true, true},
};

class LanesTest : public ::testing::TestWithParam<LanesCase> {};

struct Unit {
    std::unique_ptr<AUHost> host;
    TrWkFlummel* fx = nullptr;
};

Unit Open(const LanesCase& c)
{
    RegisterTrWkFlummel();
    Unit u;
    EXPECT_EQ(AUHost::Open(TrWkFlummelDescription(), u.host), noErr);
    EXPECT_EQ(u.host->SetFormat(44100.0, c.channels), noErr);
    auto set = [&](AudioUnitParameterID id, float v) { EXPECT_EQ(u.host->SetParameter(id, v), noErr); };
    set(kParam_DelayTime, float(c.loopSamples / 44100.0));
    if (c.busy) {
        set(kParam_Feedback, 95.f);
        set(kParam_FilterType, 1.5f);
        set(kParam_FilterQ, 0.9f);
        set(kParam_SaturationAmount, 11.f);
        set(kParam_SaturationShape, 0.37f);
        set(kParam_FilterLfoAmount, 2.f);
        set(kParam_FilterLfoSpeed, 20.f);
    }
    EXPECT_EQ(u.host->Initialize(), noErr);
    u.fx = static_cast<TrWkFlummel*>(static_cast<ComponentBase*>(GetComponentInstanceStorage(u.host->Unit())));
    return u;
}

// Between calls: settings move (the filter through its types, the shape across the clip
// level's rounding), the heads restart, and non-finite samples arrive.
void Change(AUHost& host, UInt32 call, std::vector<std::vector<float>>& io)
{
    host.SetParameter(kParam_FilterType, float(call % 9) * 0.5f);
    host.SetParameter(kParam_FilterCutoff, 50.f + float(call * 733 % 12000));
    host.SetParameter(kParam_SaturationShape, float(call % 7) / 6.f);
    if (call % 5 == 4) host.SetParameter(kParam_ReSync, 1.f);
    if (call % 3 == 2) {
        io[0][0] = std::numeric_limits<float>::quiet_NaN();
        io.back()[io.back().size() - 1] = -std::numeric_limits<float>::infinity();
    }
}

// One render call as the effect's own render runs it, with the kernels run by `process`.
template <typename Process>
void Render(TrWkFlummel& fx, std::vector<std::vector<float>>& io, Process process)
{
    const UInt32 frames = UInt32(io[0].size());
    std::vector<std::byte> storage(AudioBufferListSize(UInt32(io.size())));
    auto& list = *reinterpret_cast<AudioBufferList*>(storage.data());
    list.mNumberBuffers = UInt32(io.size());
    for (size_t c = 0; c < io.size(); ++c)
        list.mBuffers[c] = {1, UInt32(frames * sizeof(float)), io[c].data()};
    fx.PreRender(frames);
    fx.RenderTimeProcessing(frames);
    AudioUnitRenderActionFlags flags = 0;
    EXPECT_EQ(process(flags, list, frames), noErr);
    EXPECT_FALSE(flags & kAudioUnitRenderAction_OutputIsSilence);
    fx.PostRender(frames);
}

TEST_P(LanesTest, SameOutputAndStatesAsChannelByChannel)
{
    const LanesCase& c = GetParam();
    Unit lanes = Open(c), plain = Open(c);
    UInt32 seed = 7;
    for (UInt32 call = 0; call < 6000 / c.block + 7; ++call) {
        std::vector<std::vector<float>> a(c.channels, std::vector<float>(c.block));
        for (auto& ch : a)
            for (float& v : ch) v = float((seed = seed * 1664525u + 1013904223u) >> 8) / float(1 << 23) - 1.f;
        if (c.changes) {
            Change(*lanes.host, call, a);
            Change(*plain.host, call, a);
        }
        auto b = a;
        Render(*lanes.fx, a, [&](auto& flags, auto& list, UInt32 frames) {
            return lanes.fx->ProcessBufferLists(flags, list, list, frames);
        });
        Render(*plain.fx, b, [&](auto& flags, auto& list, UInt32 frames) {
            return plain.fx->AUInlineEffectBase::ProcessBufferLists(flags, list, list, frames);
        });
        for (UInt32 ch = 0; ch < c.channels; ++ch)
            ASSERT_EQ(0, std::memcmp(a[ch].data(), b[ch].data(), c.block * sizeof(float)))
                << c.name << ": call " << call << ", channel " << ch;
    }
    for (UInt32 ch = 0; ch < c.channels; ++ch) {
        const auto* k = lanes.fx->Kernel(ch);
        const auto* r = plain.fx->Kernel(ch);
        EXPECT_EQ(k->Position(), r->Position());
        EXPECT_EQ(k->Forward(), r->Forward());
        const size_t loop = size_t(lanes.fx->DelayLength()) + 1;
        EXPECT_EQ(0, std::memcmp(k->Loop(), r->Loop(), loop * sizeof(float))) << c.name << ", channel " << ch;
    }
    EXPECT_EQ(lanes.fx->CopyDataToGui().headPosition, plain.fx->CopyDataToGui().headPosition);
}

INSTANTIATE_TEST_SUITE_P(Settings, LanesTest, ::testing::ValuesIn(kLanesCases));

// Heads out of step (one channel re-synced by hand) or a shared buffer go channel by channel,
// and give what the kernels give on their own.
TEST_F(FlummelTest, ChannelsOutOfStepRunOneByOne)
{
    Set(kParam_DelayTime, float(50 / kRate));
    Set(kParam_Feedback, 90.f);
    ASSERT_EQ(host->Initialize(), noErr);
    Signal in(2, std::vector<float>(64, 0.5f));
    Run(in, 64);
    Effect()->Kernel(1)->Restart();
    const Signal out = Run(in, 64);
    EXPECT_NE(Effect()->Kernel(0)->Position(), Effect()->Kernel(1)->Position());
    EXPECT_NE(out[0], out[1]);
}

}  // namespace

// The overview after every call equals the envelope of both loops read one sample at a time,
// zeros' signs included: busy noise with silent stretches, so entries end on +0 and -0 too.
TEST_F(FlummelTest, SampleOverviewIsTheLoopsEnvelopeSampleBySample)
{
    float* overview = nullptr;
    UInt32 size = sizeof overview;
    ASSERT_EQ(AudioUnitGetProperty(host->Unit(), kSampleOverviewProperty, 0, 0, &overview, &size), noErr);
    Set(kParam_DelayTime, float(5003 / kRate));  // 19 samples an entry
    Set(kParam_Feedback, 50.f);
    Set(kParam_SaturationAmount, 5.f);
    ASSERT_EQ(host->Initialize(), noErr);
    auto compress = [](float v) { return v >= 0.f ? std::sqrt(v) : -std::sqrt(-v); };
    UInt32 seed = 3;
    for (int call = 0; call < 40; ++call) {
        Signal in(2, std::vector<float>(333, 0.f));
        if (call % 4 != 3)
            for (auto& ch : in)
                for (float& v : ch) v = float((seed = seed * 1664525u + 1013904223u) >> 8) / float(1 << 24) - 0.5f;
        in[1][7] = -0.f;
        Run(in, 333);
        for (int k = 0; k < kSampleOverviewEntries; ++k) {
            float lo = 0.f, hi = 0.f;
            for (size_t c = 0; c < 2; ++c) {
                float l = 1000000.f, h = -1000000.f;
                for (int i = 19 * k; i < 19 * (k + 1); ++i) {
                    const float v = Effect()->Kernel(c)->Loop()[i];
                    if (v < l) l = v;
                    if (v > h) h = v;
                }
                lo = c == 0 ? compress(l) : std::min(compress(l), lo);
                hi = c == 0 ? compress(h) : std::max(compress(h), hi);
            }
            ASSERT_EQ(0, std::memcmp(&lo, &overview[4 * k + 1], 4)) << "call " << call << ", entry " << k;
            ASSERT_EQ(0, std::memcmp(&hi, &overview[4 * k + 3], 4)) << "call " << call << ", entry " << k;
        }
    }
}
