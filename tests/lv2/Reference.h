// The effect hosted directly through the test host library, for the outputs the plug-in must
// reproduce.
#pragma once

#include <memory>
#include <optional>

#include "host/AUHost.h"
#include "lv2/Lv2Harness.h"

class Reference {
public:
    explicit Reference(uint32_t channels, double rate = 44100.0, std::optional<double> tempo = std::nullopt);

    void Set(AudioUnitParameterID id, float value);
    void SetTempo(std::optional<double> bpm);
    // Renders frames [at, at + frames) of `in` into `out` in one render call.
    void Render(const Signal& in, Signal& out, size_t at, uint32_t frames);
    Signal Process(const Signal& in, uint32_t block);
    AudioUnit Unit() const { return mHost->Unit(); }

private:
    std::unique_ptr<AUHost> mHost;
    const Signal* mInput = nullptr;
    size_t mAt = 0;
};
