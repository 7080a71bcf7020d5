// The stop alert, told on standard error when there is no display. The toolkit's only alert (no
// MP library) never comes up, the library being always loaded: one run of it is enough.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/cf/CFString.h"
#include "platform/desktop/Alerts.h"
#include "tests/desktop/ScopedEnvironment.h"

namespace {

// Started as a helper (see the test below), shows a stop alert and exits before the test runner starts.
int RunHelperIfAsked()
{
    if (!std::getenv("FLUMMEL_ALERT_HELPER")) return 0;
    DialogRef alert = nullptr;
    DialogItemIndex item = 0;
    OSStatus r = CreateStandardAlert(kAlertStopAlert, CFSTR("No MP Library"), CFSTR("Oh dear."), nullptr, &alert);
    std::exit(r == noErr && RunStandardAlert(alert, nullptr, &item) == noErr && item == kAlertStdAlertOKButton ? 0 : 1);
}
[[maybe_unused]] const int kHelper = RunHelperIfAsked();

}  // namespace

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
