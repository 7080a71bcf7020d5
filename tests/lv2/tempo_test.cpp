// Host tempo: time:Position events on the time port reach the effect through its beat-and-tempo
// callback, from the event's frame on; without them the callback fails and the effect keeps its
// own times.
#include <gtest/gtest.h>

#include <lv2/atom/forge.h>
#include <lv2/time/time.h>

#include "lv2/Lv2Harness.h"
#include "plugins/lv2/Lv2Transport.h"

namespace {

// Loop and LFO follow the tempo: 1 beat of 1/8 at 120 BPM is 0.25 s, the delay time says 0.0625 s.
const std::vector<Setting> kSynced = {
    {"host_tempo", kParam_HostTempo, 1.f},     {"beats", kParam_Beats, 1.f},
    {"beat_divisor", kParam_BeatDivisor, 3.f}, {"lfo_host_tempo", kParam_LfoHostTempo, 1.f},
    {"lfo_beats", kParam_LfoBeats, 2.f},       {"lfo_beat_divisor", kParam_LfoBeatDivisor, 4.f},
};

class Lv2TempoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Apply(kBusy, &plugin, &reference);
        Apply(kSynced, &plugin, &reference);
    }
    const Signal in = TestSignal(2, 40000);
    Lv2Instance plugin{kStereoUri};
    Reference reference{2};
};

// A tempo change inside a run applies from its frame: the run is rendered in two parts.
TEST_F(Lv2TempoTest, APositionsTempoDrivesTheSyncedLoopAndLfoFromItsFrame)
{
    Signal out(2, std::vector<float>(in[0].size())), expected = out;
    reference.SetTempo(120.0);
    plugin.QueueTempo(0, 120.f);
    constexpr uint32_t kBlock = 1024;
    for (size_t at = 0, n = 0; at + kBlock <= in[0].size(); at += kBlock, ++n) {
        if (n == 3) {
            plugin.QueueTempo(300, 90.f);
            reference.Render(in, expected, at, 300);
            reference.SetTempo(90.0);
            reference.Render(in, expected, at + 300, kBlock - 300);
        } else {
            reference.Render(in, expected, at, kBlock);
        }
        plugin.Run(in, out, at, kBlock);
    }
    EXPECT_EQ(MaxAbsDifference(out, expected), 0.f);
    Reference unsynced(2);
    Apply(kBusy, nullptr, &unsynced);
    EXPECT_GT(MaxAbsDifference(out, unsynced.Process(in, kBlock)), 0.01f);
}

// No position in the sequence, or no sequence at all.
TEST_F(Lv2TempoTest, WithoutTempoInformationTheEffectKeepsItsOwnTimes)
{
    const Signal withEmptySequence = plugin.Process(in, 512);
    EXPECT_EQ(MaxAbsDifference(withEmptySequence, reference.Process(in, 512)), 0.f);
    Lv2Instance unconnected(kStereoUri);
    Apply(kBusy, &unconnected, nullptr);
    Apply(kSynced, &unconnected, nullptr);
    unconnected.time = nullptr;
    EXPECT_EQ(MaxAbsDifference(unconnected.Process(in, 512), withEmptySequence), 0.f);
}

// The transport on its own: positions read from forged atoms.
class Lv2TransportTest : public ::testing::Test {
protected:
    void SetUp() override { lv2_atom_forge_init(&forge, map.Lv2Map()); }

    // A time:Position (or another object type) with the given properties.
    const LV2_Atom& Object(std::initializer_list<std::pair<const char*, double>> properties,
                           const char* type = LV2_TIME__Position, bool asDouble = false)
    {
        lv2_atom_forge_set_buffer(&forge, buffer, sizeof buffer);
        LV2_Atom_Forge_Frame frame;
        lv2_atom_forge_object(&forge, &frame, 0, map.Map(type));
        for (const auto& [key, value] : properties) {
            lv2_atom_forge_key(&forge, map.Map(key));
            asDouble ? lv2_atom_forge_double(&forge, value) : lv2_atom_forge_float(&forge, float(value));
        }
        lv2_atom_forge_pop(&forge, &frame);
        return *reinterpret_cast<const LV2_Atom*>(buffer);
    }

    UridMap map;
    Lv2Uris uris{map.Lv2Map()};
    LV2_Atom_Forge forge;
    alignas(16) uint8_t buffer[512];
    Lv2Transport transport{48000.0};
    Float64 beat = -1, tempo = -1;
};

// Not before a tempo above zero arrives in a position (a beat alone or another object is none),
// and no longer once one at or below zero withdraws it.
TEST_F(Lv2TransportTest, AnswersOnlyWhileItHasATempo)
{
    EXPECT_EQ(transport.BeatAndTempo(&beat, &tempo), kAudioUnitErr_NotHandled);
    transport.Read(Object({{LV2_TIME__beat, 3.0}}), uris);
    EXPECT_EQ(transport.BeatAndTempo(&beat, &tempo), kAudioUnitErr_NotHandled);
    transport.Read(Object({{LV2_TIME__beatsPerMinute, 120.0}}, "urn:other:object"), uris);
    EXPECT_EQ(transport.BeatAndTempo(&beat, &tempo), kAudioUnitErr_NotHandled);
    EXPECT_EQ(tempo, -1);
    transport.Read(Object({{LV2_TIME__beatsPerMinute, 140.0}}, LV2_TIME__Position, true), uris);
    ASSERT_EQ(transport.BeatAndTempo(nullptr, &tempo), noErr);
    EXPECT_EQ(tempo, 140.0);
    for (double withdrawn : {0.0, -20.0}) {
        transport.Read(Object({{LV2_TIME__beatsPerMinute, 100.0}}), uris);
        ASSERT_EQ(transport.BeatAndTempo(&beat, &tempo), noErr);
        transport.Read(Object({{LV2_TIME__beatsPerMinute, withdrawn}}), uris);
        EXPECT_EQ(transport.BeatAndTempo(&beat, &tempo), kAudioUnitErr_NotHandled) << withdrawn;
    }
}

TEST_F(Lv2TransportTest, TheBeatMovesOnWithTempoAndSpeed)
{
    transport.Read(Object({{LV2_TIME__beatsPerMinute, 120.0}, {LV2_TIME__beat, 4.0}, {LV2_TIME__speed, 1.0}}), uris);
    ASSERT_EQ(transport.BeatAndTempo(&beat, &tempo), noErr);
    EXPECT_EQ(beat, 4.0);
    EXPECT_EQ(tempo, 120.0);
    transport.Advance(24000);  // half a second: one beat
    transport.BeatAndTempo(&beat, &tempo);
    EXPECT_DOUBLE_EQ(beat, 5.0);
    transport.Read(Object({{LV2_TIME__speed, 0.0}}), uris);  // stopped
    transport.Advance(48000);
    transport.BeatAndTempo(&beat, &tempo);
    EXPECT_DOUBLE_EQ(beat, 5.0);
}

}  // namespace
