// Opens the effect through its component entry and drives it through the host calls.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "engine/TrWkFlummel.h"
#include "engine/TrWkFlummelEntry.h"
#include "host/AUHost.h"
#include "platform/audio/AudioUnitCalls.h"

using Signal = std::vector<std::vector<float>>;

inline std::unique_ptr<AUHost> OpenFlummel(UInt32 channels)
{
    RegisterTrWkFlummel();
    std::unique_ptr<AUHost> host;
    EXPECT_EQ(AUHost::Open(TrWkFlummelDescription(), host), noErr);
    EXPECT_EQ(host ? host->SetFormat(44100.0, channels) : -1, noErr);
    return host;
}

inline TrWkFlummel* EffectOf(AUHost& host)
{
    return static_cast<TrWkFlummel*>(static_cast<ComponentBase*>(GetComponentInstanceStorage(host.Unit())));
}

// Uniform noise in [-scale, scale), the same for every run with the same seed.
inline Signal Noise(size_t channels, size_t frames, UInt32 seed, float scale = 1.f)
{
    Signal s(channels, std::vector<float>(frames));
    for (auto& ch : s)
        for (float& v : ch) v = scale * (float((seed = seed * 1664525u + 1013904223u) >> 8) / float(1 << 23) - 1.f);
    return s;
}

inline Signal Constant(size_t frames, float v = 0.f) { return Signal(2, std::vector<float>(frames, v)); }

// Equal to the bit: NaNs and the signs of zeros count.
inline bool SameBits(const Signal& a, const Signal& b)
{
    for (size_t c = 0; c < a.size() && a.size() == b.size(); ++c)
        if (a[c].size() != b[c].size() || std::memcmp(a[c].data(), b[c].data(), a[c].size() * sizeof(float)))
            return false;
    return a.size() == b.size();
}

class FlummelTest : public ::testing::Test {
protected:
    static constexpr double kRate = 44100.0;

    void SetUp() override { ASSERT_NE(host = OpenFlummel(2), nullptr); }
    TrWkFlummel* Effect() const { return EffectOf(*host); }
    void Set(AudioUnitParameterID id, float v) { ASSERT_EQ(host->SetParameter(id, v), noErr); }
    float Get(AudioUnitParameterID id)
    {
        float v = -1;
        EXPECT_EQ(host->GetParameter(id, v), noErr);
        return v;
    }
    // Initializes on a plain, exact path (loop of n samples, wet only, no feedback, hard clip,
    // thru), then `settings`.
    void Reinit(int n, std::initializer_list<std::pair<AudioUnitParameterID, float>> settings = {})
    {
        ASSERT_EQ(host->Uninitialize(), noErr);
        for (auto [id, v] : {std::pair{kParam_DelayTime, float(n / kRate)}, {kParam_DryLevel, 0.f},
                             {kParam_Feedback, 0.f}, {kParam_SaturationShape, 0.f}, {kParam_FilterType, 0.f}})
            Set(id, v);
        for (auto [id, v] : settings) Set(id, v);
        ASSERT_EQ(host->Initialize(), noErr);
    }
    Signal Impulses(size_t frames, std::vector<std::pair<size_t, float>> at) const
    {
        Signal s = Constant(frames);
        for (auto [i, v] : at) s[0][i] = s[1][i] = v;
        return s;
    }
    Signal Run(const Signal& in, UInt32 block)
    {
        Signal out;
        EXPECT_EQ(host->Process(in, out, block), noErr);
        return out;
    }

    std::unique_ptr<AUHost> host;
};
