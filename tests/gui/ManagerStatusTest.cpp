// The pure pieces of the status line, the tooltip and the ripples: which id is shown, the value
// text of a parameter, the tooltip's fade and placement; ripple ageing, removal and freezing.
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

TEST(ManagerStatus, DraggedIdWinsAndTheTooltipStaysBetweenFiveAnd765AndFadesOutToZero)
{
    EXPECT_TRUE(Manager::StatusId(3, 4) == 3 && Manager::StatusId(-1, -3) == -3 && Manager::StatusId(-1, 4) == 4);
    struct {
        float centre, width, x;
    } const places[] = {{400, 100, 350}, {760, 100, 665}, {20, 100, 5}, {55, 100, 5}, {715, 100, 665}, {400, 800, -35}};
    for (const auto& c : places) EXPECT_EQ(Manager::TooltipX(c.centre, c.width), c.x) << c.centre << " " << c.width;
    // Fading out ends at zero once below one step of 8-bit alpha: 0.89^47 is not, 0.89^48 is.
    float a = 1.0f;
    for (int frame = 1; frame <= 47; ++frame) ASSERT_GT(a = Manager::FadeTooltip(a, false), 1.0f / 255) << frame;
    EXPECT_EQ(Manager::FadeTooltip(a, false), 0.0f);
}

TEST(Ripples, AgeInThirtiethsOfASecondFreezeWithoutEyeCandyAndRemoveBySwappingInTheLast)
{
    Manager::ms_enableEyeCandy = true;
    TW::Ripples ripples{nullptr, nullptr};
    // Position x tells ripples apart; radius 4 growing by 30 a second.
    auto start = [&](float x, float lifetime) { ripples.Trigger({x, 0, 0}, {1, 1, 1, 1}, 4, lifetime, 30); };
    auto update = [&](int frames) {
        for (int i = 0; i < frames; ++i) ripples.Update();
    };
    for (auto [lifetime, survives] : {std::pair{0.5f, 14}, {1.0f, 29}, {0.01f, 0}}) {  // removed on the next update
        start(0, lifetime);
        update(survives);
        ASSERT_EQ(ripples.count, 1) << lifetime;
        EXPECT_NEAR(ripples.ripples[0].radius, 4 + survives, 1e-4);
        update(1);
        EXPECT_EQ(ripples.count, 0) << lifetime;
    }
    for (auto [age, factor] : {std::pair{0.f, 0.f}, {0.05f, 0.5f}, {0.1f, 1.f}, {0.3f, 0.6f}, {0.6f, 0.f}})
        EXPECT_NEAR(TW::Ripples::AlphaFactor(age, 0.6f), factor, 1e-5) << age;

    start(0, 0.5f);
    update(10);
    Manager::ms_enableEyeCandy = false;
    update(100);
    Manager::ms_enableEyeCandy = true;
    EXPECT_NEAR(ripples.ripples[0].age, 10 / 30.0f, 1e-5);
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
