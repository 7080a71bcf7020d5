// Real X input through XTest: tracking regions, the drag loop, scrolling, clicks on custom
// controls and the custom control class registry.
#include <vector>

#include "platform/desktop/MouseTracking.h"
#include "tests/desktop/DisplayFixture.h"

namespace {

const int kWinX = 300, kWinY = 250;

using RegionEvent = std::pair<UInt32, void*>;  // kind, reference constant

OSStatus OnRegion(EventHandlerCallRef, EventRef e, void* user)
{
    MouseTrackingRef ref = nullptr;
    if (GetEventParameter(e, kEventParamMouseTrackingRef, typeMouseTrackingRef, nullptr, sizeof ref, nullptr, &ref))
        return eventNotHandledErr;
    void* refCon = nullptr;
    GetMouseTrackingRegionRefCon(ref, &refCon);
    static_cast<std::vector<RegionEvent>*>(user)->push_back({GetEventKind(e), refCon});
    return noErr;
}

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

// A custom control of a class registered with `handler` for clicks.
ControlRef CustomControl(WindowRef w, ToolboxObjectClassRef cls)
{
    Rect cr{20, 30, 180, 270};
    ControlDefSpec def{kControlDefObjectClass, {nullptr}};
    def.u.classRef = cls;
    ControlRef control = nullptr;
    EXPECT_EQ(CreateCustomControl(w, &cr, &def, nullptr, &control), noErr);
    return control;
}

const EventTypeSpec kClick[] = {{kEventClassControl, kEventControlClick}};

}  // namespace

class Input : public DisplayTest {};

TEST_F(Input, TrackingRegionsReportEnterAndExitOnceEach)
{
    WindowRef w = ShownWindow(kWinX, kWinY, 300, 200);
    ASSERT_NE(w, nullptr);
    Rect pr{0, 0, 200, 300};
    ControlRef pane;
    CreateUserPaneControl(w, &pr, 0, &pane);
    std::vector<RegionEvent> log;
    const EventTypeSpec kinds[] = {{kEventClassMouse, kEventMouseEntered}, {kEventClassMouse, kEventMouseExited}};
    InstallControlEventHandler(pane, OnRegion, 2, kinds, &log, nullptr);
    MovePointer(kWinX + 10, kWinY + 10);
    Pump(0.05);
    int tag = 0, tag2 = 0;
    MouseTrackingRef region = Region(w, pane, 40, 50, 120, 150, &tag);

    for (int d : {0, 10, 20}) MovePointer(kWinX + 100 + d, kWinY + 80 + d);  // in, and moving inside
    ASSERT_TRUE(PumpUntil([&] { return log.size() >= 1; }));
    MovePointer(kWinX + 200, kWinY + 150);  // out
    MovePointer(kWinX + 210, kWinY + 160);
    ASSERT_TRUE(PumpUntil([&] { return log.size() >= 2; }));
    Pump(0.1);
    EXPECT_EQ(log, (std::vector<RegionEvent>{{kEventMouseEntered, &tag}, {kEventMouseExited, &tag}}));

    // A rebuilt region (as after a scale change) reports afresh; the released one is silent.
    ASSERT_EQ(ReleaseMouseTrackingRegion(region), noErr);
    EXPECT_EQ(ReleaseMouseTrackingRegion(region), paramErr);
    Region(w, pane, 80, 100, 200, 300, &tag2);
    log.clear();
    MovePointer(kWinX + 120, kWinY + 100);  // inside the new region only
    ASSERT_TRUE(PumpUntil([&] { return !log.empty(); }));
    MovePointer(kWinX + 600, kWinY + 100);  // leaving the window exits every region
    ASSERT_TRUE(PumpUntil([&] { return log.size() == 2; }));
    EXPECT_EQ(log, (std::vector<RegionEvent>{{kEventMouseEntered, &tag2}, {kEventMouseExited, &tag2}}));
    DisposeWindow(w);  // releases the remaining region
}

namespace {

struct DragLog {
    std::vector<MouseTrackingResult> results;
    std::vector<UInt32> shift;
    std::vector<SInt16> xs;
    HIPoint clickAt{};
    UInt32 clickModifiers = 0;
};

// What the GUI manager does on a click: follow the drag until the button comes up.
OSStatus DragHandler(EventHandlerCallRef, EventRef e, void* user)
{
    auto* log = static_cast<DragLog*>(user);
    GetEventParameter(e, kEventParamMouseLocation, typeHIPoint, nullptr, sizeof(HIPoint), nullptr, &log->clickAt);
    GetEventParameter(e, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof(UInt32), nullptr, &log->clickModifiers);
    for (MouseTrackingResult r = 0; r != kMouseTrackingMouseUp;) {
        Point p{};
        if (TrackMouseLocationWithOptions(kTrackMouseLocationGlobal, 0, 5.0, &p, nullptr, &r) != noErr ||
            r == kMouseTrackingTimedOut)
            break;
        log->results.push_back(r);
        log->shift.push_back(GetCurrentKeyModifiers() & shiftKey);
        log->xs.push_back(p.h);
    }
    return noErr;
}

}  // namespace

TEST_F(Input, DragLoopReportsMotionModifierChangeAndRelease)
{
    DragLog log;
    ToolboxObjectClassRef cls = nullptr;
    ASSERT_EQ(RegisterToolboxObjectClass(CFSTR("com.test.drag.cntrl"), nullptr, 1, kClick, DragHandler, &log, &cls),
              noErr);
    WindowRef w = ShownWindow(kWinX, kWinY, 300, 200);
    ASSERT_NE(w, nullptr);
    CustomControl(w, cls);

    MovePointer(kWinX + 50, kWinY + 60);
    Pump(0.05);
    Button(1, true);
    MovePointer(kWinX + 70, kWinY + 65);
    Key("Shift_L", true);
    MovePointer(kWinX + 90, kWinY + 70);
    Button(1, false);
    Key("Shift_L", false);
    ASSERT_TRUE(PumpUntil([&] { return !log.results.empty() && log.results.back() == kMouseTrackingMouseUp; }));
    EXPECT_FLOAT_EQ(log.clickAt.x, kWinX + 50);
    EXPECT_FLOAT_EQ(log.clickAt.y, kWinY + 60);
    EXPECT_EQ(log.clickModifiers & shiftKey, 0u);
    EXPECT_EQ(log.results, (std::vector<MouseTrackingResult>{kMouseTrackingMouseDragged,
                                                             kMouseTrackingKeyModifiersChanged,
                                                             kMouseTrackingMouseDragged, kMouseTrackingMouseUp}));
    EXPECT_EQ(log.shift, (std::vector<UInt32>{0, shiftKey, shiftKey, shiftKey}));
    ASSERT_EQ(log.xs.size(), 4u);
    EXPECT_EQ(log.xs[0], kWinX + 70);
    EXPECT_EQ(log.xs[2], kWinX + 90);
    // The shift release after the drag reaches the event loop, not the finished drag.
    EXPECT_TRUE(PumpUntil([] { return (GetCurrentKeyModifiers() & shiftKey) == 0; }));
    EXPECT_EQ(log.results.size(), 4u);

    // Outside a drag: window-local points, and a time-out when nothing happens.
    MovePointer(kWinX + 40, kWinY + 30);
    Point p{};
    MouseTrackingResult r = 0;
    ASSERT_EQ(TrackMouseLocationWithOptions(GetWindowPort(w), 0, 2.0, &p, nullptr, &r), noErr);
    EXPECT_EQ(r, kMouseTrackingMouseMoved);
    EXPECT_EQ(p.h, 40);
    EXPECT_EQ(p.v, 30);
    ASSERT_EQ(TrackMouseLocationWithOptions(GetWindowPort(w), 0, 0.05, &p, nullptr, &r), noErr);
    EXPECT_EQ(r, kMouseTrackingTimedOut);
    DisposeWindow(w);
    UnregisterToolboxObjectClass(cls);
}

namespace {
using WheelMove = std::pair<EventMouseWheelAxis, SInt32>;
OSStatus OnWheel(EventHandlerCallRef, EventRef e, void* user)
{
    WheelMove m{99, 0};
    GetEventParameter(e, kEventParamMouseWheelAxis, typeMouseWheelAxis, nullptr, sizeof m.first, nullptr, &m.first);
    GetEventParameter(e, kEventParamMouseWheelDelta, typeSInt32, nullptr, sizeof m.second, nullptr, &m.second);
    static_cast<std::vector<WheelMove>*>(user)->push_back(m);
    return noErr;
}
}  // namespace

TEST_F(Input, ScrollWheelReachesTheControlUnderThePointer)
{
    WindowRef w = ShownWindow(kWinX, kWinY, 300, 200);
    ASSERT_NE(w, nullptr);
    Rect cr{50, 50, 150, 250};
    ControlRef c;
    CreateUserPaneControl(w, &cr, 0, &c);
    std::vector<WheelMove> log;
    EventTypeSpec wheel{kEventClassMouse, kEventMouseWheelMoved};
    InstallControlEventHandler(c, OnWheel, 1, &wheel, &log, nullptr);
    MovePointer(kWinX + 100, kWinY + 100);
    for (unsigned b : {4u, 5u, 6u}) {
        Button(b, true);
        Button(b, false);
    }
    ASSERT_TRUE(PumpUntil([&] { return log.size() == 3; }));
    EXPECT_EQ(log, (std::vector<WheelMove>{
                       {kEventMouseWheelAxisY, 1}, {kEventMouseWheelAxisY, -1}, {kEventMouseWheelAxisX, 1}}));
    DisposeWindow(w);
}

namespace {
struct ClassLog {
    int classCalls = 0, instanceCalls = 0;
};
OSStatus ClassHandler(EventHandlerCallRef, EventRef, void* user)
{
    ++static_cast<ClassLog*>(user)->classCalls;
    return noErr;
}
OSStatus InstancePasses(EventHandlerCallRef, EventRef, void* user)
{
    ++static_cast<ClassLog*>(user)->instanceCalls;
    return eventNotHandledErr;
}
}  // namespace

TEST_F(Input, CustomControlClassesAreUniqueByIdAndHandleAfterInstanceHandlers)
{
    ClassLog log;
    ToolboxObjectClassRef a = nullptr, b = nullptr;
    auto reg = [&](CFStringRef id, ToolboxObjectClassRef* out) {
        return RegisterToolboxObjectClass(id, nullptr, 1, kClick, ClassHandler, &log, out);
    };
    ASSERT_EQ(reg(CFSTR("com.test.TWgui1.cntrl"), &a), noErr);
    EXPECT_EQ(reg(CFSTR("com.test.TWgui1.cntrl"), &b), toolboxObjectClassExistsErr);
    WindowRef w = ShownWindow(kWinX, kWinY, 300, 200);
    ASSERT_NE(w, nullptr);
    InstallControlEventHandler(CustomControl(w, a), InstancePasses, 1, kClick, &log, nullptr);

    MovePointer(kWinX + 50, kWinY + 50);
    Button(1, true);
    Button(1, false);
    ASSERT_TRUE(PumpUntil([&] { return log.classCalls == 1; }));
    EXPECT_EQ(log.instanceCalls, 1);

    // Unregistered, the class no longer handles its old controls, and its id is free again.
    ASSERT_EQ(UnregisterToolboxObjectClass(a), noErr);
    Button(1, true);
    Button(1, false);
    ASSERT_TRUE(PumpUntil([&] { return log.instanceCalls == 2; }));
    Pump(0.05);
    EXPECT_EQ(log.classCalls, 1);
    ASSERT_EQ(reg(CFSTR("com.test.TWgui1.cntrl"), &b), noErr);
    UnregisterToolboxObjectClass(b);
    DisposeWindow(w);
}
