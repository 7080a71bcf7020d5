#include "framework/CAAudioChannelLayout.h"

#include <bitset>

UInt32 CAAudioChannelLayout::NumberChannels(const AudioChannelLayout& layout)
{
    switch (layout.mChannelLayoutTag) {
    case kAudioChannelLayoutTag_UseChannelDescriptions: return layout.mNumberChannelDescriptions;
    case kAudioChannelLayoutTag_UseChannelBitmap: return UInt32(std::bitset<32>(layout.mChannelBitmap).count());
    default: return layout.mChannelLayoutTag & 0xFFFF;
    }
}
