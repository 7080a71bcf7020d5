#include "lv2/Lv2Harness.h"

#include <lv2/time/time.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <stdexcept>

UridMap::UridMap()
{
    mMap.handle = this;
    mMap.map = [](LV2_URID_Map_Handle h, const char* uri) { return static_cast<UridMap*>(h)->Map(uri); };
    mUnmap.handle = this;
    mUnmap.unmap = [](LV2_URID_Unmap_Handle h, LV2_URID u) { return static_cast<UridMap*>(h)->Unmap(u); };
    mMapFeature = {LV2_URID__map, &mMap};
    mUnmapFeature = {LV2_URID__unmap, &mUnmap};
}

LV2_URID UridMap::Map(const char* uri)
{
    std::lock_guard<std::mutex> lock(mMutex);
    for (size_t i = 0; i < mUris.size(); ++i)
        if (*mUris[i] == uri) return LV2_URID(i + 1);
    mUris.push_back(std::make_unique<std::string>(uri));
    return LV2_URID(mUris.size());
}

const char* UridMap::Unmap(LV2_URID urid)
{
    std::lock_guard<std::mutex> lock(mMutex);
    return urid >= 1 && urid <= mUris.size() ? mUris[urid - 1]->c_str() : nullptr;
}

Lv2World& Lv2World::Get()
{
    static Lv2World* world = new Lv2World;  // plug-in libraries stay loaded for the process
    return *world;
}

Lv2World::Lv2World() : mWorld(lilv_world_new()) { lilv_world_load_all(mWorld); }

const LilvPlugin* Lv2World::Plugin(const char* uri) const
{
    LilvNode* node = lilv_new_uri(mWorld, uri);
    const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(mWorld), node);
    lilv_node_free(node);
    return plugin;
}

Lv2Instance::Lv2Instance(const char* uri, double rate, bool withMap)
{
    Lv2World& w = Lv2World::Get();
    mPlugin = w.Plugin(uri);
    if (!mPlugin) return;
    const LV2_Feature* withFeatures[] = {w.Map().MapFeature(), w.Map().UnmapFeature(), nullptr};
    const LV2_Feature* noFeatures[] = {nullptr};
    mInstance = lilv_plugin_instantiate(mPlugin, rate, withMap ? withFeatures : noFeatures);
    if (!mInstance) return;

    LilvNode* audio = w.Uri(LV2_CORE__AudioPort);
    LilvNode* input = w.Uri(LV2_CORE__InputPort);
    LilvNode* control = w.Uri(LV2_CORE__ControlPort);
    LilvNode* atom = w.Uri(LV2_ATOM__AtomPort);
    const uint32_t n = lilv_plugin_get_num_ports(mPlugin);
    std::vector<float> defaults(n);
    lilv_plugin_get_port_ranges_float(mPlugin, nullptr, nullptr, defaults.data());
    mControls.assign(n, 0.f);
    for (uint32_t i = 0; i < n; ++i) {
        const LilvPort* port = lilv_plugin_get_port_by_index(mPlugin, i);
        if (lilv_port_is_a(mPlugin, port, audio))
            (lilv_port_is_a(mPlugin, port, input) ? mAudioIn : mAudioOut).push_back(i);
        else if (lilv_port_is_a(mPlugin, port, atom))
            (lilv_port_is_a(mPlugin, port, input) ? mTimePort : mNotifyPort) = i;
        else if (lilv_port_is_a(mPlugin, port, control)) {
            mControlPorts[lilv_node_as_string(lilv_port_get_symbol(mPlugin, port))] = i;
            mControls[i] = defaults[i];
        }
    }
    for (LilvNode* node : {audio, input, control, atom}) lilv_node_free(node);

    mInBuffers.assign(mAudioIn.size(), std::vector<float>(kMaxBlock));
    mOutBuffers.assign(mAudioOut.size(), std::vector<float>(kMaxBlock));
    mInputConnected.assign(mAudioIn.size(), true);
    mOutputConnected.assign(mAudioOut.size(), true);
    lv2_atom_forge_init(&mForge, static_cast<LV2_URID_Map*>(w.Map().MapFeature()->data));
    mChunk = mForge.Chunk;
    ResetSequence();
    ConnectAll();
    lilv_instance_activate(mInstance);
}

Lv2Instance::~Lv2Instance()
{
    if (!mInstance) return;
    lilv_instance_deactivate(mInstance);
    lilv_instance_free(mInstance);
}

const LV2_State_Interface* Lv2Instance::State() const
{
    return static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(mInstance, LV2_STATE__interface));
}

float& Lv2Instance::Control(const std::string& symbol)
{
    const auto it = mControlPorts.find(symbol);
    if (it == mControlPorts.end()) throw std::invalid_argument("no control port " + symbol);
    return mControls[it->second];
}

void Lv2Instance::DisconnectTime()
{
    mTimeConnected = false;
    ConnectAll();
}

void Lv2Instance::ConnectTimeTo(const void* buffer)
{
    mTimeBuffer = buffer;
    ConnectAll();
}

void Lv2Instance::DisconnectAudioInput(uint32_t channel)
{
    mInputConnected[channel] = false;
    ConnectAll();
}

void Lv2Instance::DisconnectAudioOutput(uint32_t channel)
{
    mOutputConnected[channel] = false;
    ConnectAll();
}

void Lv2Instance::ConnectNotify(uint32_t bytes)
{
    mNotifyConnected = bytes > 0;
    if (bytes > 0) mNotify.assign(std::max<size_t>(bytes, sizeof(LV2_Atom)), 0);
    ConnectAll();
}

void Lv2Instance::ResetNotify()
{
    if (!mNotifyConnected) return;
    const LV2_Atom header{uint32_t(mNotify.size() - sizeof(LV2_Atom)), mChunk};
    std::memcpy(mNotify.data(), &header, sizeof header);
}

void Lv2Instance::ConnectAll()
{
    for (size_t c = 0; c < mAudioIn.size(); ++c)
        lilv_instance_connect_port(mInstance, mAudioIn[c], mInputConnected[c] ? mInBuffers[c].data() : nullptr);
    for (size_t c = 0; c < mAudioOut.size(); ++c)
        lilv_instance_connect_port(mInstance, mAudioOut[c],
                                   !mOutputConnected[c] ? nullptr
                                   : mInPlace           ? mInBuffers[c].data()
                                                        : mOutBuffers[c].data());
    void* time = mTimeBuffer ? const_cast<void*>(mTimeBuffer) : mTimeConnected ? mSequence : nullptr;
    lilv_instance_connect_port(mInstance, mTimePort, time);
    if (mNotifyPort != UINT32_MAX)
        lilv_instance_connect_port(mInstance, mNotifyPort, mNotifyConnected ? mNotify.data() : nullptr);
    for (const auto& [symbol, index] : mControlPorts) lilv_instance_connect_port(mInstance, index, &mControls[index]);
}

void Lv2Instance::ResetSequence()
{
    lv2_atom_forge_set_buffer(&mForge, mSequence, sizeof mSequence);
    lv2_atom_forge_sequence_head(&mForge, &mSequenceFrame, 0);
}

void Lv2Instance::QueueTempo(uint32_t frame, float bpm)
{
    UridMap& map = Lv2World::Get().Map();
    LV2_Atom_Forge_Frame object;
    lv2_atom_forge_frame_time(&mForge, frame);
    lv2_atom_forge_object(&mForge, &object, 0, map.Map(LV2_TIME__Position));
    lv2_atom_forge_key(&mForge, map.Map(LV2_TIME__beatsPerMinute));
    lv2_atom_forge_float(&mForge, bpm);
    lv2_atom_forge_pop(&mForge, &object);
}

void Lv2Instance::Run(const Signal& in, Signal& out, size_t at, uint32_t frames)
{
    if (frames > kMaxBlock) throw std::invalid_argument("block too long");
    ConnectAll();
    for (size_t c = 0; c < mAudioIn.size(); ++c)
        std::copy_n(in[c].begin() + std::ptrdiff_t(at), frames, mInBuffers[c].begin());
    RunConnected(frames);
    const auto& results = mInPlace ? mInBuffers : mOutBuffers;
    for (size_t c = 0; c < mAudioOut.size(); ++c)
        std::copy_n(results[c].begin(), frames, out[c].begin() + std::ptrdiff_t(at));
    ResetSequence();
}

Signal Lv2Instance::Process(const Signal& in, uint32_t block)
{
    Signal out(in.size(), std::vector<float>(in[0].size()));
    for (size_t at = 0; at < in[0].size(); at += block)
        Run(in, out, at, uint32_t(std::min<size_t>(block, in[0].size() - at)));
    return out;
}

Signal TestSignal(uint32_t channels, size_t frames, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> noise(-0.3f, 0.3f);
    Signal s(channels, std::vector<float>(frames));
    for (uint32_t c = 0; c < channels; ++c) {
        const double f = 220.0 * (c + 1) + 17.0 * seed;
        for (size_t i = 0; i < frames; ++i) {
            const size_t t = i % 11025;  // a burst every quarter second at 44.1 kHz
            const double env = std::exp(-double(t) / 1500.0);
            s[c][i] = float(0.5 * env * std::sin(2 * M_PI * f * double(i) / 44100.0)) + (t < 300 ? noise(random) : 0.f);
        }
    }
    return s;
}

float MaxAbsDifference(const Signal& a, const Signal& b)
{
    if (a.size() != b.size()) return INFINITY;
    float d = 0;
    for (size_t c = 0; c < a.size(); ++c) {
        if (a[c].size() != b[c].size()) return INFINITY;
        for (size_t i = 0; i < a[c].size(); ++i) {
            const float e = std::fabs(a[c][i] - b[c][i]);
            if (std::isnan(e)) return INFINITY;
            d = std::max(d, e);
        }
    }
    return d;
}

float Peak(const Signal& s)
{
    float p = 0;
    for (const auto& ch : s)
        for (float v : ch) p = std::max(p, std::fabs(v));
    return p;
}
