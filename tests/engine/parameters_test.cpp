// Parameter information, initial values, value strings, the string of a Filter Type value and the
// custom properties.
#include <optional>
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
// reported default but LFO Beats'.
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

// The editor's data is read-only; the effect names its editor.
TEST_F(FlummelTest, GuiDataIsReadOnlyAndTheEditorIsNamed)
{
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
