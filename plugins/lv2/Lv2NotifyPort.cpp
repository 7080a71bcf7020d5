#include "plugins/lv2/Lv2NotifyPort.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/FlummelShared.h"
#include "platform/audio/AudioUnitCalls.h"

Lv2NotifyPort::Lv2NotifyPort(double sampleRate, const LV2_URID_Map* map)
    : mMessage(map), mInterval(Interval(sampleRate)), mShowingFrames(uint64_t(std::ceil(sampleRate * kShowingSeconds)))
{
    if (!map) return;
    lv2_atom_forge_init(&mForge, const_cast<LV2_URID_Map*>(map));
    mSequence = mForge.Sequence;
}

uint32_t Lv2NotifyPort::Interval(double sampleRate)
{
    const double frames = std::round(sampleRate / kMessagesPerSecond);
    return frames >= 1 ? uint32_t(frames) : 1;
}

bool Lv2NotifyPort::TakeShowing(const LV2_Atom* atom, AudioUnit unit)
{
    if (!mMessage.IsShowing(atom)) return false;
    if (mShowingFor == 0) mUntilNext = 0;  // a message at once
    mShowingFor = mShowingFrames;
    if (mOverview) return true;
    float* address = nullptr;
    UInt32 size = sizeof address;
    if (AudioUnitGetProperty(unit, kSampleOverviewProperty, kAudioUnitScope_Global, 0, &address, &size) == noErr &&
        size == sizeof address)
        mOverview = reinterpret_cast<const std::atomic<float>*>(address);
    return true;
}

// The host gives the buffer's capacity in the sequence's atom.size.
bool Lv2NotifyPort::Begin(LV2_Atom_Forge_Frame& sequence)
{
    if (!mPort || !mSequence) return false;
    const uint32_t capacity = mPort->atom.size;
    lv2_atom_forge_set_buffer(&mForge, reinterpret_cast<uint8_t*>(mPort), sizeof(LV2_Atom) + size_t(capacity));
    if (lv2_atom_forge_sequence_head(&mForge, &sequence, 0)) return true;
    mPort->atom.size = 0;  // not even room for the sequence body
    mPort->atom.type = mSequence;
    return false;
}

void Lv2NotifyPort::Clear()
{
    LV2_Atom_Forge_Frame sequence;
    if (Begin(sequence)) lv2_atom_forge_pop(&mForge, &sequence);
}

void Lv2NotifyPort::Run(AudioUnit unit, uint32_t frames)
{
    LV2_Atom_Forge_Frame sequence;
    if (!Begin(sequence)) return;
    if (mShowingFor > 0) {
        mShowingFor -= std::min<uint64_t>(mShowingFor, frames);
        if (frames > 0 && mUntilNext < frames) {
            DataToGui data{};
            UInt32 size = sizeof data;
            if (mOverview &&
                AudioUnitGetProperty(unit, kDataToGuiProperty, kAudioUnitScope_Global, 0, &data, &size) == noErr)
                mMessage.Write(&mForge, int64_t(frames) - 1, data, mOverview);
            mUntilNext += (frames - mUntilNext + mInterval - 1) / mInterval * mInterval;
        }
        mUntilNext -= frames;
    }
    lv2_atom_forge_pop(&mForge, &sequence);
}
