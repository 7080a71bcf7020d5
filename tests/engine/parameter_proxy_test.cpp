// The editor's parameter proxies on the effect itself: what an editor shows for each parameter
// and how values move through positions.
#include <cmath>
#include <string>

#include "FlummelFixture.h"
#include "framework/CAAUParameter.h"

namespace {

std::string Text(CFStringRef s)
{
    const char* p = s ? CFStringGetCStringPtr(s, kCFStringEncodingUTF8) : nullptr;
    return p ? p : "<null>";
}

}  // namespace

TEST_F(FlummelTest, ProxiesShowTheEffectsNamesLabelsAndValueLists)
{
    struct Expect {
        AudioUnitParameterID id;
        const char* name;
        const char* label;
    } expected[] = {
        {kParam_DelayTime, "Delay Time", "Secs"},   {kParam_Feedback, "Feedback", "%"},
        {kParam_DryLevel, "Dry Level", "Gain"},   {kParam_ReSync, "Re-Sync", "T/F"},
        {kParam_Beats, "Beats", "Beats"},           {kParam_FilterCutoff, "Filter Cutoff", "Hz"},
        {kParam_FilterType, "Filter Type", "<null>"}, {kParam_FilterLfoSpeed, "Filter LFO Speed", "Hz"},
    };
    for (const Expect& e : expected) {
        const CAAUParameter p(host->Unit(), e.id, kAudioUnitScope_Global, 0);
        EXPECT_EQ(Text(p.GetName()), e.name);
        EXPECT_EQ(Text(p.GetUnitLabel()), e.label) << e.name;
    }
    for (AudioUnitParameterID id : {kParam_BeatDivisor, kParam_LfoBeatDivisor}) {
        const CAAUParameter divisor(host->Unit(), id, kAudioUnitScope_Global, 0);
        ASSERT_TRUE(divisor.IsIndexed());
        EXPECT_EQ(divisor.GetNumIndexedParams(), 6);
        ASSERT_NE(divisor.GetValueStrings(), nullptr);
        EXPECT_EQ(Text(static_cast<CFStringRef>(CFArrayGetValueAtIndex(divisor.GetValueStrings(), 0))), "1/1");
        EXPECT_EQ(Text(static_cast<CFStringRef>(CFArrayGetValueAtIndex(divisor.GetValueStrings(), 5))), "1/32");
    }
}

TEST_F(FlummelTest, ProxiesClampAndMapValuesToPositionsAndBack)
{
    const CAAUParameter feedback(host->Unit(), kParam_Feedback, kAudioUnitScope_Global, 0);
    feedback.SetValue(nullptr, nullptr, 250.f);
    EXPECT_EQ(Get(kParam_Feedback), 100.f);
    feedback.SetValue(nullptr, nullptr, -1.f);
    EXPECT_EQ(feedback.GetValue(), 0.f);

    const CAAUParameter cutoff(host->Unit(), kParam_FilterCutoff, kAudioUnitScope_Global, 0);
    EXPECT_EQ(AUParameterValueToLinear(cutoff.ParamInfo().minValue, &cutoff), 0.f);
    EXPECT_EQ(AUParameterValueToLinear(cutoff.ParamInfo().maxValue, &cutoff), 1.f);
    float previous = -1;
    for (float position = 0; position <= 1.f; position += 0.125f) {
        cutoff.SetValue(nullptr, nullptr, AUParameterValueFromLinear(position, &cutoff));
        const float back = AUParameterValueToLinear(cutoff.GetValue(), &cutoff);
        EXPECT_NEAR(back, position, 1e-5f);
        EXPECT_GT(back, previous);
        previous = back;
    }
    char text[32];
    AUParameterFormatValue(1234.5678, &cutoff, text, 4);
    EXPECT_STREQ(text, "1235");
}
