// The element tree: hit testing through nested offsets in truncated local units.
#include <vector>

#include "gui/ControlBase.h"
#include "tests/gui/ManagerFixture.h"

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

TEST_F(ElementTree, HitTestsTruncateTowardZeroAndTheFirstChildWins)
{
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
