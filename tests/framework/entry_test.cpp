// The component entry: open, close, can-do, unknown selectors, short argument blocks and
// exception mapping.
#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "TestUnit.h"
#include "platform/audio/AudioUnitCallArgs.h"

namespace {

template <int Kind>
struct ThrowingUnit : TestUnit {
    explicit ThrowingUnit(ComponentInstance ci) : TestUnit(ci)
    {
        if (Kind == 0) throw std::bad_alloc();
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
        EXPECT_EQ(CallComponent(unit.unit(), kComponentCanDoSelect, SInt16(kAudioUnitRenderSelect)), 1);
        EXPECT_EQ(CallComponent(unit.unit(), kComponentCanDoSelect, SInt16(0x55)), 0);
        EXPECT_EQ(CallComponent(unit.unit(), SInt16(0x55)), badComponentSelector);
        // A block that says it is shorter than the selector's arguments is refused, even where the
        // slots past its end happen to hold a good call.
        Float32 value = 0;
        ComponentParameters block{};
        block.what = kAudioUnitGetParameterSelect;
        const AudioUnitGetParameterArgs args{
            .outValue = &value, .element = 0, .scope = kAudioUnitScope_Global, .id = 0};
        std::memcpy(block.params, &args, sizeof args);
        void* storage = GetComponentInstanceStorage(unit.unit());
        for (const size_t bytes : {sizeof args, sizeof args - sizeof(intptr_t), size_t(0)}) {
            block.paramSize = UInt8(bytes);
            const OSStatus expected = bytes == sizeof args ? noErr : paramErr;
            EXPECT_EQ(ComponentEntryPoint<TestUnit>::Dispatch(&block, storage), expected) << bytes;
        }
        EXPECT_EQ(CallComponent(unit.unit(), kAudioUnitRenderSelect), paramErr);

        EXPECT_EQ(AudioUnitInitialize(unit.unit()), noErr);
        EXPECT_EQ(AudioUnitInitialize(unit.unit()), noErr);  // a second initialize is harmless
        EXPECT_TRUE(unit->IsInitialized());
    }
    EXPECT_EQ(CFLiveObjectCount(), before);

    ComponentParameters block{};
    block.what = kAudioUnitInitializeSelect;
    EXPECT_EQ(ComponentEntryPoint<TestUnit>::Dispatch(&block, nullptr), paramErr);
}

TEST(ComponentEntry, ExceptionsBecomeResults)
{
    EXPECT_EQ(OpenThrowing<0>(), memFullErr);
    EXPECT_EQ(OpenThrowing<2>(), OSErr(kAudioUnitErr_FailedInitialization));
    EXPECT_EQ(OpenThrowing<3>(), -1);

    OpenTestUnit unit;
    Float32 v = 0;
    EXPECT_EQ(AudioUnitGetParameter(unit.unit(), 0, 5, 0, &v), kAudioUnitErr_InvalidScope);
    EXPECT_EQ(AudioUnitGetParameter(unit.unit(), 0, kAudioUnitScope_Global, 3, &v), kAudioUnitErr_InvalidElement);
    EXPECT_EQ(AudioUnitGetParameter(unit.unit(), 99, kAudioUnitScope_Global, 0, &v), kAudioUnitErr_InvalidParameter);
    EXPECT_EQ(AudioUnitGetParameter(unit.unit(), 0, kAudioUnitScope_Global, 0, nullptr), paramErr);
}
