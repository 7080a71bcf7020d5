// An error that ends the command: a one-line message and the process exit status.
#pragma once

#include <stdexcept>
#include <string>

#include "platform/cf/MacTypes.h"

class CliError : public std::runtime_error {
public:
    static constexpr int kBadInput = 2;  // the user's input or files are at fault
    static constexpr int kEffect = 1;    // the effect reported a failure

    explicit CliError(const std::string& message, int exitStatus = kBadInput)
        : std::runtime_error(message), mExitStatus(exitStatus)
    {
    }
    // "<what>: status <code> (<name>)", exit 1.
    static CliError Effect(const std::string& what, OSStatus status);

    int ExitStatus() const { return mExitStatus; }

private:
    int mExitStatus;
};

// The symbolic name of a status the framework or platform returns, or "unknown status".
const char* StatusName(OSStatus status);
