// Throughput of the delay kernel and of whole render calls, busy (filter, LFO, saturation,
// feedback) on loud noise that never stops. Cycles are the time-stamp counter's.
#include <benchmark/benchmark.h>

#include <x86intrin.h>

#include <memory>
#include <vector>

#include "engine/FlummelBlockConstants.h"
#include "engine/FlummelLanes.h"
#include "engine/TrWkFlummel.h"
#include "engine/TrWkFlummelEntry.h"
#include "framework/DenormalGuard.h"
#include "host/AUHost.h"

namespace {

constexpr double kRate = 48000.0;
constexpr size_t kNoiseFrames = 1 << 16;

const std::vector<float>& Noise()
{
    static const std::vector<float> noise = [] {
        std::vector<float> v(kNoiseFrames);
        UInt32 seed = 1;
        for (float& x : v) x = 1.2f * (float((seed = seed * 1664525u + 1013904223u) >> 8) / float(1 << 24) - 0.5f);
        return v;
    }();
    return noise;
}

// Every channel reads the noise from its own offset, on and on.
std::unique_ptr<AUHost> OpenBusy(UInt32 channels)
{
    RegisterTrWkFlummel();
    std::unique_ptr<AUHost> host;
    AUHost::Open(TrWkFlummelDescription(), host);
    host->SetFormat(kRate, channels);
    host->SetMaxFramesPerSlice(4096);
    host->SetParameter(kParam_DelayTime, 1.f);
    host->SetParameter(kParam_Feedback, 80.f);
    host->SetParameter(kParam_FilterType, 1.5f);
    host->SetParameter(kParam_SaturationAmount, 3.f);
    host->SetParameter(kParam_FilterLfoAmount, 1.f);
    host->SetInputSource([](float* const* out, UInt32 n, UInt32 frames, Float64 time) {
        const std::vector<float>& noise = Noise();
        for (UInt32 c = 0; c < n; ++c)
            for (UInt32 i = 0; i < frames; ++i)
                out[c][i] = noise[(size_t(time) + i + 4099 * c) % kNoiseFrames];
        return false;  // never silent
    });
    host->Initialize();
    return host;
}

TrWkFlummel* EffectOf(AUHost& host)
{
    return static_cast<TrWkFlummel*>(static_cast<ComponentBase*>(GetComponentInstanceStorage(host.Unit())));
}

void CyclesPer(benchmark::State& state, unsigned long long start, double samples, const char* name)
{
    state.counters[name] = benchmark::Counter(double(__rdtsc() - start) / samples);
}

// One channel's kernel as the effect's render runs it (in one lane, block constants worked out
// every call), on fresh noise every call.
void BM_KernelProcess(benchmark::State& state)
{
    const UInt32 frames = UInt32(state.range(0));
    auto host = OpenBusy(2);
    std::vector<float> l(frames), r(frames);
    float* out[2] = {l.data(), r.data()};
    if (host->Render(out, 2, frames) != noErr) return state.SkipWithError("render refused");  // sets the loop length
    TrWkFlummel& fx = *EffectOf(*host);
    TrWkFlummel::CFlummelKernel* kernel = fx.Kernel(0);
    FlummelSettingTerms terms;
    std::vector<float> buffer(frames);
    float* io = buffer.data();
    const std::vector<float>& noise = Noise();
    size_t offset = 0;
    DenormalGuard denormals;
    const unsigned long long start = __rdtsc();
    for (auto _ : state) {
        std::copy_n(noise.begin() + ptrdiff_t(offset), frames, buffer.begin());
        offset = (offset + frames) % (kNoiseFrames - frames);
        const FlummelBlockConstants k = FlummelBlockConstants::Compute(fx, terms, float(kRate), 0.3f);
        FlummelLanes::Run(k, &kernel, &io, 1, frames);
        benchmark::DoNotOptimize(buffer.data());
    }
    CyclesPer(state, start, double(state.iterations()) * frames, "cycles/sample");
    state.SetItemsProcessed(int64_t(state.iterations()) * frames);
}
BENCHMARK(BM_KernelProcess)->Arg(64)->Arg(512)->Arg(4096);

// The limit of one channel: the filter's dependent chain alone (low, high, band), nothing else.
void BM_FilterChain(benchmark::State& state)
{
    const std::vector<float>& noise = Noise();
    const float f = 0.26f, q = 0.7f;
    float low = 0.f, high = 0.f, band = 0.f;
    const unsigned long long start = __rdtsc();
    for (auto _ : state) {
        for (size_t i = 0; i < 512; ++i) {
            const float v = noise[i];
            low = low + f * band;
            high = v - low - q * band;
            band = f * high + band;
        }
        benchmark::DoNotOptimize(low), benchmark::DoNotOptimize(high), benchmark::DoNotOptimize(band);
    }
    CyclesPer(state, start, double(state.iterations()) * 512, "cycles/sample");
}
BENCHMARK(BM_FilterChain);

// Whole render calls through the host calls: input pull, the kernels, overview.
void BM_Render(benchmark::State& state)
{
    const UInt32 channels = UInt32(state.range(0)), frames = UInt32(state.range(1));
    auto host = OpenBusy(channels);
    std::vector<std::vector<float>> buffers(channels, std::vector<float>(frames));
    std::vector<float*> out;
    for (auto& b : buffers) out.push_back(b.data());
    const unsigned long long start = __rdtsc();
    for (auto _ : state) {
        if (host->Render(out.data(), channels, frames) != noErr) return state.SkipWithError("render refused");
        benchmark::DoNotOptimize(out[0]);
    }
    CyclesPer(state, start, double(state.iterations()) * frames, "cycles/frame");
    state.SetItemsProcessed(int64_t(state.iterations()) * frames);
}
BENCHMARK(BM_Render)->ArgNames({"channels", "frames"})->ArgsProduct({{1, 2, 4, 8}, {64, 512, 4096}});

}  // namespace

BENCHMARK_MAIN();
