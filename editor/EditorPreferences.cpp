#include "editor/EditorPreferences.h"

#include <algorithm>

#include "platform/cf/CFNumber.h"
#include "platform/cf/CFString.h"
#include "platform/desktop/CFPreferences.h"

namespace {

CFRef<CFStringRef> Ascii(const char* s)
{
    return CFRef<CFStringRef>(CFStringCreateWithCString(nullptr, s, kCFStringEncodingASCII));
}

CFRef<CFStringRef> Domain() { return Ascii("com.tarnwick.Flummel"); }

}  // namespace

int GetPrefInt(const char* key, int defaultValue)
{
    CFRef<CFPropertyListRef> value(CFPreferencesCopyAppValue(Ascii(key), Domain()));
    int result = defaultValue;
    if (value && CFGetTypeID(value) == CFNumberGetTypeID()) {
        int n = 0;
        if (CFNumberGetValue(static_cast<CFNumberRef>(value.get()), kCFNumberIntType, &n)) result = n;
    }
    return result;
}

int StoredGuiScale()
{
    return std::clamp(GetPrefInt(kPrefGuiScale, 100), kMinGuiScale, kMaxGuiScale);
}

void SetPrefInt(const char* key, int value)
{
    CFRef<CFNumberRef> number(CFNumberCreate(nullptr, kCFNumberIntType, &value));
    CFRef<CFStringRef> domain = Domain();
    CFPreferencesSetAppValue(Ascii(key), number, domain);
    CFPreferencesAppSynchronize(domain);
}
