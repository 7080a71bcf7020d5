// Parameter information, initial values, value strings and the string of a Filter Type value.
#include "FlummelFixture.h"
#include "platform/cf/CFArray.h"
#include "platform/cf/CFString.h"

namespace {
AudioUnitParameterInfo Info(AudioUnit unit, AudioUnitParameterID id, OSStatus* status = nullptr)
{
    AudioUnitParameterInfo info{};
    UInt32 size = sizeof info;
    const OSStatus s = AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterInfo, 0, id, &info, &size);
    if (status) *status = s;
    return info;
}
}  // namespace

TEST_F(FlummelTest, ParameterInformation)
{
    OSStatus status = 0;
    const AudioUnitParameterInfo delay = Info(host->Unit(), kParam_DelayTime, &status);
    ASSERT_EQ(status, noErr);
    EXPECT_STREQ(delay.name, "Delay Time");
    EXPECT_TRUE(CFEqual(delay.cfNameString, CFSTR("Delay Time")));
    EXPECT_EQ(delay.unit, kAudioUnitParameterUnit_Seconds);
    EXPECT_EQ(delay.maxValue, 30.f);
    EXPECT_EQ(delay.defaultValue, 1.f);
    EXPECT_EQ(delay.flags, 0xC8000001u);
    EXPECT_EQ(Info(host->Unit(), kParam_FilterQ).minValue, 0.01f);
    EXPECT_EQ(Info(host->Unit(), kParam_FilterLfoAmount).minValue, -3.f);
    EXPECT_EQ(Info(host->Unit(), kParam_FilterLfoAmount).maxValue, 3.f);
    EXPECT_EQ(Info(host->Unit(), kParam_FilterType).flags, 0xC8000001u | kAudioUnitParameterFlag_ValuesHaveStrings);
    EXPECT_EQ(Info(host->Unit(), kParam_BeatDivisor).flags, 0xC8000001u);
    EXPECT_STREQ(Info(host->Unit(), kParam_LfoTriplet).name, "LFO Triplet");

    Info(host->Unit(), 21, &status);
    EXPECT_EQ(status, kAudioUnitErr_InvalidParameter);
    AudioUnitParameterInfo info{};
    UInt32 size = sizeof info;
    EXPECT_EQ(AudioUnitGetProperty(host->Unit(), kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Input, 0, &info,
                                   &size),
              kAudioUnitErr_InvalidParameter);

    UInt32 listSize = 0;
    ASSERT_EQ(AudioUnitGetPropertyInfo(host->Unit(), kAudioUnitProperty_ParameterList, 0, 0, &listSize, nullptr), noErr);
    EXPECT_EQ(listSize, 21u * 4u);
}

TEST_F(FlummelTest, UnknownParameterIdsAreRefusedAndNeverAdded)
{
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
    EXPECT_EQ(Get(kParam_Beats), 4.f);
    for (AudioUnitParameterID id = 0; id < kNumParams; ++id) {
        if (id == kParam_LfoBeats) continue;
        EXPECT_EQ(Get(id), Info(host->Unit(), id).defaultValue) << id;
    }
}

TEST_F(FlummelTest, DivisorValueStrings)
{
    for (AudioUnitParameterID id : {kParam_BeatDivisor, kParam_LfoBeatDivisor}) {
        CFArrayRef strings = nullptr;
        UInt32 size = sizeof strings;
        ASSERT_EQ(AudioUnitGetProperty(host->Unit(), kAudioUnitProperty_ParameterValueStrings, 0, id, &strings, &size),
                  noErr);
        ASSERT_EQ(CFArrayGetCount(strings), 6);
        EXPECT_TRUE(CFEqual(CFArrayGetValueAtIndex(strings, 0), CFSTR("1/1")));
        EXPECT_TRUE(CFEqual(CFArrayGetValueAtIndex(strings, 5), CFSTR("1/32")));
        CFRelease(strings);
    }
    CFArrayRef strings = nullptr;
    UInt32 size = sizeof strings;
    EXPECT_EQ(AudioUnitGetProperty(host->Unit(), kAudioUnitProperty_ParameterValueStrings, 0, kParam_FilterType,
                                   &strings, &size),
              kAudioUnitErr_InvalidProperty);
}

TEST_F(FlummelTest, FilterTypeStringFromValue)
{
    auto name = [&](const float* v, AudioUnitParameterID id = kParam_FilterType, OSStatus* status = nullptr) {
        AudioUnitParameterStringFromValue record{id, v, reinterpret_cast<CFStringRef>(1)};
        UInt32 size = sizeof record;
        const OSStatus s =
            AudioUnitGetProperty(host->Unit(), kAudioUnitProperty_ParameterStringFromValue, 0, 0, &record, &size);
        if (status) *status = s;
        return record.outString;
    };
    const float values[] = {3.004f, 4.f, 2.5f, 0.004f, 1.f, 3.996f};
    CFStringRef s = name(&values[0]);
    EXPECT_TRUE(CFEqual(s, CFSTR("High")));
    CFRelease(s);
    s = name(&values[5]);  // rounds to 4, within 0.005 of it
    EXPECT_TRUE(CFEqual(s, CFSTR("Thru")));
    CFRelease(s);
    s = name(&values[1]);
    EXPECT_TRUE(CFEqual(s, CFSTR("Thru")));
    CFRelease(s);
    OSStatus status = 1;
    EXPECT_EQ(name(&values[2], kParam_FilterType, &status), nullptr);
    EXPECT_EQ(status, noErr);
    s = name(&values[3]);
    EXPECT_TRUE(CFEqual(s, CFSTR("Thru")));
    CFRelease(s);
    Set(kParam_FilterType, 2.f);
    s = name(nullptr);
    EXPECT_TRUE(CFEqual(s, CFSTR("Band")));
    CFRelease(s);
    EXPECT_EQ(name(&values[4], kParam_Feedback, &status), reinterpret_cast<CFStringRef>(1));  // untouched
    EXPECT_EQ(status, kAudioUnitErr_InvalidParameter);
}

TEST_F(FlummelTest, PointerCarryingPropertiesAndEditorDescription)
{
    UInt32 size = 0;
    ASSERT_EQ(AudioUnitGetPropertyInfo(host->Unit(), kSampleOverviewProperty, 3, 9, &size, nullptr), noErr);
    EXPECT_EQ(size, sizeof(float*));
    ASSERT_EQ(AudioUnitGetPropertyInfo(host->Unit(), kDataToGuiProperty, 1, 0, &size, nullptr), noErr);
    EXPECT_EQ(size, 24u);
    ASSERT_EQ(AudioUnitGetPropertyInfo(host->Unit(), kAudioUnitProperty_ParameterStringFromValue, 0, 0, &size, nullptr),
              noErr);
    EXPECT_EQ(size, sizeof(AudioUnitParameterStringFromValue));
    float* overview = nullptr;
    size = sizeof overview;
    ASSERT_EQ(AudioUnitGetProperty(host->Unit(), kSampleOverviewProperty, 0, 0, &overview, &size), noErr);
    ASSERT_NE(overview, nullptr);
    EXPECT_EQ(overview[4 * 7], 7.f);
    EXPECT_EQ(overview[4 * 7 + 2], 7.f);
    EXPECT_EQ(overview[4 * 7 + 1], 0.f);

    ComponentDescription desc{};
    size = sizeof desc;
    ASSERT_EQ(AudioUnitGetProperty(host->Unit(), kAudioUnitProperty_GetUIComponentList, 0, 0, &desc, &size), noErr);
    EXPECT_EQ(desc.componentType, FourCC("auvw"));
    EXPECT_EQ(desc.componentSubType, FourCC("Flml"));
    EXPECT_EQ(desc.componentManufacturer, FourCC("TrWk"));
    UInt32 value = 5;
    EXPECT_EQ(AudioUnitSetProperty(host->Unit(), kDataToGuiProperty, 0, 0, &value, 4), kAudioUnitErr_InvalidProperty);
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
    ASSERT_EQ(Effect()->Kernels().size(), 2u);
    EXPECT_FALSE(Effect()->Kernels()[0]->IsLastChannel());
    EXPECT_TRUE(Effect()->Kernels()[1]->IsLastChannel());
    EXPECT_EQ(Effect()->Kernels()[1]->GetChannelIndex(), 1u);
}

TEST_F(FlummelTest, InitializeRefusesRatesTheLoopCannotHold)
{
    ASSERT_EQ(host->SetFormat(1000000.0, 2), noErr);  // 30 s a channel would be 120 MB each
    EXPECT_EQ(host->Initialize(), kAudioUnitErr_FormatNotSupported);
    EXPECT_EQ(Effect()->Kernels().size(), 0u);
    ASSERT_EQ(host->SetFormat(kRate, 2), noErr);
    EXPECT_EQ(host->Initialize(), noErr);
}
