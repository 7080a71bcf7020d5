// The effect fed with a signal that repeats without end: what `flummel edit` plays. Render runs on
// an audio thread and neither allocates nor locks.
#pragma once

#include <atomic>

#include "host/AUHost.h"
#include "host/flummel/AudioFile.h"

class LoopPlayer {
public:
    static constexpr UInt32 kMaxBlock = 4096;  // the maximum frames per slice the player sets

    // Installs the looped input on `host`, whose format must have the signal's channel count.
    // Both must outlive the player.
    LoopPlayer(AUHost& host, const AudioSignal& signal);
    ~LoopPlayer();
    LoopPlayer(const LoopPlayer&) = delete;
    LoopPlayer& operator=(const LoopPlayer&) = delete;

    UInt32 Channels() const { return mChannels; }

    // Fills one planar buffer per channel with the effect's next `frames` of output; silence
    // where a render call fails.
    void Render(float* const* out, UInt32 frames);

    // Render calls the unit failed so far.
    UInt32 Failures() const { return mFailures.load(std::memory_order_relaxed); }

private:
    bool Feed(float* const* channels, UInt32 channelCount, UInt32 frames);

    AUHost& mHost;
    const AudioSignal& mSignal;
    const UInt32 mChannels;
    size_t mPosition = 0;  // audio thread only
    std::atomic<UInt32> mFailures{0};
};
