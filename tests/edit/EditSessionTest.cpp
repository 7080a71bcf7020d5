// `flummel edit` without a JACK server: the window's picture, bad arguments, no display, and the
// knobs' state saved when a signal or the window's close box ends the session.
#include <signal.h>

#include <algorithm>

#include "engine/FlummelParameters.h"
#include "tests/edit/EditFixture.h"
// After the test headers: Xlib's macros (None, Bool, ...) would clash with them.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
// clang-format on

namespace {

const std::string kPacedNote = "flummel: no JACK server running: playing in real time without sound\n";

// The editor's static background, which the label bitmap fills where nothing is drawn.
constexpr int kLabelRed = 51, kLabelGreen = 51, kLabelBlue = 0;

// The top-level window of process `pid`, by its _NET_WM_PID, or 0.
::Window WindowOf(Display* d, pid_t pid)
{
    const Atom pidAtom = XInternAtom(d, "_NET_WM_PID", False);
    ::Window root = 0, parent = 0, *children = nullptr, found = 0;
    unsigned count = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after,
                               &data) == Success &&
            data && items == 1 && format == 32 && pid_t(*reinterpret_cast<long*>(data)) == pid)
            found = children[i];
        if (data) XFree(data);
    }
    if (children) XFree(children);
    return found;
}

}  // namespace

class EditSession : public EditTest {
protected:
    void SetUp() override
    {
        EditTest::SetUp();
        noServer = std::make_unique<ScopedEnvironment>("JACK_DEFAULT_SERVER", UniqueName("absent").c_str());
    }
    std::unique_ptr<ScopedEnvironment> noServer;
};

// The window is the editor's pane at the stored GUI scale, nothing around it.
TEST_F(EditSession, ScreenshotShowsTheEditorFollowingTheDemo)
{
    struct Case {
        int storedScale;  // 0: none stored
        int width, height;
    };
    for (const Case c : {Case{0, 770, 315}, Case{150, 1155, 472}}) {
        SCOPED_TRACE(c.storedScale);
        if (c.storedScale) StorePreference("GUI scale", c.storedScale);
        const Result r = Run({"edit", "--screenshot", Path("shot.png"), "--after", "1.5"});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, kPacedNote);
        const Picture pic = ReadPng("shot.png");
        ASSERT_EQ(pic.width, c.width);
        ASSERT_EQ(pic.height, c.height);
        // Near each corner (scaled up, the very edge blends with the texture's border).
        for (auto [x, y] : {std::pair{2, 2}, {c.width - 3, 2}, {2, c.height - 3}, {c.width - 3, c.height - 3}})
            EXPECT_TRUE(pic.Near(x, y, kLabelRed, kLabelGreen, kLabelBlue)) << "corner " << x << ", " << y;
        // The waveform display (GUI y 170 to 270) shows the loop that the demo has filled.
        const double s = c.width / 770.0;
        const int x0 = int(40 * s), x1 = int(730 * s), y0 = int(50 * s), y1 = int(140 * s);
        int drawn = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) drawn += !pic.Near(x, y, kLabelRed, kLabelGreen, kLabelBlue, 20);
        EXPECT_GT(drawn, (x1 - x0) * (y1 - y0) / 10);
        EXPECT_EQ(Files(), std::vector<std::string>{"shot.png"});
        std::filesystem::remove(Path("shot.png"));
    }
}

// Options `flummel render` shares are refused with its very words; the rest have their own.
TEST_F(EditSession, BadArgumentsGiveOneLineAndStatusTwo)
{
    WriteWav("short.wav", Impulses(1, 64, {{0, 1.f}}));
    struct Case {
        std::vector<std::string> args;
        std::string message;  // empty: what `flummel render` says
    };
    const Case cases[] = {
        {{"--tempo", "fast"}, ""},
        {{"--tempo", "-3"}, ""},
        {{"--set", "Feedback"}, ""},
        {{"--set", "Nonsense=1"}, ""},
        {{"--set", "Feedback=400"}, ""},
        {{"--preset", Path("absent.plist")}, ""},
        {{Path("absent.wav")}, ""},
        {{"--preset", Path("short.wav")}, ""},
        {{"--after", "2"}, "flummel: --after needs --screenshot\n"},
        {{"--screenshot", Path("s.png"), "--after", "-1"}, "flummel: --after: seconds must be from 0 to 3600\n"},
        {{"--screenshot"}, "flummel: option --screenshot needs a value\n"},
        {{"--block", "64"}, "flummel: unknown option --block\n"},
        {{Path("short.wav"), Path("other.wav")}, "flummel: edit: too many files: " + Path("other.wav") + "\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0]);
        std::string expected = c.message;
        if (expected.empty()) {
            std::vector<std::string> render = {"render"};
            render.insert(render.end(), c.args.begin(), c.args.end());
            render.push_back(Path("out.wav"));
            const Result r = Run(render);
            ASSERT_EQ(r.status, 2) << r.err;
            expected = r.err;
        }
        std::vector<std::string> edit = {"edit"};
        edit.insert(edit.end(), c.args.begin(), c.args.end());
        if (c.args[0] != "--screenshot") edit.insert(edit.end(), {"--save-preset", Path("kept.plist")});
        const Result r = Run(edit);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, expected);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
        EXPECT_EQ(Files(), std::vector<std::string>{"short.wav"});  // no preset, picture or output left
    }
}

TEST_F(EditSession, NoDisplayIsRefused)
{
    ScopedEnvironment noDisplay("DISPLAY", nullptr);
    const Result r = Run({"edit", "--save-preset", Path("p.plist")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "flummel: cannot open the X display\n");
    EXPECT_TRUE(Files().empty());
}

// However the session ends, the preset holds the knobs as they were then; a signal still ends
// the process by that signal.
TEST_F(EditSession, EndingTheSessionSavesTheKnobs)
{
    enum class End { kTerm, kInt, kCloseBox };
    for (End end : {End::kTerm, End::kInt, End::kCloseBox}) {
        SCOPED_TRACE(int(end));
        const pid_t pid = Start({"edit", "--set", "Feedback=37", "--set", "Delay Time=0.25", "--save-preset",
                                 Path("p.plist")});
        ASSERT_TRUE(WaitFor([&] { return ErrorsSoFar() == kPacedNote; }));
        Display* d = XOpenDisplay(nullptr);
        ASSERT_NE(d, nullptr);
        ::Window window = 0;
        EXPECT_TRUE(WaitFor([&] { return (window = WindowOf(d, pid)) != 0; }));
        if (end == End::kCloseBox && window) {
            XEvent e{};
            e.xclient.type = ClientMessage;
            e.xclient.window = window;
            e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
            e.xclient.format = 32;
            e.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
            e.xclient.data.l[1] = CurrentTime;
            XSendEvent(d, window, False, NoEventMask, &e);
            XFlush(d);
        } else {
            kill(pid, end == End::kTerm ? SIGTERM : SIGINT);
        }
        XCloseDisplay(d);
        const Result r = Finish(pid, std::chrono::seconds(60));
        if (end == End::kCloseBox) {
            EXPECT_EQ(r.status, 0);
        } else {
            EXPECT_EQ(r.signal, end == End::kTerm ? SIGTERM : SIGINT);
        }
        EXPECT_EQ(r.err, kPacedNote);
        EXPECT_EQ(PresetParameter("p.plist", kParam_Feedback), 37.f);
        EXPECT_EQ(PresetParameter("p.plist", kParam_DelayTime), 0.25f);
        std::filesystem::remove(Path("p.plist"));
    }
}
