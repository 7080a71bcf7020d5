// The pure pieces of the status line and the tooltip: the value text of a parameter, the
// tooltip's placement.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/FlummelParameters.h"
#include "engine/TrWkFlummelEntry.h"
#include "gui/Manager.h"
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
