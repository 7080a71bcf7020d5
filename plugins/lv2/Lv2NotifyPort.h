// The notify output port: while the editor is showing, its live data (the DataToGui block and
// the sample overview) as one display message every sampleRate/30 frames of audio, and an empty
// sequence in between. Messages falling due within one run give one message with the state at
// the run's end: the UI shows only the latest. The editor says it is showing at least once a
// second; kShowingSeconds after it last did, the messages stop. Audio thread only; nothing is
// allocated, and until an editor first shows, the engine keeps no overview.
#pragma once

#include <atomic>
#include <cstdint>

#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/urid/urid.h>

#include "platform/audio/AudioUnitTypes.h"
#include "plugins/lv2/Lv2DisplayMessage.h"

class Lv2NotifyPort {
public:
    // The port buffer one message needs: the sequence header and one event.
    static constexpr uint32_t kMinimumSize = uint32_t(sizeof(LV2_Atom_Sequence)) + Lv2DisplayMessage::kEventSize;
    static constexpr double kMessagesPerSecond = 30.0;
    static constexpr double kShowingSeconds = 3.0;

    Lv2NotifyPort(double sampleRate, const LV2_URID_Map* map);

    // Frames between messages at `sampleRate`, at least 1.
    static uint32_t Interval(double sampleRate);

    void Connect(void* data) { mPort = static_cast<LV2_Atom_Sequence*>(data); }
    // Takes the editor's word that it is showing: false for any other atom. The first one also
    // asks `unit` for the sample overview, which the engine maintains from then on.
    bool TakeShowing(const LV2_Atom* atom, AudioUnit unit);
    // The next run writes a message.
    void Restart() { mUntilNext = 0; }
    // After `frames` of audio: a message when one fell due while the editor shows, else an
    // empty sequence.
    void Run(AudioUnit unit, uint32_t frames);
    // An empty sequence; the schedule stays where it is.
    void Clear();

private:
    bool Begin(LV2_Atom_Forge_Frame& sequence);

    const Lv2DisplayMessage mMessage;
    LV2_Atom_Forge mForge{};
    LV2_URID mSequence = 0;
    uint32_t mInterval;
    uint64_t mShowingFrames;  // kShowingSeconds of audio
    uint64_t mUntilNext = 0;  // frames until the next message is due
    uint64_t mShowingFor = 0;  // frames the editor is taken to be showing
    LV2_Atom_Sequence* mPort = nullptr;
    const std::atomic<float>* mOverview = nullptr;
};
