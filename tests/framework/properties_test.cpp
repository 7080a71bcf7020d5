// Getting and setting properties through the host calls: size rules, scopes, formats,
// listeners and the properties the framework answers itself.
#include <gtest/gtest.h>

#include "TestUnit.h"
#include "framework/CAStreamBasicDescription.h"
#include "platform/cf/CFString.h"

TEST(GetProperty, SizeRules)
{
    OpenTestUnit unit;
    UInt32 size = 0;
    EXPECT_EQ(AudioUnitGetProperty(unit.unit(), kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, nullptr,
                                   &size),
              noErr);
    EXPECT_EQ(size, 40u);

    AudioStreamBasicDescription format{};
    size = 0;
    EXPECT_EQ(AudioUnitGetProperty(unit.unit(), kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format,
                                   &size),
              paramErr);
    EXPECT_EQ(AudioUnitGetProperty(unit.unit(), kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format,
                                   nullptr),
              paramErr);

    // A smaller buffer receives the leading bytes and keeps its size.
    Float64 rate = 0;
    size = sizeof rate;
    EXPECT_EQ(AudioUnitGetProperty(unit.unit(), kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &rate,
                                   &size),
              noErr);
    EXPECT_EQ(size, sizeof rate);
    EXPECT_EQ(rate, 44100.0);

    // A larger buffer gets the property's size back.
    unsigned char big[64] = {};
    size = sizeof big;
    EXPECT_EQ(AudioUnitGetProperty(unit.unit(), kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, big,
                                   &size),
              noErr);
    EXPECT_EQ(size, 40u);

    // A failing get reports size 0.
    CFStringRef name = nullptr;
    size = sizeof name;
    EXPECT_EQ(AudioUnitGetProperty(unit.unit(), kAudioUnitProperty_ContextName, 0, 0, &name, &size),
              kAudioUnitErr_InvalidPropertyValue);
    EXPECT_EQ(size, 0u);
}

TEST(GetProperty, InfoChecksScopeAndElement)
{
    OpenTestUnit unit;
    UInt32 size = 0;
    Boolean writable = true;
    EXPECT_EQ(AudioUnitGetPropertyInfo(unit.unit(), kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Input, 0,
                                       &size, &writable),
              kAudioUnitErr_InvalidScope);
    EXPECT_EQ(AudioUnitGetPropertyInfo(unit.unit(), kAudioUnitProperty_MaximumFramesPerSlice, 0, 1, &size, &writable),
              kAudioUnitErr_InvalidElement);
    EXPECT_EQ(AudioUnitGetPropertyInfo(unit.unit(), kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 1, &size,
                                       &writable),
              kAudioUnitErr_InvalidElement);
    EXPECT_EQ(AudioUnitGetPropertyInfo(unit.unit(), kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, nullptr, nullptr),
              noErr);
    EXPECT_EQ(AudioUnitGetPropertyInfo(unit.unit(), kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, &size, &writable),
              noErr);
    EXPECT_EQ(size, 4u);
    EXPECT_TRUE(writable);
    EXPECT_EQ(AudioUnitGetPropertyInfo(unit.unit(), 5000, 0, 0, &size, &writable), kAudioUnitErr_InvalidProperty);
    // Properties the test unit does not support.
    for (AudioUnitPropertyID id : {kAudioUnitProperty_SupportedNumChannels, kAudioUnitProperty_TailTime,
                                   kAudioUnitProperty_GetUIComponentList, kAudioUnitProperty_FactoryPresets,
                                   kAudioUnitProperty_IconLocation, kAudioUnitProperty_ParameterValueStrings,
                                   kAudioUnitProperty_CPULoad, kAudioUnitProperty_RenderQuality})
        EXPECT_EQ(AudioUnitGetPropertyInfo(unit.unit(), id, 0, 0, &size, &writable), kAudioUnitErr_InvalidProperty)
            << id;
    EXPECT_EQ(AudioUnitGetPropertyInfo(unit.unit(), kAudioUnitProperty_AudioChannelLayout, kAudioUnitScope_Output, 0,
                                       &size, &writable),
              kAudioUnitErr_InvalidProperty);
    EXPECT_EQ(AudioUnitGetPropertyInfo(unit.unit(), kAudioUnitProperty_SupportedChannelLayoutTags,
                                       kAudioUnitScope_Output, 0, &size, &writable),
              kAudioUnitErr_InvalidProperty);
}

TEST(GetProperty, PointerCarryingPropertiesHaveNaturalSizes)
{
    OpenTestUnit unit;
    struct Expect {
        AudioUnitPropertyID id;
        AudioUnitScope scope;
        UInt32 size;
    };
    for (const Expect& e : {Expect{kAudioUnitProperty_ClassInfo, 0, sizeof(CFPropertyListRef)},
                            Expect{kAudioUnitProperty_MakeConnection, 1, sizeof(AudioUnitConnection)},
                            Expect{kAudioUnitProperty_FastDispatch, 0, sizeof(void*)},
                            Expect{kAudioUnitProperty_ParameterInfo, 0, sizeof(AudioUnitParameterInfo)},
                            Expect{kAudioUnitProperty_SetRenderCallback, 1, sizeof(AURenderCallbackStruct)},
                            Expect{kAudioUnitProperty_ContextName, 0, sizeof(CFStringRef)},
                            Expect{kAudioUnitProperty_HostCallbacks, 0, sizeof(HostCallbackInfo)},
                            Expect{kAudioUnitProperty_CurrentPreset, 0, sizeof(AUPreset)},
                            Expect{kAudioUnitProperty_PresentPreset, 0, sizeof(AUPreset)},
                            Expect{kAudioUnitProperty_ElementName, 0, sizeof(CFStringRef)},
                            Expect{kAudioUnitProperty_ParameterList, 0, 8},
                            Expect{kAudioUnitProperty_Latency, 0, 8},
                            Expect{kAudioUnitProperty_LastRenderError, 0, 4}}) {
        UInt32 size = 0;
        EXPECT_EQ(AudioUnitGetPropertyInfo(unit.unit(), e.id, e.scope, 0, &size, nullptr), noErr) << e.id;
        EXPECT_EQ(size, e.size) << e.id;
    }
    EXPECT_EQ(sizeof(HostCallbackInfo), 4 * sizeof(void*));
    EXPECT_EQ(sizeof(AUPreset), 2 * sizeof(void*));
}

TEST(SetProperty, NullAndZeroSizeRules)
{
    OpenTestUnit unit;
    UInt32 frames = 512;
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, &frames, 0), paramErr);
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, nullptr, 4), paramErr);
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, &frames, 2),
              kAudioUnitErr_InvalidPropertyValue);
    // Removing a value that the unit cannot remove.
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, nullptr, 0),
              kAudioUnitErr_InvalidPropertyValue);
}

TEST(SetProperty, MaximumFramesOnlyWhileUninitialized)
{
    OpenTestUnit unit;
    PropertyLog log;
    log.Listen(unit.unit(), kAudioUnitProperty_MaximumFramesPerSlice);
    UInt32 frames = 0;
    UInt32 size = 4;
    ASSERT_EQ(AudioUnitGetProperty(unit.unit(), kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, &frames, &size), noErr);
    EXPECT_EQ(frames, 1156u);

    frames = 4096;
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, &frames, 4), noErr);
    EXPECT_EQ(log.Count(kAudioUnitProperty_MaximumFramesPerSlice), 1);
    ASSERT_EQ(AudioUnitInitialize(unit.unit()), noErr);
    frames = 64;
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, &frames, 4),
              kAudioUnitErr_Initialized);
    EXPECT_EQ(unit->GetMaxFramesPerSlice(), 4096u);
    EXPECT_EQ(log.Count(kAudioUnitProperty_MaximumFramesPerSlice), 1);
}

TEST(StreamFormat, SettingTheCurrentFormatIsANoOpEvenWhenNotWritable)
{
    OpenTestUnit unit;
    ASSERT_EQ(AudioUnitInitialize(unit.unit()), noErr);
    PropertyLog log;
    log.Listen(unit.unit(), kAudioUnitProperty_StreamFormat);
    CAStreamBasicDescription format = CAStreamBasicDescription::CanonicalFormat(44100, 2);
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format,
                                   sizeof(AudioStreamBasicDescription)),
              noErr);
    // A format that is not canonical is refused before it is compared.
    format.mBitsPerChannel = 0;
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format,
                                   sizeof(AudioStreamBasicDescription)),
              kAudioUnitErr_FormatNotSupported);
    format = CAStreamBasicDescription::CanonicalFormat(48000, 2);
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format,
                                   sizeof(AudioStreamBasicDescription)),
              kAudioUnitErr_PropertyNotWritable);
    EXPECT_TRUE(log.entries.empty());
}

TEST(StreamFormat, ChangesNotifyAndSampleRateChangesTheFormat)
{
    OpenTestUnit unit;
    PropertyLog log;
    log.Listen(unit.unit(), kAudioUnitProperty_StreamFormat);
    log.Listen(unit.unit(), kAudioUnitProperty_SampleRate);

    Float64 rate = 96000;
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_SampleRate, kAudioUnitScope_Input, 0, &rate, 8),
              noErr);
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].id, kAudioUnitProperty_StreamFormat);
    EXPECT_EQ(log.entries[0].scope, kAudioUnitScope_Input);
    EXPECT_EQ(unit->GetInput(0)->GetStreamFormat().mSampleRate, 96000.0);
    EXPECT_EQ(unit->GetOutput(0)->GetStreamFormat().mSampleRate, 44100.0);

    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_SampleRate, kAudioUnitScope_Input, 0, &rate, 4),
              kAudioUnitErr_InvalidPropertyValue);
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_SampleRate, kAudioUnitScope_Input, 3, &rate, 8),
              kAudioUnitErr_InvalidElement);

    // The global scope addresses output 0; 36 bytes are enough.
    CAStreamBasicDescription mono = CAStreamBasicDescription::CanonicalFormat(22050, 1);
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_StreamFormat, kAudioUnitScope_Global, 0, &mono, 36),
              noErr);
    EXPECT_EQ(unit->GetOutput(0)->GetStreamFormat().mChannelsPerFrame, 1u);
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_StreamFormat, kAudioUnitScope_Global, 0, &mono, 35),
              kAudioUnitErr_InvalidPropertyValue);
    EXPECT_EQ(log.Count(kAudioUnitProperty_StreamFormat), 2);

    // Interleaved data is refused.
    CAStreamBasicDescription interleaved = CAStreamBasicDescription::CanonicalFormat(44100, 2);
    interleaved.mFormatFlags &= ~kAudioFormatFlagIsNonInterleaved;
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0,
                                   &interleaved, 40),
              kAudioUnitErr_FormatNotSupported);
}

TEST(PropertyListeners, CalledInOrderAndRemovedByIdAndProcedure)
{
    OpenTestUnit unit;
    PropertyLog first, second;
    first.Listen(unit.unit(), kAudioUnitProperty_ContextName);
    second.Listen(unit.unit(), kAudioUnitProperty_ContextName);
    first.Listen(unit.unit(), kAudioUnitProperty_ContextName);  // no duplicate check

    CFStringRef name = CFSTR("Track 1");
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_ContextName, 0, 0, &name, sizeof name), noErr);
    EXPECT_EQ(first.Count(kAudioUnitProperty_ContextName), 2);
    EXPECT_EQ(second.Count(kAudioUnitProperty_ContextName), 1);

    // Removes every record with that procedure, whatever its user data.
    EXPECT_EQ(AudioUnitRemovePropertyListener(unit.unit(), kAudioUnitProperty_ContextName, &PropertyLog::Proc), noErr);
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_ContextName, 0, 0, &name, sizeof name), noErr);
    EXPECT_EQ(first.Count(kAudioUnitProperty_ContextName), 2);
    EXPECT_EQ(second.Count(kAudioUnitProperty_ContextName), 1);
}

TEST(ContextName, StoredRetainedAndRemoved)
{
    const long before = CFLiveObjectCount();
    {
        OpenTestUnit unit;
        CFStringRef name = CFStringCreateWithCString(nullptr, "Lead vocal", kCFStringEncodingUTF8);
        EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_ContextName, 0, 0, &name, sizeof name), noErr);
        CFRelease(name);
        CFStringRef got = nullptr;
        UInt32 size = sizeof got;
        ASSERT_EQ(AudioUnitGetProperty(unit.unit(), kAudioUnitProperty_ContextName, 0, 0, &got, &size), noErr);
        EXPECT_TRUE(CFEqual(got, CFSTR("Lead vocal")));
        CFRelease(got);
        EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_ContextName, kAudioUnitScope_Input, 0, &name,
                                       sizeof name),
                  kAudioUnitErr_InvalidScope);
        EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_ContextName, 0, 0, nullptr, 0), noErr);
        size = sizeof got;
        EXPECT_EQ(AudioUnitGetProperty(unit.unit(), kAudioUnitProperty_ContextName, 0, 0, &got, &size),
                  kAudioUnitErr_InvalidPropertyValue);
    }
    EXPECT_EQ(CFLiveObjectCount(), before);
}

namespace {
OSStatus Tempo120(void*, Float64* beat, Float64* tempo)
{
    if (beat) *beat = 0;
    *tempo = 120;
    return noErr;
}
}  // namespace

TEST(HostCallbacks, StoredZeroPaddedAndNotifiedOnlyOnChange)
{
    OpenTestUnit unit;
    PropertyLog log;
    log.Listen(unit.unit(), kAudioUnitProperty_HostCallbacks);

    // Removing when nothing was stored sends nothing.
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_HostCallbacks, 0, 0, nullptr, 0), noErr);
    EXPECT_EQ(log.Count(kAudioUnitProperty_HostCallbacks), 0);

    HostCallbackInfo info{};
    info.hostUserData = &log;
    info.beatAndTempoProc = &Tempo120;
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_HostCallbacks, 0, 0, &info, sizeof info), noErr);
    EXPECT_EQ(log.Count(kAudioUnitProperty_HostCallbacks), 1);
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_HostCallbacks, 0, 0, &info, sizeof info), noErr);
    EXPECT_EQ(log.Count(kAudioUnitProperty_HostCallbacks), 1);
    EXPECT_EQ(unit->GetHostCallbackInfo().beatAndTempoProc, &Tempo120);

    // A shorter record clears the rest.
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_HostCallbacks, 0, 0, &info, sizeof(void*)), noErr);
    EXPECT_EQ(unit->GetHostCallbackInfo().hostUserData, &log);
    EXPECT_EQ(unit->GetHostCallbackInfo().beatAndTempoProc, nullptr);
    EXPECT_EQ(log.Count(kAudioUnitProperty_HostCallbacks), 2);

    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_HostCallbacks, 0, 0, nullptr, 0), noErr);
    EXPECT_EQ(log.Count(kAudioUnitProperty_HostCallbacks), 3);
    EXPECT_EQ(unit->GetHostCallbackInfo().hostUserData, nullptr);
}

TEST(Presets, UserPresetStoredAndFactoryPresetsRefused)
{
    const long before = CFLiveObjectCount();
    {
        OpenTestUnit unit;
        PropertyLog log;
        log.Listen(unit.unit(), kAudioUnitProperty_PresentPreset);
        AUPreset preset{};
        UInt32 size = sizeof preset;
        ASSERT_EQ(AudioUnitGetProperty(unit.unit(), kAudioUnitProperty_CurrentPreset, 0, 0, &preset, &size), noErr);
        EXPECT_EQ(preset.presetNumber, -1);
        EXPECT_TRUE(CFEqual(preset.presetName, CFSTR("Untitled")));

        CFStringRef name = CFStringCreateWithCString(nullptr, "Big room", kCFStringEncodingUTF8);
        AUPreset user{-3, name};
        EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_PresentPreset, 0, 0, &user, sizeof user), noErr);
        CFRelease(name);
        EXPECT_EQ(log.Count(kAudioUnitProperty_PresentPreset), 1);

        size = sizeof preset;
        ASSERT_EQ(AudioUnitGetProperty(unit.unit(), kAudioUnitProperty_PresentPreset, 0, 0, &preset, &size), noErr);
        EXPECT_EQ(preset.presetNumber, -3);
        EXPECT_TRUE(CFEqual(preset.presetName, CFSTR("Big room")));
        CFRelease(preset.presetName);  // present preset hands out a retained name

        AUPreset factory{2, nullptr};
        EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_CurrentPreset, 0, 0, &factory, sizeof factory),
                  kAudioUnitErr_InvalidProperty);
        AUPreset unnamed{-1, nullptr};
        EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_CurrentPreset, 0, 0, &unnamed, sizeof unnamed),
                  kAudioUnitErr_InvalidPropertyValue);
        EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_CurrentPreset, 0, 0, &user, 4),
                  kAudioUnitErr_InvalidPropertyValue);
        EXPECT_EQ(log.Count(kAudioUnitProperty_PresentPreset), 1);
    }
    EXPECT_EQ(CFLiveObjectCount(), before);
}

TEST(ElementNames, SetGetAndMissingElement)
{
    OpenTestUnit unit;
    PropertyLog log;
    log.Listen(unit.unit(), kAudioUnitProperty_ElementName);
    CFStringRef name = CFSTR("Side chain");
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 0, &name,
                                   sizeof name),
              noErr);
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 4, &name,
                                   sizeof name),
              kAudioUnitErr_InvalidElement);
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].scope, kAudioUnitScope_Input);
    CFStringRef got = nullptr;
    UInt32 size = sizeof got;
    ASSERT_EQ(AudioUnitGetProperty(unit.unit(), kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 0, &got, &size),
              noErr);
    EXPECT_EQ(got, name);
    CFRelease(got);
    size = sizeof got;
    EXPECT_EQ(AudioUnitGetProperty(unit.unit(), kAudioUnitProperty_ElementName, kAudioUnitScope_Output, 0, &got, &size),
              kAudioUnitErr_InvalidPropertyValue);
}

TEST(ParameterList, ReportsTheElementWithMostParameters)
{
    OpenTestUnit unit;
    UInt32 size = 0;
    ASSERT_EQ(AudioUnitGetPropertyInfo(unit.unit(), kAudioUnitProperty_ParameterList, 0, 0, &size, nullptr), noErr);
    ASSERT_EQ(size, 8u);
    AudioUnitParameterID ids[2] = {99, 99};
    ASSERT_EQ(AudioUnitGetProperty(unit.unit(), kAudioUnitProperty_ParameterList, 0, 0, ids, &size), noErr);
    EXPECT_EQ(ids[0], 0u);
    EXPECT_EQ(ids[1], 7u);

    // Elements without parameters give a count of 0.
    ASSERT_EQ(AudioUnitGetPropertyInfo(unit.unit(), kAudioUnitProperty_ParameterList, kAudioUnitScope_Input, 0, &size,
                                       nullptr),
              noErr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(AudioUnitGetPropertyInfo(unit.unit(), kAudioUnitProperty_ParameterList, 7, 0, &size, nullptr),
              kAudioUnitErr_InvalidScope);
}

TEST(ElementCount, ReadableNotWritable)
{
    OpenTestUnit unit;
    UInt32 count = 0, size = 4;
    ASSERT_EQ(AudioUnitGetProperty(unit.unit(), kAudioUnitProperty_ElementCount, kAudioUnitScope_Output, 0, &count,
                                   &size),
              noErr);
    EXPECT_EQ(count, 1u);
    count = 3;
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_ElementCount, kAudioUnitScope_Output, 0, &count, 4),
              kAudioUnitErr_PropertyNotWritable);
}
