// Musical time: note lengths from beats, divisor and triplet, and the host tempos the effect takes.
#pragma once

namespace TempoSync {

// Host tempos outside this range are clamped into it; a tempo that is not a positive number
// (0, negative, NaN) counts as no tempo at all, as when the host gives none.
constexpr double kMinTempo = 1.0;     // beats per minute
constexpr double kMaxTempo = 1000.0;  // beats per minute

// The tempo to use for a host's answer, or 0 when the answer is no tempo.
double UsableTempo(double tempo);

// Seconds of `beats` notes of 1/2^divisor of a whole note (2/3 of it as a triplet) at `tempo`
// beats per minute, a whole note being four beats.
double NoteSeconds(double beats, double divisor, bool triplet, double tempo);

}  // namespace TempoSync
