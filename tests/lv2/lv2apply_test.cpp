// The real host lv2apply (one frame per run call) against the command-line renderer at block
// size 1: the same file and control values give the same output, sample for sample.
#include <gtest/gtest.h>

#include <sndfile.h>
#include <unistd.h>

#include "lv2/Lv2Harness.h"
#include "lv2/Subprocess.h"

namespace {

struct Audio {
    int rate = 0;
    Signal planar;
};

bool WriteFloatWav(const std::string& path, const Audio& audio)
{
    SF_INFO info{};
    info.samplerate = audio.rate;
    info.channels = int(audio.planar.size());
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) return false;
    const size_t frames = audio.planar[0].size();
    std::vector<float> interleaved(frames * audio.planar.size());
    for (size_t i = 0; i < frames; ++i)
        for (size_t c = 0; c < audio.planar.size(); ++c) interleaved[i * audio.planar.size() + c] = audio.planar[c][i];
    const bool ok = sf_writef_float(f, interleaved.data(), sf_count_t(frames)) == sf_count_t(frames);
    return sf_close(f) == 0 && ok;
}

bool ReadAudio(const std::string& path, Audio& audio)
{
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f) return false;
    std::vector<float> interleaved(size_t(info.frames) * size_t(info.channels));
    const bool ok = sf_readf_float(f, interleaved.data(), info.frames) == info.frames;
    sf_close(f);
    audio.rate = info.samplerate;
    audio.planar.assign(size_t(info.channels), std::vector<float>(size_t(info.frames)));
    for (size_t i = 0; i < size_t(info.frames); ++i)
        for (size_t c = 0; c < size_t(info.channels); ++c) audio.planar[c][i] = interleaved[i * size_t(info.channels) + c];
    return ok;
}

class Lv2ApplyTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (const std::string& p : {input, fromHost, fromRenderer}) std::remove(p.c_str());
    }

    // Runs both on `source` with the controls (port symbols, which the renderer also takes
    // as parameter names) and expects identical files.
    void ExpectSameOutput(const char* uri, const Audio& source,
                          const std::vector<std::pair<std::string, std::string>>& controls)
    {
        ASSERT_TRUE(WriteFloatWav(input, source));
        std::vector<std::string> host = {LV2APPLY, "-i", input, "-o", fromHost};
        std::vector<std::string> renderer = {FLUMMEL_CLI, "render", input, fromRenderer, "--block", "1",
                                             "--tail", "0", "--quiet"};
        for (const auto& [symbol, value] : controls) {
            host.insert(host.end(), {"-c", symbol, value});
            renderer.insert(renderer.end(), {"--set", symbol + "=" + value});
        }
        host.push_back(uri);
        const SubprocessResult h = RunSubprocess(host, ForeignHostEnvironment());
        ASSERT_EQ(h.status, 0) << h.err;
        const SubprocessResult r = RunSubprocess(renderer);
        ASSERT_EQ(r.status, 0) << r.err;

        Audio a, b;
        ASSERT_TRUE(ReadAudio(fromHost, a));
        ASSERT_TRUE(ReadAudio(fromRenderer, b));
        EXPECT_EQ(a.rate, source.rate);
        EXPECT_EQ(b.rate, source.rate);
        ASSERT_EQ(a.planar.size(), source.planar.size());
        ASSERT_EQ(a.planar[0].size(), source.planar[0].size());
        EXPECT_EQ(MaxAbsDifference(a.planar, b.planar), 0.f);
        EXPECT_GT(MaxAbsDifference(a.planar, source.planar), 0.05f);  // the effect is at work
    }

    const std::string base = "/tmp/flummel-lv2apply-" + std::to_string(getpid());
    const std::string input = base + "-in.wav", fromHost = base + "-host.wav", fromRenderer = base + "-cli.wav";
};

const std::vector<std::pair<std::string, std::string>> kControls = {
    {"delay_time", "0.0625"},     {"feedback", "62.5"},          {"dry_level", "0.75"},
    {"effect_level", "0.875"},    {"filter_type", "1.5"},        {"filter_cutoff", "2000"},
    {"filter_q", "0.375"},        {"filter_lfo_speed", "4"},     {"filter_lfo_amount", "1.25"},
    {"saturation_amount", "3.5"}, {"saturation_shape", "0.25"},
};

TEST_F(Lv2ApplyTest, StereoMatchesTheRendererSampleForSample)
{
    ExpectSameOutput(kStereoUri, {44100, TestSignal(2, 30000, 5)}, kControls);
}

TEST_F(Lv2ApplyTest, MonoAtAnotherRateMatchesTheRenderer)
{
    ExpectSameOutput(kMonoUri, {48000, TestSignal(1, 24000, 9)}, kControls);
}

}  // namespace
