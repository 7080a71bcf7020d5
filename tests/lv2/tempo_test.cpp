// Host tempo: time:Position events on the time port reach the effect through its beat-and-tempo
// callback, from the event's frame on, until a tempo at or below zero withdraws it.
#include <gtest/gtest.h>

#include <lv2/atom/forge.h>
#include <lv2/time/time.h>

#include "lv2/Lv2Harness.h"
#include "plugins/lv2/Lv2Transport.h"

namespace {

// Loop and LFO follow the tempo: 1 beat of 1/8 at 120 BPM is 0.25 s, the delay time says 0.0625 s.
// A tempo change inside a run applies from its frame: the reference renders the run in two parts.
// A tempo of zero leaves the effect without one until the next position brings it back.
TEST(Lv2Tempo, APositionsTempoDrivesTheSyncedLoopAndLfoFromItsFrame)
{
    const std::vector<Setting> synced = {
        {"host_tempo", kParam_HostTempo, 1.f},     {"beats", kParam_Beats, 1.f},
        {"beat_divisor", kParam_BeatDivisor, 3.f}, {"lfo_host_tempo", kParam_LfoHostTempo, 1.f},
        {"lfo_beats", kParam_LfoBeats, 2.f},       {"lfo_beat_divisor", kParam_LfoBeatDivisor, 4.f},
    };
    const Signal in = TestSignal(2, 60000);
    Lv2Instance plugin(kStereoUri);
    Reference reference(2), unsynced(2);
    Apply(kBusy, &plugin, &reference);
    Apply(kBusy, nullptr, &unsynced);
    Apply(synced, &plugin, &reference);
    Signal out(2, std::vector<float>(in[0].size())), expected = out;
    reference.SetTempo(120.0);
    plugin.QueueTempo(0, 120.f);
    constexpr uint32_t kBlock = 1024;
    for (size_t at = 0, n = 0; at + kBlock <= in[0].size(); at += kBlock, ++n) {
        const uint32_t change = n == 3 ? 300 : kBlock;
        if (n == 20 || n == 40) {
            plugin.QueueTempo(0, n == 20 ? 0.f : 100.f);
            reference.SetTempo(n == 20 ? std::nullopt : std::optional<double>(100.0));
        }
        reference.Render(in, expected, at, change);
        if (change < kBlock) {
            plugin.QueueTempo(change, 90.f);
            reference.SetTempo(90.0);
            reference.Render(in, expected, at + change, kBlock - change);
        }
        plugin.Run(in, out, at, kBlock);
    }
    EXPECT_EQ(MaxAbsDifference(out, expected), 0.f);
    EXPECT_GT(MaxAbsDifference(out, unsynced.Process(in, kBlock)), 0.01f);
}

// No tempo before a position brings one, which may come as a double; a beat alone is none. The
// effect asks for the tempo only.
TEST(Lv2Tempo, TheTransportAnswersOnlyOnceAPositionGivesATempo)
{
    UridMap map;
    const Lv2Uris uris{map.Lv2Map()};
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, map.Lv2Map());
    alignas(16) uint8_t buffer[512];
    Lv2Transport transport{48000.0};
    Float64 tempo = -1;
    const auto read = [&](const char* key, double value, bool asDouble = false) {
        lv2_atom_forge_set_buffer(&forge, buffer, sizeof buffer);
        LV2_Atom_Forge_Frame frame;
        lv2_atom_forge_object(&forge, &frame, 0, map.Map(LV2_TIME__Position));
        lv2_atom_forge_key(&forge, map.Map(key));
        asDouble ? lv2_atom_forge_double(&forge, value) : lv2_atom_forge_float(&forge, float(value));
        lv2_atom_forge_pop(&forge, &frame);
        transport.Read(*reinterpret_cast<const LV2_Atom*>(buffer), uris);
        return transport.BeatAndTempo(nullptr, &tempo);
    };
    EXPECT_EQ(transport.BeatAndTempo(nullptr, &tempo), kAudioUnitErr_NotHandled);
    EXPECT_EQ(read(LV2_TIME__beat, 3.0), kAudioUnitErr_NotHandled);
    ASSERT_EQ(read(LV2_TIME__beatsPerMinute, 140.0, true), noErr);
    EXPECT_EQ(tempo, 140.0);
}

}  // namespace
