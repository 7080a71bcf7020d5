// The audio unit component object: property dispatch, scopes and elements, parameters,
// property listeners, render notifications and the render sequence.
#pragma once

#include <vector>

#include "framework/AUElementCreator.h"
#include "framework/AUInputElement.h"
#include "framework/AUOutputElement.h"
#include "framework/AUScope.h"
#include "framework/ComponentBase.h"
#include "framework/TThreadSafeList.h"
#include "platform/cf/CFArray.h"

class AUBase : public ComponentBase, public AUElementCreator {
public:
    static constexpr UInt32 kDefaultMaxFramesPerSlice = 1156;
    static constexpr int kNumScopes = 5;

    AUBase(ComponentInstance instance, UInt32 numInputElements, UInt32 numOutputElements,
           UInt32 numGroupElements = 0, UInt32 numPartElements = 0);
    ~AUBase() override;

    // Lifecycle.
    void PostConstructor() override { CreateElements(); }
    void PreDestructor() override;
    virtual OSStatus Initialize() { return noErr; }
    virtual void Cleanup() {}
    virtual OSStatus Reset(AudioUnitScope scope, AudioUnitElement element);
    OSStatus DoInitialize();
    void DoCleanup();
    bool IsInitialized() const { return mInitialized; }

    // Properties.
    virtual OSStatus GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                     UInt32& outDataSize, Boolean& outWritable);
    virtual OSStatus GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                 void* outData);
    virtual OSStatus SetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                 const void* inData, UInt32 inDataSize);
    virtual OSStatus RemovePropertyValue(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element);
    OSStatus DispatchGetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                     UInt32& outDataSize, Boolean& outWritable);
    OSStatus DispatchGetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                 void* outData);
    OSStatus DispatchSetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                 const void* inData, UInt32 inDataSize);
    OSStatus DispatchRemovePropertyValue(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element);
    // Selector 4: the size rules around DispatchGetProperty.
    OSStatus GetPropertyForCaller(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                  void* outData, UInt32* ioDataSize);

    // Property listeners.
    virtual OSStatus AddPropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc, void* userData);
    virtual OSStatus RemovePropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc);
    void PropertyChanged(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element);

    // Render notifications.
    virtual OSStatus SetRenderNotification(AURenderCallback proc, void* userData);
    virtual OSStatus RemoveRenderNotification(AURenderCallback proc, void* userData);

    // Parameters.
    virtual OSStatus GetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                                  AudioUnitParameterValue& outValue);
    virtual OSStatus SetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                                  AudioUnitParameterValue value, UInt32 bufferOffset);
    virtual OSStatus SetGroupParameter(AudioUnitParameterID id, AudioUnitElement element,
                                       AudioUnitParameterValue value, UInt32 bufferOffset)
    {
        return kAudioUnitErr_InvalidScope;
    }
    virtual OSStatus GetGroupParameter(AudioUnitParameterID id, AudioUnitElement element,
                                       AudioUnitParameterValue& outValue)
    {
        return kAudioUnitErr_InvalidScope;
    }
    virtual OSStatus ScheduleParameter(const AudioUnitParameterEvent* events, UInt32 count);
    virtual OSStatus GetParameterList(AudioUnitScope scope, AudioUnitParameterID* outList, UInt32& outNumParameters);
    virtual OSStatus GetParameterInfo(AudioUnitScope scope, AudioUnitParameterID id, AudioUnitParameterInfo& outInfo)
    {
        return kAudioUnitErr_InvalidParameter;
    }
    virtual OSStatus GetParameterValueStrings(AudioUnitScope scope, AudioUnitParameterID id, CFArrayRef* outStrings)
    {
        return kAudioUnitErr_InvalidProperty;
    }

    // Rendering.
    virtual OSStatus RenderBus(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& timeStamp,
                               UInt32 bus, UInt32 frames);
    virtual OSStatus Render(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& timeStamp, UInt32 frames)
    {
        return noErr;
    }
    OSStatus DoRender(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& timeStamp, UInt32 bus,
                      UInt32 frames, AudioBufferList& ioData);
    OSStatus ProcessForScheduledParams(std::vector<AudioUnitParameterEvent>& events, UInt32 frames, void* userData);
    virtual OSStatus ProcessScheduledSlice(void* userData, UInt32 sliceStart, UInt32 sliceFrames, UInt32 totalFrames)
    {
        return noErr;
    }
    std::vector<AudioUnitParameterEvent>& GetParamEventList() { return mParamList; }

    // Busses and connections.
    virtual bool BusCountWritable(AudioUnitScope scope) { return false; }
    virtual OSStatus SetBusCount(AudioUnitScope scope, UInt32 count);
    virtual OSStatus SetConnection(const AudioUnitConnection& connection);
    virtual OSStatus SetInputCallback(AudioUnitPropertyID propertyId, AudioUnitElement element, AURenderCallback proc,
                                      void* userData);

    // State and presets.
    virtual OSStatus SaveState(CFPropertyListRef* outData);
    virtual OSStatus RestoreState(CFPropertyListRef inData);
    virtual OSStatus GetPresets(CFArrayRef* outData) const { return kAudioUnitErr_InvalidProperty; }
    virtual OSStatus NewFactoryPresetSet(const AUPreset& preset) { return kAudioUnitErr_InvalidProperty; }
    const AUPreset& GetCurrentPreset() const { return mCurrentPreset; }

    // Description.
    virtual int GetNumCustomUIComponents() { return 0; }
    virtual void GetUIComponentDescs(ComponentDescription* outDescs) {}
    virtual bool HasIcon() { return false; }
    virtual CFTypeRef GetIconLocation() { return nullptr; }
    virtual Float64 GetLatency() { return 0.0; }
    virtual Float64 GetTailTime() { return 0.0; }
    virtual bool SupportsTail() { return false; }

    // Stream formats.
    virtual bool StreamFormatWritable(AudioUnitScope scope, AudioUnitElement element) = 0;
    virtual UInt32 SupportedNumChannels(const AUChannelInfo** outInfo) { return 0; }
    virtual bool ValidFormat(AudioUnitScope scope, AudioUnitElement element, const CAStreamBasicDescription& format)
    {
        return FormatIsCanonical(format);
    }
    virtual const CAStreamBasicDescription& GetStreamFormat(AudioUnitScope scope, AudioUnitElement element);
    virtual OSStatus ChangeStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                        const CAStreamBasicDescription& previous, const CAStreamBasicDescription& format);
    bool IsStreamFormatWritable(AudioUnitScope scope, AudioUnitElement element);

    // Elements.
    AUElement* CreateElement(AudioUnitScope scope, AudioUnitElement element) override;
    void CreateElements();
    virtual void ReallocateBuffers();
    virtual void SetMaxFramesPerSlice(UInt32 frames);
    virtual OSStatus CanSetMaxFrames() const { return mInitialized ? OSStatus(kAudioUnitErr_Initialized) : OSStatus(noErr); }
    UInt32 GetMaxFramesPerSlice() const { return mMaxFramesPerSlice; }

    // Channel layouts.
    virtual UInt32 GetAudioChannelLayout(AudioUnitScope scope, AudioUnitElement element,
                                         AudioChannelLayout* outLayout, Boolean& outWritable);
    virtual OSStatus SetAudioChannelLayout(AudioUnitScope scope, AudioUnitElement element,
                                           const AudioChannelLayout* layout);
    virtual OSStatus RemoveAudioChannelLayout(AudioUnitScope scope, AudioUnitElement element);

    // Lookups; every one throws kAudioUnitErr_InvalidScope for a scope of 5 or more.
    AUScope& GetScope(AudioUnitScope scope)
    {
        if (scope >= kNumScopes) throw SInt32(kAudioUnitErr_InvalidScope);
        return mScopes[scope];
    }
    AUScope& GlobalScope() { return mScopes[kAudioUnitScope_Global]; }
    AUScope& Inputs() { return mScopes[kAudioUnitScope_Input]; }
    AUScope& Outputs() { return mScopes[kAudioUnitScope_Output]; }
    AUElement* GetElement(AudioUnitScope scope, AudioUnitElement element)
    {
        return GetScope(scope).GetElement(element);
    }
    AUElement* SafeGetElement(AudioUnitScope scope, AudioUnitElement element)
    {
        return GetScope(scope).SafeGetElement(element);
    }
    AUIOElement* GetIOElement(AudioUnitScope scope, AudioUnitElement element)
    {
        return GetScope(scope).GetIOElement(element);
    }
    AUElement* Globals() { return mScopes[kAudioUnitScope_Global].SafeGetElement(0); }
    AUInputElement* GetInput(AudioUnitElement element)
    {
        return static_cast<AUInputElement*>(Inputs().SafeGetElement(element));
    }
    AUOutputElement* GetOutput(AudioUnitElement element)
    {
        return static_cast<AUOutputElement*>(Outputs().SafeGetElement(element));
    }
    bool HasInput(AudioUnitElement element)
    {
        AUInputElement* in = static_cast<AUInputElement*>(Inputs().GetElement(element));
        return in && in->IsActive();
    }
    OSStatus PullInput(UInt32 inputBus, AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& timeStamp,
                       UInt32 frames)
    {
        return GetInput(inputBus)->PullInput(ioActionFlags, timeStamp, inputBus, frames);
    }

    const HostCallbackInfo& GetHostCallbackInfo() const { return mHostCallbackInfo; }
    CFStringRef GetContextName() const { return mContextName; }

    // Entry dispatch for selectors 1-17; others go to ComponentBase.
    static ComponentResult ComponentEntryDispatch(ComponentParameters* params, AUBase* unit);

    struct RenderCallback {
        AURenderCallback mRenderNotify = nullptr;
        void* mRenderNotifyRefCon = nullptr;
        bool operator==(const RenderCallback& o) const
        {
            return mRenderNotify == o.mRenderNotify && mRenderNotifyRefCon == o.mRenderNotifyRefCon;
        }
    };

protected:
    struct PropertyListener {
        AudioUnitPropertyID propertyID;
        AudioUnitPropertyListenerProc listenerProc;
        void* listenerRefCon;
    };

    OSStatus DoRenderBus(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& timeStamp, UInt32 bus,
                         AUOutputElement* output, UInt32 frames, AudioBufferList& ioData);
    OSStatus DispatchSetPresetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                       const void* inData, UInt32 inDataSize);
    struct PropertyTable;  // a row per property AUBase answers itself (AUBaseProperties.cpp)
    void SetRenderError(OSStatus err);

private:
    bool mElementsCreated = false;
    bool mInitialized = false;
    UInt32 mInitNumInputEls, mInitNumOutputEls, mInitNumGroupEls, mInitNumPartEls;
    AUScope mScopes[kNumScopes];
    TThreadSafeList<RenderCallback> mRenderCallbacks;
    Float64 mLastRenderedSampleTime = -1.0;
    UInt32 mMaxFramesPerSlice = 0;
    OSStatus mLastRenderError = noErr;
    AUPreset mCurrentPreset;                // presetName borrows mCurrentPresetName: set both together
    CFRef<CFStringRef> mCurrentPresetName;  // owns the present preset's name
    std::vector<AudioUnitParameterEvent> mParamList;
    std::vector<PropertyListener> mPropertyListeners;
    HostCallbackInfo mHostCallbackInfo{};
    CFRef<CFStringRef> mContextName;
    bool mBuffersAllocated = false;
};
