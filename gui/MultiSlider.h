// A row of vertical sliders over consecutive parameters, one column each. A click sets the
// column under the pointer to the pointer's height and a drag sweeps across columns; option
// keeps the gesture on the first column, shift moves it by 0.0005 a unit, command restores the
// default. Each column has its own tracking region, served by a RegionReceiver.
#pragma once

#include <vector>

#include "gui/MultiControl.h"

namespace TW {

class MultiSlider : public MultiControl {
public:
    // Forwards a column's tracking-region events to its slider.
    class RegionReceiver : public UIElement {
    public:
        RegionReceiver(Manager* m, MultiSlider* owner, int column);
        void MouseEntered() override;
        void MouseExited() override;

        MultiSlider* owner;
        int column;
    };

    // The rectangle (x, y) to (x + width, y + height) split into `count` columns.
    MultiSlider(Manager* m, int firstId, int count, float x, float y, float width, float height);

    // The column under `p` (world units), with `fx`, `fy` its position across the world bounds,
    // each clamped to 0 .. 1.
    int MouseIndex(const CGPoint& p, float& fx, float& fy) const;
    void MouseDown(const CGPoint& p, unsigned long modifiers) override;
    void MouseDrag(const CGPoint& p, unsigned long modifiers) override;
    void Render() const override;
    void CreateTrackingRegions() override;
    using MultiControl::MouseEntered;
    using MultiControl::MouseExited;
    virtual void MouseEntered(int column);
    virtual void MouseExited(int column);

    std::vector<RegionReceiver*> receivers;
    CGPoint downPoint{0, 0};
    float downNormalised = 0;
    int downIndex = 0;
};

}  // namespace TW
