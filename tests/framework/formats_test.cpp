// Stream descriptions: the canonical test, stream counts and wildcard equality.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>

#include "framework/CAStreamBasicDescription.h"

using Desc = CAStreamBasicDescription;

TEST(StreamFormat, CanonicalTestAndStreamCount)
{
    const AudioStreamBasicDescription canonical{48000, kAudioFormatLinearPCM, 0x29, 4, 1, 4, 3, 32, 0};
    const Desc d = Desc::CanonicalFormat(48000, 3);
    EXPECT_EQ(std::memcmp(&d, &canonical, sizeof canonical), 0);
    EXPECT_TRUE(FormatIsCanonical(d));
    EXPECT_EQ(d.NumberChannelStreams(), 3u);

    void (*const deviations[])(Desc&) = {
        [](Desc& d) { d.mFormatID = 0x61616320; },
        [](Desc& d) { d.mBytesPerPacket = d.mBytesPerFrame = 8; },
        [](Desc& d) { d.mFormatFlags &= ~kAudioFormatFlagIsFloat; },
        [](Desc& d) { d.mFormatFlags &= ~kAudioFormatFlagIsNonInterleaved; },
        [](Desc& d) { d.mBitsPerChannel = 24; },
    };
    for (size_t i = 0; i < std::size(deviations); ++i) {
        Desc dev = d;
        deviations[i](dev);
        EXPECT_FALSE(FormatIsCanonical(dev)) << "deviation " << i;
    }
    Desc interleaved = d;
    interleaved.mFormatFlags &= ~kAudioFormatFlagIsNonInterleaved;
    EXPECT_EQ(interleaved.NumberChannelStreams(), 1u);
}

TEST(StreamFormatEquality, ZeroFieldsAreWildcardsOthersMustMatch)
{
    const Desc full = Desc::CanonicalFormat(44100, 2);
    const struct {
        void (*change)(Desc&);
        bool equal;
    } cases[] = {
        {[](Desc& d) { d.mSampleRate = 0; }, true},        {[](Desc& d) { d.mFormatFlags = 0; }, true},
        {[](Desc& d) { d.mChannelsPerFrame = 0; }, true},  {[](Desc& d) { d.mReserved = 5; }, true},
        {[](Desc& d) { d.mSampleRate = 48000; }, false},   {[](Desc& d) { d.mChannelsPerFrame = 1; }, false},
        {[](Desc& d) { d.mBitsPerChannel = 24; }, false},
        {[](Desc& d) { d.mFormatFlags &= ~kAudioFormatFlagIsNonInterleaved; }, false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        Desc d = full;
        cases[i].change(d);
        EXPECT_EQ(d == full, cases[i].equal) << i;
        EXPECT_EQ(full == d, cases[i].equal) << i;
        EXPECT_EQ(d != full, !cases[i].equal) << i;
    }
    // Interleaving is irrelevant when neither side has more than one channel.
    Desc mono = Desc::CanonicalFormat(44100, 1), interleavedMono = mono;
    interleavedMono.mFormatFlags &= ~kAudioFormatFlagIsNonInterleaved;
    EXPECT_TRUE(mono == interleavedMono);
}
