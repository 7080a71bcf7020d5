// SIGINT and SIGTERM turned into a flag, so a render stops between blocks, unwinds (removing its
// temporary files) and then ends by the same signal, as the shell expects.
#pragma once

class Interruption {
public:
    // Thrown by ThrowIfPending. Deliberately not a std::exception, so no general handler on the way
    // out swallows it; main catches it and calls Reraise.
    struct Signalled {
        int signal;
    };

    // Catches SIGINT and SIGTERM unless the process was started ignoring them. Each handler
    // disarms itself, so a second signal of the same kind ends the process at once.
    static void Install();

    // The first signal caught, or 0.
    static int Pending();

    // Throws Signalled if a signal has been caught.
    static void ThrowIfPending();

    // Restores the default action for `signal` and raises it; does not return.
    [[noreturn]] static void Reraise(int signal);
};
