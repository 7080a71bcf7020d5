// The opener runs as a child process; a detached thread collects it when it ends.
#include "platform/desktop/LaunchServices.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>
#include <thread>

#include "platform/cf/CFString.h"

extern char** environ;

OSStatus LSOpenCFURLRef(CFURLRef inURL, CFURLRef* outLaunchedURL)
{
    if (outLaunchedURL) *outLaunchedURL = nullptr;
    CFStringRef s = CFURLGetString(inURL);
    if (!s) return paramErr;
    std::string url = CFStringToUTF8(s);
    char opener[] = "xdg-open";
    char* argv[] = {opener, url.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, opener, nullptr, nullptr, argv, environ) != 0) return kLSApplicationNotFoundErr;
    std::thread([pid] {
        int status;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return noErr;
}
