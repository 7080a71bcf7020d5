// Parameter information, initial values and value strings.
#include <string>

#include "FlummelFixture.h"
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

// Unknown ids are refused and never added to the list, in any scope. Every initial value is the
// reported default but LFO Beats'. The editor's data is read-only.
TEST_F(FlummelTest, ParameterInformationInitialValuesAndUnknownIds)
{
    OSStatus status = 0;
    const AudioUnitParameterInfo delay = Info(host->Unit(), kParam_DelayTime, &status);
    ASSERT_EQ(status, noErr);
    EXPECT_STREQ(delay.name, "Delay Time");
    EXPECT_TRUE(CFEqual(delay.cfNameString, CFSTR("Delay Time")));
    EXPECT_EQ(delay.flags, 0xC8000001u);
    EXPECT_EQ(Info(host->Unit(), kParam_FilterType).flags, 0xC8000001u | kAudioUnitParameterFlag_ValuesHaveStrings);
    EXPECT_STREQ(Info(host->Unit(), kParam_LfoTriplet).name, "LFO Triplet");
    EXPECT_EQ(Info(host->Unit(), kParam_LfoBeats).defaultValue, 4.f);
    for (AudioUnitParameterID id = 0; id < kNumParams; ++id)
        EXPECT_EQ(Get(id), id == kParam_LfoBeats ? 1.f : Info(host->Unit(), id).defaultValue) << id;

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
    UInt32 value = 5;
    EXPECT_EQ(AudioUnitSetProperty(host->Unit(), kDataToGuiProperty, 0, 0, &value, 4), kAudioUnitErr_InvalidProperty);
}

// Only the divisors have a value list; Filter Type names its value one at a time, near whole
// values only, and the current one when none is given.
TEST_F(FlummelTest, ValueStrings)
{
    for (AudioUnitParameterID id : {kParam_BeatDivisor, kParam_LfoBeatDivisor, kParam_FilterType}) {
        CFArrayRef strings = nullptr;
        UInt32 size = sizeof strings;
        const OSStatus s =
            AudioUnitGetProperty(host->Unit(), kAudioUnitProperty_ParameterValueStrings, 0, id, &strings, &size);
        ASSERT_EQ(s, id == kParam_FilterType ? OSStatus(kAudioUnitErr_InvalidProperty) : noErr);
        if (s != noErr) continue;
        ASSERT_EQ(CFArrayGetCount(strings), 6);
        EXPECT_EQ(Text(CFArrayGetValueAtIndex(strings, 0)), "1/1");
        EXPECT_EQ(Text(CFArrayGetValueAtIndex(strings, 5)), "1/32");
        CFRelease(strings);
    }
    Set(kParam_FilterType, 2.f);
    auto name = [&](AudioUnitParameterID id, const float* value, OSStatus status = noErr) {
        AudioUnitParameterStringFromValue record{id, value, nullptr};
        UInt32 size = sizeof record;
        EXPECT_EQ(AudioUnitGetProperty(host->Unit(), kAudioUnitProperty_ParameterStringFromValue, 0, 0, &record, &size),
                  status);
        const std::string text = Text(record.outString);
        if (record.outString) CFRelease(record.outString);
        return text;
    };
    for (auto [value, expected] :
         {std::pair{3.004f, "High"}, {3.996f, "Thru"}, {4.f, "Thru"}, {0.004f, "Thru"}, {2.5f, "<null>"}})
        EXPECT_EQ(name(kParam_FilterType, &value), expected) << value;
    EXPECT_EQ(name(kParam_FilterType, nullptr), "Band");
    const float one = 1.f;
    EXPECT_EQ(name(kParam_Feedback, &one, kAudioUnitErr_InvalidParameter), "<null>");
}
