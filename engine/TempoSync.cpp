#include "engine/TempoSync.h"

#include <algorithm>
#include <cmath>

namespace TempoSync {

double UsableTempo(double tempo)
{
    if (!(tempo > 0.0)) return 0.0;
    return std::clamp(tempo, kMinTempo, kMaxTempo);
}

double NoteSeconds(double beats, double divisor, bool triplet, double tempo)
{
    return std::exp2(-divisor) * beats * (triplet ? 160.0 : 240.0) / tempo;
}

}  // namespace TempoSync
