// Scheduled parameter events split a render call into slices at their offsets.
#include <gtest/gtest.h>

#include <tuple>

#include "TestUnit.h"

namespace {

AudioUnitParameterEvent Immediate(UInt32 offset, float value)
{
    AudioUnitParameterEvent e{};
    e.parameter = TestUnit::kGainParam;
    e.eventType = kParameterEvent_Immediate;
    e.eventValues.immediate = {offset, value};
    return e;
}

AudioUnitParameterEvent Ramp(SInt32 offset, UInt32 duration, float from, float to)
{
    AudioUnitParameterEvent e{};
    e.parameter = TestUnit::kGainParam;
    e.eventType = kParameterEvent_Ramped;
    e.eventValues.ramp = {offset, duration, from, to};
    return e;
}

using Spans = std::vector<std::pair<UInt32, UInt32>>;

// An initialized TestUnit that records its slices; Render() returns them as {start, frames} pairs.
struct Scheduled : RenderedUnit {
    Scheduled() { unit->scheduleSlices = true; }
    Spans Render(std::initializer_list<AudioUnitParameterEvent> events, UInt32 frames)
    {
        unit->slices.clear();
        const std::vector<AudioUnitParameterEvent> list(events);
        EXPECT_EQ(AudioUnitScheduleParameters(unit.unit(), list.data(), UInt32(list.size())), noErr);
        EXPECT_EQ(unit.Render(out, frames, time), noErr);
        time += frames;
        Spans spans;
        for (const TestUnit::Slice& s : unit->slices) spans.emplace_back(s.start, s.frames);
        return spans;
    }
    const ParameterMapEvent& Gain(size_t slice) const { return unit->slices.at(slice).gain; }
    PlanarBuffers out{2, 1024};
    Float64 time = 0;
};

}  // namespace

TEST(Scheduling, ImmediateEventsSplitTheCallForOneCallOnly)
{
    Scheduled s;
    EXPECT_EQ(s.Render({Immediate(100, 0.5f), Immediate(0, 0.25f)}, 512), (Spans{{0, 100}, {100, 412}}));
    EXPECT_EQ(std::tuple(s.Gain(0).value1, s.Gain(0).durationInFrames), std::tuple(0.25f, 100u));
    EXPECT_EQ(std::tuple(s.Gain(1).value1, s.Gain(1).sliceDurationFrames), std::tuple(0.5f, 412u));
    EXPECT_EQ(s.Render({}, 512), (Spans{{0, 512}}));

    // Offsets at or past the end never split; immediate events apply at once, so the last one stays.
    Scheduled t;
    EXPECT_EQ(t.Render({Immediate(512, 0.5f), Immediate(4000, 0.125f)}, 512), (Spans{{0, 512}}));
    EXPECT_EQ(t.unit->Globals()->GetParameter(TestUnit::kGainParam), 0.125f);
    EXPECT_EQ(std::tuple(t.Gain(0).value1, t.Gain(0).durationInFrames), std::tuple(0.125f, 0u));
}

TEST(Scheduling, RampsSliceAroundTheirSpan)
{
    Scheduled s;
    EXPECT_EQ(s.Render({Ramp(64, 128, 0.f, 1.f)}, 512), (Spans{{0, 64}, {64, 128}, {192, 320}}));
    // In the middle slice the ramp starts at the slice's start and reads as its start value; before
    // it the value set earlier holds.
    const ParameterMapEvent& ramp = s.Gain(1);
    EXPECT_EQ(std::tuple(ramp.eventType, ramp.bufferOffset, ramp.durationInFrames, ramp.value1, ramp.value2),
              std::tuple(kParameterEvent_Ramped, 0, 128u, 0.f, 1.f));
    EXPECT_EQ(std::tuple(s.Gain(0).eventType, s.Gain(0).value1), std::tuple(kParameterEvent_Immediate, 1.f));

    // A ramp started in an earlier call.
    EXPECT_EQ(s.Render({Ramp(-100, 300, 1.f, 0.f)}, 512), (Spans{{0, 200}, {200, 312}}));
    EXPECT_EQ(s.Gain(0).bufferOffset, -100);

    // An event for a missing element is refused when immediate and skipped by slicing when ramped.
    AudioUnitParameterEvent ramped = Ramp(10, 20, 0.f, 1.f), bad = Immediate(0, 1.f);
    ramped.element = bad.element = 5;
    EXPECT_EQ(s.Render({ramped}, 100).size(), 3u);
    EXPECT_EQ(AudioUnitScheduleParameters(s.unit.unit(), &bad, 1), kAudioUnitErr_InvalidElement);
}
