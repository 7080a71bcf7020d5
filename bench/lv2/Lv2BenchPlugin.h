// One LV2 plug-in instance under the benchmark: stereo audio ports on the caller's buffers,
// control inputs at their defaults unless set, everything else on scratch buffers, and the
// run calls timed one by one.
#pragma once

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>

#include "BenchUridMap.h"

#include <memory>
#include <string>
#include <vector>

using Planar = std::vector<std::vector<float>>;

class Lv2BenchPlugin {
public:
    // Null, with a message in `error`, when the plug-in is missing, is not stereo in and out,
    // or fails to instantiate.
    static std::unique_ptr<Lv2BenchPlugin> Create(LilvWorld* world, const std::string& uri, double rate,
                                                  BenchUridMap& map, std::string& error);
    ~Lv2BenchPlugin();
    Lv2BenchPlugin(const Lv2BenchPlugin&) = delete;
    Lv2BenchPlugin& operator=(const Lv2BenchPlugin&) = delete;

    const std::string& Name() const { return mName; }
    bool SetControl(const std::string& symbol, float value);

    // An object (without properties) the plug-in finds on its atom inputs at the start of every
    // run, as a UI's message would come.
    void SendEachRun(LV2_URID objectType, LV2_URID otype)
    {
        mEachRun = {{sizeof(LV2_Atom_Object_Body), objectType}, {0, otype}};
    }

    // Runs all of `in` into `out` in blocks of `block` frames; the seconds spent in run().
    double TimeRuns(const Planar& in, Planar& out, uint32_t block);

    static constexpr uint32_t kMaxBlock = 8192;

private:
    Lv2BenchPlugin() = default;
    void ResetAtoms();

    LilvWorld* mWorld = nullptr;
    LilvInstance* mInstance = nullptr;
    const LilvPlugin* mPlugin = nullptr;
    std::string mName;
    uint32_t mAudioIn[2] = {}, mAudioOut[2] = {};
    std::vector<float> mControls;  // by port index
    struct AtomPort {
        uint32_t index;
        bool output;
        std::vector<uint64_t> buffer;  // 8-byte aligned atoms
    };
    std::vector<AtomPort> mAtoms;
    uint32_t mSequenceType = 0;
    LV2_Atom_Object mEachRun{};  // none while its type is 0
    std::vector<std::vector<float>> mScratch;  // CV ports and control outputs
};
