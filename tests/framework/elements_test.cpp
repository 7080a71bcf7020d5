// Scopes and elements: lookups, parameter storage, growing and shrinking, names.
#include <gtest/gtest.h>

#include "TestUnit.h"
#include "platform/cf/CFString.h"

TEST(Scopes, ScopeNumbersOfFiveOrMoreThrowFromEveryLookup)
{
    OpenTestUnit unit;
    EXPECT_THROW(unit->GetScope(5), SInt32);
    EXPECT_THROW(unit->GetElement(9, 0), SInt32);
    EXPECT_THROW(unit->SafeGetElement(5, 0), SInt32);
    EXPECT_THROW(unit->GetIOElement(5, 0), SInt32);
    try {
        unit->GetElement(5, 0);
    } catch (SInt32 err) {
        EXPECT_EQ(err, kAudioUnitErr_InvalidScope);
    }
}

TEST(Scopes, ElementLookups)
{
    OpenTestUnit unit;
    EXPECT_NE(unit->GetElement(kAudioUnitScope_Global, 0), nullptr);
    EXPECT_EQ(unit->GetElement(kAudioUnitScope_Global, 1), nullptr);
    EXPECT_EQ(unit->GetElement(kAudioUnitScope_Group, 0), nullptr);
    EXPECT_NE(unit->GetIOElement(kAudioUnitScope_Input, 0), nullptr);
    try {
        unit->GetIOElement(kAudioUnitScope_Global, 0);  // exists, but is not a bus
        FAIL();
    } catch (SInt32 err) {
        EXPECT_EQ(err, kAudioUnitErr_InvalidElement);
    }
    EXPECT_NE(dynamic_cast<AUInputElement*>(unit->GetElement(kAudioUnitScope_Input, 0)), nullptr);
    EXPECT_NE(dynamic_cast<AUOutputElement*>(unit->GetElement(kAudioUnitScope_Output, 0)), nullptr);
}

TEST(Scopes, GrowingAndShrinkingKeepsLowerElements)
{
    OpenTestUnit unit;
    AUScope& group = unit->GetScope(kAudioUnitScope_Group);
    group.SetNumberOfElements(3);
    AUElement* first = group.GetElement(0);
    group.GetElement(2)->SetParameter(4, 1.f);
    group.SetNumberOfElements(3);
    EXPECT_EQ(group.GetElement(0), first);
    EXPECT_EQ(group.GetElement(2)->GetNumberOfParameters(), 1u);
    group.SetNumberOfElements(1);
    EXPECT_EQ(group.GetNumberOfElements(), 1u);
    EXPECT_EQ(group.GetElement(0), first);
    EXPECT_EQ(group.GetElement(1), nullptr);
}

TEST(Parameters, MapStorageCreatesIndexedStorageRefuses)
{
    OpenTestUnit unit;
    AUElement* global = unit->Globals();
    EXPECT_THROW(global->GetParameter(3), SInt32);
    global->SetParameter(3, 0.5f);  // map storage: created on demand
    EXPECT_EQ(global->GetParameter(3), 0.5f);
    AudioUnitParameterID ids[3];
    global->GetParameterList(ids);
    EXPECT_EQ(ids[0], 0u);
    EXPECT_EQ(ids[1], 3u);
    EXPECT_EQ(ids[2], 7u);

    AUElement indexed(nullptr);
    indexed.UseIndexedParameters(4);
    EXPECT_EQ(indexed.GetNumberOfParameters(), 4u);
    EXPECT_EQ(indexed.GetParameter(3), 0.f);
    indexed.SetParameter(2, 9.f);
    EXPECT_EQ(indexed.GetParameter(2), 9.f);
    try {
        indexed.SetParameter(4, 1.f);
        FAIL();
    } catch (SInt32 err) {
        EXPECT_EQ(err, kAudioUnitErr_InvalidParameter);
    }
}

TEST(Parameters, SetThroughTheHostCall)
{
    OpenTestUnit unit;
    EXPECT_EQ(AudioUnitSetParameter(unit.unit(), 12, kAudioUnitScope_Global, 0, 3.5f, 0), noErr);
    Float32 v = 0;
    EXPECT_EQ(AudioUnitGetParameter(unit.unit(), 12, kAudioUnitScope_Global, 0, &v), noErr);
    EXPECT_EQ(v, 3.5f);
    EXPECT_EQ(AudioUnitSetParameter(unit.unit(), 12, kAudioUnitScope_Group, 0, 3.5f, 0), kAudioUnitErr_InvalidScope);
    EXPECT_EQ(AudioUnitSetParameter(unit.unit(), 12, kAudioUnitScope_Output, 1, 3.5f, 0),
              kAudioUnitErr_InvalidElement);
}

TEST(Elements, NamesAreRetainedAndReleased)
{
    const long before = CFLiveObjectCount();
    {
        AUElement e(nullptr);
        CFStringRef name = CFStringCreateWithCString(nullptr, "Bus", kCFStringEncodingUTF8);
        e.SetName(name);
        e.SetName(name);
        CFRelease(name);
        EXPECT_TRUE(CFEqual(e.GetName(), CFSTR("Bus")));
        EXPECT_EQ(CFGetRetainCount(e.GetName()), 1);
    }
    EXPECT_EQ(CFLiveObjectCount(), before);
}

TEST(Elements, BuffersAllocateOnlyOnceInitializedAndSurviveUninitialize)
{
    OpenTestUnit unit;
    RampSource source;
    ASSERT_EQ(source.Install(unit.unit()), noErr);
    EXPECT_EQ(unit->GetInput(0)->IOBuffer().GetAllocatedFrames(), 0u);
    ASSERT_EQ(AudioUnitInitialize(unit.unit()), noErr);
    EXPECT_EQ(unit->GetInput(0)->IOBuffer().GetAllocatedFrames(), 1156u);
    EXPECT_EQ(unit->GetOutput(0)->IOBuffer().GetAllocatedFrames(), 1156u);
    ASSERT_EQ(AudioUnitUninitialize(unit.unit()), noErr);
    EXPECT_EQ(unit->GetOutput(0)->IOBuffer().GetAllocatedFrames(), 1156u);
    // A new maximum takes effect when the unit is initialized again.
    UInt32 frames = 300;
    ASSERT_EQ(AudioUnitSetProperty(unit.unit(), kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, &frames, 4), noErr);
    EXPECT_EQ(unit->GetOutput(0)->IOBuffer().GetAllocatedFrames(), 1156u);
    ASSERT_EQ(AudioUnitInitialize(unit.unit()), noErr);
    EXPECT_EQ(unit->GetOutput(0)->IOBuffer().GetAllocatedFrames(), 300u);
    EXPECT_EQ(unit->GetInput(0)->IOBuffer().GetAllocatedFrames(), 300u);
}
