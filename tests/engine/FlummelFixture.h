// Opens the effect through its component entry and drives it through the host calls.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/TrWkFlummel.h"
#include "engine/TrWkFlummelEntry.h"
#include "host/AUHost.h"
#include "platform/audio/AudioUnitCalls.h"

using Signal = std::vector<std::vector<float>>;

class FlummelTest : public ::testing::Test {
protected:
    static constexpr double kRate = 44100.0;

    void SetUp() override
    {
        RegisterTrWkFlummel();
        ASSERT_EQ(AUHost::Open(TrWkFlummelDescription(), host), noErr);
        ASSERT_EQ(host->SetFormat(kRate, 2), noErr);
    }
    TrWkFlummel* Effect() const
    {
        return static_cast<TrWkFlummel*>(static_cast<ComponentBase*>(GetComponentInstanceStorage(host->Unit())));
    }
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
    Signal Impulses(size_t frames, std::vector<std::pair<size_t, float>> at) const
    {
        Signal s(2, std::vector<float>(frames, 0.f));
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
