// The bypass switch: enabled, the output is the effect's; bypassed, the input passes through
// and the effect does not run. A switch either way fades linearly over kFadeSeconds. Settled,
// it costs a comparison per span. Runs on the audio thread only, on buffers made up front.
#pragma once

#include <cstdint>
#include <vector>

class Lv2Bypass {
public:
    static constexpr double kFadeSeconds = 0.005;

    // Holds up to `maxFrames` frames of dry input per channel for a fade.
    Lv2Bypass(double sampleRate, uint32_t channels, uint32_t maxFrames);

    // The switch's value for the coming run. The first value after construction or Reset() is
    // taken at once: there is no earlier output to fade from.
    void Set(bool enabled);
    void Reset() { mSettled = false; }

    // The effect renders only while this is true: enabled, or fading either way.
    bool EffectRuns() const { return mGain > 0.f || mTarget > 0.f; }
    bool Fading() const { return mGain != mTarget; }

    // Around a fading span of at most maxFrames frames: keeps its input before the effect
    // renders (the buffers may be shared) and blends it into the effect's output after.
    void KeepDry(const float* const* in, uint32_t frames);
    void Blend(float* const* out, uint32_t frames);

    // Bypassed and settled: the input as it is.
    void PassThrough(const float* const* in, float* const* out, uint32_t frames) const;

private:
    uint32_t mChannels;
    float mStep;      // gain change per frame
    float mGain = 1;  // of the effect's output: 1 enabled, 0 bypassed
    float mTarget = 1;
    bool mSettled = false;  // a value has been taken
    std::vector<std::vector<float>> mDry;
};
