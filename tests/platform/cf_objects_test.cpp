// Reference-counted objects: lifetimes, encodings, conversions, collections and equality.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/cf/CoreFoundation.h"

namespace {
class NoLeaks : public ::testing::Test {
protected:
    void SetUp() override { mStart = CFLiveObjectCount(); }
    void TearDown() override { EXPECT_EQ(CFLiveObjectCount(), mStart) << "objects leaked"; }
    long mStart = 0;
};
using Objects = NoLeaks;
}  // namespace

TEST_F(Objects, RetainReleaseAndTypes)
{
    CFStringRef s = CFStringCreateWithCString(nullptr, "abc", kCFStringEncodingUTF8);
    EXPECT_EQ(CFGetRetainCount(s), 1);
    EXPECT_EQ(CFRetain(s), s);
    EXPECT_EQ(CFGetRetainCount(s), 2);
    CFRelease(s);
    EXPECT_EQ(CFGetTypeID(s), CFStringGetTypeID());
    EXPECT_NE(CFStringGetTypeID(), CFNumberGetTypeID());
    EXPECT_NE(CFDataGetTypeID(), CFArrayGetTypeID());
    EXPECT_NE(CFDictionaryGetTypeID(), CFBooleanGetTypeID());
    CFRelease(s);
    // Null and constant references are safe to retain and release.
    CFRelease(nullptr);
    EXPECT_EQ(CFRetain(nullptr), nullptr);
    CFRelease(CFSTR("constant"));
    EXPECT_EQ(CFSTR("constant"), CFSTR("constant"));
    EXPECT_EQ(CFStringGetLength(CFSTR("constant")), 8);
}

TEST_F(Objects, StringEncodings)
{
    // Mac Roman: the high half maps to Unicode and back.
    const char roman[] = {char(0x80), char(0xA5), char(0xDB), char(0xF0), 'x', 0};
    CFStringRef s = CFStringCreateWithCString(nullptr, roman, kCFStringEncodingMacRoman);
    ASSERT_NE(s, nullptr);
    char utf8[32];
    ASSERT_TRUE(CFStringGetCString(s, utf8, sizeof utf8, kCFStringEncodingUTF8));
    EXPECT_STREQ(utf8, "\xC3\x84\xE2\x80\xA2\xE2\x82\xAC\xEF\xA3\xBFx");  // Ä • € (U+F8FF) x
    char back[32];
    ASSERT_TRUE(CFStringGetCString(s, back, sizeof back, kCFStringEncodingMacRoman));
    EXPECT_STREQ(back, roman);
    EXPECT_EQ(CFStringToUTF8(s), utf8);
    EXPECT_EQ(CFStringToUTF8(nullptr), "");
    EXPECT_EQ(CFStringGetLength(s), 5);
    char ascii[32] = "junk";
    EXPECT_FALSE(CFStringGetCString(s, ascii, sizeof ascii, kCFStringEncodingASCII));
    EXPECT_STREQ(ascii, "");
    CFRelease(s);

    EXPECT_EQ(CFStringCreateWithCString(nullptr, "caf\xC3", kCFStringEncodingUTF8), nullptr);  // truncated
    EXPECT_EQ(CFStringCreateWithCString(nullptr, "\xC0\xAF", kCFStringEncodingUTF8), nullptr);  // overlong
    EXPECT_EQ(CFStringCreateWithCString(nullptr, "\xED\xA0\x80", kCFStringEncodingUTF8), nullptr);  // surrogate
    EXPECT_EQ(CFStringCreateWithCString(nullptr, "na\xEFve", kCFStringEncodingASCII), nullptr);

    CFStringRef emoji = CFStringCreateWithCString(nullptr, "\xF0\x9F\x8E\xB5!", kCFStringEncodingUTF8);
    EXPECT_EQ(CFStringGetLength(emoji), 3);  // a surrogate pair and '!'
    char small[5];
    EXPECT_FALSE(CFStringGetCString(emoji, small, sizeof small, kCFStringEncodingUTF8));  // needs 6
    char fits[6];
    EXPECT_TRUE(CFStringGetCString(emoji, fits, sizeof fits, kCFStringEncodingUTF8));
    CFRelease(emoji);
}

TEST_F(Objects, FormatAndCompare)
{
    CFNumberRef n = nullptr;
    const SInt32 v = 42;
    n = CFNumberCreate(nullptr, kCFNumberSInt32Type, &v);
    CFStringRef s = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%d-%s-%@-%@-%.2f-%%"), 7, "x", CFSTR("str"), n,
                                             1.5);
    char text[64];
    ASSERT_TRUE(CFStringGetCString(s, text, sizeof text, kCFStringEncodingUTF8));
    EXPECT_STREQ(text, "7-x-str-42-1.50-%");
    EXPECT_EQ(CFStringCompare(CFSTR("abc"), CFSTR("ABC"), kCFCompareCaseInsensitive), 0);
    EXPECT_LT(CFStringCompare(CFSTR("abc"), CFSTR("abd"), 0), 0);
    EXPECT_EQ(CFStringGetIntValue(CFSTR("-12x")), -12);
    CFRelease(s);
    CFRelease(n);
}

TEST_F(Objects, NumberConversions)
{
    const double d = 2.5;
    CFNumberRef real = CFNumberCreate(nullptr, kCFNumberFloat64Type, &d);
    SInt32 i = 0;
    EXPECT_FALSE(CFNumberGetValue(real, kCFNumberSInt32Type, &i));  // lossy, still converted
    EXPECT_EQ(i, 2);
    float f = 0;
    EXPECT_TRUE(CFNumberGetValue(real, kCFNumberFloat32Type, &f));
    EXPECT_EQ(f, 2.5f);
    EXPECT_TRUE(CFNumberIsFloatType(real));

    const SInt64 big = 1LL << 40;
    CFNumberRef large = CFNumberCreate(nullptr, kCFNumberSInt64Type, &big);
    EXPECT_FALSE(CFNumberGetValue(large, kCFNumberSInt32Type, &i));
    SInt16 small = 0;
    const SInt32 three = 3;
    CFNumberRef n3 = CFNumberCreate(nullptr, kCFNumberSInt32Type, &three);
    EXPECT_TRUE(CFNumberGetValue(n3, kCFNumberSInt16Type, &small));
    EXPECT_EQ(small, 3);
    double asDouble = 0;
    EXPECT_TRUE(CFNumberGetValue(n3, kCFNumberFloat64Type, &asDouble));
    EXPECT_EQ(asDouble, 3.0);

    const double threeReal = 3.0;
    CFNumberRef r3 = CFNumberCreate(nullptr, kCFNumberFloat64Type, &threeReal);
    EXPECT_TRUE(CFEqual(n3, r3));
    EXPECT_EQ(CFHash(n3), CFHash(r3));
    EXPECT_FALSE(CFEqual(n3, real));
    EXPECT_FALSE(CFNumberGetValue(nullptr, kCFNumberSInt32Type, &i));
    EXPECT_TRUE(CFBooleanGetValue(kCFBooleanTrue));
    EXPECT_FALSE(CFBooleanGetValue(kCFBooleanFalse));
    for (CFTypeRef r : {CFTypeRef(real), CFTypeRef(large), CFTypeRef(n3), CFTypeRef(r3)}) CFRelease(r);
}

TEST_F(Objects, DataAppendAndLength)
{
    CFMutableDataRef data = CFDataCreateMutable(nullptr, 0);
    const UInt8 bytes[] = {1, 2, 3};
    CFDataAppendBytes(data, bytes, 3);
    CFDataAppendBytes(data, bytes, 2);
    EXPECT_EQ(CFDataGetLength(data), 5);
    EXPECT_EQ(CFDataGetBytePtr(data)[3], 1);
    CFDataSetLength(data, 8);
    EXPECT_EQ(CFDataGetBytePtr(data)[7], 0);
    CFDataRef same = CFDataCreate(nullptr, CFDataGetBytePtr(data), 8);
    EXPECT_TRUE(CFEqual(data, same));
    CFDataAppendBytes(reinterpret_cast<CFMutableDataRef>(const_cast<__CFData*>(same)), bytes, 1);  // immutable
    EXPECT_EQ(CFDataGetLength(same), 8);
    CFRelease(same);
    CFRelease(data);
}

TEST_F(Objects, ArraysWithAndWithoutCallbacks)
{
    CFStringRef s = CFStringCreateWithCString(nullptr, "v", kCFStringEncodingUTF8);
    CFMutableArrayRef owning = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    CFArrayAppendValue(owning, s);
    EXPECT_EQ(CFGetRetainCount(s), 2);
    const void* values[] = {s, s};
    CFArrayRef plain = CFArrayCreate(nullptr, values, 2, nullptr);
    EXPECT_EQ(CFGetRetainCount(s), 2);  // not retained
    EXPECT_EQ(CFArrayGetCount(plain), 2);
    EXPECT_EQ(CFArrayGetValueAtIndex(plain, 1), s);
    EXPECT_EQ(CFArrayGetValueAtIndex(plain, 2), nullptr);
    CFRelease(plain);
    CFArrayRemoveValueAtIndex(owning, 0);
    EXPECT_EQ(CFGetRetainCount(s), 1);
    CFArrayAppendValue(owning, s);
    CFRelease(owning);
    EXPECT_EQ(CFGetRetainCount(s), 1);
    CFRelease(s);
}

TEST_F(Objects, DictionariesKeepOrderAndOwnership)
{
    CFMutableDictionaryRef d =
        CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFStringRef key = CFStringCreateWithCString(nullptr, "b", kCFStringEncodingUTF8);
    CFDictionarySetValue(d, key, CFSTR("first"));
    CFDictionarySetValue(d, CFSTR("a"), CFSTR("second"));
    CFDictionarySetValue(d, CFSTR("b"), CFSTR("replaced"));  // equal key, different object
    CFDictionaryAddValue(d, CFSTR("a"), CFSTR("ignored"));
    EXPECT_EQ(CFGetRetainCount(key), 2);
    EXPECT_EQ(CFDictionaryGetCount(d), 2);
    const void* keys[2];
    const void* values[2];
    CFDictionaryGetKeysAndValues(d, keys, values);
    EXPECT_EQ(keys[0], key);
    EXPECT_TRUE(CFEqual(values[0], CFSTR("replaced")));
    EXPECT_TRUE(CFEqual(values[1], CFSTR("second")));
    EXPECT_TRUE(CFDictionaryContainsKey(d, CFSTR("a")));
    EXPECT_EQ(CFDictionaryGetValue(d, CFSTR("zz")), nullptr);

    // Equality ignores order and nests.
    const void* k2[] = {CFSTR("a"), CFSTR("b")};
    const void* v2[] = {CFSTR("second"), CFSTR("replaced")};
    CFDictionaryRef other =
        CFDictionaryCreate(nullptr, k2, v2, 2, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    EXPECT_TRUE(CFEqual(d, other));
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

    // Without callbacks: raw pointers, compared by address.
    int x = 0;
    CFMutableDictionaryRef raw = CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr);
    CFDictionarySetValue(raw, &x, &x);
    EXPECT_EQ(CFDictionaryGetValue(raw, &x), &x);
    CFRelease(raw);
}

TEST_F(Objects, WrongTypesAreHarmless)
{
    const SInt32 one = 1;
    CFNumberRef n = CFNumberCreate(nullptr, kCFNumberSInt32Type, &one);
    CFStringRef notAString = reinterpret_cast<CFStringRef>(n);
    char buf[8] = "x";
    EXPECT_FALSE(CFStringGetCString(notAString, buf, sizeof buf, kCFStringEncodingUTF8));
    EXPECT_EQ(CFStringToUTF8(notAString), "");
    EXPECT_EQ(CFDictionaryGetCount(reinterpret_cast<CFDictionaryRef>(n)), 0);
    EXPECT_EQ(CFDataGetBytePtr(reinterpret_cast<CFDataRef>(n)), nullptr);
    CFRelease(n);
}

TEST_F(Objects, ThreadedRetainReleaseAndInterning)
{
    CFStringRef shared = CFStringCreateWithCString(nullptr, "shared", kCFStringEncodingUTF8);
    std::vector<std::thread> threads;
    std::vector<CFStringRef> interned(4);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 20000; ++i) {
                CFRetain(shared);
                CFRelease(shared);
            }
            interned[size_t(t)] = CFSTR("interned from threads");
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(CFGetRetainCount(shared), 1);
    for (CFStringRef s : interned) EXPECT_EQ(s, interned[0]);
    CFRelease(shared);
}
