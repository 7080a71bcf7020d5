// The options every command that hosts the effect shares: parameter settings, tempo and presets.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

struct EffectOptions {
    std::vector<std::pair<std::string, std::string>> sets;  // NAME, VALUE as given
    std::optional<double> tempo;
    std::string preset;
    std::string savePreset;
};

// If args[i] is one of --set, --tempo, --preset or --save-preset, reads it and its value into `o`,
// leaves `i` on the value and returns true. Throws CliError for a missing or bad value.
bool ParseEffectOption(const std::vector<std::string>& args, size_t& i, EffectOptions& o);
