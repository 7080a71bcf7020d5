// flummel: renders audio through the Flummel effect from the command line, or plays it live
// with the effect's editor.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/TrWkFlummelEntry.h"
#include "host/AUHost.h"
#include "host/flummel/CliError.h"
#include "host/flummel/EditJob.h"
#include "host/flummel/EffectParameters.h"
#include "host/flummel/FactoryPresets.h"
#include "host/flummel/Interruption.h"
#include "host/flummel/RenderJob.h"

namespace {

const char kUsage[] =
    "usage:\n"
    "  flummel render [INPUT] OUTPUT [options]\n"
    "      INPUT               audio file to process (any format libsndfile reads);\n"
    "                          omitted: a built-in demo (drums and plucks, 48 kHz stereo, 120 BPM)\n"
    "      OUTPUT              file to write, format from its extension (.wav: 32-bit float)\n"
    "      --set NAME=VALUE    set a parameter by name or id, in its units (repeatable)\n"
    "      --tempo BPM         host tempo given to the effect\n"
    "      --block FRAMES      frames per render call (default 512, 1 to 4096)\n"
    "      --tail SECONDS      silence rendered after the input (default: until the output\n"
    "                          stays below -90 dBFS for one loop length, at most 60 s)\n"
    "      --preset NAME|FILE  restore a factory preset (flummel presets), a saved state or\n"
    "                          an LV2 host's state or preset (.ttl) before --set applies\n"
    "      --save-preset FILE  write the effect's state after --preset and --set\n"
    "      --plot FILE.png     picture of the input and output waveforms\n"
    "      --quiet             no progress bar and no summary\n"
    "  flummel edit [INPUT] [options]\n"
    "      the editor in a window, INPUT (default: the demo) playing through the effect in a\n"
    "      loop: on a running JACK server (same rate as the server, else played unconverted),\n"
    "      without one paced in real time and silent; ends when the window closes or on Ctrl-C\n"
    "      --set, --tempo, --preset, --save-preset   as for render; the preset is saved at the end\n"
    "      --screenshot FILE.png  picture of the window after --after SECONDS (default 1), then exit\n"
    "  flummel params          the parameters: id, name, unit, minimum, maximum, default\n"
    "  flummel presets         the factory presets: name and label\n"
    "  flummel --help | --version\n";

int PrintParameters()
{
    RegisterTrWkFlummel();
    std::unique_ptr<AUHost> host;
    const OSStatus err = AUHost::Open(TrWkFlummelDescription(), host);
    if (err != noErr) throw CliError::Effect("opening the effect", err);
    const EffectParameters parameters(host->Unit());
    std::printf("%-3s  %-20s  %-9s  %9s  %9s  %9s\n", "id", "name", "unit", "minimum", "maximum", "default");
    for (const EffectParameter& p : parameters.All()) {
        std::printf("%-3u  %-20s  %-9s  %9g  %9g  %9g", unsigned(p.id), p.name.c_str(), UnitName(p.unit),
                    double(p.minValue), double(p.maxValue), double(p.defaultValue));
        if (!p.valueStrings.empty()) {
            std::printf("  (");
            for (size_t i = 0; i < p.valueStrings.size(); ++i)
                std::printf("%s%s", i ? ", " : "", p.valueStrings[i].c_str());
            std::printf(")");
        }
        std::printf("\n");
    }
    return 0;
}

int PrintPresets()
{
    const std::vector<FactoryPreset> presets = FactoryPresets::List();
    if (presets.empty()) throw CliError("no factory presets in " + FactoryPresets::Directory());
    for (const FactoryPreset& p : presets) std::printf("%-18s  %s\n", p.name.c_str(), p.label.c_str());
    return 0;
}

int Run(const std::vector<std::string>& args)
{
    try {
        if (args.empty()) throw CliError(std::string("no command\n") + kUsage);
        const std::string& command = args[0];
        if (command == "--help" || command == "-h" || command == "help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (command == "--version") {
            std::printf("flummel %s\n", FLUMMEL_VERSION);
            return 0;
        }
        if (command == "params") {
            if (args.size() > 1) throw CliError("params takes no arguments");
            return PrintParameters();
        }
        if (command == "presets") {
            if (args.size() > 1) throw CliError("presets takes no arguments");
            return PrintPresets();
        }
        if (command == "render") {
            Interruption::Install();
            RunRender(ParseRenderOptions(std::vector<std::string>(args.begin() + 1, args.end())));
            return 0;
        }
        if (command == "edit") {
            Interruption::Install();
            RunEdit(ParseEditOptions(std::vector<std::string>(args.begin() + 1, args.end())));
            return 0;
        }
        throw CliError("unknown command '" + command + "' (flummel --help)");
    } catch (const Interruption::Signalled& s) {
        return 128 + s.signal;  // main ends the process by the signal
    } catch (const CliError& e) {
        std::fprintf(stderr, "flummel: %s\n", e.what());
        return e.ExitStatus();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "flummel: %s\n", e.what());
        return 1;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const int status = Run(std::vector<std::string>(argv + 1, argv + argc));
    // A render or session stopped by a signal, or one that finished just as it came, ends by that signal.
    if (const int signal = Interruption::Pending()) Interruption::Reraise(signal);
    return status;
}
