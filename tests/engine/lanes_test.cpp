// The channels processed together in SIMD lanes against the same effect run channel by channel
// through the effect base: every output sample must be identical.
#include <limits>

#include "FlummelFixture.h"
#include "engine/FlummelLanes.h"

namespace {

struct LanesCase {
    UInt32 channels;
    int loopSamples;
    UInt32 block;
    bool busy;  // feedback, filter, saturation and LFO on, and settings moved between calls
};

std::unique_ptr<AUHost> Open(const LanesCase& c)
{
    std::unique_ptr<AUHost> host = OpenFlummel(c.channels);
    EXPECT_EQ(host->SetParameter(kParam_DelayTime, float(c.loopSamples / 44100.0)), noErr);
    for (auto [id, v] : {std::pair{kParam_Feedback, 95.f}, {kParam_FilterQ, 0.9f}, {kParam_SaturationAmount, 11.f},
                         {kParam_FilterLfoAmount, 2.f}, {kParam_FilterLfoSpeed, 20.f}})
        EXPECT_EQ(c.busy ? host->SetParameter(id, v) : noErr, noErr);
    EXPECT_EQ(host->Initialize(), noErr);
    return host;
}

// Between calls: settings move (the filter through its types, the shape across the clip
// level's rounding), the heads restart, and non-finite samples arrive.
void Change(AUHost& host, UInt32 call, Signal& io)
{
    host.SetParameter(kParam_FilterType, float(call % 9) * 0.5f);
    host.SetParameter(kParam_FilterCutoff, 50.f + float(call * 733 % 12000));
    host.SetParameter(kParam_SaturationShape, float(call % 7) / 6.f);
    if (call % 5 == 4) host.SetParameter(kParam_ReSync, 1.f);
    if (call % 3 == 2) {
        io[0][0] = std::numeric_limits<float>::quiet_NaN();
        io.back().back() = -std::numeric_limits<float>::infinity();
    }
}

// One render call as the effect's own render runs it, in lanes or through the effect base.
void Render(TrWkFlummel& fx, Signal& io, bool lanes)
{
    const UInt32 frames = UInt32(io[0].size());
    std::vector<std::byte> storage(AudioBufferListSize(UInt32(io.size())));
    auto& list = *reinterpret_cast<AudioBufferList*>(storage.data());
    list.mNumberBuffers = UInt32(io.size());
    for (size_t c = 0; c < io.size(); ++c) list.mBuffers[c] = {1, UInt32(frames * sizeof(float)), io[c].data()};
    fx.PreRender(frames);
    fx.RenderTimeProcessing(frames);
    AudioUnitRenderActionFlags flags = 0;
    EXPECT_EQ(lanes ? fx.ProcessBufferLists(flags, list, list, frames)
                    : fx.AUInlineEffectBase::ProcessBufferLists(flags, list, list, frames),
              noErr);
    EXPECT_FALSE(flags & kAudioUnitRenderAction_OutputIsSilence);
    fx.PostRender(frames);
}

}  // namespace

TEST(LanesTest, SameOutputAsChannelByChannel)
{
    const LanesCase cases[] = {{1, 300, 64, false}, {1, 37, 61, true}, {2, 300, 128, false}, {2, 211, 33, true},
                               {3, 53, 127, true},  {4, 19, 1, true},  {5, 101, 77, true},   {8, 1, 5, false},
                               {8, 64, 64, true}};
    for (const LanesCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.channels << " channels, loop " << c.loopSamples << ", block " << c.block);
        const std::unique_ptr<AUHost> lanesHost = Open(c), plainHost = Open(c);
        TrWkFlummel &lanes = *EffectOf(*lanesHost), &plain = *EffectOf(*plainHost);
        for (UInt32 call = 0; call < 6000 / c.block + 7; ++call) {
            Signal a = Noise(c.channels, c.block, 7 + call);
            if (c.busy) {
                Change(*lanesHost, call, a);
                Change(*plainHost, call, a);
            }
            Signal b = a;
            Render(lanes, a, true);
            Render(plain, b, false);
            ASSERT_TRUE(SameBits(a, b)) << "call " << call;
        }
        EXPECT_EQ(lanes.CopyDataToGui().headPosition, plain.CopyDataToGui().headPosition);
    }
}
