// Parameter information, initial values, value strings, the string of a Filter Type value, the
// custom properties, and the editor's parameter proxies on the effect itself.
#include <optional>
#include <string>

#include "FlummelFixture.h"
#include "framework/CAAUParameter.h"
#include "platform/cf/CFArray.h"
#include "platform/cf/CFString.h"

namespace {

AudioUnitParameterInfo Info(AudioUnit unit, AudioUnitParameterID id, OSStatus* status = nullptr,
                            AudioUnitScope scope = kAudioUnitScope_Global)
{
    AudioUnitParameterInfo info{};
    UInt32 size = sizeof info;
    const OSStatus s = AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterInfo, scope, id, &info, &size);
    if (status) *status = s;
    return info;
}

std::string Text(CFTypeRef s)
{
    const char* p = s ? CFStringGetCStringPtr(static_cast<CFStringRef>(s), kCFStringEncodingUTF8) : nullptr;
    return p ? p : "<null>";
}

}  // namespace

// Unknown ids are refused and never added to the list, in any scope.
TEST_F(FlummelTest, ParameterInformationAndUnknownIds)
{
    OSStatus status = 0;
    const AudioUnitParameterInfo delay = Info(host->Unit(), kParam_DelayTime, &status);
    ASSERT_EQ(status, noErr);
    EXPECT_STREQ(delay.name, "Delay Time");
    EXPECT_TRUE(CFEqual(delay.cfNameString, CFSTR("Delay Time")));
    EXPECT_EQ(delay.flags, 0xC8000001u);
    EXPECT_EQ(Info(host->Unit(), kParam_FilterType).flags, 0xC8000001u | kAudioUnitParameterFlag_ValuesHaveStrings);
    EXPECT_STREQ(Info(host->Unit(), kParam_LfoTriplet).name, "LFO Triplet");

    Info(host->Unit(), 21, &status);
    EXPECT_EQ(status, kAudioUnitErr_InvalidParameter);
    Info(host->Unit(), 0, &status, kAudioUnitScope_Input);
    EXPECT_EQ(status, kAudioUnitErr_InvalidParameter);
    EXPECT_EQ(host->SetParameter(21, 1.f), kAudioUnitErr_InvalidParameter);
    EXPECT_EQ(host->SetParameter(99, 1.f), kAudioUnitErr_InvalidParameter);
    float v = -1;
    EXPECT_EQ(host->GetParameter(99, v), kAudioUnitErr_InvalidParameter);
    UInt32 listSize = 0;
    ASSERT_EQ(AudioUnitGetPropertyInfo(host->Unit(), kAudioUnitProperty_ParameterList, 0, 0, &listSize, nullptr), noErr);
    EXPECT_EQ(listSize, 21u * 4u);
}

TEST_F(FlummelTest, InitialValuesDifferFromReportedDefaultOnlyForLfoBeats)
{
    EXPECT_EQ(Get(kParam_LfoBeats), 1.f);
    EXPECT_EQ(Info(host->Unit(), kParam_LfoBeats).defaultValue, 4.f);
    for (AudioUnitParameterID id = 0; id < kNumParams; ++id) {
        if (id != kParam_LfoBeats) {
            EXPECT_EQ(Get(id), Info(host->Unit(), id).defaultValue) << id;
        }
    }
}

// Only the divisors have a value list; Filter Type names its value one at a time.
TEST_F(FlummelTest, ValueStrings)
{
    for (AudioUnitParameterID id : {kParam_BeatDivisor, kParam_LfoBeatDivisor, kParam_FilterType}) {
        CFArrayRef strings = nullptr;
        UInt32 size = sizeof strings;
        const OSStatus s =
            AudioUnitGetProperty(host->Unit(), kAudioUnitProperty_ParameterValueStrings, 0, id, &strings, &size);
        if (id == kParam_FilterType) {
            EXPECT_EQ(s, kAudioUnitErr_InvalidProperty);
            continue;
        }
        ASSERT_EQ(s, noErr);
        ASSERT_EQ(CFArrayGetCount(strings), 6);
        EXPECT_EQ(Text(CFArrayGetValueAtIndex(strings, 0)), "1/1");
        EXPECT_EQ(Text(CFArrayGetValueAtIndex(strings, 5)), "1/32");
        CFRelease(strings);
    }

    Set(kParam_FilterType, 2.f);
    const auto untouched = reinterpret_cast<CFStringRef>(1);
    const struct {
        AudioUnitParameterID id;
        std::optional<float> value;  // none: the current one
        const char* name;            // nullptr: no string
        OSStatus status;
    } cases[] = {
        {kParam_FilterType, 3.004f, "High", noErr},   {kParam_FilterType, 3.996f, "Thru", noErr},
        {kParam_FilterType, 4.f, "Thru", noErr},      {kParam_FilterType, 0.004f, "Thru", noErr},
        {kParam_FilterType, 2.5f, nullptr, noErr},    {kParam_FilterType, std::nullopt, "Band", noErr},
        {kParam_Feedback, 1.f, nullptr, kAudioUnitErr_InvalidParameter},
    };
    for (const auto& c : cases) {
        AudioUnitParameterStringFromValue record{c.id, c.value ? &*c.value : nullptr, untouched};
        UInt32 size = sizeof record;
        EXPECT_EQ(AudioUnitGetProperty(host->Unit(), kAudioUnitProperty_ParameterStringFromValue, 0, 0, &record, &size),
                  c.status);
        const float value = c.value.value_or(-1.f);
        if (c.status != noErr)
            EXPECT_EQ(record.outString, untouched) << value;
        else if (!c.name)
            EXPECT_EQ(record.outString, nullptr) << value;
        else
            EXPECT_EQ(Text(record.outString), c.name) << value;
        if (record.outString && record.outString != untouched) CFRelease(record.outString);
    }
}

TEST_F(FlummelTest, CustomPropertiesAndEditorDescription)
{
    const std::pair<AudioUnitPropertyID, UInt32> sizes[] = {
        {kSampleOverviewProperty, sizeof(float*)},
        {kDataToGuiProperty, 24u},
        {kAudioUnitProperty_ParameterStringFromValue, sizeof(AudioUnitParameterStringFromValue)},
    };
    for (auto [id, expected] : sizes) {
        UInt32 size = 0;
        ASSERT_EQ(AudioUnitGetPropertyInfo(host->Unit(), id, 3, 9, &size, nullptr), noErr) << id;
        EXPECT_EQ(size, expected) << id;
    }
    UInt32 value = 5;
    EXPECT_EQ(AudioUnitSetProperty(host->Unit(), kDataToGuiProperty, 0, 0, &value, 4), kAudioUnitErr_InvalidProperty);

    ComponentDescription desc{};
    UInt32 size = sizeof desc;
    ASSERT_EQ(AudioUnitGetProperty(host->Unit(), kAudioUnitProperty_GetUIComponentList, 0, 0, &desc, &size), noErr);
    EXPECT_EQ(desc.componentType, FourCC("auvw"));
    EXPECT_EQ(desc.componentSubType, FourCC("Flml"));
    EXPECT_EQ(desc.componentManufacturer, FourCC("TrWk"));
}

TEST_F(FlummelTest, InitializeRequiresEqualChannelCounts)
{
    CAStreamBasicDescription mono = CAStreamBasicDescription::CanonicalFormat(kRate, 1);
    ASSERT_EQ(AudioUnitSetProperty(host->Unit(), kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &mono,
                                   sizeof(AudioStreamBasicDescription)),
              noErr);
    EXPECT_EQ(AudioUnitInitialize(host->Unit()), kAudioUnitErr_FormatNotSupported);
    EXPECT_EQ(Effect()->Kernels().size(), 0u);
    ASSERT_EQ(host->SetFormat(kRate, 2), noErr);
    ASSERT_EQ(host->Initialize(), noErr);
    EXPECT_EQ(Effect()->Kernels().size(), 2u);
}

// What an editor shows for a parameter and how values move through slider positions.
TEST_F(FlummelTest, ProxiesShowNamesAndMapValuesToPositions)
{
    const struct {
        AudioUnitParameterID id;
        const char *name, *label;
    } expected[] = {
        {kParam_DelayTime, "Delay Time", "Secs"}, {kParam_DryLevel, "Dry Level", "Gain"},
        {kParam_ReSync, "Re-Sync", "T/F"},        {kParam_FilterType, "Filter Type", "<null>"},
    };
    for (const auto& e : expected) {
        const CAAUParameter p(host->Unit(), e.id, kAudioUnitScope_Global, 0);
        EXPECT_EQ(Text(p.GetName()), e.name);
        EXPECT_EQ(Text(p.GetUnitLabel()), e.label) << e.name;
    }
    const CAAUParameter divisor(host->Unit(), kParam_LfoBeatDivisor, kAudioUnitScope_Global, 0);
    EXPECT_TRUE(divisor.IsIndexed());
    EXPECT_EQ(divisor.GetNumIndexedParams(), 6);

    const CAAUParameter feedback(host->Unit(), kParam_Feedback, kAudioUnitScope_Global, 0);
    feedback.SetValue(nullptr, nullptr, 250.f);
    EXPECT_EQ(Get(kParam_Feedback), 100.f);
    feedback.SetValue(nullptr, nullptr, -1.f);
    EXPECT_EQ(feedback.GetValue(), 0.f);

    const CAAUParameter cutoff(host->Unit(), kParam_FilterCutoff, kAudioUnitScope_Global, 0);
    EXPECT_EQ(AUParameterValueToLinear(50.f, &cutoff), 0.f);
    EXPECT_EQ(AUParameterValueToLinear(12000.f, &cutoff), 1.f);
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
