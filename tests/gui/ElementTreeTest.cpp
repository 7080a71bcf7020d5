// The element tree: world bounds through nested offsets, hit testing in truncated local units,
// named groups' padding and title gap.
#include <array>
#include <vector>

#include "gui/ControlBase.h"
#include "gui/NamedGroup.h"
#include "gui/StaticText.h"
#include "tests/gui/ManagerFixture.h"
#include "tests/gui/OffscreenGL.h"

namespace {

// A leaf box that remembers the local points it was asked about.
class Probe : public TW::ControlBase {
public:
    Probe(TW::Manager* m, float x0, float y0, float x1, float y1) : ControlBase(m) { bounds = {{x0, y0, 0}, {x1, y1, 0}}; }
    TW::UIElement* HitTest(const CGPoint& p) override
    {
        asked.push_back(p);
        return ControlBase::HitTest(p);
    }
    std::vector<CGPoint> asked;
};

std::array<float, 4> Box(const TW::Bounds& b) { return {b.min.x, b.min.y, b.max.x, b.max.y}; }

class ElementTree : public ManagerTest {
protected:
    void SetUp() override
    {
        ManagerTest::SetUp();
        if (!IsSkipped() && !HasFatalFailure()) MakeManager();
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

TEST_F(ElementTree, WorldBoundsAddEveryOffsetAndHitTestsTruncateTowardZeroAndTheFirstChildWins)
{
    TW::Group* outer = NewGroup(manager->root, 10, 20);
    TW::Group* inner = NewGroup(outer, 5, 5);
    auto* leaf = new Probe(manager.get(), 1, 2, 31, 42);
    inner->AddChild(leaf);
    TW::Bounds world, g;
    leaf->GetWorldBounds(world);
    EXPECT_EQ(Box(world), (std::array<float, 4>{16, 27, 46, 67}));
    inner->ExtendBounds(g);  // a group reports in its parent's coordinates
    NewGroup(nullptr, 100, 100)->ExtendBounds(g);  // no children: nothing, whatever the offset
    g.Expand(TW::Bounds());
    EXPECT_EQ(Box(g), (std::array<float, 4>{6, 7, 36, 47}));

    struct Case {
        float ox, px, py, lx, ly;
    } truncations[] = {{0.5f, 10.9f, 5.5f, 10, 5}, {0, -0.7f, 0.7f, 0, 0}, {3, 1.5f, -2.5f, -1, -5}};
    for (const Case& c : truncations) {
        TW::Group* moved = NewGroup(nullptr, c.ox, c.ox);
        auto* probe = new Probe(manager.get(), -1000, -1000, 1000, 1000);
        moved->AddChild(probe);
        EXPECT_EQ(moved->HitTest({c.px, c.py}), probe);
        ASSERT_EQ(probe->asked.size(), 1u);
        EXPECT_TRUE(probe->asked[0].x == c.lx && probe->asked[0].y == c.ly) << c.px << "," << c.py;
    }

    TW::Group* top = NewGroup(nullptr, 100, 50);
    TW::Group* nested = NewGroup(top, 10, 10);
    auto* under = new Probe(manager.get(), 0, 0, 20, 20);
    auto* over = new Probe(manager.get(), 10, 10, 40, 40);
    nested->AddChild(under);
    nested->AddChild(over);
    struct Hit {
        float x, y;
        TW::UIElement* hit;
    } hits[] = {{125, 65, under}, {135, 85, over}, {150.9f, 100.9f, over}, {151, 81, nullptr}, {99, 49, nullptr}};
    for (const Hit& c : hits) EXPECT_EQ(top->HitTest({c.x, c.y}), c.hit) << c.x << "," << c.y;
}

TEST_F(ElementTree, NamedGroupsPadByTheirMarginAndOpenTheirFrameWhereTheTitleSits)
{
    OffscreenGL gl(16, 16);
    ASSERT_TRUE(gl.Ready());
    auto* group = new TW::NamedGroup(manager.get(), "Filter", 10);
    manager->root->AddChild(group);
    group->AddChild(new Probe(manager.get(), 0, 0, 100, 50));
    TW::Bounds b;
    group->ExtendBounds(b);
    EXPECT_EQ(Box(b), (std::array<float, 4>{-10, -10, 110, 60}));
    group->offset = {20, 20, 0};
    font->Preload();
    group->FinalPosition();
    const float w = font->GetStringWidth("Filter");
    ASSERT_GT(w, 10);
    const float expected[12] = {20, 80, 10, 80, 10, 10, 130, 10, 130, 80, 20 + w, 80};
    for (int i = 0; i < 12; ++i) EXPECT_FLOAT_EQ(group->outline[i], expected[i]) << i;
    const TW::StaticText::Entry& title = manager->staticText->entries.back();
    EXPECT_TRUE(title.text == "Filter" && title.colour == &group->colour);
    EXPECT_FLOAT_EQ(title.y, 80 - 0.25f * font->ftFont->LineHeight() - 0.5f * font->ftFont->Descender());
}
