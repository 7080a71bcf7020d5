// Presets beyond the renderer's own files: the factory set by name or label, and the LV2 states
// and presets hosts write, read through lilv (class-info property, port values, or both).
#include <cmath>
#include <regex>

#include "RendererFixture.h"

namespace {

// Turtle as hosts write an LV2 state (`<>` is the file): a class-info literal and port values.
std::string StateTtl(const std::string& plugin, const std::string& classInfo,
                     const std::vector<std::pair<std::string, std::string>>& ports)
{
    std::string ttl =
        "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
        "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
        "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
        "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
        "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
        "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
        "@prefix xsd: <http://www.w3.org/2001/XMLSchema#> .\n\n"
        "<>\n\ta pset:Preset ;\n\tlv2:appliesTo <" + plugin + ">";
    for (size_t i = 0; i < ports.size(); ++i)
        ttl += std::string(i ? " , [\n" : " ;\n\tlv2:port [\n") + "\t\tlv2:symbol \"" + ports[i].first +
               "\" ;\n\t\tpset:value " + ports[i].second + "\n\t]";
    if (!classInfo.empty()) {
        std::string escaped;
        for (char c : classInfo) escaped += c == '\\' ? "\\\\" : c == '"' ? "\\\"" : std::string(1, c);
        ttl += " ;\n\tstate:state [\n\t\t<urn:flummel:lv2:class-info> \"\"\"" + escaped + "\"\"\"\n\t]";
    }
    return ttl + " .\n";
}

class PresetTest : public RendererTest {
protected:
    void SetUp() override
    {
        RendererTest::SetUp();
        Planar in(2, std::vector<float>(6000));
        for (size_t i = 0; i < in[0].size(); ++i) {
            in[0][i] = float(0.4 * std::sin(double(i) * 0.031)) * (i % 1500 < 200 ? 1.f : 0.2f);
            in[1][i] = float(0.4 * std::sin(double(i) * 0.047));
        }
        WriteWav("in.wav", in);
    }
    // The output of a render with these options, or empty on failure.
    Planar Render(std::vector<std::string> options, const std::string& tail = "0")
    {
        std::vector<std::string> args = {"render", Path("in.wav"), Path("out.wav"), "--tail", tail, "--quiet"};
        args.insert(args.end(), options.begin(), options.end());
        const Result r = Run(args);
        EXPECT_EQ(r.status, 0) << r.err;
        return r.status == 0 ? ReadAudio("out.wav") : Planar{};
    }
    void Write(const std::string& name, const std::string& text) { std::ofstream(Path(name)) << text; }
};

}  // namespace

TEST_F(PresetTest, PresetsListsEveryFactoryPresetAndEachRendersAsItsFile)
{
    const Result r = Run({"presets"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::pair<std::string, std::string>> listed;  // name, label
    std::istringstream lines(r.out);
    std::smatch m;
    for (std::string line; std::getline(lines, line);)
        if (std::regex_match(line, m, std::regex("(\\S+)\\s+(.+)"))) listed.emplace_back(m[1], m[2]);
    ASSERT_GE(listed.size(), 8u) << r.out;
    // A tail long enough for the longest preset loop to come back at this tempo.
    auto render = [&](const std::string& preset) {
        std::vector<std::string> options = {"--tempo", "240"};
        if (!preset.empty()) options.insert(options.end(), {"--preset", preset});
        return Render(options, "2");
    };
    const Planar plain = render("");
    std::set<Planar> distinct;
    for (const auto& [name, label] : listed) {
        SCOPED_TRACE(name);
        const std::string file = std::string(FLUMMEL_PRESETS_DIR) + "/" + name + ".plist";
        ASSERT_TRUE(std::filesystem::is_regular_file(file));
        EXPECT_NE(Slurp(file).find("<string>" + label + "</string>"), std::string::npos);
        const Planar byFile = render(file);
        ASSERT_FALSE(byFile.empty());
        EXPECT_EQ(render(name), byFile);
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
                                  "--save-preset", Path("state.plist")});
    const std::string classInfo = Slurp(Path("state.plist"));
    const Planar fromPlist = Render({"--preset", Path("state.plist")});
    EXPECT_EQ(fromPlist, direct);
    ASSERT_NE(fromPlist, Render({}));

    // A session's plug-in state: the dictionary alone, in a directory of its own.
    std::filesystem::create_directory(Path("state1"));
    Write("state1/state.ttl", StateTtl("urn:flummel:lv2:stereo", classInfo, {}));
    EXPECT_EQ(Render({"--preset", Path("state1/state.ttl")}), fromPlist);
    EXPECT_EQ(Render({"--preset", Path("state1")}), fromPlist);

    // A preset of port values only, from a host that saves no properties; the bypass port and
    // other symbols that are no parameter are passed over.
    Write("ports.ttl", StateTtl("urn:flummel:lv2:mono", "",
                                {{"delay_time", "0.02"}, {"feedback", "33.0"}, {"filter_type", "1"},
                                 {"filter_cutoff", "2500"}, {"enabled", "0.0"}, {"wobble", "1.0"}}));
    const Planar fromPorts = Render({"--preset", Path("ports.ttl")});
    EXPECT_EQ(fromPorts, Render({"--set", "Delay Time=0.02", "--set", "Feedback=33", "--set", "Filter Type=1", "--set",
                                 "Filter Cutoff=2500"}));
    EXPECT_NE(fromPorts, Render({}));

    // Both: the port values apply after the dictionary, as LV2 hosts restore them.
    Write("both.ttl", StateTtl("urn:flummel:lv2:stereo", classInfo, {{"feedback", "80.0"}}));
    const Planar fromBoth = Render({"--preset", Path("both.ttl")});
    EXPECT_EQ(fromBoth, Render({"--preset", Path("state.plist"), "--set", "Feedback=80"}));
    EXPECT_NE(fromBoth, fromPlist);
}
