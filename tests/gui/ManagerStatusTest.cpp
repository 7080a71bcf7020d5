// The pure pieces of the status line, the tooltip and the ripples: the value text of a parameter,
// the tooltip's placement; ripple removal, freezing and their fixed number of slots.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/FlummelParameters.h"
#include "engine/TrWkFlummelEntry.h"
#include "gui/Manager.h"
#include "gui/Ripples.h"
#include "host/AUHost.h"

using TW::Manager;

TEST(ManagerStatus, ValueTextUsesNamesThenPluginStringsThenTheNumber)
{
    RegisterTrWkFlummel();
    std::unique_ptr<AUHost> host;
    ASSERT_EQ(AUHost::Open(TrWkFlummelDescription(), host), noErr);
    auto text = [&](int id, float v, bool number) {
        CAAUParameter p(host->Unit(), AudioUnitParameterID(id), kAudioUnitScope_Global, 0);
        char out[64] = "junk";
        if (number)
            AUParameterFormatValue(v, &p, out, 4);
        else
            Manager::ValueText(p, v, out, sizeof out);
        return std::string(out);
    };
    struct {
        int id;
        float value;
        const char* name;  // null: the formatted number
    } const cases[] = {
        {kParam_BeatDivisor, 3.0f, "1/8"}, {kParam_BeatDivisor, 5.9f, "1/32"}, {kParam_BeatDivisor, -0.5f, "1/1"},
        {kParam_BeatDivisor, 6.0f, nullptr}, {kParam_BeatDivisor, -1.0f, nullptr},  // indexed names, truncated
        {kParam_FilterType, 2.0f, "Band"},     // the plug-in's string for the value
        {kParam_FilterType, 9.0f, nullptr},    // no string from the plug-in
        {kParam_Feedback, 70.0f, nullptr},
    };
    for (const auto& c : cases)
        EXPECT_EQ(text(c.id, c.value, false), c.name ? c.name : text(c.id, c.value, true)) << c.id << " at " << c.value;
    EXPECT_EQ(text(kParam_Feedback, 70.0f, true).find("70"), 0u);
}

TEST(ManagerStatus, TheTooltipStaysBetweenFiveAnd765)
{
    struct {
        float centre, width, x;
    } const places[] = {{400, 100, 350}, {760, 100, 665}, {20, 100, 5}, {55, 100, 5}, {715, 100, 665}, {400, 800, -35}};
    for (const auto& c : places) EXPECT_EQ(Manager::TooltipX(c.centre, c.width), c.x) << c.centre << " " << c.width;
}

TEST(Ripples, FreezeWithoutEyeCandyRemoveBySwappingInTheLastAndFindNoSlotBeyondTheLast)
{
    Manager::ms_enableEyeCandy = true;
    TW::Ripples ripples{nullptr, nullptr};
    // Position x tells ripples apart; they age in thirtieths of a second.
    auto start = [&](float x, float lifetime) { ripples.Trigger({x, 0, 0}, {1, 1, 1, 1}, 4, lifetime, 30); };
    auto update = [&](int frames) {
        for (int i = 0; i < frames; ++i) ripples.Update();
    };
    start(0, 0.5f);
    update(10);
    Manager::ms_enableEyeCandy = false;
    update(100);
    Manager::ms_enableEyeCandy = true;
    update(4);
    EXPECT_EQ(ripples.count, 1);
    update(1);
    EXPECT_EQ(ripples.count, 0);

    start(10, 0.05f);  // removed on its second update
    start(20, 1.0f);
    start(30, 1.0f);
    update(2);
    ASSERT_EQ(ripples.count, 2);
    EXPECT_TRUE(ripples.ripples[0].position.x == 30 && ripples.ripples[1].position.x == 20);
    EXPECT_NEAR(ripples.ripples[0].age, 2 / 30.0f, 1e-6);  // aged in the update that moved it
    for (int i = 0; i < TW::Ripples::kMaxRipples + 3; ++i) start(float(100 + i), 1.0f);
    EXPECT_EQ(ripples.count, TW::Ripples::kMaxRipples);  // the last three found no slot
    EXPECT_EQ(ripples.ripples[TW::Ripples::kMaxRipples - 1].position.x, 129);
}
