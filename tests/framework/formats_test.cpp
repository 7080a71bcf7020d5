// Stream descriptions: the canonical test, stream counts, wildcard equality, and channel counts of
// channel layouts.
#include <gtest/gtest.h>

#include <cstring>

#include "framework/CAAudioChannelLayout.h"
#include "framework/CAStreamBasicDescription.h"

namespace {

using Desc = CAStreamBasicDescription;

Desc PCM(UInt32 flags, UInt32 bits, UInt32 channels)
{
    Desc d = Desc::CanonicalFormat(44100, channels);
    d.mFormatFlags = flags;
    d.mBitsPerChannel = bits;
    return d;
}

}  // namespace

TEST(StreamFormat, CanonicalTestAndStreamCount)
{
    const AudioStreamBasicDescription canonical{48000, kAudioFormatLinearPCM, 0x29, 4, 1, 4, 3, 32, 0};
    const Desc d = Desc::CanonicalFormat(48000, 3);
    EXPECT_EQ(std::memcmp(&d, &canonical, sizeof canonical), 0);
    EXPECT_TRUE(FormatIsCanonical(d));
    EXPECT_EQ(d.NumberChannelStreams(), 3u);

    void (*const deviations[])(Desc&) = {
        [](Desc& d) { d.mFormatID = 0x61616320; },
        [](Desc& d) { d.mFramesPerPacket = 2; },
        [](Desc& d) { d.mBytesPerPacket = 8; },
        [](Desc& d) { d.mBytesPerPacket = d.mBytesPerFrame = 8; },
        [](Desc& d) { d.mFormatFlags &= ~kAudioFormatFlagIsFloat; },
        [](Desc& d) { d.mFormatFlags &= ~kAudioFormatFlagIsNonInterleaved; },
        [](Desc& d) { d.mFormatFlags |= kAudioFormatFlagIsBigEndian; },
        [](Desc& d) { d.mBitsPerChannel = 24; },
    };
    for (size_t i = 0; i < std::size(deviations); ++i) {
        Desc dev = d;
        deviations[i](dev);
        EXPECT_FALSE(FormatIsCanonical(dev)) << "deviation " << i;
    }
    Desc loose = d;  // flags that do not matter
    loose.mFormatFlags |= kAudioFormatFlagIsAlignedHigh;
    loose.mFormatFlags &= ~kAudioFormatFlagIsPacked;
    EXPECT_TRUE(FormatIsCanonical(loose));

    Desc interleaved = d;
    interleaved.mFormatFlags &= ~kAudioFormatFlagIsNonInterleaved;
    EXPECT_EQ(interleaved.NumberChannelStreams(), 1u);
    Desc other = d;  // only linear PCM can be de-interleaved
    other.mFormatID = 0x61616320;
    EXPECT_TRUE(other.IsInterleaved());
    EXPECT_EQ(other.NumberChannelStreams(), 1u);
}

TEST(StreamFormatEquality, ZeroFieldsAreWildcardsOthersMustMatch)
{
    const Desc full = Desc::CanonicalFormat(44100, 2);
    const struct {
        void (*change)(Desc&);
        bool equal;
    } cases[] = {
        {[](Desc& d) { d.mSampleRate = 0; }, true},        {[](Desc& d) { d.mFormatID = 0; }, true},
        {[](Desc& d) { d.mFormatFlags = 0; }, true},       {[](Desc& d) { d.mBytesPerPacket = 0; }, true},
        {[](Desc& d) { d.mFramesPerPacket = 0; }, true},   {[](Desc& d) { d.mBytesPerFrame = 0; }, true},
        {[](Desc& d) { d.mChannelsPerFrame = 0; }, true},  {[](Desc& d) { d.mBitsPerChannel = 0; }, true},
        {[](Desc& d) { d.mReserved = 5; }, true},  // never compared
        {[](Desc& d) { d.mFormatID = 0, d.mFormatFlags = kAudioFormatFlagIsSignedInteger; }, true},  // no flag test
        {[](Desc& d) { d.mSampleRate = 48000; }, false},   {[](Desc& d) { d.mChannelsPerFrame = 1; }, false},
        {[](Desc& d) { d.mFormatID = 0x61616320; }, false}, {[](Desc& d) { d.mBytesPerPacket = 8; }, false},
        {[](Desc& d) { d.mFramesPerPacket = 2; }, false},  {[](Desc& d) { d.mBytesPerFrame = 8; }, false},
        {[](Desc& d) { d.mBitsPerChannel = 24; }, false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        Desc d = full;
        cases[i].change(d);
        EXPECT_EQ(d == full, cases[i].equal) << i;
        EXPECT_EQ(full == d, cases[i].equal) << i;
        EXPECT_EQ(d != full, !cases[i].equal) << i;
    }
    EXPECT_TRUE(Desc() == full);
    // Other formats compare their flags verbatim.
    Desc a = full, b = full;
    a.mFormatID = b.mFormatID = 0x61616320;
    a.mFormatFlags = kAudioFormatFlagIsPacked | kAudioFormatFlagIsAlignedHigh;
    b.mFormatFlags = kAudioFormatFlagIsPacked;
    EXPECT_FALSE(a == b);
}

TEST(StreamFormatEquality, LinearPCMFlagsAreNormalisedFirst)
{
    const UInt32 F = kAudioFormatFlagIsFloat, BE = kAudioFormatFlagIsBigEndian, SI = kAudioFormatFlagIsSignedInteger,
                 P = kAudioFormatFlagIsPacked, AH = kAudioFormatFlagIsAlignedHigh,
                 NI = kAudioFormatFlagIsNonInterleaved, CLEAR = kAudioFormatFlagsAreAllClear;

    // The all-clear bit is ignored.
    EXPECT_TRUE(PCM(F | P | NI | CLEAR, 32, 2) == PCM(F | P | NI, 32, 2));
    // Aligned-high only matters unless both are packed.
    EXPECT_TRUE(PCM(SI | P | AH, 24, 2) == PCM(SI | P, 24, 2));
    EXPECT_FALSE(PCM(SI | P | AH, 24, 2) == PCM(SI, 24, 2));
    // Signed-integer only matters unless both are float.
    EXPECT_TRUE(PCM(F | SI | P, 32, 2) == PCM(F | P, 32, 2));
    EXPECT_FALSE(PCM(F | SI | P, 32, 2) == PCM(SI | P, 32, 2));
    // Byte order of packed samples up to 8 bits is irrelevant.
    EXPECT_TRUE(PCM(SI | P | BE, 8, 2) == PCM(SI | P, 8, 2));
    EXPECT_FALSE(PCM(SI | P | BE, 16, 2) == PCM(SI | P, 16, 2));
    EXPECT_FALSE(PCM(SI | BE, 8, 2) == PCM(SI, 8, 2));
    // Interleaving is irrelevant when neither side has more than one channel.
    EXPECT_TRUE(Desc::CanonicalFormat(44100, 1) == PCM(F | P, 32, 1));
    EXPECT_FALSE(PCM(F | P | NI, 32, 2) == PCM(F | P, 32, 2));
    // A flag word of zero is a wildcard, but one that becomes zero after normalisation is not.
    EXPECT_TRUE(PCM(0, 32, 2) == PCM(SI | BE, 32, 2));
    EXPECT_FALSE(PCM(CLEAR, 32, 2) == PCM(F, 32, 2));
}

TEST(ChannelLayout, NumberOfChannels)
{
    const struct {
        AudioChannelLayoutTag tag;
        UInt32 bitmap, descriptions, channels;
    } cases[] = {
        {kAudioChannelLayoutTag_UseChannelBitmap, 0x3, 5, 2},
        {kAudioChannelLayoutTag_UseChannelBitmap, 0x80010104, 0, 4},
        {kAudioChannelLayoutTag_UseChannelBitmap, 0, 0, 0},
        {kAudioChannelLayoutTag_UseChannelDescriptions, 0x3, 5, 5},
        {kAudioChannelLayoutTag_Stereo, 0x1, 5, 2},
        {kAudioChannelLayoutTag_Mono, 0x3, 5, 1},
        {(150u << 16) | 0x0106, 0, 0, 0x106},
    };
    for (const auto& c : cases) {
        AudioChannelLayout layout{};
        layout.mChannelLayoutTag = c.tag;
        layout.mChannelBitmap = c.bitmap;
        layout.mNumberChannelDescriptions = c.descriptions;
        EXPECT_EQ(CAAudioChannelLayout::NumberChannels(layout), c.channels) << c.tag << "/" << c.bitmap;
    }
}
