// The opener runs as a child process; a detached thread collects it when it ends.
#include "platform/desktop/LaunchServices.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <thread>

#include "platform/cf/CFString.h"

extern char** environ;

OSStatus LSOpenCFURLRef(CFURLRef inURL, CFURLRef* outLaunchedURL)
{
    if (outLaunchedURL) *outLaunchedURL = nullptr;
    CFStringRef s = CFURLGetString(inURL);
    if (!s) return paramErr;
    CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(s), kCFStringEncodingUTF8) + 1;
    std::string url(size_t(size), '\0');
    if (!CFStringGetCString(s, &url[0], size, kCFStringEncodingUTF8)) return paramErr;
    url.resize(std::strlen(url.c_str()));
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
