#include "platform/cf/CFPropertyList.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/cf/CoreFoundation.h"

namespace {

// ---- Writing -------------------------------------------------------------------------------

const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

void AppendEscaped(std::string& out, const char* s)
{
    for (; *s; ++s) {
        switch (*s) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += *s;
        }
    }
}

bool Write(std::string& out, CFTypeRef v, int depth)
{
    const std::string indent(size_t(depth), '\t');
    const CFTypeID type = CFGetTypeID(v);
    if (type == CFStringGetTypeID()) {
        out += indent + "<string>";
        AppendEscaped(out, CFStringGetCStringPtr(static_cast<CFStringRef>(v), kCFStringEncodingUTF8));
        out += "</string>\n";
    } else if (type == CFNumberGetTypeID()) {
        auto n = static_cast<CFNumberRef>(v);
        char buf[40];
        if (CFNumberIsFloatType(n)) {
            double d = 0;
            CFNumberGetValue(n, kCFNumberFloat64Type, &d);
            if (!std::isfinite(d)) return false;
            std::snprintf(buf, sizeof buf, "%.17g", d);  // reads back as the same value
            out += indent + "<real>" + buf + "</real>\n";
        } else {
            SInt64 i = 0;
            CFNumberGetValue(n, kCFNumberSInt64Type, &i);
            std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(i));
            out += indent + "<integer>" + buf + "</integer>\n";
        }
    } else if (type == CFBooleanGetTypeID()) {
        out += indent + (CFBooleanGetValue(static_cast<CFBooleanRef>(v)) ? "<true/>\n" : "<false/>\n");
    } else if (type == CFDataGetTypeID()) {
        auto d = static_cast<CFDataRef>(v);
        const UInt8* p = CFDataGetBytePtr(d);
        const size_t n = size_t(CFDataGetLength(d));
        std::string b64;
        for (size_t i = 0; i < n; i += 3) {
            const UInt32 chunk = (UInt32(p[i]) << 16) | (i + 1 < n ? UInt32(p[i + 1]) << 8 : 0) |
                                 (i + 2 < n ? UInt32(p[i + 2]) : 0);
            b64 += kBase64[(chunk >> 18) & 63];
            b64 += kBase64[(chunk >> 12) & 63];
            b64 += i + 1 < n ? kBase64[(chunk >> 6) & 63] : '=';
            b64 += i + 2 < n ? kBase64[chunk & 63] : '=';
        }
        out += indent + "<data>\n";
        for (size_t i = 0; i < b64.size(); i += 76) out += indent + b64.substr(i, 76) + "\n";
        out += indent + "</data>\n";
    } else if (type == CFArrayGetTypeID()) {
        auto a = static_cast<CFArrayRef>(v);
        out += indent + "<array>\n";
        for (CFIndex i = 0; i < CFArrayGetCount(a); ++i)
            if (!Write(out, CFArrayGetValueAtIndex(a, i), depth + 1)) return false;
        out += indent + "</array>\n";
    } else if (type == CFDictionaryGetTypeID()) {
        auto d = static_cast<CFDictionaryRef>(v);
        const CFIndex n = CFDictionaryGetCount(d);
        std::vector<const void*> keys(static_cast<size_t>(n)), values(static_cast<size_t>(n));
        CFDictionaryGetKeysAndValues(d, keys.data(), values.data());
        out += indent + "<dict>\n";
        for (size_t i = 0; i < size_t(n); ++i) {
            if (CFGetTypeID(keys[i]) != CFStringGetTypeID()) return false;
            out += indent + "\t<key>";
            AppendEscaped(out, CFStringGetCStringPtr(static_cast<CFStringRef>(keys[i]), kCFStringEncodingUTF8));
            out += "</key>\n";
            if (!Write(out, values[i], depth + 1)) return false;
        }
        out += indent + "</dict>\n";
    } else {
        return false;
    }
    return true;
}

// ---- Reading -------------------------------------------------------------------------------

constexpr int kMaxDepth = 64;

struct Parser {
    const char* p;
    const char* end;
    const char* start;
    bool mutableContainers;
    std::string error;

    int Line() const
    {
        int line = 1;
        for (const char* q = start; q < p && q < end; ++q) line += *q == '\n';
        return line;
    }
    bool Fail(const std::string& message)
    {
        if (error.empty()) error = message + " at line " + std::to_string(Line());
        return false;
    }
    bool Starts(const char* s) const
    {
        const size_t n = std::strlen(s);
        return size_t(end - p) >= n && std::memcmp(p, s, n) == 0;
    }
    void SkipSpace()
    {
        while (p < end && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r')) ++p;
    }
    // Skips white space, comments and processing instructions and the DOCTYPE line.
    bool SkipMisc()
    {
        for (;;) {
            SkipSpace();
            const char* close = nullptr;
            if (Starts("<!--"))
                close = "-->";
            else if (Starts("<?"))
                close = "?>";
            else if (Starts("<!DOCTYPE"))
                close = ">";
            else
                return true;
            const char* found = static_cast<const char*>(memmem(p, size_t(end - p), close, std::strlen(close)));
            if (!found) return Fail("unterminated markup");
            p = found + std::strlen(close);
        }
    }
    // Reads "<name>" or "<name/>"; returns the name, sets empty for "/>".
    bool OpenTag(std::string& name, bool& empty)
    {
        if (!SkipMisc()) return false;
        if (p >= end || *p != '<') return Fail("expected an element");
        ++p;
        name.clear();
        while (p < end && (std::isalnum(UInt8(*p)))) name += *p++;
        while (p < end && *p != '>' && *p != '/') ++p;  // attributes (plist version) are ignored
        if (p >= end) return Fail("unterminated tag");
        empty = *p == '/';
        if (empty) {
            ++p;
            if (p >= end || *p != '>') return Fail("malformed empty tag");
        }
        ++p;
        if (name.empty()) return Fail("element without a name");
        return true;
    }
    bool CloseTag(const std::string& name)
    {
        if (!SkipMisc()) return false;
        const std::string tag = "</" + name + ">";
        if (!Starts(tag.c_str())) return Fail("expected " + tag);
        p += tag.size();
        return true;
    }
    // Character data up to the next '<', with entities decoded.
    bool Text(std::string& out)
    {
        out.clear();
        while (p < end && *p != '<') {
            if (*p != '&') {
                out += *p++;
                continue;
            }
            const char* semi = static_cast<const char*>(std::memchr(p, ';', size_t(std::min<std::ptrdiff_t>(end - p, 12))));
            if (!semi) return Fail("malformed entity");
            const std::string entity(p + 1, semi);
            p = semi + 1;
            if (entity == "amp") out += '&';
            else if (entity == "lt") out += '<';
            else if (entity == "gt") out += '>';
            else if (entity == "quot") out += '"';
            else if (entity == "apos") out += '\'';
            else if (entity.size() > 1 && entity[0] == '#') {
                char* stop = nullptr;
                const bool hex = entity[1] == 'x';
                const unsigned long c = std::strtoul(entity.c_str() + (hex ? 2 : 1), &stop, hex ? 16 : 10);
                if (*stop || c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return Fail("bad character reference");
                char32_t cp = char32_t(c);
                if (cp < 0x80) out += char(cp);
                else if (cp < 0x800) out += char(0xC0 | (cp >> 6)), out += char(0x80 | (cp & 0x3F));
                else if (cp < 0x10000)
                    out += char(0xE0 | (cp >> 12)), out += char(0x80 | ((cp >> 6) & 0x3F)), out += char(0x80 | (cp & 0x3F));
                else
                    out += char(0xF0 | (cp >> 18)), out += char(0x80 | ((cp >> 12) & 0x3F)),
                        out += char(0x80 | ((cp >> 6) & 0x3F)), out += char(0x80 | (cp & 0x3F));
            } else {
                return Fail("unknown entity &" + entity + ";");
            }
        }
        if (p >= end) return Fail("unexpected end of text");
        return true;
    }

    CFTypeRef Value(int depth)
    {
        if (depth > kMaxDepth) return Fail("nesting too deep"), nullptr;
        std::string name;
        bool empty = false;
        if (!OpenTag(name, empty)) return nullptr;
        if (name == "true" || name == "false") {
            if (!empty && !CloseTag(name)) return nullptr;
            return name == "true" ? kCFBooleanTrue : kCFBooleanFalse;
        }
        if (name == "dict") return Dict(depth, empty);
        if (name == "array") return Array(depth, empty);
        std::string text;
        if (!empty && (!Text(text) || !CloseTag(name))) return nullptr;
        if (name == "string") {
            if (text.find('\0') != std::string::npos) return Fail("string holds a NUL character"), nullptr;
            CFStringRef s = CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8);
            if (!s) return Fail("string is not valid UTF-8"), nullptr;
            return s;
        }
        if (name == "integer") {
            errno = 0;
            char* stop = nullptr;
            const char* b = text.c_str();
            while (*b == ' ' || *b == '\t' || *b == '\n') ++b;
            const long long v = std::strtoll(b, &stop, 10);
            while (*stop == ' ' || *stop == '\t' || *stop == '\n') ++stop;
            if (stop == b || *stop || errno == ERANGE) return Fail("bad integer"), nullptr;
            const SInt64 i = v;
            if (i >= INT32_MIN && i <= INT32_MAX) {
                const SInt32 small = SInt32(i);
                return CFNumberCreate(nullptr, kCFNumberSInt32Type, &small);
            }
            return CFNumberCreate(nullptr, kCFNumberSInt64Type, &i);
        }
        if (name == "real") {
            char* stop = nullptr;
            const double d = std::strtod(text.c_str(), &stop);
            if (stop == text.c_str() || *stop || !std::isfinite(d)) return Fail("bad real"), nullptr;
            return CFNumberCreate(nullptr, kCFNumberFloat64Type, &d);
        }
        if (name == "data") {
            std::vector<UInt8> bytes;
            if (!Base64(text, bytes)) return Fail("bad base64 data"), nullptr;
            return CFDataCreate(nullptr, bytes.data(), CFIndex(bytes.size()));
        }
        return Fail("unknown element <" + name + ">"), nullptr;
    }

    static bool Base64(const std::string& text, std::vector<UInt8>& out)
    {
        UInt32 acc = 0;
        int bits = 0, pad = 0;
        for (char c : text) {
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
            if (c == '=') {
                ++pad;
                continue;
            }
            if (pad) return false;  // data after padding
            const char* at = std::strchr(kBase64, c);
            if (!at || !c) return false;
            acc = (acc << 6) | UInt32(at - kBase64);
            bits += 6;
            if (bits >= 8) {
                bits -= 8;
                out.push_back(UInt8(acc >> bits));
            }
        }
        return pad <= 2 && (bits == 0 || bits == 2 || bits == 4) && (acc & ((1u << bits) - 1)) == 0;
    }

    CFTypeRef Array(int depth, bool empty)
    {
        CFMutableArrayRef a = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
        if (empty) return a;
        for (;;) {
            if (!SkipMisc()) break;
            if (Starts("</")) {
                if (!CloseTag("array")) break;
                return a;
            }
            CFTypeRef v = Value(depth + 1);
            if (!v) break;
            CFArrayAppendValue(a, v);
            CFRelease(v);
        }
        CFRelease(a);
        return nullptr;
    }

    CFTypeRef Dict(int depth, bool empty)
    {
        CFMutableDictionaryRef d =
            CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
        if (empty) return d;
        for (;;) {
            if (!SkipMisc()) break;
            if (Starts("</")) {
                if (!CloseTag("dict")) break;
                return d;
            }
            std::string name, keyText;
            bool emptyKey = false;
            if (!OpenTag(name, emptyKey)) break;
            if (name != "key") {
                Fail("expected <key> in a dictionary");
                break;
            }
            if (!emptyKey && (!Text(keyText) || !CloseTag("key"))) break;
            CFStringRef key = keyText.find('\0') == std::string::npos
                                  ? CFStringCreateWithCString(nullptr, keyText.c_str(), kCFStringEncodingUTF8)
                                  : nullptr;
            if (!key) {
                Fail("key is not valid UTF-8");
                break;
            }
            CFTypeRef v = Value(depth + 1);
            if (!v) {
                CFRelease(key);
                break;
            }
            CFDictionarySetValue(d, key, v);  // a repeated key: the last one wins
            CFRelease(key);
            CFRelease(v);
        }
        CFRelease(d);
        return nullptr;
    }
};

}  // namespace

CFDataRef CFPropertyListCreateXMLData(CFAllocatorRef, CFPropertyListRef plist)
{
    if (!plist) return nullptr;
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n";
    if (!Write(out, plist, 0)) return nullptr;
    out += "</plist>\n";
    return CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(out.data()), CFIndex(out.size()));
}

CFPropertyListRef CFPropertyListCreateFromXMLData(CFAllocatorRef, CFDataRef xml, CFOptionFlags mutability,
                                                  CFStringRef* errorString)
{
    if (errorString) *errorString = nullptr;
    const char* text = reinterpret_cast<const char*>(CFDataGetBytePtr(xml));
    if (!text) text = "";
    Parser parser{text, text + CFDataGetLength(xml), text, mutability != 0, {}};
    CFTypeRef result = nullptr;
    if (!xml || CFGetTypeID(xml) != CFDataGetTypeID()) {
        parser.error = "no property list data";
    } else {
        std::string name;
        bool empty = false;
        if (parser.OpenTag(name, empty)) {
            if (name != "plist" || empty) {
                parser.Fail("the root element is not <plist>");
            } else if ((result = parser.Value(1)) && !parser.CloseTag("plist")) {
                CFRelease(result);
                result = nullptr;
            } else if (result && (parser.SkipMisc(), parser.p != parser.end)) {
                parser.Fail("text after </plist>");
                CFRelease(result);
                result = nullptr;
            }
        }
    }
    if (!result && errorString) {
        if (parser.error.empty()) parser.error = "malformed property list";
        *errorString = CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(parser.error.data()),
                                               CFIndex(parser.error.size()), kCFStringEncodingMacRoman, false);
    }
    return result;
}

int CFPropertyListWriteToFile(CFPropertyListRef plist, const char* path)
{
    CFDataRef data = CFPropertyListCreateXMLData(nullptr, plist);
    if (!data) return EINVAL;
    const std::string temp = std::string(path) + ".tmp-" + std::to_string(getpid());
    int err = 0;
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        err = errno;
    } else {
        const UInt8* p = CFDataGetBytePtr(data);
        size_t left = size_t(CFDataGetLength(data));
        while (left > 0 && !err) {
            const ssize_t n = ::write(fd, p, left);
            if (n < 0 && errno != EINTR) err = errno;
            if (n > 0) p += n, left -= size_t(n);
        }
        if (!err && ::fsync(fd) != 0) err = errno;
        if (::close(fd) != 0 && !err) err = errno;
        if (!err && std::rename(temp.c_str(), path) != 0) err = errno;
        if (err) std::remove(temp.c_str());
    }
    CFRelease(data);
    return err;
}

CFPropertyListRef CFPropertyListCreateFromFile(const char* path, CFStringRef* errorString)
{
    if (errorString) *errorString = nullptr;
    FILE* f = path ? std::fopen(path, "rb") : nullptr;
    if (!f) {
        if (errorString) {
            const std::string message = std::string("cannot read ") + (path ? path : "(null)") + ": " + std::strerror(errno);
            *errorString = CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(message.data()),
                                                   CFIndex(message.size()), kCFStringEncodingMacRoman, false);
        }
        return nullptr;
    }
    std::string bytes;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0 && bytes.size() < (64u << 20)) bytes.append(buf, n);
    std::fclose(f);
    CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes.data()), CFIndex(bytes.size()));
    CFPropertyListRef result = CFPropertyListCreateFromXMLData(nullptr, data, 0, errorString);
    CFRelease(data);
    return result;
}
