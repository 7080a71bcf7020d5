// Bad input from a host: sample rates the effect cannot take, missing or empty features, and
// time-port sequences whose sizes lie. Refused cleanly or ignored, never read past.
#include <gtest/gtest.h>

#include <lv2/atom/atom.h>
#include <lv2/time/time.h>

#include <bit>
#include <cmath>
#include <limits>

#include "lv2/Lv2Harness.h"
#include "plugins/lv2/Lv2Descriptor.h"

namespace {

// The descriptor called directly, so that no host library tidies up what reaches the plug-in.
LV2_Handle Instantiate(double rate, const LV2_Feature* const* features)
{
    const LV2_Descriptor* d = Lv2Descriptor::At(0);
    return d->instantiate(d, rate, "/nowhere/", features);
}

TEST(Lv2HostInput, BadRatesAreRefusedAndBadFeaturesStillGiveAWorkingInstance)
{
    const LV2_Feature* none[] = {nullptr};
    for (double rate : {0.0, -44100.0, 62.0, 999.0, std::nan(""), std::numeric_limits<double>::infinity(), 1e9})
        EXPECT_EQ(Instantiate(rate, none), nullptr) << rate;
    for (double rate : {1000.0, 22050.0, 192000.0}) {
        LV2_Handle h = Instantiate(rate, none);
        EXPECT_NE(h, nullptr) << rate;
        if (h) Lv2Descriptor::At(0)->cleanup(h);
    }

    // Without a usable map the plug-in still runs; only its state is unavailable.
    LV2_URID_Map noFunction{nullptr, nullptr};
    const LV2_Feature nullData{LV2_URID__map, nullptr}, emptyMap{LV2_URID__map, &noFunction}, nullUri{nullptr, nullptr};
    const LV2_Feature* lists[][3] = {{&nullData, nullptr, nullptr}, {&emptyMap, nullptr, nullptr},
                                     {&nullUri, &nullData, nullptr}};
    const auto discard = [](LV2_State_Handle, uint32_t, const void*, size_t, uint32_t, uint32_t) {
        return LV2_STATE_SUCCESS;
    };
    for (const LV2_Feature* const* features :
         std::initializer_list<const LV2_Feature* const*>{nullptr, lists[0], lists[1], lists[2]}) {
        const LV2_Descriptor* d = Lv2Descriptor::At(0);
        LV2_Handle h = Instantiate(44100.0, features);
        ASSERT_NE(h, nullptr);
        float in[2][64] = {}, out[2][64];
        for (uint32_t c = 0; c < 2; ++c) {
            d->connect_port(h, c, in[c]);
            d->connect_port(h, 2 + c, out[c]);
        }
        d->activate(h);
        d->run(h, 64);
        const auto* state = static_cast<const LV2_State_Interface*>(d->extension_data(LV2_STATE__interface));
        EXPECT_EQ(state->save(h, discard, nullptr, 0, nullptr), LV2_STATE_ERR_NO_FEATURE);
        d->deactivate(h);
        d->cleanup(h);
    }
}

// Time-port buffers of exactly the words given, so that reading past them is caught; a plug-in
// that follows the host's tempo sounds as with no tempo at all, as it does with no position in
// the sequence or no sequence.
TEST(Lv2HostInput, TimeSequencesWhoseSizesLieAreIgnored)
{
    auto map = [](const char* uri) { return Lv2World::Get().Map().Map(uri); };
    const uint32_t seq = map(LV2_ATOM__Sequence), position = map(LV2_TIME__Position), object = map(LV2_ATOM__Object);
    const std::vector<uint32_t> property = {map(LV2_TIME__beatsPerMinute), 0, sizeof(float), map(LV2_ATOM__Float),
                                            std::bit_cast<uint32_t>(120.f)};
    constexpr uint32_t kBody = sizeof(LV2_Atom_Sequence_Body), kEvent = sizeof(LV2_Atom_Event);
    constexpr uint32_t kObject = sizeof(LV2_Atom_Object_Body) + sizeof(LV2_Atom_Property_Body) + 8;
    // A position whose property is cut to its first `bytes` bytes, inside an object that says so.
    auto cutProperty = [&](uint32_t bytes) {
        const uint32_t size = sizeof(LV2_Atom_Object_Body) + bytes;
        std::vector<uint32_t> w = {kBody + kEvent + size, seq, 0, 0, 0, 0, size, object, 0, position};
        w.insert(w.end(), property.begin(), property.begin() + bytes / 4);
        return w;
    };
    std::vector<uint32_t> tooLong = {kBody + kEvent + kObject, seq, 0, 0, 0, 0, kObject + 64, object, 0, position};
    tooLong.insert(tooLong.end(), property.begin(), property.end());
    tooLong.push_back(0);
    const struct {
        const char* what;
        std::vector<uint32_t> words;
    } cases[] = {
        {"an event header cut off by the sequence end", {kBody + 8, seq, 0, 0, 0, 0}},
        {"an event longer than its sequence", tooLong},
        {"a property header cut off by the object end", cutProperty(4)},
        {"a property value cut off", cutProperty(12)},
        {"a property value missing", cutProperty(16)},
        {"a sequence smaller than its body", {4, seq, 0, 0}},
        {"another atom type", {8, map(LV2_ATOM__Int), 0, 0}},
        {"an empty sequence", {kBody, seq, 0, 0}},
        {"no sequence", {}},
    };
    const std::vector<Setting> followTempo = {{"host_tempo", kParam_HostTempo, 1.f},
                                              {"lfo_host_tempo", kParam_LfoHostTempo, 1.f}};
    const Signal in = TestSignal(2, 8192);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Lv2Instance plugin(kStereoUri);
        Reference reference(2);
        Apply(kBusy, &plugin, &reference);
        Apply(followTempo, &plugin, &reference);
        const std::vector<uint32_t> exact(c.words);  // the heap block ends where the words do
        plugin.time = exact.empty() ? nullptr : exact.data();
        EXPECT_EQ(MaxAbsDifference(plugin.Process(in, 512), reference.Process(in, 512)), 0.f);
    }
}

}  // namespace
