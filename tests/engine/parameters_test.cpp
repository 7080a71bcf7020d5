// Parameter information, initial values and value strings.
#include <string>

#include "FlummelFixture.h"
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

// Unknown ids are refused. Every initial value is the reported default but LFO Beats'. The
// editor's data is read-only. Filter Type has no value list: it names its value one at a time,
// near whole values only, and the current one when none is given.
TEST_F(FlummelTest, ParameterInformationValueNamesAndUnknownIds)
{
    OSStatus status = 0;
    EXPECT_EQ(Info(host->Unit(), kParam_LfoBeats, &status).defaultValue, 4.f);
    ASSERT_EQ(status, noErr);
    for (AudioUnitParameterID id = 0; id < kNumParams; ++id)
        EXPECT_EQ(Get(id), id == kParam_LfoBeats ? 1.f : Info(host->Unit(), id).defaultValue) << id;

    Info(host->Unit(), 21, &status);
    EXPECT_EQ(status, kAudioUnitErr_InvalidParameter);
    EXPECT_EQ(host->SetParameter(21, 1.f), kAudioUnitErr_InvalidParameter);
    UInt32 value = 5;
    EXPECT_EQ(AudioUnitSetProperty(host->Unit(), kDataToGuiProperty, 0, 0, &value, 4), kAudioUnitErr_InvalidProperty);

    CFArrayRef strings = nullptr;
    UInt32 size = sizeof strings;
    EXPECT_EQ(AudioUnitGetProperty(host->Unit(), kAudioUnitProperty_ParameterValueStrings, 0, kParam_FilterType,
                                   &strings, &size),
              kAudioUnitErr_InvalidProperty);
    Set(kParam_FilterType, 2.f);
    auto name = [&](const float* value) {
        AudioUnitParameterStringFromValue record{kParam_FilterType, value, nullptr};
        UInt32 size = sizeof record;
        EXPECT_EQ(AudioUnitGetProperty(host->Unit(), kAudioUnitProperty_ParameterStringFromValue, 0, 0, &record, &size),
                  noErr);
        const char* p = record.outString ? CFStringGetCStringPtr(record.outString, kCFStringEncodingUTF8) : nullptr;
        const std::string text = p ? p : "<null>";
        if (record.outString) CFRelease(record.outString);
        return text;
    };
    for (auto [value, expected] :
         {std::pair{3.004f, "High"}, {3.996f, "Thru"}, {4.f, "Thru"}, {0.004f, "Thru"}, {2.5f, "<null>"}})
        EXPECT_EQ(name(&value), expected) << value;
    EXPECT_EQ(name(nullptr), "Band");
}
