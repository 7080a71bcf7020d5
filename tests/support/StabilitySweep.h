// Runs the effect at settings across its legal ranges with full-scale noise or a full-scale sine
// at the cutoff, then silence, and reports the output's peaks: during the input, in a short tail
// and in a long tail. Shared by the engine tests (a sample of the grid) and bench/ (all of it).
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/TrWkFlummel.h"
#include "engine/TrWkFlummelEntry.h"
#include "host/AUHost.h"

namespace StabilitySweep {

struct Case {
    double rate;
    float type, cutoff, q, saturation, shape, feedback, lfoAmount, delay;
    bool sine;  // else noise

    std::string Describe() const
    {
        char s[200];
        std::snprintf(s, sizeof s, "%g Hz %s type %g cutoff %g Q %g sat %g/%g fb %g lfo %g delay %g", rate,
                      sine ? "sine" : "noise", type, cutoff, q, saturation, shape, feedback, lfoAmount, delay);
        return s;
    }
};

struct Peaks {
    float overall = 0, shortTail = 0, longTail = 0;
    bool finite = true;

    // Finite and within the effect's bound for the case.
    bool Bounded(const Case& c) const
    {
        return finite && overall <= (c.lfoAmount == 0.f ? TrWkFlummel::kFixedSettingsBound : TrWkFlummel::kOutputBound);
    }
    // Without feedback the tail is the filter ringing out: it must die away, not grow. With full
    // feedback the loop re-records its filtered output, which may build up pass after pass until
    // the saturator holds it; the bound covers those.
    bool Settled(const Case& c) const { return c.feedback == 100.f || longTail <= 1.1f * shortTail + 1e-3f; }
};

// Every combination of the settings that matter.
inline std::vector<Case> Grid()
{
    std::vector<Case> all;
    for (double rate : {22050.0, 44100.0, 48000.0, 96000.0, 192000.0})
        for (float type : {0.f, 0.5f, 1.f, 1.5f, 2.f, 2.5f, 3.f, 3.5f, 4.f})
            for (float cutoff : {50.f, 1000.f, 6000.f, 11000.f, 12000.f})
                for (float q : {0.01f, 0.1f, 0.9f, 1.f})
                    for (float saturation : {0.f, 11.f})
                        for (float shape : {0.f, 1.f})
                            for (float feedback : {0.f, 100.f})
                                for (float lfo : {0.f, -3.f, 3.f})
                                    for (float delay : {0.f, 0.3f})
                                        for (bool sine : {false, true})
                                            all.push_back(
                                                {rate, type, cutoff, q, saturation, shape, feedback, lfo, delay, sine});
    return all;
}

// Every `stride`-th case of the grid, starting at `offset`.
inline std::vector<Case> Sample(size_t stride, size_t offset)
{
    const std::vector<Case> all = Grid();
    std::vector<Case> some;
    for (size_t i = offset % stride; i < all.size(); i += stride) some.push_back(all[i]);
    return some;
}

// Renders `inputSeconds` of the signal, then `tailSeconds` of silence; the short tail is the
// first half of the silence, the long tail the second half.
inline Peaks Run(const Case& c, double inputSeconds, double tailSeconds)
{
    RegisterTrWkFlummel();
    std::unique_ptr<AUHost> host;
    Peaks p;
    if (AUHost::Open(TrWkFlummelDescription(), host) != noErr || host->SetFormat(c.rate, 2) != noErr ||
        host->Initialize() != noErr) {
        p.finite = false;
        return p;
    }
    const std::pair<AudioUnitParameterID, float> settings[] = {
        {kParam_FilterType, c.type},       {kParam_FilterCutoff, c.cutoff},   {kParam_FilterQ, c.q},
        {kParam_SaturationAmount, c.saturation}, {kParam_SaturationShape, c.shape}, {kParam_Feedback, c.feedback},
        {kParam_FilterLfoAmount, c.lfoAmount},   {kParam_FilterLfoSpeed, 20.f},     {kParam_DelayTime, c.delay},
    };
    for (auto [id, v] : settings) host->SetParameter(id, v);

    const size_t inputFrames = size_t(inputSeconds * c.rate), tailFrames = size_t(tailSeconds * c.rate);
    std::vector<std::vector<float>> in(2, std::vector<float>(inputFrames + tailFrames, 0.f));
    uint32_t seed = 12345;
    const double w = 2.0 * M_PI * double(c.cutoff) / c.rate;
    for (size_t i = 0; i < inputFrames; ++i) {
        for (auto& ch : in) {
            seed = seed * 1664525u + 1013904223u;
            ch[i] = c.sine ? float(std::sin(w * double(i))) : float(seed >> 8) / float(1 << 23) - 1.f;
        }
    }
    std::vector<std::vector<float>> out;
    if (host->Process(in, out, 512) != noErr) {
        p.finite = false;
        return p;
    }
    const size_t total = inputFrames + tailFrames;
    for (const auto& ch : out) {
        for (size_t i = 0; i < total; ++i) {
            const float a = std::fabs(ch[i]);
            if (!std::isfinite(a)) p.finite = false;
            p.overall = std::max(p.overall, a);
            if (i >= inputFrames) {
                float& tail = i < inputFrames + tailFrames / 2 ? p.shortTail : p.longTail;
                tail = std::max(tail, a);
            }
        }
    }
    return p;
}

}  // namespace StabilitySweep
