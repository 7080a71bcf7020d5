// The limits a signal must meet before the effect can process it.
#pragma once

#include <string>

#include "host/flummel/AudioFile.h"

// Throws CliError naming `name` when a signal's rate or channel count is one the effect
// refuses.
void CheckPlayableSignal(double sampleRate, size_t channels, const std::string& name);
void CheckPlayableSignal(const AudioSignal& signal, const std::string& name);
