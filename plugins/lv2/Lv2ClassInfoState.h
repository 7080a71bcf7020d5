// The plug-in's LV2 state: one property holding the effect's class-info dictionary as XML
// property-list text (an atom:String), read and written through the host calls.
#pragma once

#include <lv2/state/state.h>

#include "platform/audio/AudioUnitTypes.h"
#include "plugins/lv2/Lv2Uris.h"

class Lv2ClassInfoState {
public:
    static LV2_State_Status Save(AudioUnit unit, const Lv2Uris& uris, LV2_State_Store_Function store,
                                 LV2_State_Handle handle);
    // Accepts the text as atom:String or atom:Chunk, with or without its terminating NUL.
    static LV2_State_Status Restore(AudioUnit unit, const Lv2Uris& uris, LV2_State_Retrieve_Function retrieve,
                                    LV2_State_Handle handle);
};
