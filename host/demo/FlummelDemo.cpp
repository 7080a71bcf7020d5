// Renders a short built-in phrase through the effect, hosted through its component entry, and
// writes the result as a 32-bit float WAV file.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/FlummelParameters.h"
#include "engine/TrWkFlummelEntry.h"
#include "host/AUHost.h"

namespace {

constexpr double kRate = 48000.0;

std::vector<std::vector<float>> DemoPhrase(size_t frames)
{
    std::vector<std::vector<float>> s(2, std::vector<float>(frames, 0.f));
    const double notes[] = {220.0, 277.18, 329.63, 440.0};
    const size_t beat = size_t(kRate / 2);  // 120 BPM
    for (size_t n = 0; n < 8; ++n) {
        const double f = notes[n % 4];
        for (size_t i = 0; i < beat / 2 && n * beat + i < frames; ++i) {
            const double t = double(i) / kRate;
            const float v = float(0.4 * std::exp(-6.0 * t) * std::sin(2 * M_PI * f * t));
            s[0][n * beat + i] += v;
            s[1][n * beat + i] += v * 0.8f;
        }
    }
    return s;
}

bool WriteWav(const char* path, const std::vector<std::vector<float>>& planar)
{
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    const UInt32 channels = UInt32(planar.size()), frames = UInt32(planar[0].size());
    const UInt32 dataBytes = frames * channels * 4, rate = UInt32(kRate);
    auto u32 = [&](UInt32 v) { std::fwrite(&v, 4, 1, f); };
    auto u16 = [&](UInt16 v) { std::fwrite(&v, 2, 1, f); };
    std::fwrite("RIFF", 1, 4, f);
    u32(36 + dataBytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16), u16(3), u16(UInt16(channels)), u32(rate), u32(rate * channels * 4), u16(UInt16(channels * 4)), u16(32);
    std::fwrite("data", 1, 4, f);
    u32(dataBytes);
    for (UInt32 i = 0; i < frames; ++i)
        for (UInt32 c = 0; c < channels; ++c) std::fwrite(&planar[c][i], 4, 1, f);
    return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* path = argc > 1 ? argv[1] : "flummel-demo.wav";
    RegisterTrWkFlummel();
    std::unique_ptr<AUHost> host;
    OSStatus err = AUHost::Open(TrWkFlummelDescription(), host);
    if (err == noErr) err = host->SetFormat(kRate, 2);
    if (err == noErr) err = host->SetTempo(120.0);
    if (err == noErr) err = host->Initialize();
    if (err != noErr) {
        std::fprintf(stderr, "flummel-demo: the effect failed to start (status %d)\n", int(err));
        return 1;
    }
    host->SetParameter(kParam_HostTempo, 1.f);  // 4 x 1/8 = one bar's half at 120 BPM: 1 s
    host->SetParameter(kParam_BeatDivisor, 3.f);
    host->SetParameter(kParam_Feedback, 60.f);
    host->SetParameter(kParam_FilterType, 1.6f);
    host->SetParameter(kParam_FilterLfoAmount, 1.5f);
    host->SetParameter(kParam_LfoHostTempo, 1.f);

    const auto in = DemoPhrase(size_t(kRate * 8));
    std::vector<std::vector<float>> out;
    if ((err = host->Process(in, out, 512)) != noErr) {
        std::fprintf(stderr, "flummel-demo: render failed (status %d)\n", int(err));
        return 1;
    }
    float peak = 0;
    for (const auto& ch : out)
        for (float v : ch) peak = std::max(peak, std::fabs(v));
    if (!WriteWav(path, out)) {
        std::fprintf(stderr, "flummel-demo: cannot write %s\n", path);
        return 2;
    }
    std::printf("flummel-demo: wrote %s (8 s, 48 kHz stereo, peak %.3f)\n", path, double(peak));
    return 0;
}
