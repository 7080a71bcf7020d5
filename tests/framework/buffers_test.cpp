// AUBufferList: layout and growth of the block, preparation, borrowed lists and copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

#include "TestUnit.h"
#include "framework/AUBufferList.h"

namespace {

using Desc = CAStreamBasicDescription;

Desc Planar(UInt32 channels) { return Desc::CanonicalFormat(44100, channels); }

uintptr_t Address(const void* p) { return reinterpret_cast<uintptr_t>(p); }

// A caller-owned list over the given buffers.
struct List {
    List(std::initializer_list<AudioBuffer> buffers) : storage(buffers.size() + 1)
    {
        get()->mNumberBuffers = UInt32(buffers.size());
        std::copy(buffers.begin(), buffers.end(), get()->mBuffers);
    }
    AudioBufferList* get() { return reinterpret_cast<AudioBufferList*>(storage.data()); }
    AudioBuffer& operator[](UInt32 i) { return get()->mBuffers[i]; }
    std::vector<AudioBuffer> storage;
};

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
    List dest{{}, {}};
    auto refused = [&] {
        return Thrown([&] { b.GetBufferList(); }) == -1 && Thrown([&] { b.CopyBufferListTo(*dest.get()); }) == -1 &&
               Thrown([&] { b.CopyBufferContentsTo(*dest.get()); }) == -1;
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
    float host[2][32];
    List given{{1, 128, host[0]}, {1, 100, host[1]}};
    EXPECT_EQ(Thrown([&] { b.SetBufferList(*given.get()); }), -1);
    b.Allocate(Planar(2), 32);
    AudioBufferList& list = b.SetBufferList(*given.get());
    EXPECT_EQ(&b.GetBufferList(), &list);
    ASSERT_EQ(list.mNumberBuffers, 2u);
    EXPECT_EQ(list.mBuffers[1].mData, host[1]);
    EXPECT_EQ(list.mBuffers[1].mDataByteSize, 100u);
    given[0].mData = nullptr;  // later changes to the caller's list do not leak in
    EXPECT_EQ(list.mBuffers[0].mData, host[0]);

    List three{{}, {}, {}};
    EXPECT_EQ(Thrown([&] { b.SetBufferList(*three.get()); }), -1);
}

TEST(BufferCopy, ContentsGoToTheDestinationOrStayInPlace)
{
    AUBufferList b;
    b.Allocate(Planar(2), 16);
    AudioBufferList& own = b.PrepareBuffer(Planar(2), 8);
    for (UInt32 c = 0; c < 2; ++c)
        for (UInt32 i = 0; i < 8; ++i) static_cast<float*>(own.mBuffers[c].mData)[i] = float(c * 100 + i);

    std::vector<float> l(8, -1.f), r(8, -1.f);
    List dest{{1, 0, l.data()}, {1, 0, r.data()}};
    b.CopyBufferContentsTo(*dest.get());
    EXPECT_EQ(l, (std::vector<float>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(r[7], 107.f);
    EXPECT_EQ(dest[1].mDataByteSize, 32u);
    EXPECT_EQ(dest[0].mData, l.data());
    // Copying onto the same addresses only sets the sizes.
    List same{{1, 0, own.mBuffers[0].mData}, {1, 0, own.mBuffers[1].mData}};
    b.CopyBufferContentsTo(*same.get());
    EXPECT_EQ(same[1].mDataByteSize, 32u);
    EXPECT_EQ(static_cast<float*>(same[1].mData)[7], 107.f);
}
