// The render sequence, notifications around it, and slicing at scheduled parameter events.
#include <algorithm>

#include "framework/AUBase.h"
#include "framework/DenormalGuard.h"

void AUBase::SetRenderError(OSStatus err)
{
    if (err != noErr && mLastRenderError == noErr) {
        mLastRenderError = err;
        PropertyChanged(kAudioUnitProperty_LastRenderError, kAudioUnitScope_Global, 0);
    }
}

OSStatus AUBase::DoRender(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& timeStamp, UInt32 bus,
                          UInt32 frames, AudioBufferList& ioData)
{
    DenormalGuard denormals;
    OSStatus result;
    try {
        if (!IsInitialized()) throw SInt32(kAudioUnitErr_Uninitialized);
        if (frames > mMaxFramesPerSlice) throw SInt32(kAudioUnitErr_TooManyFramesToProcess);
        AUOutputElement* output = GetOutput(bus);
        if (ioData.mNumberBuffers != output->GetStreamFormat().NumberChannelStreams()) return paramErr;

        mRenderCallbacks.update();
        AudioUnitRenderActionFlags flags = ioActionFlags | kAudioUnitRenderAction_PreRender;
        for (const RenderCallback& rc : mRenderCallbacks)
            rc.mRenderNotify(rc.mRenderNotifyRefCon, &flags, &timeStamp, bus, frames, &ioData);

        result = DoRenderBus(ioActionFlags, timeStamp, bus, output, frames, ioData);

        flags = ioActionFlags | kAudioUnitRenderAction_PostRender;
        for (const RenderCallback& rc : mRenderCallbacks)
            rc.mRenderNotify(rc.mRenderNotifyRefCon, &flags, &timeStamp, bus, frames, &ioData);
        if (!mParamList.empty()) mParamList.clear();
    } catch (SInt32 err) {
        result = err;
    }
    SetRenderError(result);
    return result;
}

OSStatus AUBase::DoRenderBus(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& timeStamp, UInt32 bus,
                             AUOutputElement* output, UInt32 frames, AudioBufferList& ioData)
{
    const bool callerHasMemory = ioData.mBuffers[0].mData != nullptr;
    if (!callerHasMemory || Outputs().GetNumberOfElements() > 1) {
        // An output without buffers of its own (an in-place effect) hands on someone else's.
        if (output->NeedsBufferSpace())
            output->PrepareBuffer(frames);
        else
            output->PrepareNullBuffer(frames);
    } else
        output->SetBufferList(ioData);

    const OSStatus result = RenderBus(ioActionFlags, timeStamp, bus, frames);
    if (result != noErr) return result;

    if (callerHasMemory) {
        output->CopyBufferContentsTo(ioData);
        output->InvalidateBufferList();
    } else {
        output->CopyBufferListTo(ioData);
    }
    return noErr;
}

OSStatus AUBase::RenderBus(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& timeStamp, UInt32,
                           UInt32 frames)
{
    if (timeStamp.mSampleTime != mLastRenderedSampleTime) {
        mLastRenderedSampleTime = timeStamp.mSampleTime;
        return Render(ioActionFlags, timeStamp, frames);
    }
    mLastRenderedSampleTime = timeStamp.mSampleTime;
    return noErr;
}

OSStatus AUBase::ProcessForScheduledParams(std::vector<AudioUnitParameterEvent>& events, UInt32 frames,
                                           void* userData)
{
    auto offsetOf = [](const AudioUnitParameterEvent& e) { return e.eventValues.ramp.startBufferOffset; };
    std::stable_sort(events.begin(), events.end(), [&](const AudioUnitParameterEvent& a,
                                                       const AudioUnitParameterEvent& b) {
        return offsetOf(a) < offsetOf(b);
    });

    const SInt64 total = frames;
    SInt64 start = 0;
    SInt64 remaining = total;
    while (remaining > 0) {
        SInt64 end = total;
        for (const AudioUnitParameterEvent& e : events) {
            const SInt64 offset = offsetOf(e);
            if (offset > start && offset < end) {
                end = offset;
                break;
            }
            if (e.eventType == kParameterEvent_Ramped) {
                const SInt64 rampEnd = offset + SInt64(e.eventValues.ramp.durationInFrames);
                if (rampEnd > start) end = std::min(end, rampEnd);
            }
        }
        const SInt64 sliceFrames = end - start;

        for (const AudioUnitParameterEvent& e : events) {
            bool applies;
            if (e.eventType == kParameterEvent_Ramped) {
                const SInt64 offset = offsetOf(e);
                const SInt64 rampEnd = SInt64(UInt32(offset + SInt64(e.eventValues.ramp.durationInFrames)));
                applies = offset < end && rampEnd > start;
            } else {
                applies = SInt64(e.eventValues.immediate.bufferOffset) <= start;
            }
            if (!applies) continue;
            if (AUElement* element = GetElement(e.scope, e.element))
                element->SetScheduledEvent(e.parameter, e, UInt32(start), UInt32(sliceFrames));
        }

        const OSStatus result = ProcessScheduledSlice(userData, UInt32(start), UInt32(sliceFrames), frames);
        if (result != noErr) return result;
        remaining -= sliceFrames;
        start = end;
    }
    return noErr;
}
