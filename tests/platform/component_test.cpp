// The component manager: lookup by description, instances, storage and the parameter block of a call.
#include <gtest/gtest.h>

#include <vector>

#include "platform/audio/AudioUnitCalls.h"

namespace {

struct Call {
    SInt16 selector;
    std::vector<intptr_t> params;  // as stored in the block
    void* storage;
};
std::vector<Call> gCalls;
int gStorage = 0;
ComponentResult gOpenResult = noErr;

ComponentResult RecordingEntry(ComponentParameters* p, void* storage)
{
    Call c{p->what, {}, storage};
    for (int i = 0; i < ComponentParamCount(p); ++i) c.params.push_back(p->params[i]);
    gCalls.push_back(c);
    if (p->what == kComponentOpenSelect) {
        if (gOpenResult != noErr) return gOpenResult;
        SetComponentInstanceStorage(reinterpret_cast<ComponentInstance>(ComponentParam(p, 0)), &gStorage);
    }
    return p->what == kAudioUnitGetParameterSelect ? 77 : noErr;
}

Component Registered()
{
    static Component c = RegisterComponent(ComponentDescription{FourCC("aufx"), FourCC("Rcrd"), FourCC("TsCo"), 0, 0},
                                           &RecordingEntry, "Recorder");
    return c;
}

}  // namespace

TEST(ComponentManager, FindsByDescriptionWithWildcardsAndFailedOpensReturnTheError)
{
    Component c = Registered();
    const ComponentDescription exact{FourCC("aufx"), FourCC("Rcrd"), FourCC("TsCo"), 0, 0},
        bySubtype{0, FourCC("Rcrd"), 0, 0, 0}, other{FourCC("aufx"), FourCC("Nope"), 0, 0, 0};
    EXPECT_EQ(FindNextComponent(nullptr, &exact), c);
    EXPECT_EQ(FindNextComponent(nullptr, &bySubtype), c);
    EXPECT_EQ(FindNextComponent(c, &bySubtype), nullptr);
    EXPECT_EQ(FindNextComponent(nullptr, &other), nullptr);
    ComponentDescription info{};
    const char* name = nullptr;
    ASSERT_EQ(GetComponentInfo(c, &info, &name), noErr);
    EXPECT_EQ(info.componentManufacturer, FourCC("TsCo"));
    EXPECT_STREQ(name, "Recorder");

    gOpenResult = -108;
    ComponentInstance ci = reinterpret_cast<ComponentInstance>(1);
    EXPECT_EQ(OpenAComponent(c, &ci), -108);
    EXPECT_EQ(ci, nullptr);
    gOpenResult = noErr;
    EXPECT_EQ(OpenAComponent(nullptr, &ci), invalidComponentID);
    EXPECT_EQ(OpenAComponent(c, nullptr), paramErr);
}

TEST(ComponentManager, InstancesCarryStorageAndArgumentsLastFirstAndFailCleanlyWhenClosed)
{
    gCalls.clear();
    ComponentInstance ci = nullptr;
    ASSERT_EQ(OpenAComponent(Registered(), &ci), noErr);
    ASSERT_EQ(gCalls.size(), 1u);
    EXPECT_EQ(gCalls[0].selector, kComponentOpenSelect);
    EXPECT_EQ(gCalls[0].params, std::vector<intptr_t>{reinterpret_cast<intptr_t>(ci)});
    EXPECT_EQ(GetComponentOfInstance(ci), Registered());

    Float32 value = 0;
    EXPECT_EQ(AudioUnitGetParameter(ci, 5, 1, 2, &value), 77);
    EXPECT_EQ(AudioUnitSetParameter(ci, 9, 0, 3, -2.5f, 64), noErr);
    ASSERT_EQ(gCalls.size(), 3u);
    EXPECT_EQ(gCalls[1].selector, kAudioUnitGetParameterSelect);
    EXPECT_EQ(gCalls[1].params, (std::vector<intptr_t>{reinterpret_cast<intptr_t>(&value), 2, 1, 5}));
    EXPECT_EQ(gCalls[1].storage, &gStorage);
    ASSERT_EQ(gCalls[2].params.size(), 5u);
    EXPECT_EQ(gCalls[2].params[0], 64);
    EXPECT_EQ(ComponentArgFloat(gCalls[2].params[1]), -2.5f);
    EXPECT_EQ(gCalls[2].params[4], 9);

    EXPECT_EQ(CloseComponent(ci), noErr);
    EXPECT_EQ(gCalls.back().selector, kComponentCloseSelect);
    EXPECT_EQ(gCalls.back().storage, &gStorage);
    EXPECT_EQ(CloseComponent(ci), invalidComponentID);
    EXPECT_EQ(AudioUnitInitialize(ci), invalidComponentID);
    EXPECT_EQ(GetComponentInstanceStorage(ci), nullptr);
    EXPECT_EQ(GetComponentInfo(ci, nullptr), invalidComponentID);
}
