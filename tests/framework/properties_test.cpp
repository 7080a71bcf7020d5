// Getting and setting properties through the host calls: size rules, scopes, formats,
// listeners and the properties the framework answers itself.
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "TestUnit.h"
#include "framework/CAStreamBasicDescription.h"
#include "host/AUPropertyRecorder.h"
#include "platform/cf/CFString.h"

namespace {

using Desc = CAStreamBasicDescription;
constexpr AudioUnitScope kIn = kAudioUnitScope_Input, kOut = kAudioUnitScope_Output;
using Got = std::pair<OSStatus, UInt32>;  // a get's result and the size it reported

}  // namespace

TEST(GetProperty, SizeRulesAndInfo)
{
    OpenTestUnit unit;
    auto get = [&](AudioUnitPropertyID id, void* data, UInt32 size, AudioUnitScope scope = kOut) {
        const OSStatus result = AudioUnitGetProperty(unit.unit(), id, scope, 0, data, &size);
        return Got{result, size};
    };
    const AudioUnitPropertyID kFormat = kAudioUnitProperty_StreamFormat;
    AudioStreamBasicDescription format{};
    Float64 rate = 0;
    unsigned char big[64] = {};
    CFStringRef name = nullptr;
    EXPECT_EQ(get(kFormat, nullptr, 0), Got(noErr, 40));
    EXPECT_EQ(get(kFormat, &format, 0).first, paramErr);
    EXPECT_EQ(AudioUnitGetProperty(unit.unit(), kFormat, kOut, 0, &format, nullptr), paramErr);
    // A smaller buffer receives the leading bytes and keeps its size; a larger one gets the size back; a
    // failing get reports size 0.
    EXPECT_EQ(get(kFormat, &rate, sizeof rate), Got(noErr, sizeof rate));
    EXPECT_EQ(rate, 44100.0);
    EXPECT_EQ(get(kFormat, big, sizeof big), Got(noErr, 40));
    EXPECT_EQ(get(kAudioUnitProperty_ContextName, &name, sizeof name, 0), Got(kAudioUnitErr_InvalidPropertyValue, 0));

    const OSStatus kScope = kAudioUnitErr_InvalidScope, kElement = kAudioUnitErr_InvalidElement;
    const struct {
        AudioUnitPropertyID id;
        AudioUnitScope scope;
        AudioUnitElement element;
        OSStatus result;
        UInt32 size;
    } cases[] = {
        {kAudioUnitProperty_MaximumFramesPerSlice, kIn, 0, kScope, 0},
        {kAudioUnitProperty_MaximumFramesPerSlice, 0, 1, kElement, 0},
        {kAudioUnitProperty_StreamFormat, kIn, 1, kElement, 0},
        {kAudioUnitProperty_ParameterList, 7, 0, kScope, 0},
        {kAudioUnitProperty_AudioChannelLayout, kOut, 0, kAudioUnitErr_InvalidProperty, 0},
        {kAudioUnitProperty_SupportedChannelLayoutTags, kOut, 0, kAudioUnitErr_InvalidProperty, 0},
        {kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, noErr, 4},
        {kAudioUnitProperty_Latency, 0, 0, noErr, 8},
        {kAudioUnitProperty_MakeConnection, kIn, 0, noErr, sizeof(AudioUnitConnection)},
        {kAudioUnitProperty_ParameterInfo, 0, 0, noErr, sizeof(AudioUnitParameterInfo)},
        {kAudioUnitProperty_HostCallbacks, 0, 0, noErr, sizeof(HostCallbackInfo)},
        {kAudioUnitProperty_ParameterList, 0, 0, noErr, 8},  // the global element's two parameters
        {kAudioUnitProperty_ParameterList, kIn, 0, noErr, 0},
    };
    UInt32 size = 0;
    for (const auto& c : cases) {
        size = 0;
        EXPECT_EQ(AudioUnitGetPropertyInfo(unit.unit(), c.id, c.scope, c.element, &size, nullptr), c.result)
            << c.id << "/" << c.scope;
        EXPECT_EQ(c.result == noErr ? size : 0u, c.size) << c.id << "/" << c.scope;
    }
    for (AudioUnitPropertyID id : std::initializer_list<AudioUnitPropertyID>{
             5000u, kAudioUnitProperty_SupportedNumChannels, kAudioUnitProperty_TailTime,
             kAudioUnitProperty_FactoryPresets, kAudioUnitProperty_GetUIComponentList, kAudioUnitProperty_IconLocation,
             kAudioUnitProperty_CPULoad, kAudioUnitProperty_ParameterValueStrings, kAudioUnitProperty_RenderQuality})
        EXPECT_EQ(AudioUnitGetPropertyInfo(unit.unit(), id, 0, 0, &size, nullptr), kAudioUnitErr_InvalidProperty) << id;
    Boolean writable = false;
    EXPECT_EQ(AudioUnitGetPropertyInfo(unit.unit(), kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, nullptr, &writable),
              noErr);
    EXPECT_TRUE(writable);
}

TEST(SetProperty, SizeRulesAndMaximumFramesOnlyWhileUninitialized)
{
    OpenTestUnit unit;
    const AudioUnitPropertyID kMax = kAudioUnitProperty_MaximumFramesPerSlice;
    AUPropertyRecorder log(unit.unit());
    log.Listen(kMax);
    UInt32 frames = 4096;
    EXPECT_EQ(unit.Set(kMax, 0, 0, &frames, 0), paramErr);
    EXPECT_EQ(unit.Set(kMax, 0, 0, nullptr, 4), paramErr);
    EXPECT_EQ(unit.Set(kMax, 0, 0, &frames, 2), kAudioUnitErr_InvalidPropertyValue);
    EXPECT_EQ(unit.Set(kMax, 0, 0, nullptr, 0), kAudioUnitErr_InvalidPropertyValue);  // cannot be removed
    EXPECT_EQ(log.Count(), 0u);

    EXPECT_EQ(unit.Set(kMax, 0, 0, &frames, 4), noErr);
    EXPECT_EQ(log.Count(), 1u);
    ASSERT_EQ(AudioUnitInitialize(unit.unit()), noErr);
    frames = 64;
    EXPECT_EQ(unit.Set(kMax, 0, 0, &frames, 4), kAudioUnitErr_Initialized);
    EXPECT_EQ(unit->GetMaxFramesPerSlice(), 4096u);
    EXPECT_EQ(log.Count(), 1u);
    UInt32 count = 3;
    EXPECT_EQ(unit.Set(kAudioUnitProperty_ElementCount, kOut, 0, &count, 4), kAudioUnitErr_PropertyNotWritable);
}

TEST(StreamFormat, ChangesNotifyAndSampleRateChangesTheFormat)
{
    OpenTestUnit unit;
    AUPropertyRecorder log(unit.unit());
    log.Listen(kAudioUnitProperty_StreamFormat);
    log.Listen(kAudioUnitProperty_SampleRate);

    const Float64 rate = 96000;
    EXPECT_EQ(unit.Set(kAudioUnitProperty_SampleRate, kIn, 0, &rate, 8), noErr);
    ASSERT_EQ(log.Count(), 1u);
    EXPECT_EQ(log.Entries()[0].id, kAudioUnitProperty_StreamFormat);
    EXPECT_EQ(log.Entries()[0].scope, kIn);
    EXPECT_EQ(unit->GetInput(0)->GetStreamFormat().mSampleRate, 96000.0);
    EXPECT_EQ(unit->GetOutput(0)->GetStreamFormat().mSampleRate, 44100.0);
    EXPECT_EQ(unit.Set(kAudioUnitProperty_SampleRate, kIn, 0, &rate, 4), kAudioUnitErr_InvalidPropertyValue);
    EXPECT_EQ(unit.Set(kAudioUnitProperty_SampleRate, kIn, 3, &rate, 8), kAudioUnitErr_InvalidElement);

    // The global scope addresses output 0; 36 bytes are enough.
    const Desc mono = Desc::CanonicalFormat(22050, 1);
    EXPECT_EQ(unit.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Global, 0, &mono, 36), noErr);
    EXPECT_EQ(unit->GetOutput(0)->GetStreamFormat().mChannelsPerFrame, 1u);
    EXPECT_EQ(unit.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Global, 0, &mono, 35),
              kAudioUnitErr_InvalidPropertyValue);
    EXPECT_EQ(log.Count(kAudioUnitProperty_StreamFormat), 2u);
    Desc interleaved = Desc::CanonicalFormat(44100, 2);
    interleaved.mFormatFlags &= ~kAudioFormatFlagIsNonInterleaved;
    EXPECT_EQ(unit.Set(kAudioUnitProperty_StreamFormat, kOut, 0, &interleaved, 40), kAudioUnitErr_FormatNotSupported);

    // Once initialized only the current format is accepted, and without a notification; a format that
    // is not canonical is refused before it is compared.
    ASSERT_EQ(AudioUnitInitialize(unit.unit()), noErr);
    log.Clear();
    Desc format = Desc::CanonicalFormat(44100, 2);
    EXPECT_EQ(unit.Set(kAudioUnitProperty_StreamFormat, kIn, 0, &format, 40), kAudioUnitErr_PropertyNotWritable);
    format.mSampleRate = 96000;
    EXPECT_EQ(unit.Set(kAudioUnitProperty_StreamFormat, kIn, 0, &format, 40), noErr);
    format.mBitsPerChannel = 0;
    EXPECT_EQ(unit.Set(kAudioUnitProperty_StreamFormat, kIn, 0, &format, 40), kAudioUnitErr_FormatNotSupported);
    EXPECT_EQ(log.Count(), 0u);
}

namespace {
void CountCall(void* refCon, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
{
    ++*static_cast<int*>(refCon);
}
}  // namespace

TEST(PropertyListeners, ContextNameNotifiesAndListenersGoByProcedure)
{
    const long before = CFLiveObjectCount();
    {
        OpenTestUnit unit;
        const AudioUnitPropertyID kId = kAudioUnitProperty_ContextName;
        int first = 0, second = 0;
        AudioUnitAddPropertyListener(unit.unit(), kId, &CountCall, &first);
        AudioUnitAddPropertyListener(unit.unit(), kId, &CountCall, &second);
        AudioUnitAddPropertyListener(unit.unit(), kId, &CountCall, &first);  // no duplicate check
        CFStringRef name = CFStringCreateWithCString(nullptr, "Lead vocal", kCFStringEncodingUTF8);
        EXPECT_EQ(unit.Set(kId, 0, 0, &name, sizeof name), noErr);
        CFRelease(name);
        EXPECT_EQ(first, 2);
        EXPECT_EQ(second, 1);
        CFStringRef got = nullptr;
        ASSERT_EQ(unit.Get(kId, 0, 0, got), noErr);
        EXPECT_TRUE(CFEqual(got, CFSTR("Lead vocal")));
        CFRelease(got);
        EXPECT_EQ(unit.Set(kId, kIn, 0, &name, sizeof name), kAudioUnitErr_InvalidScope);

        // Removal takes every record with that procedure, whatever its user data.
        EXPECT_EQ(AudioUnitRemovePropertyListener(unit.unit(), kId, &CountCall), noErr);
        EXPECT_EQ(unit.Set(kId, 0, 0, nullptr, 0), noErr);
        EXPECT_EQ(first + second, 3);
        EXPECT_EQ(unit.Get(kId, 0, 0, got), kAudioUnitErr_InvalidPropertyValue);
    }
    EXPECT_EQ(CFLiveObjectCount(), before);
}

namespace {
OSStatus Tempo120(void*, Float64*, Float64* tempo)
{
    *tempo = 120;
    return noErr;
}
}  // namespace

TEST(HostCallbacks, StoredZeroPaddedAndNotifiedOnlyOnChange)
{
    OpenTestUnit unit;
    const AudioUnitPropertyID kId = kAudioUnitProperty_HostCallbacks;
    AUPropertyRecorder log(unit.unit());
    log.Listen(kId);
    EXPECT_EQ(unit.Set(kId, 0, 0, nullptr, 0), noErr);  // nothing stored: nothing to tell
    EXPECT_EQ(log.Count(), 0u);

    HostCallbackInfo info{};
    info.hostUserData = &log;
    info.beatAndTempoProc = &Tempo120;
    EXPECT_EQ(unit.Set(kId, 0, 0, &info, sizeof info), noErr);
    EXPECT_EQ(unit.Set(kId, 0, 0, &info, sizeof info), noErr);
    EXPECT_EQ(log.Count(), 1u);
    EXPECT_EQ(unit->GetHostCallbackInfo().beatAndTempoProc, &Tempo120);

    EXPECT_EQ(unit.Set(kId, 0, 0, &info, sizeof(void*)), noErr);  // a shorter record clears the rest
    EXPECT_EQ(unit->GetHostCallbackInfo().hostUserData, &log);
    EXPECT_EQ(unit->GetHostCallbackInfo().beatAndTempoProc, nullptr);
    EXPECT_EQ(unit.Set(kId, 0, 0, nullptr, 0), noErr);
    EXPECT_EQ(log.Count(), 3u);
    EXPECT_EQ(unit->GetHostCallbackInfo().hostUserData, nullptr);
}

TEST(Presets, UserPresetStoredAndFactoryPresetsRefused)
{
    const long before = CFLiveObjectCount();
    {
        OpenTestUnit unit;
        AUPropertyRecorder log(unit.unit());
        log.Listen(kAudioUnitProperty_PresentPreset);
        AUPreset preset{};
        ASSERT_EQ(unit.Get(kAudioUnitProperty_CurrentPreset, 0, 0, preset), noErr);
        EXPECT_EQ(preset.presetNumber, -1);
        EXPECT_TRUE(CFEqual(preset.presetName, CFSTR("Untitled")));

        CFStringRef name = CFStringCreateWithCString(nullptr, "Big room", kCFStringEncodingUTF8);
        const AUPreset user{-3, name};
        EXPECT_EQ(unit.Set(kAudioUnitProperty_PresentPreset, 0, 0, &user, sizeof user), noErr);
        CFRelease(name);
        ASSERT_EQ(unit.Get(kAudioUnitProperty_PresentPreset, 0, 0, preset), noErr);
        EXPECT_EQ(preset.presetNumber, -3);
        EXPECT_TRUE(CFEqual(preset.presetName, CFSTR("Big room")));
        CFRelease(preset.presetName);  // the present preset hands out a retained name

        const AUPreset factory{2, nullptr}, unnamed{-1, nullptr};
        EXPECT_EQ(unit.Set(kAudioUnitProperty_CurrentPreset, 0, 0, &factory, sizeof factory),
                  kAudioUnitErr_InvalidProperty);
        EXPECT_EQ(unit.Set(kAudioUnitProperty_CurrentPreset, 0, 0, &unnamed, sizeof unnamed),
                  kAudioUnitErr_InvalidPropertyValue);
        EXPECT_EQ(unit.Set(kAudioUnitProperty_CurrentPreset, 0, 0, &user, 4), kAudioUnitErr_InvalidPropertyValue);
        EXPECT_EQ(log.Count(), 1u);
    }
    EXPECT_EQ(CFLiveObjectCount(), before);
}

TEST(ElementProperties, NamesAreStoredPerElement)
{
    OpenTestUnit unit;
    AUPropertyRecorder log(unit.unit());
    log.Listen(kAudioUnitProperty_ElementName);
    CFStringRef name = CFSTR("Side chain");
    EXPECT_EQ(unit.Set(kAudioUnitProperty_ElementName, kIn, 0, &name, sizeof name), noErr);
    EXPECT_EQ(unit.Set(kAudioUnitProperty_ElementName, kIn, 4, &name, sizeof name), kAudioUnitErr_InvalidElement);
    ASSERT_EQ(log.Count(), 1u);
    EXPECT_EQ(log.Entries()[0].scope, kIn);
    CFStringRef got = nullptr;
    ASSERT_EQ(unit.Get(kAudioUnitProperty_ElementName, kIn, 0, got), noErr);
    EXPECT_EQ(got, name);
    CFRelease(got);
    EXPECT_EQ(unit.Get(kAudioUnitProperty_ElementName, kOut, 0, got), kAudioUnitErr_InvalidPropertyValue);
}
