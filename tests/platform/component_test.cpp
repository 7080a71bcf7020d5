// The component manager: lookup by description, instances, storage and the calls a closed instance refuses.
#include <gtest/gtest.h>

#include <vector>

#include "platform/audio/AudioUnitCalls.h"

namespace {

struct Call {
    SInt16 selector;
    void* storage;
};
std::vector<Call> gCalls;
int gStorage = 0;
ComponentResult gOpenResult = noErr;

ComponentResult RecordingEntry(ComponentParameters* p, void* storage)
{
    gCalls.push_back({p->what, storage});
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

// What a host meets: lookup, an open that fails, storage handed to every call, and an instance
// that is gone once closed.
TEST(ComponentManager, FindsOpensAndClosesInstancesWithTheirStorage)
{
    Component c = Registered();
    const ComponentDescription exact{FourCC("aufx"), FourCC("Rcrd"), FourCC("TsCo"), 0, 0},
        other{FourCC("aufx"), FourCC("Nope"), 0, 0, 0};
    EXPECT_EQ(FindNextComponent(nullptr, &exact), c);
    EXPECT_EQ(FindNextComponent(c, &exact), nullptr);
    EXPECT_EQ(FindNextComponent(nullptr, &other), nullptr);
    ComponentDescription info{};
    ASSERT_EQ(GetComponentInfo(c, &info), noErr);
    EXPECT_EQ(info.componentManufacturer, FourCC("TsCo"));

    gOpenResult = -108;
    ComponentInstance ci = reinterpret_cast<ComponentInstance>(1);
    EXPECT_EQ(OpenAComponent(c, &ci), -108);
    EXPECT_EQ(ci, nullptr);
    gOpenResult = noErr;
    EXPECT_EQ(OpenAComponent(nullptr, &ci), invalidComponentID);

    gCalls.clear();
    ASSERT_EQ(OpenAComponent(c, &ci), noErr);
    ASSERT_EQ(gCalls.size(), 1u);
    EXPECT_EQ(gCalls[0].selector, kComponentOpenSelect);
    Float32 value = 0;
    EXPECT_EQ(AudioUnitGetParameter(ci, 5, 1, 2, &value), 77);
    EXPECT_EQ(gCalls.back().storage, &gStorage);
    EXPECT_EQ(CloseComponent(ci), noErr);
    EXPECT_EQ(gCalls.back().selector, kComponentCloseSelect);
    EXPECT_EQ(gCalls.back().storage, &gStorage);
    EXPECT_EQ(AudioUnitInitialize(ci), invalidComponentID);
    EXPECT_EQ(GetComponentInstanceStorage(ci), nullptr);
}
