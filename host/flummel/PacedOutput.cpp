#include "host/flummel/PacedOutput.h"

#include <chrono>
#include <vector>

#include "host/AUHost.h"
#include "host/flummel/LoopPlayer.h"

PacedOutput::PacedOutput(double sampleRate, unsigned channels) : mSampleRate(sampleRate), mChannels(channels) {}

PacedOutput::~PacedOutput() { Stop(); }

void PacedOutput::Start(LoopPlayer& player)
{
    Stop();
    mStop.store(false, std::memory_order_relaxed);
    mThread = std::thread([this, &player] { Run(player); });
}

void PacedOutput::Stop()
{
    mStop.store(true, std::memory_order_relaxed);
    if (mThread.joinable()) mThread.join();
}

void PacedOutput::Run(LoopPlayer& player)
{
    std::vector<float> storage(size_t(kBlock) * mChannels);
    float* out[AUHost::kMaxChannels];
    for (unsigned c = 0; c < mChannels; ++c) out[c] = storage.data() + size_t(c) * kBlock;
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    // Block times come from the block count, so sleeping late never makes the playback drift.
    for (unsigned long long blocks = 0; !mStop.load(std::memory_order_relaxed); ++blocks) {
        player.Render(out, kBlock);
        const double seconds = double(blocks + 1) * kBlock / mSampleRate;
        std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(
                                                  std::chrono::duration<double>(seconds)));
    }
}
