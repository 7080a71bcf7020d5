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

inline Signal Silence(size_t frames) { return Signal(2, std::vector<float>(frames, 0.f)); }

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
    // A plain, exact signal path: loop of n samples, wet only, no feedback, hard clip, thru.
    void PlainLoop(int n)
    {
        Set(kParam_DelayTime, float(n / kRate));
        Set(kParam_DryLevel, 0.f);
        Set(kParam_Feedback, 0.f);
        Set(kParam_SaturationShape, 0.f);
        Set(kParam_FilterType, 0.f);
    }
    // Uninitializes, applies PlainLoop(n) and then `settings`, and initializes.
    void Reinit(int n, std::initializer_list<std::pair<AudioUnitParameterID, float>> settings = {})
    {
        ASSERT_EQ(host->Uninitialize(), noErr);
        PlainLoop(n);
        for (auto [id, v] : settings) Set(id, v);
        ASSERT_EQ(host->Initialize(), noErr);
    }
    Signal Impulses(size_t frames, std::vector<std::pair<size_t, float>> at) const
    {
        Signal s = Silence(frames);
        for (auto [i, v] : at) s[0][i] = s[1][i] = v;
        return s;
    }
    Signal Run(const Signal& in, UInt32 block)
    {
        Signal out;
        EXPECT_EQ(host->Process(in, out, block), noErr);
        return out;
    }
    float* Overview()
    {
        float* overview = nullptr;
        UInt32 size = sizeof overview;
        EXPECT_EQ(AudioUnitGetProperty(host->Unit(), kSampleOverviewProperty, 0, 0, &overview, &size), noErr);
        return overview;
    }

    std::unique_ptr<AUHost> host;
};
