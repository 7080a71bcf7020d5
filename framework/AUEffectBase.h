// A channel-wise effect: one input bus, one output bus, one kernel per channel, and the bypass
// and in-place properties.
#pragma once

#include <memory>
#include <vector>

#include "framework/AUBase.h"
#include "framework/AUKernelBase.h"

class AUEffectBase : public AUBase {
public:
    AUEffectBase(ComponentInstance instance, bool processInPlace = true);
    ~AUEffectBase() override;

    OSStatus Initialize() override;
    void Cleanup() override;
    OSStatus Reset(AudioUnitScope scope, AudioUnitElement element) override;

    OSStatus GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                             UInt32& outDataSize, Boolean& outWritable) override;
    OSStatus GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                         void* outData) override;
    OSStatus SetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, const void* inData,
                         UInt32 inDataSize) override;

    bool StreamFormatWritable(AudioUnitScope scope, AudioUnitElement element) override { return !IsInitialized(); }
    OSStatus ChangeStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                const CAStreamBasicDescription& previous,
                                const CAStreamBasicDescription& format) override;

    virtual AUKernelBase* NewKernel() { return nullptr; }  // the effect takes ownership
    virtual OSStatus ProcessBufferLists(AudioUnitRenderActionFlags& ioActionFlags, const AudioBufferList& inBuffer,
                                        AudioBufferList& outBuffer, UInt32 frames);
    virtual bool ShouldBypassEffect() { return mBypassEffect; }
    virtual void SetBypassEffect(bool bypass) { mBypassEffect = bypass; }

    void MaintainKernels();
    bool IsInputSilent(AudioUnitRenderActionFlags ioActionFlags, UInt32 frames);

    UInt32 GetNumberOfChannels() { return GetOutput(0)->GetStreamFormat().mChannelsPerFrame; }
    Float64 GetSampleRate() { return GetOutput(0)->GetStreamFormat().mSampleRate; }
    AudioUnitParameterValue GetParameter(AudioUnitParameterID id) { return Globals()->GetParameter(id); }
    using AUBase::GetParameter;

    const std::vector<std::unique_ptr<AUKernelBase>>& Kernels() const { return mKernelList; }
    bool ProcessesInPlace() const { return mProcessInPlace; }

protected:
    std::vector<std::unique_ptr<AUKernelBase>> mKernelList;
    bool mBypassEffect = false;
    bool mParamsDependOnRate = false;
    bool mProcessInPlace;
    SInt32 mSilenceCountdown = 0;
    bool mSilenceRearm = true;
};
