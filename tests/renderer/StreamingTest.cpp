// Renders that stream through the renderer a block at a time: inputs of any length, and the
// waveform picture drawn the same from whatever the output file holds.
#include "RendererFixture.h"

TEST_F(RendererTest, ThePlotIsTheSameWhateverFormatTheOutputIsWrittenIn)
{
    // Float output is read back for the picture, other formats get a float copy beside them. Long
    // inputs give columns of many samples, short ones columns that share samples.
    Planar noise(2, std::vector<float>(30000));
    uint32_t s = 5;
    for (auto& c : noise)
        for (float& v : c) v = float(int32_t(s = s * 1664525u + 1013904223u)) / 4294967296.f;
    WriteWav("long.wav", noise);
    WriteWav("short.wav", Impulses(2, 700, {{3, 0.9f}, {400, -0.5f}}));
    const std::vector<std::vector<std::string>> runs = {
        {"@long.wav", "--set", "Delay Time=0.1"},          // rings out by itself
        {"@long.wav", "--tail", "0.3"},                     // a given tail
        {"@short.wav", "--tail", "0", "--block", "7"},      // fewer frames than columns
        {"@short.wav", "--set", "Delay Time=0.002"},
    };
    for (const auto& run : runs) {
        std::string plotted;
        for (const std::string ext : {"wav", "flac"}) {
            std::vector<std::string> args = {"render"};
            for (const std::string& a : run) args.push_back(a[0] == '@' ? Path(a.substr(1)) : a);
            args.insert(args.end(), {Path("out." + ext), "--plot", Path("plot.png"), "--quiet"});
            const Result r = Run(args);
            ASSERT_EQ(r.status, 0) << run[0] << " " << ext << ": " << r.err;
            const std::string plot = Slurp(Path("plot.png"));
            if (plotted.empty()) plotted = plot;
            EXPECT_EQ(plot, plotted) << run[0] << " " << run[1] << " into ." << ext;
            EXPECT_EQ(Files(), (std::vector<std::string>{"long.wav", "out." + ext, "plot.png", "short.wav"}));
            std::filesystem::remove(Path("out." + ext));
        }
    }
}

TEST_F(RendererTest, LongInputsPassThroughWholeAndInOrder)
{
    // Ramps, so every frame is told apart; blocks that do not divide the file's reads. The first
    // is an hour and a second long.
    const struct {
        size_t channels, frames;
        int rate;
        const char* block;
        const char* summary;
    } cases[] = {
        {1, 3601 * 1000, 1000, "4096", "(3601.00 s, 1000 Hz, 1 channel, peak -6.0 dBFS)"},
        {3, 100000, 44100, "999", "(2.27 s, 44100 Hz, 3 channels, peak -6.0 dBFS)"},
    };
    for (const auto& c : cases) {
        Planar ramp(c.channels, std::vector<float>(c.frames));
        for (size_t ch = 0; ch < c.channels; ++ch)
            for (size_t i = 0; i < c.frames; ++i) ramp[ch][i] = float((i + 7 * ch) % 1000) / 1000.f - 0.5f;
        WriteWav("in.wav", ramp, c.rate);
        const Result r = Run({"render", Path("in.wav"), Path("out.wav"), "--set", "Dry Level=1", "--set",
                              "effect_level=0", "--tail", "0", "--block", c.block});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find(c.summary), std::string::npos) << r.out;
        EXPECT_EQ(ReadAudio("out.wav"), ramp) << c.channels << " channels";
    }
}
