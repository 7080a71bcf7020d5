// XML property lists: round trips, the file form, atomic writes and malformed input.
#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/cf/CFPropertyList.h"
#include "platform/cf/CoreFoundation.h"

namespace {

CFDataRef Text(const std::string& s)
{
    return CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(s.data()), CFIndex(s.size()));
}

std::string AsString(CFDataRef d)
{
    return std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(d)), size_t(CFDataGetLength(d)));
}

CFPropertyListRef Parse(const std::string& xml, std::string* error = nullptr)
{
    CFDataRef data = Text(xml);
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
    CFTypeRef values[] = {CFNumberCreate(nullptr, kCFNumberSInt32Type, &i),
                          CFNumberCreate(nullptr, kCFNumberSInt64Type, &big),
                          CFNumberCreate(nullptr, kCFNumberFloat32Type, &f),
                          CFNumberCreate(nullptr, kCFNumberFloat64Type, &g),
                          CFDataCreate(nullptr, bytes, 256),
                          CFDataCreate(nullptr, bytes, 0),
                          CFStringCreateWithCString(nullptr, "<R&D> \xC3\xA4 \xF0\x9F\x8E\xB5", kCFStringEncodingUTF8),
                          CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks)};
    const char* keys[] = {"int", "big", "float", "double", "data", "empty", "text", "list"};
    for (int k = 0; k < 8; ++k) {
        CFStringRef key = CFStringCreateWithCString(nullptr, keys[k], kCFStringEncodingUTF8);
        CFDictionarySetValue(d, key, values[k]);
        CFRelease(key);
    }
    CFArrayAppendValue(reinterpret_cast<CFMutableArrayRef>(const_cast<void*>(values[7])), kCFBooleanTrue);
    CFArrayAppendValue(reinterpret_cast<CFMutableArrayRef>(const_cast<void*>(values[7])), CFSTR(""));
    for (CFTypeRef v : values) CFRelease(v);
    return d;
}

class PropertyLists : public ::testing::Test {
protected:
    void SetUp() override { mStart = CFLiveObjectCount(); }
    void TearDown() override { EXPECT_EQ(CFLiveObjectCount(), mStart); }
    long mStart = 0;
};

}  // namespace

TEST_F(PropertyLists, RoundTripKeepsEveryValueAndTheKeyOrder)
{
    CFMutableDictionaryRef d = Sample();
    CFDataRef xml = CFPropertyListCreateXMLData(nullptr, d);
    ASSERT_NE(xml, nullptr);
    const std::string text = AsString(xml);
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">", 0), 0u);
    EXPECT_EQ(text.find("DOCTYPE"), std::string::npos);
    EXPECT_NE(text.find("&lt;R&amp;D&gt;"), std::string::npos);
    EXPECT_LT(text.find("<key>int</key>"), text.find("<key>list</key>"));
    EXPECT_NE(text.find("<real>0.10000000149011612</real>"), std::string::npos);  // the float, exactly

    CFStringRef error = nullptr;
    CFPropertyListRef back = CFPropertyListCreateFromXMLData(nullptr, xml, 0, &error);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(error, nullptr);
    EXPECT_TRUE(CFEqual(back, d));
    float f = 0;
    CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(static_cast<CFDictionaryRef>(back), CFSTR("float"))),
                     kCFNumberFloat32Type, &f);
    EXPECT_EQ(f, 0.1f);
    SInt32 i = 0;
    EXPECT_TRUE(CFNumberGetValue(
        static_cast<CFNumberRef>(CFDictionaryGetValue(static_cast<CFDictionaryRef>(back), CFSTR("int"))),
        kCFNumberSInt32Type, &i));
    EXPECT_EQ(i, -42);
    CFRelease(back);
    CFRelease(xml);
    CFRelease(d);
}

TEST_F(PropertyLists, DoctypeCommentsAndEntitiesAreAccepted)
{
    std::string error;
    CFPropertyListRef v = Parse(
        "<?xml version=\"1.0\"?>\n<!DOCTYPE plist PUBLIC \"-//x//y\" \"http://example.invalid/p.dtd\">\n"
        "<!-- a comment --><plist version=\"1.0\"><dict><key>a&amp;b</key><string>&#65;&#x42;&quot;</string>"
        "<key>t</key><true/><key>e</key><string/></dict></plist>",
        &error);
    ASSERT_NE(v, nullptr) << error;
    EXPECT_TRUE(CFEqual(CFDictionaryGetValue(static_cast<CFDictionaryRef>(v), CFSTR("a&b")), CFSTR("AB\"")));
    EXPECT_EQ(CFDictionaryGetValue(static_cast<CFDictionaryRef>(v), CFSTR("t")), kCFBooleanTrue);
    EXPECT_TRUE(CFEqual(CFDictionaryGetValue(static_cast<CFDictionaryRef>(v), CFSTR("e")), CFSTR("")));
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
        {"<plist><dict><key>a</key>", "expected an element"},
        {"<plist><dict><key>a</key><string>x</dict></plist>", "expected </string>"},
        {"<plist><string>open", "unexpected end"},
        {"<plist><array></dict></plist>", "expected </array>"},
        {"<plist><data>@@@@</data></plist>", "base64"},
        {"<plist><data>QQ=A</data></plist>", "base64"},
        {"<plist><integer>99999999999999999999</integer></plist>", "bad integer"},
        {"<plist><integer>12abc</integer></plist>", "bad integer"},
        {"<plist><real>nan</real></plist>", "bad real"},
        {"<dict></dict>", "root element"},
        {"<plist><dict><string>x</string></dict></plist>", "expected <key>"},
        {"<plist><blob/></plist>", "unknown element"},
        {"<plist><string>&bogus;</string></plist>", "unknown entity"},
        {"<plist><string>\xC3</string></plist>", "UTF-8"},
        {"<plist><string>a</string></plist><junk/>", "after </plist>"},
        {nested, "too deep"},
        {std::string("<plist><array><string>a\0b</string></array></plist>", 50), "NUL"},
        {std::string("<plist><dict><key>k\0</key><true/></dict></plist>", 48), "UTF-8"},
        {"<!-- never closed", "unterminated"},
    };
    for (const Case& c : cases) {
        std::string error;
        CFPropertyListRef v = Parse(c.xml, &error);
        EXPECT_EQ(v, nullptr) << c.xml;
        if (v) CFRelease(v);
        EXPECT_NE(error.find(c.words), std::string::npos) << c.xml << " -> " << error;
        EXPECT_NE(error.find("line"), std::string::npos) << error;
    }
}

TEST_F(PropertyLists, UnwritableValuesAreRefused)
{
    int x = 0;
    CFMutableDictionaryRef raw = CFDictionaryCreateMutable(nullptr, 0, nullptr, &kCFTypeDictionaryValueCallBacks);
    CFDictionarySetValue(raw, &x, CFSTR("v"));  // a key that is not a string object
    CFMutableDictionaryRef d =
        CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    const SInt32 n = 1;
    CFNumberRef key = CFNumberCreate(nullptr, kCFNumberSInt32Type, &n);
    CFDictionarySetValue(d, key, CFSTR("v"));
    EXPECT_EQ(CFPropertyListCreateXMLData(nullptr, d), nullptr);
    EXPECT_EQ(CFPropertyListCreateXMLData(nullptr, nullptr), nullptr);
    CFRelease(key);
    CFRelease(d);
    CFRelease(raw);
}

TEST_F(PropertyLists, FilesAreWrittenAtomicallyAndReadBack)
{
    char dir[] = "/tmp/flummel-plist-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/state.plist";
    CFMutableDictionaryRef d = Sample();
    ASSERT_EQ(CFPropertyListWriteToFile(d, path.c_str()), 0);
    ASSERT_EQ(CFPropertyListWriteToFile(d, path.c_str()), 0);  // replaces
    CFStringRef error = nullptr;
    CFPropertyListRef back = CFPropertyListCreateFromFile(path.c_str(), &error);
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(CFEqual(back, d));
    CFRelease(back);
    // Only the file itself is left in the directory.
    int entries = 0;
    DIR* listing = opendir(dir);
    while (dirent* e = readdir(listing)) entries += e->d_name[0] != '.';
    closedir(listing);
    EXPECT_EQ(entries, 1);
    // An unwritable value leaves the old file as it was.
    int x = 0;
    CFNumberRef key = CFNumberCreate(nullptr, kCFNumberSInt32Type, &x);
    CFMutableDictionaryRef bad = CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr);
    CFDictionarySetValue(bad, key, key);  // non-string keys cannot be written
    EXPECT_NE(CFPropertyListWriteToFile(bad, path.c_str()), 0);
    back = CFPropertyListCreateFromFile(path.c_str(), nullptr);
    EXPECT_TRUE(CFEqual(back, d));
    CFRelease(back);
    CFRelease(bad);
    CFRelease(key);
    EXPECT_EQ(CFPropertyListCreateFromFile((std::string(dir) + "/missing").c_str(), &error), nullptr);
    ASSERT_NE(error, nullptr);
    EXPECT_NE(std::string(CFStringGetCStringPtr(error, kCFStringEncodingUTF8)).find("cannot read"), std::string::npos);
    CFRelease(error);
    EXPECT_NE(CFPropertyListWriteToFile(d, "/nonexistent-dir/x.plist"), 0);
    std::remove(path.c_str());
    rmdir(dir);
    CFRelease(d);
}
