// The per-channel processor of an effect.
#pragma once

#include "platform/audio/AudioUnitTypes.h"

class AUEffectBase;

class AUKernelBase {
public:
    explicit AUKernelBase(AUEffectBase* effect) : mAudioUnit(effect) {}
    virtual ~AUKernelBase() = default;
    AUKernelBase(const AUKernelBase&) = delete;
    AUKernelBase& operator=(const AUKernelBase&) = delete;

    virtual void Reset() {}
    // On entry ioSilence says whether the input is silent; a kernel that makes sound clears it.
    virtual void Process(const Float32* in, Float32* out, UInt32 frames, UInt32 channels, bool& ioSilence) = 0;

    bool IsLastChannel() const { return mIsLastChannel; }
    UInt32 GetChannelIndex() const { return mChannelIndex; }
    void SetLastChannel(bool isLast) { mIsLastChannel = isLast; }
    void SetChannelIndex(UInt32 index) { mChannelIndex = index; }

protected:
    AUEffectBase* mAudioUnit;
    bool mIsLastChannel = false;
    UInt32 mChannelIndex = 0;
};
