// XML property lists: round trips, the file form, atomic writes and malformed input.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <utility>
#include <string>

#include "platform/cf/CFPropertyList.h"
#include "platform/cf/CoreFoundation.h"

namespace {

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

class PropertyLists : public ::testing::Test {
protected:
    void SetUp() override { mStart = CFLiveObjectCount(); }
    void TearDown() override { EXPECT_EQ(CFLiveObjectCount(), mStart); }
    long mStart = 0;
};

}  // namespace

TEST_F(PropertyLists, RoundTripsThroughTextAndAtomicallyWrittenFiles)
{
    CFMutableDictionaryRef d = Sample();
    CFDataRef xml = CFPropertyListCreateXMLData(nullptr, d);
    ASSERT_NE(xml, nullptr);
    const std::string text(reinterpret_cast<const char*>(CFDataGetBytePtr(xml)), size_t(CFDataGetLength(xml)));
    CFRelease(xml);
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">", 0), 0u);
    EXPECT_NE(text.find("&lt;R&amp;D&gt;"), std::string::npos);
    EXPECT_LT(text.find("<key>int</key>"), text.find("<key>list</key>"));  // insertion order
    EXPECT_NE(text.find("<real>0.10000000149011612</real>"), std::string::npos);  // the float, exactly
    CFPropertyListRef back = Parse(text);
    EXPECT_TRUE(back && CFEqual(back, d));
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

TEST_F(PropertyLists, DoctypeCommentsAndEntitiesAreAccepted)
{
    std::string error;
    auto v = static_cast<CFDictionaryRef>(Parse(
        "<?xml version=\"1.0\"?>\n<!DOCTYPE plist PUBLIC \"-//x//y\" \"http://example.invalid/p.dtd\">\n"
        "<!-- a comment --><plist version=\"1.0\"><dict><key>a&amp;b</key><string>&#65;&#x42;&quot;</string>"
        "<key>t</key><true/><key>e</key><string/></dict></plist>",
        &error));
    ASSERT_NE(v, nullptr) << error;
    EXPECT_TRUE(CFEqual(CFDictionaryGetValue(v, CFSTR("a&b")), CFSTR("AB\"")));
    EXPECT_EQ(CFDictionaryGetValue(v, CFSTR("t")), kCFBooleanTrue);
    EXPECT_TRUE(CFEqual(CFDictionaryGetValue(v, CFSTR("e")), CFSTR("")));
    CFRelease(v);
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
