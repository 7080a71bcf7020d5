// Scopes and elements: lookups, parameter storage and I/O buffers.
#include <gtest/gtest.h>

#include "TestUnit.h"

TEST(Elements, LookupsMapParametersAreCreatedIndexedAreBounded)
{
    OpenTestUnit unit;
    EXPECT_EQ(Thrown([&] { unit->GetScope(5); }), kAudioUnitErr_InvalidScope);
    EXPECT_EQ(Thrown([&] { unit->GetIOElement(kAudioUnitScope_Global, 0); }), kAudioUnitErr_InvalidElement);
    EXPECT_EQ(unit->GetElement(kAudioUnitScope_Global, 1), nullptr);
    EXPECT_EQ(unit->GetElement(kAudioUnitScope_Group, 0), nullptr);

    AUElement* global = unit->Globals();
    EXPECT_EQ(Thrown([&] { global->GetParameter(3); }), kAudioUnitErr_InvalidParameter);
    global->SetParameter(3, 0.5f);
    EXPECT_EQ(global->GetParameter(3), 0.5f);
    AudioUnitParameterID ids[3];
    global->GetParameterList(ids);
    EXPECT_EQ(std::vector<AudioUnitParameterID>(ids, ids + 3), (std::vector<AudioUnitParameterID>{0, 3, 7}));

    AUElement indexed(nullptr);
    indexed.UseIndexedParameters(4);
    indexed.SetParameter(2, 9.f);
    EXPECT_EQ(indexed.GetParameter(2), 9.f);
    EXPECT_EQ(indexed.GetParameter(3), 0.f);
    EXPECT_EQ(Thrown([&] { indexed.SetParameter(4, 1.f); }), kAudioUnitErr_InvalidParameter);
}

TEST(Elements, BuffersAllocateOnlyOnceInitializedAndSurviveUninitialize)
{
    OpenTestUnit unit;
    RampSource source;
    ASSERT_EQ(source.Install(unit.unit()), noErr);
    auto frames = [&] {
        const UInt32 in = unit->GetInput(0)->IOBuffer().GetAllocatedFrames();
        return unit->GetOutput(0)->IOBuffer().GetAllocatedFrames() == in ? in : ~0u;
    };
    EXPECT_EQ(frames(), 0u);
    ASSERT_EQ(AudioUnitInitialize(unit.unit()), noErr);
    EXPECT_EQ(frames(), 1156u);
    ASSERT_EQ(AudioUnitUninitialize(unit.unit()), noErr);
    // A new maximum takes effect when the unit is initialized again.
    const UInt32 max = 300;
    ASSERT_EQ(unit.Set(kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, &max, 4), noErr);
    EXPECT_EQ(frames(), 1156u);
    ASSERT_EQ(AudioUnitInitialize(unit.unit()), noErr);
    EXPECT_EQ(frames(), 300u);
}
