// URL objects: the text of the URL and, for file URLs, the decoded path.
#include "platform/desktop/CFURL.h"

#include <unistd.h>

#include <cctype>
#include <cstring>
#include <string>

#include "platform/cf/CFObject.h"
#include "platform/cf/CFString.h"

namespace {

constexpr CFTypeID kCFTypeIDURL = 29;

struct URLObject : CFObject {
    URLObject(std::string t, std::string s, std::string p)
        : CFObject(kCFTypeIDURL), text(std::move(t)), scheme(std::move(s)), path(std::move(p)),
          string(CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8))
    {
    }
    bool Equals(const CFObject& o) const override { return text == static_cast<const URLObject&>(o).text; }
    CFHashCode Hash() const override { return std::hash<std::string>()(text); }
    std::string Describe() const override { return text; }

    std::string text;
    std::string scheme;
    std::string path;  // file URLs only
    CFRef<CFStringRef> string;
};

URLObject* AsURL(CFURLRef u) { return CFCast<URLObject>(u, kCFTypeIDURL); }

// The text of a string that can be a URL or a path: false for none, an empty one or one holding NUL.
bool UTF8(CFStringRef s, std::string& out)
{
    out = CFStringToUTF8(s);
    return !out.empty() && out.find('\0') == std::string::npos;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Percent escapes of a URL path decoded; false for a malformed escape or an escaped NUL.
bool Unescape(const std::string& s, std::string& out)
{
    out.clear();
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            out += s[i];
            continue;
        }
        if (i + 2 >= s.size() || HexDigit(s[i + 1]) < 0 || HexDigit(s[i + 2]) < 0) return false;
        char c = char(HexDigit(s[i + 1]) * 16 + HexDigit(s[i + 2]));
        if (!c) return false;  // a path cannot hold NUL
        out += c;
        i += 2;
    }
    return true;
}

std::string Escape(const std::string& path)
{
    static const char* kHex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                     std::strchr("/-._~!$&'()*+,;=:@", c);
        if (plain && c) {
            out += char(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

CFURLRef Make(const std::string& text)
{
    size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0) return nullptr;
    for (size_t i = 0; i < colon; ++i) {
        char c = text[i];
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (i > 0 && ((c >= '0' && c <= '9') || c == '+' ||
                                                                                 c == '-' || c == '.'));
        if (!ok) return nullptr;
    }
    std::string scheme = text.substr(0, colon);
    for (char& c : scheme) c = char(std::tolower(static_cast<unsigned char>(c)));
    std::string path;
    if (scheme == "file") {
        std::string rest = text.substr(colon + 1);
        if (rest.compare(0, 2, "//") == 0) {
            size_t slash = rest.find('/', 2);
            std::string host = rest.substr(2, slash == std::string::npos ? std::string::npos : slash - 2);
            if (!host.empty() && host != "localhost") return nullptr;  // only local files
            rest = slash == std::string::npos ? "/" : rest.substr(slash);
        }
        if (rest.empty() || rest[0] != '/' || !Unescape(rest, path)) return nullptr;
    }
    return reinterpret_cast<CFURLRef>(new URLObject(text, scheme, path));
}

}  // namespace

CFTypeID CFURLGetTypeID() { return kCFTypeIDURL; }

CFURLRef CFURLCreateWithString(CFAllocatorRef, CFStringRef urlString, CFURLRef)
{
    std::string text;
    if (!UTF8(urlString, text)) return nullptr;
    return Make(text);
}

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef filePath, CFURLPathStyle pathStyle,
                                       Boolean isDirectory)
{
    std::string path;
    if (pathStyle != kCFURLPOSIXPathStyle || !UTF8(filePath, path)) return nullptr;
    if (path[0] != '/') {
        char cwd[4096];
        if (!getcwd(cwd, sizeof cwd)) return nullptr;
        path = std::string(cwd) + "/" + path;
    }
    if (isDirectory && path.back() != '/') path += '/';
    return reinterpret_cast<CFURLRef>(new URLObject("file://" + Escape(path), "file", path));
}

CFStringRef CFURLGetString(CFURLRef url)
{
    URLObject* u = AsURL(url);
    return u ? u->string.get() : nullptr;
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle pathStyle)
{
    URLObject* u = AsURL(url);
    if (!u || u->scheme != "file" || pathStyle != kCFURLPOSIXPathStyle) return nullptr;
    std::string p = u->path;
    if (p.size() > 1 && p.back() == '/') p.pop_back();
    return CFStringCreateWithCString(nullptr, p.c_str(), kCFStringEncodingUTF8);
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, UInt8* buffer, CFIndex maxBufLen)
{
    URLObject* u = AsURL(url);
    if (!u || u->scheme != "file" || !buffer || maxBufLen <= 0) return false;
    if (CFIndex(u->path.size()) + 1 > maxBufLen) return false;
    std::memcpy(buffer, u->path.c_str(), u->path.size() + 1);
    return true;
}

CFStringRef CFURLCopyScheme(CFURLRef url)
{
    URLObject* u = AsURL(url);
    return u ? CFStringCreateWithCString(nullptr, u->scheme.c_str(), kCFStringEncodingUTF8) : nullptr;
}
