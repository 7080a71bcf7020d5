// The demo program under the X server: its pane filled by GL, the moving square, a clean exit.
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <string>
#include <thread>

#include "tests/desktop/DisplayFixture.h"
#include "tests/desktop/GLDriverSuppressions.h"
#include "tests/desktop/ScopedEnvironment.h"
#include "tests/desktop/Screenshot.h"
#include "tests/desktop/TempDirectory.h"

extern char** environ;

namespace {

// Beside this test program in the build tree, unless FLUMMEL_DESKTOP_DEMO names it.
std::string DemoProgram()
{
    if (const char* p = std::getenv("FLUMMEL_DESKTOP_DEMO")) return p;
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return "";
    std::string dir(exe, size_t(n));
    dir = dir.substr(0, dir.rfind('/'));
    return dir + "/../platform/desktop/flummel_desktop_demo";
}

// The top-level window with this title, or 0.
::Window FindWindow(Display* d, const char* title)
{
    ::Window root, parent, *kids = nullptr, found = 0;
    unsigned n = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &kids, &n)) return 0;
    for (unsigned i = 0; i < n && !found; ++i) {
        char* name = nullptr;
        if (XFetchName(d, kids[i], &name) && name) {
            if (std::string(name) == title) found = kids[i];
            XFree(name);
        }
    }
    if (kids) XFree(kids);
    return found;
}

bool IsSquare(Screenshot::RGB c) { return c.r > 235 && c.g > 120 && c.g < 160 && c.b < 45; }
bool IsClearColour(Screenshot::RGB c) { return c.Near(20, 26, 64, 3); }

struct Centre {
    double x = 0, y = 0;
    int count = 0;
};

Centre SquareIn(const Screenshot& s)
{
    Centre c;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            if (IsSquare(s.At(x, y))) c.x += x, c.y += y, ++c.count;
    if (c.count) c.x /= c.count, c.y /= c.count;
    return c;
}

auto Until(double s) { return std::chrono::steady_clock::now() + std::chrono::duration<double>(s); }

}  // namespace

class DesktopDemo : public DisplayTest {};

TEST_F(DesktopDemo, DrawsAMovingSquareInItsPaneAndClosesCleanly)
{
    std::string program = DemoProgram();
    struct stat st;
    ASSERT_EQ(stat(program.c_str(), &st), 0) << "build the demo first (target flummel_desktop_demo): " << program;
    MovePointer(5, 5);  // away from the pane, which lights the square up
    char seconds[] = "--seconds", limit[] = "60";
    char* argv[] = {program.data(), seconds, limit, nullptr};
    // Under ThreadSanitizer the demo leaves out the GL driver's races as this program does.
    TempDirectory dir;
    ASSERT_TRUE(dir.Write("tsan.supp", kGLDriverRaceSuppressions));
    const char* tsan = std::getenv("TSAN_OPTIONS");
    std::string options = (tsan ? std::string(tsan) + ":" : std::string()) + "suppressions=" + (dir / "tsan.supp");
    pid_t pid = 0;
    {
        ScopedEnvironment env("TSAN_OPTIONS", options.c_str());
        ASSERT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ), 0);
    }

    ::Window w = 0;
    for (auto end = Until(20); !w && std::chrono::steady_clock::now() < end;) {
        w = FindWindow(mX, "Flummel desktop demo");
        if (!w || !Viewable(w)) w = 0, std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_NE(w, 0u) << "the demo's window did not appear";
    // The pane stands at (40, 40)-(440, 320) of the 480 x 360 window.
    bool drawn = false;
    for (auto end = Until(20); !drawn && std::chrono::steady_clock::now() < end;) {
        Screenshot s(mX, w);
        drawn = IsClearColour(s.At(45, 45)) && SquareIn(s).count > 0;
        if (!drawn) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(drawn) << "the pane was never drawn";

    Screenshot first(mX, w);
    ASSERT_EQ(first.Width(), 480);
    ASSERT_EQ(first.Height(), 360);
    EXPECT_TRUE(first.At(10, 10).Near(0xdc, 0xdc, 0xdc));  // the window around the pane
    // The pane's corners inside, and just outside.
    EXPECT_TRUE(IsClearColour(first.At(41, 41)) && IsClearColour(first.At(438, 318)));
    EXPECT_FALSE(IsClearColour(first.At(38, 38)) || IsClearColour(first.At(442, 322)));
    Centre a = SquareIn(first);
    EXPECT_GT(a.count, 2500);  // a 60 x 60 square, turned, cut by nothing
    EXPECT_LT(a.count, 4000);
    // On its orbit of radius 80 around the pane's centre (240, 180).
    EXPECT_NEAR(std::hypot(a.x - 240, a.y - 180), 80, 4);

    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    Screenshot second(mX, w);
    Centre b = SquareIn(second);
    EXPECT_GT(std::hypot(b.x - a.x, b.y - a.y), 10) << "the square did not move";

    // Closing the window from outside ends the program, its render thread stopped first.
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = w;
    close.xclient.message_type = XInternAtom(mX, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = long(XInternAtom(mX, "WM_DELETE_WINDOW", False));
    XSendEvent(mX, w, False, NoEventMask, &close);
    XSync(mX, False);
    int status = -1;
    for (auto end = Until(20); std::chrono::steady_clock::now() < end;) {
        if (waitpid(pid, &status, WNOHANG) == pid) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!WIFEXITED(status) && !WIFSIGNALED(status)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        FAIL() << "the demo did not end when its window was closed";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
