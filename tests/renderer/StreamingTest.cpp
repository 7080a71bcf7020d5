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

TEST_F(RendererTest, AnInputLongerThanAnHourRendersWhole)
{
    // An hour and a second at 1 kHz, mono: a ramp, so every frame is told apart.
    constexpr size_t kFrames = 3601 * 1000;
    Planar ramp(1, std::vector<float>(kFrames));
    for (size_t i = 0; i < kFrames; ++i) ramp[0][i] = float(i % 1000) / 1000.f - 0.5f;
    WriteWav("in.wav", ramp, 1000);
    const Result r = Run({"render", Path("in.wav"), Path("out.wav"), "--set", "Dry Level=1", "--set",
                          "effect_level=0", "--tail", "0", "--block", "4096"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("(3601.00 s, 1000 Hz, 1 channel, peak -6.0 dBFS)"), std::string::npos) << r.out;
    EXPECT_EQ(ReadAudio("out.wav"), ramp);
}
