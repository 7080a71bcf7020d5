#include "plugins/lv2/FlummelLv2.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <lv2/atom/util.h>

#include "engine/TrWkFlummelEntry.h"
#include "plugins/lv2/Lv2ClassInfoState.h"

namespace {

// The host's map when it offers a usable one.
const LV2_URID_Map* FindMap(const LV2_Feature* const* features)
{
    for (; features && *features; ++features) {
        const LV2_Feature& f = **features;
        if (!f.URI || std::strcmp(f.URI, LV2_URID__map) != 0) continue;
        const auto* map = static_cast<const LV2_URID_Map*>(f.data);
        return map && map->map ? map : nullptr;
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<FlummelLv2> FlummelLv2::Create(const Lv2Variant& variant, double sampleRate,
                                               const LV2_Feature* const* features)
{
    if (variant.channels == 0 || variant.channels > kMaxChannels || !(sampleRate > 0)) return nullptr;
    std::unique_ptr<FlummelLv2> plugin(new FlummelLv2(variant, sampleRate, FindMap(features)));
    if (plugin->Start(sampleRate) != noErr) return nullptr;
    return plugin;
}

FlummelLv2::FlummelLv2(const Lv2Variant& variant, double sampleRate, const LV2_URID_Map* map)
    : mVariant(variant), mUris(map), mTransport(sampleRate), mNotify(sampleRate, map)
{
}

OSStatus FlummelLv2::Start(double sampleRate)
{
    RegisterTrWkFlummel();
    OSStatus result = AUHost::Open(TrWkFlummelDescription(), mHost);
    if (result != noErr) return result;
    const AudioUnit unit = mHost->Unit();
    if ((result = mHost->SetFormat(sampleRate, mVariant.channels)) != noErr) return result;
    result = mHost->SetInputSource([this](float* const* channels, UInt32 count, UInt32 frames, Float64) {
        return FillInput(channels, count, frames);
    });
    if (result != noErr) return result;
    result = mHost->SetTempoSource(
        [this](Float64* outBeat, Float64* outTempo) { return mTransport.BeatAndTempo(outBeat, outTempo); });
    if (result != noErr) return result;
    if ((result = mHost->Initialize()) != noErr) return result;

    UInt32 size = sizeof mMaxFrames;
    result = AudioUnitGetProperty(unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0,
                                  &mMaxFrames, &size);
    if (result != noErr) return result;
    if (mMaxFrames == 0) return kAudioUnitErr_FailedInitialization;
    mBypass = std::make_unique<Lv2Bypass>(sampleRate, mVariant.channels, mMaxFrames);

    if ((result = mParameters.Fetch(unit)) != noErr) return result;
    mControls.clear();
    for (const Lv2ParameterList::Parameter& p : mParameters.Parameters()) {
        Control control{nullptr, 0.f, p.id, p.minValue, p.maxValue, p.trigger};
        if (!p.trigger && (result = mHost->GetParameter(p.id, control.last)) != noErr) return result;
        mControls.push_back(control);
    }

    return noErr;
}

void FlummelLv2::ConnectPort(uint32_t port, void* data)
{
    if (port < mVariant.channels) {
        mIn[port] = static_cast<const float*>(data);
    } else if (port < 2 * mVariant.channels) {
        mOut[port - mVariant.channels] = static_cast<float*>(data);
    } else if (port == mVariant.TimePort()) {
        mTime = static_cast<const LV2_Atom_Sequence*>(data);
    } else if (port - mVariant.FirstControlPort() < mControls.size()) {
        mControls[port - mVariant.FirstControlPort()].port = static_cast<const float*>(data);
    } else if (port == mVariant.EnabledPort(uint32_t(mControls.size()))) {
        mEnabled = static_cast<const float*>(data);
    } else if (port == mVariant.NotifyPort(uint32_t(mControls.size()))) {
        mNotify.Connect(data);
    }
}

void FlummelLv2::Activate()
{
    mHost->Reset();
    mBypass->Reset();
    mNotify.Restart();
}

void FlummelLv2::Run(uint32_t frames) noexcept
{
    for (uint32_t c = 0; c < mVariant.channels; ++c) {
        if (mIn[c] && mOut[c]) continue;
        for (float* out : mOut)
            if (out) std::fill_n(out, frames, 0.f);
        mNotify.Clear();
        return;
    }
    ApplyControls();
    mBypass->Set(!mEnabled || !(*mEnabled <= 0.f));  // unconnected or NaN: on
    ReadTimePort(frames);
    mNotify.Run(mHost->Unit(), frames);
}

void FlummelLv2::ApplyControls()
{
    for (Control& c : mControls) {
        if (!c.port) continue;
        const float value = *c.port;
        if (value == c.last) continue;  // the usual case: nothing moved
        if (c.trigger) {
            if (value > 0.f && !(c.last > 0.f)) mHost->SetParameter(c.id, 1.f);
            c.last = value;
        } else if (!std::isnan(value)) {
            c.last = value;
            mHost->SetParameter(c.id, std::clamp(value, c.minValue, c.maxValue));
        }
    }
}

// Renders up to each time-position event, then takes the event, so a tempo change applies
// from its own frame on; the editor's showing message is taken as it comes. Events that do not
// fit inside the sequence end it.
void FlummelLv2::ReadTimePort(uint32_t frames)
{
    uint32_t done = 0;
    if (mTime && mUris.Mapped() && mTime->atom.type == mUris.atomSequence) {
        const LV2_Atom_Sequence_Body* body = &mTime->body;
        const auto* end = reinterpret_cast<const uint8_t*>(body) + mTime->atom.size;
        for (const LV2_Atom_Event* ev = lv2_atom_sequence_begin(body);
             !lv2_atom_sequence_is_end(body, mTime->atom.size, ev); ev = lv2_atom_sequence_next(ev)) {
            const auto* event = reinterpret_cast<const uint8_t*>(ev);
            if (size_t(end - event) < sizeof(LV2_Atom_Event) ||
                ev->body.size > size_t(end - event) - sizeof(LV2_Atom_Event))
                break;
            if (mNotify.TakeShowing(&ev->body, mHost->Unit())) continue;
            const int64_t at = std::clamp<int64_t>(ev->time.frames, done, frames);
            RenderSpan(done, uint32_t(at));
            done = uint32_t(at);
            mTransport.Read(ev->body, mUris);
        }
    }
    RenderSpan(done, frames);
}

void FlummelLv2::RenderSpan(uint32_t from, uint32_t to)
{
    const float* ins[kMaxChannels];
    float* outs[kMaxChannels];
    while (from < to) {
        const uint32_t frames = std::min(to - from, mMaxFrames);
        for (uint32_t c = 0; c < mVariant.channels; ++c) {
            ins[c] = mIn[c] + from;
            outs[c] = mOut[c] + from;
        }
        if (!mBypass->EffectRuns()) {
            mBypass->PassThrough(ins, outs, frames);
        } else {
            const bool fading = mBypass->Fading();
            if (fading) mBypass->KeepDry(ins, frames);
            mInputOffset = from;
            if (mHost->Render(outs, mVariant.channels, frames) != noErr)
                for (uint32_t c = 0; c < mVariant.channels; ++c) std::fill_n(outs[c], frames, 0.f);
            if (fading) mBypass->Blend(outs, frames);
        }
        mTransport.Advance(frames);
        from += frames;
    }
}

bool FlummelLv2::FillInput(float* const* channels, UInt32 count, UInt32 frames)
{
    for (UInt32 c = 0; c < count; ++c) {
        const float* in = c < mVariant.channels ? mIn[c] : nullptr;
        if (!in)
            std::fill_n(channels[c], frames, 0.f);
        else if (in + mInputOffset != channels[c])
            std::copy_n(in + mInputOffset, frames, channels[c]);
    }
    return false;
}

LV2_State_Status FlummelLv2::Save(LV2_State_Store_Function store, LV2_State_Handle handle) const
{
    return Lv2ClassInfoState::Save(mHost->Unit(), mUris, store, handle);
}

LV2_State_Status FlummelLv2::Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle)
{
    return Lv2ClassInfoState::Restore(mHost->Unit(), mUris, retrieve, handle);
}
