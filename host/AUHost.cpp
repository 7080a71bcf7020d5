#include "host/AUHost.h"

#include <algorithm>
#include <cstring>

OSStatus AUHost::Open(const ComponentDescription& desc, std::unique_ptr<AUHost>& out)
{
    out.reset();
    Component component = FindNextComponent(nullptr, &desc);
    if (!component) return invalidComponentID;
    ComponentInstance instance = nullptr;
    const OSErr err = OpenAComponent(component, &instance);
    if (err != noErr) return err;
    if (!instance) return invalidComponentID;
    out.reset(new AUHost(instance));
    return noErr;
}

AUHost::AUHost(AudioUnit unit) : mUnit(unit)
{
    std::memset(mListStorage, 0, sizeof mListStorage);
}

AUHost::~AUHost()
{
    AudioUnitUninitialize(mUnit);
    CloseComponent(mUnit);
}

OSStatus AUHost::SetFormat(double sampleRate, UInt32 channels)
{
    AudioStreamBasicDescription format{};
    format.mSampleRate = sampleRate;
    format.mFormatID = kAudioFormatLinearPCM;
    format.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
    format.mBytesPerPacket = sizeof(float);
    format.mFramesPerPacket = 1;
    format.mBytesPerFrame = sizeof(float);
    format.mChannelsPerFrame = channels;
    format.mBitsPerChannel = 32;
    for (AudioUnitScope scope : {kAudioUnitScope_Input, kAudioUnitScope_Output}) {
        const OSStatus result =
            AudioUnitSetProperty(mUnit, kAudioUnitProperty_StreamFormat, scope, 0, &format, sizeof format);
        if (result != noErr) return result;
    }
    mSampleRate = sampleRate;
    mChannels = channels;
    return noErr;
}

OSStatus AUHost::SetMaxFramesPerSlice(UInt32 frames)
{
    return AudioUnitSetProperty(mUnit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &frames,
                                sizeof frames);
}

OSStatus AUHost::SetInputSource(InputSource source)
{
    mSource = std::move(source);
    AURenderCallbackStruct callback{mSource ? &InputProc : nullptr, mSource ? this : nullptr};
    return AudioUnitSetProperty(mUnit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &callback,
                                sizeof callback);
}

OSStatus AUHost::SetInputSignal(std::vector<std::vector<float>> planar)
{
    mSignal = std::move(planar);
    mSignalPosition = 0;
    return SetInputSource([this](float* const* channels, UInt32 count, UInt32 frames, Float64) {
        for (UInt32 c = 0; c < count; ++c) {
            UInt32 copied = 0;
            if (c < mSignal.size() && mSignalPosition < mSignal[c].size()) {
                copied = UInt32(std::min<size_t>(frames, mSignal[c].size() - mSignalPosition));
                std::memcpy(channels[c], mSignal[c].data() + mSignalPosition, copied * sizeof(float));
            }
            std::fill(channels[c] + copied, channels[c] + frames, 0.f);
        }
        mSignalPosition += frames;
        return false;
    });
}

OSStatus AUHost::InputProc(void* refCon, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* timeStamp,
                           UInt32, UInt32 frames, AudioBufferList* ioData)
{
    auto* self = static_cast<AUHost*>(refCon);
    self->mInputCalls.fetch_add(1, std::memory_order_relaxed);
    if (!ioData || ioData->mNumberBuffers > kMaxChannels || !self->mSource) return paramErr;
    float* channels[kMaxChannels];
    for (UInt32 c = 0; c < ioData->mNumberBuffers; ++c) {
        channels[c] = static_cast<float*>(ioData->mBuffers[c].mData);
        if (!channels[c]) return paramErr;
    }
    const Float64 sampleTime = timeStamp ? timeStamp->mSampleTime : 0;
    if (self->mSource(channels, ioData->mNumberBuffers, frames, sampleTime) && ioActionFlags)
        *ioActionFlags |= kAudioUnitRenderAction_OutputIsSilence;
    return noErr;
}

OSStatus AUHost::SetTempo(std::optional<double> bpm)
{
    mTempo.store(bpm.value_or(0), std::memory_order_relaxed);
    if (!bpm) return SetTempoSource({});
    return SetTempoSource([this](Float64* outBeat, Float64* outTempo) {
        const double tempo = mTempo.load(std::memory_order_relaxed);
        if (outTempo) *outTempo = tempo;
        if (outBeat) *outBeat = mSampleTime / mSampleRate * tempo / 60.0;
        return OSStatus(noErr);
    });
}

OSStatus AUHost::SetTempoSource(TempoSource source)
{
    mTempoSource = std::move(source);
    HostCallbackInfo info{};
    info.hostUserData = this;
    info.beatAndTempoProc = mTempoSource ? &BeatAndTempoProc : nullptr;
    return AudioUnitSetProperty(mUnit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, &info,
                                sizeof info);
}

OSStatus AUHost::BeatAndTempoProc(void* userData, Float64* outBeat, Float64* outTempo)
{
    auto* self = static_cast<AUHost*>(userData);
    self->mTempoCalls.fetch_add(1, std::memory_order_relaxed);
    return self->mTempoSource(outBeat, outTempo);
}

OSStatus AUHost::Initialize() { return AudioUnitInitialize(mUnit); }
OSStatus AUHost::Uninitialize() { return AudioUnitUninitialize(mUnit); }
OSStatus AUHost::Reset() { return AudioUnitReset(mUnit, kAudioUnitScope_Global, 0); }

AudioBufferList& AUHost::OutputList(float* const* out, UInt32 channels, UInt32 frames)
{
    auto& list = *reinterpret_cast<AudioBufferList*>(mListStorage);
    list.mNumberBuffers = channels;
    for (UInt32 c = 0; c < channels; ++c)
        list.mBuffers[c] = AudioBuffer{1, UInt32(frames * sizeof(float)), out ? out[c] : nullptr};
    return list;
}

OSStatus AUHost::RenderList(UInt32 frames)
{
    AudioTimeStamp timeStamp{};
    timeStamp.mSampleTime = mSampleTime;
    timeStamp.mFlags = kAudioTimeStampSampleTimeValid;
    AudioUnitRenderActionFlags flags = 0;
    const OSStatus result = AudioUnitRender(mUnit, &flags, &timeStamp, 0, frames,
                                            reinterpret_cast<AudioBufferList*>(mListStorage));
    mLastRenderFlags = flags;
    mSampleTime += frames;
    return result;
}

OSStatus AUHost::Render(float* const* out, UInt32 channels, UInt32 frames)
{
    if (channels > kMaxChannels || (channels && !out)) return paramErr;
    OutputList(out, channels, frames);
    return RenderList(frames);
}

OSStatus AUHost::RenderNull(float* const* out, UInt32 channels, UInt32 frames)
{
    if (channels > kMaxChannels || (channels && !out)) return paramErr;
    const AudioBufferList& list = OutputList(nullptr, channels, frames);
    const OSStatus result = RenderList(frames);
    if (result != noErr) return result;
    if (list.mNumberBuffers != channels) return paramErr;
    for (UInt32 c = 0; c < channels; ++c) {
        const AudioBuffer& b = list.mBuffers[c];
        if (!b.mData) return paramErr;
        const size_t bytes = std::min<size_t>(b.mDataByteSize, frames * sizeof(float));
        std::memcpy(out[c], b.mData, bytes);
    }
    return noErr;
}

OSStatus AUHost::Process(const std::vector<std::vector<float>>& in, std::vector<std::vector<float>>& out,
                         UInt32 blockFrames)
{
    if (blockFrames == 0 || mChannels > kMaxChannels) return paramErr;
    size_t total = 0;
    for (const auto& channel : in) total = std::max(total, channel.size());

    OSStatus result = SetInputSignal(in);
    if (result != noErr) return result;
    out.assign(mChannels, std::vector<float>(total));

    float* channels[kMaxChannels];
    for (size_t done = 0; done < total;) {
        const UInt32 frames = UInt32(std::min<size_t>(blockFrames, total - done));
        for (UInt32 c = 0; c < mChannels; ++c) channels[c] = out[c].data() + done;
        result = Render(channels, mChannels, frames);
        if (result != noErr) return result;
        done += frames;
    }
    return noErr;
}

OSStatus AUHost::SetParameter(AudioUnitParameterID id, AudioUnitParameterValue value)
{
    return AudioUnitSetParameter(mUnit, id, kAudioUnitScope_Global, 0, value, 0);
}

OSStatus AUHost::GetParameter(AudioUnitParameterID id, AudioUnitParameterValue& value)
{
    return AudioUnitGetParameter(mUnit, id, kAudioUnitScope_Global, 0, &value);
}
