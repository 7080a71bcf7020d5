// The UI module in a host of our own under X: the built module loaded with dlopen into a parent
// window, with a recording write function, a URID map, ui:resize, options and the host's idle
// calls. The editor at the size it tells the host, a real knob drag reaching the control port,
// port events and display messages redrawing it, and many openings leaving nothing behind.
// gtest and the LV2 headers first: Xlib's macros (None, Bool, Status) would break them.
#include <gtest/gtest.h>

#include <lv2/atom/forge.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include "plugins/lv2/Lv2DisplayMessage.h"
#include "plugins/lv2/Lv2Variant.h"
// clang-format off
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
// clang-format on
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "tests/desktop/ScopedEnvironment.h"
#include "tests/desktop/Screenshot.h"
#include "tests/desktop/TempDirectory.h"

namespace {

constexpr int kParentX = 40, kParentY = 60, kFeedback = 1;
constexpr int kKnobX = 79, kKnobY = 315 - 40;  // the Feedback knob's centre in the window
constexpr const char* kStereo = "urn:flummel:lv2:stereo";

// The number of children of `w`, and its parent.
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

// Pixels of [x0, x1) x [y0, y1) that differ between two pictures; by default the editor's area.
int Changed(const Screenshot& a, const Screenshot& b, int x0 = 0, int y0 = 0, int x1 = 770, int y1 = 315)
{
    return a.Changed(b, x0, y0, x1, y1);
}
int KnobChanged(const Screenshot& a, const Screenshot& b)
{
    return Changed(a, b, kKnobX - 15, kKnobY - 15, kKnobX + 15, kKnobY + 15);
}

}  // namespace

class UiHarness : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY") || !*std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (Xvfb)";
        mLock = open("/tmp/flummel-display-tests.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0666);
        ASSERT_GE(mLock, 0);
        ASSERT_EQ(flock(mLock, LOCK_EX), 0);
        ASSERT_NE(mX = XOpenDisplay(nullptr), nullptr);
        mModule = dlopen(FLUMMEL_UI_MODULE, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(mModule, nullptr) << dlerror();
        auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(mModule, "lv2ui_descriptor"));
        ASSERT_NE(entry, nullptr);
        ASSERT_NE(mDescriptor = entry(0), nullptr);
        EXPECT_EQ(entry(1), nullptr);
        mIdle = static_cast<const LV2UI_Idle_Interface*>(mDescriptor->extension_data(LV2_UI__idleInterface));
        ASSERT_NE(mIdle, nullptr);
        XSetWindowAttributes a{};
        a.background_pixel = WhitePixel(mX, DefaultScreen(mX));
        mParent = XCreateWindow(mX, DefaultRootWindow(mX), kParentX, kParentY, 1200, 500, 0, CopyFromParent,
                                InputOutput, CopyFromParent, CWBackPixel, &a);
        XMapRaised(mX, mParent);
        MovePointer(5, 5);
    }
    void TearDown() override
    {
        Close();
        if (mX && mParent) XDestroyWindow(mX, mParent);
        if (mX) XCloseDisplay(mX);
        if (mLock >= 0) close(mLock);
    }

    // The UI for `pluginUri` in the parent window, with the host's scale factor when one is
    // given; false when the module refused.
    bool Open(const char* pluginUri = kStereo, float scaleFactor = 0)
    {
        mScaleFactor = scaleFactor;
        mOptions.clear();
        if (scaleFactor > 0)
            mOptions.push_back({LV2_OPTIONS_INSTANCE, 0, Map(LV2_UI__scaleFactor), sizeof(float), Map(LV2_ATOM__Float),
                                &mScaleFactor});
        mOptions.push_back({LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr});
        mFeatureList = {{LV2_UI__parent, reinterpret_cast<void*>(uintptr_t(mParent))},
                        {LV2_URID__map, &mMap},
                        {LV2_UI__resize, &mResize},
                        {LV2_OPTIONS__options, mOptions.data()}};
        mFeatures = {&mFeatureList[0], &mFeatureList[1], &mFeatureList[2], &mFeatureList[3], nullptr};
        showingSaid.clear();
        mHandle = mDescriptor->instantiate(mDescriptor, pluginUri, "/nowhere", &UiHarness::RecordWrite, this, &mWidget,
                                           mFeatures.data());
        return mHandle != nullptr;
    }
    void Close()
    {
        if (mHandle) mDescriptor->cleanup(mHandle);
        mHandle = nullptr;
        if (mX) XSync(mX, False);
    }
    unsigned long WidgetXID() const { return static_cast<unsigned long>(reinterpret_cast<uintptr_t>(mWidget)); }
    uint32_t Port(const char* plugin = kStereo) const { return Lv2Variant::Find(plugin)->FirstControlPort() + kFeedback; }
    void PortValue(uint32_t port, float value) { mDescriptor->port_event(mHandle, port, sizeof value, 0, &value); }

    // A display message as the plug-in sends it, handed over as a notify port's atom.
    void Notify(float lower, float upper)
    {
        DataToGui data{};
        data.headForward = 1;
        std::unique_ptr<std::atomic<float>[]> overview(new std::atomic<float>[kSampleOverviewFloats]);
        for (int i = 0; i < kSampleOverviewFloats; ++i) overview[i].store(i % 2 ? (i % 4 == 1 ? lower : upper) : float(i / 4));
        alignas(8) uint8_t buffer[4096];
        LV2_Atom_Forge forge;
        lv2_atom_forge_init(&forge, &mMap);
        lv2_atom_forge_set_buffer(&forge, buffer, sizeof buffer);
        LV2_Atom_Forge_Frame frame;
        lv2_atom_forge_sequence_head(&forge, &frame, 0);
        ASSERT_TRUE(Lv2DisplayMessage(&mMap).Write(&forge, 0, data, overview.get()));
        SendAtom(&lv2_atom_sequence_begin(&reinterpret_cast<LV2_Atom_Sequence*>(buffer)->body)->body);
    }
    void SendAtom(const LV2_Atom* atom)  // on any port: the message says what it is
    {
        mDescriptor->port_event(mHandle, 100, uint32_t(sizeof(LV2_Atom) + atom->size), Map(LV2_ATOM__eventTransfer), atom);
    }

    // The host's idle calls until `done` holds or `seconds` pass; returns `done()`.
    bool IdleUntil(const std::function<bool()>& done, double seconds = 10)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        for (; !done(); usleep(5000)) {
            if (std::chrono::steady_clock::now() > end) return false;
            EXPECT_EQ(mHandle ? mIdle->idle(mHandle) : 0, 0);
        }
        return true;
    }
    void Idle(double seconds) { IdleUntil([] { return false; }, seconds); }
    std::unique_ptr<Screenshot> Shot()
    {
        XSync(mX, False);
        return std::make_unique<Screenshot>(mX, mParent);
    }
    // The editor's label clear colour (0.2, 0.2, 0) over at least `share` of its 770 x 315 area.
    bool EditorDrawn(double share = 0.5)
    {
        return Shot()->Count(0, 0, 770, 315, [](auto p) { return p.Near(51, 51, 0); }) > share * 770 * 315;
    }
    void MovePointer(int x, int y)  // in parent window coordinates
    {
        XTestFakeMotionEvent(mX, DefaultScreen(mX), kParentX + x, kParentY + y, 0);
        XSync(mX, False);
    }
    LV2_URID Map(const char* uri) { return mMap.map(mMap.handle, uri); }

    struct Write {
        uint32_t port, size, format;
        float value;
    };
    Display* mX = nullptr;
    ::Window mParent = 0;
    std::vector<Write> writes;          // control values
    std::vector<uint32_t> showingSaid;  // ports the editor said it is showing on
    std::vector<std::pair<int, int>> sizes;  // ui:resize requests

private:
    static void RecordWrite(LV2UI_Controller c, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
    {
        auto* self = static_cast<UiHarness*>(c);
        const auto* atom = static_cast<const LV2_Atom*>(buffer);
        if (format == self->Map(LV2_ATOM__eventTransfer) && size >= sizeof(LV2_Atom) &&
            atom->size == size - sizeof(LV2_Atom) && Lv2DisplayMessage(&self->mMap).IsShowing(atom)) {
            self->showingSaid.push_back(port);
            return;
        }
        float v = 0;
        if (size == sizeof v) std::memcpy(&v, buffer, sizeof v);
        static_cast<UiHarness*>(c)->writes.push_back({port, size, format, v});
    }

    TempDirectory mConfig;  // preferences of the test's own: GUI scale 100 %
    ScopedEnvironment mPrefs{"XDG_CONFIG_HOME", mConfig.Path().c_str()};
    int mLock = -1;
    void* mModule = nullptr;
    const LV2UI_Descriptor* mDescriptor = nullptr;
    const LV2UI_Idle_Interface* mIdle = nullptr;
    LV2UI_Handle mHandle = nullptr;
    LV2UI_Widget mWidget = nullptr;
    std::map<std::string, LV2_URID> mUrids;
    LV2_URID_Map mMap{this, [](LV2_URID_Map_Handle h, const char* uri) {
                          auto& ids = static_cast<UiHarness*>(h)->mUrids;
                          return ids.emplace(uri, LV2_URID(ids.size() + 1)).first->second;
                      }};
    LV2UI_Resize mResize{this, [](LV2UI_Feature_Handle h, int width, int height) {
                             static_cast<UiHarness*>(h)->sizes.emplace_back(width, height);
                             return 0;
                         }};
    float mScaleFactor = 0;
    std::vector<LV2_Options_Option> mOptions;
    std::vector<LV2_Feature> mFeatureList;
    std::vector<const LV2_Feature*> mFeatures;
};

TEST_F(UiHarness, TheEditorDrawsInTheParentAtItsSizeAndManyOpeningsLeaveNothingBehind)
{
    EXPECT_FALSE(Open("urn:someone:else"));  // only the bundle's plug-ins have an editor
    EXPECT_EQ(Tree(mX, mParent).first, 0);
    const std::tuple<float, int, int> scales[] = {{0.f, 770, 315}, {1.f, 770, 315}, {1.5f, 1155, 472}};
    int threads = 0;  // what lives as long as the process, started by the first opening
    for (int i = 0; i < 21; ++i) {
        const auto [hostScale, width, height] = scales[i % 3];  // 0: no ui:scaleFactor option
        SCOPED_TRACE(testing::Message() << "opening " << i << " at host scale " << hostScale);
        sizes.clear();
        ASSERT_TRUE(Open(kStereo, hostScale));
        EXPECT_EQ(Tree(mX, WidgetXID()).second, mParent);
        ASSERT_FALSE(sizes.empty());
        EXPECT_EQ(sizes.back(), std::make_pair(width, height));
        XWindowAttributes a{};
        XGetWindowAttributes(mX, WidgetXID(), &a);
        EXPECT_EQ(std::make_pair(a.width, a.height), std::make_pair(width, height));
        ASSERT_TRUE(IdleUntil([&] { return EditorDrawn(); }));
        PortValue(Port(), float(5 * i));
        Notify(-0.5f, 0.5f);
        Idle(0.05);
        Close();
        ASSERT_EQ(Tree(mX, mParent).first, 0);
        if (i == 0) threads = Threads();
    }
    EXPECT_TRUE(IdleUntil([&] { return Threads() <= threads; }, 2)) << Threads() << " threads, " << threads << " before";
}

// The editor says it is showing as it opens and once a second after, on each plug-in's own
// control port; host values turn the knobs' pointers and are not written back; a loud overview
// fills the waveform display; a knob dragged with the pointer writes its control port.
TEST_F(UiHarness, PortEventsAndDisplayMessagesRedrawTheEditorAndAKnobDragReachesItsControlPort)
{
    for (const char* plugin : {"urn:flummel:lv2:mono", kStereo}) {  // the stereo editor stays open
        SCOPED_TRACE(plugin);
        Close();
        ASSERT_TRUE(Open(plugin));
        const uint32_t control = Lv2Variant::Find(plugin)->TimePort();
        EXPECT_EQ(showingSaid, std::vector<uint32_t>{control});
        ASSERT_TRUE(IdleUntil([&] { return EditorDrawn(); }));
        EXPECT_TRUE(IdleUntil([&] { return showingSaid.size() >= 2; }, 1.5));
        EXPECT_EQ(showingSaid, std::vector<uint32_t>(showingSaid.size(), control));
        PortValue(Port(plugin), 0);
        Notify(0, 0);
        Idle(0.5);
        auto before = Shot();
        PortValue(Port(plugin), 50);
        EXPECT_TRUE(IdleUntil([&] { return KnobChanged(*before, *Shot()) > 20; }));
        EXPECT_TRUE(writes.empty()) << "a value from the host went back to it";
    }
    // The knobs' row stays as it was.
    auto knobTurned = Shot();
    Notify(-0.9f, 0.9f);
    EXPECT_TRUE(IdleUntil([&] { return Changed(*knobTurned, *Shot()) > 20000; })) << Changed(*knobTurned, *Shot());
    EXPECT_EQ(KnobChanged(*knobTurned, *Shot()), 0);

    MovePointer(kKnobX, kKnobY);
    Idle(0.3);
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
        EXPECT_TRUE(w.port == Port() && w.size == sizeof(float) && w.format == 0u);
        EXPECT_GE(w.value, previous);
        previous = w.value;
    }
}
