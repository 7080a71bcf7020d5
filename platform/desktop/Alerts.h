// Standard alerts: a small modal window with a message, an explanation and an OK button, run
// until OK (or Return, or the window's close box) ends it. Main thread. Without a display the
// alert's text goes to standard error and running it returns at once.
#pragma once

#include "platform/cf/CFString.h"
#include "platform/desktop/Windows.h"

typedef SInt16 AlertType;
enum : AlertType {
    kAlertStopAlert = 0,
    kAlertNoteAlert = 1,
    kAlertCautionAlert = 2,
    kAlertPlainAlert = 3,
};
typedef SInt16 DialogItemIndex;
enum : DialogItemIndex {
    kAlertStdAlertOKButton = 1,
};
enum : UInt32 {
    kHICommandOK = FourCC("ok  "),
};

typedef struct OpaqueDialogPtr* DialogRef;
struct AlertStdCFStringAlertParamRec;  // only the default button set (OK) exists: pass null
struct AlertStdAlertParamRec;
typedef void* ModalFilterUPP;
typedef const unsigned char* ConstStr255Param;  // length byte, then the text

// The alert's window is hidden until it runs. The explanation may be null.
OSStatus CreateStandardAlert(AlertType alertType, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec* param, DialogRef* outAlert);
WindowRef GetDialogWindow(DialogRef dialog);
// Shows the alert, runs the event loop until it is answered, then disposes of it.
OSStatus RunStandardAlert(DialogRef alert, ModalFilterUPP filterProc, DialogItemIndex* outItemHit);
// Both steps at once, with the texts as length-prefixed strings (in Mac Roman).
OSErr StandardAlert(AlertType alertType, ConstStr255Param error, ConstStr255Param explanation,
                    const AlertStdAlertParamRec* param, SInt16* outItemHit);
