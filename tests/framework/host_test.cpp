// AUHost driving the TestUnit through the host calls: setup, the input render callback, the host
// callbacks, render time stamps, and the property recorder.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "TestUnit.h"
#include "framework/CAStreamBasicDescription.h"
#include "host/AUHost.h"
#include "support/AUPropertyRecorder.h"
#include "support/AllocCounter.h"

namespace {

struct HostFixture : ::testing::Test {
    void SetUp() override
    {
        TestUnitComponent();
        ASSERT_EQ(AUHost::Open(kTestUnitDesc, host), noErr);
        unit = TestUnitOf(host->Unit());
    }
    std::unique_ptr<AUHost> host;
    TestUnit* unit = nullptr;
    float a[2048], b[2048];
    float* out[2] = {a, b};
};

std::vector<float> Ramp(UInt32 n, float base)
{
    std::vector<float> v(n);
    for (UInt32 i = 0; i < n; ++i) v[i] = base + float(i);
    return v;
}

}  // namespace

TEST_F(HostFixture, SetupCallsReachTheUnitAndRefusalsAreReported)
{
    std::unique_ptr<AUHost> none;
    EXPECT_NE(AUHost::Open(ComponentDescription{FourCC("none"), FourCC("none"), FourCC("none"), 0, 0}, none), noErr);
    EXPECT_EQ(none, nullptr);

    ASSERT_EQ(host->SetFormat(48000, 3), noErr);
    const auto expected = CAStreamBasicDescription::CanonicalFormat(48000, 3);
    EXPECT_EQ(std::memcmp(&unit->GetInput(0)->GetStreamFormat(), &expected, sizeof expected), 0);
    EXPECT_EQ(std::memcmp(&unit->GetOutput(0)->GetStreamFormat(), &expected, sizeof expected), 0);
    AudioUnitParameterValue read = 0;
    EXPECT_EQ(host->GetParameter(3, read), kAudioUnitErr_InvalidParameter);

    ASSERT_EQ(host->Initialize(), noErr);
    // A refused format is reported and leaves the host's channel count alone.
    EXPECT_EQ(host->SetFormat(44100, 2), kAudioUnitErr_PropertyNotWritable);
    EXPECT_EQ(host->Channels(), 3u);
}

TEST_F(HostFixture, RenderAdvancesTheSampleTimeAndRendersATimeOnce)
{
    ASSERT_EQ(host->SetInputSignal({Ramp(300, 0), Ramp(300, 1000)}), noErr);
    ASSERT_EQ(host->Initialize(), noErr);
    ASSERT_EQ(host->Render(out, 2, 256), noErr);
    EXPECT_EQ(unit->lastSampleTime, 0.0);
    EXPECT_EQ(b[255], 1255.f);
    ASSERT_EQ(host->Render(out, 2, 100), noErr);
    EXPECT_EQ(unit->lastSampleTime, 256.0);
    EXPECT_EQ(host->SampleTime(), 356.0);
    EXPECT_EQ(host->InputCallbackCount(), 2u);
    // The second block continues the signal and runs into zeros after frame 300.
    EXPECT_EQ((std::vector<float>{a[0], a[43], a[44], b[43], b[99], b[100]}),
              (std::vector<float>{256, 299, 0, 1299, 0, 1100}));  // the last left over from the first block

    host->SetSampleTime(1e6);
    ASSERT_EQ(host->Render(out, 2, 8), noErr);
    EXPECT_EQ(unit->lastSampleTime, 1e6);
    // The same time renders once, unless the unit was reset in between.
    host->SetSampleTime(1e6);
    ASSERT_EQ(host->Render(out, 2, 8), noErr);
    EXPECT_EQ(unit->renderCount, 3);
    ASSERT_EQ(host->Reset(), noErr);
    host->SetSampleTime(1e6);
    ASSERT_EQ(host->Render(out, 2, 8), noErr);
    EXPECT_EQ(unit->renderCount, 4);
}

TEST_F(HostFixture, InputSourceSeesTheUnitsBuffersAndMarksSilence)
{
    UInt32 count = 0, frames = 0;
    Float64 time = -1;
    float* first = nullptr;
    bool silent = false;
    ASSERT_EQ(host->SetInputSource([&](float* const* ch, UInt32 n, UInt32 f, Float64 t) {
        std::tie(count, frames, time, first) = std::tuple(n, f, t, ch[0]);
        for (UInt32 c = 0; c < n; ++c)
            for (UInt32 i = 0; i < f; ++i) ch[c][i] = silent ? 0.f : 1.f + float(c);
        return silent;
    }),
              noErr);
    ASSERT_EQ(host->Initialize(), noErr);
    host->SetSampleTime(512);
    ASSERT_EQ(host->Render(out, 2, 64), noErr);
    EXPECT_EQ(std::tuple(count, frames, time), std::tuple(2u, 64u, 512.0));
    EXPECT_EQ(first, unit->GetInput(0)->GetChannelData(0));
    EXPECT_EQ(b[63], 2.f);
    EXPECT_FALSE(host->LastRenderFlags() & kAudioUnitRenderAction_OutputIsSilence);

    silent = true;
    ASSERT_EQ(host->Render(out, 2, 64), noErr);
    EXPECT_TRUE(host->LastRenderFlags() & kAudioUnitRenderAction_OutputIsSilence);
    EXPECT_EQ(a[0], 0.f);
    ASSERT_EQ(host->SetInputSource(nullptr), noErr);  // an empty source removes the callback
    EXPECT_FALSE(unit->HasInput(0));
}

TEST_F(HostFixture, RenderNullCopiesFromTheUnitsBuffersWithoutAllocating)
{
    ASSERT_EQ(host->SetInputSignal({Ramp(32, 5), Ramp(32, 50)}), noErr);
    ASSERT_EQ(host->Initialize(), noErr);
    testsupport::AllocationScope scope;
    ASSERT_EQ(host->RenderNull(out, 2, 32), noErr);
    EXPECT_EQ(scope.Count(), 0);
    for (UInt32 i = 0; i < 32; ++i) ASSERT_EQ(b[i] - a[i], 45.f) << i;
    EXPECT_EQ(a[31], 36.f);
    EXPECT_EQ(host->SampleTime(), 32.0);
    ASSERT_EQ(host->Render(out, 2, 32), noErr);
    EXPECT_EQ(scope.Count(), 0);
    EXPECT_EQ(b[0], 0.f);  // past the signal

    EXPECT_EQ(host->Render(out, 2, 1157), kAudioUnitErr_TooManyFramesToProcess);
    EXPECT_EQ(host->RenderNull(out, 2, 1157), kAudioUnitErr_TooManyFramesToProcess);
    std::vector<float*> many(AUHost::kMaxChannels + 1, a);
    EXPECT_EQ(host->Render(many.data(), AUHost::kMaxChannels + 1, 16), paramErr);
    std::vector<std::vector<float>> processed;
    EXPECT_EQ(host->Process({Ramp(64, 0), Ramp(64, 0)}, processed, 0), paramErr);
    EXPECT_EQ(unit->renderCount, 2);  // failed calls never rendered
}

TEST_F(HostFixture, TempoCallbackAnswersTheBeatAtTheRenderTime)
{
    ASSERT_EQ(host->SetTempo(120.0), noErr);
    ASSERT_EQ(host->Initialize(), noErr);
    host->SetSampleTime(44100);
    ASSERT_EQ(host->Render(out, 2, 100), noErr);
    EXPECT_EQ(unit->tempoResult, noErr);
    EXPECT_EQ(unit->tempo, 120.0);
    EXPECT_EQ(unit->tempoOnly, 120.0);
    EXPECT_DOUBLE_EQ(unit->beat, 2.0);  // one second at 120 bpm
    EXPECT_EQ(host->TempoCallbackCount(), 2u);
    ASSERT_EQ(host->SetTempo(std::nullopt), noErr);  // without a tempo the record has no procedures
    EXPECT_EQ(unit->GetHostCallbackInfo().beatAndTempoProc, nullptr);
}

TEST_F(HostFixture, PropertyRecorderKeepsNotificationsInOrder)
{
    {
        AUPropertyRecorder recorder(host->Unit(), 3);
        ASSERT_EQ(recorder.Listen(kAudioUnitProperty_StreamFormat), noErr);
        ASSERT_EQ(recorder.Listen(kAudioUnitProperty_MaximumFramesPerSlice), noErr);
        ASSERT_EQ(recorder.Listen(kAudioUnitProperty_StreamFormat), noErr);  // once per id

        ASSERT_EQ(host->SetFormat(44100, 1), noErr);
        ASSERT_EQ(host->SetTempo(100.0), noErr);  // not listened to
        ASSERT_EQ(host->SetMaxFramesPerSlice(64), noErr);
        const std::vector<AUPropertyRecorder::Entry> entries = recorder.Entries();
        ASSERT_EQ(entries.size(), 3u);
        EXPECT_EQ(std::tuple(entries[0].scope, entries[1].scope, entries[2].id),
                  std::tuple(kAudioUnitScope_Input, kAudioUnitScope_Output, kAudioUnitProperty_MaximumFramesPerSlice));
        EXPECT_EQ(recorder.Count(kAudioUnitProperty_StreamFormat), 2u);

        // Past the capacity notifications are counted only.
        ASSERT_EQ(host->SetMaxFramesPerSlice(128), noErr);
        EXPECT_EQ(recorder.Count(), 4u);
        EXPECT_EQ(recorder.Entries().size(), 3u);
        recorder.Clear();
        EXPECT_TRUE(recorder.Entries().empty());
    }
    // The recorder stopped listening: a notification now would reach freed memory.
    ASSERT_EQ(host->SetMaxFramesPerSlice(256), noErr);
}
