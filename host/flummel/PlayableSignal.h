// The limits a signal must meet before the effect can process it.
#pragma once

#include <string>

#include "host/flummel/AudioFile.h"

// Throws CliError naming `name` when the signal's rate or channel count is one the effect
// refuses.
void CheckPlayableSignal(const AudioSignal& signal, const std::string& name);
