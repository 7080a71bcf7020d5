#include "host/flummel/PlayableSignal.h"

#include "engine/FlummelShared.h"
#include "host/AUHost.h"
#include "host/flummel/CliError.h"

void CheckPlayableSignal(double sampleRate, size_t channels, const std::string& name)
{
    if (sampleRate > TW::kMaxSampleRate)
        throw CliError(name + ": sample rate " + std::to_string(long(sampleRate)) + " Hz is above " +
                       std::to_string(long(TW::kMaxSampleRate)) + " Hz");
    if (sampleRate < TW::kMinSampleRate)
        throw CliError(name + ": sample rate " + std::to_string(long(sampleRate)) + " Hz is below " +
                       std::to_string(long(TW::kMinSampleRate)) + " Hz");
    if (channels > AUHost::kMaxChannels)
        throw CliError(name + ": more than " + std::to_string(AUHost::kMaxChannels) + " channels");
}

void CheckPlayableSignal(const AudioSignal& signal, const std::string& name)
{
    CheckPlayableSignal(signal.sampleRate, signal.channels.size(), name);
}
