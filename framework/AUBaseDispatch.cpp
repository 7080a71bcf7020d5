// The audio unit selectors of the component entry, and the fast-dispatch entries.
#include "framework/AUBase.h"
#include "framework/AUFastDispatch.h"

namespace {

template <typename T>
T Arg(const ComponentParameters* p, int i)
{
    return reinterpret_cast<T>(ComponentParam(p, i));
}

UInt32 ArgU32(const ComponentParameters* p, int i) { return UInt32(ComponentParam(p, i)); }

// The selectors this entry answers itself for "can do".
bool IsAudioUnitSelector(SInt16 s)
{
    return (s >= 1 && s <= 7) || (s >= 9 && s <= 11) || (s >= 14 && s <= 17);
}

}  // namespace

ComponentResult AUBase::ComponentEntryDispatch(ComponentParameters* p, AUBase* unit)
{
    if (!unit) return paramErr;
    switch (p->what) {
    case kComponentCanDoSelect: {
        const SInt16 asked = SInt16(ComponentParam(p, 0));
        if (IsAudioUnitSelector(asked)) return 1;
        return ComponentBase::ComponentEntryDispatch(p, unit);
    }
    case kAudioUnitInitializeSelect:
        return unit->DoInitialize();
    case kAudioUnitUninitializeSelect:
        unit->DoCleanup();
        return noErr;
    case kAudioUnitGetPropertyInfoSelect: {
        UInt32 size = 0;
        Boolean writable = false;
        const OSStatus result =
            unit->DispatchGetPropertyInfo(ArgU32(p, 0), ArgU32(p, 1), ArgU32(p, 2), size, writable);
        if (auto* outSize = Arg<UInt32*>(p, 3)) *outSize = size;
        if (auto* outWritable = Arg<Boolean*>(p, 4)) *outWritable = writable;
        return result;
    }
    case kAudioUnitGetPropertySelect:
        return unit->GetPropertyForCaller(ArgU32(p, 0), ArgU32(p, 1), ArgU32(p, 2), Arg<void*>(p, 3),
                                          Arg<UInt32*>(p, 4));
    case kAudioUnitSetPropertySelect: {
        const void* data = Arg<const void*>(p, 3);
        const UInt32 size = ArgU32(p, 4);
        if (!data) {
            if (size != 0) return paramErr;
            return unit->DispatchRemovePropertyValue(ArgU32(p, 0), ArgU32(p, 1), ArgU32(p, 2));
        }
        if (size == 0) return paramErr;
        return unit->DispatchSetProperty(ArgU32(p, 0), ArgU32(p, 1), ArgU32(p, 2), data, size);
    }
    case kAudioUnitGetParameterSelect: {
        auto* value = Arg<AudioUnitParameterValue*>(p, 3);
        if (!value) return paramErr;
        return unit->GetParameter(ArgU32(p, 0), ArgU32(p, 1), ArgU32(p, 2), *value);
    }
    case kAudioUnitSetParameterSelect:
        return unit->SetParameter(ArgU32(p, 0), ArgU32(p, 1), ArgU32(p, 2), ComponentArgFloat(ComponentParam(p, 3)),
                                  ArgU32(p, 4));
    case kAudioUnitResetSelect:
        unit->mLastRenderedSampleTime = -1.0;
        return unit->Reset(ArgU32(p, 0), ArgU32(p, 1));
    case kAudioUnitAddPropertyListenerSelect:
        return unit->AddPropertyListener(ArgU32(p, 0), Arg<AudioUnitPropertyListenerProc>(p, 1), Arg<void*>(p, 2));
    case kAudioUnitRemovePropertyListenerSelect:
        return unit->RemovePropertyListener(ArgU32(p, 0), Arg<AudioUnitPropertyListenerProc>(p, 1));
    case kAudioUnitRenderSelect: {
        auto* flags = Arg<AudioUnitRenderActionFlags*>(p, 0);
        const auto* timeStamp = Arg<const AudioTimeStamp*>(p, 1);
        auto* data = Arg<AudioBufferList*>(p, 4);
        if (!timeStamp || !data) return paramErr;
        AudioUnitRenderActionFlags localFlags = 0;
        return unit->DoRender(flags ? *flags : localFlags, *timeStamp, ArgU32(p, 2), ArgU32(p, 3), *data);
    }
    case kAudioUnitAddRenderNotifySelect:
        return unit->SetRenderNotification(Arg<AURenderCallback>(p, 0), Arg<void*>(p, 1));
    case kAudioUnitRemoveRenderNotifySelect:
        return unit->RemoveRenderNotification(Arg<AURenderCallback>(p, 0), Arg<void*>(p, 1));
    case kAudioUnitScheduleParametersSelect:
        return unit->ScheduleParameter(Arg<const AudioUnitParameterEvent*>(p, 0), ArgU32(p, 1));
    default:
        return ComponentBase::ComponentEntryDispatch(p, unit);
    }
}

namespace {

AUBase* UnitOf(void* storage) { return static_cast<AUBase*>(static_cast<ComponentBase*>(storage)); }

}  // namespace

OSStatus AudioUnitBaseGetParameter(void* storage, AudioUnitParameterID id, AudioUnitScope scope,
                                   AudioUnitElement element, AudioUnitParameterValue* outValue)
{
    if (!storage || !outValue) return paramErr;
    try {
        return UnitOf(storage)->GetParameter(id, scope, element, *outValue);
    } catch (...) {
        return ComponentBase::ResultOfCurrentException();
    }
}

OSStatus AudioUnitBaseSetParameter(void* storage, AudioUnitParameterID id, AudioUnitScope scope,
                                   AudioUnitElement element, AudioUnitParameterValue value, UInt32 bufferOffset)
{
    if (!storage) return paramErr;
    try {
        return UnitOf(storage)->SetParameter(id, scope, element, value, bufferOffset);
    } catch (...) {
        return ComponentBase::ResultOfCurrentException();
    }
}

OSStatus AudioUnitBaseRender(void* storage, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* timeStamp,
                             UInt32 outputBus, UInt32 frames, AudioBufferList* ioData)
{
    if (!storage || !timeStamp || !ioData) return paramErr;
    try {
        AudioUnitRenderActionFlags localFlags = 0;
        return UnitOf(storage)->DoRender(ioActionFlags ? *ioActionFlags : localFlags, *timeStamp, outputBus, frames,
                                         *ioData);
    } catch (...) {
        return ComponentBase::ResultOfCurrentException();
    }
}
