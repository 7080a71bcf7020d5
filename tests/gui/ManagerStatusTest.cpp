// The pure pieces of the status line and the tooltip: which id is shown, the value text of a
// parameter, the tooltip's fade and placement; the error reports.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "engine/FlummelParameters.h"
#include "engine/TrWkFlummelEntry.h"
#include "gui/Manager.h"
#include "host/AUHost.h"
#include "tests/gui/OffscreenGL.h"

using TW::Manager;

TEST(ManagerStatus, ValueTextUsesNamesThenPluginStringsThenTheNumber)
{
    RegisterTrWkFlummel();
    std::unique_ptr<AUHost> host;
    ASSERT_EQ(AUHost::Open(TrWkFlummelDescription(), host), noErr);
    auto number = [&](int id, float v) {
        CAAUParameter p(host->Unit(), AudioUnitParameterID(id), kAudioUnitScope_Global, 0);
        char text[64];
        AUParameterFormatValue(v, &p, text, 4);
        return std::string(text);
    };
    struct {
        int id;
        float value;
        std::string text;
    } const cases[] = {
        {kParam_BeatDivisor, 3.0f, "1/8"}, {kParam_BeatDivisor, 5.9f, "1/32"},  // indexed names, truncated
        {kParam_BeatDivisor, -0.5f, "1/1"}, {kParam_BeatDivisor, 6.0f, number(kParam_BeatDivisor, 6.0f)},
        {kParam_BeatDivisor, -1.0f, number(kParam_BeatDivisor, -1.0f)},
        {kParam_FilterType, 2.0f, "Band"},                           // the plug-in's string for the value
        {kParam_FilterType, 9.0f, number(kParam_FilterType, 9.0f)},  // no string from the plug-in
        {kParam_Feedback, 70.0f, number(kParam_Feedback, 70.0f)},
    };
    for (const auto& c : cases) {
        CAAUParameter p(host->Unit(), AudioUnitParameterID(c.id), kAudioUnitScope_Global, 0);
        char out[64] = "junk";
        Manager::ValueText(p, c.value, out, sizeof out);
        EXPECT_EQ(out, c.text) << c.id << " at " << c.value;
    }
    EXPECT_EQ(number(kParam_Feedback, 70.0f).find("70"), 0u);
}

TEST(ManagerStatus, DraggedIdWinsAndTheTooltipStaysBetweenFiveAnd765AndFadesOutToZero)
{
    struct {
        int dragged, mouseOver, shown;
    } const ids[] = {{-1, -1, -1}, {-1, 4, 4}, {3, 4, 3}, {0, 7, 0}, {-1, -3, -3}, {2, -3, 2}};
    for (const auto& c : ids) EXPECT_EQ(Manager::StatusId(c.dragged, c.mouseOver), c.shown) << c.dragged << " " << c.mouseOver;

    struct {
        float centre, width, x;
    } const places[] = {{400, 100, 350}, {760, 100, 665}, {20, 100, 5}, {55, 100, 5}, {715, 100, 665}, {400, 800, -35}};
    for (const auto& c : places) EXPECT_EQ(Manager::TooltipX(c.centre, c.width), c.x) << c.centre << " " << c.width;

    // Fading out ends at zero once below one step of 8-bit alpha: 0.89^47 is not, 0.89^48 is.
    float a = 1.0f;
    for (int frame = 1; frame <= 47; ++frame) ASSERT_GT(a = Manager::FadeTooltip(a, false), 1.0f / 255) << frame;
    EXPECT_EQ(Manager::FadeTooltip(a, false), 0.0f);
}

TEST(ManagerStatus, ErrorReportsNameTheirSourceOnceAndThenClear)
{
    if (!std::getenv("DISPLAY") || !*std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
    OffscreenGL gl(8, 8);
    ASSERT_TRUE(gl.Ready());
    glEnable(GL_INVALID_ENUM);  // not a capability
    testing::internal::CaptureStdout();
    EXPECT_EQ(TW::glReportError("glEnable"), GLenum(GL_INVALID_ENUM));
    EXPECT_EQ(TW::glReportError("glEnable"), 0u);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "GL (glEnable): invalid enumerant\n");

    const GLint bad[] = {AGL_RGBA, 9999, AGL_NONE};
    EXPECT_EQ(aglChoosePixelFormat(nullptr, 0, bad), nullptr);
    testing::internal::CaptureStdout();
    EXPECT_EQ(TW::aglReportError(), GLenum(AGL_BAD_ATTRIBUTE));
    EXPECT_EQ(TW::aglReportError(), 0u);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "AGL: invalid pixel format attribute\n");
}
