// The UI descriptor of the bundle: one X11 UI for both plug-ins, which finds the port layout
// from the plug-in URI it is instantiated for.
#pragma once

#include <lv2/ui/ui.h>

inline constexpr const char* kLv2UiUri = "urn:flummel:lv2:ui";

const LV2UI_Descriptor* Lv2UiDescriptor(uint32_t index);
