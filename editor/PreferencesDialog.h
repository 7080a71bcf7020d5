// The modeless preferences dialog that the Prefs button opens: the toolkit's switches, the window
// scale and the product page. Main thread.
#pragma once

#include "platform/desktop/Events.h"

namespace TW {
class Button;
}

// Opens one more dialog for the view given as user data (a TrWkFlummelView).
void AboutButtonProc(TW::Button* button, void* view);
// Control hits in a dialog, by command ID; always reports success.
OSStatus AboutDialogHandler(EventHandlerCallRef call, EventRef event, void* view);
