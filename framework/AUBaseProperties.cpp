// The properties AUBase answers itself, one row each; other ids go to the virtual fallbacks.
#include <algorithm>
#include <cstring>

#include "framework/AUBase.h"
#include "framework/AUFastDispatch.h"
#include "framework/CAAudioChannelLayout.h"

namespace {

void RequireGlobal(AudioUnitScope scope)
{
    if (scope != kAudioUnitScope_Global) throw SInt32(kAudioUnitErr_InvalidScope);
}

bool AllZero(const HostCallbackInfo& info)
{
    static const HostCallbackInfo zero{};
    return std::memcmp(&info, &zero, sizeof info) == 0;
}

template <typename T>
T Load(const void* inData)
{
    T value;
    std::memcpy(&value, inData, sizeof value);
    return value;
}

template <typename T>
OSStatus Store(void* outData, const T& value)
{
    std::memcpy(outData, &value, sizeof value);
    return noErr;
}

// The scopes a property's size is reported for, checked first.
enum ScopeRule {
    kAnyScope,
    kGlobalScope,         // others throw kAudioUnitErr_InvalidScope
    kGlobalOrInputScope,  // others return kAudioUnitErr_InvalidScope
};

enum Writability { kReadOnly, kWritable, kWritableAsStreamFormat, kWritableAsBusCount };

// Whether the element must exist once size and writability are known.
enum ElementRule { kAnyElement, kExistingElement };

}  // namespace

// A row per property: scope rule, size, writability and element rule for its size query, then its
// handlers. A null get, set or remove leaves that call to the virtual fallback; a row of size 0 leaves
// the size query to GetPropertyInfo.
struct AUBase::PropertyTable {
    // The number of items of the row's size the property holds now (count 0 and an error when it holds
    // none); it may also decide writability.
    using Count = OSStatus (*)(AUBase& unit, AudioUnitScope scope, AudioUnitElement element, UInt32& count,
                               Boolean& writable);
    using Get = OSStatus (*)(AUBase& unit, AudioUnitScope scope, AudioUnitElement element, void* outData);
    using Set = OSStatus (*)(AUBase& unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                             const void* inData, UInt32 inDataSize);
    using Remove = OSStatus (*)(AUBase& unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element);

    struct Row {
        AudioUnitPropertyID id;
        ScopeRule scope;
        UInt32 size;
        Writability writable;
        ElementRule element;
        Count count;
        Get get;
        Set set;
        Remove remove;
    };

    static const Row kRows[];

    static const Row* Find(AudioUnitPropertyID id);

    static Boolean IsWritable(AUBase& unit, Writability writable, AudioUnitScope scope, AudioUnitElement element)
    {
        switch (writable) {
        case kWritable: return true;
        case kWritableAsStreamFormat: return unit.IsStreamFormatWritable(scope, element);
        case kWritableAsBusCount: return unit.BusCountWritable(scope);
        default: return false;
        }
    }

    // Tells the listeners when a change succeeded.
    static OSStatus Changed(AUBase& unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                            OSStatus result)
    {
        if (result == noErr) unit.PropertyChanged(id, scope, element);
        return result;
    }

    // Counts for properties that are there or not.
    static OSStatus OneIf(bool present, UInt32& count)
    {
        count = present ? 1 : 0;
        return present ? noErr : OSStatus(kAudioUnitErr_InvalidProperty);
    }
    static OSStatus OneIfNoError(OSStatus result, UInt32& count)
    {
        count = result == noErr ? 1 : 0;
        return result;
    }

    struct ClassInfo {
        static OSStatus Get(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
        {
            auto* state = static_cast<CFPropertyListRef*>(outData);
            *state = nullptr;
            return unit.SaveState(state);
        }
        static OSStatus Set(AUBase& unit, AudioUnitPropertyID, AudioUnitScope scope, AudioUnitElement,
                            const void* inData, UInt32 inDataSize)
        {
            if (inDataSize != sizeof(CFPropertyListRef)) return kAudioUnitErr_InvalidPropertyValue;
            RequireGlobal(scope);
            return unit.RestoreState(Load<CFPropertyListRef>(inData));
        }
    };

    struct MakeConnection {
        static OSStatus Set(AUBase& unit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement, const void* inData,
                            UInt32 inDataSize)
        {
            if (inDataSize < sizeof(AudioUnitConnection)) return kAudioUnitErr_InvalidPropertyValue;
            return unit.SetConnection(Load<AudioUnitConnection>(inData));
        }
    };

    struct StreamFormat {
        static OSStatus Get(AUBase& unit, AudioUnitScope scope, AudioUnitElement element, void* outData)
        {
            return Store<AudioStreamBasicDescription>(outData, unit.GetStreamFormat(scope, element));
        }
        static OSStatus Set(AUBase& unit, AudioUnitPropertyID, AudioUnitScope scope, AudioUnitElement element,
                            const void* inData, UInt32 inDataSize)
        {
            if (inDataSize < 36) return kAudioUnitErr_InvalidPropertyValue;
            if (!unit.GetElement(scope, element)) return kAudioUnitErr_InvalidElement;
            CAStreamBasicDescription format;
            std::memcpy(static_cast<AudioStreamBasicDescription*>(&format), inData, 36);
            if (!unit.ValidFormat(scope, element, format)) return kAudioUnitErr_FormatNotSupported;
            return Change(unit, scope, element, unit.GetStreamFormat(scope, element), format);
        }
        // The steps a valid new format takes (the sample rate's too).
        static OSStatus Change(AUBase& unit, AudioUnitScope scope, AudioUnitElement element,
                               const CAStreamBasicDescription& current, const CAStreamBasicDescription& format)
        {
            if (format == current) return noErr;
            if (!unit.IsStreamFormatWritable(scope, element)) return kAudioUnitErr_PropertyNotWritable;
            return unit.ChangeStreamFormat(scope, element, CAStreamBasicDescription(current), format);
        }
    };

    struct SampleRate {
        static OSStatus Get(AUBase& unit, AudioUnitScope scope, AudioUnitElement element, void* outData)
        {
            return Store(outData, unit.GetStreamFormat(scope, element).mSampleRate);
        }
        static OSStatus Set(AUBase& unit, AudioUnitPropertyID, AudioUnitScope scope, AudioUnitElement element,
                            const void* inData, UInt32 inDataSize)
        {
            if (inDataSize != sizeof(Float64)) return kAudioUnitErr_InvalidPropertyValue;
            if (!unit.GetElement(scope, element)) return kAudioUnitErr_InvalidElement;
            const CAStreamBasicDescription& current = unit.GetStreamFormat(scope, element);
            CAStreamBasicDescription format = current;
            format.mSampleRate = Load<Float64>(inData);
            if (!unit.ValidFormat(scope, element, format)) return kAudioUnitErr_FormatNotSupported;
            return StreamFormat::Change(unit, scope, element, current, format);
        }
    };

    struct ParameterList {
        static OSStatus Count(AUBase& unit, AudioUnitScope scope, AudioUnitElement, UInt32& count, Boolean&)
        {
            count = 0;
            return unit.GetParameterList(scope, nullptr, count);
        }
        static OSStatus Get(AUBase& unit, AudioUnitScope scope, AudioUnitElement, void* outData)
        {
            UInt32 count = 0;
            return unit.GetParameterList(scope, static_cast<AudioUnitParameterID*>(outData), count);
        }
    };

    struct ParameterInfo {
        static OSStatus Get(AUBase& unit, AudioUnitScope scope, AudioUnitElement element, void* outData)
        {
            return unit.GetParameterInfo(scope, element, *static_cast<AudioUnitParameterInfo*>(outData));
        }
    };

    struct FastDispatch {
        static OSStatus Get(AUBase& unit, AudioUnitScope scope, AudioUnitElement element, void* outData)
        {
            void* proc;
            switch (element) {
            case kAudioUnitGetParameterSelect: proc = reinterpret_cast<void*>(&AudioUnitBaseGetParameter); break;
            case kAudioUnitSetParameterSelect: proc = reinterpret_cast<void*>(&AudioUnitBaseSetParameter); break;
            case kAudioUnitRenderSelect: proc = reinterpret_cast<void*>(&AudioUnitBaseRender); break;
            default: return unit.GetProperty(kAudioUnitProperty_FastDispatch, scope, element, outData);
            }
            return Store(outData, proc);
        }
    };

    struct ElementCount {
        static OSStatus Get(AUBase& unit, AudioUnitScope scope, AudioUnitElement, void* outData)
        {
            return Store<UInt32>(outData, unit.GetScope(scope).GetNumberOfElements());
        }
        static OSStatus Set(AUBase& unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                            const void* inData, UInt32 inDataSize)
        {
            if (inDataSize != sizeof(UInt32)) return kAudioUnitErr_InvalidPropertyValue;
            if (!unit.BusCountWritable(scope)) return kAudioUnitErr_PropertyNotWritable;
            return Changed(unit, id, scope, element, unit.SetBusCount(scope, Load<UInt32>(inData)));
        }
    };

    struct Latency {
        static OSStatus Get(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
        {
            return Store(outData, unit.GetLatency());
        }
    };

    struct SupportedNumChannels {
        static OSStatus Count(AUBase& unit, AudioUnitScope, AudioUnitElement, UInt32& count, Boolean&)
        {
            count = unit.SupportedNumChannels(nullptr);
            return count ? noErr : OSStatus(kAudioUnitErr_InvalidProperty);
        }
        static OSStatus Get(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
        {
            const AUChannelInfo* infos = nullptr;
            const UInt32 n = unit.SupportedNumChannels(&infos);
            if (n && infos) std::memcpy(outData, infos, sizeof(AUChannelInfo) * n);
            return noErr;
        }
    };

    struct MaximumFramesPerSlice {
        static OSStatus Get(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
        {
            return Store(outData, unit.mMaxFramesPerSlice);
        }
        static OSStatus Set(AUBase& unit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement, const void* inData,
                            UInt32 inDataSize)
        {
            if (inDataSize != sizeof(UInt32)) return kAudioUnitErr_InvalidPropertyValue;
            const OSStatus result = unit.CanSetMaxFrames();
            if (result != noErr) return result;
            unit.SetMaxFramesPerSlice(Load<UInt32>(inData));
            return noErr;
        }
    };

    struct SetExternalBuffer {
        static OSStatus Set(AUBase& unit, AudioUnitPropertyID, AudioUnitScope scope, AudioUnitElement element,
                            const void* inData, UInt32 inDataSize)
        {
            if (inDataSize < sizeof(AudioUnitExternalBuffer)) return kAudioUnitErr_InvalidPropertyValue;
            if (!unit.IsInitialized()) return kAudioUnitErr_Uninitialized;
            const auto buffer = Load<AudioUnitExternalBuffer>(inData);
            if (reinterpret_cast<uintptr_t>(buffer.buffer) % 16 != 0) return paramErr;
            AUIOElement* io = scope == kAudioUnitScope_Input ? static_cast<AUIOElement*>(unit.GetInput(element))
                                                             : static_cast<AUIOElement*>(unit.GetOutput(element));
            io->UseExternalBuffer(buffer);
            return noErr;
        }
    };

    struct ParameterValueStrings {
        static OSStatus Count(AUBase& unit, AudioUnitScope scope, AudioUnitElement element, UInt32& count, Boolean&)
        {
            return OneIfNoError(unit.GetParameterValueStrings(scope, element, nullptr), count);
        }
        static OSStatus Get(AUBase& unit, AudioUnitScope scope, AudioUnitElement element, void* outData)
        {
            return unit.GetParameterValueStrings(scope, element, static_cast<CFArrayRef*>(outData));
        }
    };

    struct GetUIComponentList {
        static OSStatus Count(AUBase& unit, AudioUnitScope, AudioUnitElement, UInt32& count, Boolean&)
        {
            count = UInt32(std::max(unit.GetNumCustomUIComponents(), 0));
            return count ? noErr : OSStatus(kAudioUnitErr_InvalidProperty);
        }
        static OSStatus Get(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
        {
            unit.GetUIComponentDescs(static_cast<ComponentDescription*>(outData));
            return noErr;
        }
    };

    // Sized in bytes: the layout's length is its count.
    struct ChannelLayout {
        static OSStatus Count(AUBase& unit, AudioUnitScope scope, AudioUnitElement element, UInt32& count,
                              Boolean& writable)
        {
            count = unit.GetAudioChannelLayout(scope, element, nullptr, writable);
            if (count) return noErr;
            writable = false;
            return kAudioUnitErr_InvalidProperty;
        }
        static OSStatus Get(AUBase& unit, AudioUnitScope scope, AudioUnitElement element, void* outData)
        {
            Boolean writable = false;
            if (unit.GetAudioChannelLayout(scope, element, static_cast<AudioChannelLayout*>(outData), writable) == 0)
                return kAudioUnitErr_InvalidProperty;
            return noErr;
        }
        static OSStatus Set(AUBase& unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                            const void* inData, UInt32 inDataSize)
        {
            if (inDataSize < kAudioChannelLayoutHeaderSize) return kAudioUnitErr_InvalidPropertyValue;
            const auto* layout = static_cast<const AudioChannelLayout*>(inData);
            if (inDataSize < kAudioChannelLayoutHeaderSize +
                                 UInt64(sizeof(AudioChannelDescription)) * layout->mNumberChannelDescriptions)
                return kAudioUnitErr_InvalidPropertyValue;
            return Changed(unit, id, scope, element, unit.SetAudioChannelLayout(scope, element, layout));
        }
        static OSStatus Remove(AUBase& unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element)
        {
            return Changed(unit, id, scope, element, unit.RemoveAudioChannelLayout(scope, element));
        }
    };

    struct TailTime {
        static OSStatus Count(AUBase& unit, AudioUnitScope, AudioUnitElement, UInt32& count, Boolean&)
        {
            return OneIf(unit.SupportsTail(), count);
        }
        static OSStatus Get(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
        {
            if (!unit.SupportsTail()) return kAudioUnitErr_InvalidProperty;
            return Store(outData, unit.GetTailTime());
        }
    };

    struct LastRenderError {
        static OSStatus Get(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
        {
            Store(outData, unit.mLastRenderError);
            unit.mLastRenderError = noErr;
            return noErr;
        }
    };

    struct SetRenderCallback {
        static OSStatus Set(AUBase& unit, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement element,
                            const void* inData, UInt32 inDataSize)
        {
            if (inDataSize < sizeof(AURenderCallbackStruct)) return kAudioUnitErr_InvalidPropertyValue;
            const auto callback = Load<AURenderCallbackStruct>(inData);
            return unit.SetInputCallback(id, element, callback.inputProc, callback.inputProcRefCon);
        }
    };

    struct FactoryPresets {
        static OSStatus Count(AUBase& unit, AudioUnitScope, AudioUnitElement, UInt32& count, Boolean&)
        {
            return OneIfNoError(unit.GetPresets(nullptr), count);
        }
        static OSStatus Get(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
        {
            auto* presets = static_cast<CFArrayRef*>(outData);
            *presets = nullptr;
            return unit.GetPresets(presets);
        }
    };

    struct ContextName {
        static OSStatus Get(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
        {
            if (!unit.mContextName) return kAudioUnitErr_InvalidPropertyValue;
            CFRetain(unit.mContextName);  // the caller owns this reference
            return Store<CFStringRef>(outData, unit.mContextName);
        }
        static OSStatus Set(AUBase& unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                            const void* inData, UInt32 inDataSize)
        {
            if (inDataSize != sizeof(CFStringRef)) return kAudioUnitErr_InvalidPropertyValue;
            RequireGlobal(scope);
            unit.mContextName = CFRef<CFStringRef>::Retained(Load<CFStringRef>(inData));
            unit.PropertyChanged(id, kAudioUnitScope_Global, element);
            return noErr;
        }
        static OSStatus Remove(AUBase& unit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
        {
            unit.mContextName.reset();
            return noErr;
        }
    };

    struct HostCallbacks {
        static OSStatus Get(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
        {
            return Store(outData, unit.mHostCallbackInfo);
        }
        static OSStatus Set(AUBase& unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                            const void* inData, UInt32 inDataSize)
        {
            RequireGlobal(scope);
            HostCallbackInfo info{};
            std::memcpy(&info, inData, std::min<size_t>(inDataSize, sizeof info));
            const bool changed = std::memcmp(&info, &unit.mHostCallbackInfo, sizeof info) != 0;
            unit.mHostCallbackInfo = info;
            if (changed) unit.PropertyChanged(id, kAudioUnitScope_Global, element);
            return noErr;
        }
        static OSStatus Remove(AUBase& unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element)
        {
            RequireGlobal(scope);
            if (AllZero(unit.mHostCallbackInfo)) return noErr;
            unit.mHostCallbackInfo = HostCallbackInfo{};
            unit.PropertyChanged(id, kAudioUnitScope_Global, element);
            return noErr;
        }
    };

    // Both preset properties are set alike; only the present one hands out a retained name.
    struct Preset {
        static OSStatus Set(AUBase& unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                            const void* inData, UInt32 inDataSize)
        {
            return unit.DispatchSetPresetProperty(id, scope, element, inData, inDataSize);
        }
        static OSStatus GetCurrent(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
        {
            return Store(outData, unit.mCurrentPreset);
        }
        static OSStatus GetPresent(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
        {
            if (unit.mCurrentPreset.presetName) CFRetain(unit.mCurrentPreset.presetName);  // the caller owns it
            return Store(outData, unit.mCurrentPreset);
        }
    };

    struct ElementName {
        static OSStatus Get(AUBase& unit, AudioUnitScope scope, AudioUnitElement element, void* outData)
        {
            CFStringRef name = unit.SafeGetElement(scope, element)->GetName();
            if (!name) return kAudioUnitErr_InvalidPropertyValue;
            CFRetain(name);  // the caller owns this reference
            return Store(outData, name);
        }
        static OSStatus Set(AUBase& unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                            const void* inData, UInt32 inDataSize)
        {
            AUElement* e = unit.GetElement(scope, element);
            if (!e) return kAudioUnitErr_InvalidElement;
            if (inDataSize != sizeof(CFStringRef)) return kAudioUnitErr_InvalidPropertyValue;
            e->SetName(Load<CFStringRef>(inData));
            unit.PropertyChanged(id, scope, element);
            return noErr;
        }
    };

    struct SupportedChannelLayoutTags {
        static OSStatus Count(AUBase& unit, AudioUnitScope scope, AudioUnitElement element, UInt32& count, Boolean&)
        {
            count = unit.GetIOElement(scope, element)->GetChannelLayoutTags(nullptr);
            return count ? noErr : OSStatus(kAudioUnitErr_InvalidProperty);
        }
        static OSStatus Get(AUBase& unit, AudioUnitScope scope, AudioUnitElement element, void* outData)
        {
            AUIOElement* io = unit.GetIOElement(scope, element);
            if (io->GetChannelLayoutTags(nullptr) == 0) return kAudioUnitErr_InvalidProperty;
            io->GetChannelLayoutTags(static_cast<AudioChannelLayoutTag*>(outData));
            return noErr;
        }
    };

    struct IconLocation {
        static OSStatus Count(AUBase& unit, AudioUnitScope, AudioUnitElement, UInt32& count, Boolean&)
        {
            return OneIf(unit.HasIcon(), count);
        }
        static OSStatus Get(AUBase& unit, AudioUnitScope, AudioUnitElement, void* outData)
        {
            CFTypeRef location = unit.GetIconLocation();
            if (!location) return kAudioUnitErr_InvalidProperty;
            CFRetain(location);  // the caller owns this reference
            return Store(outData, location);
        }
    };
};

const AUBase::PropertyTable::Row AUBase::PropertyTable::kRows[] = {
    // id, scope, size, writable, element,
    //     count, get, set, remove
    {kAudioUnitProperty_ClassInfo, kGlobalScope, sizeof(CFPropertyListRef), kWritable, kExistingElement,
         nullptr, ClassInfo::Get, ClassInfo::Set, nullptr},
    {kAudioUnitProperty_MakeConnection, kGlobalOrInputScope, sizeof(AudioUnitConnection), kWritable, kExistingElement,
         nullptr, nullptr, MakeConnection::Set, nullptr},
    {kAudioUnitProperty_SampleRate, kAnyScope, sizeof(Float64), kWritableAsStreamFormat, kExistingElement,
         nullptr, SampleRate::Get, SampleRate::Set, nullptr},
    {kAudioUnitProperty_ParameterList, kAnyScope, sizeof(AudioUnitParameterID), kReadOnly, kAnyElement,
         ParameterList::Count, ParameterList::Get, nullptr, nullptr},
    {kAudioUnitProperty_ParameterInfo, kAnyScope, sizeof(AudioUnitParameterInfo), kReadOnly, kAnyElement,
         nullptr, ParameterInfo::Get, nullptr, nullptr},
    {kAudioUnitProperty_FastDispatch, kGlobalScope, sizeof(void*), kReadOnly, kAnyElement,
         nullptr, FastDispatch::Get, nullptr, nullptr},
    {kAudioUnitProperty_StreamFormat, kAnyScope, sizeof(AudioStreamBasicDescription), kWritableAsStreamFormat,
         kExistingElement, nullptr, StreamFormat::Get, StreamFormat::Set, nullptr},
    {kAudioUnitProperty_ElementCount, kAnyScope, sizeof(UInt32), kWritableAsBusCount, kAnyElement,
         nullptr, ElementCount::Get, ElementCount::Set, nullptr},
    {kAudioUnitProperty_Latency, kGlobalScope, sizeof(Float64), kReadOnly, kExistingElement,
         nullptr, Latency::Get, nullptr, nullptr},
    {kAudioUnitProperty_SupportedNumChannels, kGlobalScope, sizeof(AUChannelInfo), kReadOnly, kExistingElement,
         SupportedNumChannels::Count, SupportedNumChannels::Get, nullptr, nullptr},
    {kAudioUnitProperty_MaximumFramesPerSlice, kGlobalScope, sizeof(UInt32), kWritable, kExistingElement,
         nullptr, MaximumFramesPerSlice::Get, MaximumFramesPerSlice::Set, nullptr},
    {kAudioUnitProperty_SetExternalBuffer, kAnyScope, 0, kReadOnly, kAnyElement,
         nullptr, nullptr, SetExternalBuffer::Set, nullptr},
    {kAudioUnitProperty_ParameterValueStrings, kAnyScope, sizeof(CFArrayRef), kReadOnly, kAnyElement,
         ParameterValueStrings::Count, ParameterValueStrings::Get, nullptr, nullptr},
    {kAudioUnitProperty_GetUIComponentList, kGlobalScope, sizeof(ComponentDescription), kReadOnly, kExistingElement,
         GetUIComponentList::Count, GetUIComponentList::Get, nullptr, nullptr},
    {kAudioUnitProperty_AudioChannelLayout, kAnyScope, 1, kReadOnly, kAnyElement,
         ChannelLayout::Count, ChannelLayout::Get, ChannelLayout::Set, ChannelLayout::Remove},
    {kAudioUnitProperty_TailTime, kGlobalScope, sizeof(Float64), kReadOnly, kExistingElement,
         TailTime::Count, TailTime::Get, nullptr, nullptr},
    {kAudioUnitProperty_LastRenderError, kGlobalScope, sizeof(OSStatus), kReadOnly, kExistingElement,
         nullptr, LastRenderError::Get, nullptr, nullptr},
    {kAudioUnitProperty_SetRenderCallback, kGlobalOrInputScope, sizeof(AURenderCallbackStruct), kWritable,
         kExistingElement, nullptr, nullptr, SetRenderCallback::Set, nullptr},
    {kAudioUnitProperty_FactoryPresets, kGlobalScope, sizeof(CFArrayRef), kReadOnly, kExistingElement,
         FactoryPresets::Count, FactoryPresets::Get, nullptr, nullptr},
    {kAudioUnitProperty_ContextName, kGlobalScope, sizeof(CFStringRef), kWritable, kExistingElement,
         nullptr, ContextName::Get, ContextName::Set, ContextName::Remove},
    {kAudioUnitProperty_HostCallbacks, kGlobalScope, sizeof(HostCallbackInfo), kWritable, kExistingElement,
         nullptr, HostCallbacks::Get, HostCallbacks::Set, HostCallbacks::Remove},
    {kAudioUnitProperty_CurrentPreset, kGlobalScope, sizeof(AUPreset), kWritable, kExistingElement,
         nullptr, Preset::GetCurrent, Preset::Set, nullptr},
    {kAudioUnitProperty_PresentPreset, kGlobalScope, sizeof(AUPreset), kWritable, kExistingElement,
         nullptr, Preset::GetPresent, Preset::Set, nullptr},
    {kAudioUnitProperty_ElementName, kAnyScope, sizeof(CFStringRef), kWritable, kExistingElement,
         nullptr, ElementName::Get, ElementName::Set, nullptr},
    {kAudioUnitProperty_SupportedChannelLayoutTags, kAnyScope, sizeof(AudioChannelLayoutTag), kReadOnly, kAnyElement,
         SupportedChannelLayoutTags::Count, SupportedChannelLayoutTags::Get, nullptr, nullptr},
    {kAudioUnitProperty_IconLocation, kGlobalScope, sizeof(CFTypeRef), kReadOnly, kExistingElement,
         IconLocation::Count, IconLocation::Get, nullptr, nullptr},
};

const AUBase::PropertyTable::Row* AUBase::PropertyTable::Find(AudioUnitPropertyID id)
{
    const Row* row = std::find_if(std::begin(kRows), std::end(kRows), [id](const Row& r) { return r.id == id; });
    return row == std::end(kRows) ? nullptr : row;
}

OSStatus AUBase::GetPropertyInfo(AudioUnitPropertyID, AudioUnitScope, AudioUnitElement, UInt32&, Boolean&)
{
    return kAudioUnitErr_InvalidProperty;
}

OSStatus AUBase::GetProperty(AudioUnitPropertyID, AudioUnitScope, AudioUnitElement, void*)
{
    return kAudioUnitErr_InvalidProperty;
}

OSStatus AUBase::SetProperty(AudioUnitPropertyID, AudioUnitScope, AudioUnitElement, const void*, UInt32)
{
    return kAudioUnitErr_InvalidProperty;
}

OSStatus AUBase::RemovePropertyValue(AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
{
    return kAudioUnitErr_InvalidPropertyValue;
}

// Scope first, then the count (whose errors still report its size and writability), then the element.
OSStatus AUBase::DispatchGetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                         UInt32& outDataSize, Boolean& outWritable)
{
    const PropertyTable::Row* row = PropertyTable::Find(id);
    if (!row || row->size == 0) return GetPropertyInfo(id, scope, element, outDataSize, outWritable);
    if (row->scope == kGlobalScope) RequireGlobal(scope);
    if (row->scope == kGlobalOrInputScope && scope != kAudioUnitScope_Global && scope != kAudioUnitScope_Input)
        return kAudioUnitErr_InvalidScope;
    Boolean writable = PropertyTable::IsWritable(*this, row->writable, scope, element);
    UInt32 count = 1;
    const OSStatus result = row->count ? row->count(*this, scope, element, count, writable) : noErr;
    outDataSize = row->size * count;
    outWritable = writable;
    if (result != noErr) return result;
    if (row->element == kExistingElement && !GetElement(scope, element)) return kAudioUnitErr_InvalidElement;
    return noErr;
}

OSStatus AUBase::DispatchGetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                     void* outData)
{
    const PropertyTable::Row* row = PropertyTable::Find(id);
    if (!row || !row->get) return GetProperty(id, scope, element, outData);
    return row->get(*this, scope, element, outData);
}

OSStatus AUBase::DispatchSetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                     const void* inData, UInt32 inDataSize)
{
    const PropertyTable::Row* row = PropertyTable::Find(id);
    if (row && row->set) return row->set(*this, id, scope, element, inData, inDataSize);
    return PropertyTable::Changed(*this, id, scope, element, SetProperty(id, scope, element, inData, inDataSize));
}

OSStatus AUBase::DispatchSetPresetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                           const void* inData, UInt32 inDataSize)
{
    if (inDataSize != sizeof(AUPreset)) return kAudioUnitErr_InvalidPropertyValue;
    RequireGlobal(scope);
    const auto preset = Load<AUPreset>(inData);
    if (preset.presetNumber >= 0) {
        const OSStatus result = NewFactoryPresetSet(preset);
        if (result == noErr) PropertyChanged(id, kAudioUnitScope_Global, element);
        return result;
    }
    if (!preset.presetName) return kAudioUnitErr_InvalidPropertyValue;
    mCurrentPresetName = CFRef<CFStringRef>::Retained(preset.presetName);
    mCurrentPreset = preset;
    PropertyChanged(id, kAudioUnitScope_Global, element);
    return noErr;
}

OSStatus AUBase::DispatchRemovePropertyValue(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element)
{
    const PropertyTable::Row* row = PropertyTable::Find(id);
    if (row && row->remove) return row->remove(*this, id, scope, element);
    return RemovePropertyValue(id, scope, element);
}

OSStatus AUBase::GetPropertyForCaller(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                      void* outData, UInt32* ioDataSize)
{
    if (!ioDataSize) return paramErr;
    UInt32 actualSize = 0;
    Boolean writable = false;
    if (!outData) {
        const OSStatus result = DispatchGetPropertyInfo(id, scope, element, actualSize, writable);
        *ioDataSize = actualSize;
        return result;
    }
    if (*ioDataSize == 0) return paramErr;
    OSStatus result = DispatchGetPropertyInfo(id, scope, element, actualSize, writable);
    if (result != noErr) return result;

    std::vector<UInt8> temp;
    void* dest = outData;
    if (*ioDataSize < actualSize) {
        temp.assign(actualSize, 0);
        dest = temp.data();
    }
    result = DispatchGetProperty(id, scope, element, dest);
    if (result != noErr) {
        *ioDataSize = 0;
        return result;
    }
    if (dest != outData)
        std::memcpy(outData, dest, *ioDataSize);
    else
        *ioDataSize = actualSize;
    return noErr;
}
