// The argument record of each audio unit selector that takes arguments: a host call fills one and
// sends it as the parameter block's payload (CallComponentRecord); the unit's entry reads it back
// (ComponentParamRecord). Fields are in block order, the reverse of the call's argument list, and
// each starts its own pointer-sized slot, so the block looks as it does to an entry that reads it
// by position.
#pragma once

#include "platform/audio/AudioUnitTypes.h"

struct AudioUnitGetPropertyInfoArgs {
    Boolean* outWritable;
    UInt32* outDataSize;
    alignas(intptr_t) AudioUnitElement element;
    alignas(intptr_t) AudioUnitScope scope;
    alignas(intptr_t) AudioUnitPropertyID id;
};
static_assert(sizeof(AudioUnitGetPropertyInfoArgs) == 5 * sizeof(intptr_t));

struct AudioUnitGetPropertyArgs {
    UInt32* ioDataSize;
    void* outData;
    alignas(intptr_t) AudioUnitElement element;
    alignas(intptr_t) AudioUnitScope scope;
    alignas(intptr_t) AudioUnitPropertyID id;
};
static_assert(sizeof(AudioUnitGetPropertyArgs) == 5 * sizeof(intptr_t));

struct AudioUnitSetPropertyArgs {
    alignas(intptr_t) UInt32 inDataSize;
    const void* inData;
    alignas(intptr_t) AudioUnitElement element;
    alignas(intptr_t) AudioUnitScope scope;
    alignas(intptr_t) AudioUnitPropertyID id;
};
static_assert(sizeof(AudioUnitSetPropertyArgs) == 5 * sizeof(intptr_t));

struct AudioUnitGetParameterArgs {
    AudioUnitParameterValue* outValue;
    alignas(intptr_t) AudioUnitElement element;
    alignas(intptr_t) AudioUnitScope scope;
    alignas(intptr_t) AudioUnitParameterID id;
};
static_assert(sizeof(AudioUnitGetParameterArgs) == 4 * sizeof(intptr_t));

struct AudioUnitSetParameterArgs {
    alignas(intptr_t) UInt32 bufferOffset;
    alignas(intptr_t) AudioUnitParameterValue value;
    alignas(intptr_t) AudioUnitElement element;
    alignas(intptr_t) AudioUnitScope scope;
    alignas(intptr_t) AudioUnitParameterID id;
};
static_assert(sizeof(AudioUnitSetParameterArgs) == 5 * sizeof(intptr_t));

struct AudioUnitResetArgs {
    alignas(intptr_t) AudioUnitElement element;
    alignas(intptr_t) AudioUnitScope scope;
};
static_assert(sizeof(AudioUnitResetArgs) == 2 * sizeof(intptr_t));

struct AudioUnitAddPropertyListenerArgs {
    void* userData;
    AudioUnitPropertyListenerProc proc;
    alignas(intptr_t) AudioUnitPropertyID id;
};
static_assert(sizeof(AudioUnitAddPropertyListenerArgs) == 3 * sizeof(intptr_t));

struct AudioUnitRemovePropertyListenerArgs {
    AudioUnitPropertyListenerProc proc;
    alignas(intptr_t) AudioUnitPropertyID id;
};
static_assert(sizeof(AudioUnitRemovePropertyListenerArgs) == 2 * sizeof(intptr_t));

struct AudioUnitRenderArgs {
    AudioBufferList* ioData;
    alignas(intptr_t) UInt32 inNumberFrames;
    alignas(intptr_t) UInt32 inOutputBusNumber;
    const AudioTimeStamp* inTimeStamp;
    AudioUnitRenderActionFlags* ioActionFlags;
};
static_assert(sizeof(AudioUnitRenderArgs) == 5 * sizeof(intptr_t));

// Add and remove render notify.
struct AudioUnitRenderNotifyArgs {
    void* userData;
    AURenderCallback proc;
};
static_assert(sizeof(AudioUnitRenderNotifyArgs) == 2 * sizeof(intptr_t));

struct AudioUnitScheduleParametersArgs {
    alignas(intptr_t) UInt32 count;
    const AudioUnitParameterEvent* events;
};
static_assert(sizeof(AudioUnitScheduleParametersArgs) == 2 * sizeof(intptr_t));
