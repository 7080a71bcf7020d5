// Stream descriptions: construction, the canonical test, stream counts, wildcard equality,
// and channel counts of channel layouts.
#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "framework/CAAudioChannelLayout.h"
#include "framework/CAStreamBasicDescription.h"

namespace {

using Desc = CAStreamBasicDescription;

Desc Stereo(double rate = 44100) { return Desc::CanonicalFormat(rate, 2); }

Desc PCM(UInt32 flags, UInt32 bits, UInt32 channels)
{
    Desc d = Desc::CanonicalFormat(44100, channels);
    d.mFormatFlags = flags;
    d.mBitsPerChannel = bits;
    return d;
}

}  // namespace

TEST(StreamFormat, ConstructionAndTheCanonicalTest)
{
    alignas(Desc) unsigned char raw[sizeof(Desc)];
    std::memset(raw, 0xA5, sizeof raw);
    (new (raw) Desc)->~Desc();
    for (unsigned char b : raw) ASSERT_EQ(b, 0);

    const AudioStreamBasicDescription asbd{96000, 0x61626364, 7, 12, 3, 4, 5, 6, 9};
    const Desc copy(asbd);
    EXPECT_EQ(std::memcmp(&copy, &asbd, sizeof asbd), 0);

    const AudioStreamBasicDescription canonical{48000, kAudioFormatLinearPCM, 0x29, 4, 1, 4, 3, 32, 0};
    const Desc d = Desc::CanonicalFormat(48000, 3);
    EXPECT_EQ(std::memcmp(&d, &canonical, sizeof canonical), 0);
    EXPECT_TRUE(FormatIsCanonical(d));

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
        Desc d = Stereo();
        deviations[i](d);
        EXPECT_FALSE(FormatIsCanonical(d)) << "deviation " << i;
    }
    Desc loose = Stereo();  // flags that do not matter
    loose.mFormatFlags |= kAudioFormatFlagIsAlignedHigh;
    loose.mFormatFlags &= ~kAudioFormatFlagIsPacked;
    EXPECT_TRUE(FormatIsCanonical(loose));
}

TEST(StreamFormat, StreamCountFollowsInterleaving)
{
    Desc d = Desc::CanonicalFormat(44100, 6);
    EXPECT_FALSE(d.IsInterleaved());
    EXPECT_EQ(d.NumberChannelStreams(), 6u);
    d.mFormatFlags &= ~kAudioFormatFlagIsNonInterleaved;
    EXPECT_TRUE(d.IsInterleaved());
    EXPECT_EQ(d.NumberChannelStreams(), 1u);
    // Only linear PCM can be de-interleaved.
    Desc other = Desc::CanonicalFormat(44100, 6);
    other.mFormatID = 0x61616320;
    EXPECT_TRUE(other.IsInterleaved());
    EXPECT_EQ(other.NumberChannelStreams(), 1u);
}

TEST(StreamFormatEquality, ZeroFieldsAreWildcardsOthersMustMatch)
{
    const Desc full = Stereo();
    void (*const clear[])(Desc&) = {
        [](Desc& d) { d.mSampleRate = 0; },     [](Desc& d) { d.mFormatID = 0; },
        [](Desc& d) { d.mFormatFlags = 0; },    [](Desc& d) { d.mBytesPerPacket = 0; },
        [](Desc& d) { d.mFramesPerPacket = 0; }, [](Desc& d) { d.mBytesPerFrame = 0; },
        [](Desc& d) { d.mChannelsPerFrame = 0; }, [](Desc& d) { d.mBitsPerChannel = 0; },
        [](Desc& d) { d.mReserved = 5; },  // never compared
    };
    for (size_t i = 0; i < std::size(clear); ++i) {
        Desc d = full;
        clear[i](d);
        EXPECT_TRUE(d == full && full == d && !(d != full)) << "field " << i;
    }
    EXPECT_TRUE(Desc() == full);
    Desc noId = full;  // a zero format id switches off the flag comparison
    noId.mFormatID = 0;
    noId.mFormatFlags = kAudioFormatFlagIsSignedInteger;
    EXPECT_TRUE(noId == full);

    void (*const change[])(Desc&) = {
        [](Desc& d) { d.mSampleRate = 48000; },    [](Desc& d) { d.mChannelsPerFrame = 1; },
        [](Desc& d) { d.mFormatID = 0x61616320; }, [](Desc& d) { d.mBytesPerPacket = 8; },
        [](Desc& d) { d.mFramesPerPacket = 2; },   [](Desc& d) { d.mBytesPerFrame = 8; },
        [](Desc& d) { d.mBitsPerChannel = 24; },
    };
    for (size_t i = 0; i < std::size(change); ++i) {
        Desc d = full;
        change[i](d);
        EXPECT_TRUE(!(d == full) && d != full) << "change " << i;
    }
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
