#include "editor/PreferencesDialog.h"

#include <cstdio>
#include <string>

#include "editor/EditorPreferences.h"
#include "editor/TrWkFlummelView.h"
#include "gui/Manager.h"
#include "platform/cf/CFString.h"
#include "platform/desktop/CFBundle.h"
#include "platform/desktop/Controls.h"
#include "platform/desktop/DialogResources.h"
#include "platform/desktop/LaunchServices.h"

namespace {

constexpr int kVersion[3] = {2, 0, 0};

CFBundleRef Bundle() { return CFBundleGetBundleWithIdentifier(CFSTR("com.TrWk.test.Flml")); }

ControlRef ControlWithID(WindowRef window, OSType signature)
{
    const ControlID id{signature, 0};
    ControlRef c = nullptr;
    return GetControlByID(window, &id, &c) == noErr ? c : nullptr;
}

void SetValue(WindowRef window, OSType signature, SInt32 value)
{
    if (ControlRef c = ControlWithID(window, signature)) SetControl32BitValue(c, value);
}

void FillControls(WindowRef window)
{
    char version[32];
    std::snprintf(version, sizeof version, "%d.%d.%d", kVersion[0], kVersion[1], kVersion[2]);
    if (ControlRef c = ControlWithID(window, FourCC("vers"))) {
        CFRef<CFStringRef> text(CFStringCreateWithCString(nullptr, version, kCFStringEncodingASCII));
        CFStringRef s = text.get();
        SetControlData(c, 0, kControlStaticTextCFStringTag, sizeof s, &s);
    }
    SetValue(window, FourCC("cndy"), TW::Manager::ms_enableEyeCandy.load(std::memory_order_relaxed));
    SetValue(window, FourCC("rdrw"), TW::Manager::ms_enableConstantRedraw.load(std::memory_order_relaxed));
    SetValue(window, FourCC("tltp"), TW::Manager::ms_enableTooltip.load(std::memory_order_relaxed));
    SetValue(window, FourCC("guis"), StoredGuiScale());
}

// Inverts a switch and stores its new state; returns it.
bool Toggle(std::atomic<bool>& flag, const char* key)
{
    const bool on = !flag.load(std::memory_order_relaxed);
    flag.store(on, std::memory_order_relaxed);
    SetPrefInt(key, on ? 1 : 0);
    return on;
}

// The product page is the project's README: "README.md" among the bundle's resources, else
// beside the resources directory (the source tree's layout).
void OpenProductPage()
{
    CFBundleRef bundle = Bundle();
    if (!bundle) return;
    CFRef<CFURLRef> url(CFBundleCopyResourceURL(bundle, CFSTR("README"), CFSTR("md"), nullptr));
    if (!url) {
        CFRef<CFURLRef> resources(CFBundleCopyResourcesDirectoryURL(bundle));
        CFRef<CFStringRef> dir(resources ? CFURLCopyFileSystemPath(resources, kCFURLPOSIXPathStyle) : nullptr);
        if (!dir) return;
        std::string path = CFStringToUTF8(dir);
        while (path.size() > 1 && path.back() == '/') path.pop_back();
        path = path.substr(0, path.rfind('/') + 1) + "README.md";
        CFRef<CFStringRef> file(CFStringCreateWithCString(nullptr, path.c_str(), kCFStringEncodingUTF8));
        url.reset(CFURLCreateWithFileSystemPath(nullptr, file, kCFURLPOSIXPathStyle, false));
    }
    if (url) LSOpenCFURLRef(url, nullptr);
}

}  // namespace

void AboutButtonProc(TW::Button*, void* userData)
{
    auto* view = static_cast<TrWkFlummelView*>(userData);
    IBNibRef nib = nullptr;
    OSStatus err = CreateNibReferenceWithCFBundle(Bundle(), CFSTR("windows"), &nib);
    if (err != noErr) {
        std::printf("CreateNibReferenceWithCFBundle %d\n", int(err));
        return;
    }
    WindowRef window = nullptr;
    err = CreateWindowFromNib(nib, CFSTR("Dialog"), &window);
    DisposeNibReference(nib);
    if (err != noErr) {
        std::printf("CreateWindowFromNib %d\n", int(err));
        return;
    }
    const EventTypeSpec hit{kEventClassControl, kEventControlHit};
    InstallWindowEventHandler(window, AboutDialogHandler, 1, &hit, view, nullptr);
    view->AddDialog(window);
    FillControls(window);
    ShowWindow(window);
}

OSStatus AboutDialogHandler(EventHandlerCallRef, EventRef event, void* userData)
{
    auto* view = static_cast<TrWkFlummelView*>(userData);
    ControlRef control = nullptr;
    GetEventParameter(event, kEventParamDirectObject, typeControlRef, nullptr, sizeof control, nullptr, &control);
    UInt32 command = 0;
    if (!control || GetControlCommandID(control, &command) != noErr) return noErr;
    WindowRef window = GetControlOwner(control);
    TW::Manager* manager = view->GetManager();

    switch (command) {
    case FourCC("cndy"): Toggle(TW::Manager::ms_enableEyeCandy, kPrefEyeCandy); break;
    case FourCC("rdrw"):
        if (Toggle(TW::Manager::ms_enableConstantRedraw, kPrefConstantRedraw) && manager) manager->NudgeGUI();
        break;
    case FourCC("tltp"): Toggle(TW::Manager::ms_enableTooltip, kPrefTooltip); break;
    case FourCC("guis"): {
        const SInt32 percent = GetControl32BitValue(control);
        SetPrefInt(kPrefGuiScale, percent);
        view->SetGuiScale(float(percent) * 0.01f, false);
        SelectWindow(window);  // back above the host window, which showing raised
        break;
    }
    case FourCC("gsrs"):
        SetPrefInt(kPrefGuiScale, 100);
        SetValue(window, FourCC("guis"), 100);
        view->SetGuiScale(1.0f, false);
        SelectWindow(window);
        break;
    case FourCC("vweb"): OpenProductPage(); break;
    case FourCC("ok  "):
        HideWindow(window);
        DisposeWindow(window);  // the view forgets it as it closes
        break;
    default: break;
    }
    return noErr;
}
