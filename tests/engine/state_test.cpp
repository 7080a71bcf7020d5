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

void SetValue(CFMutableDictionaryRef d, CFStringRef key, CFTypeRef value)
{
    CFDictionarySetValue(d, key, value);
    CFRelease(value);
}

CFNumberRef Number(SInt32 v) { return CFNumberCreate(nullptr, kCFNumberSInt32Type, &v); }

UInt32 Bits(float f)
{
    UInt32 bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}

// A blob of big-endian words.
CFDataRef Blob(const std::vector<UInt32>& words)
{
    std::vector<UInt8> b;
    for (UInt32 w : words)
        for (int s = 24; s >= 0; s -= 8) b.push_back(UInt8(w >> s));
    return CFDataCreate(nullptr, b.data(), CFIndex(b.size()));
}

}  // namespace

TEST_F(FlummelTest, SavedStateIsOneBigEndianRecord)
{
    Set(kParam_Feedback, 42.5f);
    CFDictionaryRef state = Save(host->Unit());
    std::vector<UInt32> words = {0, 0, 21};  // scope, element, count, then id-value pairs
    for (AudioUnitParameterID id = 0; id < kNumParams; ++id)
        words.insert(words.end(), {id, Bits(id == kParam_Feedback ? 42.5f : InitialParameterValue(id))});
    CFDataRef expected = Blob(words);
    EXPECT_TRUE(CFEqual(CFDictionaryGetValue(state, CFSTR("data")), expected));
    CFRelease(expected);

    for (auto [key, code] : {std::pair{CFSTR("subtype"), FourCC("Flml")}, {CFSTR("manufacturer"), FourCC("TrWk")},
                             {CFSTR("type"), FourCC("aufx")}}) {
        SInt32 v = 0;
        ASSERT_TRUE(CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(state, key)), kCFNumberSInt32Type, &v));
        EXPECT_EQ(UInt32(v), code);
    }
    EXPECT_TRUE(CFEqual(CFDictionaryGetValue(state, CFSTR("name")), CFSTR("Untitled")));
    for (CFStringRef absent : {CFSTR("cpu-load"), CFSTR("render-quality"), CFSTR("element-name")})
        EXPECT_FALSE(CFDictionaryContainsKey(state, absent));
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
    CFRelease(first);
    CFRelease(second);
    other.reset();
    EXPECT_EQ(CFLiveObjectCount(), before);
}

// Failed validation changes nothing; another type code alone does not stop the restore.
TEST_F(FlummelTest, ValidationFailuresChangeNothing)
{
    Set(kParam_Feedback, 10.f);
    CFDictionaryRef good = Save(host->Unit());
    Set(kParam_Feedback, 20.f);
    const struct {
        CFStringRef key;
        SInt32 value;
        bool remove;
        OSStatus result;
    } cases[] = {
        {CFSTR("version"), 1, false, kAudioUnitErr_InvalidPropertyValue},
        {CFSTR("version"), 0, true, kAudioUnitErr_InvalidPropertyValue},
        {CFSTR("subtype"), SInt32(FourCC("Othr")), false, kAudioUnitErr_InvalidPropertyValue},
        {CFSTR("subtype"), 0, true, kAudioUnitErr_InvalidPropertyValue},
        {CFSTR("manufacturer"), SInt32(FourCC("Else")), false, kAudioUnitErr_InvalidPropertyValue},
        {CFSTR("manufacturer"), 0, true, kAudioUnitErr_InvalidPropertyValue},
        {CFSTR("part"), 0, false, kAudioUnitErr_InvalidPropertyValue},
        {CFSTR("type"), SInt32(FourCC("aumf")), false, noErr},
    };
    for (const auto& c : cases) {
        CFMutableDictionaryRef d = MutableCopy(good);
        if (c.remove)
            CFDictionaryRemoveValue(d, c.key);
        else
            SetValue(d, c.key, Number(c.value));
        EXPECT_EQ(Restore(host->Unit(), d), c.result) << &c - cases;
        CFRelease(d);
        EXPECT_EQ(Get(kParam_Feedback), c.result == noErr ? 10.f : 20.f);
    }
    EXPECT_EQ(Restore(host->Unit(), CFSTR("not a dictionary")), kAudioUnitErr_InvalidPropertyValue);
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

// The walk applies records up to a missing element; truncated or bad records are refused.
TEST_F(FlummelTest, BlobWalkStopsAtAMissingElementAndRefusesTruncatedRecords)
{
    CFDictionaryRef good = Save(host->Unit());
    CFMutableDictionaryRef d = MutableCopy(good);
    const struct {
        CFTypeRef data;
        OSStatus result;
    } cases[] = {
        {Blob({0, 0, 1, kParam_Feedback, Bits(33.f), 0, 3, 1, kParam_Feedback, Bits(44.f)}), noErr},
        {Blob({0, 0, 1000000, kParam_Feedback, Bits(55.f)}), kAudioUnitErr_InvalidPropertyValue},  // past the end
        {CFDataCreate(nullptr, std::vector<UInt8>(5).data(), 5), kAudioUnitErr_InvalidPropertyValue},
        {Blob({9, 0, 0}), kAudioUnitErr_InvalidScope},
        {CFStringCreateWithCString(nullptr, "text", kCFStringEncodingUTF8), kAudioUnitErr_InvalidPropertyValue},
    };
    for (const auto& c : cases) {
        SetValue(d, CFSTR("data"), c.data);
        EXPECT_EQ(Restore(host->Unit(), d), c.result);
        EXPECT_EQ(Get(kParam_Feedback), 33.f);
    }
    CFRelease(d);
    CFRelease(good);
}

TEST_F(FlummelTest, ElementNamesAreBoundedOnRestore)
{
    CFDictionaryRef good = Save(host->Unit());
    auto withNames = [&](CFStringRef key) {
        CFMutableDictionaryRef d = MutableCopy(good);
        const void *k[] = {key}, *v[] = {CFSTR("bus")};
        CFDictionaryRef scope =
            CFDictionaryCreate(nullptr, k, v, 1, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
        const void *sk[] = {CFSTR("3")}, *sv[] = {scope};
        SetValue(d, CFSTR("element-name"),
                 CFDictionaryCreate(nullptr, sk, sv, 1, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
        CFRelease(scope);
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
