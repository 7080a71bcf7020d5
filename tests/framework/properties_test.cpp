// Getting and setting properties through the host calls: size rules, scopes, formats,
// listeners, presets and the properties the framework answers itself.
#include <gtest/gtest.h>

#include <utility>

#include "TestUnit.h"
#include "framework/CAStreamBasicDescription.h"
#include "support/AUPropertyRecorder.h"
#include "platform/cf/CFString.h"

namespace {

using Desc = CAStreamBasicDescription;
constexpr AudioUnitScope kIn = kAudioUnitScope_Input, kOut = kAudioUnitScope_Output;
using Got = std::pair<OSStatus, UInt32>;  // a get's result and the size it reported

void CountCall(void* refCon, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
{
    ++*static_cast<int*>(refCon);
}

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

    const struct {
        AudioUnitPropertyID id;
        AudioUnitScope scope;
        AudioUnitElement element;
        OSStatus result;
        UInt32 size;
    } cases[] = {
        {kAudioUnitProperty_MaximumFramesPerSlice, kIn, 0, kAudioUnitErr_InvalidScope, 0},
        {kAudioUnitProperty_StreamFormat, kIn, 1, kAudioUnitErr_InvalidElement, 0},
        {5000u, 0, 0, kAudioUnitErr_InvalidProperty, 0},
        {kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, noErr, 4},
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

    // Listeners are not checked for duplicates, and removal takes every record with that procedure.
    int calls = 0;
    AudioUnitAddPropertyListener(unit.unit(), kMax, &CountCall, &calls);
    AudioUnitAddPropertyListener(unit.unit(), kMax, &CountCall, &calls);
    EXPECT_EQ(unit.Set(kMax, 0, 0, &frames, 4), noErr);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(AudioUnitRemovePropertyListener(unit.unit(), kMax, &CountCall), noErr);
    EXPECT_EQ(unit.Set(kMax, 0, 0, &frames, 4), noErr);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(log.Count(), 3u);

    ASSERT_EQ(AudioUnitInitialize(unit.unit()), noErr);
    frames = 64;
    EXPECT_EQ(unit.Set(kMax, 0, 0, &frames, 4), kAudioUnitErr_Initialized);
    EXPECT_EQ(unit->GetMaxFramesPerSlice(), 4096u);
    EXPECT_EQ(log.Count(), 3u);
}

TEST(StreamFormat, ChangesNotifyAndOnlyCanonicalFormatsAreTaken)
{
    OpenTestUnit unit;
    AUPropertyRecorder log(unit.unit());
    log.Listen(kAudioUnitProperty_StreamFormat);

    // The global scope addresses output 0; 36 bytes are enough.
    const Desc mono = Desc::CanonicalFormat(22050, 1);
    EXPECT_EQ(unit.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Global, 0, &mono, 36), noErr);
    EXPECT_EQ(unit->GetOutput(0)->GetStreamFormat().mChannelsPerFrame, 1u);
    EXPECT_EQ(unit->GetInput(0)->GetStreamFormat().mChannelsPerFrame, 2u);
    ASSERT_EQ(log.Count(), 1u);
    EXPECT_EQ(unit.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Global, 0, &mono, 35),
              kAudioUnitErr_InvalidPropertyValue);
    EXPECT_EQ(unit.Set(kAudioUnitProperty_StreamFormat, kIn, 3, &mono, 40), kAudioUnitErr_InvalidElement);
    Desc interleaved = Desc::CanonicalFormat(44100, 2);
    interleaved.mFormatFlags &= ~kAudioFormatFlagIsNonInterleaved;
    EXPECT_EQ(unit.Set(kAudioUnitProperty_StreamFormat, kOut, 0, &interleaved, 40), kAudioUnitErr_FormatNotSupported);
    EXPECT_EQ(log.Count(), 1u);

    // Once initialized only the current format is accepted, and without a notification; a format that
    // is not canonical is refused before it is compared.
    ASSERT_EQ(AudioUnitInitialize(unit.unit()), noErr);
    log.Clear();
    Desc format = Desc::CanonicalFormat(96000, 2);
    EXPECT_EQ(unit.Set(kAudioUnitProperty_StreamFormat, kIn, 0, &format, 40), kAudioUnitErr_PropertyNotWritable);
    format.mSampleRate = 44100;
    EXPECT_EQ(unit.Set(kAudioUnitProperty_StreamFormat, kIn, 0, &format, 40), noErr);
    format.mBitsPerChannel = 0;
    EXPECT_EQ(unit.Set(kAudioUnitProperty_StreamFormat, kIn, 0, &format, 40), kAudioUnitErr_FormatNotSupported);
    EXPECT_EQ(log.Count(), 0u);
}

TEST(Presets, UserPresetStoredAndFactoryPresetsRefused)
{
    const long before = CFLiveObjectCount();
    {
        OpenTestUnit unit;
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
    }
    EXPECT_EQ(CFLiveObjectCount(), before);
}
