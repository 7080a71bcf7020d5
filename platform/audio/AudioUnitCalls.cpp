#include "platform/audio/AudioUnitCalls.h"

#include "platform/audio/AudioUnitCallArgs.h"

OSStatus AudioUnitInitialize(AudioUnit unit) { return CallComponent(unit, kAudioUnitInitializeSelect); }

OSStatus AudioUnitUninitialize(AudioUnit unit) { return CallComponent(unit, kAudioUnitUninitializeSelect); }

OSStatus AudioUnitGetPropertyInfo(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                                  AudioUnitElement element, UInt32* outDataSize, Boolean* outWritable)
{
    return CallComponentRecord(unit, kAudioUnitGetPropertyInfoSelect,
                               AudioUnitGetPropertyInfoArgs{.outWritable = outWritable, .outDataSize = outDataSize,
                                                            .element = element, .scope = scope, .id = id});
}

OSStatus AudioUnitGetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                              void* outData, UInt32* ioDataSize)
{
    return CallComponentRecord(unit, kAudioUnitGetPropertySelect,
                               AudioUnitGetPropertyArgs{.ioDataSize = ioDataSize, .outData = outData,
                                                        .element = element, .scope = scope, .id = id});
}

OSStatus AudioUnitSetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                              const void* inData, UInt32 inDataSize)
{
    return CallComponentRecord(unit, kAudioUnitSetPropertySelect,
                               AudioUnitSetPropertyArgs{.inDataSize = inDataSize, .inData = inData,
                                                        .element = element, .scope = scope, .id = id});
}

OSStatus AudioUnitGetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue* outValue)
{
    return CallComponentRecord(
        unit, kAudioUnitGetParameterSelect,
        AudioUnitGetParameterArgs{.outValue = outValue, .element = element, .scope = scope, .id = id});
}

OSStatus AudioUnitSetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue value, UInt32 bufferOffset)
{
    return CallComponentRecord(unit, kAudioUnitSetParameterSelect,
                               AudioUnitSetParameterArgs{.bufferOffset = bufferOffset, .value = value,
                                                         .element = element, .scope = scope, .id = id});
}

OSStatus AudioUnitReset(AudioUnit unit, AudioUnitScope scope, AudioUnitElement element)
{
    return CallComponentRecord(unit, kAudioUnitResetSelect, AudioUnitResetArgs{.element = element, .scope = scope});
}

OSStatus AudioUnitAddPropertyListener(AudioUnit unit, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                      void* userData)
{
    return CallComponentRecord(unit, kAudioUnitAddPropertyListenerSelect,
                               AudioUnitAddPropertyListenerArgs{.userData = userData, .proc = proc, .id = id});
}

OSStatus AudioUnitRemovePropertyListener(AudioUnit unit, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc)
{
    return CallComponentRecord(unit, kAudioUnitRemovePropertyListenerSelect,
                               AudioUnitRemovePropertyListenerArgs{.proc = proc, .id = id});
}

OSStatus AudioUnitRender(AudioUnit unit, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* inTimeStamp,
                         UInt32 inOutputBusNumber, UInt32 inNumberFrames, AudioBufferList* ioData)
{
    return CallComponentRecord(unit, kAudioUnitRenderSelect,
                               AudioUnitRenderArgs{.ioData = ioData, .inNumberFrames = inNumberFrames,
                                                   .inOutputBusNumber = inOutputBusNumber, .inTimeStamp = inTimeStamp,
                                                   .ioActionFlags = ioActionFlags});
}

OSStatus AudioUnitAddRenderNotify(AudioUnit unit, AURenderCallback proc, void* userData)
{
    return CallComponentRecord(unit, kAudioUnitAddRenderNotifySelect,
                               AudioUnitRenderNotifyArgs{.userData = userData, .proc = proc});
}

OSStatus AudioUnitRemoveRenderNotify(AudioUnit unit, AURenderCallback proc, void* userData)
{
    return CallComponentRecord(unit, kAudioUnitRemoveRenderNotifySelect,
                               AudioUnitRenderNotifyArgs{.userData = userData, .proc = proc});
}

OSStatus AudioUnitScheduleParameters(AudioUnit unit, const AudioUnitParameterEvent* events, UInt32 count)
{
    return CallComponentRecord(unit, kAudioUnitScheduleParametersSelect,
                               AudioUnitScheduleParametersArgs{.count = count, .events = events});
}
