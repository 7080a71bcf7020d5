// The URIDs the plug-in reads and writes, mapped once at instantiation. Without the host's
// map feature every URID stays 0 and Mapped() is false.
#pragma once

#include <lv2/urid/urid.h>

struct Lv2Uris {
    Lv2Uris() = default;
    explicit Lv2Uris(const LV2_URID_Map* map);

    bool Mapped() const { return atomSequence != 0; }

    LV2_URID atomBlank = 0;
    LV2_URID atomObject = 0;
    LV2_URID atomSequence = 0;
    LV2_URID atomFloat = 0;
    LV2_URID atomDouble = 0;
    LV2_URID atomInt = 0;
    LV2_URID atomLong = 0;
    LV2_URID atomString = 0;
    LV2_URID atomChunk = 0;
    LV2_URID timePosition = 0;
    LV2_URID timeBeatsPerMinute = 0;
    LV2_URID timeBeat = 0;
    LV2_URID timeSpeed = 0;
    LV2_URID classInfo = 0;
};
