#include "platform/cf/CFString.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/cf/CFObject.h"

namespace {

struct StringObject : CFObject {
    StringObject(std::string s, bool immortal = false) : CFObject(kCFTypeIDString, immortal), text(std::move(s)) {}
    bool Equals(const CFObject& o) const override { return text == static_cast<const StringObject&>(o).text; }
    CFHashCode Hash() const override { return std::hash<std::string>()(text); }
    std::string Describe() const override { return text; }
    std::string text;  // UTF-8
};

const StringObject* AsString(CFStringRef s) { return CFCast<const StringObject>(s, kCFTypeIDString); }

const char16_t kMacRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5,
    0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3, 0x00F2, 0x00F4,
    0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6,
    0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8, 0x221E, 0x00B1, 0x2264, 0x2265,
    0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF,
    0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB, 0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5,
    0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044,
    0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02, 0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9,
    0x0131, 0x02C6, 0x02DC, 0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7};

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// Decodes one code point at s[i]; false on malformed input (overlong forms and surrogates too).
bool NextUtf8(const std::string& s, size_t& i, char32_t& c)
{
    const auto b = [&](size_t k) { return UInt8(s[k]); };
    const UInt8 lead = b(i);
    int extra;
    char32_t min;
    if (lead < 0x80) {
        c = lead, ++i;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        c = lead & 0x1F, extra = 1, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        c = lead & 0x0F, extra = 2, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        c = lead & 0x07, extra = 3, min = 0x10000;
    } else {
        return false;
    }
    if (i + size_t(extra) >= s.size()) return false;
    for (int k = 1; k <= extra; ++k) {
        if ((b(i + size_t(k)) & 0xC0) != 0x80) return false;
        c = (c << 6) | (b(i + size_t(k)) & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    i += size_t(extra) + 1;
    return true;
}

bool ValidUtf8(const std::string& s)
{
    char32_t c;
    for (size_t i = 0; i < s.size();)
        if (!NextUtf8(s, i, c)) return false;
    return true;
}

// Text of the given encoding as UTF-8; false when the bytes are not valid in it.
bool DecodeToUtf8(const char* bytes, size_t n, CFStringEncoding encoding, std::string& out)
{
    out.clear();
    switch (encoding) {
    case kCFStringEncodingUTF8:
        out.assign(bytes, n);
        return ValidUtf8(out);
    case kCFStringEncodingASCII:
        for (size_t i = 0; i < n; ++i)
            if (UInt8(bytes[i]) > 127) return false;
        out.assign(bytes, n);
        return true;
    case kCFStringEncodingMacRoman:
        for (size_t i = 0; i < n; ++i) {
            const UInt8 b = UInt8(bytes[i]);
            AppendUtf8(out, b < 0x80 ? char32_t(b) : char32_t(kMacRomanHigh[b - 0x80]));
        }
        return true;
    default:
        return false;
    }
}

bool EncodeFromUtf8(const std::string& text, CFStringEncoding encoding, std::string& out)
{
    out.clear();
    if (encoding == kCFStringEncodingUTF8) {
        out = text;
        return true;
    }
    if (encoding != kCFStringEncodingASCII && encoding != kCFStringEncodingMacRoman) return false;
    char32_t c;
    for (size_t i = 0; i < text.size();) {
        if (!NextUtf8(text, i, c)) return false;
        if (c < 0x80) {
            out += char(c);
            continue;
        }
        if (encoding == kCFStringEncodingASCII) return false;
        int found = -1;
        for (int k = 0; k < 128; ++k)
            if (kMacRomanHigh[k] == c) found = k;
        if (found < 0) return false;
        out += char(0x80 + found);
    }
    return true;
}

}  // namespace

CFTypeID CFStringGetTypeID() { return kCFTypeIDString; }

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8* bytes, CFIndex numBytes, CFStringEncoding encoding,
                                    Boolean)
{
    if (!bytes && numBytes) return nullptr;
    if (numBytes < 0) return nullptr;
    std::string text;
    if (!DecodeToUtf8(reinterpret_cast<const char*>(bytes), size_t(numBytes), encoding, text)) return nullptr;
    return reinterpret_cast<CFStringRef>(new StringObject(std::move(text)));
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding)
{
    if (!cStr) return nullptr;
    return CFStringCreateWithBytes(alloc, reinterpret_cast<const UInt8*>(cStr), CFIndex(std::strlen(cStr)), encoding,
                                   false);
}

CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef s)
{
    const StringObject* o = AsString(s);
    return o ? reinterpret_cast<CFStringRef>(new StringObject(o->text)) : nullptr;
}

CFStringRef CFStringCreateWithFormat(CFAllocatorRef, CFDictionaryRef, CFStringRef format, ...)
{
    const StringObject* f = AsString(format);
    if (!f) return nullptr;
    va_list args;
    va_start(args, format);
    std::string out;
    const std::string& fmt = f->text;
    for (size_t i = 0; i < fmt.size(); ++i) {
        if (fmt[i] != '%') {
            out += fmt[i];
            continue;
        }
        size_t j = i + 1;
        while (j < fmt.size() && std::strchr("-+ #0123456789.", fmt[j])) ++j;
        std::string length;
        while (j < fmt.size() && std::strchr("hlzj", fmt[j])) length += fmt[j++];
        if (j >= fmt.size()) break;
        const char conv = fmt[j];
        const std::string directive = fmt.substr(i, j - i + 1);
        char buf[128];
        buf[0] = 0;
        switch (conv) {
        case '%': out += '%'; break;
        case '@': out += CFDescribe(va_arg(args, CFTypeRef)); break;
        case 's': {
            const char* s = va_arg(args, const char*);
            out += s ? s : "(null)";
            break;
        }
        case 'd': case 'i': case 'u': case 'x': case 'X': case 'o': case 'c':
            if (length == "l" || length == "z" || length == "j")
                std::snprintf(buf, sizeof buf, directive.c_str(), va_arg(args, long));
            else if (length == "ll")
                std::snprintf(buf, sizeof buf, directive.c_str(), va_arg(args, long long));
            else
                std::snprintf(buf, sizeof buf, directive.c_str(), va_arg(args, int));
            out += buf;
            break;
        case 'f': case 'g': case 'e': case 'G': case 'E':
            std::snprintf(buf, sizeof buf, directive.c_str(), va_arg(args, double));
            out += buf;
            break;
        case 'p':
            std::snprintf(buf, sizeof buf, "%p", va_arg(args, void*));
            out += buf;
            break;
        default: out += directive; break;
        }
        i = j;
    }
    va_end(args);
    return reinterpret_cast<CFStringRef>(new StringObject(std::move(out)));
}

CFIndex CFStringGetLength(CFStringRef s)
{
    const StringObject* o = AsString(s);
    if (!o) return 0;
    CFIndex n = 0;
    char32_t c;
    for (size_t i = 0; i < o->text.size();) {
        if (!NextUtf8(o->text, i, c)) break;
        n += c >= 0x10000 ? 2 : 1;
    }
    return n;
}

Boolean CFStringGetCString(CFStringRef s, char* buffer, CFIndex bufferSize, CFStringEncoding encoding)
{
    if (!buffer || bufferSize <= 0) return false;
    buffer[0] = 0;
    const StringObject* o = AsString(s);
    std::string encoded;
    if (!o || !EncodeFromUtf8(o->text, encoding, encoded)) return false;
    if (CFIndex(encoded.size()) + 1 > bufferSize) return false;
    std::memcpy(buffer, encoded.c_str(), encoded.size() + 1);
    return true;
}

std::string CFStringToUTF8(CFStringRef s)
{
    const StringObject* o = AsString(s);
    return o ? o->text : std::string();
}

const char* CFStringGetCStringPtr(CFStringRef s, CFStringEncoding encoding)
{
    const StringObject* o = AsString(s);
    if (!o) return nullptr;
    if (encoding == kCFStringEncodingUTF8) return o->text.c_str();
    for (char ch : o->text)
        if (UInt8(ch) > 127) return nullptr;
    return o->text.c_str();
}

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding)
{
    return encoding == kCFStringEncodingUTF8 ? length * 3 : length;
}

SInt32 CFStringGetIntValue(CFStringRef s)
{
    const StringObject* o = AsString(s);
    return o ? SInt32(std::strtol(o->text.c_str(), nullptr, 10)) : 0;
}

CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFStringCompareFlags options)
{
    const StringObject* x = AsString(a);
    const StringObject* y = AsString(b);
    if (!x || !y) return x ? 1 : (y ? -1 : 0);
    std::string l = x->text, r = y->text;
    if (options & kCFCompareCaseInsensitive) {
        for (char& c : l) c = (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
        for (char& c : r) c = (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
    }
    const int c = l.compare(r);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

CFStringRef __CFStringMakeConstantString(const char* cStr)
{
    static std::mutex mutex;
    static auto* table = new std::unordered_map<std::string, StringObject*>;  // lives for the process
    std::lock_guard<std::mutex> lock(mutex);
    auto& entry = (*table)[cStr];
    if (!entry) entry = new StringObject(cStr, true);
    return reinterpret_cast<CFStringRef>(entry);
}
