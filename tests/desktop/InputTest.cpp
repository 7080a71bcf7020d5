// Real X input through XTest: tracking regions. Clicks on the toolkit's control class are met
// by its gesture tests.
#include <vector>

#include "platform/desktop/MouseTracking.h"
#include "tests/desktop/DisplayFixture.h"

namespace {

const int kX = 300, kY = 250;

MouseTrackingRef Region(WindowRef w, ControlRef target, int top, int left, int bottom, int right, void* refCon)
{
    RgnHandle rgn = NewRgn();
    SetRectRgn(rgn, SInt16(left), SInt16(top), SInt16(right), SInt16(bottom));
    MouseTrackingRef region = nullptr;
    EXPECT_EQ(CreateMouseTrackingRegion(w, rgn, nullptr, kMouseTrackingOptionsLocalClip,
                                        MouseTrackingRegionID{FourCC("TrWk"), 1}, refCon,
                                        GetControlEventTarget(target), &region),
              noErr);
    DisposeRgn(rgn);  // the region keeps its own copy
    return region;
}

}  // namespace

class Input : public DisplayTest {};

TEST_F(Input, TrackingRegionsReportEnterAndExitOnceEach)
{
    WindowRef w = ShownWindow(kX, kY, 300, 200);
    ASSERT_NE(w, nullptr);
    const Rect all{0, 0, 200, 300};
    ControlRef pane = nullptr;
    ASSERT_EQ(CreateUserPaneControl(w, &all, 0, &pane), noErr);
    using RegionEvent = std::pair<UInt32, void*>;  // kind, reference constant
    std::vector<RegionEvent> log;
    Handler onRegion = [&](EventHandlerCallRef, EventRef e) {
        MouseTrackingRef ref = nullptr;
        void* refCon = nullptr;
        GetEventParameter(e, kEventParamMouseTrackingRef, typeMouseTrackingRef, nullptr, sizeof ref, nullptr, &ref);
        GetMouseTrackingRegionRefCon(ref, &refCon);
        log.push_back({GetEventKind(e), refCon});
        return OSStatus(noErr);
    };
    const EventTypeSpec kinds[] = {{kEventClassMouse, kEventMouseEntered}, {kEventClassMouse, kEventMouseExited}};
    InstallControlEventHandler(pane, HandlerFn, 2, kinds, &onRegion, nullptr);
    MovePointer(kX + 10, kY + 10);
    Pump(0.05);
    int tag = 0, tag2 = 0;
    MouseTrackingRef region = Region(w, pane, 40, 50, 120, 150, &tag);
    for (int d : {0, 10, 20}) MovePointer(kX + 100 + d, kY + 80 + d);  // in, and moving inside
    ASSERT_TRUE(PumpUntil([&] { return log.size() >= 1; }));
    MovePointer(kX + 200, kY + 150);  // out
    MovePointer(kX + 210, kY + 160);
    ASSERT_TRUE(PumpUntil([&] { return log.size() >= 2; }));
    Pump(0.1);
    EXPECT_EQ(log, (std::vector<RegionEvent>{{kEventMouseEntered, &tag}, {kEventMouseExited, &tag}}));

    // A rebuilt region (as after a scale change) reports afresh; the released one is silent.
    ASSERT_EQ(ReleaseMouseTrackingRegion(region), noErr);
    Region(w, pane, 80, 100, 200, 300, &tag2);
    log.clear();
    MovePointer(kX + 120, kY + 100);  // inside the new region only
    ASSERT_TRUE(PumpUntil([&] { return !log.empty(); }));
    MovePointer(kX + 600, kY + 100);  // leaving the window exits every region
    ASSERT_TRUE(PumpUntil([&] { return log.size() == 2; }));
    EXPECT_EQ(log, (std::vector<RegionEvent>{{kEventMouseEntered, &tag2}, {kEventMouseExited, &tag2}}));
    DisposeWindow(w);  // releases the remaining region
}
