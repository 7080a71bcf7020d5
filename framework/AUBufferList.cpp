#include "framework/AUBufferList.h"

#include <cstring>
#include <new>

namespace {

constexpr std::align_val_t kAlignment{16};
constexpr SInt32 kErrNotPrepared = -1;

constexpr UInt64 RoundUp16(UInt64 bytes) { return (bytes + 15) & ~UInt64(15); }

// Allocation failure surfaces as the framework's out-of-memory status.
void* AllocateBlock(size_t bytes, bool aligned)
{
    try {
        return aligned ? ::operator new(bytes, kAlignment) : ::operator new(bytes);
    } catch (const std::bad_alloc&) {
        throw SInt32(memFullErr);
    }
}

}  // namespace

AUBufferList::~AUBufferList()
{
    Deallocate();
    ::operator delete(mBufferList);
}

void AUBufferList::Allocate(const CAStreamBasicDescription& format, UInt32 frames)
{
    const UInt32 streams = format.NumberChannelStreams();
    if (streams > mAllocatedStreams) {
        void* storage = AllocateBlock(AudioBufferListSize(streams), false);
        std::memset(storage, 0, AudioBufferListSize(streams));
        ::operator delete(mBufferList);
        mBufferList = static_cast<AudioBufferList*>(storage);
        mAllocatedStreams = streams;
    }

    const UInt64 total = UInt64(streams) * RoundUp16(UInt64(frames) * format.mBytesPerFrame);
    if (total > UInt32(~0u)) throw SInt32(memFullErr);
    if (total > mAllocatedBytes) {
        if (mExternalMemory) {
            mExternalMemory = false;
            mMemory = nullptr;
        }
        FreeOwnMemory();
        mAllocatedBytes = 0;
        mMemory = static_cast<Byte*>(AllocateBlock(size_t(total), true));
        mAllocatedBytes = UInt32(total);
    }
    mAllocatedFrames = frames;
    mPtrState = kPtrsInvalid;
}

AudioBufferList& AUBufferList::PrepareLayout(const CAStreamBasicDescription& format, UInt32 frames, bool withMemory)
{
    const bool deinterleaved = !format.IsInterleaved();
    const UInt32 buffers = deinterleaved ? format.mChannelsPerFrame : 1;
    if (buffers > mAllocatedStreams || !mBufferList) throw SInt32(kAudioUnitErr_FormatNotSupported);

    const UInt64 stride = RoundUp16(UInt64(mAllocatedFrames) * format.mBytesPerFrame);
    const UInt64 bytes = UInt64(frames) * format.mBytesPerFrame;
    if (withMemory && buffers > 0 && UInt64(buffers - 1) * stride + bytes > mAllocatedBytes)
        throw SInt32(kAudioUnitErr_TooManyFramesToProcess);

    mBufferList->mNumberBuffers = buffers;
    for (UInt32 i = 0; i < buffers; ++i) {
        AudioBuffer& b = mBufferList->mBuffers[i];
        b.mNumberChannels = deinterleaved ? 1 : format.mChannelsPerFrame;
        b.mDataByteSize = UInt32(bytes);
        b.mData = withMemory && mMemory ? mMemory + i * stride : nullptr;
    }
    mPtrState = withMemory ? kPtrsToOwnMemory : kPtrsToExternalMemory;
    return *mBufferList;
}

AudioBufferList& AUBufferList::PrepareBuffer(const CAStreamBasicDescription& format, UInt32 frames)
{
    return PrepareLayout(format, frames, true);
}

AudioBufferList& AUBufferList::PrepareNullBuffer(const CAStreamBasicDescription& format, UInt32 frames)
{
    return PrepareLayout(format, frames, false);
}

AudioBufferList& AUBufferList::SetBufferList(const AudioBufferList& list)
{
    if (list.mNumberBuffers > mAllocatedStreams || !mBufferList) throw SInt32(kErrNotPrepared);
    mBufferList->mNumberBuffers = list.mNumberBuffers;
    std::memcpy(mBufferList->mBuffers, list.mBuffers, list.mNumberBuffers * sizeof(AudioBuffer));
    mPtrState = kPtrsToExternalMemory;
    return *mBufferList;
}

AudioBufferList& AUBufferList::GetBufferList()
{
    if (mPtrState == kPtrsInvalid) throw SInt32(kErrNotPrepared);
    return *mBufferList;
}

const AudioBufferList& AUBufferList::GetBufferList() const
{
    if (mPtrState == kPtrsInvalid) throw SInt32(kErrNotPrepared);
    return *mBufferList;
}

// Both copies stop at the descriptors this list has room for.
void AUBufferList::CopyBufferListTo(AudioBufferList& dest) const
{
    if (mPtrState == kPtrsInvalid) throw SInt32(kErrNotPrepared);
    const UInt32 n = dest.mNumberBuffers < mAllocatedStreams ? dest.mNumberBuffers : mAllocatedStreams;
    std::memcpy(dest.mBuffers, mBufferList->mBuffers, n * sizeof(AudioBuffer));
}

void AUBufferList::CopyBufferContentsTo(AudioBufferList& dest) const
{
    if (mPtrState == kPtrsInvalid) throw SInt32(kErrNotPrepared);
    const UInt32 n = dest.mNumberBuffers < mAllocatedStreams ? dest.mNumberBuffers : mAllocatedStreams;
    for (UInt32 i = 0; i < n; ++i) {
        const AudioBuffer& src = mBufferList->mBuffers[i];
        AudioBuffer& dst = dest.mBuffers[i];
        if (src.mData != dst.mData && src.mData && dst.mData) std::memmove(dst.mData, src.mData, src.mDataByteSize);
        dst.mDataByteSize = src.mDataByteSize;
    }
}

void AUBufferList::UseExternalBuffer(const CAStreamBasicDescription& format, const AudioUnitExternalBuffer& buffer)
{
    const UInt32 usable = buffer.size & ~UInt32(15);
    if (!mMemory || !buffer.buffer || usable < mAllocatedBytes) return;
    FreeOwnMemory();
    mMemory = buffer.buffer;
    mExternalMemory = true;
    mAllocatedBytes = usable;
    const UInt64 frameBytes = UInt64(format.NumberChannelStreams()) * format.mBytesPerFrame;
    mAllocatedFrames = frameBytes ? UInt32(usable / frameBytes) : 0;
}

void AUBufferList::Deallocate()
{
    mAllocatedStreams = 0;
    mAllocatedFrames = 0;
    mAllocatedBytes = 0;
    if (mExternalMemory)
        mExternalMemory = false;
    else
        FreeOwnMemory();
    mMemory = nullptr;
    mPtrState = kPtrsInvalid;
}

void AUBufferList::FreeOwnMemory()
{
    if (mMemory && !mExternalMemory) ::operator delete(mMemory, kAlignment);
    mMemory = nullptr;
}
