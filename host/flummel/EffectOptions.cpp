#include "host/flummel/EffectOptions.h"

#include "host/flummel/CliError.h"
#include "host/flummel/RenderOptions.h"

bool ParseEffectOption(const std::vector<std::string>& args, size_t& i, EffectOptions& o)
{
    const std::string& a = args[i];
    if (a != "--set" && a != "--tempo" && a != "--preset" && a != "--save-preset") return false;
    if (i + 1 >= args.size()) throw CliError("option " + a + " needs a value");
    const std::string& value = args[++i];
    if (a == "--set") {
        const size_t eq = value.find('=');
        if (eq == std::string::npos || eq == 0) throw CliError("--set " + value + ": expected NAME=VALUE");
        o.sets.emplace_back(value.substr(0, eq), value.substr(eq + 1));
    } else if (a == "--tempo") {
        const double t = ParseNumber(value, "--tempo");
        if (!(t > 0)) throw CliError("--tempo: the tempo must be above 0 BPM");
        o.tempo = t;
    } else if (a == "--preset") {
        o.preset = value;
    } else {
        o.savePreset = value;
    }
    return true;
}
