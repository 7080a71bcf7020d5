// AUBufferList: layout and growth of the block, preparation and borrowed lists.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <vector>

#include "TestUnit.h"
#include "framework/AUBufferList.h"

namespace {

using Desc = CAStreamBasicDescription;

Desc Planar(UInt32 channels) { return Desc::CanonicalFormat(44100, channels); }

uintptr_t Address(const void* p) { return reinterpret_cast<uintptr_t>(p); }

}  // namespace

TEST(BufferAllocation, ChannelsStartOn16BytesAndTheBlockOnlyGrows)
{
    for (UInt32 channels = 1; channels <= 5; ++channels) {
        for (UInt32 frames : {1u, 3u, 4u, 5u, 13u, 1156u}) {
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
        }
    }
    AUBufferList b;
    b.Allocate(Planar(2), 512);
    const Byte* block = b.GetMemory();
    b.Allocate(Planar(2), 100);
    EXPECT_EQ(b.GetMemory(), block);
    EXPECT_EQ(b.GetAllocatedBytes(), 4096u);
    // Strides follow the allocated frames, not the block; fewer streams keep the larger list.
    const AudioBufferList& list = b.PrepareBuffer(Planar(2), 100);
    EXPECT_EQ(Address(list.mBuffers[1].mData) - Address(list.mBuffers[0].mData), 400u);
    b.Allocate(Planar(1), 8);
    EXPECT_EQ(b.GetAllocatedStreams(), 2u);

    b.Deallocate();
    EXPECT_EQ(b.GetAllocatedStreams() + b.GetAllocatedFrames() + b.GetAllocatedBytes(), 0u);
    b.Allocate(Planar(2), 0);  // no block, yet null buffers can be laid out
    EXPECT_EQ(b.GetMemory(), nullptr);
    const AudioBufferList& null = b.PrepareNullBuffer(Planar(2), 512);
    EXPECT_EQ(null.mBuffers[1].mData, nullptr);
    EXPECT_EQ(null.mBuffers[1].mDataByteSize, 2048u);
    EXPECT_EQ(b.GetPtrState(), AUBufferList::kPtrsToExternalMemory);
}

TEST(BufferPreparation, RequestsBeyondTheBlockAreRefused)
{
    AUBufferList b, odd, none, mono;
    b.Allocate(Planar(2), 16);
    odd.Allocate(Planar(2), 3);  // 12 bytes per stream, stride 16
    mono.Allocate(Planar(1), 64);
    const SInt32 kFrames = kAudioUnitErr_TooManyFramesToProcess, kFormat = kAudioUnitErr_FormatNotSupported;
    const struct {
        AUBufferList* list;
        Desc format;
        UInt32 frames;
        bool null;
        SInt32 err;
    } cases[] = {
        {&b, Planar(2), 16, false, 0},      {&b, Planar(2), 17, false, kFrames},
        {&odd, Planar(2), 4, false, 0},     {&odd, Planar(2), 5, false, kFrames},  // 16-byte rounding fits 4
        {&none, Planar(1), 8, true, kFormat}, {&mono, Planar(2), 8, false, kFormat},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        EXPECT_EQ(Thrown([&] {
                      if (c.null) c.list->PrepareNullBuffer(c.format, c.frames);
                      else c.list->PrepareBuffer(c.format, c.frames);
                  }),
                  c.err)
            << i;
    }
    EXPECT_EQ(mono.GetPtrState(), AUBufferList::kPtrsInvalid);
}

TEST(BufferState, OperationsNeedAPreparedOrBorrowedList)
{
    AUBufferList b;
    PlanarBuffers dest(2, 32);
    auto refused = [&] {
        return Thrown([&] { b.GetBufferList(); }) == -1 && Thrown([&] { b.CopyBufferListTo(*dest.list()); }) == -1 &&
               Thrown([&] { b.CopyBufferContentsTo(*dest.list()); }) == -1;
    };
    EXPECT_TRUE(refused());
    b.Allocate(Planar(2), 32);
    EXPECT_TRUE(refused());
    b.PrepareBuffer(Planar(2), 32);
    EXPECT_FALSE(refused());
    b.InvalidateBufferList();
    EXPECT_TRUE(refused());
    b.PrepareBuffer(Planar(2), 32);
    b.Allocate(Planar(2), 32);  // allocation invalidates a prepared list, and so does deallocation
    EXPECT_TRUE(refused());
    b.PrepareBuffer(Planar(2), 32);
    b.Deallocate();
    EXPECT_TRUE(refused());

    // A borrowed list needs allocated streams; it is copied and limited to them.
    PlanarBuffers given(2, 32);
    given.list()->mBuffers[1].mDataByteSize = 100;
    EXPECT_EQ(Thrown([&] { b.SetBufferList(*given.list()); }), -1);
    b.Allocate(Planar(2), 32);
    AudioBufferList& list = b.SetBufferList(*given.list());
    EXPECT_EQ(&b.GetBufferList(), &list);
    ASSERT_EQ(list.mNumberBuffers, 2u);
    EXPECT_EQ(list.mBuffers[1].mData, given.data[1].data());
    EXPECT_EQ(list.mBuffers[1].mDataByteSize, 100u);
    given.NullPointers();  // later changes to the caller's list do not leak in
    EXPECT_EQ(list.mBuffers[0].mData, given.data[0].data());

    PlanarBuffers three(3, 1);
    EXPECT_EQ(Thrown([&] { b.SetBufferList(*three.list()); }), -1);
}
