// The property table that AUBase answers itself; other ids go to the virtual fallbacks.
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

}  // namespace

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

OSStatus AUBase::DispatchGetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                         UInt32& outDataSize, Boolean& outWritable)
{
    bool validateElement = true;
    switch (id) {
    case kAudioUnitProperty_ClassInfo:
        RequireGlobal(scope);
        outDataSize = sizeof(CFPropertyListRef);
        outWritable = true;
        break;
    case kAudioUnitProperty_MakeConnection:
        if (scope != kAudioUnitScope_Global && scope != kAudioUnitScope_Input) return kAudioUnitErr_InvalidScope;
        outDataSize = sizeof(AudioUnitConnection);
        outWritable = true;
        break;
    case kAudioUnitProperty_SampleRate:
        outDataSize = sizeof(Float64);
        outWritable = IsStreamFormatWritable(scope, element);
        break;
    case kAudioUnitProperty_ParameterList: {
        UInt32 count = 0;
        const OSStatus result = GetParameterList(scope, nullptr, count);
        outDataSize = UInt32(sizeof(AudioUnitParameterID)) * count;
        outWritable = false;
        return result;
    }
    case kAudioUnitProperty_ParameterInfo:
        outDataSize = sizeof(AudioUnitParameterInfo);
        outWritable = false;
        validateElement = false;
        break;
    case kAudioUnitProperty_FastDispatch:
        RequireGlobal(scope);
        outDataSize = sizeof(void*);
        outWritable = false;
        validateElement = false;
        break;
    case kAudioUnitProperty_StreamFormat:
        outDataSize = sizeof(AudioStreamBasicDescription);
        outWritable = IsStreamFormatWritable(scope, element);
        break;
    case kAudioUnitProperty_ElementCount:
        outDataSize = sizeof(UInt32);
        outWritable = BusCountWritable(scope);
        validateElement = false;
        break;
    case kAudioUnitProperty_Latency:
        RequireGlobal(scope);
        outDataSize = sizeof(Float64);
        outWritable = false;
        break;
    case kAudioUnitProperty_SupportedNumChannels: {
        RequireGlobal(scope);
        const UInt32 n = SupportedNumChannels(nullptr);
        if (n == 0) return kAudioUnitErr_InvalidProperty;
        outDataSize = UInt32(sizeof(AUChannelInfo)) * n;
        outWritable = false;
        break;
    }
    case kAudioUnitProperty_MaximumFramesPerSlice:
        RequireGlobal(scope);
        outDataSize = sizeof(UInt32);
        outWritable = true;
        break;
    case kAudioUnitProperty_ParameterValueStrings: {
        const OSStatus result = GetParameterValueStrings(scope, element, nullptr);
        if (result != noErr) return result;
        outDataSize = sizeof(CFArrayRef);
        outWritable = false;
        validateElement = false;
        break;
    }
    case kAudioUnitProperty_GetUIComponentList: {
        RequireGlobal(scope);
        const int n = GetNumCustomUIComponents();
        if (n <= 0) return kAudioUnitErr_InvalidProperty;
        outDataSize = UInt32(sizeof(ComponentDescription)) * UInt32(n);
        outWritable = false;
        break;
    }
    case kAudioUnitProperty_AudioChannelLayout: {
        Boolean writable = false;
        outDataSize = GetAudioChannelLayout(scope, element, nullptr, writable);
        if (outDataSize == 0) {
            outWritable = false;
            return kAudioUnitErr_InvalidProperty;
        }
        outWritable = writable;
        validateElement = false;
        break;
    }
    case kAudioUnitProperty_TailTime:
        RequireGlobal(scope);
        if (!SupportsTail()) return kAudioUnitErr_InvalidProperty;
        outDataSize = sizeof(Float64);
        outWritable = false;
        break;
    case kAudioUnitProperty_LastRenderError:
        RequireGlobal(scope);
        outDataSize = sizeof(OSStatus);
        outWritable = false;
        break;
    case kAudioUnitProperty_SetRenderCallback:
        if (scope != kAudioUnitScope_Global && scope != kAudioUnitScope_Input) return kAudioUnitErr_InvalidScope;
        outDataSize = sizeof(AURenderCallbackStruct);
        outWritable = true;
        break;
    case kAudioUnitProperty_FactoryPresets: {
        RequireGlobal(scope);
        const OSStatus result = GetPresets(nullptr);
        if (result != noErr) return result;
        outDataSize = sizeof(CFArrayRef);
        outWritable = false;
        break;
    }
    case kAudioUnitProperty_ContextName:
        RequireGlobal(scope);
        outDataSize = sizeof(CFStringRef);
        outWritable = true;
        break;
    case kAudioUnitProperty_HostCallbacks:
        RequireGlobal(scope);
        outDataSize = sizeof(HostCallbackInfo);
        outWritable = true;
        break;
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
        RequireGlobal(scope);
        outDataSize = sizeof(AUPreset);
        outWritable = true;
        break;
    case kAudioUnitProperty_ElementName:
        outDataSize = sizeof(CFStringRef);
        outWritable = true;
        break;
    case kAudioUnitProperty_SupportedChannelLayoutTags: {
        const UInt32 n = GetIOElement(scope, element)->GetChannelLayoutTags(nullptr);
        if (n == 0) return kAudioUnitErr_InvalidProperty;
        outDataSize = UInt32(sizeof(AudioChannelLayoutTag)) * n;
        outWritable = false;
        validateElement = false;
        break;
    }
    case kAudioUnitProperty_IconLocation:
        RequireGlobal(scope);
        outWritable = false;
        if (!HasIcon()) return kAudioUnitErr_InvalidProperty;
        outDataSize = sizeof(CFTypeRef);
        break;
    default: {
        const OSStatus result = GetPropertyInfo(id, scope, element, outDataSize, outWritable);
        validateElement = false;
        if (result != noErr) return result;
        break;
    }
    }
    if (validateElement && !GetElement(scope, element)) return kAudioUnitErr_InvalidElement;
    return noErr;
}

OSStatus AUBase::DispatchGetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                     void* outData)
{
    switch (id) {
    case kAudioUnitProperty_ClassInfo:
        *static_cast<CFPropertyListRef*>(outData) = nullptr;
        return SaveState(static_cast<CFPropertyListRef*>(outData));
    case kAudioUnitProperty_SampleRate: {
        const Float64 rate = GetStreamFormat(scope, element).mSampleRate;
        std::memcpy(outData, &rate, sizeof rate);
        return noErr;
    }
    case kAudioUnitProperty_ParameterList: {
        UInt32 count = 0;
        return GetParameterList(scope, static_cast<AudioUnitParameterID*>(outData), count);
    }
    case kAudioUnitProperty_ParameterInfo:
        return GetParameterInfo(scope, element, *static_cast<AudioUnitParameterInfo*>(outData));
    case kAudioUnitProperty_FastDispatch: {
        void* proc;
        switch (element) {
        case kAudioUnitGetParameterSelect: proc = reinterpret_cast<void*>(&AudioUnitBaseGetParameter); break;
        case kAudioUnitSetParameterSelect: proc = reinterpret_cast<void*>(&AudioUnitBaseSetParameter); break;
        case kAudioUnitRenderSelect: proc = reinterpret_cast<void*>(&AudioUnitBaseRender); break;
        default: return GetProperty(id, scope, element, outData);
        }
        std::memcpy(outData, &proc, sizeof proc);
        return noErr;
    }
    case kAudioUnitProperty_StreamFormat: {
        const CAStreamBasicDescription& format = GetStreamFormat(scope, element);
        std::memcpy(outData, static_cast<const AudioStreamBasicDescription*>(&format),
                    sizeof(AudioStreamBasicDescription));
        return noErr;
    }
    case kAudioUnitProperty_ElementCount:
        *static_cast<UInt32*>(outData) = GetScope(scope).GetNumberOfElements();
        return noErr;
    case kAudioUnitProperty_Latency: {
        const Float64 latency = GetLatency();
        std::memcpy(outData, &latency, sizeof latency);
        return noErr;
    }
    case kAudioUnitProperty_SupportedNumChannels: {
        const AUChannelInfo* infos = nullptr;
        const UInt32 n = SupportedNumChannels(&infos);
        if (n && infos) std::memcpy(outData, infos, sizeof(AUChannelInfo) * n);
        return noErr;
    }
    case kAudioUnitProperty_MaximumFramesPerSlice:
        *static_cast<UInt32*>(outData) = mMaxFramesPerSlice;
        return noErr;
    case kAudioUnitProperty_ParameterValueStrings:
        return GetParameterValueStrings(scope, element, static_cast<CFArrayRef*>(outData));
    case kAudioUnitProperty_GetUIComponentList:
        GetUIComponentDescs(static_cast<ComponentDescription*>(outData));
        return noErr;
    case kAudioUnitProperty_AudioChannelLayout: {
        Boolean writable = false;
        if (GetAudioChannelLayout(scope, element, static_cast<AudioChannelLayout*>(outData), writable) == 0)
            return kAudioUnitErr_InvalidProperty;
        return noErr;
    }
    case kAudioUnitProperty_TailTime: {
        if (!SupportsTail()) return kAudioUnitErr_InvalidProperty;
        const Float64 tail = GetTailTime();
        std::memcpy(outData, &tail, sizeof tail);
        return noErr;
    }
    case kAudioUnitProperty_LastRenderError:
        *static_cast<OSStatus*>(outData) = mLastRenderError;
        mLastRenderError = noErr;
        return noErr;
    case kAudioUnitProperty_FactoryPresets:
        *static_cast<CFArrayRef*>(outData) = nullptr;
        return GetPresets(static_cast<CFArrayRef*>(outData));
    case kAudioUnitProperty_ContextName:
        if (!mContextName) return kAudioUnitErr_InvalidPropertyValue;
        CFRetain(mContextName);
        *static_cast<CFStringRef*>(outData) = mContextName;
        return noErr;
    case kAudioUnitProperty_HostCallbacks:
        std::memcpy(outData, &mHostCallbackInfo, sizeof mHostCallbackInfo);
        return noErr;
    case kAudioUnitProperty_CurrentPreset:
        std::memcpy(outData, &mCurrentPreset, sizeof mCurrentPreset);
        return noErr;
    case kAudioUnitProperty_PresentPreset:
        if (mCurrentPreset.presetName) CFRetain(mCurrentPreset.presetName);
        std::memcpy(outData, &mCurrentPreset, sizeof mCurrentPreset);
        return noErr;
    case kAudioUnitProperty_ElementName: {
        CFStringRef name = SafeGetElement(scope, element)->GetName();
        if (!name) return kAudioUnitErr_InvalidPropertyValue;
        CFRetain(name);
        *static_cast<CFStringRef*>(outData) = name;
        return noErr;
    }
    case kAudioUnitProperty_SupportedChannelLayoutTags: {
        AUIOElement* io = GetIOElement(scope, element);
        if (io->GetChannelLayoutTags(nullptr) == 0) return kAudioUnitErr_InvalidProperty;
        io->GetChannelLayoutTags(static_cast<AudioChannelLayoutTag*>(outData));
        return noErr;
    }
    case kAudioUnitProperty_IconLocation: {
        CFTypeRef location = GetIconLocation();
        if (!location) return kAudioUnitErr_InvalidProperty;
        CFRetain(location);
        *static_cast<CFTypeRef*>(outData) = location;
        return noErr;
    }
    default:
        return GetProperty(id, scope, element, outData);
    }
}

OSStatus AUBase::DispatchSetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                     const void* inData, UInt32 inDataSize)
{
    switch (id) {
    case kAudioUnitProperty_ClassInfo: {
        if (inDataSize != sizeof(CFPropertyListRef)) return kAudioUnitErr_InvalidPropertyValue;
        RequireGlobal(scope);
        CFPropertyListRef state;
        std::memcpy(&state, inData, sizeof state);
        return RestoreState(state);
    }
    case kAudioUnitProperty_MakeConnection: {
        if (inDataSize < sizeof(AudioUnitConnection)) return kAudioUnitErr_InvalidPropertyValue;
        AudioUnitConnection connection;
        std::memcpy(&connection, inData, sizeof connection);
        return SetConnection(connection);
    }
    case kAudioUnitProperty_SampleRate: {
        if (inDataSize != sizeof(Float64)) return kAudioUnitErr_InvalidPropertyValue;
        if (!GetElement(scope, element)) return kAudioUnitErr_InvalidElement;
        const CAStreamBasicDescription& current = GetStreamFormat(scope, element);
        CAStreamBasicDescription format = current;
        std::memcpy(&format.mSampleRate, inData, sizeof(Float64));
        if (!ValidFormat(scope, element, format)) return kAudioUnitErr_FormatNotSupported;
        if (format == current) return noErr;
        if (!IsStreamFormatWritable(scope, element)) return kAudioUnitErr_PropertyNotWritable;
        return ChangeStreamFormat(scope, element, CAStreamBasicDescription(current), format);
    }
    case kAudioUnitProperty_StreamFormat: {
        if (inDataSize < 36) return kAudioUnitErr_InvalidPropertyValue;
        if (!GetElement(scope, element)) return kAudioUnitErr_InvalidElement;
        CAStreamBasicDescription format;
        std::memcpy(static_cast<AudioStreamBasicDescription*>(&format), inData, 36);
        if (!ValidFormat(scope, element, format)) return kAudioUnitErr_FormatNotSupported;
        const CAStreamBasicDescription& current = GetStreamFormat(scope, element);
        if (format == current) return noErr;
        if (!IsStreamFormatWritable(scope, element)) return kAudioUnitErr_PropertyNotWritable;
        return ChangeStreamFormat(scope, element, CAStreamBasicDescription(current), format);
    }
    case kAudioUnitProperty_ElementCount: {
        if (inDataSize != sizeof(UInt32)) return kAudioUnitErr_InvalidPropertyValue;
        if (!BusCountWritable(scope)) return kAudioUnitErr_PropertyNotWritable;
        UInt32 count;
        std::memcpy(&count, inData, sizeof count);
        const OSStatus result = SetBusCount(scope, count);
        if (result == noErr) PropertyChanged(id, scope, element);
        return result;
    }
    case kAudioUnitProperty_MaximumFramesPerSlice: {
        if (inDataSize != sizeof(UInt32)) return kAudioUnitErr_InvalidPropertyValue;
        const OSStatus result = CanSetMaxFrames();
        if (result != noErr) return result;
        UInt32 frames;
        std::memcpy(&frames, inData, sizeof frames);
        SetMaxFramesPerSlice(frames);
        return noErr;
    }
    case kAudioUnitProperty_SetExternalBuffer: {
        if (inDataSize < sizeof(AudioUnitExternalBuffer)) return kAudioUnitErr_InvalidPropertyValue;
        if (!IsInitialized()) return kAudioUnitErr_Uninitialized;
        AudioUnitExternalBuffer buffer;
        std::memcpy(&buffer, inData, sizeof buffer);
        if (reinterpret_cast<uintptr_t>(buffer.buffer) % 16 != 0) return paramErr;
        AUIOElement* io = scope == kAudioUnitScope_Input ? static_cast<AUIOElement*>(GetInput(element))
                                                         : static_cast<AUIOElement*>(GetOutput(element));
        io->UseExternalBuffer(buffer);
        return noErr;
    }
    case kAudioUnitProperty_AudioChannelLayout: {
        if (inDataSize < kAudioChannelLayoutHeaderSize) return kAudioUnitErr_InvalidPropertyValue;
        const auto* layout = static_cast<const AudioChannelLayout*>(inData);
        if (inDataSize < kAudioChannelLayoutHeaderSize +
                             UInt64(sizeof(AudioChannelDescription)) * layout->mNumberChannelDescriptions)
            return kAudioUnitErr_InvalidPropertyValue;
        const OSStatus result = SetAudioChannelLayout(scope, element, layout);
        if (result == noErr) PropertyChanged(id, scope, element);
        return result;
    }
    case kAudioUnitProperty_SetRenderCallback: {
        if (inDataSize < sizeof(AURenderCallbackStruct)) return kAudioUnitErr_InvalidPropertyValue;
        AURenderCallbackStruct callback;
        std::memcpy(&callback, inData, sizeof callback);
        return SetInputCallback(id, element, callback.inputProc, callback.inputProcRefCon);
    }
    case kAudioUnitProperty_ContextName: {
        if (inDataSize != sizeof(CFStringRef)) return kAudioUnitErr_InvalidPropertyValue;
        RequireGlobal(scope);
        CFStringRef name;
        std::memcpy(&name, inData, sizeof name);
        if (name) CFRetain(name);
        if (mContextName) CFRelease(mContextName);
        mContextName = name;
        PropertyChanged(id, kAudioUnitScope_Global, element);
        return noErr;
    }
    case kAudioUnitProperty_HostCallbacks: {
        RequireGlobal(scope);
        HostCallbackInfo info{};
        std::memcpy(&info, inData, std::min<size_t>(inDataSize, sizeof info));
        const bool changed = std::memcmp(&info, &mHostCallbackInfo, sizeof info) != 0;
        mHostCallbackInfo = info;
        if (changed) PropertyChanged(id, kAudioUnitScope_Global, element);
        return noErr;
    }
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
        return DispatchSetPresetProperty(id, scope, element, inData, inDataSize);
    case kAudioUnitProperty_ElementName: {
        AUElement* e = GetElement(scope, element);
        if (!e) return kAudioUnitErr_InvalidElement;
        if (inDataSize != sizeof(CFStringRef)) return kAudioUnitErr_InvalidPropertyValue;
        CFStringRef name;
        std::memcpy(&name, inData, sizeof name);
        e->SetName(name);
        PropertyChanged(id, scope, element);
        return noErr;
    }
    default: {
        const OSStatus result = SetProperty(id, scope, element, inData, inDataSize);
        if (result == noErr) PropertyChanged(id, scope, element);
        return result;
    }
    }
}

OSStatus AUBase::DispatchSetPresetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                           const void* inData, UInt32 inDataSize)
{
    if (inDataSize != sizeof(AUPreset)) return kAudioUnitErr_InvalidPropertyValue;
    RequireGlobal(scope);
    AUPreset preset;
    std::memcpy(&preset, inData, sizeof preset);
    if (preset.presetNumber >= 0) {
        const OSStatus result = NewFactoryPresetSet(preset);
        if (result == noErr) PropertyChanged(id, kAudioUnitScope_Global, element);
        return result;
    }
    if (!preset.presetName) return kAudioUnitErr_InvalidPropertyValue;
    CFRetain(preset.presetName);
    if (mCurrentPreset.presetName) CFRelease(mCurrentPreset.presetName);
    mCurrentPreset = preset;
    PropertyChanged(id, kAudioUnitScope_Global, element);
    return noErr;
}

OSStatus AUBase::DispatchRemovePropertyValue(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element)
{
    switch (id) {
    case kAudioUnitProperty_ContextName:
        if (mContextName) CFRelease(mContextName);
        mContextName = nullptr;
        return noErr;
    case kAudioUnitProperty_HostCallbacks:
        RequireGlobal(scope);
        if (AllZero(mHostCallbackInfo)) return noErr;
        mHostCallbackInfo = HostCallbackInfo{};
        PropertyChanged(id, kAudioUnitScope_Global, element);
        return noErr;
    case kAudioUnitProperty_AudioChannelLayout: {
        const OSStatus result = RemoveAudioChannelLayout(scope, element);
        if (result == noErr) PropertyChanged(id, scope, element);
        return result;
    }
    default:
        return RemovePropertyValue(id, scope, element);
    }
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
