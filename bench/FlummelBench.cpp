// Throughput of the delay kernel and of a whole stereo render call.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "engine/TrWkFlummel.h"
#include "engine/TrWkFlummelEntry.h"
#include "framework/DenormalGuard.h"
#include "host/AUHost.h"

namespace {

constexpr double kRate = 48000.0;
constexpr UInt32 kFrames = 512;

std::unique_ptr<AUHost> OpenConfigured()
{
    RegisterTrWkFlummel();
    std::unique_ptr<AUHost> host;
    AUHost::Open(TrWkFlummelDescription(), host);
    host->SetFormat(kRate, 2);
    host->SetParameter(kParam_DelayTime, 1.f);
    host->SetParameter(kParam_Feedback, 80.f);
    host->SetParameter(kParam_FilterType, 1.5f);
    host->SetParameter(kParam_SaturationAmount, 3.f);
    host->SetParameter(kParam_FilterLfoAmount, 1.f);
    std::vector<std::vector<float>> noise(2, std::vector<float>(size_t(kRate)));
    UInt32 seed = 1;
    for (auto& ch : noise)
        for (float& v : ch) v = float((seed = seed * 1664525u + 1013904223u) >> 8) / float(1 << 24) - 0.5f;
    host->SetInputSignal(noise);
    host->Initialize();
    return host;
}

TrWkFlummel* EffectOf(AUHost& host)
{
    return static_cast<TrWkFlummel*>(static_cast<ComponentBase*>(GetComponentInstanceStorage(host.Unit())));
}

// One channel's kernel, called as the effect base calls it.
void BM_KernelProcess(benchmark::State& state)
{
    auto host = OpenConfigured();
    std::vector<float> l(kFrames), r(kFrames);
    float* out[2] = {l.data(), r.data()};
    host->Render(out, 2, kFrames);  // sets the loop length and LFO
    TrWkFlummel::CFlummelKernel* kernel = EffectOf(*host)->Kernel(0);
    std::vector<float> buffer(kFrames, 0.25f);
    DenormalGuard denormals;
    for (auto _ : state) {
        bool silence = false;
        kernel->Process(buffer.data(), buffer.data(), kFrames, 1, silence);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kFrames);
    state.SetLabel("samples/s per channel");
}
BENCHMARK(BM_KernelProcess);

// A whole stereo render call through the host calls: input pull, both kernels, overview.
void BM_StereoRender(benchmark::State& state)
{
    auto host = OpenConfigured();
    std::vector<float> l(kFrames), r(kFrames);
    float* out[2] = {l.data(), r.data()};
    for (auto _ : state) {
        host->Render(out, 2, kFrames);
        benchmark::DoNotOptimize(l.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kFrames);
    state.SetLabel("frames/s (stereo)");
}
BENCHMARK(BM_StereoRender);

}  // namespace

BENCHMARK_MAIN();
