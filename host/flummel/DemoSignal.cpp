#include "host/flummel/DemoSignal.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr double kRate = 48000.0;
constexpr double kPi = 3.14159265358979323846;
constexpr size_t kStep = size_t(kRate * 60.0 / kDemoTempo / 4);  // one sixteenth
constexpr size_t kSteps = 32;                                      // two bars

// A small deterministic noise source.
struct Noise {
    uint32_t state = 0x12345678u;
    float Next()
    {
        state = state * 1664525u + 1013904223u;
        return float(int32_t(state)) * (1.0f / 2147483648.0f);
    }
};

void Add(AudioSignal& s, size_t at, float v, float pan)  // pan -1 left .. 1 right
{
    if (at >= s.Frames()) return;
    s.channels[0][at] += v * (1.f - pan) * 0.5f;
    s.channels[1][at] += v * (1.f + pan) * 0.5f;
}

void Kick(AudioSignal& s, size_t at)
{
    double phase = 0;
    for (size_t i = 0; i < size_t(0.35 * kRate); ++i) {
        const double t = double(i) / kRate;
        phase += 2 * kPi * (45.0 + 110.0 * std::exp(-t * 30.0)) / kRate;
        Add(s, at + i, float(0.9 * std::exp(-t * 9.0) * std::sin(phase)), 0.f);
    }
}

void Snare(AudioSignal& s, size_t at, Noise& noise)
{
    for (size_t i = 0; i < size_t(0.2 * kRate); ++i) {
        const double t = double(i) / kRate;
        const double body = 0.3 * std::exp(-t * 25.0) * std::sin(2 * kPi * 190.0 * t);
        const double rattle = 0.35 * std::exp(-t * 18.0) * noise.Next();
        Add(s, at + i, float(body + rattle), 0.1f);
    }
}

void HiHat(AudioSignal& s, size_t at, Noise& noise, float level)
{
    float previous = 0;
    for (size_t i = 0; i < size_t(0.05 * kRate); ++i) {
        const float n = noise.Next();
        const float high = n - previous;  // first difference: keeps the highs
        previous = n;
        Add(s, at + i, level * float(std::exp(-double(i) / kRate * 70.0)) * high, 0.35f);
    }
}

// Karplus-Strong string: a noise burst circulating in a damped delay line.
void Pluck(AudioSignal& s, size_t at, double hz, float pan, Noise& noise)
{
    const size_t period = size_t(kRate / hz + 0.5);
    std::vector<float> line(period);
    for (float& v : line) v = noise.Next() * 0.5f;
    for (size_t i = 0; i < size_t(1.2 * kRate); ++i) {
        const size_t k = i % period;
        const float out = line[k];
        line[k] = 0.996f * 0.5f * (out + line[(k + 1) % period]);
        Add(s, at + i, out, pan);
    }
}

}  // namespace

AudioSignal DemoSignal()
{
    AudioSignal s;
    s.sampleRate = kRate;
    s.channels.assign(2, std::vector<float>(kStep * kSteps + size_t(0.5 * kRate), 0.f));
    Noise noise;
    // A minor pentatonic phrase, one note per listed step.
    const struct {
        size_t step;
        double hz;
    } notes[] = {{0, 220.0}, {3, 261.63}, {6, 293.66}, {8, 329.63}, {11, 392.0}, {14, 329.63},
                 {16, 293.66}, {19, 261.63}, {22, 220.0}, {24, 196.0}, {27, 220.0}, {30, 261.63}};
    for (size_t step = 0; step < kSteps; ++step) {
        const size_t at = step * kStep;
        if (step % 8 == 0 || step == 10 || step == 26) Kick(s, at);
        if (step % 8 == 4) Snare(s, at, noise);
        if (step % 2 == 0) HiHat(s, at, noise, step % 4 == 2 ? 0.25f : 0.12f);
    }
    for (size_t n = 0; n < sizeof notes / sizeof notes[0]; ++n)
        Pluck(s, notes[n].step * kStep, notes[n].hz, n % 2 ? 0.4f : -0.4f, noise);
    return s;
}
