// `flummel edit` without a JACK server: the window's picture, bad arguments, no display, and the
// knobs' state saved when a signal or the window's close box ends the session.
#include <png.h>

#include "tests/edit/EditFixture.h"
// After the test headers: Xlib's macros (None, Bool, ...) would clash with them.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
// clang-format on

namespace {

const std::string kPacedNote = "flummel: no JACK server running: playing in real time without sound\n";

// The top-level window of process `pid`, by its _NET_WM_PID, or 0.
::Window WindowOf(Display* d, pid_t pid)
{
    ::Window root = 0, parent = 0, *children = nullptr, found = 0;
    unsigned count = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, children[i], XInternAtom(d, "_NET_WM_PID", False), 0, 1, False, XA_CARDINAL, &type,
                               &format, &items, &after, &data) == Success &&
            data && items == 1 && pid_t(*reinterpret_cast<long*>(data)) == pid)
            found = children[i];
        if (data) XFree(data);
    }
    if (children) XFree(children);
    return found;
}

}  // namespace

class EditSession : public EditTest {
protected:
    ScopedEnvironment noServer{"JACK_DEFAULT_SERVER", UniqueName("absent").c_str()};
};

// The window is the editor's pane at the stored GUI scale, nothing around it: the editor's static
// background near each corner, and the waveform display showing the loop that the demo has filled.
TEST_F(EditSession, ScreenshotShowsTheEditorFollowingTheDemo)
{
    for (const auto& [storedScale, width, height] : {std::tuple{0, 770, 315}, {150, 1155, 472}}) {
        SCOPED_TRACE(storedScale);
        if (storedScale)
            std::ofstream(Path("config/com.tarnwick.Flummel.plist"))
                << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n\t<key>GUI scale</key>\n"
                   "\t<integer>" << storedScale << "</integer>\n</dict>\n</plist>\n";
        const Result r = Run({"edit", "--screenshot", "@shot.png", "--after", "1.5"});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, kPacedNote);
        EXPECT_EQ(Files(), (std::vector<std::string>{"config", "shot.png"}));
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_file(&image, Path("shot.png").c_str()));
        image.format = PNG_FORMAT_RGB;
        std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
        ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
        ASSERT_EQ(std::pair(int(image.width), int(image.height)), std::pair(width, height));
        auto background = [&](int x, int y, int tolerance) {
            const png_byte* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
            return std::abs(p[0] - 51) <= tolerance && std::abs(p[1] - 51) <= tolerance && p[2] <= tolerance;
        };
        for (auto [x, y] : {std::pair{2, 2}, {width - 3, 2}, {2, height - 3}, {width - 3, height - 3}})
            EXPECT_TRUE(background(x, y, 3)) << "corner " << x << ", " << y;
        const double s = width / 770.0;  // the waveform's inside, GUI y 175 to 265
        const int x0 = int(40 * s), x1 = int(730 * s), y0 = int(50 * s), y1 = int(140 * s);
        int drawn = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) drawn += !background(x, y, 20);
        EXPECT_GT(drawn, (x1 - x0) * (y1 - y0) / 10);
        std::filesystem::remove(Path("shot.png"));
    }
}

// Options `flummel render` shares are refused with its very words; the rest have their own. No
// preset, picture or output is left, and without a display nothing starts.
TEST_F(EditSession, BadArgumentsAndNoDisplayGiveOneLineAndStatusTwo)
{
    WriteWav("short.wav", Impulses(1, 64, {{0, 1.f}}));
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--tempo", "fast"}, ""},
        {{"@absent.wav"}, ""},
        {{"--preset", "@short.wav"}, ""},
        {{"--after", "2"}, "flummel: --after needs --screenshot\n"},
        {{"--screenshot", "@s.png", "--after", "-1"}, "flummel: --after: seconds must be from 0 to 3600\n"},
        {{"--screenshot"}, "flummel: option --screenshot needs a value\n"},
        {{"--block", "64"}, "flummel: unknown option --block\n"},
        {{"@short.wav", "@other.wav"}, "flummel: edit: too many files: " + Path("other.wav") + "\n"},
    };
    for (auto [args, expected] : cases) {
        SCOPED_TRACE(args[0]);
        if (expected.empty()) {  // what `flummel render` says
            std::vector<std::string> render = {"render"};
            render.insert(render.end(), args.begin(), args.end());
            render.push_back("@out.wav");
            expected = Run(render).err;
        }
        args.insert(args.begin(), "edit");
        if (args[1] != "--screenshot") args.insert(args.end(), {"--save-preset", "@kept.plist"});
        const Result r = Run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, expected);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
        EXPECT_EQ(Files(), (std::vector<std::string>{"config", "short.wav"}));
    }
    ScopedEnvironment noDisplay("DISPLAY", nullptr);
    const Result r = Run({"edit", "--save-preset", "@p.plist"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "flummel: cannot open the X display\n");
    EXPECT_EQ(Files(), (std::vector<std::string>{"config", "short.wav"}));
}

// However the session ends, the preset holds the knobs as they were then; a signal still ends the
// process by that signal.
TEST_F(EditSession, EndingTheSessionSavesTheKnobs)
{
    for (const int end : {SIGTERM, SIGINT, 0}) {  // 0: the window's close box
        SCOPED_TRACE(end);
        const pid_t pid = Start(Args({"edit", "--set", "Delay Time=0.25", "--save-preset", "@p.plist"}));
        ASSERT_TRUE(WaitFor([&] { return Slurp(Path(".stderr")) == kPacedNote; }));
        Display* d = XOpenDisplay(nullptr);
        ASSERT_NE(d, nullptr);
        ::Window window = 0;
        EXPECT_TRUE(WaitFor([&] { return (window = WindowOf(d, pid)) != 0; }));
        if (end == 0 && window) {
            XEvent e{};
            e.xclient = {ClientMessage, 0, False, d, window, XInternAtom(d, "WM_PROTOCOLS", False), 32, {}};
            e.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
            XSendEvent(d, window, False, NoEventMask, &e);
            XFlush(d);
        } else {
            kill(pid, end);
        }
        XCloseDisplay(d);
        const Result r = Finish(pid, std::chrono::seconds(60));
        EXPECT_EQ(end == 0 ? r.status : r.signal, end);
        EXPECT_EQ(r.err, kPacedNote);
        EXPECT_EQ(PresetParameter("p.plist", kParam_DelayTime), 0.25f);
    }
}
