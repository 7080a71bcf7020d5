// Per-thread run loops. A pass runs every poll and the queued work; between passes the loop
// sleeps for at most a short tick, so that work published without a wake-up (for example by
// an audio thread, which never signals) is still seen promptly.
#include "platform/cf/CFRunLoop.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/cf/CFString.h"

struct __CFRunLoop {
    std::mutex mutex;
    std::condition_variable wake;
    std::vector<std::pair<CFRunLoopPollProc, void*>> polls;
    std::deque<std::function<void()>> work;
    bool stopRequested = false;
    bool woken = false;
};

const CFStringRef kCFRunLoopDefaultMode = CFSTR("kCFRunLoopDefaultMode");
const CFStringRef kCFRunLoopCommonModes = CFSTR("kCFRunLoopCommonModes");

namespace {

constexpr auto kTick = std::chrono::milliseconds(5);

std::mutex gMainMutex;
CFRunLoopRef gMainLoop = nullptr;

// One pass; true when some work was done.
bool RunOnce(CFRunLoopRef rl)
{
    std::vector<std::pair<CFRunLoopPollProc, void*>> polls;
    std::deque<std::function<void()>> work;
    {
        std::lock_guard<std::mutex> lock(rl->mutex);
        polls = rl->polls;
        work.swap(rl->work);
    }
    bool did = !work.empty();
    for (auto& w : work) w();
    for (auto& [proc, context] : polls) {
        bool stillThere;
        {
            std::lock_guard<std::mutex> lock(rl->mutex);
            stillThere = std::find(rl->polls.begin(), rl->polls.end(), std::make_pair(proc, context)) != rl->polls.end();
        }
        if (stillThere && proc(context)) did = true;
    }
    return did;
}

}  // namespace

CFRunLoopRef CFRunLoopGetCurrent()
{
    // Loops live for the process: other threads may hold their address.
    thread_local CFRunLoopRef loop = [] {
        auto* rl = new __CFRunLoop;
        std::lock_guard<std::mutex> lock(gMainMutex);
        if (!gMainLoop) gMainLoop = rl;
        return rl;
    }();
    return loop;
}

CFRunLoopRef CFRunLoopGetMain()
{
    {
        std::lock_guard<std::mutex> lock(gMainMutex);
        if (gMainLoop) return gMainLoop;
    }
    return CFRunLoopGetCurrent();
}

SInt32 CFRunLoopRunInMode(CFStringRef, double seconds, Boolean returnAfterSourceHandled)
{
    CFRunLoopRef rl = CFRunLoopGetCurrent();
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                              std::chrono::duration<double>(std::min(std::max(seconds, 0.0), 1e9)));
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(rl->mutex);
            if (rl->stopRequested) {
                rl->stopRequested = false;
                return kCFRunLoopRunStopped;
            }
        }
        if (RunOnce(rl) && returnAfterSourceHandled) return kCFRunLoopRunHandledSource;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return kCFRunLoopRunTimedOut;
        std::unique_lock<std::mutex> lock(rl->mutex);
        rl->wake.wait_until(lock, std::min(deadline, now + kTick),
                            [rl] { return rl->woken || rl->stopRequested || !rl->work.empty(); });
        rl->woken = false;
    }
}

void CFRunLoopStop(CFRunLoopRef rl)
{
    if (!rl) return;
    std::lock_guard<std::mutex> lock(rl->mutex);
    rl->stopRequested = true;
    rl->wake.notify_all();
}

void CFRunLoopWakeUp(CFRunLoopRef rl)
{
    if (!rl) return;
    std::lock_guard<std::mutex> lock(rl->mutex);
    rl->woken = true;
    rl->wake.notify_all();
}

void CFRunLoopAddPoll(CFRunLoopRef rl, CFRunLoopPollProc proc, void* context)
{
    if (!rl || !proc) return;
    std::lock_guard<std::mutex> lock(rl->mutex);
    rl->polls.emplace_back(proc, context);
}

void CFRunLoopRemovePoll(CFRunLoopRef rl, CFRunLoopPollProc proc, void* context)
{
    if (!rl) return;
    std::lock_guard<std::mutex> lock(rl->mutex);
    rl->polls.erase(std::remove(rl->polls.begin(), rl->polls.end(), std::make_pair(proc, context)), rl->polls.end());
}

void CFRunLoopPerform(CFRunLoopRef rl, std::function<void()> work)
{
    if (!rl || !work) return;
    std::lock_guard<std::mutex> lock(rl->mutex);
    rl->work.push_back(std::move(work));
    rl->wake.notify_all();
}
