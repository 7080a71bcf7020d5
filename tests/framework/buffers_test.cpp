// AUBufferList: allocation sizes and strides, buffer preparation, borrowed lists, copies,
// external host memory, and the errors of each operation.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "framework/AUBufferList.h"
#include "support/AllocCounter.h"

namespace {

using Desc = CAStreamBasicDescription;

Desc Planar(UInt32 channels) { return Desc::CanonicalFormat(44100, channels); }

Desc Interleaved(UInt32 channels)
{
    Desc d = Desc::CanonicalFormat(44100, channels);
    d.mFormatFlags &= ~kAudioFormatFlagIsNonInterleaved;
    d.mBytesPerFrame = d.mBytesPerPacket = 4 * channels;
    return d;
}

// Runs `f` and returns the status it threw, or 0.
template <class F>
SInt32 Thrown(F&& f)
{
    try {
        f();
    } catch (SInt32 err) {
        return err;
    }
    return 0;
}

uintptr_t Address(const void* p) { return reinterpret_cast<uintptr_t>(p); }

// A caller-owned buffer list of n buffers.
struct List {
    explicit List(UInt32 n) : storage(n + 1)
    {
        get()->mNumberBuffers = n;
    }
    AudioBufferList* get() { return reinterpret_cast<AudioBufferList*>(storage.data()); }
    AudioBuffer& operator[](UInt32 i) { return get()->mBuffers[i]; }
    std::vector<AudioBuffer> storage;
};

}  // namespace

TEST(BufferAllocation, StereoBlockForMaximumSlice)
{
    AUBufferList b;
    b.Allocate(Planar(2), 1156);
    EXPECT_EQ(b.GetAllocatedStreams(), 2u);
    EXPECT_EQ(b.GetAllocatedFrames(), 1156u);
    EXPECT_EQ(b.GetAllocatedBytes(), 9248u);
    EXPECT_EQ(b.GetPtrState(), AUBufferList::kPtrsInvalid);

    AudioBufferList& list = b.PrepareBuffer(Planar(2), 1156);
    ASSERT_EQ(list.mNumberBuffers, 2u);
    EXPECT_EQ(Address(list.mBuffers[0].mData), Address(b.GetMemory()));
    EXPECT_EQ(Address(list.mBuffers[1].mData) - Address(list.mBuffers[0].mData), 4624u);
    for (UInt32 i = 0; i < 2; ++i) {
        EXPECT_EQ(list.mBuffers[i].mNumberChannels, 1u);
        EXPECT_EQ(list.mBuffers[i].mDataByteSize, 4624u);
    }
    EXPECT_EQ(b.GetPtrState(), AUBufferList::kPtrsToOwnMemory);
}

TEST(BufferAllocation, EveryChannelStartsOn16Bytes)
{
    for (UInt32 channels = 1; channels <= 5; ++channels) {
        for (UInt32 frames = 1; frames <= 19; ++frames) {
            AUBufferList b;
            b.Allocate(Planar(channels), frames);
            const UInt32 stride = (frames * 4 + 15) / 16 * 16;
            ASSERT_EQ(b.GetAllocatedBytes(), channels * stride) << channels << "x" << frames;
            const AudioBufferList& list = b.PrepareBuffer(Planar(channels), frames);
            ASSERT_EQ(list.mNumberBuffers, channels);
            for (UInt32 c = 0; c < channels; ++c) {
                ASSERT_EQ(Address(list.mBuffers[c].mData) % 16, 0u) << channels << "x" << frames << " ch " << c;
                ASSERT_EQ(Address(list.mBuffers[c].mData) - Address(b.GetMemory()), c * stride);
                ASSERT_EQ(list.mBuffers[c].mDataByteSize, frames * 4);
            }
            // Each channel can be written in full without touching its neighbour.
            for (UInt32 c = 0; c < channels; ++c)
                std::memset(list.mBuffers[c].mData, int(c + 1), frames * 4);
            for (UInt32 c = 0; c < channels; ++c)
                ASSERT_EQ(static_cast<unsigned char*>(list.mBuffers[c].mData)[frames * 4 - 1], c + 1);
        }
    }
}

TEST(BufferAllocation, InterleavedUsesOneBufferWithAllChannels)
{
    AUBufferList b;
    b.Allocate(Interleaved(3), 10);
    EXPECT_EQ(b.GetAllocatedStreams(), 1u);
    EXPECT_EQ(b.GetAllocatedBytes(), 128u);  // 120 rounded up
    const AudioBufferList& list = b.PrepareBuffer(Interleaved(3), 10);
    ASSERT_EQ(list.mNumberBuffers, 1u);
    EXPECT_EQ(list.mBuffers[0].mNumberChannels, 3u);
    EXPECT_EQ(list.mBuffers[0].mDataByteSize, 120u);
    EXPECT_EQ(list.mBuffers[0].mData, b.GetMemory());
}

TEST(BufferAllocation, BlockOnlyGrows)
{
    AUBufferList b;
    b.Allocate(Planar(2), 512);
    const Byte* block = b.GetMemory();
    b.PrepareBuffer(Planar(2), 512);

    b.Allocate(Planar(2), 100);
    EXPECT_EQ(b.GetMemory(), block);
    EXPECT_EQ(b.GetAllocatedBytes(), 4096u);
    EXPECT_EQ(b.GetAllocatedFrames(), 100u);
    EXPECT_EQ(b.GetPtrState(), AUBufferList::kPtrsInvalid);
    // Strides follow the allocated frames, not the block.
    const AudioBufferList& list = b.PrepareBuffer(Planar(2), 100);
    EXPECT_EQ(Address(list.mBuffers[1].mData) - Address(list.mBuffers[0].mData), 400u);

    b.Allocate(Planar(4), 1024);
    EXPECT_EQ(b.GetAllocatedStreams(), 4u);
    EXPECT_EQ(b.GetAllocatedBytes(), 16384u);
    EXPECT_EQ(Address(b.GetMemory()) % 16, 0u);
    EXPECT_EQ(b.PrepareBuffer(Planar(4), 1024).mNumberBuffers, 4u);

    // Fewer streams keep the larger list.
    b.Allocate(Planar(1), 8);
    EXPECT_EQ(b.GetAllocatedStreams(), 4u);
}

TEST(BufferAllocation, ZeroFramesAllocateNoBlock)
{
    AUBufferList b;
    b.Allocate(Planar(2), 0);
    EXPECT_EQ(b.GetMemory(), nullptr);
    EXPECT_EQ(b.GetAllocatedBytes(), 0u);
    EXPECT_EQ(b.GetAllocatedStreams(), 2u);
    // Null buffers need no memory of their own.
    const AudioBufferList& list = b.PrepareNullBuffer(Planar(2), 512);
    ASSERT_EQ(list.mNumberBuffers, 2u);
    EXPECT_EQ(list.mBuffers[1].mData, nullptr);
    EXPECT_EQ(list.mBuffers[1].mDataByteSize, 2048u);
}

TEST(BufferPreparation, NullBuffersKeepTheLayout)
{
    AUBufferList b;
    b.Allocate(Planar(2), 64);
    const AudioBufferList& list = b.PrepareNullBuffer(Planar(2), 32);
    ASSERT_EQ(list.mNumberBuffers, 2u);
    for (UInt32 c = 0; c < 2; ++c) {
        EXPECT_EQ(list.mBuffers[c].mData, nullptr);
        EXPECT_EQ(list.mBuffers[c].mNumberChannels, 1u);
        EXPECT_EQ(list.mBuffers[c].mDataByteSize, 128u);
    }
    EXPECT_EQ(b.GetPtrState(), AUBufferList::kPtrsToExternalMemory);
}

TEST(BufferPreparation, FramesBeyondTheBlockAreRefused)
{
    AUBufferList b;
    b.Allocate(Planar(2), 16);
    EXPECT_EQ(Thrown([&] { b.PrepareBuffer(Planar(2), 16); }), 0);
    EXPECT_EQ(Thrown([&] { b.PrepareBuffer(Planar(2), 17); }), kAudioUnitErr_TooManyFramesToProcess);

    // A frame count that still fits the 16-byte rounding of the last stream is accepted.
    AUBufferList odd;
    odd.Allocate(Planar(2), 3);  // 12 bytes per stream, stride 16
    EXPECT_EQ(Thrown([&] { odd.PrepareBuffer(Planar(2), 4); }), 0);
    EXPECT_EQ(Thrown([&] { odd.PrepareBuffer(Planar(2), 5); }), kAudioUnitErr_TooManyFramesToProcess);

    AUBufferList none;
    EXPECT_EQ(Thrown([&] { none.PrepareBuffer(Planar(0), 8); }), kAudioUnitErr_FormatNotSupported);
}

TEST(BufferPreparation, MoreChannelsThanStreamsAreRefused)
{
    AUBufferList b;
    b.Allocate(Planar(1), 64);
    EXPECT_EQ(Thrown([&] { b.PrepareBuffer(Planar(2), 8); }), kAudioUnitErr_FormatNotSupported);
    EXPECT_EQ(Thrown([&] { b.PrepareNullBuffer(Planar(2), 8); }), kAudioUnitErr_FormatNotSupported);
    EXPECT_EQ(b.GetPtrState(), AUBufferList::kPtrsInvalid);

    AUBufferList fresh;
    EXPECT_EQ(Thrown([&] { fresh.PrepareNullBuffer(Planar(1), 8); }), kAudioUnitErr_FormatNotSupported);
    EXPECT_EQ(Thrown([&] { fresh.PrepareBuffer(Interleaved(2), 0); }), kAudioUnitErr_FormatNotSupported);
}

TEST(BufferPreparation, RenderTimeOperationsDoNotAllocate)
{
    AUBufferList b;
    b.Allocate(Planar(2), 256);
    List dest(2);
    std::vector<float> l(256), r(256);
    dest[0] = AudioBuffer{1, 1024, l.data()};
    dest[1] = AudioBuffer{1, 1024, r.data()};

    testsupport::AllocationScope scope;
    b.PrepareBuffer(Planar(2), 256);
    b.CopyBufferContentsTo(*dest.get());
    b.PrepareNullBuffer(Planar(2), 256);
    b.CopyBufferListTo(*dest.get());
    b.SetBufferList(*dest.get());
    b.GetBufferList();
    b.InvalidateBufferList();
    b.Allocate(Planar(2), 128);  // within the block
    EXPECT_EQ(scope.Count(), 0);
}

TEST(BufferState, OperationsNeedAPreparedList)
{
    AUBufferList b;
    List dest(2);
    EXPECT_EQ(Thrown([&] { b.GetBufferList(); }), -1);
    EXPECT_EQ(Thrown([&] { b.CopyBufferListTo(*dest.get()); }), -1);
    EXPECT_EQ(Thrown([&] { b.CopyBufferContentsTo(*dest.get()); }), -1);

    b.Allocate(Planar(2), 32);
    EXPECT_EQ(Thrown([&] { b.GetBufferList(); }), -1);
    b.PrepareBuffer(Planar(2), 32);
    EXPECT_EQ(Thrown([&] { b.GetBufferList(); }), 0);
    b.InvalidateBufferList();
    EXPECT_EQ(b.GetPtrState(), AUBufferList::kPtrsInvalid);
    EXPECT_EQ(Thrown([&] { b.GetBufferList(); }), -1);
    EXPECT_EQ(Thrown([&] { b.CopyBufferContentsTo(*dest.get()); }), -1);

    // Allocation invalidates a prepared list.
    b.PrepareBuffer(Planar(2), 32);
    b.Allocate(Planar(2), 32);
    EXPECT_EQ(Thrown([&] { b.GetBufferList(); }), -1);
}

TEST(BufferState, BorrowedListIsCopiedAndLimitedToTheStreams)
{
    AUBufferList b;
    b.Allocate(Planar(2), 32);
    float host[2][32];
    List given(2);
    given[0] = AudioBuffer{1, 128, host[0]};
    given[1] = AudioBuffer{1, 100, host[1]};

    AudioBufferList& list = b.SetBufferList(*given.get());
    EXPECT_NE(&list, given.get());
    EXPECT_EQ(&b.GetBufferList(), &list);
    EXPECT_EQ(b.GetPtrState(), AUBufferList::kPtrsToExternalMemory);
    ASSERT_EQ(list.mNumberBuffers, 2u);
    EXPECT_EQ(list.mBuffers[0].mData, host[0]);
    EXPECT_EQ(list.mBuffers[1].mData, host[1]);
    EXPECT_EQ(list.mBuffers[1].mDataByteSize, 100u);
    given[0].mData = nullptr;  // later changes to the caller's list do not leak in
    EXPECT_EQ(list.mBuffers[0].mData, host[0]);

    List three(3);
    EXPECT_EQ(Thrown([&] { b.SetBufferList(*three.get()); }), -1);
    AUBufferList fresh;
    List one(1);
    EXPECT_EQ(Thrown([&] { fresh.SetBufferList(*one.get()); }), -1);
}

TEST(BufferCopy, DescriptorsForTheDestinationsCount)
{
    AUBufferList b;
    b.Allocate(Planar(2), 16);
    const AudioBufferList& own = b.PrepareBuffer(Planar(2), 8);
    List dest(2);
    dest.get()->mNumberBuffers = 1;
    dest[0] = AudioBuffer{9, 9, nullptr};
    dest[1] = AudioBuffer{7, 7, nullptr};  // past the destination's count
    b.CopyBufferListTo(*dest.get());
    EXPECT_EQ(dest.get()->mNumberBuffers, 1u);
    EXPECT_EQ(dest[0].mData, own.mBuffers[0].mData);
    EXPECT_EQ(dest[0].mDataByteSize, 32u);
    EXPECT_EQ(dest[0].mNumberChannels, 1u);
    EXPECT_EQ(dest[1].mNumberChannels, 7u);
    EXPECT_EQ(dest[1].mData, nullptr);
}

TEST(BufferCopy, ContentsMoveIntoSeparateMemory)
{
    AUBufferList b;
    b.Allocate(Planar(2), 8);
    AudioBufferList& own = b.PrepareBuffer(Planar(2), 8);
    for (UInt32 c = 0; c < 2; ++c)
        for (UInt32 i = 0; i < 8; ++i) static_cast<float*>(own.mBuffers[c].mData)[i] = float(c * 100 + i);

    std::vector<float> l(8, -1.f), r(8, -1.f);
    List dest(2);
    dest[0] = AudioBuffer{1, 0, l.data()};
    dest[1] = AudioBuffer{1, 0, r.data()};
    b.CopyBufferContentsTo(*dest.get());
    for (UInt32 i = 0; i < 8; ++i) {
        EXPECT_EQ(l[i], float(i));
        EXPECT_EQ(r[i], float(100 + i));
    }
    EXPECT_EQ(dest[0].mDataByteSize, 32u);
    EXPECT_EQ(dest[1].mDataByteSize, 32u);
    // The destination's own pointers are kept.
    EXPECT_EQ(dest[0].mData, l.data());
}

TEST(BufferCopy, OverlappingRegionsMoveSafely)
{
    std::vector<float> data(20);
    for (UInt32 i = 0; i < 20; ++i) data[i] = float(i);
    AUBufferList b;
    b.Allocate(Planar(1), 16);
    List src(1);
    src[0] = AudioBuffer{1, 16 * sizeof(float), data.data()};
    b.SetBufferList(*src.get());

    List dest(1);
    dest[0] = AudioBuffer{1, 0, data.data() + 3};  // forward overlap
    b.CopyBufferContentsTo(*dest.get());
    for (UInt32 i = 0; i < 16; ++i) ASSERT_EQ(data[3 + i], float(i)) << i;

    for (UInt32 i = 0; i < 20; ++i) data[i] = float(i);
    src[0].mData = data.data() + 3;
    b.SetBufferList(*src.get());
    dest[0].mData = data.data();  // backward overlap
    b.CopyBufferContentsTo(*dest.get());
    for (UInt32 i = 0; i < 16; ++i) ASSERT_EQ(data[i], float(3 + i)) << i;
}

TEST(BufferCopy, SameAddressesOnlySetTheByteSizes)
{
    AUBufferList b;
    b.Allocate(Planar(2), 64);
    AudioBufferList& own = b.PrepareBuffer(Planar(2), 48);
    static_cast<float*>(own.mBuffers[1].mData)[47] = 5.f;
    List dest(2);
    dest[0] = AudioBuffer{1, 0, own.mBuffers[0].mData};
    dest[1] = AudioBuffer{1, 0, own.mBuffers[1].mData};
    b.CopyBufferContentsTo(*dest.get());
    EXPECT_EQ(dest[0].mDataByteSize, 192u);
    EXPECT_EQ(dest[1].mDataByteSize, 192u);
    EXPECT_EQ(static_cast<float*>(dest[1].mData)[47], 5.f);
}

TEST(ExternalBuffer, AcceptedOnlyWhenLargeEnough)
{
    alignas(16) Byte host[4096];
    AUBufferList b;

    // No block of its own yet: ignored.
    b.UseExternalBuffer(Planar(2), AudioUnitExternalBuffer{host, sizeof host});
    EXPECT_FALSE(b.UsesExternalMemory());
    EXPECT_EQ(b.GetMemory(), nullptr);

    b.Allocate(Planar(2), 16);  // 128 bytes
    const Byte* own = b.GetMemory();
    b.UseExternalBuffer(Planar(2), AudioUnitExternalBuffer{host, 127});
    EXPECT_FALSE(b.UsesExternalMemory());
    EXPECT_EQ(b.GetMemory(), own);
    EXPECT_EQ(b.GetAllocatedBytes(), 128u);

    // 143 usable bytes round down to 128: just enough.
    b.UseExternalBuffer(Planar(2), AudioUnitExternalBuffer{host, 143});
    EXPECT_TRUE(b.UsesExternalMemory());
    EXPECT_EQ(b.GetMemory(), host);
    EXPECT_EQ(b.GetAllocatedBytes(), 128u);
    EXPECT_EQ(b.GetAllocatedFrames(), 16u);

    // A larger host block replaces the first one.
    b.UseExternalBuffer(Planar(2), AudioUnitExternalBuffer{host + 1024, 1000});
    EXPECT_EQ(b.GetMemory(), host + 1024);
    EXPECT_EQ(b.GetAllocatedBytes(), 992u);
    EXPECT_EQ(b.GetAllocatedFrames(), 124u);

    const AudioBufferList& list = b.PrepareBuffer(Planar(2), 124);
    EXPECT_EQ(list.mBuffers[0].mData, host + 1024);
    EXPECT_EQ(list.mBuffers[1].mData, host + 1024 + 496);
}

TEST(ExternalBuffer, HostBlockIsNeverFreed)
{
    alignas(16) Byte host[1024];
    {
        AUBufferList b;
        b.Allocate(Planar(2), 16);
        b.UseExternalBuffer(Planar(2), AudioUnitExternalBuffer{host, 512});
        ASSERT_TRUE(b.UsesExternalMemory());
        b.Deallocate();  // a free of the stack block would abort here
        EXPECT_FALSE(b.UsesExternalMemory());
        EXPECT_EQ(b.GetMemory(), nullptr);
    }
    {
        AUBufferList b;
        b.Allocate(Planar(2), 16);
        b.UseExternalBuffer(Planar(2), AudioUnitExternalBuffer{host, 512});
        // A smaller allocation keeps the host block.
        b.Allocate(Planar(2), 32);
        EXPECT_EQ(b.GetMemory(), host);
        EXPECT_TRUE(b.UsesExternalMemory());
        // A larger one forgets it and takes an own block.
        b.Allocate(Planar(2), 1000);
        EXPECT_FALSE(b.UsesExternalMemory());
        EXPECT_NE(b.GetMemory(), host);
        EXPECT_EQ(b.GetAllocatedBytes(), 8000u);
        EXPECT_EQ(Address(b.GetMemory()) % 16, 0u);
    }
    {
        AUBufferList b;  // destroyed while using the host block
        b.Allocate(Planar(1), 16);
        b.UseExternalBuffer(Planar(1), AudioUnitExternalBuffer{host, 1024});
        EXPECT_EQ(b.GetMemory(), host);
    }
}

TEST(BufferDeallocation, ClearsCountsAndState)
{
    AUBufferList b;
    b.Allocate(Planar(2), 64);
    b.PrepareBuffer(Planar(2), 64);
    b.Deallocate();
    EXPECT_EQ(b.GetAllocatedStreams(), 0u);
    EXPECT_EQ(b.GetAllocatedFrames(), 0u);
    EXPECT_EQ(b.GetAllocatedBytes(), 0u);
    EXPECT_EQ(b.GetMemory(), nullptr);
    EXPECT_EQ(b.GetPtrState(), AUBufferList::kPtrsInvalid);
    EXPECT_EQ(Thrown([&] { b.GetBufferList(); }), -1);

    // Usable again after reallocation.
    b.Allocate(Planar(2), 64);
    EXPECT_EQ(b.PrepareBuffer(Planar(2), 64).mNumberBuffers, 2u);
}
