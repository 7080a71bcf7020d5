// A small LV2 host for the tests: one lilv world loaded from LV2_PATH (the build's bundle),
// a URID map, and plug-in instances driven through the LV2 interface with planar buffers,
// control values by symbol, a time-position input and a notify output.
#pragma once

#include <lilv/lilv.h>
#include <lv2/atom/forge.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

using Signal = std::vector<std::vector<float>>;

inline constexpr const char* kStereoUri = "urn:flummel:lv2:stereo";
inline constexpr const char* kMonoUri = "urn:flummel:lv2:mono";

class UridMap {
public:
    UridMap();
    LV2_URID Map(const char* uri);
    const char* Unmap(LV2_URID urid);
    const LV2_Feature* MapFeature() const { return &mMapFeature; }
    const LV2_Feature* UnmapFeature() const { return &mUnmapFeature; }

private:
    std::mutex mMutex;
    std::vector<std::unique_ptr<std::string>> mUris;  // URID n at n - 1
    LV2_URID_Map mMap;
    LV2_URID_Unmap mUnmap;
    LV2_Feature mMapFeature;
    LV2_Feature mUnmapFeature;
};

// The process's world, loaded once.
class Lv2World {
public:
    static Lv2World& Get();
    LilvWorld* World() const { return mWorld; }
    const LilvPlugin* Plugin(const char* uri) const;
    UridMap& Map() { return mMap; }
    LilvNode* Uri(const char* uri) { return lilv_new_uri(mWorld, uri); }

private:
    Lv2World();
    LilvWorld* mWorld;
    UridMap mMap;
};

class Lv2Instance {
public:
    static constexpr uint32_t kMaxBlock = 8192;

    explicit Lv2Instance(const char* uri, double rate = 44100.0, bool withMap = true);
    ~Lv2Instance();
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    bool Valid() const { return mInstance != nullptr; }
    uint32_t Channels() const { return uint32_t(mAudioIn.size()); }
    LV2_Handle Handle() const { return lilv_instance_get_handle(mInstance); }
    LilvInstance* Lilv() const { return mInstance; }
    const LV2_State_Interface* State() const;

    float& Control(const std::string& symbol);
    // Leaves the time port unconnected (it is connection-optional).
    void DisconnectTime();
    // Connects the time port to the caller's atom buffer instead of the forged sequence.
    void ConnectTimeTo(const void* buffer);
    void DisconnectAudioInput(uint32_t channel);
    void DisconnectAudioOutput(uint32_t channel);
    // Connects the notify port to a buffer of exactly `bytes` bytes (at least an atom header)
    // whose header, before every run, gives the rest as capacity, as hosts do; 0 connects none
    // and leaves the last buffer as it is.
    void ConnectNotify(uint32_t bytes);
    uint32_t NotifyPort() const { return mNotifyPort; }
    // The notify buffer as the last run left it.
    const LV2_Atom_Sequence& Notify() const { return *reinterpret_cast<const LV2_Atom_Sequence*>(mNotify.data()); }
    std::vector<uint8_t>& NotifyBytes() { return mNotify; }
    // Adds a time:Position with this tempo at `frame` of the next run.
    void QueueTempo(uint32_t frame, float bpm);
    // Output ports share the input buffers.
    void RunInPlace(bool inPlace) { mInPlace = inPlace; }

    // One run of `frames` frames of `in` from `at` into `out` (sized like `in`).
    void Run(const Signal& in, Signal& out, size_t at, uint32_t frames);
    // The whole input in runs of `block` frames (the last shorter).
    Signal Process(const Signal& in, uint32_t block);
    // The bare run call on the connected buffers, for timing and allocation counts.
    void RunConnected(uint32_t frames)
    {
        ResetNotify();
        lilv_instance_run(mInstance, frames);
    }

private:
    void ConnectAll();
    void ResetSequence();
    void ResetNotify();

    LilvInstance* mInstance = nullptr;
    const LilvPlugin* mPlugin = nullptr;
    std::vector<uint32_t> mAudioIn, mAudioOut;
    uint32_t mTimePort = 0;
    uint32_t mNotifyPort = UINT32_MAX;
    bool mNotifyConnected = false;
    LV2_URID mChunk = 0;
    std::vector<uint8_t> mNotify;  // exactly the size given, so reads and writes past it are caught
    bool mTimeConnected = true;
    const void* mTimeBuffer = nullptr;  // the caller's, when set
    bool mInPlace = false;
    std::vector<bool> mInputConnected, mOutputConnected;
    std::map<std::string, uint32_t> mControlPorts;
    std::vector<float> mControls;  // by port index
    std::vector<std::vector<float>> mInBuffers, mOutBuffers;
    alignas(16) uint8_t mSequence[4096];
    LV2_Atom_Forge mForge;
    LV2_Atom_Forge_Frame mSequenceFrame;
};

// Deterministic test material: decaying tone bursts and noise, different per channel.
Signal TestSignal(uint32_t channels, size_t frames, unsigned seed = 1);
float MaxAbsDifference(const Signal& a, const Signal& b);
float Peak(const Signal& s);
