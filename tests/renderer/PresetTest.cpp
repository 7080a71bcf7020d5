// Presets beyond the renderer's own files: the factory set by name or label, and the LV2 states
// and presets hosts write, read through lilv (class-info property, port values, or both).

#include "RendererFixture.h"

namespace {

// `s` with '"' and '\\' escaped, for a long Turtle string.
std::string Escaped(const std::string& s)
{
    std::string out;
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}

// Turtle as hosts write an LV2 state (`<>` is the file): a class-info literal and port values.
std::string StateTtl(const std::string& plugin, const std::string& classInfo,
                     const std::vector<std::pair<std::string, std::string>>& ports)
{
    std::string ttl = "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                      "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                      "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                      "<> a pset:Preset ;\n lv2:appliesTo <urn:flummel:lv2:" + plugin + ">";
    for (const auto& [symbol, value] : ports)
        ttl += " ;\n lv2:port [ lv2:symbol \"" + symbol + "\" ; pset:value " + value + " ]";
    if (!classInfo.empty())
        ttl += " ;\n state:state [ <urn:flummel:lv2:class-info> \"\"\"" +
               Escaped(classInfo) + "\"\"\" ]";
    return ttl + " .\n";
}

class PresetTest : public RendererTest {
protected:
    void SetUp() override
    {
        RendererTest::SetUp();
        WriteWav("in.wav", Noise(2, 6000, 3));
    }
    // The output of a render with these options, or empty on failure.
    Planar Render(std::vector<std::string> options, const std::string& tail = "0")
    {
        std::vector<std::string> args = {"render", "@in.wav", "@out.wav", "--tail", tail, "--quiet"};
        args.insert(args.end(), options.begin(), options.end());
        const Result r = Run(args);
        EXPECT_EQ(r.status, 0) << r.err;
        return r.status == 0 ? ReadAudio("out.wav") : Planar{};
    }
};

}  // namespace

TEST_F(PresetTest, PresetsListsEveryFactoryPresetAndEachRendersAsItsFile)
{
    const Result r = Run({"presets"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::pair<std::string, std::string>> listed;  // name, label
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {  // a name, spaces, a label
        const size_t gap = line.find(' '), label = line.find_first_not_of(' ', gap);
        if (gap > 0 && label != std::string::npos) listed.emplace_back(line.substr(0, gap), line.substr(label));
    }
    ASSERT_GE(listed.size(), 8u) << r.out;
    // A tail long enough for the longest preset loop to come back at this tempo.
    const Planar plain = Render({"--tempo", "240"}, "2");
    std::set<Planar> distinct;
    for (const auto& [name, label] : listed) {
        SCOPED_TRACE(name);
        const std::string file = std::string(FLUMMEL_PRESETS_DIR) + "/" + name + ".plist";
        EXPECT_NE(Slurp(file).find("<string>" + label + "</string>"), std::string::npos);
        const Planar byFile = Render({"--tempo", "240", "--preset", file}, "2");
        ASSERT_FALSE(byFile.empty());
        EXPECT_EQ(Render({"--tempo", "240", "--preset", name}, "2"), byFile);
        EXPECT_NE(byFile, plain);
        distinct.insert(byFile);
    }
    EXPECT_EQ(distinct.size(), listed.size());
    // By label as well, case and spacing aside.
    EXPECT_EQ(Render({"--preset", "tape LOOP"}), Render({"--preset", "tape-loop"}));
}

TEST_F(PresetTest, HostStatesRestoreTheirClassInfoAndPortValues)
{
    // The renderer's own saved state reproduces the output of the settings it was saved with.
    const Planar direct = Render({"--set", "Feedback=12", "--set", "Filter Type=2.5", "--set", "Delay Time=0.03",
                                  "--save-preset", "@state.plist"});
    const std::string classInfo = Slurp(Path("state.plist"));
    const Planar fromPlist = Render({"--preset", "@state.plist"});
    EXPECT_EQ(fromPlist, direct);
    ASSERT_NE(fromPlist, Render({}));
    // A session's plug-in state: the dictionary alone, in a directory of its own.
    std::filesystem::create_directory(Path("state1"));
    std::ofstream(Path("state1/state.ttl")) << StateTtl("stereo", classInfo, {});
    EXPECT_EQ(Render({"--preset", "@state1/state.ttl"}), fromPlist);
    EXPECT_EQ(Render({"--preset", "@state1"}), fromPlist);
    // Port values only, from a host that saves no properties; the bypass port and other symbols
    // that are no parameter are passed over.
    std::ofstream(Path("ports.ttl")) << StateTtl("mono", "", {{"delay_time", "0.02"}, {"feedback", "33.0"},
                                                              {"filter_type", "1"}, {"filter_cutoff", "2500"},
                                                              {"enabled", "0.0"}, {"wobble", "1.0"}});
    const Planar fromPorts = Render({"--preset", "@ports.ttl"});
    EXPECT_EQ(fromPorts, Render({"--set", "Delay Time=0.02", "--set", "Feedback=33", "--set", "Filter Type=1", "--set",
                                 "Filter Cutoff=2500"}));
    EXPECT_NE(fromPorts, Render({}));
    // Both: the port values apply after the dictionary, as LV2 hosts restore them.
    std::ofstream(Path("both.ttl")) << StateTtl("stereo", classInfo, {{"feedback", "80.0"}});
    const Planar fromBoth = Render({"--preset", "@both.ttl"});
    EXPECT_EQ(fromBoth, Render({"--preset", "@state.plist", "--set", "Feedback=80"}));
    EXPECT_NE(fromBoth, fromPlist);
}
