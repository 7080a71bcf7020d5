// Renders that stream through the renderer a block at a time: inputs of any length and channel
// count, and the waveform picture drawn the same from whatever the output file holds.
#include <png.h>

#include "RendererFixture.h"

// Float output is read back for the picture, other formats get a float copy beside them. Long
// inputs give columns of many samples, short ones columns that share samples. The picture has one
// lane per channel, both holding orange output pixels.
TEST_F(RendererTest, ThePlotIsAReadablePictureWhateverFormatTheOutputIsWrittenIn)
{
    WriteWav("long.wav", Noise(2, 30000, 5));
    WriteWav("short.wav", Impulses(2, 700, {{3, 0.9f}, {400, -0.5f}}));
    const std::vector<std::vector<std::string>> runs = {
        {"@short.wav", "--tail", "0", "--block", "7"},  // fewer frames than columns
        {"@long.wav", "--set", "Delay Time=0.05", "--tail", "0.3"},  // its picture is read below
    };
    for (const auto& run : runs) {
        std::string plotted;
        for (const std::string ext : {"wav", "flac"}) {
            std::vector<std::string> args = {"render"};
            args.insert(args.end(), run.begin(), run.end());
            args.insert(args.end(), {"@out." + ext, "--plot", "@plot.png", "--quiet"});
            const Result r = Run(args);
            ASSERT_EQ(r.status, 0) << run[0] << " " << ext << ": " << r.err;
            if (plotted.empty()) plotted = Slurp(Path("plot.png"));
            EXPECT_EQ(Slurp(Path("plot.png")), plotted) << run[0] << " " << run[1] << " into ." << ext;
            EXPECT_EQ(Files(), (std::vector<std::string>{"long.wav", "out." + ext, "plot.png", "short.wav"}));
            std::filesystem::remove(Path("out." + ext));
        }
    }

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, Path("plot.png").c_str()));
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    const png_uint_32 w = image.width, h = image.height;
    EXPECT_EQ(w, 1200u);
    EXPECT_GE(h, 2u * 150u);
    size_t orange[2] = {};
    for (size_t i = 0; i < rgb.size(); i += 3) {
        const png_byte* p = &rgb[i];
        if (p[0] > 200 && p[1] > 100 && p[1] < 200 && p[2] < 120) ++orange[i / 3 / w >= h / 2];
    }
    EXPECT_GT(orange[0], 1000u);
    EXPECT_GT(orange[1], 1000u);
}

// Dry only, ramps that tell every frame apart, in blocks that do not divide the file's reads: the
// input exactly, at its rate, as float WAV. The first is an hour and a second long.
TEST_F(RendererTest, DryOnlyPassesLongInputsThroughWholeAndInOrder)
{
    const struct {
        size_t channels, frames;
        int rate;
        const char *block, *summary;
    } cases[] = {
        {1, 3601 * 1000, 1000, "4096", "(3601.00 s, 1000 Hz, 1 channel, peak -6.0 dBFS)"},
        {3, 100000, 44100, "999", "(2.27 s, 44100 Hz, 3 channels, peak -6.0 dBFS)"},
    };
    for (const auto& c : cases) {
        Planar ramp(c.channels, std::vector<float>(c.frames));
        for (size_t ch = 0; ch < c.channels; ++ch)
            for (size_t i = 0; i < c.frames; ++i) ramp[ch][i] = float((i + 7 * ch) % 1000) / 1000.f - 0.5f;
        WriteWav("in.wav", ramp, c.rate);
        const Result r = Run({"render", "@in.wav", "@out.wav", "--set", "Dry Level=1", "--set", "effect_level=0",
                              "--tail", "0", "--block", c.block});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find(c.summary), std::string::npos) << r.out;
        int rate = 0, format = 0;
        EXPECT_EQ(ReadAudio("out.wav", &rate, &format), ramp) << c.channels << " channels";
        EXPECT_EQ(rate, c.rate);
        EXPECT_EQ(format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    }
}
