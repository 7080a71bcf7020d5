// Reference-counted objects: lifetimes, encodings, conversions, collections and equality.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/cf/CoreFoundation.h"

namespace {
class Objects : public ::testing::Test {
protected:
    void SetUp() override { mStart = CFLiveObjectCount(); }
    void TearDown() override { EXPECT_EQ(CFLiveObjectCount(), mStart) << "objects leaked"; }
    long mStart = 0;
};
CFStringRef Str(const char* s, CFStringEncoding e = kCFStringEncodingUTF8)
{
    return CFStringCreateWithCString(nullptr, s, e);
}
}  // namespace

TEST_F(Objects, StringEncodingsFormatsAndComparisons)
{
    // Mac Roman: the high half maps to Unicode and back; ASCII cannot hold it.
    const char roman[] = {char(0x80), char(0xA5), char(0xDB), char(0xF0), 'x', 0};
    CFStringRef s = Str(roman, kCFStringEncodingMacRoman);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(CFStringToUTF8(s), "\xC3\x84\xE2\x80\xA2\xE2\x82\xAC\xEF\xA3\xBFx");  // Ä • € (U+F8FF) x
    char back[32], ascii[32] = "junk";
    ASSERT_TRUE(CFStringGetCString(s, back, sizeof back, kCFStringEncodingMacRoman));
    EXPECT_STREQ(back, roman);
    EXPECT_FALSE(CFStringGetCString(s, ascii, sizeof ascii, kCFStringEncodingASCII));
    EXPECT_STREQ(ascii, "");
    EXPECT_EQ(CFStringToUTF8(nullptr), "");
    CFRelease(s);
    // Truncated, overlong, a surrogate; a high byte is not ASCII.
    for (const char* bad : {"caf\xC3", "\xC0\xAF", "\xED\xA0\x80"}) EXPECT_EQ(Str(bad), nullptr) << bad;
    EXPECT_EQ(Str("na\xEFve", kCFStringEncodingASCII), nullptr);
    CFStringRef emoji = Str("\xF0\x9F\x8E\xB5!");
    EXPECT_EQ(CFStringGetLength(emoji), 3);  // a surrogate pair and '!'
    char small[5];
    EXPECT_FALSE(CFStringGetCString(emoji, small, sizeof small, kCFStringEncodingUTF8));  // needs 6
    CFRelease(emoji);

    const SInt32 v = 42;
    CFNumberRef n = CFNumberCreate(nullptr, kCFNumberSInt32Type, &v);
    s = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%d-%s-%@-%@-%.2f-%%"), 7, "x", CFSTR("str"), n, 1.5);
    EXPECT_EQ(CFStringToUTF8(s), "7-x-str-42-1.50-%");
    EXPECT_EQ(CFStringCompare(CFSTR("abc"), CFSTR("ABC"), kCFCompareCaseInsensitive), 0);
    EXPECT_LT(CFStringCompare(CFSTR("abc"), CFSTR("abd"), 0), 0);
    EXPECT_EQ(CFStringGetIntValue(CFSTR("-12x")), -12);
    CFRelease(s);
    CFRelease(n);
}

TEST_F(Objects, NumberConversionsDataAndArrays)
{
    const double d = 2.5, threeReal = 3.0;
    const SInt64 big = 1LL << 40;
    const SInt32 three = 3;
    CFNumberRef real = CFNumberCreate(nullptr, kCFNumberFloat64Type, &d);
    CFNumberRef large = CFNumberCreate(nullptr, kCFNumberSInt64Type, &big);
    CFNumberRef n3 = CFNumberCreate(nullptr, kCFNumberSInt32Type, &three);
    CFNumberRef r3 = CFNumberCreate(nullptr, kCFNumberFloat64Type, &threeReal);
    SInt32 i = 0;
    EXPECT_FALSE(CFNumberGetValue(real, kCFNumberSInt32Type, &i));  // lossy, still converted
    EXPECT_EQ(i, 2);
    EXPECT_FALSE(CFNumberGetValue(large, kCFNumberSInt32Type, &i));
    EXPECT_TRUE(CFEqual(n3, r3));  // equal values of different types
    EXPECT_EQ(CFHash(n3), CFHash(r3));
    EXPECT_FALSE(CFEqual(n3, real));

    CFMutableDataRef data = CFDataCreateMutable(nullptr, 0);
    const UInt8 bytes[] = {1, 2, 3};
    CFDataAppendBytes(data, bytes, 3);
    CFDataSetLength(data, 8);
    EXPECT_EQ(CFDataGetBytePtr(data)[7], 0);  // grown with zeros
    CFDataRef same = CFDataCreate(nullptr, CFDataGetBytePtr(data), 8);
    EXPECT_TRUE(CFEqual(data, same));
    CFDataAppendBytes(reinterpret_cast<CFMutableDataRef>(const_cast<__CFData*>(same)), bytes, 1);  // immutable
    EXPECT_EQ(CFDataGetLength(same), 8);

    // With callbacks an array retains its values; without, it holds them as they are.
    CFMutableArrayRef owning = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    CFArrayAppendValue(owning, n3);
    const void* values[] = {n3, n3};
    CFArrayRef plain = CFArrayCreate(nullptr, values, 2, nullptr);
    EXPECT_EQ(CFGetRetainCount(n3), 2);
    EXPECT_EQ(CFArrayGetValueAtIndex(plain, 2), nullptr);
    CFArrayRemoveValueAtIndex(owning, 0);
    EXPECT_EQ(CFGetRetainCount(n3), 1);
    for (CFTypeRef r : {CFTypeRef(real), CFTypeRef(large), CFTypeRef(n3), CFTypeRef(r3), CFTypeRef(data),
                        CFTypeRef(same), CFTypeRef(owning), CFTypeRef(plain)})
        CFRelease(r);
}

TEST_F(Objects, DictionariesKeepOrderAndOwnership)
{
    CFMutableDictionaryRef d =
        CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFStringRef key = Str("b");
    CFDictionarySetValue(d, key, CFSTR("first"));
    CFDictionarySetValue(d, CFSTR("a"), CFSTR("second"));
    CFDictionarySetValue(d, CFSTR("b"), CFSTR("replaced"));  // equal key, different object
    CFDictionaryAddValue(d, CFSTR("a"), CFSTR("ignored"));
    EXPECT_EQ(CFGetRetainCount(key), 2);
    ASSERT_EQ(CFDictionaryGetCount(d), 2);
    const void* keys[2];
    const void* values[2];
    CFDictionaryGetKeysAndValues(d, keys, values);
    EXPECT_EQ(keys[0], key);
    EXPECT_TRUE(CFEqual(values[0], CFSTR("replaced")));
    EXPECT_TRUE(CFEqual(values[1], CFSTR("second")));
    EXPECT_EQ(CFDictionaryGetValue(d, CFSTR("zz")), nullptr);

    // Equality ignores order and nests.
    const void* k2[] = {CFSTR("a"), CFSTR("b")};
    const void* v2[] = {CFSTR("second"), CFSTR("replaced")};
    CFDictionaryRef other =
        CFDictionaryCreate(nullptr, k2, v2, 2, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFMutableArrayRef a1 = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    CFMutableArrayRef a2 = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    CFArrayAppendValue(a1, d);
    CFArrayAppendValue(a2, other);
    EXPECT_TRUE(CFEqual(a1, a2));
    CFDictionaryRemoveValue(d, CFSTR("a"));
    EXPECT_FALSE(CFEqual(a1, a2));
    for (CFTypeRef r : {CFTypeRef(a1), CFTypeRef(a2), CFTypeRef(other), CFTypeRef(d)}) CFRelease(r);
    EXPECT_EQ(CFGetRetainCount(key), 1);
    CFRelease(key);
}

TEST_F(Objects, ThreadedRetainReleaseAndInterning)
{
    CFRelease(nullptr);  // null and constant references are safe to retain and release
    EXPECT_EQ(CFRetain(nullptr), nullptr);
    CFRelease(CFSTR("constant"));
    CFStringRef shared = Str("shared");
    std::vector<std::thread> threads;
    std::vector<CFStringRef> interned(4);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 20000; ++i) CFRelease(CFRetain(shared));
            interned[size_t(t)] = CFSTR("interned from threads");
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(CFGetRetainCount(shared), 1);
    for (CFStringRef s : interned) EXPECT_EQ(s, interned[0]);
    CFRelease(shared);
}
