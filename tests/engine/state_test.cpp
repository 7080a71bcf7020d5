// The class-info dictionary of the effect: round trips, the big-endian blob, validation, hostile input.
#include <bit>

#include "FlummelFixture.h"
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

// Restores `saved` with each key set to its value, which it releases, or removed for a null value.
OSStatus RestoreEdited(AudioUnit unit, CFDictionaryRef saved, std::initializer_list<std::pair<CFStringRef, CFTypeRef>> edits)
{
    CFMutableDictionaryRef d =
        CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    std::vector<const void*> keys(size_t(CFDictionaryGetCount(saved))), values(keys.size());
    CFDictionaryGetKeysAndValues(saved, keys.data(), values.data());
    for (size_t i = 0; i < keys.size(); ++i) CFDictionarySetValue(d, keys[i], values[i]);
    for (auto [key, value] : edits) {
        if (value)
            CFDictionarySetValue(d, key, value);
        else
            CFDictionaryRemoveValue(d, key);
        CFRelease(value);
    }
    const OSStatus result = Restore(unit, d);
    CFRelease(d);
    return result;
}

CFNumberRef Number(SInt32 v) { return CFNumberCreate(nullptr, kCFNumberSInt32Type, &v); }

// A blob of big-endian words.
CFDataRef Blob(const std::vector<UInt32>& words)
{
    std::vector<UInt8> b;
    for (UInt32 w : words)
        for (int s = 24; s >= 0; s -= 8) b.push_back(UInt8(w >> s));
    return CFDataCreate(nullptr, b.data(), CFIndex(b.size()));
}

}  // namespace

// One record of every parameter; a fresh instance restored from it saves the same and nothing leaks.
TEST_F(FlummelTest, SavedStateIsOneBigEndianRecordAndRoundTrips)
{
    const long before = CFLiveObjectCount();
    Set(kParam_Feedback, 42.5f);
    CFDictionaryRef first = Save(host->Unit());
    std::vector<UInt32> words = {0, 0, 21};  // scope, element, count, then id-value pairs
    for (AudioUnitParameterID id = 0; id < kNumParams; ++id)
        words.insert(words.end(), {id, std::bit_cast<UInt32>(id == kParam_Feedback ? 42.5f : InitialParameterValue(id))});
    CFDataRef expected = Blob(words);
    EXPECT_TRUE(CFEqual(CFDictionaryGetValue(first, CFSTR("data")), expected));
    CFRelease(expected);

    std::unique_ptr<AUHost> other;
    ASSERT_EQ(AUHost::Open(TrWkFlummelDescription(), other), noErr);
    ASSERT_EQ(Restore(other->Unit(), first), noErr);
    float v = 0;
    ASSERT_EQ(other->GetParameter(kParam_Feedback, v), noErr);
    EXPECT_EQ(v, 42.5f);
    CFDictionaryRef second = Save(other->Unit());
    EXPECT_TRUE(CFEqual(first, second));
    CFRelease(first);
    CFRelease(second);
    other.reset();
    EXPECT_EQ(CFLiveObjectCount(), before);
}

// Failed validation changes nothing; another type code alone does not stop the restore. The blob
// walk applies records up to a missing element; truncated or bad records are refused, and so are
// element names past a bound.
TEST_F(FlummelTest, RestoreValidatesTheDictionaryAndWalksTheBlob)
{
    Set(kParam_Feedback, 10.f);
    CFDictionaryRef good = Save(host->Unit());
    Set(kParam_Feedback, 20.f);
    const OSStatus bad = kAudioUnitErr_InvalidPropertyValue;
    const struct {
        CFStringRef key;
        CFTypeRef value;  // none: removed
        OSStatus result;
        float feedback;  // afterwards
    } cases[] = {
        {CFSTR("version"), Number(1), bad, 20},          {CFSTR("subtype"), Number(SInt32(FourCC("Othr"))), bad, 20},
        {CFSTR("manufacturer"), nullptr, bad, 20},       {CFSTR("part"), Number(0), bad, 20},
        {CFSTR("type"), Number(SInt32(FourCC("aumf"))), noErr, 10},
        {CFSTR("data"), Blob({0, 0, 1, kParam_Feedback, std::bit_cast<UInt32>(33.f), 0, 3, 1, kParam_Feedback, std::bit_cast<UInt32>(44.f)}), noErr, 33},
        {CFSTR("data"), Blob({0, 0, 1000000, kParam_Feedback, std::bit_cast<UInt32>(55.f)}), bad, 33},  // past the end
        {CFSTR("data"), CFDataCreate(nullptr, std::vector<UInt8>(5).data(), 5), bad, 33},
        {CFSTR("data"), Blob({9, 0, 0}), kAudioUnitErr_InvalidScope, 33},
        {CFSTR("data"), CFStringCreateWithCString(nullptr, "text", kCFStringEncodingUTF8), bad, 33},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RestoreEdited(host->Unit(), good, {{c.key, c.value}}), c.result) << &c - cases;
        EXPECT_EQ(Get(kParam_Feedback), c.feedback) << &c - cases;
    }
    EXPECT_EQ(Restore(host->Unit(), CFSTR("not a dictionary")), bad);

    auto withNames = [&](CFStringRef key) {  // element `key` of the group scope named "bus"
        const void *k[] = {key}, *v[] = {CFSTR("bus")};
        CFDictionaryRef scope =
            CFDictionaryCreate(nullptr, k, v, 1, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
        const void *sk[] = {CFSTR("3")}, *sv[] = {scope};
        CFDictionaryRef names =
            CFDictionaryCreate(nullptr, sk, sv, 1, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
        CFRelease(scope);
        return RestoreEdited(host->Unit(), good, {{CFSTR("element-name"), names}});
    };
    EXPECT_EQ(withNames(CFSTR("2")), noErr);  // grows the group scope to 3 elements
    for (CFStringRef key : {CFSTR("-1"), CFSTR("x"), CFSTR("4000000000"), CFSTR("2000"), CFSTR("")})
        EXPECT_EQ(withNames(key), bad);
    EXPECT_EQ(Effect()->GetScope(kAudioUnitScope_Group).GetNumberOfElements(), 3u);
    CFRelease(good);
}
