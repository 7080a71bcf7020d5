#include "lv2/Reference.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/TrWkFlummelEntry.h"

Reference::Reference(uint32_t channels, double rate, std::optional<double> tempo)
{
    RegisterTrWkFlummel();
    EXPECT_EQ(AUHost::Open(TrWkFlummelDescription(), mHost), noErr);
    EXPECT_EQ(mHost->SetFormat(rate, channels), noErr);
    EXPECT_EQ(mHost->SetTempo(tempo), noErr);
    EXPECT_EQ(mHost->SetInputSource([this](float* const* channels, UInt32 count, UInt32 frames, Float64) {
        for (UInt32 c = 0; c < count; ++c) std::copy_n((*mInput)[c].begin() + std::ptrdiff_t(mAt), frames, channels[c]);
        return false;
    }),
              noErr);
    EXPECT_EQ(mHost->Initialize(), noErr);
}

void Reference::Set(AudioUnitParameterID id, float value) { EXPECT_EQ(mHost->SetParameter(id, value), noErr); }

void Reference::SetTempo(std::optional<double> bpm) { EXPECT_EQ(mHost->SetTempo(bpm), noErr); }

void Reference::Render(const Signal& in, Signal& out, size_t at, uint32_t frames)
{
    mInput = &in;
    mAt = at;
    float* channels[AUHost::kMaxChannels];
    for (size_t c = 0; c < out.size(); ++c) channels[c] = out[c].data() + at;
    EXPECT_EQ(mHost->Render(channels, UInt32(out.size()), frames), noErr);
}

Signal Reference::Process(const Signal& in, uint32_t block)
{
    Signal out(in.size(), std::vector<float>(in[0].size()));
    for (size_t at = 0; at < in[0].size(); at += block)
        Render(in, out, at, uint32_t(std::min<size_t>(block, in[0].size() - at)));
    return out;
}
