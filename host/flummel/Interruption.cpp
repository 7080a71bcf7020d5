#include "host/flummel/Interruption.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

namespace {

std::atomic<int> gCaught{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void OnSignal(int signal)
{
    int none = 0;
    gCaught.compare_exchange_strong(none, signal, std::memory_order_relaxed);
}

void Catch(int signal)
{
    struct sigaction current {};
    if (sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) return;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(signal, &action, nullptr);
}

}  // namespace

void Interruption::Install()
{
    Catch(SIGINT);
    Catch(SIGTERM);
}

int Interruption::Pending()
{
    return gCaught.load(std::memory_order_relaxed);
}

void Interruption::ThrowIfPending()
{
    if (const int signal = Pending()) throw Signalled{signal};
}

void Interruption::Reraise(int signal)
{
    std::fflush(nullptr);
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(signal);
    _exit(128 + signal);  // only if the signal could not end the process
}
