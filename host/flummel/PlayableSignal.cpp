#include "host/flummel/PlayableSignal.h"

#include "engine/FlummelShared.h"
#include "host/AUHost.h"
#include "host/flummel/CliError.h"

void CheckPlayableSignal(const AudioSignal& signal, const std::string& name)
{
    if (signal.sampleRate > TW::kMaxSampleRate)
        throw CliError(name + ": sample rate " + std::to_string(long(signal.sampleRate)) + " Hz is above " +
                       std::to_string(long(TW::kMaxSampleRate)) + " Hz");
    if (signal.sampleRate < TW::kMinSampleRate)
        throw CliError(name + ": sample rate " + std::to_string(long(signal.sampleRate)) + " Hz is below " +
                       std::to_string(long(TW::kMinSampleRate)) + " Hz");
    if (signal.channels.size() > AUHost::kMaxChannels)
        throw CliError(name + ": more than " + std::to_string(AUHost::kMaxChannels) + " channels");
}
