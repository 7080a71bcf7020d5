// The UI module's one exported symbol.
#include "plugins/lv2/ui/Lv2UiDescriptor.h"

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) { return Lv2UiDescriptor(index); }
