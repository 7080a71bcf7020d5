// A small LV2 host for the tests: one lilv world loaded from LV2_PATH (the build's bundle), plug-in
// instances on planar buffers, the effect hosted directly as the reference they must match, and
// host programs from outside the build.
#pragma once

#include <lilv/lilv.h>
#include <lv2/atom/forge.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>

#include "engine/FlummelParameters.h"
#include "host/AUHost.h"

using Signal = std::vector<std::vector<float>>;

inline constexpr const char* kStereoUri = "urn:flummel:lv2:stereo";
inline constexpr const char* kMonoUri = "urn:flummel:lv2:mono";

class UridMap {
public:
    LV2_URID Map(const char* uri)
    {
        std::lock_guard<std::mutex> lock(mMutex);
        const auto it = std::find(mUris.begin(), mUris.end(), uri);
        if (it != mUris.end()) return LV2_URID(it - mUris.begin() + 1);
        mUris.emplace_back(uri);
        return LV2_URID(mUris.size());
    }
    const char* Unmap(LV2_URID urid)
    {
        std::lock_guard<std::mutex> lock(mMutex);
        return urid >= 1 && urid <= mUris.size() ? mUris[urid - 1].c_str() : nullptr;
    }
    LV2_URID_Map* Lv2Map() { return &mMap; }

private:
    std::mutex mMutex;
    std::deque<std::string> mUris;  // URID n at n - 1
    LV2_URID_Map mMap{this, [](LV2_URID_Map_Handle h, const char* uri) { return static_cast<UridMap*>(h)->Map(uri); }};
    LV2_URID_Unmap mUnmap{this, [](LV2_URID_Unmap_Handle h, LV2_URID u) { return static_cast<UridMap*>(h)->Unmap(u); }};

public:
    const LV2_Feature mapFeature{LV2_URID__map, &mMap}, unmapFeature{LV2_URID__unmap, &mUnmap};
};

using LilvNodePtr = std::unique_ptr<LilvNode, decltype(&lilv_node_free)>;

// The process's world, loaded once; plug-in libraries stay loaded for the process.
class Lv2World {
public:
    static Lv2World& Get()
    {
        static Lv2World* world = new Lv2World;
        return *world;
    }
    LilvWorld* World() const { return mWorld; }
    UridMap& Map() { return mMap; }
    LilvNodePtr Node(const char* uri) { return {lilv_new_uri(mWorld, uri), &lilv_node_free}; }
    const LilvPlugin* Plugin(const char* uri)
    {
        return lilv_plugins_get_by_uri(lilv_world_get_all_plugins(mWorld), Node(uri).get());
    }

private:
    Lv2World() { lilv_world_load_all(mWorld); }
    LilvWorld* mWorld = lilv_world_new();
    UridMap mMap;
};

// The whole input in blocks of `block` frames (the last shorter), each rendered by `render(out, at, frames)`.
Signal InBlocks(const Signal& in, uint32_t block, const std::function<void(Signal&, size_t, uint32_t)>& render);

class Lv2Instance {
public:
    static constexpr uint32_t kMaxBlock = 8192;
    explicit Lv2Instance(const char* uri, double rate = 44100.0);
    ~Lv2Instance()
    {
        lilv_instance_deactivate(mInstance);
        lilv_instance_free(mInstance);
    }
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    uint32_t Channels() const { return uint32_t(mAudioIn.size()); }
    LV2_Handle Handle() const { return lilv_instance_get_handle(mInstance); }
    LilvInstance* Lilv() const { return mInstance; }
    const LV2_State_Interface* State() const
    {
        return static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(mInstance, LV2_STATE__interface));
    }
    float& Control(const std::string& symbol) { return mControls.at(mControlPorts.at(symbol)); }
    // A time:Position with this tempo at `frame` of the next run.
    void QueueTempo(uint32_t frame, float bpm);
    // The editor's word that it is showing, as its UI sends it.
    void QueueShowing(uint32_t frame = 0);
    // The notify port on a buffer of exactly `bytes` bytes whose header gives the rest as capacity
    // before every run, as hosts do; 0 connects none and keeps the last buffer.
    void ConnectNotify(uint32_t bytes)
    {
        mNotifyConnected = bytes > 0;
        if (bytes > 0) mNotify.assign(std::max<size_t>(bytes, sizeof(LV2_Atom)), 0);
    }
    const LV2_Atom_Sequence& Notify() const { return *reinterpret_cast<const LV2_Atom_Sequence*>(mNotify.data()); }
    std::vector<uint8_t>& NotifyBytes() { return mNotify; }

    // One run of `frames` frames of `in` from `at` into `out` (sized like `in`).
    void Run(const Signal& in, Signal& out, size_t at, uint32_t frames);
    Signal Process(const Signal& in, uint32_t block)
    {
        return InBlocks(in, block, [&](Signal& out, size_t at, uint32_t frames) { Run(in, out, at, frames); });
    }
    // The bare run call on the buffers as they are.
    void RunConnected(uint32_t frames);

    // Connections as the next run makes them: outputs on the input buffers, audio buffers left
    // out, the time port on another buffer (nullptr: unconnected).
    bool inPlace = false;
    std::vector<bool> inputConnected, outputConnected;
    const void* time = mSequence;

private:
    LilvInstance* mInstance = nullptr;
    std::vector<uint32_t> mAudioIn, mAudioOut;
    uint32_t mTimePort = 0, mNotifyPort = UINT32_MAX;
    bool mNotifyConnected = false;
    std::vector<uint8_t> mNotify;  // exactly the size given, so accesses past it are caught
    std::map<std::string, uint32_t> mControlPorts;
    std::vector<float> mControls;  // by port index
    Signal mInBuffers, mOutBuffers;
    alignas(16) uint8_t mSequence[4096];
    LV2_Atom_Forge mForge;
    LV2_Atom_Forge_Frame mSequenceFrame;
};

// Deterministic test material: decaying tone bursts and noise, different per channel.
Signal TestSignal(uint32_t channels, size_t frames, unsigned seed = 1);
float MaxAbsDifference(const Signal& a, const Signal& b);

// The effect hosted directly through the test host library.
class Reference {
public:
    explicit Reference(uint32_t channels, double rate = 44100.0);
    void Set(AudioUnitParameterID id, float value);
    void SetTempo(std::optional<double> bpm);
    void Render(const Signal& in, Signal& out, size_t at, uint32_t frames);
    Signal Process(const Signal& in, uint32_t block)
    {
        return InBlocks(in, block, [&](Signal& out, size_t at, uint32_t frames) { Render(in, out, at, frames); });
    }
    AudioUnit Unit() const { return mHost->Unit(); }

private:
    std::unique_ptr<AUHost> mHost;
    const Signal* mInput = nullptr;
    size_t mAt = 0;
};

// Parameter values of a fresh effect restored from a class-info state; empty when that fails.
std::vector<float> ValuesAfterRestoring(CFPropertyListRef state);

// The port symbols users pass to hosts, in parameter-id order.
inline const char* const kSymbols[kNumParams] = {
    "delay_time", "feedback", "dry_level", "effect_level", "re_sync", "host_tempo", "beats",
    "beat_divisor", "triplet", "filter_cutoff", "filter_q", "filter_type", "saturation_amount",
    "saturation_shape", "filter_lfo_speed", "filter_lfo_amount", "lfo_re_sync", "lfo_host_tempo",
    "lfo_beats", "lfo_beat_divisor", "lfo_triplet"};

// A control setting applied alike to a plug-in (by port symbol) and to the reference (by id).
struct Setting {
    std::string symbol;
    AudioUnitParameterID id;
    float value;
};

// Every stage busy: a short loop with feedback, saturation, a morphing filter swept by the LFO.
inline const std::vector<Setting> kBusy = {
    {"delay_time", kParam_DelayTime, 0.0625f},   {"feedback", kParam_Feedback, 60.f},
    {"dry_level", kParam_DryLevel, 0.75f},       {"filter_type", kParam_FilterType, 1.5f},
    {"filter_q", kParam_FilterQ, 0.375f},        {"filter_lfo_speed", kParam_FilterLfoSpeed, 3.f},
    {"filter_lfo_amount", kParam_FilterLfoAmount, 1.5f}, {"saturation_amount", kParam_SaturationAmount, 4.f},
};

inline void Apply(const std::vector<Setting>& settings, Lv2Instance* plugin, Reference* reference)
{
    for (const Setting& s : settings) {
        if (plugin) plugin->Control(s.symbol) = s.value;
        if (reference) reference->Set(s.id, s.value);
    }
}

struct SubprocessResult {
    int status = -1;  // exit status; -1 when it could not start or did not exit normally
    std::string out, err;
};

// `environment` entries (NAME=VALUE) are added to this process's, replacing ones of the same name.
SubprocessResult RunSubprocess(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {});

// What a host program from outside the build needs to load a sanitized plug-in.
inline std::vector<std::string> ForeignHostEnvironment()
{
    const std::string preload = FLUMMEL_SANITIZER_PRELOAD;
    if (preload.empty()) return {};
    return {"LD_PRELOAD=" + preload, "ASAN_OPTIONS=detect_leaks=0"};
}
