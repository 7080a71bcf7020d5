// A control over a run of consecutive parameters, each with its own normalised value.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "gui/ControlBase.h"

namespace TW {

class MultiControl : public ControlBase {
public:
    // Binds the manager's proxies for ids firstId .. firstId + count - 1 (ids the manager lacks
    // are left out) and listens to each.
    MultiControl(Manager* m, int firstId, int count);

    // Uses the delivered value.
    void ParameterChange(const AudioUnitParameter* param, float value) override;

    // params[i] is parameter firstId + i.
    std::vector<CAAUParameter> params;
    // Written on the main thread, drawn on the render thread.
    std::unique_ptr<std::atomic<float>[]> values;
    int count;
};

}  // namespace TW
