// Windows and controls as they exist on the X server, their geometry and window events.
#include <algorithm>
#include <array>
#include <vector>

#include "tests/desktop/DisplayFixture.h"

namespace {

using Box = std::array<int, 4>;  // x, y, width, height on the server; top, left, bottom, right of a Rect

Box GeometryOf(Display* d, unsigned long xid)
{
    XWindowAttributes a{};
    XGetWindowAttributes(d, xid, &a);
    return {a.x, a.y, a.width, a.height};
}

Box Sides(const Rect& r) { return {r.top, r.left, r.bottom, r.right}; }

ControlRef Pane(WindowRef w, Rect r, UInt32 features = 0)
{
    ControlRef c = nullptr;
    EXPECT_EQ(CreateUserPaneControl(w, &r, features, &c), noErr);
    return c;
}

WindowRef Hidden(WindowAttributes attrs = 0)
{
    Rect r{100, 100, 400, 500};
    WindowRef w = nullptr;
    EXPECT_EQ(CreateNewWindow(kDocumentWindowClass, attrs, &r, &w), noErr);
    return w;
}

}  // namespace

class WindowsControls : public DisplayTest {};

TEST_F(WindowsControls, BoundsAreWindowLocalWithoutCompositingAndParentRelativeWithIt)
{
    WindowRef plain = Hidden(), comp = Hidden(kWindowCompositingAttribute);
    const Rect pr{50, 40, 250, 340}, cr{60, 70, 80, 100};
    ControlRef pane = Pane(plain, pr, kControlSupportsEmbedding), child = Pane(plain, cr);
    EmbedControl(child, pane);  // keeps its place in the window
    SyncWindowServer();
    EXPECT_EQ(GeometryOf(mX, GetControlXID(child))[0], 30);  // on the server, inside its pane

    ControlRef cpane = Pane(comp, pr, kControlSupportsEmbedding), cchild = Pane(comp, cr);
    ASSERT_EQ(HIViewAddSubview(cpane, cchild), noErr);  // keeps its frame, now inside the pane
    ASSERT_EQ(HIViewSetBoundsOrigin(cpane, 20, 5), noErr);  // scrolls the pane's content
    SyncWindowServer();
    Box g = GeometryOf(mX, GetControlXID(cchild));
    EXPECT_EQ(g[0], 50);
    EXPECT_EQ(g[1], 55);
    SizeControl(cpane, 0, 0);  // an empty control is kept but unmapped
    SyncWindowServer();
    XWindowAttributes a;
    XGetWindowAttributes(mX, GetControlXID(cpane), &a);
    EXPECT_EQ(a.map_state, IsUnmapped);
    DisposeWindow(plain);
    DisposeWindow(comp);
}

TEST_F(WindowsControls, ShowingAndResizingSendWindowEventsAndTheServerFollows)
{
    WindowRef w = Hidden(kWindowResizableAttribute);
    std::vector<UInt32> kinds;
    UInt32 attributes = 0;
    Rect bounds{};
    Handler log = [&](EventHandlerCallRef, EventRef e) {
        kinds.push_back(GetEventKind(e));
        GetEventParameter(e, kEventParamAttributes, typeUInt32, nullptr, sizeof attributes, nullptr, &attributes);
        GetEventParameter(e, kEventParamCurrentBounds, typeQDRectangle, nullptr, sizeof bounds, nullptr, &bounds);
        return OSStatus(eventNotHandledErr);
    };
    auto saw = [&](UInt32 kind) { return std::count(kinds.begin(), kinds.end(), kind); };
    std::vector<EventTypeSpec> specs;
    for (UInt32 k : {kEventWindowShowing, kEventWindowShown, kEventWindowDrawContent, kEventWindowBoundsChanged})
        specs.push_back({kEventClassWindow, k});
    InstallWindowEventHandler(w, HandlerFn, UInt32(specs.size()), specs.data(), &log, nullptr);
    ShowWindow(w);
    ASSERT_FALSE(kinds.empty());
    EXPECT_EQ(kinds.front(), kEventWindowShowing);  // sent before the window maps
    EXPECT_TRUE(PumpUntil([&] { return saw(kEventWindowShown) && saw(kEventWindowDrawContent); }));

    SizeWindow(w, 400, 260, true);
    EXPECT_TRUE(saw(kEventWindowBoundsChanged));
    EXPECT_EQ(attributes & (kWindowBoundsChangeSizeChanged | kWindowBoundsChangeOriginChanged),
              UInt32(kWindowBoundsChangeSizeChanged));
    EXPECT_EQ(Sides(bounds), (Box{100, 100, 360, 500}));
    Rect port;
    EXPECT_EQ(Sides(*GetPortBounds(GetWindowPort(w), &port)), (Box{0, 0, 260, 400}));
    // The server follows, and its answer does not repeat the event.
    auto boundsEvents = saw(kEventWindowBoundsChanged);
    EXPECT_TRUE(PumpUntil([&] { return GeometryOf(mX, GetWindowXID(w))[2] == 400; }));
    Pump(0.1);
    EXPECT_EQ(saw(kEventWindowBoundsChanged), boundsEvents);

    HideWindow(w);
    EXPECT_TRUE(PumpUntil([&] { return !Viewable(GetWindowXID(w)); }));
    EXPECT_EQ(SetWindowTitleWithCFString(w, CFSTR("Flummel test window")), noErr);
    char* name = nullptr;
    SyncWindowServer();
    ASSERT_TRUE(XFetchName(mX, GetWindowXID(w), &name));
    EXPECT_STREQ(name, "Flummel test window");
    XFree(name);
    DisposeWindow(w);
}
