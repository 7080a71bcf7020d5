#include "framework/CAStreamBasicDescription.h"

#include <cstring>

CAStreamBasicDescription::CAStreamBasicDescription()
{
    std::memset(static_cast<AudioStreamBasicDescription*>(this), 0, sizeof(AudioStreamBasicDescription));
}

CAStreamBasicDescription::CAStreamBasicDescription(const AudioStreamBasicDescription& desc)
    : AudioStreamBasicDescription(desc)
{
}

CAStreamBasicDescription& CAStreamBasicDescription::operator=(const AudioStreamBasicDescription& desc)
{
    static_cast<AudioStreamBasicDescription&>(*this) = desc;
    return *this;
}

CAStreamBasicDescription CAStreamBasicDescription::CanonicalFormat(double sampleRate, UInt32 channels)
{
    CAStreamBasicDescription d;
    d.mSampleRate = sampleRate;
    d.mFormatID = kAudioFormatLinearPCM;
    d.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
    d.mBytesPerPacket = sizeof(Float32);
    d.mFramesPerPacket = 1;
    d.mBytesPerFrame = sizeof(Float32);
    d.mChannelsPerFrame = channels;
    d.mBitsPerChannel = 32;
    return d;
}

namespace {

bool WildcardEqual(UInt32 a, UInt32 b) { return a == 0 || b == 0 || a == b; }

bool PCMFlagsEqual(const CAStreamBasicDescription& a, const CAStreamBasicDescription& b)
{
    UInt32 fa = a.mFormatFlags & ~kAudioFormatFlagsAreAllClear;
    UInt32 fb = b.mFormatFlags & ~kAudioFormatFlagsAreAllClear;
    if ((fa & fb) & kAudioFormatFlagIsPacked) {
        fa &= ~kAudioFormatFlagIsAlignedHigh;
        fb &= ~kAudioFormatFlagIsAlignedHigh;
    }
    if ((fa & fb) & kAudioFormatFlagIsFloat) {
        fa &= ~kAudioFormatFlagIsSignedInteger;
        fb &= ~kAudioFormatFlagIsSignedInteger;
    }
    // Byte order means nothing for packed samples of one byte.
    if (a.mBitsPerChannel < 9 && (fa & kAudioFormatFlagIsPacked)) fa &= ~kAudioFormatFlagIsBigEndian;
    if (b.mBitsPerChannel < 9 && (fb & kAudioFormatFlagIsPacked)) fb &= ~kAudioFormatFlagIsBigEndian;
    if (a.mChannelsPerFrame <= 1 && b.mChannelsPerFrame <= 1) {
        fa &= ~kAudioFormatFlagIsNonInterleaved;
        fb &= ~kAudioFormatFlagIsNonInterleaved;
    }
    return fa == fb;
}

}  // namespace

bool operator==(const CAStreamBasicDescription& a, const CAStreamBasicDescription& b)
{
    if (a.mSampleRate != 0 && b.mSampleRate != 0 && a.mSampleRate != b.mSampleRate) return false;
    if (!WildcardEqual(a.mFormatID, b.mFormatID)) return false;
    if (a.mFormatID != 0 && b.mFormatID != 0 && a.mFormatFlags != 0 && b.mFormatFlags != 0) {
        if (a.mFormatID == kAudioFormatLinearPCM) {
            if (!PCMFlagsEqual(a, b)) return false;
        } else if (a.mFormatFlags != b.mFormatFlags) {
            return false;
        }
    }
    return WildcardEqual(a.mBytesPerPacket, b.mBytesPerPacket) && WildcardEqual(a.mFramesPerPacket, b.mFramesPerPacket) &&
           WildcardEqual(a.mBytesPerFrame, b.mBytesPerFrame) &&
           WildcardEqual(a.mChannelsPerFrame, b.mChannelsPerFrame) &&
           WildcardEqual(a.mBitsPerChannel, b.mBitsPerChannel);
}

bool FormatIsCanonical(const CAStreamBasicDescription& f)
{
    return f.mFormatID == kAudioFormatLinearPCM && f.mFramesPerPacket == 1 && f.mBytesPerPacket == f.mBytesPerFrame &&
           (f.mFormatFlags & kAudioFormatFlagIsFloat) && (f.mFormatFlags & kAudioFormatFlagIsNonInterleaved) &&
           !(f.mFormatFlags & kAudioFormatFlagIsBigEndian) && f.mBitsPerChannel == 32 && f.mBytesPerPacket == 4;
}
