// AUHost against a small fake unit registered here: argument marshalling of every host call,
// the input render callback, the host callbacks and the render time stamps.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "host/AUHost.h"
#include "host/AUPropertyRecorder.h"
#include "support/AllocCounter.h"

namespace {

constexpr UInt32 kFakeMaxChannels = 4;
constexpr UInt32 kFakeMaxFrames = 1024;

// A unit that records what it is asked; its render pulls the input callback and writes
// 2 x input + 10 x channel into the output.
struct FakeUnit {
    struct PropertySet {
        AudioUnitPropertyID id;
        AudioUnitScope scope;
        AudioUnitElement element;
        UInt32 size;
        std::vector<Byte> data;
    };
    struct RenderCall {
        AudioUnitRenderActionFlags flags;
        AudioTimeStamp timeStamp;
        UInt32 bus, frames, buffers;
        void* data[kFakeMaxChannels];
        UInt32 byteSize[kFakeMaxChannels];
    };
    struct Listener {
        AudioUnitPropertyID id;
        AudioUnitPropertyListenerProc proc;
        void* refCon;
    };

    FakeUnit()
    {
        renders.reserve(64);
        tempoReports.reserve(64);
    }

    static inline int closed = 0, uninitializedAtClose = -1;
    int initialized = 0, uninitialized = 0;
    std::vector<PropertySet> sets;
    AURenderCallbackStruct input{};
    HostCallbackInfo host{};
    bool hostSet = false;
    std::vector<RenderCall> renders;
    AudioUnitParameterID paramId = 0;
    AudioUnitScope paramScope = 99, resetScope = 99;
    AudioUnitElement paramElement = 99, resetElement = 99;
    UInt32 paramOffset = 99;
    AudioUnitParameterValue param = 0;
    std::vector<Listener> listeners;
    struct TempoReport {
        OSStatus result;
        Float64 beat, tempo;
    };
    std::vector<TempoReport> tempoReports;
    float inputs[kFakeMaxChannels][kFakeMaxFrames];
    float outputs[kFakeMaxChannels][kFakeMaxFrames];

    OSStatus SetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, const void* data,
                         UInt32 size)
    {
        const auto* bytes = static_cast<const Byte*>(data);
        sets.push_back(PropertySet{id, scope, element, size, std::vector<Byte>(bytes, bytes + size)});
        if (id == kAudioUnitProperty_StreamFormat) {
            const auto* f = static_cast<const AudioStreamBasicDescription*>(data);
            if (f->mChannelsPerFrame > kFakeMaxChannels) return kAudioUnitErr_FormatNotSupported;
        }
        if (id == kAudioUnitProperty_SetRenderCallback) std::memcpy(&input, data, sizeof input);
        if (id == kAudioUnitProperty_HostCallbacks) {
            std::memcpy(&host, data, sizeof host);
            hostSet = true;
        }
        for (const Listener& l : listeners)
            if (l.id == id) l.proc(l.refCon, self, id, scope, element);
        return noErr;
    }

    OSStatus Render(AudioUnitRenderActionFlags* flags, const AudioTimeStamp* ts, UInt32 bus, UInt32 frames,
                    AudioBufferList* io)
    {
        if (io->mNumberBuffers > kFakeMaxChannels) return paramErr;
        RenderCall call{*flags, *ts, bus, frames, io->mNumberBuffers, {}, {}};
        for (UInt32 c = 0; c < io->mNumberBuffers; ++c) {
            call.data[c] = io->mBuffers[c].mData;
            call.byteSize[c] = io->mBuffers[c].mDataByteSize;
        }
        renders.push_back(call);
        if (frames > kFakeMaxFrames) return kAudioUnitErr_TooManyFramesToProcess;

        if (host.beatAndTempoProc) {
            TempoReport r{0, -1, -1};
            r.result = host.beatAndTempoProc(host.hostUserData, &r.beat, &r.tempo);
            Float64 tempoOnly = -1;
            if (host.beatAndTempoProc(host.hostUserData, nullptr, &tempoOnly) != noErr || tempoOnly != r.tempo)
                r.result = -1;
            tempoReports.push_back(r);
        }

        alignas(AudioBufferList) Byte storage[AudioBufferListSize(kFakeMaxChannels)];
        auto* in = reinterpret_cast<AudioBufferList*>(storage);
        in->mNumberBuffers = io->mNumberBuffers;
        for (UInt32 c = 0; c < io->mNumberBuffers; ++c) in->mBuffers[c] = AudioBuffer{1, frames * 4, inputs[c]};
        if (input.inputProc) {
            AudioUnitRenderActionFlags inFlags = 0;
            const OSStatus result = input.inputProc(input.inputProcRefCon, &inFlags, ts, 0, frames, in);
            if (result != noErr) return result;
            *flags |= inFlags & kAudioUnitRenderAction_OutputIsSilence;
        } else {
            for (UInt32 c = 0; c < io->mNumberBuffers; ++c) std::memset(inputs[c], 0, frames * 4);
        }
        for (UInt32 c = 0; c < io->mNumberBuffers; ++c) {
            if (!io->mBuffers[c].mData) io->mBuffers[c].mData = outputs[c];
            auto* out = static_cast<float*>(io->mBuffers[c].mData);
            for (UInt32 i = 0; i < frames; ++i) out[i] = 2.f * inputs[c][i] + 10.f * float(c);
            io->mBuffers[c].mDataByteSize = frames * 4;
        }
        return noErr;
    }

    ComponentInstance self = nullptr;
};

template <typename T>
T Arg(const ComponentParameters* p, int i)
{
    return T(ComponentParam(p, i));
}
template <typename T>
T* Ptr(const ComponentParameters* p, int i)
{
    return reinterpret_cast<T*>(ComponentParam(p, i));
}

ComponentResult FakeEntry(ComponentParameters* p, void* storage)
{
    auto* unit = static_cast<FakeUnit*>(storage);
    switch (p->what) {
    case kComponentOpenSelect: {
        auto* ci = Ptr<ComponentInstanceRecord>(p, 0);
        auto* created = new FakeUnit;
        created->self = ci;
        SetComponentInstanceStorage(ci, created);
        return noErr;
    }
    case kComponentCloseSelect:
        ++FakeUnit::closed;
        FakeUnit::uninitializedAtClose = unit->uninitialized;
        delete unit;
        return noErr;
    case kAudioUnitInitializeSelect: ++unit->initialized; return noErr;
    case kAudioUnitUninitializeSelect: ++unit->uninitialized; return noErr;
    case kAudioUnitGetPropertySelect: return kAudioUnitErr_InvalidProperty;
    case kAudioUnitSetPropertySelect:
        return unit->SetProperty(Arg<UInt32>(p, 0), Arg<UInt32>(p, 1), Arg<UInt32>(p, 2), Ptr<const void>(p, 3),
                                 Arg<UInt32>(p, 4));
    case kAudioUnitGetParameterSelect:
        if (Arg<UInt32>(p, 0) != unit->paramId) return kAudioUnitErr_InvalidParameter;
        *Ptr<AudioUnitParameterValue>(p, 3) = unit->param;
        return noErr;
    case kAudioUnitSetParameterSelect:
        unit->paramId = Arg<UInt32>(p, 0);
        unit->paramScope = Arg<UInt32>(p, 1);
        unit->paramElement = Arg<UInt32>(p, 2);
        unit->param = ComponentArgFloat(ComponentParam(p, 3));
        unit->paramOffset = Arg<UInt32>(p, 4);
        return noErr;
    case kAudioUnitResetSelect:
        unit->resetScope = Arg<UInt32>(p, 0);
        unit->resetElement = Arg<UInt32>(p, 1);
        return noErr;
    case kAudioUnitAddPropertyListenerSelect:
        unit->listeners.push_back(FakeUnit::Listener{Arg<UInt32>(p, 0),
                                                     reinterpret_cast<AudioUnitPropertyListenerProc>(ComponentParam(p, 1)),
                                                     Ptr<void>(p, 2)});
        return noErr;
    case kAudioUnitRemovePropertyListenerSelect: {
        const auto id = Arg<UInt32>(p, 0);
        const auto proc = reinterpret_cast<AudioUnitPropertyListenerProc>(ComponentParam(p, 1));
        auto& ls = unit->listeners;
        for (auto it = ls.begin(); it != ls.end();)
            it = (it->id == id && it->proc == proc) ? ls.erase(it) : it + 1;
        return noErr;
    }
    case kAudioUnitRenderSelect:
        return unit->Render(Ptr<AudioUnitRenderActionFlags>(p, 0), Ptr<const AudioTimeStamp>(p, 1), Arg<UInt32>(p, 2),
                            Arg<UInt32>(p, 3), Ptr<AudioBufferList>(p, 4));
    default: return badComponentSelector;
    }
}

constexpr ComponentDescription kFakeDesc{kAudioUnitType_Effect, FourCC("Fake"), FourCC("Host"), 0, 0};

struct HostFixture : ::testing::Test {
    static void SetUpTestSuite()
    {
        static Component c = RegisterComponent(kFakeDesc, &FakeEntry, "Fake Unit");
        (void)c;
    }
    void SetUp() override
    {
        ASSERT_EQ(AUHost::Open(kFakeDesc, host), noErr);
        ASSERT_NE(host, nullptr);
        unit = static_cast<FakeUnit*>(GetComponentInstanceStorage(host->Unit()));
        ASSERT_NE(unit, nullptr);
    }
    const FakeUnit::PropertySet* LastSet(AudioUnitPropertyID id) const
    {
        for (auto it = unit->sets.rbegin(); it != unit->sets.rend(); ++it)
            if (it->id == id) return &*it;
        return nullptr;
    }
    std::unique_ptr<AUHost> host;
    FakeUnit* unit = nullptr;
};

std::vector<float> Ramp(UInt32 n, float base)
{
    std::vector<float> v(n);
    for (UInt32 i = 0; i < n; ++i) v[i] = base + float(i);
    return v;
}

}  // namespace

TEST(HostOpen, UnknownComponentIsAnError)
{
    std::unique_ptr<AUHost> host;
    EXPECT_NE(AUHost::Open(ComponentDescription{FourCC("none"), FourCC("none"), FourCC("none"), 0, 0}, host), noErr);
    EXPECT_EQ(host, nullptr);
}

TEST_F(HostFixture, LifecycleCallsReachTheUnit)
{
    const int closedBefore = FakeUnit::closed;
    ASSERT_EQ(host->Initialize(), noErr);
    EXPECT_EQ(unit->initialized, 1);
    ASSERT_EQ(host->Uninitialize(), noErr);
    EXPECT_EQ(unit->uninitialized, 1);
    ASSERT_EQ(host->Reset(), noErr);
    EXPECT_EQ(unit->resetScope, kAudioUnitScope_Global);
    EXPECT_EQ(unit->resetElement, 0u);

    ASSERT_EQ(host->Initialize(), noErr);
    host.reset();
    EXPECT_EQ(FakeUnit::closed, closedBefore + 1);
    EXPECT_EQ(FakeUnit::uninitializedAtClose, 2);
}

TEST_F(HostFixture, FormatGoesToInputAndOutputZero)
{
    ASSERT_EQ(host->SetFormat(48000, 3), noErr);
    ASSERT_EQ(unit->sets.size(), 2u);
    const AudioUnitScope scopes[] = {kAudioUnitScope_Input, kAudioUnitScope_Output};
    for (int i = 0; i < 2; ++i) {
        const FakeUnit::PropertySet& set = unit->sets[i];
        EXPECT_EQ(set.id, kAudioUnitProperty_StreamFormat);
        EXPECT_EQ(set.scope, scopes[i]);
        EXPECT_EQ(set.element, 0u);
        ASSERT_EQ(set.size, sizeof(AudioStreamBasicDescription));
        AudioStreamBasicDescription f;
        std::memcpy(&f, set.data.data(), sizeof f);
        EXPECT_EQ(f.mSampleRate, 48000.0);
        EXPECT_EQ(f.mFormatID, kAudioFormatLinearPCM);
        EXPECT_EQ(f.mFormatFlags, 0x29u);
        EXPECT_EQ(f.mBytesPerPacket, 4u);
        EXPECT_EQ(f.mFramesPerPacket, 1u);
        EXPECT_EQ(f.mBytesPerFrame, 4u);
        EXPECT_EQ(f.mChannelsPerFrame, 3u);
        EXPECT_EQ(f.mBitsPerChannel, 32u);
        EXPECT_EQ(f.mReserved, 0u);
    }
    EXPECT_EQ(host->Channels(), 3u);

    // A refused format is reported and leaves the host's channel count alone.
    EXPECT_EQ(host->SetFormat(44100, kFakeMaxChannels + 1), kAudioUnitErr_FormatNotSupported);
    EXPECT_EQ(host->Channels(), 3u);
}

TEST_F(HostFixture, MaximumFramesPerSlice)
{
    ASSERT_EQ(host->SetMaxFramesPerSlice(4096), noErr);
    const FakeUnit::PropertySet* set = LastSet(kAudioUnitProperty_MaximumFramesPerSlice);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->scope, kAudioUnitScope_Global);
    EXPECT_EQ(set->element, 0u);
    ASSERT_EQ(set->size, sizeof(UInt32));
    UInt32 frames;
    std::memcpy(&frames, set->data.data(), sizeof frames);
    EXPECT_EQ(frames, 4096u);
}

TEST_F(HostFixture, ParametersInTheGlobalScope)
{
    for (float value : {0.3f, -1234.5f, 1e-20f}) {
        ASSERT_EQ(host->SetParameter(17, value), noErr);
        EXPECT_EQ(unit->paramId, 17u);
        EXPECT_EQ(unit->paramScope, kAudioUnitScope_Global);
        EXPECT_EQ(unit->paramElement, 0u);
        EXPECT_EQ(unit->paramOffset, 0u);
        EXPECT_EQ(unit->param, value);
        AudioUnitParameterValue read = 0;
        ASSERT_EQ(host->GetParameter(17, read), noErr);
        EXPECT_EQ(read, value);
    }
    AudioUnitParameterValue read = 0;
    EXPECT_EQ(host->GetParameter(3, read), kAudioUnitErr_InvalidParameter);
}

TEST_F(HostFixture, RenderIntoCallerMemoryAdvancesTheSampleTime)
{
    ASSERT_EQ(host->SetInputSignal({Ramp(300, 0), Ramp(300, 1000)}), noErr);
    ASSERT_NE(unit->input.inputProc, nullptr);
    const FakeUnit::PropertySet* set = LastSet(kAudioUnitProperty_SetRenderCallback);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->scope, kAudioUnitScope_Input);
    EXPECT_EQ(set->element, 0u);
    EXPECT_EQ(set->size, sizeof(AURenderCallbackStruct));

    std::vector<float> l(256, -1.f), r(256, -1.f);
    float* out[] = {l.data(), r.data()};
    ASSERT_EQ(host->Render(out, 2, 256), noErr);
    ASSERT_EQ(host->Render(out, 2, 100), noErr);
    EXPECT_EQ(host->SampleTime(), 356.0);

    ASSERT_EQ(unit->renders.size(), 2u);
    const FakeUnit::RenderCall& first = unit->renders[0];
    EXPECT_EQ(first.bus, 0u);
    EXPECT_EQ(first.frames, 256u);
    EXPECT_EQ(first.flags, 0u);
    EXPECT_EQ(first.buffers, 2u);
    EXPECT_EQ(first.data[0], l.data());
    EXPECT_EQ(first.data[1], r.data());
    EXPECT_EQ(first.byteSize[1], 1024u);
    EXPECT_EQ(first.timeStamp.mSampleTime, 0.0);
    EXPECT_TRUE(first.timeStamp.mFlags & kAudioTimeStampSampleTimeValid);
    EXPECT_EQ(unit->renders[1].timeStamp.mSampleTime, 256.0);
    EXPECT_EQ(unit->renders[1].byteSize[0], 400u);
    EXPECT_EQ(host->InputCallbackCount(), 2u);

    // The second block continues the signal and runs into zeros after frame 300.
    EXPECT_EQ(l[0], 2.f * 256);
    EXPECT_EQ(l[43], 2.f * 299);
    EXPECT_EQ(l[44], 0.f);
    EXPECT_EQ(r[43], 2.f * 1299 + 10.f);
    EXPECT_EQ(r[99], 10.f);
    EXPECT_EQ(r[100], 2.f * (1000 + 100) + 10.f);  // left over from the first block

    host->SetSampleTime(1e6);
    ASSERT_EQ(host->Render(out, 2, 8), noErr);
    EXPECT_EQ(unit->renders.back().timeStamp.mSampleTime, 1e6);
}

TEST_F(HostFixture, InputSourceSeesTheUnitsBuffersAndMarksSilence)
{
    struct Seen {
        UInt32 count = 0, frames = 0;
        Float64 time = -1;
        float* first = nullptr;
    } seen;
    bool silent = false;
    ASSERT_EQ(host->SetInputSource([&](float* const* ch, UInt32 count, UInt32 frames, Float64 time) {
        seen = Seen{count, frames, time, ch[0]};
        for (UInt32 c = 0; c < count; ++c)
            for (UInt32 i = 0; i < frames; ++i) ch[c][i] = silent ? 0.f : 1.f;
        return silent;
    }),
              noErr);

    float a[64], b[64];
    float* out[] = {a, b};
    host->SetSampleTime(512);
    ASSERT_EQ(host->Render(out, 2, 64), noErr);
    EXPECT_EQ(seen.count, 2u);
    EXPECT_EQ(seen.frames, 64u);
    EXPECT_EQ(seen.time, 512.0);
    EXPECT_EQ(seen.first, unit->inputs[0]);
    EXPECT_EQ(b[63], 12.f);
    EXPECT_FALSE(host->LastRenderFlags() & kAudioUnitRenderAction_OutputIsSilence);

    silent = true;
    ASSERT_EQ(host->Render(out, 2, 64), noErr);
    EXPECT_TRUE(host->LastRenderFlags() & kAudioUnitRenderAction_OutputIsSilence);
    EXPECT_EQ(a[0], 0.f);

    // An empty source removes the callback.
    ASSERT_EQ(host->SetInputSource(nullptr), noErr);
    EXPECT_EQ(unit->input.inputProc, nullptr);
    EXPECT_EQ(unit->input.inputProcRefCon, nullptr);
}

TEST_F(HostFixture, RenderNullCopiesFromTheUnitsBuffers)
{
    ASSERT_EQ(host->SetInputSignal({Ramp(32, 5), Ramp(32, 50)}), noErr);
    std::vector<float> l(32, -1.f), r(32, -1.f);
    float* out[] = {l.data(), r.data()};
    ASSERT_EQ(host->RenderNull(out, 2, 32), noErr);
    ASSERT_EQ(unit->renders.size(), 1u);
    EXPECT_EQ(unit->renders[0].data[0], nullptr);
    EXPECT_EQ(unit->renders[0].data[1], nullptr);
    EXPECT_EQ(unit->renders[0].byteSize[0], 128u);
    for (UInt32 i = 0; i < 32; ++i) {
        ASSERT_EQ(l[i], 2.f * (5 + i));
        ASSERT_EQ(r[i], 2.f * (50 + i) + 10.f);
    }
    EXPECT_EQ(host->SampleTime(), 32.0);
}

TEST_F(HostFixture, RenderFailuresAreReturned)
{
    std::vector<float> l(kFakeMaxFrames + 1);
    float* out[] = {l.data()};
    EXPECT_EQ(host->Render(out, 1, kFakeMaxFrames + 1), kAudioUnitErr_TooManyFramesToProcess);
    EXPECT_EQ(host->RenderNull(out, 1, kFakeMaxFrames + 1), kAudioUnitErr_TooManyFramesToProcess);
    std::vector<float*> many(AUHost::kMaxChannels + 1, l.data());
    EXPECT_EQ(host->Render(many.data(), AUHost::kMaxChannels + 1, 16), paramErr);
    EXPECT_EQ(unit->renders.size(), 2u);  // the last call never reached the unit
}

TEST_F(HostFixture, ProcessRendersTheWholeSignalInBlocks)
{
    ASSERT_EQ(host->SetFormat(44100, 2), noErr);
    const std::vector<std::vector<float>> in{Ramp(350, 0), Ramp(350, 500)};
    std::vector<std::vector<float>> out;
    ASSERT_EQ(host->Process(in, out, 100), noErr);

    ASSERT_EQ(unit->renders.size(), 4u);
    const UInt32 frames[] = {100, 100, 100, 50};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(unit->renders[i].frames, frames[i]) << i;
        EXPECT_EQ(unit->renders[i].timeStamp.mSampleTime, 100.0 * double(i)) << i;
    }
    ASSERT_EQ(out.size(), 2u);
    ASSERT_EQ(out[0].size(), 350u);
    for (UInt32 i = 0; i < 350; ++i) {
        ASSERT_EQ(out[0][i], 2.f * float(i)) << i;
        ASSERT_EQ(out[1][i], 2.f * float(500 + i) + 10.f) << i;
    }
    EXPECT_EQ(host->Process(in, out, 0), paramErr);
}

TEST_F(HostFixture, RenderPathDoesNotAllocate)
{
    ASSERT_EQ(host->SetInputSignal({Ramp(512, 0), Ramp(512, 0)}), noErr);
    float a[128], b[128];
    float* out[] = {a, b};
    testsupport::AllocationScope scope;
    ASSERT_EQ(host->Render(out, 2, 128), noErr);
    ASSERT_EQ(host->RenderNull(out, 2, 128), noErr);
    EXPECT_EQ(scope.Count(), 0);
    EXPECT_EQ(host->InputCallbackCount(), 2u);
}

TEST_F(HostFixture, TempoCallbackInstall)
{
    ASSERT_EQ(host->SetTempo(120.0), noErr);
    const FakeUnit::PropertySet* set = LastSet(kAudioUnitProperty_HostCallbacks);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->scope, kAudioUnitScope_Global);
    EXPECT_EQ(set->element, 0u);
    EXPECT_EQ(set->size, sizeof(HostCallbackInfo));
    ASSERT_NE(unit->host.beatAndTempoProc, nullptr);

    float a[100];
    float* out[] = {a};
    host->SetSampleTime(44100);
    ASSERT_EQ(host->Render(out, 1, 100), noErr);
    ASSERT_EQ(unit->tempoReports.size(), 1u);
    EXPECT_EQ(unit->tempoReports[0].result, noErr);
    EXPECT_EQ(unit->tempoReports[0].tempo, 120.0);
    EXPECT_DOUBLE_EQ(unit->tempoReports[0].beat, 2.0);  // one second at 120 bpm
    EXPECT_EQ(host->TempoCallbackCount(), 2u);

    ASSERT_EQ(host->SetTempo(90.5), noErr);
    ASSERT_EQ(host->Render(out, 1, 100), noErr);
    EXPECT_EQ(unit->tempoReports.back().tempo, 90.5);

    // Without a tempo the record has no beat-and-tempo procedure.
    const size_t setsBefore = unit->sets.size();
    ASSERT_EQ(host->SetTempo(std::nullopt), noErr);
    EXPECT_EQ(unit->sets.size(), setsBefore + 1);
    EXPECT_EQ(unit->host.beatAndTempoProc, nullptr);
    EXPECT_EQ(unit->host.musicalTimeLocationProc, nullptr);
    EXPECT_EQ(unit->host.transportStateProc, nullptr);
    ASSERT_EQ(host->Render(out, 1, 100), noErr);
    EXPECT_EQ(unit->tempoReports.size(), 2u);
}

TEST_F(HostFixture, PropertyRecorderKeepsNotificationsInOrder)
{
    {
        AUPropertyRecorder recorder(host->Unit(), 3);
        ASSERT_EQ(recorder.Listen(kAudioUnitProperty_StreamFormat), noErr);
        ASSERT_EQ(recorder.Listen(kAudioUnitProperty_MaximumFramesPerSlice), noErr);
        ASSERT_EQ(recorder.Listen(kAudioUnitProperty_StreamFormat), noErr);  // once per id
        EXPECT_EQ(unit->listeners.size(), 2u);

        ASSERT_EQ(host->SetFormat(44100, 1), noErr);
        ASSERT_EQ(host->SetTempo(100.0), noErr);  // not listened to
        ASSERT_EQ(host->SetMaxFramesPerSlice(64), noErr);
        const std::vector<AUPropertyRecorder::Entry> entries = recorder.Entries();
        ASSERT_EQ(entries.size(), 3u);
        EXPECT_EQ(entries[0].id, kAudioUnitProperty_StreamFormat);
        EXPECT_EQ(entries[0].scope, kAudioUnitScope_Input);
        EXPECT_EQ(entries[1].scope, kAudioUnitScope_Output);
        EXPECT_EQ(entries[2].id, kAudioUnitProperty_MaximumFramesPerSlice);
        EXPECT_EQ(entries[2].scope, kAudioUnitScope_Global);
        EXPECT_EQ(recorder.Count(kAudioUnitProperty_StreamFormat), 2u);

        // Past the capacity notifications are counted only.
        ASSERT_EQ(host->SetMaxFramesPerSlice(128), noErr);
        EXPECT_EQ(recorder.Count(), 4u);
        EXPECT_EQ(recorder.Entries().size(), 3u);
        recorder.Clear();
        EXPECT_EQ(recorder.Count(), 0u);
        EXPECT_TRUE(recorder.Entries().empty());
    }
    EXPECT_TRUE(unit->listeners.empty());
}
