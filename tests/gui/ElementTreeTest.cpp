// The element tree: boxes, world bounds through nested offsets, hit testing in local units,
// named groups' padding, title gap and colour glide.
#include <cmath>
#include <vector>

#include "gui/ControlBase.h"
#include "gui/NamedGroup.h"
#include "gui/StaticText.h"
#include "tests/gui/ManagerFixture.h"
#include "tests/gui/OffscreenGL.h"

namespace {

using TW::Bounds;

// A leaf box that remembers the local points it was asked about.
class Probe : public TW::ControlBase {
public:
    Probe(TW::Manager* m, float x0, float y0, float x1, float y1) : ControlBase(m)
    {
        bounds = Bounds({x0, y0, 0}, {x1, y1, 0});
    }
    TW::UIElement* HitTest(const CGPoint& p) override
    {
        asked.push_back(p);
        return ControlBase::HitTest(p);
    }
    std::vector<CGPoint> asked;
};

void ExpectBox(const Bounds& b, float x0, float y0, float x1, float y1)
{
    EXPECT_FLOAT_EQ(b.min.x, x0);
    EXPECT_FLOAT_EQ(b.min.y, y0);
    EXPECT_FLOAT_EQ(b.max.x, x1);
    EXPECT_FLOAT_EQ(b.max.y, y1);
}

class ElementTree : public ManagerTest {
protected:
    void SetUp() override
    {
        ManagerTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        MakeManager();
    }
    TW::Group* NewGroup(TW::Group* parent, float x, float y)
    {
        auto* g = new TW::Group(manager.get());
        g->offset = {x, y, 0};
        if (parent) parent->AddChild(g);
        return g;
    }
};

}  // namespace

TEST(ElementBounds, AnEmptyBoxIsReplacedByTheFirstAndAddsNothingAfterwards)
{
    Bounds b;
    b.Expand(Bounds({1, 2, 0}, {3, 4, 0}));
    ExpectBox(b, 1, 2, 3, 4);
    b.Expand(Bounds());
    ExpectBox(b, 1, 2, 3, 4);
    b.Expand(Bounds({-1, 3, -2}, {2, 9, 5}));
    ExpectBox(b, -1, 2, 3, 9);
    EXPECT_FLOAT_EQ(b.min.z, -2);
    EXPECT_FLOAT_EQ(b.max.z, 5);
}

TEST_F(ElementTree, EveryElementEnrolsInConstructionOrderAndWorldBoundsAddEachAncestorsOffset)
{
    const size_t before = manager->elements.size();
    TW::Group* outer = NewGroup(manager->root, 10, 20);
    TW::Group* inner = NewGroup(outer, 5, 5);
    auto* leaf = new Probe(manager.get(), 1, 2, 31, 42);
    inner->AddChild(leaf);
    ASSERT_EQ(manager->elements.size(), before + 3);
    EXPECT_EQ(manager->elements[before + 2], leaf);
    EXPECT_EQ(leaf->parent, inner);

    Bounds w;
    leaf->GetWorldBounds(w);
    ExpectBox(w, 16, 27, 46, 67);
    // A group reports its children in its parent's coordinates: only its own offset is added.
    Bounds g;
    inner->ExtendBounds(g);
    ExpectBox(g, 6, 7, 36, 47);
    EXPECT_FLOAT_EQ(outer->GetWidth(), 30);
    EXPECT_FLOAT_EQ(outer->GetHeight(), 40);
    // An empty group contributes nothing, even with an offset.
    Bounds unchanged({0, 0, 0}, {1, 1, 0});
    NewGroup(nullptr, 100, 100)->ExtendBounds(unchanged);
    ExpectBox(unchanged, 0, 0, 1, 1);
}

TEST_F(ElementTree, HitTestingTruncatesTheLocalPointTowardZero)
{
    struct Case {
        float ox, oy, px, py, lx, ly;
    } cases[] = {
        {0.5f, 0.5f, 10.9f, 5.5f, 10, 5},
        {0, 0, -0.7f, 0.7f, 0, 0},
        {3, 1, 1.5f, -2.5f, -1, -3},
        {-4.25f, 0, 0.5f, 99.99f, 4, 99},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.px << "," << c.py);
        TW::Group* g = NewGroup(nullptr, c.ox, c.oy);
        auto* probe = new Probe(manager.get(), -1000, -1000, 1000, 1000);
        g->AddChild(probe);
        EXPECT_EQ(g->HitTest({c.px, c.py}), probe);
        ASSERT_EQ(probe->asked.size(), 1u);
        EXPECT_EQ(probe->asked[0].x, c.lx);
        EXPECT_EQ(probe->asked[0].y, c.ly);
    }
}

TEST_F(ElementTree, OverlapsGoToTheChildAddedFirstThroughNestedGroups)
{
    TW::Group* outer = NewGroup(nullptr, 100, 50);
    TW::Group* inner = NewGroup(outer, 10, 10);
    auto* under = new Probe(manager.get(), 0, 0, 20, 20);
    auto* over = new Probe(manager.get(), 10, 10, 40, 40);
    inner->AddChild(under);
    inner->AddChild(over);
    auto* beside = new Probe(manager.get(), 0, 0, 5, 5);
    outer->AddChild(beside);

    struct Case {
        float x, y;
        TW::UIElement* hit;
    } cases[] = {
        {115, 65, under},   // only in the first
        {125, 65, under},   // in both: the first added wins
        {135, 85, over},    // only in the second
        {150.9f, 100.9f, over},  // truncated onto its far corner, which is inclusive
        {151, 81, nullptr},      // one past its right edge
        {102, 53, beside},
        {99, 49, nullptr},  // the group's own area is not a target
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(outer->HitTest({c.x, c.y}), c.hit);
    }
}

TEST_F(ElementTree, NamedGroupsPadTheirChildrenByTheMarginInXAndY)
{
    auto* group = new TW::NamedGroup(manager.get(), "Delay", 10);
    group->AddChild(new Probe(manager.get(), 0, 0, 100, 50));
    Bounds b;
    group->ExtendBounds(b);
    ExpectBox(b, -10, -10, 110, 60);
    EXPECT_FLOAT_EQ(b.min.z, 0);
    EXPECT_FLOAT_EQ(b.max.z, 0);
    group->offset = {20, 30, 0};
    EXPECT_FLOAT_EQ(group->GetWidth(), 120);
    Bounds moved;
    group->ExtendBounds(moved);
    ExpectBox(moved, 10, 20, 130, 90);
}

TEST_F(ElementTree, NamedGroupOutlineOpensWhereItsTitleSitsAndTheTitleFollowsItsColour)
{
    OffscreenGL gl(64, 64);
    ASSERT_TRUE(gl.Ready());
    auto* group = new TW::NamedGroup(manager.get(), "Filter", 10);
    manager->root->AddChild(group);
    group->AddChild(new Probe(manager.get(), 0, 0, 100, 50));
    group->offset = {20, 20, 0};
    font->Preload();
    group->FinalPosition();

    const float x = 20, w = font->GetStringWidth("Filter");
    ASSERT_GT(w, 10);
    const float expected[12] = {x, 80, 10, 80, 10, 10, 130, 10, 130, 80, x + w, 80};
    for (int i = 0; i < 12; ++i) EXPECT_FLOAT_EQ(group->outline[i], expected[i]) << i;

    const TW::StaticText::Entry& title = manager->staticText->entries.back();
    EXPECT_EQ(title.text, "Filter");
    EXPECT_EQ(title.colour, &group->colour);
    EXPECT_FLOAT_EQ(title.x, x);
    EXPECT_FLOAT_EQ(title.y, 80 - 0.25f * font->ftFont->LineHeight() - 0.5f * font->ftFont->Descender());
    EXPECT_TRUE(manager->staticText->dirty);
}

TEST_F(ElementTree, NamedGroupColourGlidesToTheHoverColourAndBack)
{
    OffscreenGL gl(32, 32);
    ASSERT_TRUE(gl.Ready());
    auto* group = new TW::NamedGroup(manager.get(), "Mix", 10);
    const TW::Vec4 rest{0.5f, 0.5f, 0.5f, 0.5f};
    const TW::Vec4 active = TW::NamedGroup::ms_activeTargetColour;
    // Frames until every component is within 1 % of the remaining distance.
    auto framesToSettle = [&](const TW::Vec4& from, const TW::Vec4& to) {
        for (int frame = 1; frame <= 100; ++frame) {
            group->Render();
            bool settled = true;
            for (int i = 0; i < 4; ++i)
                settled = settled && std::fabs(group->colour[i] - to[i]) <= 0.01f * std::fabs(from[i] - to[i]) + 1e-6f;
            if (settled) return frame;
        }
        return -1;
    };
    group->MouseEntered();
    EXPECT_EQ(framesToSettle(rest, active), 29);
    const TW::Vec4 hovered = group->colour;
    group->MouseExited();
    EXPECT_EQ(framesToSettle(hovered, TW::NamedGroup::ms_inactiveTargetColour), 29);
}
