// The options of `flummel render`, parsed from the command line.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/flummel/EffectOptions.h"
#include "platform/cf/MacTypes.h"

struct RenderOptions : EffectOptions {
    static constexpr UInt32 kMaxBlock = 4096;  // the maximum frames per slice the renderer sets

    std::string input;   // empty: the built-in demo
    std::string output;
    UInt32 block = 512;
    std::optional<double> tail;  // seconds; none: until the output has rung out
    std::string plot;
    bool quiet = false;
};

// Parses the arguments after "render"; throws CliError naming the problem.
RenderOptions ParseRenderOptions(const std::vector<std::string>& args);

// A whole finite number, or throws CliError "<what>: '<text>' is not a number".
double ParseNumber(const std::string& text, const std::string& what);
