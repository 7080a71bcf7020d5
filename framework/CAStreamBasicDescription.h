// A stream description with the framework's format rules: the canonical test, wildcard
// equality and the stream count.
#pragma once

#include "platform/audio/CoreAudioTypes.h"

class CAStreamBasicDescription : public AudioStreamBasicDescription {
public:
    CAStreamBasicDescription();
    CAStreamBasicDescription(const AudioStreamBasicDescription& desc);
    CAStreamBasicDescription& operator=(const AudioStreamBasicDescription& desc);

    // Packed, native-endian, non-interleaved 32-bit float linear PCM.
    static CAStreamBasicDescription CanonicalFormat(double sampleRate, UInt32 channels);

    bool IsPCM() const { return mFormatID == kAudioFormatLinearPCM; }
    bool IsInterleaved() const { return !(IsPCM() && (mFormatFlags & kAudioFormatFlagIsNonInterleaved)); }
    // Buffers needed for one block: one per channel when de-interleaved, else one.
    UInt32 NumberChannelStreams() const { return IsInterleaved() ? 1 : mChannelsPerFrame; }
};

// Zero fields are wildcards; linear-PCM flag words are compared after normalisation.
bool operator==(const CAStreamBasicDescription& a, const CAStreamBasicDescription& b);
inline bool operator!=(const CAStreamBasicDescription& a, const CAStreamBasicDescription& b) { return !(a == b); }

// The only formats the framework accepts on its buses.
bool FormatIsCanonical(const CAStreamBasicDescription& format);
