// Interface references hold the parsed description; windows are made from it on request.
#include "platform/desktop/DialogResources.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/cf/CFString.h"
#include "platform/desktop/Controls.h"
#include "platform/desktop/Files.h"
#include "platform/desktop/InterfaceDescription.h"

struct OpaqueIBNibRef {
    InterfaceDescription description;
};

namespace {

CFRef<CFStringRef> CF(const std::string& s)
{
    return CFRef<CFStringRef>(CFStringCreateWithCString(nullptr, s.c_str(), kCFStringEncodingUTF8));
}

constexpr size_t kLargestDescription = size_t(1) << 20;

OSStatus MakeControl(WindowRef w, const InterfaceDescription::Control& d)
{
    CFRef<CFStringRef> title = CF(d.title);
    ControlRef c = nullptr;
    OSStatus r;
    switch (d.kind) {
    case kControlKindStaticText: r = CreateStaticTextControl(w, &d.bounds, title, nullptr, &c); break;
    case kControlKindCheckBox: r = CreateCheckBoxControl(w, &d.bounds, title, d.value, true, &c); break;
    case kControlKindPushButton: r = CreatePushButtonControl(w, &d.bounds, title, &c); break;
    default:
        r = CreateSliderControl(w, &d.bounds, d.value, d.minimum, d.maximum, kControlSliderPointsDownOrRight, 0, true,
                                nullptr, &c);
        if (r == noErr) SetControlValueStep(c, d.step);
        break;
    }
    if (r != noErr) return r;
    if (d.hasID) SetControlID(c, &d.id);
    if (d.command) SetControlCommandID(c, d.command);
    return noErr;
}

}  // namespace

OSStatus CreateNibReferenceWithCFBundle(CFBundleRef bundle, CFStringRef nibName, IBNibRef* outNibRef)
{
    if (!outNibRef) return paramErr;
    *outNibRef = nullptr;
    if (!bundle || !nibName) return paramErr;
    CFRef<CFURLRef> url(CFBundleCopyResourceURL(bundle, nibName, CFSTR("interface"), nullptr));
    FSRef ref;
    if (!url || !CFURLGetFSRef(url, &ref)) return kIBCarbonRuntimeCantFindNibFile;
    std::vector<UInt8> bytes;
    if (int err = ReadWholeFile(ref.path, kLargestDescription, bytes)) {
        if (err != EFBIG) return kIBCarbonRuntimeCantFindNibFile;
        std::fprintf(stderr, "%s: larger than %zu bytes\n", ref.path, kLargestDescription);
        return kDesktopInterfaceSyntaxErr;
    }
    auto* nib = new OpaqueIBNibRef;
    std::string error;
    if (!nib->description.Parse(std::string(bytes.begin(), bytes.end()), error)) {
        std::fprintf(stderr, "%s: %s\n", ref.path, error.c_str());
        delete nib;
        return kDesktopInterfaceSyntaxErr;
    }
    *outNibRef = nib;
    return noErr;
}

void DisposeNibReference(IBNibRef nibRef) { delete nibRef; }

OSStatus CreateWindowFromNib(IBNibRef nibRef, CFStringRef name, WindowRef* outWindow)
{
    if (!nibRef || !name || !outWindow) return paramErr;
    *outWindow = nullptr;
    const InterfaceDescription::Window* d = nibRef->description.Find(CFStringToUTF8(name));
    if (!d) return kIBCarbonRuntimeCantFindObject;
    WindowAttributes attrs = kWindowStandardHandlerAttribute | kWindowCloseBoxAttribute;
    WindowRef w = nullptr;
    OSStatus r = CreateNewWindow(d->windowClass, attrs, &d->bounds, &w);
    if (r != noErr) return r;
    if (!d->title.empty()) SetWindowTitleWithCFString(w, CF(d->title));
    for (const InterfaceDescription::Control& c : d->controls) {
        if ((r = MakeControl(w, c)) != noErr) {
            DisposeWindow(w);
            return r;
        }
    }
    *outWindow = w;
    return noErr;
}
