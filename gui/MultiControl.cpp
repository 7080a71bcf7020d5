#include "gui/MultiControl.h"

#include <algorithm>

#include "gui/Manager.h"

namespace TW {

MultiControl::MultiControl(Manager* m, int firstId, int n) : ControlBase(m)
{
    const int size = int(m->params.size());
    const int first = std::clamp(firstId, 0, size);
    count = firstId < 0 ? 0 : std::clamp(n, 0, size - first);
    params.assign(m->params.begin() + first, m->params.begin() + first + count);
    values = std::make_unique<std::atomic<float>[]>(size_t(count));
    for (int i = 0; i < count; ++i) {
        values[i].store(0, std::memory_order_relaxed);
        m->AddToListener(this, params[size_t(i)]);
    }
}

void MultiControl::ParameterChange(const AudioUnitParameter* param, float value)
{
    if (count == 0) return;
    const long i = long(param->mParameterID) - long(params[0].mParameterID);
    if (i < 0 || i >= count) return;
    values[i].store(AUParameterValueToLinear(value, param), std::memory_order_relaxed);
}

}  // namespace TW
