// The host's musical time as time:Position objects tell it, for the effect's beat-and-tempo
// host callback. Runs on the audio thread only: no allocation, no locks.
#pragma once

#include <cstdint>

#include <lv2/atom/atom.h>

#include "platform/audio/AudioUnitTypes.h"
#include "plugins/lv2/Lv2Uris.h"

class Lv2Transport {
public:
    explicit Lv2Transport(double sampleRate) : mSampleRate(sampleRate) {}

    // Takes beatsPerMinute, beat and speed from a time:Position object; other atoms and
    // properties are ignored, as is everything from a property that runs past the object's
    // end; a tempo that is not above 0 withdraws the tempo. `atom.size` bytes follow `atom`.
    void Read(const LV2_Atom& atom, const Lv2Uris& uris);
    // Moves the beat on by `frames` at the current tempo and speed.
    void Advance(uint32_t frames);

    bool HasTempo() const { return mTempo > 0; }
    // The callback's answer: kAudioUnitErr_NotHandled while no tempo is known.
    OSStatus BeatAndTempo(Float64* outBeat, Float64* outTempo) const;

private:
    double mSampleRate;
    double mTempo = 0;
    double mBeat = 0;
    double mSpeed = 1;
};
