// The class-info dictionary of the effect: round trips, the big-endian blob, validation and
// hostile input.
#include <cstring>

#include "FlummelFixture.h"
#include "host/AUPropertyRecorder.h"
#include "platform/cf/CoreFoundation.h"

namespace {

CFDictionaryRef Save(AudioUnit unit)
{
    CFPropertyListRef state = nullptr;
    UInt32 size = sizeof state;
    EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, 0, 0, &state, &size), noErr);
    return static_cast<CFDictionaryRef>(state);
}

OSStatus Restore(AudioUnit unit, CFPropertyListRef state)
{
    return AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, 0, 0, &state, sizeof state);
}

CFMutableDictionaryRef MutableCopy(CFDictionaryRef d)
{
    CFMutableDictionaryRef m =
        CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    const CFIndex n = CFDictionaryGetCount(d);
    std::vector<const void*> keys(static_cast<size_t>(n)), values(static_cast<size_t>(n));
    CFDictionaryGetKeysAndValues(d, keys.data(), values.data());
    for (CFIndex i = 0; i < n; ++i) CFDictionarySetValue(m, keys[size_t(i)], values[size_t(i)]);
    return m;
}

void SetNumber(CFMutableDictionaryRef d, CFStringRef key, SInt32 v)
{
    CFNumberRef n = CFNumberCreate(nullptr, kCFNumberSInt32Type, &v);
    CFDictionarySetValue(d, key, n);
    CFRelease(n);
}

void SetBlob(CFMutableDictionaryRef d, const std::vector<UInt8>& bytes)
{
    CFDataRef data = CFDataCreate(nullptr, bytes.data(), CFIndex(bytes.size()));
    CFDictionarySetValue(d, CFSTR("data"), data);
    CFRelease(data);
}

void Put32(std::vector<UInt8>& b, UInt32 v)
{
    for (int s = 24; s >= 0; s -= 8) b.push_back(UInt8(v >> s));
}

void PutFloat(std::vector<UInt8>& b, float f)
{
    UInt32 bits;
    std::memcpy(&bits, &f, 4);
    Put32(b, bits);
}

}  // namespace

TEST_F(FlummelTest, SavedBlobIsOneBigEndianRecord)
{
    Set(kParam_Feedback, 42.5f);
    CFDictionaryRef state = Save(host->Unit());
    auto data = static_cast<CFDataRef>(CFDictionaryGetValue(state, CFSTR("data")));
    ASSERT_NE(data, nullptr);
    std::vector<UInt8> expected;
    Put32(expected, 0);   // scope
    Put32(expected, 0);   // element
    Put32(expected, 21);  // count
    for (AudioUnitParameterID id = 0; id < kNumParams; ++id) {
        Put32(expected, id);
        PutFloat(expected, id == kParam_Feedback ? 42.5f : InitialParameterValue(id));
    }
    ASSERT_EQ(CFDataGetLength(data), CFIndex(expected.size()));
    EXPECT_EQ(std::memcmp(CFDataGetBytePtr(data), expected.data(), expected.size()), 0);
    // Feedback's value 42.5 = 0x422A0000, after the header and pair 0.
    EXPECT_EQ(CFDataGetBytePtr(data)[12 + 8 + 4], 0x42);
    EXPECT_EQ(CFDataGetBytePtr(data)[12 + 8 + 5], 0x2A);

    SInt32 v = 0;
    CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(state, CFSTR("subtype"))), kCFNumberSInt32Type, &v);
    EXPECT_EQ(UInt32(v), FourCC("Flml"));
    CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(state, CFSTR("manufacturer"))),
                     kCFNumberSInt32Type, &v);
    EXPECT_EQ(UInt32(v), FourCC("TrWk"));
    CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(state, CFSTR("type"))), kCFNumberSInt32Type, &v);
    EXPECT_EQ(UInt32(v), FourCC("aufx"));
    EXPECT_TRUE(CFEqual(CFDictionaryGetValue(state, CFSTR("name")), CFSTR("Untitled")));
    EXPECT_FALSE(CFDictionaryContainsKey(state, CFSTR("cpu-load")));
    EXPECT_FALSE(CFDictionaryContainsKey(state, CFSTR("render-quality")));
    EXPECT_FALSE(CFDictionaryContainsKey(state, CFSTR("element-name")));
    CFRelease(state);
}

TEST_F(FlummelTest, RoundTripIntoAFreshInstance)
{
    const long before = CFLiveObjectCount();
    Set(kParam_DelayTime, 2.25f);
    Set(kParam_FilterType, 3.5f);
    CFStringRef busName = CFSTR("Main in");
    ASSERT_EQ(AudioUnitSetProperty(host->Unit(), kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 0, &busName,
                                   sizeof busName),
              noErr);
    CFDictionaryRef first = Save(host->Unit());
    std::unique_ptr<AUHost> other;
    ASSERT_EQ(AUHost::Open(TrWkFlummelDescription(), other), noErr);
    ASSERT_EQ(Restore(other->Unit(), first), noErr);
    float v = 0;
    ASSERT_EQ(other->GetParameter(kParam_DelayTime, v), noErr);
    EXPECT_EQ(v, 2.25f);
    CFDictionaryRef second = Save(other->Unit());
    EXPECT_TRUE(CFEqual(first, second));
    auto blob = [](CFDictionaryRef d) { return static_cast<CFDataRef>(CFDictionaryGetValue(d, CFSTR("data"))); };
    EXPECT_TRUE(CFEqual(blob(first), blob(second)));
    CFRelease(first);
    CFRelease(second);
    other.reset();
    EXPECT_EQ(CFLiveObjectCount(), before);
}

TEST_F(FlummelTest, ValidationFailuresChangeNothing)
{
    Set(kParam_Feedback, 10.f);
    CFDictionaryRef good = Save(host->Unit());
    Set(kParam_Feedback, 20.f);
    struct Bad {
        CFStringRef key;
        SInt32 value;
        bool remove;
    };
    for (const Bad& b : {Bad{CFSTR("version"), 1, false}, Bad{CFSTR("version"), 0, true},
                         Bad{CFSTR("subtype"), SInt32(FourCC("Othr")), false}, Bad{CFSTR("subtype"), 0, true},
                         Bad{CFSTR("manufacturer"), SInt32(FourCC("Else")), false},
                         Bad{CFSTR("manufacturer"), 0, true}, Bad{CFSTR("part"), 0, false}}) {
        CFMutableDictionaryRef d = MutableCopy(good);
        if (b.remove)
            CFDictionaryRemoveValue(d, b.key);
        else
            SetNumber(d, b.key, b.value);
        EXPECT_EQ(Restore(host->Unit(), d), kAudioUnitErr_InvalidPropertyValue);
        CFRelease(d);
        EXPECT_EQ(Get(kParam_Feedback), 20.f);
    }
    EXPECT_EQ(Restore(host->Unit(), CFSTR("not a dictionary")), kAudioUnitErr_InvalidPropertyValue);
    // Another type code alone does not stop the restore.
    CFMutableDictionaryRef d = MutableCopy(good);
    SetNumber(d, CFSTR("type"), SInt32(FourCC("aumf")));
    EXPECT_EQ(Restore(host->Unit(), d), noErr);
    EXPECT_EQ(Get(kParam_Feedback), 10.f);
    CFRelease(d);
    CFRelease(good);
}

TEST_F(FlummelTest, NameAndPresetListeners)
{
    AUPropertyRecorder recorder(host->Unit());
    CFDictionaryRef good = Save(host->Unit());
    CFMutableDictionaryRef d = MutableCopy(good);
    CFDictionaryRemoveValue(d, CFSTR("data"));
    CFDictionarySetValue(d, CFSTR("name"), CFSTR("Warm tape"));
    ASSERT_EQ(recorder.Listen(kAudioUnitProperty_CurrentPreset), noErr);
    ASSERT_EQ(recorder.Listen(kAudioUnitProperty_PresentPreset), noErr);
    ASSERT_EQ(Restore(host->Unit(), d), noErr);
    EXPECT_EQ(recorder.Count(kAudioUnitProperty_CurrentPreset), 1u);
    EXPECT_EQ(recorder.Count(kAudioUnitProperty_PresentPreset), 1u);
    AUPreset preset{};
    UInt32 size = sizeof preset;
    ASSERT_EQ(AudioUnitGetProperty(host->Unit(), kAudioUnitProperty_CurrentPreset, 0, 0, &preset, &size), noErr);
    EXPECT_TRUE(CFEqual(preset.presetName, CFSTR("Warm tape")));
    EXPECT_EQ(preset.presetNumber, -1);

    CFDictionaryRemoveValue(d, CFSTR("name"));
    ASSERT_EQ(Restore(host->Unit(), d), noErr);
    ASSERT_EQ(AudioUnitGetProperty(host->Unit(), kAudioUnitProperty_CurrentPreset, 0, 0, &preset, &size), noErr);
    EXPECT_TRUE(CFEqual(preset.presetName, CFSTR("Untitled")));
    CFRelease(d);
    CFRelease(good);
}

TEST_F(FlummelTest, BlobWalkStopsAtAMissingElementAndRefusesTruncatedRecords)
{
    CFDictionaryRef good = Save(host->Unit());
    CFMutableDictionaryRef d = MutableCopy(good);
    std::vector<UInt8> blob;
    Put32(blob, 0), Put32(blob, 0), Put32(blob, 1), Put32(blob, kParam_Feedback), PutFloat(blob, 33.f);
    Put32(blob, 0), Put32(blob, 3), Put32(blob, 1), Put32(blob, kParam_Feedback), PutFloat(blob, 44.f);
    SetBlob(d, blob);
    EXPECT_EQ(Restore(host->Unit(), d), noErr);
    EXPECT_EQ(Get(kParam_Feedback), 33.f);  // the record before the missing element applied

    // A count that runs past the end of the blob: refused, nothing read beyond it.
    blob.clear();
    Put32(blob, 0), Put32(blob, 0), Put32(blob, 1000000), Put32(blob, kParam_Feedback), PutFloat(blob, 55.f);
    SetBlob(d, blob);
    EXPECT_EQ(Restore(host->Unit(), d), kAudioUnitErr_InvalidPropertyValue);
    EXPECT_EQ(Get(kParam_Feedback), 33.f);
    // Trailing bytes too short for a record header.
    blob.assign(5, 0);
    SetBlob(d, blob);
    EXPECT_EQ(Restore(host->Unit(), d), kAudioUnitErr_InvalidPropertyValue);
    // A scope of 5 or more.
    blob.clear();
    Put32(blob, 9), Put32(blob, 0), Put32(blob, 0);
    SetBlob(d, blob);
    EXPECT_EQ(Restore(host->Unit(), d), kAudioUnitErr_InvalidScope);
    // A value of the wrong type.
    CFDictionarySetValue(d, CFSTR("data"), CFSTR("text"));
    EXPECT_EQ(Restore(host->Unit(), d), kAudioUnitErr_InvalidPropertyValue);
    CFRelease(d);
    CFRelease(good);
}

TEST_F(FlummelTest, ElementNamesAreBoundedOnRestore)
{
    CFDictionaryRef good = Save(host->Unit());
    auto withNames = [&](CFStringRef key) {
        CFMutableDictionaryRef d = MutableCopy(good);
        const void* k[] = {key};
        const void* v[] = {CFSTR("bus")};
        CFDictionaryRef scope =
            CFDictionaryCreate(nullptr, k, v, 1, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
        const void* sk[] = {CFSTR("3")};
        const void* sv[] = {scope};
        CFDictionaryRef names =
            CFDictionaryCreate(nullptr, sk, sv, 1, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
        CFDictionarySetValue(d, CFSTR("element-name"), names);
        CFRelease(scope);
        CFRelease(names);
        const OSStatus result = Restore(host->Unit(), d);
        CFRelease(d);
        return result;
    };
    AUPropertyRecorder recorder(host->Unit());
    ASSERT_EQ(recorder.Listen(kAudioUnitProperty_ElementCount), noErr);
    EXPECT_EQ(withNames(CFSTR("2")), noErr);  // grows the group scope to 3 elements
    EXPECT_EQ(Effect()->GetScope(kAudioUnitScope_Group).GetNumberOfElements(), 3u);
    EXPECT_EQ(recorder.Count(kAudioUnitProperty_ElementCount), 1u);
    for (CFStringRef bad : {CFSTR("-1"), CFSTR("x"), CFSTR("4000000000"), CFSTR("2000"), CFSTR("")})
        EXPECT_EQ(withNames(bad), kAudioUnitErr_InvalidPropertyValue);
    EXPECT_EQ(Effect()->GetScope(kAudioUnitScope_Group).GetNumberOfElements(), 3u);
    CFRelease(good);
}
