// The real host lv2apply (one frame per run call) against the command-line renderer at block
// size 1: the same file and control values give the same output, sample for sample.
#include "lv2/Lv2Harness.h"
#include "renderer/RendererFixture.h"

namespace {

// Port symbols, which the renderer also takes as parameter names.
const std::vector<std::pair<std::string, std::string>> kControls = {
    {"delay_time", "0.0625"},     {"feedback", "62.5"},          {"dry_level", "0.75"},
    {"effect_level", "0.875"},    {"filter_type", "1.5"},        {"filter_cutoff", "2000"},
    {"filter_q", "0.375"},        {"filter_lfo_speed", "4"},     {"filter_lfo_amount", "1.25"},
    {"saturation_amount", "3.5"}, {"saturation_shape", "0.25"},
};

using Lv2ApplyTest = RendererTest;

TEST_F(Lv2ApplyTest, StereoAndMonoMatchTheRendererSampleForSample)
{
    const struct {
        const char* uri;
        int rate;
        Signal source;
    } cases[] = {{kStereoUri, 44100, TestSignal(2, 30000, 5)}, {kMonoUri, 48000, TestSignal(1, 24000, 9)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.uri);
        WriteWav("in.wav", c.source, c.rate);
        std::vector<std::string> host = {LV2APPLY, "-i", Path("in.wav"), "-o", Path("host.wav")};
        std::vector<std::string> renderer = {"render", Path("in.wav"), Path("cli.wav"), "--block", "1", "--tail", "0",
                                             "--quiet"};
        for (const auto& [symbol, value] : kControls) {
            host.insert(host.end(), {"-c", symbol, value});
            renderer.insert(renderer.end(), {"--set", symbol + "=" + value});
        }
        host.push_back(c.uri);
        const SubprocessResult h = RunSubprocess(host, ForeignHostEnvironment());
        ASSERT_EQ(h.status, 0) << h.err;
        const Result r = Run(renderer);
        ASSERT_EQ(r.status, 0) << r.err;
        int hostRate = 0, rendererRate = 0;
        const Signal fromHost = ReadAudio("host.wav", &hostRate), fromRenderer = ReadAudio("cli.wav", &rendererRate);
        EXPECT_EQ(hostRate, c.rate);
        EXPECT_EQ(rendererRate, c.rate);
        ASSERT_EQ(fromHost.size(), c.source.size());
        ASSERT_EQ(fromHost[0].size(), c.source[0].size());
        EXPECT_EQ(MaxAbsDifference(fromHost, fromRenderer), 0.f);
        EXPECT_GT(MaxAbsDifference(fromHost, c.source), 0.05f);  // the effect is at work
    }
}

}  // namespace
