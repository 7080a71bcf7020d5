// One bus element's sample memory and the buffer list that points into it.
//
// Allocate and UseExternalBuffer run off the audio thread; the Prepare, Set, Get and Copy
// operations only rearrange pointers or move samples and never allocate.
#pragma once

#include "framework/CAStreamBasicDescription.h"
#include "platform/audio/AudioUnitTypes.h"

class AUBufferList {
public:
    enum PtrState : UInt32 { kPtrsInvalid = 0, kPtrsToOwnMemory = 1, kPtrsToExternalMemory = 2 };

    AUBufferList() = default;
    ~AUBufferList();
    AUBufferList(const AUBufferList&) = delete;
    AUBufferList& operator=(const AUBufferList&) = delete;

    // Sizes the memory for `frames` frames of `format`; each stream's share is a multiple of 16 bytes.
    void Allocate(const CAStreamBasicDescription& format, UInt32 frames);
    // Points the list into the memory, one buffer per stream.
    AudioBufferList& PrepareBuffer(const CAStreamBasicDescription& format, UInt32 frames);
    // The same layout with null data pointers, for a source that supplies its own memory.
    AudioBufferList& PrepareNullBuffer(const CAStreamBasicDescription& format, UInt32 frames);
    // Takes over someone else's buffer descriptors.
    AudioBufferList& SetBufferList(const AudioBufferList& list);
    AudioBufferList& GetBufferList();
    const AudioBufferList& GetBufferList() const;
    void CopyBufferListTo(AudioBufferList& dest) const;
    void CopyBufferContentsTo(AudioBufferList& dest) const;
    // Adopts a host block when it is large enough; the host keeps ownership.
    void UseExternalBuffer(const CAStreamBasicDescription& format, const AudioUnitExternalBuffer& buffer);
    void Deallocate();
    void InvalidateBufferList() { mPtrState = kPtrsInvalid; }

    PtrState GetPtrState() const { return mPtrState; }
    bool UsesExternalMemory() const { return mExternalMemory; }
    UInt32 GetAllocatedStreams() const { return mAllocatedStreams; }
    UInt32 GetAllocatedFrames() const { return mAllocatedFrames; }
    UInt32 GetAllocatedBytes() const { return mAllocatedBytes; }
    const Byte* GetMemory() const { return mMemory; }

private:
    AudioBufferList& PrepareLayout(const CAStreamBasicDescription& format, UInt32 frames, bool withMemory);
    void FreeOwnMemory();

    PtrState mPtrState = kPtrsInvalid;
    bool mExternalMemory = false;
    AudioBufferList* mBufferList = nullptr;  // AudioBufferListSize(mAllocatedStreams) bytes
    Byte* mMemory = nullptr;
    UInt32 mAllocatedStreams = 0;
    UInt32 mAllocatedFrames = 0;
    UInt32 mAllocatedBytes = 0;
};
