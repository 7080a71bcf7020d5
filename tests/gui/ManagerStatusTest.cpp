// The pure pieces of the status line and the tooltip: which id is shown, the value text of a
// parameter, the tooltip's fade and its placement; the error reports.
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

TEST(ManagerStatus, DraggedParameterWinsOverTheOneUnderThePointer)
{
    struct {
        int dragged, mouseOver, shown;
    } const cases[] = {
        {-1, -1, -1}, {-1, 4, 4}, {3, 4, 3}, {0, 7, 0}, {-1, -3, -3}, {2, -3, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Manager::StatusId(c.dragged, c.mouseOver), c.shown) << c.dragged << " " << c.mouseOver;
}

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
        {kParam_BeatDivisor, 3.0f, "1/8"},                             // indexed names
        {kParam_BeatDivisor, 5.9f, "1/32"},                            // index truncated
        {kParam_BeatDivisor, -0.5f, "1/1"},                            // truncated toward zero
        {kParam_BeatDivisor, 6.0f, number(kParam_BeatDivisor, 6.0f)},  // past the names
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

TEST(ManagerStatus, TooltipFadesInTowardOneAndOutToZeroBelowOneStep)
{
    float a = 0;
    for (float expected : {0.16f, 0.2944f, 0.407296f}) {
        a = Manager::FadeTooltip(a, true);
        EXPECT_NEAR(a, expected, 1e-6f);
    }
    for (int i = 0; i < 100; ++i) a = Manager::FadeTooltip(a, true);
    EXPECT_NEAR(a, 1.0f, 1e-5f);

    a = 1.0f;
    for (int frame = 1; frame <= 47; ++frame) {
        a = Manager::FadeTooltip(a, false);
        ASSERT_GT(a, 1.0f / 255) << frame;
    }
    EXPECT_NEAR(a, 0.00418f, 1e-4f);  // 0.89^47
    EXPECT_EQ(Manager::FadeTooltip(a, false), 0.0f);
    EXPECT_EQ(Manager::FadeTooltip(0.0f, false), 0.0f);
}

TEST(ManagerStatus, TooltipIsCentredThenKeptBetweenFiveAnd765)
{
    struct {
        float centre, width, x;
    } const cases[] = {
        {400, 100, 350},  // centred
        {760, 100, 665},  // would run past 765
        {20, 100, 5},     // would start left of 5
        {55, 100, 5},     // just
        {715, 100, 665},  // just
        {400, 800, -35},  // wider than the window: it ends at 765
    };
    for (const auto& c : cases) EXPECT_EQ(Manager::TooltipX(c.centre, c.width), c.x) << c.centre << " " << c.width;
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
