// The built-in input: two bars of synthesised drums and plucked strings at 120 BPM,
// 48 kHz stereo. Always the same samples.
#pragma once

#include "host/flummel/AudioFile.h"

constexpr double kDemoTempo = 120.0;
AudioSignal DemoSignal();
