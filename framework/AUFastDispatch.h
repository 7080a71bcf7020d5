// Entries a host may call directly, without the component parameter block (property 5).
#pragma once

#include "platform/audio/AudioUnitTypes.h"

OSStatus AudioUnitBaseGetParameter(void* storage, AudioUnitParameterID id, AudioUnitScope scope,
                                   AudioUnitElement element, AudioUnitParameterValue* outValue);
OSStatus AudioUnitBaseSetParameter(void* storage, AudioUnitParameterID id, AudioUnitScope scope,
                                   AudioUnitElement element, AudioUnitParameterValue value, UInt32 bufferOffset);
OSStatus AudioUnitBaseRender(void* storage, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* timeStamp,
                             UInt32 outputBus, UInt32 frames, AudioBufferList* ioData);
