// Drives one audio unit the way a host application does, through the platform's host calls
// only: stream formats, the input render callback, tempo, parameters and render calls.
//
// Setup calls (Open, SetFormat, Set*Source, SetTempo, Initialize) may allocate; the render
// calls and the callbacks the unit makes during them do not.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/audio/AudioUnitCalls.h"
#include "platform/audio/AudioUnitTypes.h"

class AUHost {
public:
    static constexpr UInt32 kMaxChannels = 16;

    // Fills `channels` planar buffers of `frames` samples for the block at `sampleTime`;
    // returns true when the block is silent.
    using InputSource =
        std::function<bool(float* const* channels, UInt32 channelCount, UInt32 frames, Float64 sampleTime)>;

    // Finds the first component matching `desc` and opens an instance of it.
    static OSStatus Open(const ComponentDescription& desc, std::unique_ptr<AUHost>& out);
    ~AUHost();
    AUHost(const AUHost&) = delete;
    AUHost& operator=(const AUHost&) = delete;

    AudioUnit Unit() const { return mUnit; }

    // Native-endian de-interleaved 32-bit float on input 0 and output 0.
    OSStatus SetFormat(double sampleRate, UInt32 channels);
    OSStatus SetMaxFramesPerSlice(UInt32 frames);

    // Installs the input render callback feeding from `source`; an empty source removes it.
    OSStatus SetInputSource(InputSource source);
    // Feeds the planar signal from its start, then zeros past its end.
    OSStatus SetInputSignal(std::vector<std::vector<float>> planar);

    // Answers the unit's beat-and-tempo callback, on the render thread; a status other than
    // noErr tells the unit there is no tempo now.
    using TempoSource = std::function<OSStatus(Float64* outBeat, Float64* outTempo)>;

    // Installs the host callbacks: the beat-and-tempo procedure reports `bpm`; without a
    // tempo the record has no beat-and-tempo procedure.
    OSStatus SetTempo(std::optional<double> bpm);
    // The same with the answers coming from `source`; an empty source installs none.
    OSStatus SetTempoSource(TempoSource source);

    OSStatus Initialize();
    OSStatus Uninitialize();
    OSStatus Reset();

    // One render call on output 0 into the caller's planar buffers.
    OSStatus Render(float* const* out, UInt32 channels, UInt32 frames);
    // The same with null data pointers: the unit hands back its own buffers, which are copied out.
    OSStatus RenderNull(float* const* out, UInt32 channels, UInt32 frames);
    // Feeds `in` as the input signal and renders all of it in blocks of `blockFrames`
    // (the last one shorter); `out` gets one vector per format channel.
    OSStatus Process(const std::vector<std::vector<float>>& in, std::vector<std::vector<float>>& out,
                     UInt32 blockFrames);

    OSStatus SetParameter(AudioUnitParameterID id, AudioUnitParameterValue value);
    OSStatus GetParameter(AudioUnitParameterID id, AudioUnitParameterValue& value);

    // The sample time of the next render call; every render call advances it by its frames.
    Float64 SampleTime() const { return mSampleTime; }
    void SetSampleTime(Float64 t) { mSampleTime = t; }
    // The action flags the unit left after the last render call.
    AudioUnitRenderActionFlags LastRenderFlags() const { return mLastRenderFlags; }
    UInt32 Channels() const { return mChannels; }

    // What the unit asked of the host so far.
    UInt32 InputCallbackCount() const { return mInputCalls.load(std::memory_order_relaxed); }
    UInt32 TempoCallbackCount() const { return mTempoCalls.load(std::memory_order_relaxed); }

private:
    explicit AUHost(AudioUnit unit);

    static OSStatus InputProc(void* refCon, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* timeStamp,
                              UInt32 bus, UInt32 frames, AudioBufferList* ioData);
    static OSStatus BeatAndTempoProc(void* userData, Float64* outBeat, Float64* outTempo);

    AudioBufferList& OutputList(float* const* out, UInt32 channels, UInt32 frames);
    OSStatus RenderList(UInt32 frames);

    AudioUnit mUnit;
    Float64 mSampleRate = 44100.0;
    UInt32 mChannels = 2;
    Float64 mSampleTime = 0;
    AudioUnitRenderActionFlags mLastRenderFlags = 0;

    InputSource mSource;
    std::vector<std::vector<float>> mSignal;
    size_t mSignalPosition = 0;

    TempoSource mTempoSource;
    std::atomic<double> mTempo{0};
    std::atomic<UInt32> mInputCalls{0};
    std::atomic<UInt32> mTempoCalls{0};

    alignas(AudioBufferList) Byte mListStorage[AudioBufferListSize(kMaxChannels)];
};
