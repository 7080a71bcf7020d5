#include "plugins/lv2/Lv2Bypass.h"

#include <algorithm>
#include <cmath>

Lv2Bypass::Lv2Bypass(double sampleRate, uint32_t channels, uint32_t maxFrames)
    : mChannels(channels),
      mStep(float(1.0 / std::max(1.0, std::round(sampleRate * kFadeSeconds)))),
      mDry(channels, std::vector<float>(maxFrames))
{
}

void Lv2Bypass::Set(bool enabled)
{
    mTarget = enabled ? 1.f : 0.f;
    if (!mSettled) mGain = mTarget;
    mSettled = true;
}

void Lv2Bypass::KeepDry(const float* const* in, uint32_t frames)
{
    for (uint32_t c = 0; c < mChannels; ++c) {
        float* dry = mDry[c].data();
        for (uint32_t i = 0; i < frames; ++i) dry[i] = std::isfinite(in[c][i]) ? in[c][i] : 0.f;
    }
}

void Lv2Bypass::Blend(float* const* out, uint32_t frames)
{
    const float from = mGain;
    const float step = mTarget > from ? mStep : -mStep;
    for (uint32_t c = 0; c < mChannels; ++c) {
        const float* dry = mDry[c].data();
        float* wet = out[c];
        float gain = from;
        for (uint32_t i = 0; i < frames; ++i) {
            gain = step > 0 ? std::min(gain + step, mTarget) : std::max(gain + step, mTarget);
            if (gain == 1.f) break;  // the rest is the effect's output as it stands
            wet[i] = gain * wet[i] + (1.f - gain) * dry[i];
        }
        mGain = gain;
    }
}

void Lv2Bypass::PassThrough(const float* const* in, float* const* out, uint32_t frames) const
{
    for (uint32_t c = 0; c < mChannels; ++c)
        if (in[c] != out[c]) std::copy_n(in[c], frames, out[c]);
}
