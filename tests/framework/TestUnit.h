// A small unit on AUBase for the framework's tests: one input, one output, copies its input to
// its output with a gain parameter, and records what it saw.
#pragma once

#include <gtest/gtest.h>

#if defined(__x86_64__)
#include <xmmintrin.h>
#endif
#include <vector>

#include "framework/AUBase.h"
#include "framework/ComponentEntryPoint.h"
#include "platform/audio/AudioUnitCalls.h"

class TestUnit : public AUBase {
public:
    enum { kGainParam = 0, kOtherParam = 7 };
    static constexpr OSType kSubType = FourCC("Test");
    static constexpr OSType kManufacturer = FourCC("TrWk");

    explicit TestUnit(ComponentInstance ci) : AUBase(ci, 1, 1)
    {
        Globals()->SetParameter(kGainParam, 1.f);
        Globals()->SetParameter(kOtherParam, 0.f);
    }

    bool StreamFormatWritable(AudioUnitScope, AudioUnitElement) override { return !IsInitialized(); }

    OSStatus Render(AudioUnitRenderActionFlags& flags, const AudioTimeStamp& ts, UInt32 frames) override
    {
        ++renderCount;
        lastSampleTime = ts.mSampleTime;
        if (const HostCallbackInfo& host = GetHostCallbackInfo(); host.beatAndTempoProc) {
            tempoResult = host.beatAndTempoProc(host.hostUserData, &beat, &tempo);
            host.beatAndTempoProc(host.hostUserData, nullptr, &tempoOnly);
        }
#if defined(__x86_64__)
        mxcsrDuringRender = _mm_getcsr();
#endif
        if (!HasInput(0)) return noErr;
        if (const OSStatus pulled = PullInput(0, flags, ts, frames); pulled != noErr) return pulled;
        const float gain = Globals()->GetParameter(kGainParam);
        for (UInt32 c = 0; c < GetOutput(0)->GetStreamFormat().mChannelsPerFrame; ++c) {
            const float* src = GetInput(0)->GetChannelData(c);
            float* dst = GetOutput(0)->GetChannelData(c);
            for (UInt32 i = 0; i < frames; ++i) dst[i] = src[i] * gain;
        }
        if (scheduleSlices) return ProcessForScheduledParams(GetParamEventList(), frames, this);
        return noErr;
    }

    struct Slice {
        UInt32 start, frames;
        ParameterMapEvent gain;
    };
    OSStatus ProcessScheduledSlice(void*, UInt32 start, UInt32 frames, UInt32) override
    {
        slices.push_back(Slice{start, frames, Globals()->GetParameterEvent(kGainParam)});
        return noErr;
    }

    int renderCount = 0;
    Float64 lastSampleTime = -1, beat = -1, tempo = -1, tempoOnly = -1;
    OSStatus tempoResult = 1;
    unsigned mxcsrDuringRender = 0;
    bool scheduleSlices = false;
    std::vector<Slice> slices;
};

// Planar float buffers and a buffer list over them.
struct PlanarBuffers {
    explicit PlanarBuffers(UInt32 channels, UInt32 frames) : data(channels, std::vector<float>(frames)), storage(channels + 1)
    {
        list()->mNumberBuffers = channels;
        for (UInt32 c = 0; c < channels; ++c) list()->mBuffers[c] = {1, UInt32(frames * sizeof(float)), data[c].data()};
    }
    AudioBufferList* list() { return reinterpret_cast<AudioBufferList*>(storage.data()); }
    void NullPointers()
    {
        for (UInt32 c = 0; c < list()->mNumberBuffers; ++c) list()->mBuffers[c].mData = nullptr;
    }
    std::vector<std::vector<float>> data;
    std::vector<AudioBuffer> storage;  // header and buffers fit in n + 1 entries
};

inline AudioTimeStamp SampleTime(Float64 t)
{
    AudioTimeStamp ts{};
    ts.mSampleTime = t;
    ts.mFlags = kAudioTimeStampSampleTimeValid;
    return ts;
}

// The status `f` threw, or 0.
template <class F>
SInt32 Thrown(F&& f)
{
    try {
        f();
    } catch (SInt32 err) {
        return err;
    }
    return 0;
}

inline constexpr ComponentDescription kTestUnitDesc{kAudioUnitType_Effect, TestUnit::kSubType, TestUnit::kManufacturer,
                                                    0, 0};

// Registers TestUnit on first use.
inline Component TestUnitComponent()
{
    static Component c = RegisterComponent(kTestUnitDesc, &ComponentEntryPoint<TestUnit>::Dispatch, "Test Unit");
    return c;
}

inline TestUnit* TestUnitOf(AudioUnit unit)
{
    return static_cast<TestUnit*>(static_cast<ComponentBase*>(GetComponentInstanceStorage(unit)));
}

// An open TestUnit instance, closed at the end of the scope, with the host calls on it.
class OpenTestUnit {
public:
    OpenTestUnit() { OpenAComponent(TestUnitComponent(), &mUnit); }
    ~OpenTestUnit() { CloseComponent(mUnit); }
    OpenTestUnit(const OpenTestUnit&) = delete;
    OpenTestUnit& operator=(const OpenTestUnit&) = delete;
    AudioUnit unit() const { return mUnit; }
    TestUnit* operator->() const { return TestUnitOf(mUnit); }

    OSStatus Set(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement el, const void* data, UInt32 size) const
    {
        return AudioUnitSetProperty(mUnit, id, scope, el, data, size);
    }
    template <class T>
    OSStatus Get(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement el, T& value) const
    {
        UInt32 size = sizeof value;
        return AudioUnitGetProperty(mUnit, id, scope, el, &value, &size);
    }
    OSStatus Render(PlanarBuffers& out, UInt32 frames, Float64 time, UInt32 bus = 0) const
    {
        AudioTimeStamp ts = SampleTime(time);
        return AudioUnitRender(mUnit, nullptr, &ts, bus, frames, out.list());
    }

private:
    AudioUnit mUnit = nullptr;
};

// A render callback that writes frame index + sample time into every channel and counts calls.
struct RampSource {
    static OSStatus Callback(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp* ts, UInt32, UInt32 frames,
                             AudioBufferList* io)
    {
        for (UInt32 b = 0; b < io->mNumberBuffers; ++b) {
            auto* d = static_cast<float*>(io->mBuffers[b].mData);
            for (UInt32 i = 0; i < frames; ++i) d[i] = float(ts->mSampleTime) + float(i) + 1000.f * float(b);
        }
        return static_cast<RampSource*>(refCon)->result;
    }
    OSStatus Install(AudioUnit unit)
    {
        AURenderCallbackStruct cb{&Callback, this};
        return AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &cb,
                                    sizeof cb);
    }
    OSStatus result = noErr;
};

// An initialized TestUnit fed by a RampSource.
struct RenderedUnit {
    RenderedUnit()
    {
        EXPECT_EQ(source.Install(unit.unit()), noErr);
        EXPECT_EQ(AudioUnitInitialize(unit.unit()), noErr);
    }
    OpenTestUnit unit;
    RampSource source;
};
