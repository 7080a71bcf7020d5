// Render-time control around the kernels: triggers, host tempo, the LFO, the loop length and
// the sample overview.
#include <algorithm>
#include <cmath>

#include "engine/FlummelLanes.h"
#include "engine/TempoSync.h"
#include "engine/TrWkFlummel.h"
#include "platform/audio/AudioUnitUtilities.h"

namespace {

constexpr Float32 kTwoPi = 6.2831855f;

// Brings a phase into [0, 2 pi). Phases within a few turns take the plain subtraction; anything
// else (a huge rate, a negative one) is reduced in one step, so the wrap always ends.
Float32 WrapPhase(Float32 phase)
{
    if (!(phase >= 0.f && phase < 8.f * kTwoPi)) {
        double r = std::isfinite(phase) ? std::fmod(double(phase), double(kTwoPi)) : 0.0;
        if (r < 0.0) r += double(kTwoPi);
        phase = Float32(r);
    }
    while (phase >= kTwoPi) phase -= kTwoPi;
    return phase;
}

}  // namespace

OSStatus TrWkFlummel::RenderBus(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& timeStamp, UInt32 bus,
                                UInt32 frames)
{
    PreRender(frames);
    RenderTimeProcessing(frames);
    const OSStatus result = AUInlineEffectBase::RenderBus(ioActionFlags, timeStamp, bus, frames);
    PostRender(frames);
    return result;
}

OSStatus TrWkFlummel::ProcessBufferLists(AudioUnitRenderActionFlags& ioActionFlags, const AudioBufferList& inBuffer,
                                         AudioBufferList& outBuffer, UInt32 frames)
{
    if (!CanRunLanes(inBuffer, outBuffer))
        return AUInlineEffectBase::ProcessBufferLists(ioActionFlags, inBuffer, outBuffer, frames);
    IsInputSilent(ioActionFlags, frames);
    ioActionFlags &= ~kAudioUnitRenderAction_OutputIsSilence;  // the kernels always sound

    const Float32 sr = Float32(GetSampleRate());
    for (const auto& k : mKernelList)
        if (static_cast<CFlummelKernel*>(k.get())->SampleRate() != sr) k->Reset();
    const FlummelBlockConstants constants = FlummelBlockConstants::Compute(*this, mSettingTerms, sr, mLfoPhase);

    const UInt32 channels = UInt32(mKernelList.size());
    for (UInt32 first = 0; first < channels; first += FlummelLanes::kWidth) {
        const UInt32 count = std::min(channels - first, FlummelLanes::kWidth);
        CFlummelKernel* kernels[FlummelLanes::kWidth];
        Float32* io[FlummelLanes::kWidth];
        for (UInt32 c = 0; c < count; ++c) {
            kernels[c] = static_cast<CFlummelKernel*>(mKernelList[first + c].get());
            io[c] = static_cast<Float32*>(outBuffer.mBuffers[first + c].mData);
        }
        FlummelLanes::Run(constants, kernels, io, count, frames);
    }
    return noErr;
}

// Every kernel there, each channel in its own buffer processed in place, and the heads in step
// (a kernel whose sample rate changed starts again at the loop's start), and a loop whose
// positions are all exact as floats, for the edge fade.
bool TrWkFlummel::CanRunLanes(const AudioBufferList& inBuffer, const AudioBufferList& outBuffer)
{
    const size_t channels = mKernelList.size();
    if (channels == 0 || inBuffer.mNumberBuffers != channels || outBuffer.mNumberBuffers != channels ||
        mDelayLength >= FlummelLanes::kLoopLengthLimit)
        return false;
    const Float32 sr = Float32(GetSampleRate());
    SInt32 position = 0;
    bool forward = true;
    for (size_t c = 0; c < channels; ++c) {
        const auto* kernel = static_cast<const CFlummelKernel*>(mKernelList[c].get());
        if (!kernel || inBuffer.mBuffers[c].mData != outBuffer.mBuffers[c].mData || !outBuffer.mBuffers[c].mData ||
            inBuffer.mBuffers[c].mNumberChannels != 1 || outBuffer.mBuffers[c].mNumberChannels != 1)
            return false;
        const bool restarts = kernel->SampleRate() != sr;
        const SInt32 p = restarts ? 0 : kernel->Position();
        const bool f = restarts || kernel->Forward();
        if (c == 0) {
            position = p, forward = f;
        } else if (p != position || f != forward) {
            return false;
        }
    }
    return true;
}

void TrWkFlummel::PublishHead(Float32 p, bool forward)
{
    const Float32 head = p / Float32(mDelayLength);
    mDataToGui.SetHead(head, forward);
}

bool TrWkFlummel::PreRender(UInt32)
{
    if (const CFlummelKernel* k = Kernel(0)) {
        mSnapshotPosition = k->Position();
        mSnapshotForward = k->Forward();
    }
    return true;
}

// Clears a trigger parameter once it has fired, in the middle of a render call, so that its
// listeners (an editor's button, the LV2 UI) see it go back. This re-enters the unit: the
// parameter service sets the value through the unit's own entry (SetParameter on the global
// element, a relaxed atomic store; no lock is held across the dispatch) and then queues the
// change on a bounded lock-free queue that the listeners' run loops drain. Nothing on that path
// allocates, locks or renders.
void TrWkFlummel::ResetTrigger(AudioUnitParameterID id)
{
    const AudioUnitParameter parameter{GetComponentInstance(), id, kAudioUnitScope_Global, 0};
    AUParameterSet(nullptr, nullptr, &parameter, 0.f, 0);
}

bool TrWkFlummel::HostTempo(Float64& outTempo)
{
    const HostCallbackInfo& host = GetHostCallbackInfo();
    if (!host.beatAndTempoProc) return false;
    return host.beatAndTempoProc(host.hostUserData, nullptr, &outTempo) == noErr;
}

void TrWkFlummel::RenderTimeProcessing(UInt32 frames)
{
    if (GetParameter(kParam_ReSync) != 0.f) {
        for (const auto& k : mKernelList)
            if (k) static_cast<CFlummelKernel*>(k.get())->Restart();
        ResetTrigger(kParam_ReSync);
    }

    Float32 syncedDelay = 0.f;
    Float32 syncedLfoRate = 0.f;
    const bool delaySync = GetParameter(kParam_HostTempo) != 0.f;
    const bool lfoSync = GetParameter(kParam_LfoHostTempo) != 0.f;
    Float64 tempo = 0;
    if ((delaySync || lfoSync) && HostTempo(tempo) && (tempo = TempoSync::UsableTempo(tempo)) > 0) {
        if (delaySync)
            syncedDelay = Float32(TempoSync::NoteSeconds(UsableParameter(kParam_Beats), UsableParameter(kParam_BeatDivisor),
                                                         GetParameter(kParam_Triplet) != 0.f, tempo));
        if (lfoSync)
            syncedLfoRate =
                Float32(1.0 / TempoSync::NoteSeconds(UsableParameter(kParam_LfoBeats),
                                                     UsableParameter(kParam_LfoBeatDivisor),
                                                     GetParameter(kParam_LfoTriplet) != 0.f, tempo));
    }

    const Float32 sr = Float32(GetSampleRate());

    if (GetParameter(kParam_LfoReSync) != 0.f) {
        ResetTrigger(kParam_LfoReSync);
        mLfoPhase = 0.f;
    } else {
        const Float32 rate = syncedLfoRate != 0.f ? syncedLfoRate : UsableParameter(kParam_FilterLfoSpeed);
        mLfoPhase = WrapPhase(mLfoPhase + Float32(frames) * (rate * kTwoPi) / sr);
    }
    mDataToGui.SetLfoPhase(mLfoPhase * 0.15915494f);

    Float32 d = syncedDelay != 0.f ? syncedDelay : UsableParameter(kParam_DelayTime);
    if (d > TW::kMaxDelayTime) d = TW::kMaxDelayTime;
    SInt32 n = SInt32(d * sr + 0.5f);
    if (n < 1) n = 1;
    if (n != mDelayLength) {
        mDelayLength = n;
        if (mOverviewState.load(std::memory_order_relaxed) != kOverviewHidden) GenerateSampleOverview();
    }
}

void TrWkFlummel::PostRender(UInt32 frames)
{
    int state = kOverviewStale;
    if (mOverviewState.compare_exchange_strong(state, kOverviewShown, std::memory_order_relaxed)) {
        GenerateSampleOverview();  // a request arriving from now on makes the next call rebuild again
        return;
    }
    if (state == kOverviewHidden) return;
    const SInt32 n = mDelayLength;
    const SInt32 f = SInt32(frames);
    const SInt32 p0 = FoldHeadPosition(mSnapshotPosition, mSnapshotForward, n);
    if (mSnapshotForward) {
        if (p0 + f <= n)
            NoteOverviewWrite(p0, p0 + f, frames);
        else
            NoteOverviewWrite(std::max(std::min(p0, 2 * n - p0 - f), 0), n, frames);
    } else {
        // A backward head at p0 wrote p0 down to p0 - F + 1 (down to 1 before it turned).
        if (p0 - f >= 0)
            NoteOverviewWrite(p0 - f + 1, std::min(p0 + 1, n), frames);
        else
            NoteOverviewWrite(0, std::min(std::max(f - p0, p0 + 1), n), frames);
    }
}

void TrWkFlummel::NoteOverviewWrite(SInt32 first, SInt32 last, UInt32 frames)
{
    if (mOverviewPendingFrames == 0) {
        mOverviewDirtyFirst = first, mOverviewDirtyLast = last;
    } else {
        mOverviewDirtyFirst = std::min(mOverviewDirtyFirst, first);
        mOverviewDirtyLast = std::max(mOverviewDirtyLast, last);
    }
    mOverviewPendingFrames += frames;
    if (mOverviewPendingFrames < kOverviewUpdateFrames) return;
    mOverviewPendingFrames = 0;
    UpdateSampleOverview(mOverviewDirtyFirst, mOverviewDirtyLast);
}

void TrWkFlummel::GenerateSampleOverview()
{
    mOverviewPendingFrames = 0;
    if (mDelayLength < kSampleOverviewEntries) {
        ClearSampleOverview(mSampleOverview.get());
        return;
    }
    UpdateSampleOverview(0, mDelayLength);
}

void TrWkFlummel::UpdateSampleOverview(SInt32 first, SInt32 last)
{
    const SInt32 spp = mDelayLength / kSampleOverviewEntries;
    if (spp == 0) return;
    const SInt32 firstEntry = first / spp;
    const SInt32 lastEntry = std::min((last + spp - 1) / spp - 1, kSampleOverviewEntries - 1);
    bool isFirst = true;
    for (const auto& k : mKernelList) {
        if (!k) continue;
        static_cast<CFlummelKernel*>(k.get())->UpdateSampleOverview(mSampleOverview.get(), firstEntry, lastEntry, spp,
                                                                    isFirst);
        isFirst = false;
    }
}
