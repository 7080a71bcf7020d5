// Windows and controls as they exist on the X server, their geometry, IDs, values and focus.
#include <algorithm>
#include <array>
#include <vector>

#include "tests/desktop/DisplayFixture.h"

namespace {

std::vector<::Window> ChildrenOf(Display* d, ::Window w)
{
    ::Window root, parent, *kids = nullptr;
    unsigned int n = 0;
    std::vector<::Window> out;
    if (XQueryTree(d, w, &root, &parent, &kids, &n)) {
        out.assign(kids, kids + n);
        if (kids) XFree(kids);
    }
    return out;
}

bool Contains(const std::vector<::Window>& v, unsigned long id) { return std::find(v.begin(), v.end(), id) != v.end(); }

struct Geometry {
    int x, y;
    unsigned w, h;
    bool operator==(const Geometry&) const = default;
};
Geometry GeometryOf(Display* d, unsigned long xid)
{
    XWindowAttributes a{};
    XGetWindowAttributes(d, xid, &a);
    return Geometry{a.x, a.y, unsigned(a.width), unsigned(a.height)};
}

bool SameRect(const Rect& a, int top, int left, int bottom, int right)
{
    return a.top == top && a.left == left && a.bottom == bottom && a.right == right;
}

}  // namespace

class WindowsControls : public DisplayTest {};

TEST_F(WindowsControls, WindowAndControlsExistOnTheServer)
{
    WindowRef w = ShownWindow(120, 110, 320, 240);
    ASSERT_NE(w, nullptr);
    unsigned long wid = GetWindowXID(w);
    Geometry wg = GeometryOf(mX, wid);
    EXPECT_EQ(wg.w, 320u);
    EXPECT_EQ(wg.h, 240u);

    Rect pr{20, 10, 120, 210};
    ControlRef pane = nullptr;
    ASSERT_EQ(CreateUserPaneControl(w, &pr, kControlSupportsEmbedding, &pane), noErr);
    Rect kr{30, 40, 50, 90};
    ControlRef knob = nullptr;
    ASSERT_EQ(CreateUserPaneControl(w, &kr, 0, &knob), noErr);
    ASSERT_EQ(EmbedControl(knob, pane), noErr);
    SyncWindowServer();
    Pump(0.05);

    EXPECT_TRUE(Contains(ChildrenOf(mX, wid), GetControlXID(pane)));
    EXPECT_TRUE(Contains(ChildrenOf(mX, GetControlXID(pane)), GetControlXID(knob)));
    XWindowAttributes pa{};
    ASSERT_TRUE(XGetWindowAttributes(mX, GetControlXID(pane), &pa));
    EXPECT_EQ(pa.c_class, InputOnly);
    EXPECT_TRUE(Viewable(GetControlXID(pane)));
    EXPECT_EQ(GeometryOf(mX, GetControlXID(pane)), (Geometry{10, 20, 200, 100}));
    EXPECT_EQ(GeometryOf(mX, GetControlXID(knob)), (Geometry{30, 10, 50, 20}));  // (40, 30) in a pane at (10, 20)
    HideControl(pane);
    SyncWindowServer();
    EXPECT_FALSE(Viewable(GetControlXID(pane)));
    EXPECT_FALSE(IsControlVisible(knob));

    long before = CountLiveControls();
    unsigned long knobId = GetControlXID(knob);
    DisposeControl(pane);  // takes the embedded knob with it
    SyncWindowServer();
    EXPECT_EQ(CountLiveControls(), before - 2);
    EXPECT_FALSE(Contains(ChildrenOf(mX, wid), knobId));

    DisposeWindow(w);
    SyncWindowServer();
    EXPECT_FALSE(Contains(ChildrenOf(mX, DefaultRootWindow(mX)), wid));
}

TEST_F(WindowsControls, BoundsAreWindowLocalWithoutCompositingAndParentRelativeWithIt)
{
    Rect wr{100, 100, 400, 500};
    WindowRef plain = nullptr, comp = nullptr;
    ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, 0, &wr, &plain), noErr);
    ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, kWindowCompositingAttribute, &wr, &comp), noErr);

    Rect pr{50, 40, 250, 340}, cr{60, 70, 80, 100};
    ControlRef pane, child;
    CreateUserPaneControl(plain, &pr, kControlSupportsEmbedding, &pane);
    CreateUserPaneControl(plain, &cr, 0, &child);
    EmbedControl(child, pane);  // keeps its place in the window
    Rect b;
    EXPECT_TRUE(SameRect(*GetControlBounds(child, &b), 60, 70, 80, 100));
    MoveControl(pane, 140, 50);  // the child moves with its pane
    EXPECT_TRUE(SameRect(*GetControlBounds(child, &b), 60, 170, 80, 200));
    SyncWindowServer();
    EXPECT_EQ(GeometryOf(mX, GetControlXID(child)).x, 30);

    ControlRef cpane, cchild;
    CreateUserPaneControl(comp, &pr, kControlSupportsEmbedding, &cpane);
    CreateUserPaneControl(comp, &cr, 0, &cchild);
    ASSERT_EQ(HIViewAddSubview(cpane, cchild), noErr);  // keeps its frame, now inside the pane
    EXPECT_EQ(HIViewGetSuperview(cchild), cpane);
    EXPECT_TRUE(SameRect(*GetControlBounds(cchild, &b), 60, 70, 80, 100));
    // Scrolling the pane's bounds origin moves its content.
    ASSERT_EQ(HIViewSetBoundsOrigin(cpane, 20, 5), noErr);
    SyncWindowServer();
    Geometry g = GeometryOf(mX, GetControlXID(cchild));
    EXPECT_EQ(g.x, 50);
    EXPECT_EQ(g.y, 55);
    EXPECT_EQ(FindControlUnderMouse(Point{SInt16(50 + 55 + 5), SInt16(40 + 50 + 5)}, comp, nullptr), cchild);
    // Where the child stood before the scroll is now the pane.
    EXPECT_EQ(FindControlUnderMouse(Point{SInt16(128), SInt16(135)}, comp, nullptr), cpane);

    SizeControl(cpane, 0, 0);  // an empty control is kept but unmapped
    SyncWindowServer();
    XWindowAttributes a;
    XGetWindowAttributes(mX, GetControlXID(cpane), &a);
    EXPECT_EQ(a.map_state, IsUnmapped);
    DisposeWindow(plain);
    DisposeWindow(comp);
}

namespace {
struct WindowEventLog {
    std::vector<UInt32> kinds;
    UInt32 lastBoundsAttributes = 0;
    Rect lastBounds{};
};
OSStatus LogWindowEvent(EventHandlerCallRef, EventRef e, void* user)
{
    auto* log = static_cast<WindowEventLog*>(user);
    log->kinds.push_back(GetEventKind(e));
    if (GetEventKind(e) == kEventWindowBoundsChanged) {
        GetEventParameter(e, kEventParamAttributes, typeUInt32, nullptr, sizeof(UInt32), nullptr,
                          &log->lastBoundsAttributes);
        GetEventParameter(e, kEventParamCurrentBounds, typeQDRectangle, nullptr, sizeof(Rect), nullptr,
                          &log->lastBounds);
    }
    return eventNotHandledErr;
}
bool Saw(const WindowEventLog& l, UInt32 kind) { return std::count(l.kinds.begin(), l.kinds.end(), kind) > 0; }
}  // namespace

TEST_F(WindowsControls, ShowHideAndResizeSendWindowEvents)
{
    Rect wr{150, 150, 350, 450};
    WindowRef w = nullptr;
    ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, kWindowResizableAttribute, &wr, &w), noErr);
    WindowEventLog log;
    const EventTypeSpec kinds[] = {{kEventClassWindow, kEventWindowShowing}, {kEventClassWindow, kEventWindowShown},
                                   {kEventClassWindow, kEventWindowHiding},  {kEventClassWindow, kEventWindowHidden},
                                   {kEventClassWindow, kEventWindowDrawContent},
                                   {kEventClassWindow, kEventWindowBoundsChanged}};
    InstallWindowEventHandler(w, LogWindowEvent, 6, kinds, &log, nullptr);
    ShowWindow(w);
    ASSERT_FALSE(log.kinds.empty());
    EXPECT_EQ(log.kinds.front(), kEventWindowShowing);  // sent before the window maps
    EXPECT_TRUE(PumpUntil([&] { return Saw(log, kEventWindowShown) && Saw(log, kEventWindowDrawContent); }));

    SizeWindow(w, 400, 260, true);
    EXPECT_TRUE(Saw(log, kEventWindowBoundsChanged));
    EXPECT_TRUE(log.lastBoundsAttributes & kWindowBoundsChangeSizeChanged);
    EXPECT_FALSE(log.lastBoundsAttributes & kWindowBoundsChangeOriginChanged);
    EXPECT_TRUE(SameRect(log.lastBounds, 150, 150, 410, 550));
    Rect port;
    EXPECT_TRUE(SameRect(*GetPortBounds(GetWindowPort(w), &port), 0, 0, 260, 400));
    // The server follows, and its answer does not repeat the event.
    size_t boundsEvents = std::count(log.kinds.begin(), log.kinds.end(), kEventWindowBoundsChanged);
    EXPECT_TRUE(PumpUntil([&] { return GeometryOf(mX, GetWindowXID(w)).w == 400u; }));
    Pump(0.1);
    EXPECT_EQ(size_t(std::count(log.kinds.begin(), log.kinds.end(), kEventWindowBoundsChanged)), boundsEvents);

    HideWindow(w);
    EXPECT_EQ(log.kinds.back(), kEventWindowHiding);
    EXPECT_TRUE(PumpUntil([&] { return Saw(log, kEventWindowHidden); }));
    EXPECT_FALSE(Viewable(GetWindowXID(w)));
    EXPECT_EQ(SetWindowTitleWithCFString(w, CFSTR("Flummel test window")), noErr);
    char* name = nullptr;
    SyncWindowServer();
    ASSERT_TRUE(XFetchName(mX, GetWindowXID(w), &name));
    EXPECT_STREQ(name, "Flummel test window");
    XFree(name);
    DisposeWindow(w);
}

TEST_F(WindowsControls, ValuesStayInRangeAndOnTheStepAndTextIsSet)
{
    Rect wr{100, 100, 300, 400};
    WindowRef w = nullptr;
    ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, 0, &wr, &w), noErr);
    Rect r{10, 10, 30, 200};
    ControlRef box, slider, text;
    ASSERT_EQ(CreateCheckBoxControl(w, &r, CFSTR("Candy"), 1, true, &box), noErr);
    ASSERT_EQ(CreateSliderControl(w, &r, 100, 50, 200, 0, 0, true, nullptr, &slider), noErr);
    ASSERT_EQ(CreateStaticTextControl(w, &r, CFSTR("old"), nullptr, &text), noErr);

    ControlID sliderID{FourCC("guis"), 0}, missing{FourCC("none"), 0};
    SetControlID(slider, &sliderID);
    ControlRef found = nullptr;
    EXPECT_EQ(GetControlByID(w, &sliderID, &found), noErr);
    EXPECT_EQ(found, slider);
    EXPECT_EQ(GetControlByID(w, &missing, &found), errControlNotFound);

    EXPECT_EQ(GetControl32BitValue(box), 1);
    SetControl32BitValue(box, 5);
    EXPECT_EQ(GetControl32BitValue(box), 1);
    // Clamped to the range, then put on the nearest step counted from the minimum.
    const std::array<SInt32, 3> cases[] = {{1, 1000, 200}, {1, 10, 50}, {1, 88, 88}, {25, 88, 100}, {25, 190, 200}};
    for (auto [step, set, want] : cases) {
        SetControlValueStep(slider, step);
        SetControl32BitValue(slider, set);
        EXPECT_EQ(GetControl32BitValue(slider), want) << set << " step " << step;
    }
    SetControl32BitMaximum(slider, 120);
    SetControl32BitValue(slider, 120);
    EXPECT_EQ(GetControl32BitValue(slider), 100);  // off the grid: the top step below it

    CFStringRef version = CFSTR("2.0.0");
    EXPECT_EQ(SetControlData(text, 0, kControlStaticTextCFStringTag, sizeof version, &version), noErr);
    CFStringRef back = nullptr;
    CopyControlTitleAsCFString(text, &back);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(CFStringCompare(back, version, 0), 0);
    CFRelease(back);
    EXPECT_EQ(SetControlData(box, 0, kControlStaticTextCFStringTag, sizeof version, &version), errDataNotSupported);
    DisposeWindow(w);
}

namespace {
struct FocusLog {
    std::vector<std::pair<ControlRef, ControlPartCode>> changes;
    std::vector<char> keys;
};
OSStatus OnFocus(EventHandlerCallRef, EventRef e, void* user)
{
    auto* log = static_cast<FocusLog*>(user);
    ControlRef c = nullptr;
    ControlPartCode part = -100;
    GetEventParameter(e, kEventParamDirectObject, typeControlRef, nullptr, sizeof c, nullptr, &c);
    GetEventParameter(e, kEventParamControlPart, typeControlPartCode, nullptr, sizeof part, nullptr, &part);
    log->changes.push_back({c, part});
    return noErr;
}
OSStatus OnKey(EventHandlerCallRef, EventRef e, void* user)
{
    char ch = 0;
    GetEventParameter(e, kEventParamKeyMacCharCodes, typeChar, nullptr, 1, nullptr, &ch);
    static_cast<FocusLog*>(user)->keys.push_back(ch);
    return noErr;
}
}  // namespace

TEST_F(WindowsControls, KeyboardFocusMovesAndKeysGoToTheFocusedControl)
{
    WindowRef w = ShownWindow(200, 200, 300, 200);
    ASSERT_NE(w, nullptr);
    Rect r1{10, 10, 40, 100}, r2{50, 10, 80, 100};
    ControlRef a, b;
    CreateUserPaneControl(w, &r1, kControlSupportsFocus, &a);
    CreateUserPaneControl(w, &r2, kControlSupportsFocus, &b);
    FocusLog log;
    EventTypeSpec focus{kEventClassControl, kEventControlSetFocusPart};
    EventTypeSpec key{kEventClassKeyboard, kEventRawKeyDown};
    InstallControlEventHandler(a, OnFocus, 1, &focus, &log, nullptr);
    InstallControlEventHandler(b, OnFocus, 1, &focus, &log, nullptr);
    InstallControlEventHandler(b, OnKey, 1, &key, &log, nullptr);

    EXPECT_EQ(SetKeyboardFocus(w, a, 1), noErr);
    EXPECT_EQ(SetKeyboardFocus(w, b, 1), noErr);
    ControlRef f = nullptr;
    GetKeyboardFocus(w, &f);
    EXPECT_EQ(f, b);
    using Change = std::pair<ControlRef, ControlPartCode>;
    EXPECT_EQ(log.changes, (std::vector<Change>{{a, 1}, {a, kControlFocusNoPart}, {b, 1}}));

    Key("x", true);
    Key("x", false);
    EXPECT_TRUE(PumpUntil([&] { return !log.keys.empty(); }));
    EXPECT_EQ(log.keys, std::vector<char>{'x'});

    ClearKeyboardFocus(w);
    GetKeyboardFocus(w, &f);
    EXPECT_EQ(f, nullptr);
    EXPECT_EQ(log.changes.back(), Change(b, kControlFocusNoPart));
    DisposeWindow(w);
}
