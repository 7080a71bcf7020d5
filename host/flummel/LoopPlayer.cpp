#include "host/flummel/LoopPlayer.h"

#include <algorithm>
#include <cstring>

LoopPlayer::LoopPlayer(AUHost& host, const AudioSignal& signal)
    : mHost(host), mSignal(signal), mChannels(UInt32(signal.channels.size()))
{
    mHost.SetInputSource([this](float* const* channels, UInt32 count, UInt32 frames, Float64) {
        return Feed(channels, count, frames);
    });
}

LoopPlayer::~LoopPlayer() { mHost.SetInputSource({}); }

bool LoopPlayer::Feed(float* const* channels, UInt32 channelCount, UInt32 frames)
{
    const size_t length = mSignal.Frames();
    if (length == 0) {
        for (UInt32 c = 0; c < channelCount; ++c) std::memset(channels[c], 0, frames * sizeof(float));
        return true;
    }
    for (UInt32 done = 0; done < frames;) {
        const UInt32 n = UInt32(std::min<size_t>(frames - done, length - mPosition));
        for (UInt32 c = 0; c < channelCount; ++c) {
            if (c < mSignal.channels.size())
                std::memcpy(channels[c] + done, mSignal.channels[c].data() + mPosition, n * sizeof(float));
            else
                std::memset(channels[c] + done, 0, n * sizeof(float));
        }
        done += n;
        mPosition = (mPosition + n) % length;
    }
    return false;
}

void LoopPlayer::Render(float* const* out, UInt32 frames)
{
    float* block[AUHost::kMaxChannels];
    for (UInt32 done = 0; done < frames;) {
        const UInt32 n = std::min(frames - done, kMaxBlock);
        for (UInt32 c = 0; c < mChannels; ++c) block[c] = out[c] + done;
        if (mHost.Render(block, mChannels, n) != noErr) {
            mFailures.fetch_add(1, std::memory_order_relaxed);
            for (UInt32 c = 0; c < mChannels; ++c) std::memset(block[c], 0, n * sizeof(float));
        }
        done += n;
    }
}
