// The process's one bundle and its resource lookup.
#include "platform/desktop/CFBundle.h"

#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "platform/cf/CFObject.h"
#include "platform/cf/CFString.h"

#ifndef FLUMMEL_BUNDLE_IDENTIFIER
#error "the build names the bundle (FLUMMEL_BUNDLE_IDENTIFIER)"
#endif
#ifndef FLUMMEL_DEFAULT_RESOURCES
#error "the build names the bundle's resources directory (FLUMMEL_DEFAULT_RESOURCES)"
#endif

namespace {

constexpr CFTypeID kCFTypeIDBundle = 31;

struct BundleObject : CFObject {
    BundleObject() : CFObject(kCFTypeIDBundle, true) {}
    CFStringRef identifier = CFSTR(FLUMMEL_BUNDLE_IDENTIFIER);
};

BundleObject* AsBundle(CFBundleRef b) { return CFCast<BundleObject>(b, kCFTypeIDBundle); }

BundleObject& TheBundle()
{
    static BundleObject* b = new BundleObject;  // immortal: outlives every static that may use it
    return *b;
}

// True when a relative path stays inside its directory.
bool StaysInside(const std::string& rel)
{
    if (rel.empty() || rel[0] == '/') return false;
    size_t start = 0;
    while (start <= rel.size()) {
        size_t slash = rel.find('/', start);
        std::string part = rel.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (part == "..") return false;
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    return true;
}

std::string ResourcesDirectory()
{
    const char* env = std::getenv("FLUMMEL_RESOURCES");
    std::string dir = env && *env ? env : FLUMMEL_DEFAULT_RESOURCES;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir;
}

CFURLRef FileURL(const std::string& path, bool isDirectory)
{
    CFRef<CFStringRef> s(CFStringCreateWithCString(nullptr, path.c_str(), kCFStringEncodingUTF8));
    return s ? CFURLCreateWithFileSystemPath(nullptr, s, kCFURLPOSIXPathStyle, isDirectory) : nullptr;
}

}  // namespace

CFTypeID CFBundleGetTypeID() { return kCFTypeIDBundle; }

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID)
{
    if (!bundleID || !CFEqual(bundleID, TheBundle().identifier)) return nullptr;
    return reinterpret_cast<CFBundleRef>(&TheBundle());
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle)
{
    BundleObject* b = AsBundle(bundle);
    return b ? b->identifier : nullptr;
}

CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle)
{
    return AsBundle(bundle) ? FileURL(ResourcesDirectory(), true) : nullptr;
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName, CFStringRef resourceType,
                                 CFStringRef subDirName)
{
    if (!AsBundle(bundle) || !resourceName) return nullptr;
    const std::string name = CFStringToUTF8(resourceName), type = CFStringToUTF8(resourceType),
                      sub = CFStringToUTF8(subDirName);
    std::string rel = sub.empty() ? name : sub + "/" + name;
    if (!type.empty()) rel += "." + type;
    if (name.empty() || rel.find('\0') != std::string::npos || !StaysInside(rel)) return nullptr;
    std::string path = ResourcesDirectory() + "/" + rel;
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return nullptr;
    return FileURL(path, S_ISDIR(st.st_mode));
}
