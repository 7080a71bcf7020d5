// Bad input: one line naming the problem, exit status 2, and no output left behind.
#include <regex>

#include "RendererFixture.h"

namespace {

struct BadCase {
    std::vector<std::string> args;  // "@name" is a file in the scratch directory
    std::string says;
};

}  // namespace

TEST_F(RendererTest, EveryBadInputIsRefusedWithOneLineAndNoFiles)
{
    WriteWav("in.wav", Impulses(2, 1000, {{10, 1.f}}));
    WriteWav("fast.wav", Impulses(1, 100, {{10, 1.f}}), 1000000);
    WriteWav("slow.wav", Impulses(1, 100, {{10, 1.f}}), 500);
    { std::ofstream(Path("text.wav")) << "this is not audio\n"; }
    { std::ofstream(Path("garbage.plist")) << "<plist><dict><key>x</key>"; }
    { std::ofstream(Path("array.plist")) << "<plist version=\"1.0\"><array><integer>1</integer></array></plist>"; }
    // A state of another effect: a saved state with its subtype changed.
    ASSERT_EQ(Run({"render", Path("in.wav"), Path("tmp.wav"), "--tail", "0", "--quiet", "--save-preset",
                   Path("good.plist")})
                  .status,
              0);
    std::filesystem::remove(Path("tmp.wav"));
    const std::string good = Slurp(Path("good.plist"));
    std::smatch m;
    ASSERT_TRUE(std::regex_search(good, m, std::regex("<key>subtype</key>\\s*<integer>([0-9]+)</integer>")));
    const std::string foreign = std::string(m.prefix()) + "<key>subtype</key><integer>" +
                                std::to_string(std::stoll(m[1]) + 1) + "</integer>" + std::string(m.suffix());
    { std::ofstream(Path("foreign.plist")) << foreign; }
    // LV2 states as hosts write them, wrong in turn.
    const std::string ttl = "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                            "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                            "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                            "<> a pset:Preset ; lv2:appliesTo ";
    { std::ofstream(Path("broken.ttl")) << ttl << "<urn:flummel:lv2:stereo> ; lv2:port [ lv2:symbol"; }
    { std::ofstream(Path("other.ttl")) << ttl << "<urn:other:plugin> ; lv2:port [ lv2:symbol \"feedback\" ; pset:value 5.0 ] .\n"; }
    { std::ofstream(Path("empty.ttl")) << ttl << "<urn:flummel:lv2:stereo> .\n"; }
    { std::ofstream(Path("notxml.ttl")) << ttl << "<urn:flummel:lv2:stereo> ; state:state [ <urn:flummel:lv2:class-info> \"hello\" ] .\n"; }
    const std::vector<std::string> before = Files();

    const BadCase cases[] = {
        {{"@missing.wav", "@out.wav"}, "cannot read"},
        {{"@text.wav", "@out.wav"}, "cannot read"},
        {{"@fast.wav", "@out.wav"}, "sample rate 1000000 Hz is above 768000 Hz"},
        {{"@slow.wav", "@out.wav"}, "sample rate 500 Hz is below 1000 Hz"},
        {{"@in.wav", "@out.xyz"}, "unknown file extension"},
        {{"@in.wav", "@out"}, "unknown file extension"},
        {{"@in.wav", "@no-such-dir/out.wav"}, "cannot write"},
        {{"@in.wav", "@out.wav", "--set", "Wobble=1"}, "unknown parameter"},
        {{"@in.wav", "@out.wav", "--set", "99=1"}, "unknown parameter"},
        {{"@in.wav", "@out.wav", "--set", "Feedback=lots"}, "not a number"},
        {{"@in.wav", "@out.wav", "--set", "Feedback=101"}, "outside 0 to 100"},
        {{"@in.wav", "@out.wav", "--set", "Beat Divisor=1/64"}, "not a number"},
        {{"@in.wav", "@out.wav", "--set", "Feedback"}, "NAME=VALUE"},
        {{"@in.wav", "@out.wav", "--tempo", "0"}, "above 0"},
        {{"@in.wav", "@out.wav", "--tempo", "-120"}, "above 0"},
        {{"@in.wav", "@out.wav", "--tempo", "fast"}, "not a number"},
        {{"@in.wav", "@out.wav", "--block", "0"}, "frames per call"},
        {{"@in.wav", "@out.wav", "--block", "4097"}, "frames per call"},
        {{"@in.wav", "@out.wav", "--block", "2.5"}, "frames per call"},
        {{"@in.wav", "@out.wav", "--tail", "-1"}, "--tail"},
        {{"@in.wav", "@out.wav", "--preset", "@missing.plist"}, "cannot read preset"},
        {{"@in.wav", "@out.wav", "--preset", "@garbage.plist"}, "cannot read preset"},
        {{"@in.wav", "@out.wav", "--preset", "@array.plist"}, "not a state of this effect"},
        {{"@in.wav", "@out.wav", "--preset", "@foreign.plist"}, "not a state of this effect"},
        {{"@in.wav", "@out.wav", "--preset", "no-such-preset"}, "unknown preset 'no-such-preset'"},
        {{"@in.wav", "@out.wav", "--preset", "@missing.ttl"}, "cannot read preset"},
        {{"@in.wav", "@out.wav", "--preset", "@broken.ttl"}, "cannot read preset"},
        {{"@in.wav", "@out.wav", "--preset", "@other.ttl"}, "not a state of this effect"},
        {{"@in.wav", "@out.wav", "--preset", "@empty.ttl"}, "holds no settings"},
        {{"@in.wav", "@out.wav", "--preset", "@notxml.ttl"}, "not a property list"},
        {{"@in.wav", "@out.wav", "--save-preset", "@no-such-dir/p.plist"}, "cannot write"},
        {{"@in.wav", "@out.wav", "--plot", "@no-such-dir/p.png"}, "cannot write"},
        {{"@in.wav", "@out.wav", "--frobnicate"}, "unknown option"},
        {{"@in.wav", "@out.wav", "--tempo"}, "needs a value"},
        {{}, "OUTPUT"},
    };
    for (const BadCase& c : cases) {
        std::vector<std::string> args = {"render"};
        std::string shown;
        for (const std::string& a : c.args) {
            args.push_back(a[0] == '@' ? Path(a.substr(1)) : a);
            shown += " " + a;
        }
        const Result r = Run(args);
        EXPECT_EQ(r.status, 2) << shown << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << shown << ": " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << shown << ": " << r.err;
        EXPECT_EQ(r.err.rfind("flummel: ", 0), 0u) << shown;
        EXPECT_EQ(Files(), before) << shown;
    }
}

TEST_F(RendererTest, BadCommandsAreRefused)
{
    EXPECT_EQ(Run({}).status, 2);
    const Result r = Run({"mix", "a.wav"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("unknown command 'mix'"), std::string::npos);
    EXPECT_EQ(Run({"params", "extra"}).status, 2);
    EXPECT_EQ(Run({"presets", "extra"}).status, 2);
}

TEST_F(RendererTest, AFailedRunLeavesAnEarlierOutputAlone)
{
    WriteWav("in.wav", Impulses(1, 500, {{10, 1.f}}));
    ASSERT_EQ(Run({"render", Path("in.wav"), Path("out.wav"), "--tail", "0", "--quiet"}).status, 0);
    const std::string first = Slurp(Path("out.wav"));
    EXPECT_EQ(Run({"render", Path("in.wav"), Path("out.wav"), "--set", "Feedback=500"}).status, 2);
    EXPECT_EQ(Slurp(Path("out.wav")), first);
}
