#include "lv2/Lv2Harness.h"

#include <gtest/gtest.h>
#include <lv2/time/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "engine/TrWkFlummelEntry.h"
#include "plugins/lv2/Lv2DisplayMessage.h"

Signal InBlocks(const Signal& in, uint32_t block, const std::function<void(Signal&, size_t, uint32_t)>& render)
{
    Signal out(in.size(), std::vector<float>(in[0].size()));
    for (size_t at = 0; at < in[0].size(); at += block) render(out, at, uint32_t(std::min<size_t>(block, in[0].size() - at)));
    return out;
}

Lv2Instance::Lv2Instance(const char* uri, double rate)
{
    Lv2World& w = Lv2World::Get();
    const LilvPlugin* plugin = w.Plugin(uri);
    const LV2_Feature* features[] = {&w.Map().mapFeature, &w.Map().unmapFeature, nullptr};
    mInstance = plugin ? lilv_plugin_instantiate(plugin, rate, features) : nullptr;
    if (!mInstance) throw std::runtime_error(std::string("cannot instantiate ") + uri);
    const LilvNodePtr audio = w.Node(LV2_CORE__AudioPort), input = w.Node(LV2_CORE__InputPort),
                      atom = w.Node(LV2_ATOM__AtomPort);
    mControls.resize(lilv_plugin_get_num_ports(plugin));
    lilv_plugin_get_port_ranges_float(plugin, nullptr, nullptr, mControls.data());
    for (uint32_t i = 0; i < mControls.size(); ++i) {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        const bool in = lilv_port_is_a(plugin, port, input.get());
        if (lilv_port_is_a(plugin, port, audio.get()))
            (in ? mAudioIn : mAudioOut).push_back(i);
        else if (lilv_port_is_a(plugin, port, atom.get()))
            (in ? mTimePort : mNotifyPort) = i;
        else
            mControlPorts[lilv_node_as_string(lilv_port_get_symbol(plugin, port))] = i;
    }
    mInBuffers.assign(mAudioIn.size(), std::vector<float>(kMaxBlock));
    mOutBuffers.assign(mAudioOut.size(), std::vector<float>(kMaxBlock));
    inputConnected.assign(mAudioIn.size(), true);
    outputConnected.assign(mAudioOut.size(), true);
    lv2_atom_forge_init(&mForge, w.Map().Lv2Map());
    Run({}, mInBuffers, 0, 0);  // an empty sequence, every port connected before activation
    lilv_instance_activate(mInstance);
}

void Lv2Instance::RunConnected(uint32_t frames)
{
    for (size_t c = 0; c < mAudioIn.size(); ++c)
        lilv_instance_connect_port(mInstance, mAudioIn[c], inputConnected[c] ? mInBuffers[c].data() : nullptr);
    for (size_t c = 0; c < mAudioOut.size(); ++c)
        lilv_instance_connect_port(mInstance, mAudioOut[c],
                                   outputConnected[c] ? (inPlace ? mInBuffers : mOutBuffers)[c].data() : nullptr);
    lilv_instance_connect_port(mInstance, mTimePort, const_cast<void*>(time));
    if (mNotifyPort != UINT32_MAX)
        lilv_instance_connect_port(mInstance, mNotifyPort, mNotifyConnected ? mNotify.data() : nullptr);
    for (const auto& [symbol, index] : mControlPorts) lilv_instance_connect_port(mInstance, index, &mControls[index]);
    if (frames == 0) return;
    if (mNotifyConnected) {
        const LV2_Atom header{uint32_t(mNotify.size() - sizeof(LV2_Atom)), mForge.Chunk};
        std::memcpy(mNotify.data(), &header, sizeof header);
    }
    lilv_instance_run(mInstance, frames);
}

void Lv2Instance::Run(const Signal& in, Signal& out, size_t at, uint32_t frames)
{
    if (frames > kMaxBlock) throw std::invalid_argument("block too long");
    for (size_t c = 0; c < mAudioIn.size() && frames > 0; ++c)
        std::copy_n(in[c].begin() + std::ptrdiff_t(at), frames, mInBuffers[c].begin());
    RunConnected(frames);
    for (size_t c = 0; c < mAudioOut.size() && frames > 0; ++c)
        std::copy_n((inPlace ? mInBuffers : mOutBuffers)[c].begin(), frames, out[c].begin() + std::ptrdiff_t(at));
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

void Lv2Instance::QueueShowing(uint32_t frame)
{
    LV2_Atom_Forge_Frame object;
    lv2_atom_forge_frame_time(&mForge, frame);
    lv2_atom_forge_object(&mForge, &object, 0, Lv2World::Get().Map().Map(kLv2ShowingUri));
    lv2_atom_forge_pop(&mForge, &object);
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

Reference::Reference(uint32_t channels, double rate)
{
    RegisterTrWkFlummel();
    EXPECT_EQ(AUHost::Open(TrWkFlummelDescription(), mHost), noErr);
    EXPECT_EQ(mHost->SetFormat(rate, channels), noErr);
    EXPECT_EQ(mHost->SetInputSource([this](float* const* channels, UInt32 count, UInt32 frames, Float64) {
        for (UInt32 c = 0; c < count; ++c) std::copy_n((*mInput)[c].begin() + std::ptrdiff_t(mAt), frames, channels[c]);
        return false;
    }),
              noErr);
    EXPECT_EQ(mHost->Initialize(), noErr);
}

void Reference::Set(AudioUnitParameterID id, float value) { EXPECT_EQ(mHost->SetParameter(id, value), noErr); }

void Reference::SetTempo(std::optional<double> bpm) { EXPECT_EQ(mHost->SetTempo(bpm), noErr); }

void Reference::Render(const Signal& in, Signal& out, size_t at, uint32_t frames)
{
    mInput = &in;
    mAt = at;
    float* channels[AUHost::kMaxChannels];
    for (size_t c = 0; c < out.size(); ++c) channels[c] = out[c].data() + at;
    EXPECT_EQ(mHost->Render(channels, UInt32(out.size()), frames), noErr);
}

std::vector<float> ValuesAfterRestoring(CFPropertyListRef state)
{
    RegisterTrWkFlummel();
    std::unique_ptr<AUHost> host;
    if (!state || AUHost::Open(TrWkFlummelDescription(), host) != noErr ||
        AudioUnitSetProperty(host->Unit(), kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state,
                             sizeof state) != noErr)
        return {};
    std::vector<float> values(kNumParams);
    for (AudioUnitParameterID id = 0; id < kNumParams; ++id) host->GetParameter(id, values[id]);
    return values;
}

static std::string Slurp(const std::string& path)
{
    std::ostringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

SubprocessResult RunSubprocess(const std::vector<std::string>& argv, const std::vector<std::string>& environment)
{
    static std::atomic<int> count{0};
    const std::string base = "/tmp/flummel-lv2-" + std::to_string(getpid()) + "-" + std::to_string(count++);
    std::string command = "env";
    for (const auto& words : {environment, argv})
        for (const std::string& word : words) {
            command += " '";
            for (char c : word) {
                if (c == '\'')
                    command += "'\\''";  // close, an escaped quote, open again
                else
                    command += c;
            }
            command += "'";
        }
    const int raw = std::system((command + " </dev/null >" + base + ".out 2>" + base + ".err").c_str());
    const SubprocessResult result{raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(base + ".out"),
                                  Slurp(base + ".err")};
    std::filesystem::remove(base + ".out");
    std::filesystem::remove(base + ".err");
    return result;
}
