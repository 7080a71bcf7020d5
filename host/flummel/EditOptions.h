// The options of `flummel edit`, parsed from the command line.
#pragma once

#include <string>
#include <vector>

#include "host/flummel/EffectOptions.h"

struct EditOptions : EffectOptions {
    std::string input;       // empty: the built-in demo
    std::string screenshot;  // empty: run until the window closes or a signal comes
    double after = 1.0;      // seconds before the screenshot
};

// Parses the arguments after "edit"; throws CliError naming the problem.
EditOptions ParseEditOptions(const std::vector<std::string>& args);
