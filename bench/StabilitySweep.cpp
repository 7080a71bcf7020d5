// The whole stability sweep with long tails: every combination of the settings that matter at
// five sample rates, noise and a sine at the cutoff. Prints the worst cases and fails when an
// output is not finite, exceeds the effect's bound, or grows from the short to the long tail.
//   stability_sweep [STRIDE [INPUT_SECONDS TAIL_SECONDS]]   (STRIDE 1: all cases)
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "tests/support/StabilitySweep.h"

int main(int argc, char** argv)
{
    const size_t stride = argc > 1 ? size_t(std::max(1L, std::atol(argv[1]))) : 1;
    const double input = argc > 3 ? std::atof(argv[2]) : 1.0;
    const double tail = argc > 3 ? std::atof(argv[3]) : 6.0;
    const std::vector<StabilitySweep::Case> cases = StabilitySweep::Sample(stride, 0);
    size_t bad = 0;
    float worst = 0, worstGrowth = 0;
    std::string worstCase;
    for (const StabilitySweep::Case& c : cases) {
        const StabilitySweep::Peaks p = StabilitySweep::Run(c, input, tail);
        const float growth = p.longTail / std::max(p.shortTail, 1e-3f);
        const bool ok = p.Bounded(c) && p.Settled(c);
        if (!ok) {
            ++bad;
            std::printf("FAIL %s: peak %g, short tail %g, long tail %g%s\n", c.Describe().c_str(), p.overall,
                        p.shortTail, p.longTail, p.finite ? "" : ", not finite");
        }
        if (p.overall > worst) worstCase = c.Describe();
        worst = std::max(worst, p.overall);
        worstGrowth = std::max(worstGrowth, growth);
    }
    std::printf("%zu cases, %zu failed; highest peak %g (bounds %g with the LFO still, %g sweeping), largest tail "
                "growth x%g\nhighest: %s\n",
                cases.size(), bad, worst, TrWkFlummel::kFixedSettingsBound, TrWkFlummel::kOutputBound, worstGrowth,
                worstCase.c_str());
    return bad == 0 ? 0 : 1;
}
