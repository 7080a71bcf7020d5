// An element that is an audio bus: a stream format and the bus's sample buffers.
#pragma once

#include "framework/AUBufferList.h"
#include "framework/AUElement.h"
#include "framework/CAStreamBasicDescription.h"

class AUIOElement : public AUElement {
public:
    explicit AUIOElement(AUBase* unit);

    const CAStreamBasicDescription& GetStreamFormat() const { return mStreamFormat; }
    virtual OSStatus SetStreamFormat(const CAStreamBasicDescription& format);
    virtual bool NeedsBufferSpace() const = 0;

    // Channel layouts: none supported by default.
    virtual UInt32 GetChannelLayoutTags(AudioChannelLayoutTag* outTags) { return 0; }
    virtual UInt32 GetAudioChannelLayout(AudioChannelLayout* outLayout, Boolean& outWritable) { return 0; }
    virtual OSStatus SetAudioChannelLayout(const AudioChannelLayout& layout) { return kAudioUnitErr_InvalidProperty; }
    virtual OSStatus RemoveAudioChannelLayout() { return kAudioUnitErr_InvalidPropertyValue; }

    // Sizes the buffers for `frames` (0: the unit's maximum frames per slice), only once the
    // unit is initialized.
    void AllocateBuffer(UInt32 frames = 0);
    void DeallocateBuffer() { mIOBuffer.Deallocate(); }

    AudioBufferList& PrepareBuffer(UInt32 frames) { return mIOBuffer.PrepareBuffer(mStreamFormat, frames); }
    AudioBufferList& PrepareNullBuffer(UInt32 frames) { return mIOBuffer.PrepareNullBuffer(mStreamFormat, frames); }
    void SetBufferList(const AudioBufferList& list) { mIOBuffer.SetBufferList(list); }
    AudioBufferList& GetBufferList() { return mIOBuffer.GetBufferList(); }
    void CopyBufferListTo(AudioBufferList& list) const { mIOBuffer.CopyBufferListTo(list); }
    void CopyBufferContentsTo(AudioBufferList& list) const { mIOBuffer.CopyBufferContentsTo(list); }
    void InvalidateBufferList() { mIOBuffer.InvalidateBufferList(); }
    void UseExternalBuffer(const AudioUnitExternalBuffer& buffer) { mIOBuffer.UseExternalBuffer(mStreamFormat, buffer); }
    AUBufferList& IOBuffer() { return mIOBuffer; }
    const AUBufferList& IOBuffer() const { return mIOBuffer; }

    // One float channel of the current buffer list.
    float* GetChannelData(UInt32 channel) { return static_cast<float*>(GetBufferList().mBuffers[channel].mData); }

protected:
    CAStreamBasicDescription mStreamFormat;
    AUBufferList mIOBuffer;
};
