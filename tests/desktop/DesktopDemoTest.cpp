// The demo program under the X server: its pane filled by GL, the moving square, a clean exit.
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <functional>
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
    char exe[4096] = {};
    if (readlink("/proc/self/exe", exe, sizeof exe - 1) <= 0) return "";
    std::string dir(exe);
    return dir.substr(0, dir.rfind('/')) + "/../platform/desktop/flummel_desktop_demo";
}

bool IsSquare(Screenshot::RGB c) { return c.r > 235 && c.g > 120 && c.g < 160 && c.b < 45; }
bool IsClearColour(Screenshot::RGB c) { return c.Near(20, 26, 64, 3); }

// The square's pixel count and centre.
struct Centre {
    double x = 0, y = 0;
    int count = 0;
    explicit Centre(const Screenshot& s)
    {
        for (int y0 = 0; y0 < s.Height(); ++y0)
            for (int x0 = 0; x0 < s.Width(); ++x0)
                if (IsSquare(s.At(x0, y0))) x += x0, y += y0, ++count;
        if (count) x /= count, y /= count;
    }
};

// Polls `done` every 20 ms for up to 20 s.
bool Within20s(const std::function<bool()>& done)
{
    for (int i = 0; i < 1000; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(20)))
        if (done()) return true;
    return false;
}

}  // namespace

class DesktopDemo : public DisplayTest {};

TEST_F(DesktopDemo, DrawsAMovingSquareInItsPaneAndClosesCleanly)
{
    std::string program = DemoProgram();
    struct stat st;
    ASSERT_EQ(stat(program.c_str(), &st), 0) << "build the demo first (target flummel_desktop_demo): " << program;
    MovePointer(5, 5);  // away from the pane, which lights the square up
    char seconds[] = "--seconds", limit[] = "60", *argv[] = {program.data(), seconds, limit, nullptr};
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
    ASSERT_TRUE(Within20s([&] {
        for (unsigned long kid : Children(DefaultRootWindow(mX))) {
            char* name = nullptr;
            if (XFetchName(mX, kid, &name) && name) {
                if (std::string(name) == "Flummel desktop demo" && Viewable(kid)) w = kid;
                XFree(name);
            }
        }
        return w != 0;
    })) << "the demo's window did not appear";
    // The pane stands at (40, 40)-(440, 320) of the 480 x 360 window.
    ASSERT_TRUE(Within20s([&] {
        Screenshot s(mX, w);
        return IsClearColour(s.At(45, 45)) && Centre(s).count > 0;
    })) << "the pane was never drawn";
    Screenshot first(mX, w);
    EXPECT_TRUE(first.At(10, 10).Near(0xdc, 0xdc, 0xdc));  // the window around the pane
    EXPECT_TRUE(IsClearColour(first.At(438, 318)) && !IsClearColour(first.At(442, 322)));  // the pane's corner
    Centre a(first);
    EXPECT_TRUE(a.count > 2500 && a.count < 4000) << a.count;  // a 60 x 60 square, turned, cut by nothing
    // On its orbit of radius 80 around the pane's centre (240, 180).
    EXPECT_NEAR(std::hypot(a.x - 240, a.y - 180), 80, 4);

    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    Centre b{Screenshot(mX, w)};
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
    if (!Within20s([&] { return waitpid(pid, &status, WNOHANG) == pid; })) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        FAIL() << "the demo did not end when its window was closed";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
