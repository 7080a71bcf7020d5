// Reference-counted objects and XML property lists: lifetimes, encodings, conversions, collections,
// round trips, the file form, atomic writes and malformed input.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/cf/CFPropertyList.h"
#include "platform/cf/CoreFoundation.h"

namespace {
class Objects : public ::testing::Test {
protected:
    void SetUp() override { mStart = CFLiveObjectCount(); }
    void TearDown() override { EXPECT_EQ(CFLiveObjectCount(), mStart) << "objects leaked"; }
    long mStart = 0;
};
using PropertyLists = Objects;

CFStringRef Str(const char* s, CFStringEncoding e = kCFStringEncodingUTF8)
{
    return CFStringCreateWithCString(nullptr, s, e);
}

CFPropertyListRef Parse(const std::string& xml, std::string* error = nullptr)
{
    CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(xml.data()), CFIndex(xml.size()));
    CFStringRef message = nullptr;
    CFPropertyListRef result = CFPropertyListCreateFromXMLData(nullptr, data, 0, &message);
    CFRelease(data);
    if (message) {
        if (error) *error = CFStringGetCStringPtr(message, kCFStringEncodingUTF8);
        CFRelease(message);
    }
    return result;
}

CFMutableDictionaryRef Sample()
{
    CFMutableDictionaryRef d =
        CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    const SInt32 i = -42;
    const SInt64 big = 1LL << 40;
    const float f = 0.1f;
    const double g = 1.0 / 3.0;
    UInt8 bytes[256];
    for (int k = 0; k < 256; ++k) bytes[k] = UInt8(k);
    const void* items[] = {kCFBooleanTrue, CFSTR("")};
    const std::pair<CFStringRef, CFTypeRef> entries[] = {
        {CFSTR("int"), CFNumberCreate(nullptr, kCFNumberSInt32Type, &i)},
        {CFSTR("big"), CFNumberCreate(nullptr, kCFNumberSInt64Type, &big)},
        {CFSTR("float"), CFNumberCreate(nullptr, kCFNumberFloat32Type, &f)},
        {CFSTR("double"), CFNumberCreate(nullptr, kCFNumberFloat64Type, &g)},
        {CFSTR("data"), CFDataCreate(nullptr, bytes, 256)},
        {CFSTR("empty"), CFDataCreate(nullptr, bytes, 0)},
        {CFSTR("text"), CFStringCreateWithCString(nullptr, "<R&D> \xC3\xA4 \xF0\x9F\x8E\xB5", kCFStringEncodingUTF8)},
        {CFSTR("list"), CFArrayCreate(nullptr, items, 2, &kCFTypeArrayCallBacks)}};
    for (const auto& [key, value] : entries) {
        CFDictionarySetValue(d, key, value);
        CFRelease(value);
    }
    return d;
}

}  // namespace

TEST_F(Objects, StringEncodingsAndRefusals)
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
    char small[5];
    EXPECT_FALSE(CFStringGetCString(emoji, small, sizeof small, kCFStringEncodingUTF8));  // needs 6
    CFRelease(emoji);
}

TEST_F(Objects, NumberConversionsRefuseWhatDoesNotFitAndArraysTheirEnd)
{
    const double d = 2.5;
    const SInt64 big = 1LL << 40;
    CFNumberRef real = CFNumberCreate(nullptr, kCFNumberFloat64Type, &d);
    CFNumberRef large = CFNumberCreate(nullptr, kCFNumberSInt64Type, &big);
    SInt32 i = 0;
    EXPECT_FALSE(CFNumberGetValue(real, kCFNumberSInt32Type, &i));  // lossy, still converted
    EXPECT_EQ(i, 2);
    EXPECT_FALSE(CFNumberGetValue(large, kCFNumberSInt32Type, &i));
    const void* values[] = {real, large};
    CFArrayRef plain = CFArrayCreate(nullptr, values, 2, nullptr);
    EXPECT_EQ(CFArrayGetValueAtIndex(plain, 2), nullptr);
    for (CFTypeRef r : {CFTypeRef(real), CFTypeRef(large), CFTypeRef(plain)}) CFRelease(r);
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

TEST_F(PropertyLists, RoundTripsThroughTextAndAtomicallyWrittenFiles)
{
    CFMutableDictionaryRef d = Sample();
    CFDataRef xml = CFPropertyListCreateXMLData(nullptr, d);
    ASSERT_NE(xml, nullptr);
    const std::string text(reinterpret_cast<const char*>(CFDataGetBytePtr(xml)), size_t(CFDataGetLength(xml)));
    CFRelease(xml);
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">", 0), 0u);
    EXPECT_NE(text.find("&lt;R&amp;D&gt;"), std::string::npos);
    CFPropertyListRef back = Parse(text);
    ASSERT_TRUE(back && CFEqual(back, d));
    EXPECT_EQ(CFDictionaryGetValue(static_cast<CFDictionaryRef>(back), CFSTR("zz")), nullptr);
    CFDictionarySetValue(d, CFSTR("int"), CFSTR("-42"));  // equality compares values, not only keys
    EXPECT_FALSE(CFEqual(back, d));
    CFRelease(back);

    char dir[] = "/tmp/flummel-plist-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/state.plist";
    ASSERT_EQ(CFPropertyListWriteToFile(d, path.c_str()), 0);
    ASSERT_EQ(CFPropertyListWriteToFile(d, path.c_str()), 0);  // replaces
    // A key that is not a string cannot be written, and leaves the old file as it was.
    CFMutableDictionaryRef bad = CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr);
    CFDictionarySetValue(bad, kCFBooleanTrue, kCFBooleanTrue);
    EXPECT_EQ(CFPropertyListCreateXMLData(nullptr, bad), nullptr);
    EXPECT_NE(CFPropertyListWriteToFile(bad, path.c_str()), 0);
    CFRelease(bad);
    back = CFPropertyListCreateFromFile(path.c_str(), nullptr);
    EXPECT_TRUE(back && CFEqual(back, d));
    CFRelease(back);
    std::remove(path.c_str());
    EXPECT_EQ(rmdir(dir), 0);  // no temporary file was left beside it
    CFStringRef error = nullptr;
    EXPECT_EQ(CFPropertyListCreateFromFile((std::string(dir) + "/missing").c_str(), &error), nullptr);
    ASSERT_NE(error, nullptr);
    EXPECT_NE(std::string(CFStringGetCStringPtr(error, kCFStringEncodingUTF8)).find("cannot read"), std::string::npos);
    CFRelease(error);
    EXPECT_NE(CFPropertyListWriteToFile(d, "/nonexistent-dir/x.plist"), 0);
    CFRelease(d);
}

TEST_F(PropertyLists, MalformedInputGivesAnErrorNamingTheProblem)
{
    std::string nested = "<plist>";
    for (int i = 0; i < 100; ++i) nested += "<array>";
    struct Case {
        std::string xml;
        const char* words;
    };
    const Case cases[] = {
        {"", "expected an element"},
        {"<plist><dict><key>a</key><string>x</dict></plist>", "expected </string>"},
        {"<plist><string>open", "unexpected end"},
        {"<plist><array></dict></plist>", "expected </array>"},
        {"<plist><data>@@@@</data></plist>", "base64"},
        {"<plist><integer>99999999999999999999</integer></plist>", "bad integer"},
        {"<plist><real>nan</real></plist>", "bad real"},
        {"<dict></dict>", "root element"},
        {"<plist><dict><string>x</string></dict></plist>", "expected <key>"},
        {"<plist><blob/></plist>", "unknown element"},
        {"<plist><string>&bogus;</string></plist>", "unknown entity"},
        {"<plist><string>\xC3</string></plist>", "UTF-8"},
        {"<plist><string>a</string></plist><junk/>", "after </plist>"},
        {nested, "too deep"},
        {std::string("<plist><array><string>a\0b</string></array></plist>", 50), "NUL"},
        {"<!-- never closed", "unterminated"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_EQ(Parse(c.xml, &error), nullptr) << c.xml;
        EXPECT_NE(error.find(c.words), std::string::npos) << c.xml << " -> " << error;
        EXPECT_NE(error.find("line"), std::string::npos) << error;
    }
}
