// What `flummel render` writes: exact dry pass-through, reversed repeats at the right offsets,
// tempo-synced loop lengths, tails, presets, formats and the waveform picture.
#include <png.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <regex>
#include <set>

#include "RendererFixture.h"

namespace {

Planar Noise(size_t channels, size_t frames)
{
    Planar p(channels, std::vector<float>(frames));
    uint32_t s = 1;
    for (auto& c : p)
        for (float& v : c) v = float(int32_t(s = s * 1664525u + 1013904223u)) / 4294967296.f;
    return p;
}

}  // namespace

TEST_F(RendererTest, DryOnlyReproducesTheInputInEveryChannelCount)
{
    for (size_t channels : {1u, 2u, 3u}) {
        const Planar in = Noise(channels, 5000);
        WriteWav("in.wav", in, 44100);
        const Result r = Run({"render", Path("in.wav"), Path("out.wav"), "--set", "Dry Level=1", "--set",
                              "effect_level=0", "--tail", "0", "--quiet"});
        ASSERT_EQ(r.status, 0) << r.err;
        int rate = 0, format = 0;
        EXPECT_EQ(ReadAudio("out.wav", &rate, &format), in) << channels << " channels";
        EXPECT_EQ(rate, 44100);
        EXPECT_EQ(format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    }
}

TEST_F(RendererTest, AnImpulseComesBackReversedAfterOneSweep)
{
    // A loop of 480 samples: index 100 of the first forward sweep plays at 480 + (480 - 100).
    WriteWav("in.wav", Impulses(2, 2000, {{100, 1.f}}));
    const Result r = Run({"render", Path("in.wav"), Path("out.wav"), "--set", "delay-time=0.01", "--set",
                          "Dry Level=0", "--set", "Feedback=0", "--set", "Saturation Shape=0", "--tail", "0"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("wrote"), std::string::npos);
    const Planar out = ReadAudio("out.wav");
    ASSERT_EQ(out.size(), 2u);
    ASSERT_EQ(out[0].size(), 2000u);
    for (const auto& c : out) {
        EXPECT_FLOAT_EQ(c[860], 1.f);
        for (size_t i = 0; i < c.size(); ++i)
            if (i != 860) {
                EXPECT_LT(std::fabs(c[i]), 0.02f) << i;  // no forward repeat without feedback
            }
    }
}

TEST_F(RendererTest, TempoGivesTheSyncedLoopLengthAndItsAbsenceThePlainDelayTime)
{
    WriteWav("in.wav", Impulses(1, 8000, {{100, 1.f}}));
    const std::vector<std::string> synced = {"render", Path("in.wav"), Path("out.wav"), "--set", "Host Tempo=1",
                                             "--set", "Beats=1", "--set", "Beat Divisor=1/32", "--set",
                                             "Delay Time=0.01", "--set", "Dry Level=0", "--set", "Feedback=0",
                                             "--set", "Saturation Shape=0", "--tail", "0", "--quiet"};
    // 1/32 of a whole note at 120 BPM: 0.0625 s = 3000 samples; index 100 plays at 5900.
    std::vector<std::string> withTempo = synced;
    withTempo.insert(withTempo.end(), {"--tempo", "120"});
    ASSERT_EQ(Run(withTempo).status, 0);
    Planar out = ReadAudio("out.wav");
    ASSERT_EQ(out.size(), 1u);
    EXPECT_FLOAT_EQ(out[0][5900], 1.f);
    EXPECT_LT(std::fabs(out[0][860]), 0.02f);
    // Without a tempo the host cannot sync: the 480-sample delay time holds.
    ASSERT_EQ(Run(synced).status, 0);
    out = ReadAudio("out.wav");
    EXPECT_FLOAT_EQ(out[0][860], 1.f);
    EXPECT_LT(std::fabs(out[0][5900]), 0.02f);
}

// Non-finite samples in a file are rendered as silence; absurd tempos neither hang nor differ from
// the nearest usable one.
TEST_F(RendererTest, NonFiniteInputAndAbsurdTemposRenderSafely)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    Planar clean = Impulses(2, 6000, {{10, 0.5f}, {3000, -0.25f}}), poisoned = clean;
    poisoned[0][20] = nan, poisoned[1][21] = inf, poisoned[0][4000] = -inf;
    WriteWav("clean.wav", clean);
    WriteWav("poisoned.wav", poisoned);
    const std::vector<std::string> common = {"--set", "Feedback=100", "--set", "Delay Time=0.02", "--set",
                                             "Filter Type=1.5", "--tail", "0.5", "--quiet"};
    auto render = [&](const std::string& in, const std::string& out, std::vector<std::string> extra) {
        std::vector<std::string> args = {"render", Path(in), Path(out)};
        args.insert(args.end(), common.begin(), common.end());
        args.insert(args.end(), extra.begin(), extra.end());
        return Run(args).status;
    };
    ASSERT_EQ(render("clean.wav", "clean-out.wav", {}), 0);
    ASSERT_EQ(render("poisoned.wav", "poisoned-out.wav", {}), 0);
    EXPECT_EQ(ReadAudio("poisoned-out.wav"), ReadAudio("clean-out.wav"));

    const std::vector<std::string> synced = {"--set", "Host Tempo=1", "--set", "LFO Host Tempo=1", "--set",
                                             "Filter LFO Amount=2"};
    auto tempo = [&](const std::string& bpm, const std::string& out) {
        std::vector<std::string> extra = synced;
        extra.insert(extra.end(), {"--tempo", bpm});
        return render("clean.wav", out, extra);
    };
    ASSERT_EQ(tempo("1000", "t1000.wav"), 0);
    for (const char* bpm : {"1e9", "1e300"}) {
        ASSERT_EQ(tempo(bpm, "absurd.wav"), 0) << bpm;
        EXPECT_EQ(ReadAudio("absurd.wav"), ReadAudio("t1000.wav")) << bpm;
    }
}

TEST_F(RendererTest, TheDefaultTailEndsAfterOneSilentLoopAndAGivenTailIsExact)
{
    WriteWav("in.wav", Impulses(2, 3000, {{100, 1.f}}));
    const std::vector<std::string> base = {"render", Path("in.wav"), Path("out.wav"), "--set", "Delay Time=0.02",
                                           "--set", "Feedback=60", "--quiet"};
    ASSERT_EQ(Run(base).status, 0);
    const Planar out = ReadAudio("out.wav");
    const size_t loop = 960, n = out[0].size();
    ASSERT_GT(n, 3000u + loop);  // 60 % feedback rings on well past the input
    ASSERT_LT(n, 3000u + 48000u * 60u);
    auto silent = [&](size_t i) { return std::fabs(out[0][i]) < 3.2e-5f && std::fabs(out[1][i]) < 3.2e-5f; };
    for (size_t i = n - loop; i < n; ++i) ASSERT_TRUE(silent(i)) << i;
    EXPECT_FALSE(silent(n - loop - 1));  // the silent stretch starts right after the last sound

    std::vector<std::string> tail = base;
    tail.insert(tail.end(), {"--tail", "0.5"});
    ASSERT_EQ(Run(tail).status, 0);
    EXPECT_EQ(ReadAudio("out.wav")[0].size(), 3000u + 24000u);
}

TEST_F(RendererTest, BlockSizeDoesNotChangeTheOutput)
{
    WriteWav("in.wav", Noise(2, 6000));
    const std::vector<std::string> base = {"render", Path("in.wav"), "", "--set", "Delay Time=0.013", "--set",
                                           "Filter Type=1.5", "--set", "Saturation Amount=3", "--tail", "0.1",
                                           "--quiet"};
    Planar outputs[3];
    const char* blocks[] = {"1", "333", "4096"};
    for (int b = 0; b < 3; ++b) {
        std::vector<std::string> args = base;
        args[2] = Path("out.wav");
        args.insert(args.end(), {"--block", blocks[b]});
        ASSERT_EQ(Run(args).status, 0);
        outputs[b] = ReadAudio("out.wav");
    }
    EXPECT_EQ(outputs[0], outputs[1]);
    EXPECT_EQ(outputs[0], outputs[2]);
}

TEST_F(RendererTest, ASavedPresetReproducesTheSameOutput)
{
    WriteWav("in.wav", Noise(2, 4000));
    Result r = Run({"render", Path("in.wav"), Path("a.wav"), "--set", "Delay Time=0.03", "--set", "Feedback=35",
                    "--set", "Filter Type=2.2", "--set", "Filter Cutoff=3000", "--set", "Saturation Amount=4",
                    "--tail", "0.2", "--quiet", "--save-preset", Path("p.plist")});
    ASSERT_EQ(r.status, 0) << r.err;
    r = Run({"render", Path("in.wav"), Path("b.wav"), "--preset", Path("p.plist"), "--tail", "0.2", "--quiet"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Planar a = ReadAudio("a.wav");
    ASSERT_FALSE(a.empty());
    EXPECT_EQ(a, ReadAudio("b.wav"));
    // Without the preset the output differs, so the preset did the work.
    ASSERT_EQ(Run({"render", Path("in.wav"), Path("c.wav"), "--tail", "0.2", "--quiet"}).status, 0);
    EXPECT_NE(a, ReadAudio("c.wav"));
    // --set applies after --preset.
    ASSERT_EQ(Run({"render", Path("in.wav"), Path("d.wav"), "--preset", Path("p.plist"), "--set", "Feedback=0",
                   "--tail", "0.2", "--quiet", "--save-preset", Path("q.plist")})
                  .status,
              0);
    EXPECT_NE(a, ReadAudio("d.wav"));
    EXPECT_NE(Slurp(Path("p.plist")), Slurp(Path("q.plist")));
}

TEST_F(RendererTest, TheBuiltInDemoAndOtherFormats)
{
    ASSERT_EQ(Run({"render", Path("demo.flac"), "--tempo", "120", "--tail", "0", "--quiet"}).status, 0);
    int rate = 0, format = 0;
    const Planar demo = ReadAudio("demo.flac", &rate, &format);
    ASSERT_EQ(demo.size(), 2u);
    EXPECT_EQ(rate, 48000);
    EXPECT_EQ(format, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    EXPECT_GE(demo[0].size(), 48000u * 3);
    float peak = 0;
    for (float v : demo[0]) peak = std::max(peak, std::fabs(v));
    EXPECT_GT(peak, 0.1f);
    // The demo is the same every time.
    ASSERT_EQ(Run({"render", Path("again.flac"), "--tempo", "120", "--tail", "0", "--quiet"}).status, 0);
    EXPECT_EQ(ReadAudio("again.flac"), demo);
    ASSERT_EQ(Run({"render", Path("demo.aif"), "--tail", "0", "--quiet"}).status, 0);
    ReadAudio("demo.aif", nullptr, &format);
    EXPECT_EQ(format & SF_FORMAT_TYPEMASK, SF_FORMAT_AIFF);
}

TEST_F(RendererTest, ThePlotIsAReadablePicture)
{
    WriteWav("in.wav", Noise(2, 9600));
    ASSERT_EQ(Run({"render", Path("in.wav"), Path("out.wav"), "--plot", Path("plot.png"), "--set", "Delay Time=0.05",
                   "--tail", "0.2", "--quiet"})
                  .status,
              0);
    FILE* f = std::fopen(Path("plot.png").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    ASSERT_EQ(setjmp(png_jmpbuf(png)), 0);
    png_init_io(png, f);
    png_read_png(png, info, PNG_TRANSFORM_STRIP_16 | PNG_TRANSFORM_PACKING, nullptr);
    const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    EXPECT_EQ(w, 1200u);
    EXPECT_GE(h, 2u * 150u);  // one lane per channel
    ASSERT_EQ(png_get_color_type(png, info), PNG_COLOR_TYPE_RGB);
    png_bytepp rows = png_get_rows(png, info);
    // Both lanes hold orange output pixels, and the picture has more than a handful of colours.
    std::set<uint32_t> colours;
    size_t orangeTop = 0, orangeBottom = 0;
    for (png_uint_32 y = 0; y < h; ++y)
        for (png_uint_32 x = 0; x < w; ++x) {
            const png_bytep p = rows[y] + 3 * x;
            colours.insert(uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]);
            if (p[0] > 200 && p[1] > 100 && p[1] < 200 && p[2] < 120) ++(y < h / 2 ? orangeTop : orangeBottom);
        }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    EXPECT_GT(colours.size(), 4u);
    EXPECT_GT(orangeTop, 1000u);
    EXPECT_GT(orangeBottom, 1000u);
}

TEST_F(RendererTest, ParamsListsEveryParameterAndHelpAndVersionAnswer)
{
    Result r = Run({"params"});
    ASSERT_EQ(r.status, 0);
    size_t lines = 0;
    for (char c : r.out) lines += c == '\n';
    EXPECT_EQ(lines, 22u);  // header and 21 parameters
    EXPECT_TRUE(std::regex_search(r.out, std::regex("\\n0 +Delay Time +Seconds +0 +30 +1\\n")));
    EXPECT_TRUE(std::regex_search(r.out, std::regex("\\n7 +Beat Divisor +Indexed .*1/1, 1/2, 1/4, 1/8, 1/16, 1/32")));
    r = Run({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("flummel render [INPUT] OUTPUT"), std::string::npos);
    r = Run({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(std::regex_search(r.out, std::regex("^flummel [0-9]+\\.[0-9]+")));
}
