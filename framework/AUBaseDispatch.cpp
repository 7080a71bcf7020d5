// The audio unit selectors of the component entry, and the fast-dispatch entries.
#include <algorithm>
#include <iterator>

#include "framework/AUBase.h"
#include "framework/AUFastDispatch.h"
#include "platform/audio/AudioUnitCallArgs.h"

namespace {

// The selectors this entry answers itself for "can do".
constexpr SInt16 kAudioUnitSelectors[] = {
    kAudioUnitInitializeSelect,          kAudioUnitUninitializeSelect,
    kAudioUnitGetPropertyInfoSelect,     kAudioUnitGetPropertySelect,
    kAudioUnitSetPropertySelect,         kAudioUnitGetParameterSelect,
    kAudioUnitSetParameterSelect,        kAudioUnitResetSelect,
    kAudioUnitAddPropertyListenerSelect, kAudioUnitRemovePropertyListenerSelect,
    kAudioUnitRenderSelect,              kAudioUnitAddRenderNotifySelect,
    kAudioUnitRemoveRenderNotifySelect,  kAudioUnitScheduleParametersSelect,
};

bool IsAudioUnitSelector(SInt16 s)
{
    return std::find(std::begin(kAudioUnitSelectors), std::end(kAudioUnitSelectors), s) != std::end(kAudioUnitSelectors);
}

// `fn` on the selector's argument record; paramErr for a block too short to hold it.
template <typename Record, typename Fn>
ComponentResult WithArgs(const ComponentParameters* p, Fn fn)
{
    const std::optional<Record> args = ComponentParamRecord<Record>(p);
    return args ? fn(*args) : ComponentResult(paramErr);
}

// Selector 3: both out-pointers may be null.
OSStatus GetPropertyInfoForCaller(AUBase& unit, const AudioUnitGetPropertyInfoArgs& a)
{
    UInt32 size = 0;
    Boolean writable = false;
    const OSStatus result = unit.DispatchGetPropertyInfo(a.id, a.scope, a.element, size, writable);
    if (a.outDataSize) *a.outDataSize = size;
    if (a.outWritable) *a.outWritable = writable;
    return result;
}

// Selector 5: no data and a zero size removes the value; data with a zero size, or a size without
// data, is refused.
OSStatus SetPropertyForCaller(AUBase& unit, const AudioUnitSetPropertyArgs& a)
{
    if (!a.inData) {
        if (a.inDataSize != 0) return paramErr;
        return unit.DispatchRemovePropertyValue(a.id, a.scope, a.element);
    }
    if (a.inDataSize == 0) return paramErr;
    return unit.DispatchSetProperty(a.id, a.scope, a.element, a.inData, a.inDataSize);
}

}  // namespace

ComponentResult AUBase::ComponentEntryDispatch(ComponentParameters* p, AUBase* unit)
{
    if (!unit) return paramErr;
    switch (p->what) {
    case kComponentCanDoSelect:
        if (IsAudioUnitSelector(SInt16(ComponentParam(p, 0)))) return 1;
        return ComponentBase::ComponentEntryDispatch(p, unit);
    case kAudioUnitInitializeSelect:
        return unit->DoInitialize();
    case kAudioUnitUninitializeSelect:
        unit->DoCleanup();
        return noErr;
    case kAudioUnitGetPropertyInfoSelect:
        return WithArgs<AudioUnitGetPropertyInfoArgs>(
            p, [&](const auto& a) { return GetPropertyInfoForCaller(*unit, a); });
    case kAudioUnitGetPropertySelect:
        return WithArgs<AudioUnitGetPropertyArgs>(p, [&](const auto& a) {
            return unit->GetPropertyForCaller(a.id, a.scope, a.element, a.outData, a.ioDataSize);
        });
    case kAudioUnitSetPropertySelect:
        return WithArgs<AudioUnitSetPropertyArgs>(p, [&](const auto& a) { return SetPropertyForCaller(*unit, a); });
    case kAudioUnitGetParameterSelect:
        return WithArgs<AudioUnitGetParameterArgs>(p, [&](const auto& a) -> OSStatus {
            if (!a.outValue) return paramErr;
            return unit->GetParameter(a.id, a.scope, a.element, *a.outValue);
        });
    case kAudioUnitSetParameterSelect:
        return WithArgs<AudioUnitSetParameterArgs>(p, [&](const auto& a) {
            return unit->SetParameter(a.id, a.scope, a.element, a.value, a.bufferOffset);
        });
    case kAudioUnitResetSelect:
        return WithArgs<AudioUnitResetArgs>(p, [&](const auto& a) {
            unit->mLastRenderedSampleTime = -1.0;
            return unit->Reset(a.scope, a.element);
        });
    case kAudioUnitAddPropertyListenerSelect:
        return WithArgs<AudioUnitAddPropertyListenerArgs>(
            p, [&](const auto& a) { return unit->AddPropertyListener(a.id, a.proc, a.userData); });
    case kAudioUnitRemovePropertyListenerSelect:
        return WithArgs<AudioUnitRemovePropertyListenerArgs>(
            p, [&](const auto& a) { return unit->RemovePropertyListener(a.id, a.proc); });
    case kAudioUnitRenderSelect:
        return WithArgs<AudioUnitRenderArgs>(p, [&](const auto& a) -> OSStatus {
            if (!a.inTimeStamp || !a.ioData) return paramErr;
            AudioUnitRenderActionFlags localFlags = 0;
            return unit->DoRender(a.ioActionFlags ? *a.ioActionFlags : localFlags, *a.inTimeStamp,
                                  a.inOutputBusNumber, a.inNumberFrames, *a.ioData);
        });
    case kAudioUnitAddRenderNotifySelect:
        return WithArgs<AudioUnitRenderNotifyArgs>(
            p, [&](const auto& a) { return unit->SetRenderNotification(a.proc, a.userData); });
    case kAudioUnitRemoveRenderNotifySelect:
        return WithArgs<AudioUnitRenderNotifyArgs>(
            p, [&](const auto& a) { return unit->RemoveRenderNotification(a.proc, a.userData); });
    case kAudioUnitScheduleParametersSelect:
        return WithArgs<AudioUnitScheduleParametersArgs>(
            p, [&](const auto& a) { return unit->ScheduleParameter(a.events, a.count); });
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
