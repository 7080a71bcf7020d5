// Ripples: fixed-step ageing, removal by swapping in the last live ripple, the fade curve, the
// slot limit, and freezing while eye candy is off.
#include <gtest/gtest.h>

#include "gui/Manager.h"
#include "gui/Ripples.h"

namespace {

class RipplesTest : public ::testing::Test {
protected:
    // Eye candy is process-wide: on for every test, and left on.
    void SetUp() override { TW::Manager::ms_enableEyeCandy = true; }
    void TearDown() override { SetUp(); }
    // Position x tells ripples apart; radius 4 growing by 30 a second.
    void Start(float x, float lifetime) { ripples.Trigger({x, 0, 0}, {1, 1, 1, 1}, 4, lifetime, 30); }
    void Update(int frames)
    {
        for (int i = 0; i < frames; ++i) ripples.Update();
    }
    TW::Ripples ripples{nullptr, nullptr};
};

}  // namespace

TEST_F(RipplesTest, ARippleGrowsFadesAndLivesUntilItsLifetimeInThirtiethsOfASecondUnlessFrozen)
{
    struct Case {
        float lifetime;
        int survives;  // updates it lives through; removed on the next
    } cases[] = {{0.5f, 14}, {1.0f, 29}, {0.01f, 0}};
    for (const Case& c : cases) {
        Start(0, c.lifetime);
        Update(c.survives);
        ASSERT_EQ(ripples.count, 1) << c.lifetime;
        EXPECT_NEAR(ripples.ripples[0].radius, 4 + c.survives, 1e-4);
        Update(1);
        EXPECT_EQ(ripples.count, 0) << c.lifetime;
    }
    struct Fade {
        float age, lifetime, factor;
    } fades[] = {{0, 0.6f, 0}, {0.05f, 0.6f, 0.5f}, {0.1f, 0.6f, 1}, {0.3f, 0.6f, 0.6f}, {0.6f, 0.6f, 0}};
    for (const Fade& f : fades) EXPECT_NEAR(TW::Ripples::AlphaFactor(f.age, f.lifetime), f.factor, 1e-5) << f.age;

    // With eye candy off they freeze, and resume where they were.
    Start(0, 0.5f);
    Update(10);
    TW::Manager::ms_enableEyeCandy = false;
    Update(100);
    ASSERT_EQ(ripples.count, 1);
    EXPECT_NEAR(ripples.ripples[0].age, 10 / 30.0f, 1e-5);
    TW::Manager::ms_enableEyeCandy = true;
    Update(4);
    EXPECT_EQ(ripples.count, 1);
    Update(1);
    EXPECT_EQ(ripples.count, 0);
}

TEST_F(RipplesTest, RemovalMovesTheLastRippleIntoTheGapAndAgesItInTheSameUpdate)
{
    Start(10, 0.05f);  // removed on its second update
    Start(20, 1.0f);
    Start(30, 1.0f);
    Update(2);
    ASSERT_EQ(ripples.count, 2);
    EXPECT_EQ(ripples.ripples[0].position.x, 30);
    EXPECT_EQ(ripples.ripples[1].position.x, 20);
    EXPECT_NEAR(ripples.ripples[0].age, 2 / 30.0f, 1e-6);
    EXPECT_NEAR(ripples.ripples[1].age, 2 / 30.0f, 1e-6);

    for (int i = 0; i < TW::Ripples::kMaxRipples + 3; ++i) Start(float(100 + i), 1.0f);
    EXPECT_EQ(ripples.count, TW::Ripples::kMaxRipples);  // the last three found no slot
    EXPECT_EQ(ripples.ripples[TW::Ripples::kMaxRipples - 1].position.x, 129);
}
