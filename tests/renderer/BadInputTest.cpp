// Bad input: one line naming the problem, exit status 2, and no output left behind.

#include <cstring>

#include "RendererFixture.h"

TEST_F(RendererTest, EveryBadInputIsRefusedWithOneLineAndNoFiles)
{
    WriteWav("in.wav", Impulses(2, 1000, {{10, 1.f}}));
    WriteWav("fast.wav", Impulses(1, 100, {{10, 1.f}}), 1000000);
    WriteWav("slow.wav", Impulses(1, 100, {{10, 1.f}}), 500);
    // A state of another effect: a saved state with its subtype changed.
    ASSERT_EQ(Run({"render", "@in.wav", "@out.wav", "--tail", "0", "--quiet", "--save-preset", "@good.plist"}).status, 0);
    const auto written = std::filesystem::last_write_time(Path("out.wav"));
    const std::string good = Slurp(Path("good.plist"));
    const size_t subtype = good.find("<integer>", good.find("<key>subtype</key>"));
    ASSERT_NE(subtype, std::string::npos) << good;
    const size_t from = subtype + std::strlen("<integer>"), to = good.find("</integer>", from);
    const std::string foreign =
        good.substr(0, from) + std::to_string(std::stoll(good.substr(from, to - from)) + 1) + good.substr(to);
    // LV2 states as hosts write them, wrong in turn.
    const std::string ttl = "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                            "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                            "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                            "<> a pset:Preset ; lv2:appliesTo ";
    const std::pair<const char*, std::string> files[] = {
        {"text.wav", "this is not audio\n"},
        {"garbage.plist", "<plist><dict><key>x</key>"},
        {"array.plist", "<plist version=\"1.0\"><array><integer>1</integer></array></plist>"},
        {"foreign.plist", foreign},
        {"broken.ttl", ttl + "<urn:flummel:lv2:stereo> ; lv2:port [ lv2:symbol"},
        {"other.ttl", ttl + "<urn:other:plugin> ; lv2:port [ lv2:symbol \"feedback\" ; pset:value 5.0 ] .\n"},
        {"empty.ttl", ttl + "<urn:flummel:lv2:stereo> .\n"},
        {"notxml.ttl", ttl + "<urn:flummel:lv2:stereo> ; state:state [ <urn:flummel:lv2:class-info> \"hello\" ] .\n"},
    };
    for (const auto& [name, text] : files) std::ofstream(Path(name)) << text;
    const std::vector<std::string> before = Files();

    const struct {
        std::vector<std::string> args;  // options alone follow `render @in.wav @out.wav`
        std::string says;
    } cases[] = {
        {{"render", "@missing.wav", "@out.wav"}, "cannot read"}, {{"render", "@text.wav", "@out.wav"}, "cannot read"},
        {{"render", "@fast.wav", "@out.wav"}, "sample rate 1000000 Hz is above 768000 Hz"},
        {{"render", "@slow.wav", "@out.wav"}, "sample rate 500 Hz is below 1000 Hz"},
        {{"render", "@in.wav", "@out.xyz"}, "unknown file extension"},
        {{"render", "@in.wav", "@out"}, "unknown file extension"},
        {{"render", "@in.wav", "@no-such-dir/out.wav"}, "cannot write"}, {{"--set", "Wobble=1"}, "unknown parameter"},
        {{"--set", "99=1"}, "unknown parameter"}, {{"--set", "Feedback=lots"}, "not a number"},
        {{"--set", "Feedback=101"}, "outside 0 to 100"}, {{"--set", "Beat Divisor=1/64"}, "not a number"},
        {{"--set", "Feedback"}, "NAME=VALUE"}, {{"--tempo", "0"}, "above 0"}, {{"--tempo", "-120"}, "above 0"},
        {{"--tempo", "fast"}, "not a number"}, {{"--block", "0"}, "frames per call"},
        {{"--block", "4097"}, "frames per call"}, {{"--block", "2.5"}, "frames per call"}, {{"--tail", "-1"}, "--tail"},
        {{"--preset", "@missing.plist"}, "cannot read preset"}, {{"--preset", "@garbage.plist"}, "cannot read preset"},
        {{"--preset", "@array.plist"}, "not a state of this effect"},
        {{"--preset", "@foreign.plist"}, "not a state of this effect"},
        {{"--preset", "no-such-preset"}, "unknown preset 'no-such-preset'"},
        {{"--preset", "@missing.ttl"}, "cannot read preset"}, {{"--preset", "@broken.ttl"}, "cannot read preset"},
        {{"--preset", "@other.ttl"}, "not a state of this effect"}, {{"--preset", "@empty.ttl"}, "holds no settings"},
        {{"--preset", "@notxml.ttl"}, "not a property list"},
        {{"--save-preset", "@no-such-dir/p.plist"}, "cannot write"}, {{"--plot", "@no-such-dir/p.png"}, "cannot write"},
        {{"--frobnicate"}, "unknown option"}, {{"--tempo"}, "needs a value"}, {{"render"}, "OUTPUT"},
        {{"mix", "a.wav"}, "unknown command 'mix'"}, {{"params", "x"}, "no arguments"}, {{"presets", "x"}, "no arguments"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        if (!args.empty() && args[0].starts_with("--")) args.insert(args.begin(), {"render", "@in.wav", "@out.wav"});
        std::string shown;
        for (const std::string& a : args) shown += " " + a;
        const Result r = Run(args);
        EXPECT_EQ(r.status, 2) << shown << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << shown << ": " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << shown << ": " << r.err;
        EXPECT_EQ(r.err.rfind("flummel: ", 0), 0u) << shown;
        EXPECT_EQ(Files(), before) << shown;
        EXPECT_EQ(std::filesystem::last_write_time(Path("out.wav")), written) << shown;  // an earlier output left alone
    }
    const Result bare = Run({});
    EXPECT_EQ(bare.status, 2);
    EXPECT_NE(bare.err.find("usage:"), std::string::npos) << bare.err;
}
