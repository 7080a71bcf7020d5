// Peer benchmark: runs a peer LV2 plug-in and Flummel side by side over the same stereo audio
// in memory, timing only the run() calls, and prints their median throughputs and ratio.
//   bench_lv2_peer [--seconds S] [--rate HZ] [--repeat N] [--block FRAMES]... [--peer URI]
// The build's bundle comes first on the LV2 path.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "BenchUridMap.h"
#include "Lv2BenchPlugin.h"

namespace {

constexpr const char* kFlummel = "urn:flummel:lv2:stereo";
constexpr const char* kFlummelEditorShowing = "urn:flummel:lv2:showing";  // its editor's word
constexpr const char* kPeerReverseDelay = "http://calf.sourceforge.net/plugins/ReverseDelay";

struct Options {
    double seconds = 60.0;
    double rate = 48000.0;
    int repeat = 3;
    std::vector<uint32_t> blocks;
    std::string peer = kPeerReverseDelay;
};

struct Contender {
    std::string label;
    std::string uri;
    std::vector<std::pair<std::string, float>> controls;
    std::unique_ptr<Lv2BenchPlugin> plugin;
};

bool Parse(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--seconds" && next)
            o.seconds = std::atof(argv[++i]);
        else if (a == "--rate" && next)
            o.rate = std::atof(argv[++i]);
        else if (a == "--repeat" && next)
            o.repeat = std::atoi(argv[++i]);
        else if (a == "--block" && next)
            o.blocks.push_back(uint32_t(std::atoi(argv[++i])));
        else if (a == "--peer" && next)
            o.peer = argv[++i];
        else
            return false;
    }
    if (o.blocks.empty()) o.blocks = {64, 512, 4096};
    for (uint32_t b : o.blocks)
        if (b == 0 || b > Lv2BenchPlugin::kMaxBlock) return false;
    return o.seconds > 0 && o.rate > 0 && o.seconds * o.rate >= 1 && o.repeat > 0;  // at least one frame
}

// Loud noise throughout, over tones that do not fit the loops: the saturator clips often and
// the filter never rests.
Planar Material(size_t frames, double rate)
{
    Planar s(2, std::vector<float>(frames));
    uint32_t seed = 1;
    for (size_t i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        for (size_t c = 0; c < 2; ++c) {
            seed = seed * 1664525u + 1013904223u;
            const float noise = float(seed >> 8) / float(1 << 24) - 0.5f;
            s[c][i] = 1.2f * noise + 0.25f * float(std::sin(6.2831853 * (221.3 + 110.7 * double(c)) * t));
        }
    }
    return s;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t h = v.size() / 2;
    return v.size() % 2 ? v[h] : 0.5 * (v[h - 1] + v[h]);
}

// Shows that a plug-in produced sound at all.
double Rms(const Planar& s)
{
    double sum = 0;
    for (const auto& channel : s)
        for (float v : channel) sum += double(v) * double(v);
    return std::sqrt(sum / double(s.size() * s[0].size()));
}

}  // namespace

int main(int argc, char** argv)
{
    Options o;
    if (!Parse(argc, argv, o)) {
        std::fprintf(stderr, "usage: bench_lv2_peer [--seconds S] [--rate HZ] [--repeat N] [--block FRAMES]... "
                             "[--peer URI]\n");
        return 2;
    }

    LilvWorld* world = lilv_world_new();
    const char* env = std::getenv("LV2_PATH");
    const std::string path = std::string(FLUMMEL_LV2_DIR) + ":" + (env && *env ? env : FLUMMEL_LV2_SYSTEM_DIR);
    LilvNode* pathNode = lilv_new_string(world, path.c_str());
    lilv_world_set_option(world, LILV_OPTION_LV2_PATH, pathNode);
    lilv_node_free(pathNode);
    lilv_world_load_all(world);

    BenchUridMap map;
    std::vector<Contender> contenders;
    contenders.push_back({"", o.peer, {}, nullptr});
    contenders.push_back({"", kFlummel, {}, nullptr});
    const std::vector<std::pair<std::string, float>> busy = {
        {"feedback", 80.f}, {"filter_type", 1.5f}, {"filter_lfo_amount", 1.f}, {"saturation_amount", 3.f}};
    contenders.push_back({"", kFlummel, busy, nullptr});
    contenders.push_back({"", kFlummel, busy, nullptr});  // with its editor showing
    for (Contender& c : contenders) {
        std::string error;
        c.plugin = Lv2BenchPlugin::Create(world, c.uri, o.rate, map, error);
        if (!c.plugin) {
            std::fprintf(stderr, "bench_lv2_peer: %s\n", error.c_str());
            return 1;
        }
        for (const auto& [symbol, value] : c.controls)
            if (!c.plugin->SetControl(symbol, value)) {
                std::fprintf(stderr, "bench_lv2_peer: %s has no control %s\n", c.plugin->Name().c_str(), symbol.c_str());
                return 1;
            }
        c.label = c.plugin->Name() + (c.controls.empty() ? "" : " (filter, LFO, saturation)");
    }
    contenders[3].plugin->SendEachRun(map.Map(LV2_ATOM__Object), map.Map(kFlummelEditorShowing));
    contenders[3].label = "  the same, its editor showing";

    const Planar in = Material(size_t(o.seconds * o.rate), o.rate);
    Planar out(2, std::vector<float>(in[0].size()));
    std::printf("%.0f s of stereo at %.0f Hz in memory; time inside run() only, median of %d\n\n", o.seconds, o.rate,
                o.repeat);
    std::printf("%6s  %-40s %10s %12s %9s %9s\n", "block", "plug-in", "run time", "x realtime", "vs peer",
                "out RMS");
    std::vector<std::string> summary;
    for (uint32_t block : o.blocks) {
        std::vector<std::vector<double>> times(contenders.size());
        std::vector<double> median(contenders.size()), rms(contenders.size());
        for (int r = 0; r < o.repeat; ++r)  // interleaved, so drifts of the machine hit all alike
            for (size_t k = 0; k < contenders.size(); ++k) {
                times[k].push_back(contenders[k].plugin->TimeRuns(in, out, block));
                rms[k] = Rms(out);
            }
        for (size_t k = 0; k < contenders.size(); ++k) median[k] = Median(times[k]);
        for (size_t k = 0; k < contenders.size(); ++k)
            std::printf("%6u  %-40s %8.3f s %11.1fx %9.2f %9.4f\n", block, contenders[k].label.c_str(), median[k],
                        o.seconds / median[k], median[0] / median[k], rms[k]);
        char line[200];
        std::snprintf(line, sizeof line,
                      "Flummel / %s throughput at %u frames: %.2f (busy: %.2f; busy, editor showing: %.2f)",
                      contenders[0].plugin->Name().c_str(), block, median[0] / median[1], median[0] / median[2],
                      median[0] / median[3]);
        summary.push_back(line);
    }
    std::printf("\n");
    for (const std::string& s : summary) std::printf("%s\n", s.c_str());

    contenders.clear();
    lilv_world_free(world);
    return 0;
}
