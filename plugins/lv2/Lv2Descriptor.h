// The LV2 descriptors of the bundle's plug-ins; what the module's lv2_descriptor() returns.
#pragma once

#include <cstdint>

#include <lv2/core/lv2.h>

class Lv2Descriptor {
public:
    // Null past the last plug-in.
    static const LV2_Descriptor* At(uint32_t index);
};
