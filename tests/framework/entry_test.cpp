// The component entry: open, close, can-do, unknown selectors, exception mapping, fast dispatch.
#include <gtest/gtest.h>

#include <new>

#include "TestUnit.h"

namespace {

template <int Kind>
struct ThrowingUnit : TestUnit {
    explicit ThrowingUnit(ComponentInstance ci) : TestUnit(ci)
    {
        if (Kind == 0) throw std::bad_alloc();
        if (Kind == 1) throw SInt16(-43);
        if (Kind == 2) throw SInt32(kAudioUnitErr_FailedInitialization);
        if (Kind == 3) throw "something else";
    }
};

template <int Kind>
OSErr OpenThrowing()
{
    static Component c = RegisterComponent(ComponentDescription{kAudioUnitType_Effect, FourCC("Thr0") + Kind,
                                                                TestUnit::kManufacturer, 0, 0},
                                           &ComponentEntryPoint<ThrowingUnit<Kind>>::Dispatch, "Throwing");
    ComponentInstance ci = nullptr;
    return OpenAComponent(c, &ci);
}

}  // namespace

TEST(ComponentEntry, SelectorsAnswerAndCloseDestroys)
{
    const long before = CFLiveObjectCount();
    {
        OpenTestUnit unit;
        ASSERT_NE(unit.unit(), nullptr);
        EXPECT_EQ(CallComponent(unit.unit(), kComponentVersionSelect), 1);
        for (int s : {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 14, 15, 16, 17, -1, -2, -3, -4})
            EXPECT_EQ(CallComponent(unit.unit(), kComponentCanDoSelect, SInt16(s)), 1) << s;
        for (int s : {8, 12, 13, 18, 0x301, -5})
            EXPECT_EQ(CallComponent(unit.unit(), kComponentCanDoSelect, SInt16(s)), 0) << s;
        EXPECT_EQ(CallComponent(unit.unit(), SInt16(0x55)), badComponentSelector);

        EXPECT_EQ(AudioUnitInitialize(unit.unit()), noErr);
        EXPECT_EQ(AudioUnitInitialize(unit.unit()), noErr);  // a second initialize is harmless
        EXPECT_TRUE(unit->IsInitialized());
    }
    EXPECT_EQ(CFLiveObjectCount(), before);

    ComponentParameters block{};
    for (SInt16 what : {SInt16(kAudioUnitInitializeSelect), SInt16(kComponentVersionSelect)}) {
        block.what = what;
        EXPECT_EQ(ComponentEntryPoint<TestUnit>::Dispatch(&block, nullptr), paramErr) << what;
    }
}

TEST(ComponentEntry, ExceptionsBecomeResults)
{
    EXPECT_EQ(OpenThrowing<0>(), memFullErr);
    EXPECT_EQ(OpenThrowing<1>(), -43);
    EXPECT_EQ(OpenThrowing<2>(), OSErr(kAudioUnitErr_FailedInitialization));
    EXPECT_EQ(OpenThrowing<3>(), -1);

    OpenTestUnit unit;
    Float32 v = 0;
    EXPECT_EQ(AudioUnitGetParameter(unit.unit(), 0, 5, 0, &v), kAudioUnitErr_InvalidScope);
    EXPECT_EQ(AudioUnitGetParameter(unit.unit(), 0, kAudioUnitScope_Global, 3, &v), kAudioUnitErr_InvalidElement);
    EXPECT_EQ(AudioUnitGetParameter(unit.unit(), 99, kAudioUnitScope_Global, 0, &v), kAudioUnitErr_InvalidParameter);
    EXPECT_EQ(AudioUnitGetParameter(unit.unit(), 0, kAudioUnitScope_Group, 0, &v), kAudioUnitErr_InvalidScope);
    EXPECT_EQ(AudioUnitGetParameter(unit.unit(), 0, kAudioUnitScope_Global, 0, nullptr), paramErr);
}

TEST(FastDispatch, EntriesBehaveAsTheSelectors)
{
    OpenTestUnit unit;
    AudioUnitSetParameterProc set = nullptr;
    AudioUnitGetParameterProc get = nullptr;
    AudioUnitRenderProc render = nullptr;
    void* other = nullptr;
    ASSERT_EQ(unit.Get(kAudioUnitProperty_FastDispatch, 0, kAudioUnitSetParameterSelect, set), noErr);
    ASSERT_EQ(unit.Get(kAudioUnitProperty_FastDispatch, 0, kAudioUnitGetParameterSelect, get), noErr);
    ASSERT_EQ(unit.Get(kAudioUnitProperty_FastDispatch, 0, kAudioUnitRenderSelect, render), noErr);
    EXPECT_EQ(unit.Get(kAudioUnitProperty_FastDispatch, 0, 2, other), kAudioUnitErr_InvalidProperty);

    void* storage = GetComponentInstanceStorage(unit.unit());
    EXPECT_EQ(set(storage, TestUnit::kGainParam, 0, 0, 0.25f, 0), noErr);
    Float32 v = 0;
    EXPECT_EQ(get(storage, TestUnit::kGainParam, 0, 0, &v), noErr);
    EXPECT_EQ(v, 0.25f);
    EXPECT_EQ(get(storage, TestUnit::kGainParam, 0, 0, nullptr), paramErr);
    EXPECT_EQ(get(nullptr, TestUnit::kGainParam, 0, 0, &v), paramErr);
    EXPECT_EQ(get(storage, 1234, 0, 0, &v), kAudioUnitErr_InvalidParameter);

    PlanarBuffers out(2, 64);
    AudioTimeStamp ts = SampleTime(0);
    EXPECT_EQ(render(storage, nullptr, &ts, 0, 64, out.list()), kAudioUnitErr_Uninitialized);
    EXPECT_EQ(render(storage, nullptr, nullptr, 0, 64, out.list()), paramErr);
    EXPECT_EQ(render(storage, nullptr, &ts, 0, 64, nullptr), paramErr);
    EXPECT_EQ(render(nullptr, nullptr, &ts, 0, 64, out.list()), paramErr);
}
