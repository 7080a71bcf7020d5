// Channel-layout helpers.
#pragma once

#include "platform/audio/CoreAudioTypes.h"

class CAAudioChannelLayout {
public:
    // Channels described by a layout: its descriptions, its bitmap's set bits, or the
    // count carried in the tag's low 16 bits.
    static UInt32 NumberChannels(const AudioChannelLayout& layout);
};
