// What `flummel render` writes: reversed repeats at the right offsets, tempo-synced loop lengths,
// tails, safe output from bad samples at any block size, the built-in demo and its formats.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <iterator>
#include <limits>

#include "RendererFixture.h"

// A loop of 480 samples: index 100 of the first forward sweep plays at 480 + (480 - 100). Synced
// to 1/32 of a whole note at 120 BPM the loop is 0.0625 s = 3000 samples: index 100 plays at 5900.
// Without a tempo the host cannot sync and the plain delay time holds.
TEST_F(RendererTest, AnImpulseComesBackReversedAfterTheDelayTimeOrTheSyncedLoop)
{
    WriteWav("in.wav", Impulses(1, 8000, {{100, 1.f}}));
    std::vector<std::string> args = {"render", "@in.wav", "@out.wav", "--tail", "0", "--set", "delay-time=0.01",
                                     "--set", "Dry Level=0", "--set", "Feedback=0", "--set", "Saturation Shape=0",
                                     "--set", "Host Tempo=1", "--set", "Beats=1", "--set", "Beat Divisor=1/32"};
    for (const size_t repeat : {860, 5900}) {
        SCOPED_TRACE(repeat);
        if (repeat == 5900) args.insert(args.end(), {"--tempo", "120"});
        const Result r = Run(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("wrote"), std::string::npos);
        const Planar out = ReadAudio("out.wav");
        ASSERT_EQ(out.size(), 1u);
        ASSERT_EQ(out[0].size(), 8000u);
        EXPECT_FLOAT_EQ(out[0][repeat], 1.f);
        for (size_t i = 0; i < out[0].size(); ++i)  // no forward repeat without feedback
            ASSERT_TRUE(i == repeat || std::fabs(out[0][i]) < 0.02f) << i << ": " << out[0][i];
    }
}

// Non-finite samples are rendered as silence; the block size changes nothing; absurd tempos
// neither hang nor differ from the nearest usable one.
TEST_F(RendererTest, NonFiniteInputBlockSizesAndAbsurdTemposRenderSafely)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    Planar clean = Impulses(2, 6000, {{10, 0.5f}, {3000, -0.25f}}), poisoned = clean;
    poisoned[0][20] = nan, poisoned[1][21] = inf, poisoned[0][4000] = -inf;
    WriteWav("clean.wav", clean);
    WriteWav("poisoned.wav", poisoned);
    auto render = [&](const std::string& in, const std::string& bpm = "", const std::string& block = "512") {
        std::vector<std::string> args = {"render", "@" + in, "@out.wav", "--set", "Feedback=100", "--set",
                                         "Delay Time=0.02", "--set", "Filter Type=1.5", "--set", "Saturation Amount=3",
                                         "--tail", "0.5", "--quiet", "--block", block};
        if (!bpm.empty())
            args.insert(args.end(), {"--set", "Host Tempo=1", "--set", "LFO Host Tempo=1", "--set",
                                     "Filter LFO Amount=2", "--tempo", bpm});
        EXPECT_EQ(Run(args).status, 0) << in << " " << bpm;
        return ReadAudio("out.wav");
    };
    const Planar out = render("clean.wav");
    EXPECT_EQ(render("poisoned.wav"), out);
    for (const char* block : {"1", "333", "4096"}) EXPECT_EQ(render("clean.wav", "", block), out) << block;
    const Planar fastest = render("clean.wav", "1000");
    for (const char* bpm : {"1e9", "1e300"}) EXPECT_EQ(render("clean.wav", bpm), fastest) << bpm;
}

TEST_F(RendererTest, TheDefaultTailEndsAfterOneSilentLoopAndAGivenTailIsExact)
{
    WriteWav("in.wav", Impulses(2, 3000, {{100, 1.f}}));
    std::vector<std::string> args = {"render", "@in.wav", "@out.wav", "--set", "Delay Time=0.02",
                                     "--set", "Feedback=60", "--quiet"};
    ASSERT_EQ(Run(args).status, 0);
    const Planar out = ReadAudio("out.wav");
    const size_t loop = 960, n = out[0].size();
    ASSERT_GT(n, 3000u + loop);  // 60 % feedback rings on well past the input
    ASSERT_LT(n, 3000u + 48000u * 60u);
    auto silent = [&](size_t i) { return std::fabs(out[0][i]) < 3.2e-5f && std::fabs(out[1][i]) < 3.2e-5f; };
    for (size_t i = n - loop; i < n; ++i) ASSERT_TRUE(silent(i)) << i;
    EXPECT_FALSE(silent(n - loop - 1));  // the silent stretch starts right after the last sound
    args.insert(args.end(), {"--tail", "0.5"});
    ASSERT_EQ(Run(args).status, 0);
    EXPECT_EQ(ReadAudio("out.wav")[0].size(), 3000u + 24000u);
}

// Without an input the same demo every time, in the format the extension names; `params` lists
// every parameter, and help and version answer.
TEST_F(RendererTest, TheBuiltInDemoOtherFormatsAndTheInformationCommands)
{
    int rate = 0, format = 0;
    for (const char* name : {"@demo.flac", "@again.flac"})
        ASSERT_EQ(Run({"render", name, "--tempo", "120", "--tail", "0", "--quiet"}).status, 0);
    const Planar demo = ReadAudio("demo.flac", &rate, &format);
    ASSERT_EQ(demo.size(), 2u);
    EXPECT_EQ(rate, 48000);
    EXPECT_EQ(format, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    EXPECT_GE(demo[0].size(), 48000u * 3);
    EXPECT_GT(*std::max_element(demo[0].begin(), demo[0].end()), 0.1f);
    EXPECT_EQ(ReadAudio("again.flac"), demo);
    ASSERT_EQ(Run({"render", "@demo.aif", "--tail", "0", "--quiet"}).status, 0);
    ReadAudio("demo.aif", nullptr, &format);
    EXPECT_EQ(format & SF_FORMAT_TYPEMASK, SF_FORMAT_AIFF);

    const Result params = Run({"params"}), help = Run({"--help"}), version = Run({"--version"});
    for (const Result* r : {&params, &help, &version}) EXPECT_EQ(r->status, 0) << r->err;
    EXPECT_EQ(std::count(params.out.begin(), params.out.end(), '\n'), 22);  // header and 21 parameters
    std::string columns;  // the table with each run of spaces as one
    std::unique_copy(params.out.begin(), params.out.end(), std::back_inserter(columns),
                     [](char a, char b) { return a == ' ' && b == ' '; });
    EXPECT_NE(columns.find("\n0 Delay Time Seconds 0 30 1\n"), std::string::npos) << params.out;
    EXPECT_NE(columns.find("\n7 Beat Divisor Indexed 0 5 2 (1/1, 1/2, 1/4, 1/8, 1/16, 1/32)\n"), std::string::npos);
    EXPECT_NE(help.out.find("flummel render [INPUT] OUTPUT"), std::string::npos);
    EXPECT_EQ(version.out.rfind("flummel ", 0), 0u) << version.out;
    EXPECT_TRUE(version.out.size() > 8 && std::isdigit(version.out[8]) && version.out.find('.', 8) != std::string::npos)
        << version.out;
}
