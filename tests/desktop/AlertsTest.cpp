// The stop alert: its window and texts, answered by a click on OK, and the text on standard
// error when there is no display.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/cf/CFString.h"
#include "platform/desktop/Alerts.h"
#include "tests/desktop/DisplayFixture.h"
#include "tests/desktop/ScopedEnvironment.h"

namespace {

// Started as a helper (see the last test), shows a stop alert and exits before the test runner starts.
int RunHelperIfAsked()
{
    if (!std::getenv("FLUMMEL_ALERT_HELPER")) return 0;
    DialogRef alert = nullptr;
    DialogItemIndex item = 0;
    OSStatus r = CreateStandardAlert(kAlertStopAlert, CFSTR("No MP Library"), CFSTR("Oh dear."), nullptr, &alert);
    std::exit(r == noErr && RunStandardAlert(alert, nullptr, &item) == noErr && item == kAlertStdAlertOKButton ? 0 : 1);
}
[[maybe_unused]] const int kHelper = RunHelperIfAsked();

std::vector<std::string> Texts(WindowRef w)
{
    std::vector<std::string> out;
    UInt16 n = 0;
    CountSubControls(HIViewGetRoot(w), &n);
    for (UInt16 i = 1; i <= n; ++i) {
        ControlRef c = nullptr;
        GetIndexedSubControl(HIViewGetRoot(w), i, &c);
        char buf[256];
        ByteCount size = 0;
        if (GetControlData(c, 0, kControlStaticTextTextTag, sizeof buf, buf, &size) == noErr)
            out.emplace_back(buf, std::min<size_t>(size, sizeof buf));
    }
    return out;
}

struct Answerer {
    WindowRef window;
    Display* x;
    bool sent = false;
};

// Fires inside the alert's event loop: once the window is on screen, clicks OK.
void Answer(EventLoopTimerRef timer, void* data)
{
    auto* a = static_cast<Answerer*>(data);
    XWindowAttributes attrs{};
    if (a->sent || !XGetWindowAttributes(a->x, GetWindowXID(a->window), &attrs) || attrs.map_state != IsViewable)
        return;
    a->sent = true;
    ControlID id{kHICommandOK, 0};
    ControlRef ok = nullptr;
    GetControlByID(a->window, &id, &ok);
    Rect g, b;
    GetWindowBounds(a->window, kWindowContentRgn, &g);
    GetControlBounds(ok, &b);
    XTestFakeMotionEvent(a->x, DefaultScreen(a->x), g.left + (b.left + b.right) / 2, g.top + (b.top + b.bottom) / 2, 0);
    for (bool down : {true, false}) XTestFakeButtonEvent(a->x, 1, down, 0);
    XSync(a->x, False);
    RemoveEventLoopTimer(timer);
}

}  // namespace

class Alerts : public DisplayTest {};

TEST_F(Alerts, AStopAlertShowsItsTextsAndEndsWithOK)
{
    long windows = CountLiveWindows();
    DialogRef alert = nullptr;
    ASSERT_EQ(CreateStandardAlert(kAlertStopAlert, CFSTR("No MP Library"), CFSTR("Oh dear."), nullptr, &alert), noErr);
    WindowRef w = GetDialogWindow(alert);
    ASSERT_NE(w, nullptr);
    std::vector<std::string> texts = Texts(w);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[0].find("Stop: No MP Library"), std::string::npos) << texts[0];
    EXPECT_EQ(texts[1], "Oh dear.");

    Answerer a{w, mX};
    EventLoopTimerRef timer = nullptr;
    ASSERT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0.05, 0.05, Answer, &a, &timer), noErr);
    DialogItemIndex item = 0;
    EXPECT_EQ(RunStandardAlert(alert, nullptr, &item), noErr);  // returns only once answered
    EXPECT_EQ(item, kAlertStdAlertOKButton);
    EXPECT_EQ(CountLiveWindows(), windows);
}

TEST(AlertsWithoutADisplay, TheAlertIsToldOnStandardErrorAndReturnsAtOnce)
{
    char exe[4096] = {}, buf[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    ScopedEnvironment helper("FLUMMEL_ALERT_HELPER", "1"), display("DISPLAY", nullptr);
    FILE* p = popen((std::string("'") + exe + "' 2>&1").c_str(), "r");
    ASSERT_NE(p, nullptr);
    const std::string out(buf, std::fread(buf, 1, sizeof buf - 1, p));
    EXPECT_EQ(pclose(p), 0) << out;
    EXPECT_NE(out.find("Stop: No MP Library (Oh dear.)"), std::string::npos) << out;
}
