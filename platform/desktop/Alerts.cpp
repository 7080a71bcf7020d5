// Alerts built from the standard controls: the kind and message on top, the explanation, OK.
#include "platform/desktop/Alerts.h"

#include <cstdio>
#include <string>

#include "platform/desktop/Controls.h"
#include "platform/desktop/Events.h"

struct OpaqueDialogPtr {
    WindowRef window = nullptr;
    std::string text;  // for standard error when there is no display
    bool answered = false;
};

namespace {

constexpr SInt16 kWidth = 420, kHeight = 150;

const char* KindName(AlertType t)
{
    switch (t) {
    case kAlertStopAlert: return "Stop";
    case kAlertCautionAlert: return "Caution";
    case kAlertNoteAlert: return "Note";
    default: return "";
    }
}

OSStatus AddText(WindowRef w, SInt16 top, const std::string& text)
{
    Rect r{top, 20, SInt16(top + 16), SInt16(kWidth - 20)};
    CFRef<CFStringRef> s(CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8));
    ControlRef c = nullptr;
    return CreateStaticTextControl(w, &r, s ? s.get() : CFSTR(""), nullptr, &c);
}

OSStatus Answer(EventHandlerCallRef, EventRef e, void* data)
{
    auto* d = static_cast<OpaqueDialogPtr*>(data);
    UInt32 cls = GetEventClass(e), kind = GetEventKind(e);
    if (cls == kEventClassControl) {
        ControlRef c = nullptr;
        UInt32 cmd = 0;
        GetEventParameter(e, kEventParamDirectObject, typeControlRef, nullptr, sizeof c, nullptr, &c);
        GetControlCommandID(c, &cmd);
        if (cmd != kHICommandOK) return eventNotHandledErr;
    } else if (cls == kEventClassKeyboard) {
        char ch = 0;
        GetEventParameter(e, kEventParamKeyMacCharCodes, typeChar, nullptr, 1, nullptr, &ch);
        if (ch != '\r' && ch != 3 && ch != 27) return eventNotHandledErr;  // Return, Enter, Escape
    } else if (kind != kEventWindowClose) {
        return eventNotHandledErr;
    }
    d->answered = true;
    return noErr;
}

}  // namespace

OSStatus CreateStandardAlert(AlertType alertType, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec*, DialogRef* outAlert)
{
    if (!outAlert) return paramErr;
    *outAlert = nullptr;
    if (!error) return paramErr;
    auto* d = new OpaqueDialogPtr;
    const std::string kind = KindName(alertType), more = CFStringToUTF8(explanation);
    const std::string headline = (kind.empty() ? "" : kind + ": ") + CFStringToUTF8(error);
    d->text = headline + (more.empty() ? "" : " (" + more + ")");
    Rect bounds{200, 300, SInt16(200 + kHeight), SInt16(300 + kWidth)};
    OSStatus r = CreateNewWindow(kMovableModalWindowClass, kWindowStandardHandlerAttribute | kWindowCloseBoxAttribute,
                                 &bounds, &d->window);
    if (r == kDesktopNoDisplayErr) {  // still an alert: it will be told on standard error
        *outAlert = d;
        return noErr;
    }
    if (r != noErr) {
        delete d;
        return r;
    }
    SetWindowTitleWithCFString(d->window, CFSTR("Alert"));
    ControlRef ok = nullptr;
    Rect okBounds{SInt16(kHeight - 46), SInt16(kWidth - 110), SInt16(kHeight - 16), SInt16(kWidth - 20)};
    const ControlID okID{kHICommandOK, 0};
    if ((r = AddText(d->window, 20, headline)) != noErr ||
        (r = AddText(d->window, 50, more)) != noErr ||
        (r = CreatePushButtonControl(d->window, &okBounds, CFSTR("OK"), &ok)) != noErr) {
        DisposeWindow(d->window);
        delete d;
        return r;
    }
    SetControlCommandID(ok, kHICommandOK);
    SetControlID(ok, &okID);
    const EventTypeSpec answers[] = {{kEventClassControl, kEventControlHit},
                                     {kEventClassKeyboard, kEventRawKeyDown},
                                     {kEventClassWindow, kEventWindowClose}};
    InstallWindowEventHandler(d->window, Answer, 3, answers, d, nullptr);
    *outAlert = d;
    return noErr;
}

WindowRef GetDialogWindow(DialogRef dialog) { return dialog ? dialog->window : nullptr; }

OSStatus RunStandardAlert(DialogRef alert, ModalFilterUPP, DialogItemIndex* outItemHit)
{
    if (!alert) return paramErr;
    if (!alert->window) {
        std::fprintf(stderr, "%s\n", alert->text.c_str());
    } else {
        ShowWindow(alert->window);
        SelectWindow(alert->window);
        while (!alert->answered) RunCurrentEventLoop(0.05);
        DisposeWindow(alert->window);
    }
    delete alert;
    if (outItemHit) *outItemHit = kAlertStdAlertOKButton;
    return noErr;
}

OSErr StandardAlert(AlertType alertType, ConstStr255Param error, ConstStr255Param explanation,
                    const AlertStdAlertParamRec*, SInt16* outItemHit)
{
    auto make = [](ConstStr255Param p) {
        return CFRef<CFStringRef>(p ? CFStringCreateWithBytes(nullptr, p + 1, p[0], kCFStringEncodingMacRoman, false)
                                    : nullptr);
    };
    CFRef<CFStringRef> e = make(error), x = make(explanation);
    DialogRef d = nullptr;
    OSStatus r = CreateStandardAlert(alertType, e ? e.get() : CFSTR(""), x, nullptr, &d);
    if (r != noErr) return OSErr(r);
    DialogItemIndex item = 0;
    r = RunStandardAlert(d, nullptr, &item);
    if (outItemHit) *outItemHit = item;
    return OSErr(r);
}
