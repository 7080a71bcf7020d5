// The module's one exported symbol.
#include "plugins/lv2/Lv2Descriptor.h"

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) { return Lv2Descriptor::At(index); }
