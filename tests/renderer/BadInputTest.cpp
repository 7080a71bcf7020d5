// Bad input: one line naming the problem, exit status 2, and no output left behind.
#include <regex>

#include "RendererFixture.h"

TEST_F(RendererTest, EveryBadInputIsRefusedWithOneLineAndNoFiles)
{
    WriteWav("in.wav", Impulses(2, 1000, {{10, 1.f}}));
    WriteWav("fast.wav", Impulses(1, 100, {{10, 1.f}}), 1000000);
    WriteWav("slow.wav", Impulses(1, 100, {{10, 1.f}}), 500);
    // A state of another effect: a saved state with its subtype changed.
    ASSERT_EQ(Run({"render", "@in.wav", "@tmp.wav", "--tail", "0", "--quiet", "--save-preset", "@good.plist"}).status, 0);
    std::filesystem::remove(Path("tmp.wav"));
    const std::string good = Slurp(Path("good.plist"));
    std::smatch m;
    ASSERT_TRUE(std::regex_search(good, m, std::regex("<key>subtype</key>\\s*<integer>([0-9]+)</integer>")));
    // LV2 states as hosts write them, wrong in turn.
    const std::string ttl = "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                            "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                            "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                            "<> a pset:Preset ; lv2:appliesTo ";
    const std::pair<const char*, std::string> files[] = {
        {"text.wav", "this is not audio\n"},
        {"garbage.plist", "<plist><dict><key>x</key>"},
        {"array.plist", "<plist version=\"1.0\"><array><integer>1</integer></array></plist>"},
        {"foreign.plist", std::string(m.prefix()) + "<key>subtype</key><integer>" + std::to_string(std::stoll(m[1]) + 1) +
                              "</integer>" + std::string(m.suffix())},
        {"broken.ttl", ttl + "<urn:flummel:lv2:stereo> ; lv2:port [ lv2:symbol"},
        {"other.ttl", ttl + "<urn:other:plugin> ; lv2:port [ lv2:symbol \"feedback\" ; pset:value 5.0 ] .\n"},
        {"empty.ttl", ttl + "<urn:flummel:lv2:stereo> .\n"},
        {"notxml.ttl", ttl + "<urn:flummel:lv2:stereo> ; state:state [ <urn:flummel:lv2:class-info> \"hello\" ] .\n"},
    };
    for (const auto& [name, text] : files) std::ofstream(Path(name)) << text;
    const std::vector<std::string> before = Files();

    const struct {
        std::vector<std::string> args;  // options alone follow @in.wav @out.wav
        std::string says;
    } cases[] = {
        {{"@missing.wav", "@out.wav"}, "cannot read"}, {{"@text.wav", "@out.wav"}, "cannot read"},
        {{"@fast.wav", "@out.wav"}, "sample rate 1000000 Hz is above 768000 Hz"},
        {{"@slow.wav", "@out.wav"}, "sample rate 500 Hz is below 1000 Hz"},
        {{"@in.wav", "@out.xyz"}, "unknown file extension"}, {{"@in.wav", "@out"}, "unknown file extension"},
        {{"@in.wav", "@no-such-dir/out.wav"}, "cannot write"}, {{"--set", "Wobble=1"}, "unknown parameter"},
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
        {{"--frobnicate"}, "unknown option"}, {{"--tempo"}, "needs a value"}, {{}, "OUTPUT"},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const std::string& a : c.args) shown += " " + a;
        std::vector<std::string> args = {"render"};
        if (!c.args.empty() && c.args[0].starts_with("--")) args.insert(args.end(), {"@in.wav", "@out.wav"});
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Result r = Run(args);
        EXPECT_EQ(r.status, 2) << shown << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << shown << ": " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << shown << ": " << r.err;
        EXPECT_EQ(r.err.rfind("flummel: ", 0), 0u) << shown;
        EXPECT_EQ(Files(), before) << shown;
    }
    // A failed run leaves an earlier output alone.
    ASSERT_EQ(Run({"render", "@in.wav", "@out.wav", "--tail", "0", "--quiet"}).status, 0);
    const std::string first = Slurp(Path("out.wav"));
    EXPECT_EQ(Run({"render", "@in.wav", "@out.wav", "--set", "Feedback=500"}).status, 2);
    EXPECT_EQ(Slurp(Path("out.wav")), first);
}

TEST_F(RendererTest, BadCommandsAreRefused)
{
    for (const std::vector<std::string>& args : {std::vector<std::string>{}, {"mix", "a.wav"}, {"params", "x"}, {"presets", "x"}})
        EXPECT_EQ(Run(args).status, 2) << (args.empty() ? "" : args[0]);
    EXPECT_NE(Run({"mix", "a.wav"}).err.find("unknown command 'mix'"), std::string::npos);
}
