// The render sequence: preconditions, last render error, buffers, notifications, pulls,
// connections and the processor's denormal mode.
#include <gtest/gtest.h>

#include "TestUnit.h"
#include "support/AllocCounter.h"

namespace {

struct RenderedUnit {
    RenderedUnit()
    {
        EXPECT_EQ(source.Install(unit.unit()), noErr);
        EXPECT_EQ(AudioUnitInitialize(unit.unit()), noErr);
    }
    OSStatus Render(PlanarBuffers& out, UInt32 frames, Float64 time, AudioUnitRenderActionFlags* flags = nullptr)
    {
        AudioTimeStamp ts = SampleTime(time);
        return AudioUnitRender(unit.unit(), flags, &ts, 0, frames, out.list());
    }
    OSStatus LastError()
    {
        OSStatus err = 1;
        UInt32 size = sizeof err;
        EXPECT_EQ(AudioUnitGetProperty(unit.unit(), kAudioUnitProperty_LastRenderError, 0, 0, &err, &size), noErr);
        return err;
    }
    OpenTestUnit unit;
    RampSource source;
};

unsigned CurrentMxcsr()
{
#if defined(__x86_64__)
    return _mm_getcsr();
#else
    return 0;
#endif
}

}  // namespace

TEST(Render, RendersInputIntoTheCallersBuffers)
{
    RenderedUnit r;
    PlanarBuffers out(2, 256);
    ASSERT_EQ(r.Render(out, 256, 512), noErr);
    EXPECT_EQ(out.data[0][0], 512.f);
    EXPECT_EQ(out.data[0][255], 767.f);
    EXPECT_EQ(out.data[1][3], 1515.f);
    EXPECT_EQ(out.list()->mBuffers[0].mDataByteSize, 256 * sizeof(float));
}

TEST(Render, NullDataPointersGetTheUnitsBuffers)
{
    RenderedUnit r;
    PlanarBuffers out(2, 128);
    out.NullPointers();
    ASSERT_EQ(r.Render(out, 128, 0), noErr);
    for (UInt32 c = 0; c < 2; ++c) {
        const auto* d = static_cast<const float*>(out.list()->mBuffers[c].mData);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(d) % 16, 0u);
        EXPECT_EQ(d[10], 10.f + 1000.f * float(c));
    }
}

TEST(Render, UninitializedAndTooManyFramesAreRecorded)
{
    OpenTestUnit unit;
    PlanarBuffers out(2, 2048);
    AudioTimeStamp ts = SampleTime(0);
    EXPECT_EQ(AudioUnitRender(unit.unit(), nullptr, &ts, 0, 64, out.list()), kAudioUnitErr_Uninitialized);

    ASSERT_EQ(AudioUnitInitialize(unit.unit()), noErr);
    PropertyLog log;
    log.Listen(unit.unit(), kAudioUnitProperty_LastRenderError);
    EXPECT_EQ(AudioUnitRender(unit.unit(), nullptr, &ts, 0, 1157, out.list()), kAudioUnitErr_TooManyFramesToProcess);
    // An unread error is not overwritten.
    OSStatus err = 0;
    UInt32 size = sizeof err;
    ASSERT_EQ(AudioUnitGetProperty(unit.unit(), kAudioUnitProperty_LastRenderError, 0, 0, &err, &size), noErr);
    EXPECT_EQ(err, kAudioUnitErr_Uninitialized);
    ASSERT_EQ(AudioUnitGetProperty(unit.unit(), kAudioUnitProperty_LastRenderError, 0, 0, &err, &size), noErr);
    EXPECT_EQ(err, noErr);
    EXPECT_EQ(log.Count(kAudioUnitProperty_LastRenderError), 0);

    EXPECT_EQ(AudioUnitRender(unit.unit(), nullptr, &ts, 0, 1157, out.list()), kAudioUnitErr_TooManyFramesToProcess);
    EXPECT_EQ(log.Count(kAudioUnitProperty_LastRenderError), 1);
    ASSERT_EQ(AudioUnitGetProperty(unit.unit(), kAudioUnitProperty_LastRenderError, 0, 0, &err, &size), noErr);
    EXPECT_EQ(err, kAudioUnitErr_TooManyFramesToProcess);
    ASSERT_EQ(AudioUnitGetProperty(unit.unit(), kAudioUnitProperty_LastRenderError, 0, 0, &err, &size), noErr);
    EXPECT_EQ(err, noErr);

    EXPECT_EQ(AudioUnitRender(unit.unit(), nullptr, &ts, 1, 64, out.list()), kAudioUnitErr_InvalidElement);
}

TEST(Render, BufferCountMismatchIsNotRecordedAndRestoresTheControlState)
{
    RenderedUnit r;
    PlanarBuffers out(1, 64);
    const unsigned before = CurrentMxcsr();
    EXPECT_EQ(r.Render(out, 64, 0), paramErr);
    EXPECT_EQ(CurrentMxcsr(), before);
    EXPECT_EQ(r.LastError(), noErr);
    EXPECT_EQ(r.unit->renderCount, 0);
}

TEST(Render, FlushToZeroDuringRenderOnly)
{
    RenderedUnit r;
    PlanarBuffers out(2, 64);
    const unsigned before = CurrentMxcsr();
    ASSERT_EQ(r.Render(out, 64, 0), noErr);
    EXPECT_EQ(CurrentMxcsr(), before);
#if defined(__x86_64__)
    EXPECT_EQ(r.unit->mxcsrDuringRender & 0x8040u, 0x8040u);
    EXPECT_EQ(before & 0x8040u, 0u);
#endif
    // Restored after an error too.
    r.source.result = -1234;
    EXPECT_EQ(r.Render(out, 64, 64), -1234);
    EXPECT_EQ(CurrentMxcsr(), before);
    EXPECT_EQ(r.LastError(), -1234);
}

TEST(Render, SameSampleTimeRendersOnce)
{
    RenderedUnit r;
    PlanarBuffers out(2, 64);
    ASSERT_EQ(r.Render(out, 64, 100), noErr);
    ASSERT_EQ(r.Render(out, 64, 100), noErr);
    EXPECT_EQ(r.unit->renderCount, 1);
    ASSERT_EQ(r.Render(out, 64, 164), noErr);
    EXPECT_EQ(r.unit->renderCount, 2);
    // A reset makes the next call render whatever its time.
    ASSERT_EQ(AudioUnitReset(r.unit.unit(), 0, 0), noErr);
    ASSERT_EQ(r.Render(out, 64, 164), noErr);
    EXPECT_EQ(r.unit->renderCount, 3);
}

TEST(Render, NoInputMeansNoConnectionError)
{
    OpenTestUnit unit;
    ASSERT_EQ(AudioUnitInitialize(unit.unit()), noErr);
    RampSource source;
    ASSERT_EQ(source.Install(unit.unit()), noErr);
    AURenderCallbackStruct none{nullptr, nullptr};
    ASSERT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &none,
                                   sizeof none),
              noErr);
    EXPECT_FALSE(unit->HasInput(0));
    AudioUnitRenderActionFlags flags = 0;
    EXPECT_EQ(unit->GetInput(0)->PullInput(flags, SampleTime(0), 0, 64), kAudioUnitErr_NoConnection);
}

TEST(Render, PullReallocatesForMoreFramesThanAllocated)
{
    RenderedUnit r;
    AudioUnitRenderActionFlags flags = 0;
    AUInputElement* in = r.unit->GetInput(0);
    ASSERT_EQ(in->IOBuffer().GetAllocatedFrames(), 1156u);
    EXPECT_EQ(in->PullInput(flags, SampleTime(0), 0, 3000), noErr);
    EXPECT_EQ(in->IOBuffer().GetAllocatedFrames(), 3000u);
    EXPECT_EQ(in->GetChannelData(1)[2999], 3999.f);
}

TEST(Render, SteadyStateRenderAllocatesNothing)
{
    RenderedUnit r;
    PlanarBuffers out(2, 512);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(r.Render(out, 512, 512.0 * i), noErr);
    testsupport::AllocationScope scope;
    for (int i = 3; i < 100; ++i) ASSERT_EQ(r.Render(out, 512, 512.0 * i), noErr);
    EXPECT_EQ(scope.Count(), 0);
}

namespace {

struct NotifyLog {
    static OSStatus Proc(void* refCon, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32, UInt32,
                         AudioBufferList*)
    {
        auto* self = static_cast<NotifyLog*>(refCon);
        self->flags.push_back(*flags);
        *flags |= 0x100;  // must not reach the caller
        if (self->removeSelfOn && self->flags.size() == self->removeSelfOn)
            AudioUnitRemoveRenderNotify(self->unit, &Proc, self);
        return noErr;
    }
    std::vector<AudioUnitRenderActionFlags> flags;
    size_t removeSelfOn = 0;
    AudioUnit unit = nullptr;
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
    ASSERT_EQ(r.Render(out, 64, 0, &flags), noErr);
    ASSERT_EQ(log.flags.size(), 2u);
    EXPECT_EQ(log.flags[0], 0x1u | kAudioUnitRenderAction_PreRender);
    EXPECT_EQ(log.flags[1], 0x1u | kAudioUnitRenderAction_PostRender);
    EXPECT_EQ(flags, 0x1u);

    // Removing one that is not present does nothing; removing ours takes effect at the next render.
    ASSERT_EQ(AudioUnitRemoveRenderNotify(r.unit.unit(), &NotifyLog::Proc, nullptr), noErr);
    ASSERT_EQ(r.Render(out, 64, 64), noErr);
    EXPECT_EQ(log.flags.size(), 4u);
    ASSERT_EQ(AudioUnitRemoveRenderNotify(r.unit.unit(), &NotifyLog::Proc, &log), noErr);
    ASSERT_EQ(r.Render(out, 64, 128), noErr);
    EXPECT_EQ(log.flags.size(), 4u);
}

TEST(RenderNotify, RemovedFromInsideACallbackDuringRender)
{
    RenderedUnit r;
    NotifyLog log;
    log.unit = r.unit.unit();
    log.removeSelfOn = 1;  // removes itself in the pre-render call
    ASSERT_EQ(AudioUnitAddRenderNotify(r.unit.unit(), &NotifyLog::Proc, &log), noErr);
    PlanarBuffers out(2, 64);
    ASSERT_EQ(r.Render(out, 64, 0), noErr);
    EXPECT_EQ(log.flags.size(), 2u);  // still told post-render in this call
    ASSERT_EQ(r.Render(out, 64, 64), noErr);
    EXPECT_EQ(log.flags.size(), 2u);
}

TEST(Connection, PullsTheSourceUnitThroughItsFastRenderEntry)
{
    RenderedUnit source;
    OpenTestUnit dest;
    PropertyLog log;
    log.Listen(dest.unit(), kAudioUnitProperty_MakeConnection);

    AudioUnitConnection connection{source.unit.unit(), 0, 0};
    ASSERT_EQ(AudioUnitSetProperty(dest.unit(), kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0,
                                   &connection, sizeof connection),
              noErr);
    EXPECT_EQ(log.Count(kAudioUnitProperty_MakeConnection), 1);
    EXPECT_EQ(AudioUnitSetProperty(dest.unit(), kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0,
                                   &connection, 8),
              kAudioUnitErr_InvalidPropertyValue);
    ASSERT_EQ(AudioUnitInitialize(dest.unit()), noErr);

    float gain = 2.f;
    ASSERT_EQ(AudioUnitSetParameter(dest.unit(), TestUnit::kGainParam, 0, 0, gain, 0), noErr);
    PlanarBuffers out(2, 32);
    AudioTimeStamp ts = SampleTime(10);
    ASSERT_EQ(AudioUnitRender(dest.unit(), nullptr, &ts, 0, 32, out.list()), noErr);
    EXPECT_EQ(out.data[0][1], 22.f);
    EXPECT_EQ(out.data[1][0], 2020.f);
    EXPECT_EQ(source.unit->renderCount, 1);

    // A connected input refuses another format.
    CAStreamBasicDescription other = CAStreamBasicDescription::CanonicalFormat(48000, 2);
    EXPECT_EQ(AudioUnitSetProperty(dest.unit(), kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &other, 40),
              kAudioUnitErr_PropertyNotWritable);

    // Disconnecting leaves no input.
    AudioUnitConnection none{nullptr, 0, 0};
    ASSERT_EQ(AudioUnitSetProperty(dest.unit(), kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, &none,
                                   sizeof none),
              noErr);
    EXPECT_FALSE(dest->HasInput(0));
}

TEST(Connection, SourceFormatMustBeAcceptable)
{
    OpenTestUnit source;
    OpenTestUnit dest;
    ASSERT_EQ(AudioUnitInitialize(dest.unit()), noErr);  // formats are no longer writable
    CAStreamBasicDescription mono = CAStreamBasicDescription::CanonicalFormat(44100, 1);
    ASSERT_EQ(AudioUnitSetProperty(source.unit(), kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &mono,
                                   40),
              noErr);
    AudioUnitConnection connection{source.unit(), 0, 0};
    EXPECT_EQ(AudioUnitSetProperty(dest.unit(), kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0,
                                   &connection, sizeof connection),
              kAudioUnitErr_PropertyNotWritable);
    EXPECT_FALSE(dest->HasInput(0));
    AudioUnitConnection badInput{source.unit(), 0, 5};
    EXPECT_EQ(AudioUnitSetProperty(dest.unit(), kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, &badInput,
                                   sizeof badInput),
              kAudioUnitErr_InvalidElement);
}

TEST(ExternalBuffer, OnlyWhileInitializedAndAligned)
{
    OpenTestUnit unit;
    alignas(16) static float block[2 * 2048 + 8];
    AudioUnitExternalBuffer ext{reinterpret_cast<Byte*>(block), sizeof block};
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_SetExternalBuffer, kAudioUnitScope_Output, 0, &ext,
                                   sizeof ext),
              kAudioUnitErr_Uninitialized);
    ASSERT_EQ(AudioUnitInitialize(unit.unit()), noErr);
    AudioUnitExternalBuffer misaligned{reinterpret_cast<Byte*>(block) + 4, sizeof block - 4};
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_SetExternalBuffer, kAudioUnitScope_Output, 0,
                                   &misaligned, sizeof misaligned),
              paramErr);
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_SetExternalBuffer, kAudioUnitScope_Output, 0, &ext,
                                   4),
              kAudioUnitErr_InvalidPropertyValue);
    EXPECT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_SetExternalBuffer, kAudioUnitScope_Output, 0, &ext,
                                   sizeof ext),
              noErr);
    PlanarBuffers out(2, 64);
    out.NullPointers();
    AudioTimeStamp ts = SampleTime(0);
    ASSERT_EQ(AudioUnitRender(unit.unit(), nullptr, &ts, 0, 64, out.list()), noErr);
    EXPECT_EQ(out.list()->mBuffers[0].mData, static_cast<void*>(block));
}
