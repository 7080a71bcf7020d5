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

// A linear PCM format with the given flags, bits and channels.
Desc PCM(UInt32 flags, UInt32 bits, UInt32 channels)
{
    Desc d = Desc::CanonicalFormat(44100, channels);
    d.mFormatFlags = flags;
    d.mBitsPerChannel = bits;
    return d;
}

}  // namespace

TEST(StreamFormat, DefaultConstructionZeroesEveryByte)
{
    alignas(Desc) unsigned char raw[sizeof(Desc)];
    std::memset(raw, 0xA5, sizeof raw);
    Desc* d = new (raw) Desc;
    static_assert(sizeof(Desc) == 40, "no extra members");
    for (unsigned char b : raw) ASSERT_EQ(b, 0);
    d->~Desc();
}

TEST(StreamFormat, CopiesAPlatformDescriptionFieldForField)
{
    AudioStreamBasicDescription asbd{96000, 0x61626364, 7, 12, 3, 4, 5, 6, 9};
    const Desc d(asbd);
    EXPECT_EQ(std::memcmp(&d, &asbd, sizeof asbd), 0);
    Desc e;
    e = asbd;
    EXPECT_EQ(std::memcmp(&e, &asbd, sizeof asbd), 0);
}

TEST(StreamFormat, CanonicalFormatIsTheDefaultBusLayout)
{
    const Desc d = Desc::CanonicalFormat(44100, 2);
    EXPECT_EQ(d.mSampleRate, 44100.0);
    EXPECT_EQ(d.mFormatID, 0x6C70636Du);
    EXPECT_EQ(d.mFormatFlags, 0x29u);
    EXPECT_EQ(d.mBytesPerPacket, 4u);
    EXPECT_EQ(d.mFramesPerPacket, 1u);
    EXPECT_EQ(d.mBytesPerFrame, 4u);
    EXPECT_EQ(d.mChannelsPerFrame, 2u);
    EXPECT_EQ(d.mBitsPerChannel, 32u);
    EXPECT_EQ(d.mReserved, 0u);
    EXPECT_TRUE(FormatIsCanonical(d));
    EXPECT_TRUE(FormatIsCanonical(Desc::CanonicalFormat(8000, 7)));
}

TEST(StreamFormat, CanonicalTestRejectsEachDeviation)
{
    struct Case {
        const char* what;
        void (*change)(Desc&);
    };
    const Case cases[] = {
        {"format id", [](Desc& d) { d.mFormatID = 0x61616320; }},
        {"frames per packet", [](Desc& d) { d.mFramesPerPacket = 2; }},
        {"bytes per packet != bytes per frame", [](Desc& d) { d.mBytesPerPacket = 8; }},
        {"8-byte samples", [](Desc& d) { d.mBytesPerPacket = d.mBytesPerFrame = 8; }},
        {"integer samples", [](Desc& d) { d.mFormatFlags &= ~kAudioFormatFlagIsFloat; }},
        {"interleaved", [](Desc& d) { d.mFormatFlags &= ~kAudioFormatFlagIsNonInterleaved; }},
        {"big-endian", [](Desc& d) { d.mFormatFlags |= kAudioFormatFlagIsBigEndian; }},
        {"24 bits", [](Desc& d) { d.mBitsPerChannel = 24; }},
    };
    for (const Case& c : cases) {
        Desc d = Stereo();
        c.change(d);
        EXPECT_FALSE(FormatIsCanonical(d)) << c.what;
    }
    // Flags that do not matter for the test.
    Desc d = Stereo();
    d.mFormatFlags |= kAudioFormatFlagIsAlignedHigh;
    d.mFormatFlags &= ~kAudioFormatFlagIsPacked;
    EXPECT_TRUE(FormatIsCanonical(d));
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

TEST(StreamFormatEquality, ZeroFieldsAreWildcards)
{
    const Desc full = Stereo();
    void (*const clear[])(Desc&) = {
        [](Desc& d) { d.mSampleRate = 0; },     [](Desc& d) { d.mFormatID = 0; },
        [](Desc& d) { d.mFormatFlags = 0; },    [](Desc& d) { d.mBytesPerPacket = 0; },
        [](Desc& d) { d.mFramesPerPacket = 0; }, [](Desc& d) { d.mBytesPerFrame = 0; },
        [](Desc& d) { d.mChannelsPerFrame = 0; }, [](Desc& d) { d.mBitsPerChannel = 0; },
    };
    for (size_t i = 0; i < sizeof clear / sizeof clear[0]; ++i) {
        Desc d = full;
        clear[i](d);
        EXPECT_TRUE(d == full) << "field " << i;
        EXPECT_TRUE(full == d) << "field " << i;
        EXPECT_FALSE(d != full) << "field " << i;
    }
    EXPECT_TRUE(Desc() == full);

    // A zero format id switches off the flag comparison.
    Desc noId = full;
    noId.mFormatID = 0;
    noId.mFormatFlags = kAudioFormatFlagIsSignedInteger;
    EXPECT_TRUE(noId == full);
}

TEST(StreamFormatEquality, NonZeroFieldsMustMatch)
{
    EXPECT_FALSE(Stereo(44100) == Stereo(48000));
    EXPECT_TRUE(Stereo(44100) != Stereo(48000));
    EXPECT_FALSE(Stereo() == Desc::CanonicalFormat(44100, 1));

    void (*const change[])(Desc&) = {
        [](Desc& d) { d.mFormatID = 0x61616320; },  [](Desc& d) { d.mBytesPerPacket = 8; },
        [](Desc& d) { d.mFramesPerPacket = 2; },    [](Desc& d) { d.mBytesPerFrame = 8; },
        [](Desc& d) { d.mBitsPerChannel = 24; },
    };
    for (size_t i = 0; i < sizeof change / sizeof change[0]; ++i) {
        Desc d = Stereo();
        change[i](d);
        EXPECT_FALSE(d == Stereo()) << "change " << i;
    }
    // The reserved word is never compared.
    Desc r = Stereo();
    r.mReserved = 5;
    EXPECT_TRUE(r == Stereo());
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
    // Byte order of packed samples up to 8 bits is irrelevant, per description.
    EXPECT_TRUE(PCM(SI | P | BE, 8, 2) == PCM(SI | P, 8, 2));
    EXPECT_FALSE(PCM(SI | P | BE, 16, 2) == PCM(SI | P, 16, 2));
    EXPECT_FALSE(PCM(SI | BE, 8, 2) == PCM(SI, 8, 2));
    // Interleaving is irrelevant when neither side has more than one channel.
    EXPECT_TRUE(PCM(F | P | NI, 32, 1) == PCM(F | P, 32, 1));
    EXPECT_TRUE(Desc::CanonicalFormat(44100, 1) == PCM(F | P, 32, 1));
    EXPECT_FALSE(PCM(F | P | NI, 32, 2) == PCM(F | P, 32, 2));
    // A flag word of zero is a wildcard even for linear PCM.
    EXPECT_TRUE(PCM(0, 32, 2) == PCM(SI | BE, 32, 2));
    // Flag words that become zero after normalisation still compare.
    EXPECT_FALSE(PCM(CLEAR, 32, 2) == PCM(F, 32, 2));
}

TEST(StreamFormatEquality, OtherFormatsCompareFlagsVerbatim)
{
    Desc a = Stereo(), b = Stereo();
    a.mFormatID = b.mFormatID = 0x61616320;
    a.mFormatFlags = kAudioFormatFlagIsPacked | kAudioFormatFlagIsAlignedHigh;
    b.mFormatFlags = kAudioFormatFlagIsPacked;
    EXPECT_FALSE(a == b);
    b.mFormatFlags = a.mFormatFlags;
    EXPECT_TRUE(a == b);
}

TEST(ChannelLayout, NumberOfChannels)
{
    AudioChannelLayout layout{};
    layout.mChannelLayoutTag = kAudioChannelLayoutTag_UseChannelBitmap;
    layout.mChannelBitmap = 0x3;
    EXPECT_EQ(CAAudioChannelLayout::NumberChannels(layout), 2u);
    layout.mChannelBitmap = 0x80010104;
    EXPECT_EQ(CAAudioChannelLayout::NumberChannels(layout), 4u);
    layout.mChannelBitmap = 0;
    EXPECT_EQ(CAAudioChannelLayout::NumberChannels(layout), 0u);

    layout.mChannelLayoutTag = kAudioChannelLayoutTag_UseChannelDescriptions;
    layout.mChannelBitmap = 0x3;
    layout.mNumberChannelDescriptions = 5;
    EXPECT_EQ(CAAudioChannelLayout::NumberChannels(layout), 5u);

    layout.mChannelLayoutTag = kAudioChannelLayoutTag_Stereo;
    EXPECT_EQ(CAAudioChannelLayout::NumberChannels(layout), 2u);
    layout.mChannelLayoutTag = kAudioChannelLayoutTag_Mono;
    EXPECT_EQ(CAAudioChannelLayout::NumberChannels(layout), 1u);
    layout.mChannelLayoutTag = (150u << 16) | 0x0106;
    EXPECT_EQ(CAAudioChannelLayout::NumberChannels(layout), 0x106u);
}
