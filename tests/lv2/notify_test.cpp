// The notify port: display messages 30 times a second of audio time while the editor says it is
// showing, at most one per run, carrying the engine's live data; small or unconnected buffers;
// silence without an audio buffer; and a run that allocates nothing.
#include <gtest/gtest.h>

#include <lv2/atom/util.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "engine/FlummelShared.h"
#include "lv2/Lv2Harness.h"
#include "platform/audio/AudioUnitCalls.h"
#include "plugins/lv2/Lv2DisplayMessage.h"
#include "plugins/lv2/Lv2NotifyPort.h"
#include "support/AllocCounter.h"

namespace {

constexpr uint32_t kRoomyNotify = 16384;
constexpr uint8_t kUntouched = 0xA5;

struct Message {
    int64_t frame;
    DataToGui data;
    std::vector<float> overview;  // (lower_k, upper_k) for each entry k
};

// The display messages the last run left in the notify buffer; any other event, or a sequence
// that claims more than the buffer holds, fails the test.
std::vector<Message> Messages(Lv2Instance& plugin)
{
    UridMap& map = Lv2World::Get().Map();
    const Lv2DisplayMessage reader(map.Lv2Map());
    const LV2_Atom_Sequence& sequence = plugin.Notify();
    std::vector<Message> messages;
    EXPECT_EQ(sequence.atom.type, map.Map(LV2_ATOM__Sequence));
    if (sequence.atom.size > plugin.NotifyBytes().size() - sizeof(LV2_Atom)) {
        ADD_FAILURE() << "the sequence runs past its buffer";
        return messages;
    }
    LV2_ATOM_SEQUENCE_FOREACH (&sequence, event) {
        std::vector<std::atomic<float>> overview(kSampleOverviewFloats);
        Message m{event->time.frames, {}, {}};
        EXPECT_TRUE(reader.Read(&event->body, m.data, overview.data())) << "not a display message";
        for (int k = 0; k < kSampleOverviewEntries; ++k)
            m.overview.insert(m.overview.end(), {overview[4 * k + 1].load(), overview[4 * k + 3].load()});
        messages.push_back(std::move(m));
    }
    return messages;
}

// One run of silence; `showing`: with the editor's word that it is showing.
void RunSilence(Lv2Instance& plugin, uint32_t frames, bool showing = true)
{
    if (showing) plugin.QueueShowing(frames / 2);
    const Signal silence(plugin.Channels(), std::vector<float>(frames));
    Signal out = silence;
    plugin.Run(silence, out, 0, frames);
}

TEST(Lv2Notify, SendsThirtyMessagesASecondOfAudioAndAtMostOnePerRun)
{
    const struct {
        const char* uri;
        double rate;
        uint32_t block, runs, messages;
    } cases[] = {
        {kStereoUri, 48000, 512, 937, 300},  // 10 s: due every 1600 frames
        {kMonoUri, 44100, 1000, 441, 300},   // 10 s: due every 1470 frames
        {kStereoUri, 48000, 1600, 300, 300},  // exactly one interval a run
        {kStereoUri, 48000, 2000, 240, 240},  // one or two due in every run: one message each
        {kMonoUri, 48000, 8192, 60, 60},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.uri << " " << c.rate << " Hz, runs of " << c.block);
        Lv2Instance plugin(c.uri, c.rate);
        plugin.ConnectNotify(kRoomyNotify);
        const double interval = c.rate / 30.0;
        uint32_t count = 0;
        int64_t last = -1;
        for (uint32_t run = 0; run < c.runs; ++run) {
            RunSilence(plugin, c.block);
            const std::vector<Message> messages = Messages(plugin);
            ASSERT_LE(messages.size(), 1u) << "run " << run;
            if (messages.empty()) continue;
            ASSERT_TRUE(messages[0].frame >= 0 && messages[0].frame < c.block);
            const int64_t at = int64_t(run) * c.block + messages[0].frame;
            EXPECT_TRUE(count++ > 0 || run == 0) << "the first message comes with the first run";
            EXPECT_TRUE(last < 0 || c.block >= interval || std::fabs(double(at - last) - interval) <= c.block)
                << "run " << run << ": " << at - last;
            last = at;
        }
        EXPECT_EQ(count, c.messages);
    }
}

// No message before the editor first says it is showing; one in the run that brings the word,
// then 30 a second for three seconds after the last word, and none after that.
TEST(Lv2Notify, MessagesFollowTheEditorsWordThatItIsShowing)
{
    Lv2Instance plugin(kStereoUri, 48000);
    plugin.ConnectNotify(kRoomyNotify);
    std::vector<int> runsWithMessages;
    for (int run = 0; run < 1000; ++run) {  // 512 frames a run
        RunSilence(plugin, 512, run == 200 || run == 210 || run == 900);
        if (!Messages(plugin).empty()) runsWithMessages.push_back(run);
    }
    const int lastShowing = 210 + 144000 / 512;  // three seconds after the word in run 210
    const double perRun = 512.0 / 1600.0;
    ASSERT_FALSE(runsWithMessages.empty());
    EXPECT_EQ(runsWithMessages.front(), 200);
    const auto again = std::find(runsWithMessages.begin(), runsWithMessages.end(), 900);
    ASSERT_NE(again, runsWithMessages.end()) << "a word after silence brings a message at once";
    EXPECT_LE(*std::prev(again), lastShowing);
    EXPECT_GT(*std::prev(again), lastShowing - 4);
    EXPECT_NEAR(double(again - runsWithMessages.begin()), (lastShowing + 1 - 200) * perRun, 1.0);
    EXPECT_NEAR(double(runsWithMessages.end() - again), (1000 - 900) * perRun, 1.0);
}

// Half a second of signal into the first quarter of a two-second loop, then silence: every
// message holds what the engine itself reports after the same audio, and the overview shows
// signal where it was recorded and nothing elsewhere.
TEST(Lv2Notify, MessagesCarryTheEnginesHeadAndOverview)
{
    Lv2Instance plugin(kStereoUri, 48000);
    Reference reference(2, 48000);
    Apply({{"delay_time", kParam_DelayTime, 2.f}, {"feedback", kParam_Feedback, 0.f}}, &plugin, &reference);
    plugin.ConnectNotify(kRoomyNotify);
    float* overview = nullptr;
    UInt32 size = sizeof overview;
    ASSERT_EQ(AudioUnitGetProperty(reference.Unit(), kSampleOverviewProperty, kAudioUnitScope_Global, 0, &overview, &size),
              noErr);
    Signal in = TestSignal(2, 48000, 5);
    for (auto& channel : in) std::fill(channel.begin() + 24000, channel.end(), 0.f);
    Signal out = in, expected = in;
    int count = 0;
    Message last{};
    for (size_t at = 0; at < in[0].size(); at += 512) {
        const uint32_t frames = uint32_t(std::min<size_t>(512, in[0].size() - at));
        plugin.QueueShowing();
        plugin.Run(in, out, at, frames);
        reference.Render(in, expected, at, frames);
        const std::vector<Message> messages = Messages(plugin);
        if (messages.empty()) continue;
        DataToGui engine{};
        size = sizeof engine;
        AudioUnitGetProperty(reference.Unit(), kDataToGuiProperty, kAudioUnitScope_Global, 0, &engine, &size);
        EXPECT_EQ(std::memcmp(&messages[0].data, &engine, sizeof engine), 0) << "at " << at;
        last = messages[0];
        ++count;
    }
    ASSERT_EQ(count, 30);
    EXPECT_NEAR(last.data.headPosition, 0.5f, 0.02f);
    for (int k = 0; k < kSampleOverviewEntries; ++k) {
        SCOPED_TRACE(k);
        const float lower = last.overview[2 * k], upper = last.overview[2 * k + 1];
        EXPECT_EQ(lower, overview[4 * k + 1]);
        EXPECT_EQ(upper, overview[4 * k + 3]);
        const bool recorded = k < 64;  // 24000 frames of 96000, 256 entries
        EXPECT_EQ(lower < 0.f && upper > 0.f, recorded);
        EXPECT_EQ(lower == 0.f && upper == 0.f, !recorded);
    }
}

// A buffer too small for a message gets a valid empty sequence and nothing past its header; a
// port disconnected keeps its old buffer untouched; activation starts the count afresh.
TEST(Lv2Notify, SmallDisconnectedAndReactivatedBuffers)
{
    const uint32_t kExact = Lv2NotifyPort::kMinimumSize;
    const struct {
        uint32_t bytes, atomSize, messages;
    } cases[] = {
        {kExact, kExact - 8, 1}, {kExact - 8, 8, 0},
        {16, 8, 0},  // room for the sequence body only
        {8, 0, 0},   // not even that
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        Lv2Instance plugin(kStereoUri, 48000);
        plugin.ConnectNotify(c.bytes);
        std::fill(plugin.NotifyBytes().begin(), plugin.NotifyBytes().end(), kUntouched);
        RunSilence(plugin, 512);
        EXPECT_EQ(plugin.Notify().atom.size, c.atomSize);
        EXPECT_EQ(c.atomSize > 0 ? Messages(plugin).size() : 0u, c.messages);
        const std::vector<uint8_t>& bytes = plugin.NotifyBytes();
        for (size_t i = sizeof(LV2_Atom) + c.atomSize; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], kUntouched) << i;
    }

    Lv2Instance plugin(kMonoUri, 48000);
    plugin.ConnectNotify(kRoomyNotify);
    for (size_t expected : {1, 0, 1}) {  // activation between the second run and the third
        if (expected == 1) {
            lilv_instance_deactivate(plugin.Lilv());
            lilv_instance_activate(plugin.Lilv());
        }
        RunSilence(plugin, 256);
        EXPECT_EQ(Messages(plugin).size(), expected);
    }
    plugin.ConnectNotify(0);
    std::fill(plugin.NotifyBytes().begin(), plugin.NotifyBytes().end(), kUntouched);
    for (int run = 0; run < 10; ++run) RunSilence(plugin, 1024);
    for (uint8_t b : plugin.NotifyBytes()) ASSERT_EQ(b, kUntouched);
}

// With an audio buffer missing the effect does not run: silence, and an empty sequence to read.
TEST(Lv2Notify, AMissingAudioBufferGivesSilenceAndAnEmptySequence)
{
    const Signal in = TestSignal(2, 8192);
    for (bool input : {true, false}) {
        SCOPED_TRACE(input ? "input" : "output");
        Lv2Instance plugin(kStereoUri);
        Apply(kBusy, &plugin, nullptr);
        plugin.ConnectNotify(kRoomyNotify);
        Signal out(2, std::vector<float>(in[0].size()));
        plugin.Run(in, out, 0, 4096);
        ASSERT_GT(MaxAbsDifference(out, Signal(2, std::vector<float>(in[0].size()))), 0.1f);
        (input ? plugin.inputConnected : plugin.outputConnected)[1] = false;
        plugin.Run(in, out, 4096, 4096);
        for (size_t c = 0; c < (input ? 2u : 1u); ++c)
            for (size_t i = 4096; i < 8192; ++i) ASSERT_EQ(out[c][i], 0.f) << c << " " << i;
        EXPECT_EQ(plugin.Notify().atom.size, 8u);
        EXPECT_EQ(plugin.Notify().atom.type, Lv2World::Get().Map().Map(LV2_ATOM__Sequence));
    }
}

// Control changes, triggers, fades of the bypass, tempo events and messages sent: no allocation.
TEST(Lv2Notify, RunAllocatesNothing)
{
    long instantiation = 0;
    {
        testsupport::AllocationScope scope;
        Lv2Instance probe(kStereoUri);
        instantiation = scope.Count();
    }
    ASSERT_GT(instantiation, 0) << "the counter does not see the plug-in's allocations";
    Lv2Instance plugin(kStereoUri, 48000);
    Apply(kBusy, &plugin, nullptr);
    plugin.ConnectNotify(kRoomyNotify);
    const Signal in = TestSignal(2, 4096);
    Signal out = in;
    plugin.Run(in, out, 0, 4096);  // warm up
    plugin.Control("host_tempo") = 1.f;
    plugin.Control("lfo_host_tempo") = 1.f;
    long allocations = 0;
    size_t messages = 0;
    for (int n = 0; n < 40; ++n) {
        plugin.Control("feedback") = float(n);
        plugin.Control("re_sync") = float(n % 2);
        plugin.Control("enabled") = n % 7 < 3 ? 0.f : 1.f;  // fades both ways, settled both ways
        plugin.QueueTempo(uint32_t(n * 50), 100.f + float(n));
        plugin.QueueShowing(uint32_t(n * 50));  // the first one fetches the engine's overview
        testsupport::AllocationScope scope;
        plugin.RunConnected(n % 5 == 0 ? 2500 : 512);
        allocations += scope.Count();
        messages += Messages(plugin).size();
    }
    EXPECT_GE(messages, 15u);
    EXPECT_EQ(allocations, 0);
}

}  // namespace
