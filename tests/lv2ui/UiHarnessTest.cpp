// The UI module in a host of our own under X: the editor in the parent window at the size it
// tells the host, a real knob drag reaching the control port, port events and display messages
// redrawing the editor, and many openings leaving nothing behind.
#include "tests/lv2ui/UiHarness.h"

#include <dirent.h>

#include <atomic>
#include <cmath>
#include <thread>

namespace {

constexpr int kFeedback = 1;
constexpr int kKnobX = 79, kKnobY = 315 - 40;  // the Feedback knob's centre in the window

// The children of `w`, and its parent.
std::pair<int, ::Window> Tree(Display* x, ::Window w)
{
    ::Window root, parent = 0, *children = nullptr;
    unsigned n = 0;
    if (!XQueryTree(x, w, &root, &parent, &children, &n)) return {-1, 0};
    if (children) XFree(children);
    return {int(n), parent};
}

int Threads()
{
    int n = 0;
    if (DIR* d = opendir("/proc/self/task")) {
        while (dirent* e = readdir(d)) n += e->d_name[0] != '.';
        closedir(d);
    }
    return n;
}

// Pixels of [x0, x1) x [y0, y1) that differ between two pictures.
int Changed(const Screenshot& a, const Screenshot& b, int x0 = 0, int y0 = 0, int x1 = 770, int y1 = 315)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const auto p = a.At(x, y), q = b.At(x, y);
            n += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b) > 30;
        }
    return n;
}
int KnobChanged(const Screenshot& a, const Screenshot& b)
{
    return Changed(a, b, kKnobX - 15, kKnobY - 15, kKnobX + 15, kKnobY + 15);
}

DataToGui Block()
{
    DataToGui d{};
    d.headPosition = d.delayPhase = 0.3f;
    d.headForward = 1;
    d.lfoPhase = 0.6f;
    return d;
}

}  // namespace

TEST_F(UiHarness, TheEditorDrawsInTheParentAtItsSizeAndManyOpeningsLeaveNothingBehind)
{
    const struct {
        float hostScale;  // 0: no ui:scaleFactor option
        int width, height;
    } cases[] = {{0, 770, 315}, {1, 770, 315}, {1.5f, 1155, 472}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hostScale);
        sizes.clear();
        ASSERT_TRUE(Open(kStereo, c.hostScale));
        EXPECT_EQ(Tree(mX, WidgetXID()).second, mParent);
        ASSERT_FALSE(sizes.empty());
        EXPECT_EQ(sizes.back(), std::make_pair(c.width, c.height));
        XWindowAttributes a{};
        XGetWindowAttributes(mX, WidgetXID(), &a);
        EXPECT_EQ(std::make_pair(a.width, a.height), std::make_pair(c.width, c.height));
        EXPECT_TRUE(IdleUntil([&] { return EditorDrawn(); }));
        Close();
        XSync(mX, False);
        EXPECT_EQ(Tree(mX, mParent).first, 0);
    }
    EXPECT_FALSE(Open("urn:someone:else"));  // only the bundle's plug-ins have an editor
    EXPECT_EQ(Tree(mX, mParent).first, 0);

    const int threads = Threads();  // what lives as long as the process has started by now
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(Open());
        ASSERT_TRUE(IdleUntil([&] { return EditorDrawn(0.3); }));
        PortValue(ControlPort(kFeedback), float(5 * i));
        Notify(Block(), -0.5f, 0.5f);
        Idle(0.05);
        Close();
        XSync(mX, False);
        ASSERT_EQ(Tree(mX, mParent).first, 0);
    }
    EXPECT_TRUE(IdleUntil([&] { return Threads() <= threads; }, 2)) << Threads() << " threads, " << threads << " before";
}

TEST_F(UiHarness, AKnobDraggedWithThePointerReachesItsControlPort)
{
    ASSERT_TRUE(Open());
    ASSERT_TRUE(IdleUntil([&] { return EditorDrawn(); }));
    PortValue(ControlPort(kFeedback), 50);
    MovePointer(kKnobX, kKnobY);
    Idle(0.3);
    EXPECT_TRUE(writes.empty()) << "a value from the host went back to it";
    // The user's hand moves on its own: the editor follows a drag inside the host's idle call.
    std::atomic<bool> released{false};
    std::thread hand([&] {
        Display* x = XOpenDisplay(nullptr);
        XTestFakeButtonEvent(x, 1, True, 0);
        for (int i = 0; i <= 4; ++i) {
            XTestFakeMotionEvent(x, DefaultScreen(x), kParentX + kKnobX, kParentY + kKnobY - 4 * i, 0);
            XSync(x, False);
            usleep(50000);
        }
        XTestFakeButtonEvent(x, 1, False, 0);
        XCloseDisplay(x);
        released = true;
    });
    const bool done = IdleUntil([&] { return released && !writes.empty() && std::abs(writes.back().value - 58) < 1e-3f; }, 5);
    hand.join();
    EXPECT_TRUE(done) << (writes.empty() ? -1 : writes.back().value);  // 50 + 16 pixels x 0.5
    float previous = 50;
    for (const Write& w : writes) {  // the press writes the value it starts from
        EXPECT_TRUE(w.port == ControlPort(kFeedback) && w.size == sizeof(float) && w.format == 0u);
        EXPECT_GE(w.value, previous);
        previous = w.value;
    }
}

TEST_F(UiHarness, PortEventsAndDisplayMessagesRedrawTheEditor)
{
    // The host's value turns the knob's pointer and is not written back, on each plug-in's own
    // port layout. The stereo editor stays open for the displays.
    for (const char* plugin : {kMono, kStereo}) {
        SCOPED_TRACE(plugin);
        Close();
        ASSERT_TRUE(Open(plugin));
        ASSERT_TRUE(IdleUntil([&] { return EditorDrawn(); }));
        const uint32_t port = Lv2Variant::Find(plugin)->FirstControlPort() + kFeedback;
        PortValue(port, 0);
        Notify(Block(), 0, 0);
        Idle(0.5);
        auto before = Shot();
        PortValue(port, 100);
        EXPECT_TRUE(IdleUntil([&] { return KnobChanged(*before, *Shot()) > 20; }));
        EXPECT_TRUE(writes.empty());
    }
    // A loud overview fills the waveform display; the knobs' row stays as it was.
    auto knobTurned = Shot();
    Notify(Block(), -0.9f, 0.9f);
    EXPECT_TRUE(IdleUntil([&] { return Changed(*knobTurned, *Shot()) > 20000; })) << Changed(*knobTurned, *Shot());
    EXPECT_EQ(KnobChanged(*knobTurned, *Shot()), 0);
    // Atoms that are not display messages leave the waveform as it was.
    const LV2_Atom_Float other{{sizeof(float), Map(LV2_ATOM__Float)}, 0.5f};
    const LV2_Atom_Int bad{{sizeof(int32_t), Map(LV2_ATOM__Object)}, 7};
    for (const LV2_Atom* atom : {&other.atom, &bad.atom}) SendAtom(atom);
    Idle(0.5);
    EXPECT_GT(Changed(*knobTurned, *Shot()), 20000);
}
