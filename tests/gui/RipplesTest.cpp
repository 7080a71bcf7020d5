// Ripples: fixed-step ageing, removal by swapping in the last live ripple, the fade curve, the
// slot limit, and freezing while eye candy is off.
#include <gtest/gtest.h>

#include "gui/Manager.h"
#include "gui/Ripples.h"

namespace {

// Eye candy is a process-wide switch: every test starts with it on and leaves it on.
class RipplesTest : public ::testing::Test {
protected:
    void SetUp() override { TW::Manager::ms_enableEyeCandy = true; }
    void TearDown() override { TW::Manager::ms_enableEyeCandy = true; }

    // Position x tells ripples apart.
    void Start(float x, float lifetime, float radius = 4, float growth = 30)
    {
        ripples.Trigger({x, 0, 0}, {1, 1, 1, 1}, radius, lifetime, growth);
    }
    void Update(int frames)
    {
        for (int i = 0; i < frames; ++i) ripples.Update();
    }

    TW::Ripples ripples{nullptr, nullptr};
};

}  // namespace

TEST_F(RipplesTest, ARippleLivesUntilItsAgeReachesItsLifetimeInThirtiethsOfASecond)
{
    struct Case {
        float lifetime;
        int survives;  // updates it lives through; removed on the next
    } cases[] = {{0.5f, 14}, {1.0f, 29}, {0.01f, 0}, {0.05f, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lifetime);
        Start(0, c.lifetime, 4, 30);
        Update(c.survives);
        ASSERT_EQ(ripples.count, 1);
        EXPECT_NEAR(ripples.ripples[0].age, c.survives / 30.0f, 1e-5);
        EXPECT_NEAR(ripples.ripples[0].radius, 4 + c.survives, 1e-4);  // 30 a second
        Update(1);
        EXPECT_EQ(ripples.count, 0);
    }
}

TEST_F(RipplesTest, TheAlphaFactorRisesOverTheFirstSixthThenFallsToZero)
{
    struct Case {
        float age, lifetime, factor;
    } cases[] = {{0, 0.6f, 0}, {0.05f, 0.6f, 0.5f}, {0.1f, 0.6f, 1}, {0.3f, 0.6f, 0.6f}, {0.6f, 0.6f, 0},
                 {0.5f, 3.0f, 1}, {1.5f, 3.0f, 0.6f}};
    for (const Case& c : cases)
        EXPECT_NEAR(TW::Ripples::AlphaFactor(c.age, c.lifetime), c.factor, 1e-5) << c.age << "/" << c.lifetime;
}

TEST_F(RipplesTest, RemovalMovesTheLastRippleIntoTheGapAndAgesItInTheSameUpdate)
{
    Start(10, 0.05f);  // dies on its second update
    Start(20, 1.0f);
    Start(30, 1.0f);
    Update(1);
    ASSERT_EQ(ripples.count, 3);
    Update(1);
    ASSERT_EQ(ripples.count, 2);
    EXPECT_EQ(ripples.ripples[0].position.x, 30);
    EXPECT_EQ(ripples.ripples[1].position.x, 20);
    // Both survivors have been aged exactly twice.
    EXPECT_NEAR(ripples.ripples[0].age, 2 / 30.0f, 1e-6);
    EXPECT_NEAR(ripples.ripples[1].age, 2 / 30.0f, 1e-6);

    // Two dying at once, the last of them swapped into the first gap.
    ripples.count = 0;
    Start(1, 0.05f);
    Start(2, 1.0f);
    Start(3, 0.05f);
    Update(2);
    ASSERT_EQ(ripples.count, 1);
    EXPECT_EQ(ripples.ripples[0].position.x, 2);
}

TEST_F(RipplesTest, AllSlotsTakenATriggerIsIgnored)
{
    for (int i = 0; i < TW::Ripples::kMaxRipples + 3; ++i) Start(float(i), 1.0f);
    ASSERT_EQ(ripples.count, TW::Ripples::kMaxRipples);
    EXPECT_EQ(ripples.ripples[TW::Ripples::kMaxRipples - 1].position.x, TW::Ripples::kMaxRipples - 1);
    const TW::Ripples::Ripple& r = ripples.ripples[5];
    EXPECT_EQ(r.age, 0);
    EXPECT_EQ(r.radius, 4);
    EXPECT_EQ(r.lifetime, 1.0f);
    EXPECT_EQ(r.growth, 30);
}

TEST_F(RipplesTest, WithEyeCandyOffRipplesFreezeAndResumeWhereTheyWere)
{
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
