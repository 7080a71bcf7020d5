// The editor in a host none of us wrote: jalv.gtk3 on a JACK server of the test's own (dummy
// driver), both started and stopped here by process id. Its window must show our editor (the
// label bitmap's clear colour over the editor's area), not the host's generic sliders, and the
// editor must be fed: the loop head's displays move, which takes the editor's word that it is
// showing through the host to the plug-in and the display messages back.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
// clang-format on
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/flummel/CliError.h"
#include "host/flummel/PngFile.h"
#include "tests/desktop/Screenshot.h"
#include "tests/desktop/TempDirectory.h"

namespace {

// A child process with extra environment and no output, stopped by its id when it goes.
struct Child {
    pid_t pid = -1;
    Child(std::vector<std::string> args, const std::vector<std::string>& environment)
    {
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if ((pid = fork()) == 0) {
            for (const std::string& e : environment) putenv(const_cast<char*>(e.c_str()));
            const int null = open("/dev/null", O_RDWR);
            dup2(null, 0), dup2(null, 1), dup2(null, 2);
            execvp(argv[0], argv.data());
            _exit(127);
        }
    }
    ~Child() { Stop(); }
    bool Running() const { return pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0; }
    void Stop()
    {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        for (int i = 0; i < 100 && Running(); ++i) usleep(50000);
        if (Running() && kill(pid, SIGKILL) == 0) waitpid(pid, nullptr, 0);
        pid = -1;
    }
};

bool OnPath(const char* program) { return std::system((std::string("command -v ") + program + " > /dev/null 2>&1").c_str()) == 0; }

// The biggest mapped top-level window of process `pid` (by _NET_WM_PID); 0 when none.
::Window WindowOf(Display* x, pid_t pid)
{
    const Atom pidAtom = XInternAtom(x, "_NET_WM_PID", False);
    ::Window root, parent, *children = nullptr, best = 0;
    unsigned n = 0;
    int bestArea = 0;
    if (!XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &n)) return 0;
    for (unsigned i = 0; i < n; ++i) {
        Atom type;
        int format;
        unsigned long items, after;
        unsigned char* data = nullptr;
        XWindowAttributes a{};
        if (XGetWindowProperty(x, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after,
                               &data) != Success || !data)
            continue;
        const bool ours = items == 1 && pid_t(*reinterpret_cast<unsigned long*>(data)) == pid;
        XFree(data);
        if (ours && XGetWindowAttributes(x, children[i], &a) && a.map_state == IsViewable && a.width * a.height > bestArea) {
            best = children[i];
            bestArea = a.width * a.height;
        }
    }
    if (children) XFree(children);
    return best;
}

// The picture as a PNG file; false when it cannot be written.
bool SavePng(const std::string& path, const Screenshot& s)
{
    std::vector<unsigned char> rgb;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) {
            const auto p = s.At(x, y);
            rgb.insert(rgb.end(), {(unsigned char)p.r, (unsigned char)p.g, (unsigned char)p.b});
        }
    try {
        WritePng(path, s.Width(), s.Height(), rgb.data(), path);
    } catch (const CliError&) {
        return false;
    }
    return true;
}

}  // namespace

TEST(Jalv, ItsWindowShowsOurEditor)
{
    if (!std::getenv("DISPLAY") || !*std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (Xvfb)";
    if (!OnPath("jalv.gtk3") || !OnPath("jackd")) GTEST_SKIP() << "needs jalv.gtk3 and jackd (scripts/install-deps.sh)";
    if (*FLUMMEL_SANITIZER_PRELOAD)  // GTK in jalv shows no window with the runtime preloaded
        GTEST_SKIP() << "jalv.gtk3 with the sanitizer runtime; the harness tests check the module under it";
    struct Lock {  // released however the test ends
        int fd = open("/tmp/flummel-display-tests.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0666);
        ~Lock() { close(fd); }
    } lock;
    ASSERT_GE(lock.fd, 0);
    ASSERT_EQ(flock(lock.fd, LOCK_EX), 0);
    std::unique_ptr<Display, int (*)(Display*)> connection(XOpenDisplay(nullptr), XCloseDisplay);
    Display* x = connection.get();
    ASSERT_NE(x, nullptr);
    // jalv's window may change under a screenshot: a failed request must not end the test
    // (and orphan the host and its server) the way Xlib's default handler would.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });

    const std::string server = "flummel-lv2ui-" + std::to_string(getpid());
    Child jack({"jackd", "-n", server, "-d", "dummy", "-r", "48000", "-p", "256"}, {});
    TempDirectory config;  // the editor's preferences: GUI scale 100 %
    const std::vector<std::string> environment = {
        "JACK_DEFAULT_SERVER=" + server, "JACK_NO_START_SERVER=1", "XDG_CONFIG_HOME=" + config.Path(),
        "LV2_PATH=" FLUMMEL_BUILD_DIR "/lv2:" FLUMMEL_LV2_SYSTEM_DIR, "ASAN_OPTIONS=detect_leaks=0"};
    usleep(500000);  // jalv retries nothing: give the server its moment
    Child jalv({"jalv.gtk3", "urn:flummel:lv2:stereo"}, environment);

    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    ::Window window = 0;
    int editorPixels = 0, width = 0, height = 0;
    std::unique_ptr<Screenshot> shot;
    while (std::chrono::steady_clock::now() < end && jalv.Running()) {
        usleep(200000);
        if (!(window = WindowOf(x, jalv.pid))) continue;
        shot = std::make_unique<Screenshot>(x, window);
        if (!shot->Valid()) continue;
        width = shot->Width(), height = shot->Height();
        editorPixels = shot->Count(0, 0, width, height, [](auto p) { return p.Near(51, 51, 0); });
        if (editorPixels > 770 * 315 / 2) break;
    }
    EXPECT_TRUE(jalv.Running()) << "jalv.gtk3 ended early";
    ASSERT_NE(window, 0u) << "no window of jalv.gtk3";
    EXPECT_TRUE(width >= 770 && height >= 315) << width << " x " << height;
    EXPECT_GT(editorPixels, 770 * 315 / 2) << "of " << width << " x " << height;
    // The scanner glows where the head is: it sweeps the loop's overview once a second (the
    // default delay), far from the loop's start where it rests without data.
    int moved = 0;
    for (int tries = 0; tries < 20 && moved < 100 && shot && shot->Valid(); ++tries) {
        usleep(250000);
        auto later = std::make_unique<Screenshot>(x, window);
        if (!later->Valid()) break;
        moved = later->Changed(*shot, 100, 60, 700, 180);
        shot = std::move(later);
    }
    EXPECT_GE(moved, 100) << "the editor's displays stand still";
    EXPECT_TRUE(shot && shot->Valid() && SavePng(FLUMMEL_BUILD_DIR "/docs/flummel-in-jalv.png", *shot));
}  // jalv, then its server, stopped on the way out
