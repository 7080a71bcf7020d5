// The render sequence: preconditions, last render error, buffers, notifications and the
// processor's denormal mode.
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
    EXPECT_EQ(unit.Render(out, 64, 0, nullptr, 1), kAudioUnitErr_InvalidElement);
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

namespace {

struct NotifyLog {
    static OSStatus Proc(void* refCon, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32, UInt32,
                         AudioBufferList*)
    {
        auto* self = static_cast<NotifyLog*>(refCon);
        self->flags.push_back(*flags);
        *flags |= 0x100;  // must not reach the caller
        if (self->unit) AudioUnitRemoveRenderNotify(self->unit, &Proc, self);
        return noErr;
    }
    std::vector<AudioUnitRenderActionFlags> flags;
    AudioUnit unit = nullptr;  // set: removes itself when called
};

}  // namespace

TEST(RenderNotify, PreAndPostWithCopiesOfTheFlags)
{
    RenderedUnit r;
    NotifyLog log;
    ASSERT_EQ(AudioUnitAddRenderNotify(r.unit.unit(), &NotifyLog::Proc, &log), noErr);
    ASSERT_EQ(AudioUnitAddRenderNotify(r.unit.unit(), &NotifyLog::Proc, &log), noErr);  // added twice, called once
    EXPECT_EQ(AudioUnitAddRenderNotify(r.unit.unit(), nullptr, &log), paramErr);
    PlanarBuffers out(2, 64);
    AudioUnitRenderActionFlags flags = 0x1;
    ASSERT_EQ(r.unit.Render(out, 64, 0, &flags), noErr);
    EXPECT_EQ(log.flags, (std::vector<AudioUnitRenderActionFlags>{0x1u | kAudioUnitRenderAction_PreRender,
                                                                  0x1u | kAudioUnitRenderAction_PostRender}));
    EXPECT_EQ(flags, 0x1u);

    ASSERT_EQ(AudioUnitRemoveRenderNotify(r.unit.unit(), &NotifyLog::Proc, &log), noErr);
    // Removed from inside its pre-render call, it is still told post-render in that call.
    NotifyLog self;
    self.unit = r.unit.unit();
    ASSERT_EQ(AudioUnitAddRenderNotify(r.unit.unit(), &NotifyLog::Proc, &self), noErr);
    ASSERT_EQ(r.unit.Render(out, 64, 192), noErr);
    ASSERT_EQ(r.unit.Render(out, 64, 256), noErr);
    EXPECT_EQ(self.flags.size(), 2u);
    EXPECT_EQ(log.flags.size(), 2u);
}
