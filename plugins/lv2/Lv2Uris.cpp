#include "plugins/lv2/Lv2Uris.h"

#include <lv2/atom/atom.h>
#include <lv2/time/time.h>

#include "plugins/lv2/Lv2Variant.h"

Lv2Uris::Lv2Uris(const LV2_URID_Map* map)
{
    if (!map) return;
    auto m = [map](const char* uri) { return map->map(map->handle, uri); };
    atomBlank = m(LV2_ATOM__Blank);
    atomObject = m(LV2_ATOM__Object);
    atomSequence = m(LV2_ATOM__Sequence);
    atomFloat = m(LV2_ATOM__Float);
    atomDouble = m(LV2_ATOM__Double);
    atomInt = m(LV2_ATOM__Int);
    atomLong = m(LV2_ATOM__Long);
    atomString = m(LV2_ATOM__String);
    atomChunk = m(LV2_ATOM__Chunk);
    timePosition = m(LV2_TIME__Position);
    timeBeatsPerMinute = m(LV2_TIME__beatsPerMinute);
    timeBeat = m(LV2_TIME__beat);
    timeSpeed = m(LV2_TIME__speed);
    classInfo = m(kLv2ClassInfoKey);
}
