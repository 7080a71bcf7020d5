// Real X input through XTest: tracking regions, the drag loop, scrolling, clicks on custom
// controls and the custom control class registry.
#include <vector>

#include "platform/desktop/MouseTracking.h"
#include "tests/desktop/DisplayFixture.h"

namespace {

struct RegionLog {
    std::vector<std::pair<UInt32, void*>> events;  // kind, reference constant
    std::vector<MouseTrackingRef> refs;
};

OSStatus OnRegion(EventHandlerCallRef, EventRef e, void* user)
{
    auto* log = static_cast<RegionLog*>(user);
    MouseTrackingRef ref = nullptr;
    if (GetEventParameter(e, kEventParamMouseTrackingRef, typeMouseTrackingRef, nullptr, sizeof ref, nullptr, &ref) !=
        noErr)
        return eventNotHandledErr;
    void* refCon = nullptr;
    GetMouseTrackingRegionRefCon(ref, &refCon);
    log->events.push_back({GetEventKind(e), refCon});
    log->refs.push_back(ref);
    return noErr;
}

const int kWinX = 300, kWinY = 250;

}  // namespace

class Input : public DisplayTest {};

TEST_F(Input, TrackingRegionReportsEnterAndExitOnceEach)
{
    WindowRef w = ShownWindow(kWinX, kWinY, 300, 200);
    ASSERT_NE(w, nullptr);
    Rect pr{0, 0, 200, 300};
    ControlRef pane;
    CreateUserPaneControl(w, &pr, 0, &pane);
    RegionLog log;
    const EventTypeSpec kinds[] = {{kEventClassMouse, kEventMouseEntered}, {kEventClassMouse, kEventMouseExited}};
    InstallControlEventHandler(pane, OnRegion, 2, kinds, &log, nullptr);

    MovePointer(kWinX + 10, kWinY + 10);
    Pump(0.05);
    RgnHandle rgn = NewRgn();
    SetRectRgn(rgn, 50, 40, 150, 120);
    int tag = 0;
    MouseTrackingRef region = nullptr;
    ASSERT_EQ(CreateMouseTrackingRegion(w, rgn, nullptr, kMouseTrackingOptionsLocalClip,
                                        MouseTrackingRegionID{FourCC("TrWk"), 1}, &tag, GetControlEventTarget(pane),
                                        &region),
              noErr);
    DisposeRgn(rgn);  // the region keeps its own copy

    MovePointer(kWinX + 100, kWinY + 80);  // in
    MovePointer(kWinX + 110, kWinY + 90);  // still in
    MovePointer(kWinX + 120, kWinY + 100);
    ASSERT_TRUE(PumpUntil([&] { return log.events.size() >= 1; }));
    MovePointer(kWinX + 200, kWinY + 150);  // out
    MovePointer(kWinX + 210, kWinY + 160);
    ASSERT_TRUE(PumpUntil([&] { return log.events.size() >= 2; }));
    Pump(0.1);
    ASSERT_EQ(log.events.size(), 2u);
    EXPECT_EQ(log.events[0], std::make_pair(UInt32(kEventMouseEntered), static_cast<void*>(&tag)));
    EXPECT_EQ(log.events[1], std::make_pair(UInt32(kEventMouseExited), static_cast<void*>(&tag)));
    EXPECT_EQ(log.refs[0], region);
    MouseTrackingRegionID id{};
    GetMouseTrackingRegionID(region, &id);
    EXPECT_EQ(id.signature, FourCC("TrWk"));
    EXPECT_EQ(id.id, 1);

    // Rebuilt regions (as after a scale change) report afresh; the released one is silent.
    ASSERT_EQ(ReleaseMouseTrackingRegion(region), noErr);
    EXPECT_EQ(ReleaseMouseTrackingRegion(region), paramErr);
    rgn = NewRgn();
    SetRectRgn(rgn, 100, 80, 300, 200);
    int tag2 = 0;
    MouseTrackingRef rebuilt = nullptr;
    CreateMouseTrackingRegion(w, rgn, nullptr, 0, MouseTrackingRegionID{FourCC("TrWk"), 2}, &tag2,
                              GetControlEventTarget(pane), &rebuilt);
    DisposeRgn(rgn);
    log.events.clear();
    MovePointer(kWinX + 120, kWinY + 100);  // inside the new region only
    ASSERT_TRUE(PumpUntil([&] { return !log.events.empty(); }));
    Pump(0.1);
    ASSERT_EQ(log.events.size(), 1u);
    EXPECT_EQ(log.events[0], std::make_pair(UInt32(kEventMouseEntered), static_cast<void*>(&tag2)));
    // Leaving the window exits every region the pointer was in.
    MovePointer(kWinX + 600, kWinY + 100);
    ASSERT_TRUE(PumpUntil([&] { return log.events.size() == 2; }));
    EXPECT_EQ(log.events[1].first, UInt32(kEventMouseExited));
    DisposeWindow(w);  // releases the remaining region
}

namespace {

struct DragLog {
    std::vector<MouseTrackingResult> results;
    std::vector<UInt32> modifiers;
    std::vector<Point> points;
    HIPoint clickAt{};
    UInt32 clickModifiers = 0;
    int clicks = 0;
};

// What the GUI manager does on a click: follow the drag until the button comes up.
OSStatus DragHandler(EventHandlerCallRef, EventRef e, void* user)
{
    auto* log = static_cast<DragLog*>(user);
    if (GetEventClass(e) != kEventClassControl || GetEventKind(e) != kEventControlClick) return eventNotHandledErr;
    ++log->clicks;
    GetEventParameter(e, kEventParamMouseLocation, typeHIPoint, nullptr, sizeof(HIPoint), nullptr, &log->clickAt);
    GetEventParameter(e, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof(UInt32), nullptr, &log->clickModifiers);
    MouseTrackingResult r = 0;
    while (r != kMouseTrackingMouseUp) {
        Point p{};
        if (TrackMouseLocationWithOptions(kTrackMouseLocationGlobal, 0, 5.0, &p, nullptr, &r) != noErr) break;
        if (r == kMouseTrackingTimedOut) break;
        log->results.push_back(r);
        log->modifiers.push_back(GetCurrentKeyModifiers());
        log->points.push_back(p);
    }
    return noErr;
}

}  // namespace

TEST_F(Input, DragLoopReportsMotionModifierChangeAndRelease)
{
    const EventTypeSpec events[] = {{kEventClassControl, kEventControlClick}};
    DragLog log;
    ToolboxObjectClassRef cls = nullptr;
    ASSERT_EQ(RegisterToolboxObjectClass(CFSTR("com.test.drag.cntrl"), nullptr, 1, events, DragHandler, &log, &cls),
              noErr);
    WindowRef w = ShownWindow(kWinX, kWinY, 300, 200);
    ASSERT_NE(w, nullptr);
    Rect cr{20, 30, 180, 270};
    ControlDefSpec def{kControlDefObjectClass, {nullptr}};
    def.u.classRef = cls;
    ControlRef control = nullptr;
    ASSERT_EQ(CreateCustomControl(w, &cr, &def, nullptr, &control), noErr);

    MovePointer(kWinX + 50, kWinY + 60);
    Pump(0.05);
    Button(1, true);
    MovePointer(kWinX + 70, kWinY + 65);
    Key("Shift_L", true);
    MovePointer(kWinX + 90, kWinY + 70);
    Button(1, false);
    Key("Shift_L", false);
    ASSERT_TRUE(PumpUntil([&] { return !log.results.empty() && log.results.back() == kMouseTrackingMouseUp; }));

    EXPECT_EQ(log.clicks, 1);
    EXPECT_FLOAT_EQ(log.clickAt.x, kWinX + 50);
    EXPECT_FLOAT_EQ(log.clickAt.y, kWinY + 60);
    EXPECT_EQ(log.clickModifiers & shiftKey, 0u);
    ASSERT_EQ(log.results.size(), 4u);
    EXPECT_EQ(log.results[0], kMouseTrackingMouseDragged);
    EXPECT_EQ(log.points[0].h, kWinX + 70);
    EXPECT_EQ(log.points[0].v, kWinY + 65);
    EXPECT_EQ(log.modifiers[0] & shiftKey, 0u);
    EXPECT_EQ(log.results[1], kMouseTrackingKeyModifiersChanged);
    EXPECT_EQ(log.modifiers[1] & shiftKey, shiftKey);
    EXPECT_EQ(log.results[2], kMouseTrackingMouseDragged);
    EXPECT_EQ(log.points[2].h, kWinX + 90);
    EXPECT_EQ(log.modifiers[2] & shiftKey, shiftKey);
    EXPECT_EQ(log.results[3], kMouseTrackingMouseUp);
    // The shift release after the drag reaches the event loop, not the finished drag.
    EXPECT_TRUE(PumpUntil([] { return (GetCurrentKeyModifiers() & shiftKey) == 0; }));
    EXPECT_EQ(log.results.size(), 4u);

    DisposeWindow(w);
    UnregisterToolboxObjectClass(cls);
}

TEST_F(Input, TrackMouseLocationReportsWindowLocalPointsAndTimesOut)
{
    WindowRef w = ShownWindow(kWinX, kWinY, 300, 200);
    ASSERT_NE(w, nullptr);
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
}

namespace {
struct WheelLog {
    std::vector<std::pair<EventMouseWheelAxis, SInt32>> moves;
};
OSStatus OnWheel(EventHandlerCallRef, EventRef e, void* user)
{
    EventMouseWheelAxis axis = 99;
    SInt32 delta = 0;
    GetEventParameter(e, kEventParamMouseWheelAxis, typeMouseWheelAxis, nullptr, sizeof axis, nullptr, &axis);
    GetEventParameter(e, kEventParamMouseWheelDelta, typeSInt32, nullptr, sizeof delta, nullptr, &delta);
    static_cast<WheelLog*>(user)->moves.push_back({axis, delta});
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
    WheelLog log;
    EventTypeSpec wheel{kEventClassMouse, kEventMouseWheelMoved};
    InstallControlEventHandler(c, OnWheel, 1, &wheel, &log, nullptr);
    MovePointer(kWinX + 100, kWinY + 100);
    for (unsigned b : {4u, 5u, 6u}) {
        Button(b, true);
        Button(b, false);
    }
    ASSERT_TRUE(PumpUntil([&] { return log.moves.size() == 3; }));
    EXPECT_EQ(log.moves[0], std::make_pair(EventMouseWheelAxis(kEventMouseWheelAxisY), SInt32(1)));
    EXPECT_EQ(log.moves[1], std::make_pair(EventMouseWheelAxis(kEventMouseWheelAxisY), SInt32(-1)));
    EXPECT_EQ(log.moves[2], std::make_pair(EventMouseWheelAxis(kEventMouseWheelAxisX), SInt32(1)));
    DisposeWindow(w);
}

namespace {
struct ClassLog {
    int classCalls = 0;
    int instanceCalls = 0;
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
    const EventTypeSpec events[] = {{kEventClassControl, kEventControlClick}};
    ClassLog log;
    ToolboxObjectClassRef a = nullptr, b = nullptr;
    ASSERT_EQ(RegisterToolboxObjectClass(CFSTR("com.test.TWgui1.cntrl"), nullptr, 1, events, ClassHandler, &log, &a),
              noErr);
    EXPECT_EQ(RegisterToolboxObjectClass(CFSTR("com.test.TWgui1.cntrl"), nullptr, 1, events, ClassHandler, &log, &b),
              toolboxObjectClassExistsErr);
    ASSERT_EQ(RegisterToolboxObjectClass(CFSTR("com.test.TWgui2.cntrl"), nullptr, 1, events, ClassHandler, &log, &b),
              noErr);
    EXPECT_NE(a, b);

    WindowRef w = ShownWindow(kWinX, kWinY, 300, 200);
    ASSERT_NE(w, nullptr);
    Rect cr{10, 10, 100, 100};
    ControlDefSpec def{kControlDefObjectClass, {nullptr}};
    def.u.classRef = a;
    ControlRef c = nullptr;
    ASSERT_EQ(CreateCustomControl(w, &cr, &def, nullptr, &c), noErr);
    InstallControlEventHandler(c, InstancePasses, 1, events, &log, nullptr);

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
    ToolboxObjectClassRef again = nullptr;
    EXPECT_EQ(RegisterToolboxObjectClass(CFSTR("com.test.TWgui1.cntrl"), nullptr, 1, events, ClassHandler, &log,
                                         &again),
              noErr);
    UnregisterToolboxObjectClass(again);
    UnregisterToolboxObjectClass(b);
    DisposeWindow(w);
}
