// The render sequence: preconditions, last render error, buffers and the processor's denormal mode.
#include <gtest/gtest.h>

#include <tuple>

#include "TestUnit.h"

namespace {

OSStatus LastError(const OpenTestUnit& unit)
{
    OSStatus err = 1;
    EXPECT_EQ(unit.Get(kAudioUnitProperty_LastRenderError, 0, 0, err), noErr);
    return err;
}

unsigned CurrentMxcsr()
{
#if defined(__x86_64__)
    return _mm_getcsr();
#else
    return 0;
#endif
}

}  // namespace

TEST(Render, RendersInputIntoTheCallersOrItsOwnBuffers)
{
    RenderedUnit r;
    PlanarBuffers out(2, 256);
    ASSERT_EQ(r.unit.Render(out, 256, 512), noErr);
    EXPECT_EQ(std::tuple(out.data[0][0], out.data[0][255], out.data[1][3]), std::tuple(512.f, 767.f, 1515.f));
    EXPECT_EQ(out.list()->mBuffers[0].mDataByteSize, 256 * sizeof(float));

    out.NullPointers();
    ASSERT_EQ(r.unit.Render(out, 128, 0), noErr);
    for (UInt32 c = 0; c < 2; ++c) {
        const auto* d = static_cast<const float*>(out.list()->mBuffers[c].mData);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(d) % 16, 0u);
        EXPECT_EQ(d[10], 10.f + 1000.f * float(c));
    }
}

TEST(Render, RefusalsAreRecordedUntilRead)
{
    OpenTestUnit unit;
    PlanarBuffers out(2, 2048);
    EXPECT_EQ(unit.Render(out, 64, 0), kAudioUnitErr_Uninitialized);
    ASSERT_EQ(AudioUnitInitialize(unit.unit()), noErr);
    EXPECT_EQ(unit.Render(out, 1157, 0), kAudioUnitErr_TooManyFramesToProcess);
    EXPECT_EQ(unit.Render(out, 64, 0, 1), kAudioUnitErr_InvalidElement);
    // An unread error is not overwritten, and reading clears it.
    EXPECT_EQ(LastError(unit), kAudioUnitErr_Uninitialized);
    EXPECT_EQ(LastError(unit), noErr);
    EXPECT_EQ(unit.Render(out, 1157, 0), kAudioUnitErr_TooManyFramesToProcess);
    EXPECT_EQ(LastError(unit), kAudioUnitErr_TooManyFramesToProcess);
}

TEST(Render, FlushToZeroDuringRenderOnly)
{
    RenderedUnit r;
    PlanarBuffers out(2, 64), mono(1, 64);
    const unsigned before = CurrentMxcsr();
    ASSERT_EQ(r.unit.Render(out, 64, 0), noErr);
    EXPECT_EQ(CurrentMxcsr(), before);
#if defined(__x86_64__)
    EXPECT_EQ(r.unit->mxcsrDuringRender & 0x8040u, 0x8040u);
    EXPECT_EQ(before & 0x8040u, 0u);
#endif
    // Restored after an error too; a buffer count mismatch is not recorded and renders nothing.
    EXPECT_EQ(r.unit.Render(mono, 64, 64), paramErr);
    EXPECT_EQ(CurrentMxcsr(), before);
    EXPECT_EQ(LastError(r.unit), noErr);
    EXPECT_EQ(r.unit->renderCount, 1);
    r.source.result = -1234;
    EXPECT_EQ(r.unit.Render(out, 64, 128), -1234);
    EXPECT_EQ(CurrentMxcsr(), before);
    EXPECT_EQ(LastError(r.unit), -1234);
}
