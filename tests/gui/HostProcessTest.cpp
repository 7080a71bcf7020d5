// The editor inside a host process that has its own X connection and error handler: the host's
// errors still reach the host's handler once the editor's connections are open.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
// clang-format on
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/desktop/DesktopInternal.h"
#include "platform/desktop/GLContexts.h"
#include "platform/desktop/Windows.h"

namespace {
int gHostErrors = 0;
}  // namespace

// Runs in a fresh process (see below): the host's connection and handler come first, the
// editor's connections open only then, as when a host loads the plug-in late.
TEST(HostProcess, DISABLED_ChildWithTheHostsHandlerInstalledFirst)
{
    Display* host = XOpenDisplay(nullptr);
    ASSERT_NE(host, nullptr);
    XSetErrorHandler([](Display*, XErrorEvent*) { return ++gHostErrors, 0; });
    Rect r{10, 10, 50, 50};
    WindowRef w = nullptr;
    ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, 0, &r, &w), noErr);
    const GLint attributes[] = {AGL_RGBA, AGL_DOUBLEBUFFER, AGL_NONE};
    AGLPixelFormat pf = aglChoosePixelFormat(nullptr, 0, attributes);
    ASSERT_NE(pf, nullptr);
    const unsigned long ours = desktop::XErrorCount();
    for (Display* d : {host, desktop::MainDisplay()}) {
        XMapWindow(d, 0x3fffff1);  // no such window
        XSync(d, False);
    }
    EXPECT_EQ(gHostErrors, 1);
    EXPECT_EQ(desktop::XErrorCount(), ours + 1);
    aglDestroyPixelFormat(pf);
    DisposeWindow(w);
    XCloseDisplay(host);
}

TEST(HostProcess, HostKeepsTheErrorsOfItsOwnConnection)
{
    if (!std::getenv("DISPLAY") || !*std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        execl("/proc/self/exe", "test_gui", "--gtest_also_run_disabled_tests",
              "--gtest_filter=HostProcess.DISABLED_ChildWithTheHostsHandlerInstalledFirst", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
