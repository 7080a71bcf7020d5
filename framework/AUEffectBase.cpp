#include "framework/AUEffectBase.h"

#include <cstring>

AUEffectBase::AUEffectBase(ComponentInstance instance, bool processInPlace)
    : AUBase(instance, 1, 1), mProcessInPlace(processInPlace)
{
}

AUEffectBase::~AUEffectBase()
{
    Cleanup();
}

OSStatus AUEffectBase::Initialize()
{
    const UInt32 inChannels = GetInput(0)->GetStreamFormat().mChannelsPerFrame;
    const UInt32 outChannels = GetOutput(0)->GetStreamFormat().mChannelsPerFrame;
    if (inChannels != outChannels || inChannels == 0) return kAudioUnitErr_FormatNotSupported;
    MaintainKernels();
    return noErr;
}

void AUEffectBase::Cleanup()
{
    mKernelList.clear();
}

OSStatus AUEffectBase::Reset(AudioUnitScope, AudioUnitElement)
{
    for (const auto& k : mKernelList)
        if (k) k->Reset();
    return noErr;
}

void AUEffectBase::MaintainKernels()
{
    const UInt32 n = GetNumberOfChannels();
    if (mKernelList.size() < n) {
        mKernelList.reserve(n);
        while (mKernelList.size() < n) mKernelList.emplace_back(NewKernel());
    }
    while (mKernelList.size() > n) mKernelList.pop_back();
    for (UInt32 i = 0; i < n; ++i) {
        if (AUKernelBase* k = mKernelList[i].get()) {
            k->SetLastChannel(i == n - 1);
            k->SetChannelIndex(i);
        }
    }
}

OSStatus AUEffectBase::GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                       UInt32& outDataSize, Boolean& outWritable)
{
    if (scope == kAudioUnitScope_Global &&
        (id == kAudioUnitProperty_BypassEffect || id == kAudioUnitProperty_InPlaceProcessing)) {
        outDataSize = sizeof(UInt32);
        outWritable = true;
        return noErr;
    }
    return AUBase::GetPropertyInfo(id, scope, element, outDataSize, outWritable);
}

OSStatus AUEffectBase::GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                   void* outData)
{
    if (scope == kAudioUnitScope_Global) {
        if (id == kAudioUnitProperty_BypassEffect) {
            *static_cast<UInt32*>(outData) = ShouldBypassEffect() ? 1 : 0;
            return noErr;
        }
        if (id == kAudioUnitProperty_InPlaceProcessing) {
            *static_cast<UInt32*>(outData) = mProcessInPlace ? 1 : 0;
            return noErr;
        }
    }
    return AUBase::GetProperty(id, scope, element, outData);
}

OSStatus AUEffectBase::SetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                   const void* inData, UInt32 inDataSize)
{
    if (scope == kAudioUnitScope_Global &&
        (id == kAudioUnitProperty_BypassEffect || id == kAudioUnitProperty_InPlaceProcessing)) {
        if (inDataSize < sizeof(UInt32)) return kAudioUnitErr_InvalidPropertyValue;
        UInt32 value;
        std::memcpy(&value, inData, sizeof value);
        if (id == kAudioUnitProperty_InPlaceProcessing) {
            mProcessInPlace = value != 0;
            return noErr;
        }
        const bool bypass = value != 0;
        if (bypass != ShouldBypassEffect()) {
            if (!bypass && IsInitialized()) Reset(kAudioUnitScope_Global, 0);
            SetBypassEffect(bypass);
        }
        return noErr;
    }
    return AUBase::SetProperty(id, scope, element, inData, inDataSize);
}

OSStatus AUEffectBase::ChangeStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                          const CAStreamBasicDescription& previous,
                                          const CAStreamBasicDescription& format)
{
    const OSStatus result = AUBase::ChangeStreamFormat(scope, element, previous, format);
    if (result == noErr && mParamsDependOnRate && previous.mSampleRate != format.mSampleRate)
        PropertyChanged(kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0);
    return result;
}

bool AUEffectBase::IsInputSilent(AudioUnitRenderActionFlags ioActionFlags, UInt32 frames)
{
    if (ioActionFlags & kAudioUnitRenderAction_OutputIsSilence) {
        if (mSilenceRearm) {
            mSilenceCountdown = SInt32(UInt32(GetSampleRate() * (GetLatency() + GetTailTime())));
            mSilenceRearm = false;
        }
        if (mSilenceCountdown < 1) return true;
        mSilenceCountdown -= SInt32(frames);
        return false;
    }
    mSilenceRearm = true;
    return false;
}

OSStatus AUEffectBase::ProcessBufferLists(AudioUnitRenderActionFlags& ioActionFlags, const AudioBufferList& inBuffer,
                                          AudioBufferList& outBuffer, UInt32 frames)
{
    const bool silent = IsInputSilent(ioActionFlags, frames);
    ioActionFlags |= kAudioUnitRenderAction_OutputIsSilence;
    const size_t n = mKernelList.size();
    for (size_t i = 0; i < n; ++i) {
        AUKernelBase* kernel = mKernelList[i].get();
        if (!kernel) continue;
        bool flag = silent;
        if (inBuffer.mNumberBuffers == 1) {
            kernel->Process(static_cast<const Float32*>(inBuffer.mBuffers[0].mData) + i,
                            static_cast<Float32*>(outBuffer.mBuffers[0].mData) + i, frames,
                            inBuffer.mBuffers[0].mNumberChannels, flag);
        } else if (i < inBuffer.mNumberBuffers && i < outBuffer.mNumberBuffers) {
            kernel->Process(static_cast<const Float32*>(inBuffer.mBuffers[i].mData),
                            static_cast<Float32*>(outBuffer.mBuffers[i].mData), frames, 1, flag);
        }
        if (!flag) ioActionFlags &= ~kAudioUnitRenderAction_OutputIsSilence;
    }
    return noErr;
}
