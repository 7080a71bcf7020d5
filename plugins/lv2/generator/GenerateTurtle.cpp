// Build step: opens the effect through its component entry, reads its parameters through the
// host calls and writes the bundle's manifest.ttl and flummel.ttl into the given directory,
// and presets.ttl from the factory presets in PRESET-DIR.
//   flummel-lv2-ttl BUNDLE-DIR BINARY-FILE-NAME UI-BINARY-FILE-NAME PRESET-DIR
#include <cstdio>
#include <fstream>
#include <set>
#include <string>

#include "engine/TrWkFlummelEntry.h"
#include "host/AUHost.h"
#include "plugins/lv2/Lv2FactoryPresets.h"
#include "plugins/lv2/Lv2TurtleWriter.h"

namespace {

bool Write(const std::string& path, const std::string& text)
{
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

// Port symbols must be unique within a plug-in.
bool SymbolsUnique(const Lv2ParameterList& parameters)
{
    for (uint32_t i = 0; i < Lv2Variant::kCount; ++i) {
        const Lv2Variant& v = Lv2Variant::At(i);
        std::set<std::string> symbols{"control", kLv2EnabledSymbol, kLv2NotifySymbol};
        for (uint32_t c = 0; c < v.channels; ++c) symbols.insert({v.inputSymbols[c], v.outputSymbols[c]});
        for (const auto& p : parameters.Parameters())
            if (!symbols.insert(p.symbol).second) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: flummel-lv2-ttl BUNDLE-DIR BINARY-FILE-NAME UI-BINARY-FILE-NAME PRESET-DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    RegisterTrWkFlummel();
    std::unique_ptr<AUHost> host;
    OSStatus err = AUHost::Open(TrWkFlummelDescription(), host);
    Lv2ParameterList parameters;
    if (err == noErr) err = parameters.Fetch(host->Unit());
    if (err != noErr) {
        std::fprintf(stderr, "flummel-lv2-ttl: reading the effect's parameters failed (status %d)\n", int(err));
        return 1;
    }
    if (parameters.Size() == 0 || !SymbolsUnique(parameters)) {
        std::fprintf(stderr, "flummel-lv2-ttl: the parameters give no ports or clashing port symbols\n");
        return 1;
    }
    std::vector<Lv2Preset> presets;
    std::string error;
    if (!Lv2FactoryPresets::Read(argv[4], presets, error)) {
        std::fprintf(stderr, "flummel-lv2-ttl: %s\n", error.c_str());
        return 1;
    }
    const Lv2TurtleWriter::Version version{FLUMMEL_VERSION_MINOR, FLUMMEL_VERSION_MICRO};
    if (!Write(dir + "/manifest.ttl", Lv2TurtleWriter::Manifest(argv[2], argv[3], "flummel.ttl", presets, "presets.ttl")) ||
        !Write(dir + "/flummel.ttl", Lv2TurtleWriter::Description(parameters, version)) ||
        !Write(dir + "/presets.ttl", Lv2TurtleWriter::Presets(presets))) {
        std::fprintf(stderr, "flummel-lv2-ttl: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
