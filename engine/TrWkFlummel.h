// The reversing delay effect.
#pragma once

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>

#include "engine/FlummelBlockConstants.h"
#include "engine/FlummelParameters.h"
#include "engine/FlummelShared.h"
#include "framework/AUInlineEffectBase.h"
#include "framework/TAUBuffer.h"

class TrWkFlummel : public AUInlineEffectBase {
public:
    class CFlummelKernel;

    explicit TrWkFlummel(ComponentInstance instance);
    ~TrWkFlummel() override;

    OSStatus Initialize() override;
    AUKernelBase* NewKernel() override;

    OSStatus GetParameterInfo(AudioUnitScope scope, AudioUnitParameterID id, AudioUnitParameterInfo& outInfo) override;
    OSStatus GetParameterValueStrings(AudioUnitScope scope, AudioUnitParameterID id, CFArrayRef* outStrings) override;
    OSStatus GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                             UInt32& outDataSize, Boolean& outWritable) override;
    OSStatus GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                         void* outData) override;

    int GetNumCustomUIComponents() override { return 1; }
    void GetUIComponentDescs(ComponentDescription* outDescs) override;

    OSStatus RenderBus(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& timeStamp, UInt32 bus,
                       UInt32 frames) override;
    // Runs the channels together in SIMD lanes when their heads are in step and every buffer is
    // in place and mono; anything else goes channel by channel through the effect base.
    OSStatus ProcessBufferLists(AudioUnitRenderActionFlags& ioActionFlags, const AudioBufferList& inBuffer,
                                AudioBufferList& outBuffer, UInt32 frames) override;

    // Render-time control, run around the kernels on every render call.
    bool PreRender(UInt32 frames);
    void RenderTimeProcessing(UInt32 frames);
    void PostRender(UInt32 frames);

    void GenerateSampleOverview();
    void UpdateSampleOverview(SInt32 first, SInt32 last);

    // For the kernels and for tests.
    // A parameter as the render path uses it: clamped to its range; not a number reads as the
    // parameter's initial value. Hosts and saved states can hand in anything.
    Float32 UsableParameter(AudioUnitParameterID id)
    {
        const Float32 v = GetParameter(id);
        if (std::isnan(v)) return InitialParameterValue(id);
        return std::clamp(v, mParamInfos[id].minValue, mParamInfos[id].maxValue);
    }
    SInt32 DelayLength() const { return mDelayLength; }
    Float32 LfoPhase() const { return mLfoPhase; }
    DataToGui CopyDataToGui() const;
    const std::atomic<float>* SampleOverview() const { return mSampleOverview.get(); }
    CFlummelKernel* Kernel(size_t channel) const;

    // For input within +-1, no output sample exceeds kFixedSettingsBound while the settings and
    // the filter frequency stay put (the dry signal plus the filter's worst gain, below 200, on its
    // saturated input, within +-1.5), nor kOutputBound at any legal setting, the LFO sweeping
    // included. The kernel says how.
    static constexpr Float32 kFixedSettingsBound = 1.f + 1.5f * 200.f;            // +49.6 dBFS
    static constexpr Float32 kOutputBound = 1.f + 5.f * 400.f + 1.5f * 200.f;  // +67.2 dBFS

    static constexpr OSType kSubType = FourCC("Flml");
    static constexpr OSType kManufacturer = FourCC("TrWk");

private:
    friend class CFlummelKernel;
    friend class FlummelLanes;
    void Constructor();
    bool CanRunLanes(const AudioBufferList& inBuffer, const AudioBufferList& outBuffer);
    void PublishHead(Float32 p, bool forward);
    void ResetTrigger(AudioUnitParameterID id);
    bool HostTempo(Float64& outTempo);

    SInt32 mDelayLength = 1;
    Float32 mLfoPhase = 0.f;
    const FlummelParamInfo* const mParamInfos = astParamInfos();  // read every call: no first-use guard
    FlummelSettingTerms mSettingTerms;  // the render thread's alone
    SInt32 mSnapshotPosition = 0;
    bool mSnapshotForward = true;

    // DataToGui, written by the audio thread slot by slot, read by the editor's threads.
    SharedDataToGui mDataToGui;

    std::unique_ptr<std::atomic<float>[]> mSampleOverview;
    // Nobody can see the overview before its address is handed out, so until then the audio
    // thread spends nothing on it; the first render after that rebuilds it whole. One word, so
    // the audio thread never sees "shown" without "stale" first.
    enum OverviewState : int { kOverviewHidden, kOverviewStale, kOverviewShown };
    std::atomic<int> mOverviewState{kOverviewHidden};
    // The loop samples written since the overview was last brought up to date: its entries are
    // rescanned once kOverviewUpdateFrames have been rendered, not on every short call.
    static constexpr UInt32 kOverviewUpdateFrames = 512;
    SInt32 mOverviewDirtyFirst = 0, mOverviewDirtyLast = 0;
    UInt32 mOverviewPendingFrames = 0;
    void NoteOverviewWrite(SInt32 first, SInt32 last, UInt32 frames);
};

class TrWkFlummel::CFlummelKernel : public AUKernelBase {
public:
    explicit CFlummelKernel(TrWkFlummel* owner);

    void Reset() override;
    void Process(const Float32* in, Float32* out, UInt32 frames, UInt32 channels, bool& ioSilence) override;
    // Process in place with constants already worked out for this call.
    void Run(const FlummelBlockConstants& k, Float32* io, UInt32 frames);

    // Min/max over this kernel's loop samples for overview entries first..last (inclusive).
    void UpdateSampleOverview(std::atomic<float>* out, SInt32 firstEntry, SInt32 lastEntry, SInt32 samplesPerEntry,
                              bool isFirst) const;

    SInt32 Position() const { return mPosition; }
    bool Forward() const { return mForward; }
    void Restart()
    {
        mPosition = 0;
        mForward = true;
    }
    const Float32* Loop() const { return mDelayBuffer(); }
    Float32 SampleRate() const { return mSampleRate; }

private:
    friend class FlummelLanes;
    TrWkFlummel* mOwner;
    TAUBuffer<Float32> mDelayBuffer;
    SInt32 mPosition = 0;
    Float32 mSampleRate = 0.f;
    bool mForward = true;
    Float32 mLow = 0.f;
    Float32 mHigh = 0.f;
    Float32 mBand = 0.f;
    Float32 mLastInput = 0.f;
    Float32 mDcBlock = 0.f;
};

// Brings a head position into the loop of length n for its direction.
SInt32 FoldHeadPosition(SInt32 position, bool forward, SInt32 n);
