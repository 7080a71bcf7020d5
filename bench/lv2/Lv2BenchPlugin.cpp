#include "Lv2BenchPlugin.h"

#include <lv2/atom/atom.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

namespace {

struct Classes {
    explicit Classes(LilvWorld* w)
        : audio(lilv_new_uri(w, LV2_CORE__AudioPort)), control(lilv_new_uri(w, LV2_CORE__ControlPort)),
          input(lilv_new_uri(w, LV2_CORE__InputPort)), atom(lilv_new_uri(w, LV2_ATOM__AtomPort))
    {
    }
    ~Classes()
    {
        for (LilvNode* n : {audio, control, input, atom}) lilv_node_free(n);
    }
    LilvNode *audio, *control, *input, *atom;
};

}  // namespace

std::unique_ptr<Lv2BenchPlugin> Lv2BenchPlugin::Create(LilvWorld* world, const std::string& uri, double rate,
                                                       BenchUridMap& map, std::string& error)
{
    LilvNode* node = lilv_new_uri(world, uri.c_str());
    const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), node);
    lilv_node_free(node);
    if (!plugin) {
        error = "no plug-in " + uri + " on the LV2 path";
        return nullptr;
    }
    std::unique_ptr<Lv2BenchPlugin> p(new Lv2BenchPlugin);
    p->mWorld = world;
    p->mPlugin = plugin;
    LilvNode* name = lilv_plugin_get_name(plugin);
    p->mName = name ? lilv_node_as_string(name) : uri;
    lilv_node_free(name);
    p->mSequenceType = map.Map(LV2_ATOM__Sequence);

    const Classes is(world);
    const uint32_t ports = lilv_plugin_get_num_ports(plugin);
    std::vector<float> defaults(ports);
    lilv_plugin_get_port_ranges_float(plugin, nullptr, nullptr, defaults.data());
    p->mControls.assign(ports, 0.f);
    std::vector<uint32_t> ins, outs, others;
    for (uint32_t i = 0; i < ports; ++i) {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        const bool input = lilv_port_is_a(plugin, port, is.input);
        if (lilv_port_is_a(plugin, port, is.audio))
            (input ? ins : outs).push_back(i);
        else if (lilv_port_is_a(plugin, port, is.control))
            p->mControls[i] = std::isnan(defaults[i]) ? 0.f : defaults[i];
        else if (lilv_port_is_a(plugin, port, is.atom))
            p->mAtoms.push_back({i, !input, std::vector<uint64_t>(8192)});
        else
            others.push_back(i);
    }
    if (ins.size() != 2 || outs.size() != 2) {
        error = p->mName + " is not a stereo effect";
        return nullptr;
    }
    p->mInstance = lilv_plugin_instantiate(plugin, rate, map.Features());
    if (!p->mInstance) {
        error = p->mName + " failed to instantiate";
        return nullptr;
    }
    for (int c = 0; c < 2; ++c) p->mAudioIn[c] = ins[size_t(c)], p->mAudioOut[c] = outs[size_t(c)];
    for (uint32_t i = 0; i < ports; ++i) lilv_instance_connect_port(p->mInstance, i, &p->mControls[i]);
    for (AtomPort& a : p->mAtoms) lilv_instance_connect_port(p->mInstance, a.index, a.buffer.data());
    for (uint32_t i : others) {
        p->mScratch.emplace_back(kMaxBlock);
        lilv_instance_connect_port(p->mInstance, i, p->mScratch.back().data());
    }
    lilv_instance_activate(p->mInstance);
    return p;
}

Lv2BenchPlugin::~Lv2BenchPlugin()
{
    if (!mInstance) return;
    lilv_instance_deactivate(mInstance);
    lilv_instance_free(mInstance);
}

bool Lv2BenchPlugin::SetControl(const std::string& symbol, float value)
{
    LilvNode* s = lilv_new_string(mWorld, symbol.c_str());
    const LilvPort* port = lilv_plugin_get_port_by_symbol(mPlugin, s);
    lilv_node_free(s);
    if (!port) return false;
    mControls[lilv_port_get_index(mPlugin, port)] = value;
    return true;
}

void Lv2BenchPlugin::ResetAtoms()
{
    for (AtomPort& a : mAtoms) {
        auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(a.buffer.data());
        seq->atom.type = a.output ? 0 : mSequenceType;
        seq->atom.size = a.output ? uint32_t(a.buffer.size() * sizeof(uint64_t) - sizeof(LV2_Atom))
                                  : uint32_t(sizeof(LV2_Atom_Sequence_Body));
        seq->body.unit = 0;
        seq->body.pad = 0;
        if (a.output || mEachRun.atom.type == 0) continue;
        LV2_Atom_Event event{};
        event.body = mEachRun.atom;
        auto* at = reinterpret_cast<uint8_t*>(seq + 1);
        std::memcpy(at, &event, sizeof event);
        std::memcpy(at + sizeof event, &mEachRun.body, sizeof mEachRun.body);
        seq->atom.size += uint32_t(sizeof event + sizeof mEachRun.body);
    }
}

double Lv2BenchPlugin::TimeRuns(const Planar& in, Planar& out, uint32_t block)
{
    using Clock = std::chrono::steady_clock;
    Clock::duration inside{};
    const size_t frames = in[0].size();
    for (size_t at = 0; at < frames; at += block) {
        const uint32_t n = uint32_t(std::min<size_t>(block, frames - at));
        for (int c = 0; c < 2; ++c) {
            lilv_instance_connect_port(mInstance, mAudioIn[c], const_cast<float*>(in[size_t(c)].data() + at));
            lilv_instance_connect_port(mInstance, mAudioOut[c], out[size_t(c)].data() + at);
        }
        ResetAtoms();
        const Clock::time_point start = Clock::now();
        lilv_instance_run(mInstance, n);
        inside += Clock::now() - start;
    }
    return std::chrono::duration<double>(inside).count();
}
