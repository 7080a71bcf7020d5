// Scheduled parameter events split a render call into slices at their offsets.
#include <gtest/gtest.h>

#include "TestUnit.h"

namespace {

AudioUnitParameterEvent Immediate(UInt32 offset, float value)
{
    AudioUnitParameterEvent e{};
    e.scope = kAudioUnitScope_Global;
    e.parameter = TestUnit::kGainParam;
    e.eventType = kParameterEvent_Immediate;
    e.eventValues.immediate.bufferOffset = offset;
    e.eventValues.immediate.value = value;
    return e;
}

AudioUnitParameterEvent Ramp(SInt32 offset, UInt32 duration, float from, float to)
{
    AudioUnitParameterEvent e{};
    e.scope = kAudioUnitScope_Global;
    e.parameter = TestUnit::kGainParam;
    e.eventType = kParameterEvent_Ramped;
    e.eventValues.ramp.startBufferOffset = offset;
    e.eventValues.ramp.durationInFrames = duration;
    e.eventValues.ramp.startValue = from;
    e.eventValues.ramp.endValue = to;
    return e;
}

struct Scheduled {
    Scheduled()
    {
        unit->scheduleSlices = true;
        EXPECT_EQ(source.Install(unit.unit()), noErr);
        EXPECT_EQ(AudioUnitInitialize(unit.unit()), noErr);
    }
    OSStatus Render(UInt32 frames)
    {
        AudioTimeStamp ts = SampleTime(time);
        time += frames;
        return AudioUnitRender(unit.unit(), nullptr, &ts, 0, frames, out.list());
    }
    OpenTestUnit unit;
    RampSource source;
    PlanarBuffers out{2, 1024};
    Float64 time = 0;
};

}  // namespace

TEST(Scheduling, TwoImmediateEventsSplitTheCall)
{
    Scheduled s;
    const AudioUnitParameterEvent events[] = {Immediate(100, 0.5f), Immediate(0, 0.25f)};
    ASSERT_EQ(AudioUnitScheduleParameters(s.unit.unit(), events, 2), noErr);
    // Immediate events apply at once as well.
    EXPECT_EQ(s.unit->Globals()->GetParameter(TestUnit::kGainParam), 0.25f);
    ASSERT_EQ(s.Render(512), noErr);
    ASSERT_EQ(s.unit->slices.size(), 2u);
    EXPECT_EQ(s.unit->slices[0].start, 0u);
    EXPECT_EQ(s.unit->slices[0].frames, 100u);
    EXPECT_EQ(s.unit->slices[0].gain.value1, 0.25f);
    EXPECT_EQ(s.unit->slices[0].gain.durationInFrames, 100u);
    EXPECT_EQ(s.unit->slices[1].start, 100u);
    EXPECT_EQ(s.unit->slices[1].frames, 412u);
    EXPECT_EQ(s.unit->slices[1].gain.value1, 0.5f);
    EXPECT_EQ(s.unit->slices[1].gain.sliceDurationFrames, 412u);

    // Events live for one render call.
    s.unit->slices.clear();
    ASSERT_EQ(s.Render(512), noErr);
    ASSERT_EQ(s.unit->slices.size(), 1u);
    EXPECT_EQ(s.unit->slices[0].frames, 512u);
}

TEST(Scheduling, ARampGivesThreeSlices)
{
    Scheduled s;
    const AudioUnitParameterEvent ramp = Ramp(64, 128, 0.f, 1.f);
    ASSERT_EQ(AudioUnitScheduleParameters(s.unit.unit(), &ramp, 1), noErr);
    ASSERT_EQ(s.Render(512), noErr);
    const auto& slices = s.unit->slices;
    ASSERT_EQ(slices.size(), 3u);
    EXPECT_EQ(slices[0].start, 0u);
    EXPECT_EQ(slices[0].frames, 64u);
    EXPECT_EQ(slices[1].start, 64u);
    EXPECT_EQ(slices[1].frames, 128u);
    EXPECT_EQ(slices[2].start, 192u);
    EXPECT_EQ(slices[2].frames, 320u);
    // In the middle slice the ramp starts at the slice's start and reads as its start value.
    EXPECT_EQ(slices[1].gain.eventType, kParameterEvent_Ramped);
    EXPECT_EQ(slices[1].gain.bufferOffset, 0);
    EXPECT_EQ(slices[1].gain.durationInFrames, 128u);
    EXPECT_EQ(slices[1].gain.value1, 0.f);
    EXPECT_EQ(slices[1].gain.value2, 1.f);
    // The slices around it do not apply it: before it the value is the one set earlier.
    EXPECT_EQ(slices[0].gain.eventType, kParameterEvent_Immediate);
    EXPECT_EQ(slices[0].gain.value1, 1.f);
}

TEST(Scheduling, RampStartedInAnEarlierCall)
{
    Scheduled s;
    const AudioUnitParameterEvent ramp = Ramp(-100, 300, 1.f, 0.f);
    ASSERT_EQ(AudioUnitScheduleParameters(s.unit.unit(), &ramp, 1), noErr);
    ASSERT_EQ(s.Render(512), noErr);
    ASSERT_EQ(s.unit->slices.size(), 2u);
    EXPECT_EQ(s.unit->slices[0].frames, 200u);
    EXPECT_EQ(s.unit->slices[0].gain.bufferOffset, -100);
    EXPECT_EQ(s.unit->slices[1].start, 200u);
}

TEST(Scheduling, OffsetsAtOrBeyondTheCallNeverSplit)
{
    Scheduled s;
    s.unit->Globals()->SetParameter(TestUnit::kGainParam, 0.75f);
    const AudioUnitParameterEvent events[] = {Immediate(512, 0.5f), Immediate(4000, 0.125f)};
    ASSERT_EQ(AudioUnitScheduleParameters(s.unit.unit(), events, 2), noErr);
    ASSERT_EQ(s.Render(512), noErr);
    ASSERT_EQ(s.unit->slices.size(), 1u);
    EXPECT_EQ(s.unit->slices[0].frames, 512u);
    // Not applied by slicing; the value set at scheduling time stays.
    EXPECT_EQ(s.unit->slices[0].gain.value1, 0.125f);
    EXPECT_EQ(s.unit->slices[0].gain.durationInFrames, 0u);
}

TEST(Scheduling, EventForAMissingElementIsSkippedBySlicing)
{
    Scheduled s;
    AudioUnitParameterEvent ramp = Ramp(10, 20, 0.f, 1.f);
    ramp.element = 5;
    ASSERT_EQ(AudioUnitScheduleParameters(s.unit.unit(), &ramp, 1), noErr);
    ASSERT_EQ(s.Render(100), noErr);
    EXPECT_EQ(s.unit->slices.size(), 3u);
    AudioUnitParameterEvent bad = Immediate(0, 1.f);
    bad.element = 5;
    EXPECT_EQ(AudioUnitScheduleParameters(s.unit.unit(), &bad, 1), kAudioUnitErr_InvalidElement);
}
