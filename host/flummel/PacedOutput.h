// An output without a device: a thread that renders a block whenever real time has reached it
// and drops the sound, so the effect and its editor run as they would on a sound card.
#pragma once

#include <atomic>
#include <thread>

#include "host/flummel/AudioOutput.h"

class PacedOutput : public AudioOutput {
public:
    static constexpr unsigned kBlock = 256;  // frames per render call

    explicit PacedOutput(double sampleRate, unsigned channels);
    ~PacedOutput() override;

    double SampleRate() const override { return mSampleRate; }
    void Start(LoopPlayer& player) override;
    void Stop() override;

private:
    void Run(LoopPlayer& player);

    double mSampleRate;
    unsigned mChannels;
    std::atomic<bool> mStop{false};
    std::thread mThread;
};
