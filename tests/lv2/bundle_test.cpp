// The bundle as hosts see it: lilv parses it cleanly, lv2_validate finds no error, every
// control port describes its effect parameter (symbol, name, range, default, unit or scale
// points, scale, enumeration, toggle, trigger), the audio ports sit in port groups, the
// bypass switch carries the enabled designation, the notify port follows it and both
// plug-ins name the UI module.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <lv2/atom/atom.h>
#include <lv2/port-props/port-props.h>
#include <lv2/resize-port/resize-port.h>
#include <lv2/ui/ui.h>
#include <lv2/units/units.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "engine/FlummelParameters.h"
#include "lv2/FactoryPresetFiles.h"
#include "lv2/Lv2Harness.h"
#include "lv2/Subprocess.h"
#include "platform/cf/CFString.h"
#include "plugins/lv2/Lv2NotifyPort.h"

namespace {

// The port symbols users pass to hosts, in parameter-id order.
const char* const kSymbols[kNumParams] = {
    "delay_time", "feedback", "dry_level", "effect_level", "re_sync", "host_tempo", "beats",
    "beat_divisor", "triplet", "filter_cutoff", "filter_q", "filter_type", "saturation_amount",
    "saturation_shape", "filter_lfo_speed", "filter_lfo_amount", "lfo_re_sync", "lfo_host_tempo",
    "lfo_beats", "lfo_beat_divisor", "lfo_triplet"};

std::string Name(AudioUnitParameterID id) { return CFStringGetCStringPtr(astParamInfos()[id].name, kCFStringEncodingUTF8); }

struct PortView {
    const LilvPlugin* plugin;
    const LilvPort* port;
    bool Has(const char* property) const
    {
        LilvNode* p = Lv2World::Get().Uri(property);
        const bool has = lilv_port_has_property(plugin, port, p);
        lilv_node_free(p);
        return has;
    }
    std::string Unit() const
    {
        LilvNode* predicate = Lv2World::Get().Uri(LV2_UNITS__unit);
        LilvNodes* units = lilv_port_get_value(plugin, port, predicate);
        std::string unit = units ? lilv_node_as_uri(lilv_nodes_get_first(units)) : "";
        lilv_nodes_free(units);
        lilv_node_free(predicate);
        return unit;
    }
};

class Lv2BundleTest : public ::testing::TestWithParam<const char*> {
protected:
    const LilvPlugin* Plugin() const { return Lv2World::Get().Plugin(GetParam()); }
    uint32_t Channels() const { return std::string(GetParam()) == kMonoUri ? 1 : 2; }
    PortView Control(AudioUnitParameterID id) const
    {
        return {Plugin(), lilv_plugin_get_port_by_index(Plugin(), 2 * Channels() + 1 + id)};
    }
};

// Everything a host does on discovery, with stderr captured: no warnings, no errors.
TEST(Lv2Bundle, LilvLoadsItWithoutWarnings)
{
    std::fflush(stderr);
    char path[] = "/tmp/flummel-lilv-XXXXXX";
    const int capture = mkstemp(path);
    ASSERT_GE(capture, 0);
    const int saved = dup(2);
    dup2(capture, 2);

    LilvWorld* world = lilv_world_new();
    lilv_world_load_all(world);
    int found = 0;
    bool verified = true;
    LILV_FOREACH (plugins, i, lilv_world_get_all_plugins(world)) {
        const LilvPlugin* p = lilv_plugins_get(lilv_world_get_all_plugins(world), i);
        const std::string uri = lilv_node_as_uri(lilv_plugin_get_uri(p));
        if (uri != kStereoUri && uri != kMonoUri) continue;
        ++found;
        verified = verified && lilv_plugin_verify(p);
        LilvNode* name = lilv_plugin_get_name(p);
        lilv_node_free(name);
        for (uint32_t k = 0; k < lilv_plugin_get_num_ports(p); ++k) {
            LilvScalePoints* points = lilv_port_get_scale_points(p, lilv_plugin_get_port_by_index(p, k));
            lilv_scale_points_free(points);
        }
        if (LilvInstance* instance = lilv_plugin_instantiate(p, 48000.0, nullptr)) lilv_instance_free(instance);
    }
    lilv_world_free(world);

    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    close(capture);
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    std::remove(path);

    EXPECT_EQ(found, 2);
    EXPECT_TRUE(verified);
    EXPECT_EQ(text.str(), "");
}

TEST_P(Lv2BundleTest, HasAudioPortsTheTimePortOneControlPerParameterAndTheNotifyPort)
{
    ASSERT_NE(Plugin(), nullptr);
    ASSERT_EQ(lilv_plugin_get_num_ports(Plugin()), 2 * Channels() + 1 + kNumParams + 2);
    LilvNode* audio = Lv2World::Get().Uri(LV2_CORE__AudioPort);
    LilvNode* input = Lv2World::Get().Uri(LV2_CORE__InputPort);
    LilvNode* control = Lv2World::Get().Uri(LV2_CORE__ControlPort);
    for (uint32_t i = 0; i < 2 * Channels(); ++i) {
        const LilvPort* port = lilv_plugin_get_port_by_index(Plugin(), i);
        EXPECT_TRUE(lilv_port_is_a(Plugin(), port, audio)) << i;
        EXPECT_EQ(lilv_port_is_a(Plugin(), port, input), i < Channels()) << i;
    }
    for (uint32_t id = 0; id < kNumParams; ++id) {
        const LilvPort* port = Control(id).port;
        EXPECT_TRUE(lilv_port_is_a(Plugin(), port, control) && lilv_port_is_a(Plugin(), port, input)) << id;
    }
    for (LilvNode* n : {audio, input, control}) lilv_node_free(n);

    const LilvPort* time = lilv_plugin_get_port_by_index(Plugin(), 2 * Channels());
    LilvNode* position = Lv2World::Get().Uri("http://lv2plug.in/ns/ext/time#Position");
    EXPECT_TRUE(lilv_port_supports_event(Plugin(), time, position));
    lilv_node_free(position);
    EXPECT_TRUE((PortView{Plugin(), time}.Has(LV2_CORE__connectionOptional)));

    // The notify port last, after the bypass switch, so every earlier index stays.
    Lv2World& w = Lv2World::Get();
    const LilvPort* notify = lilv_plugin_get_port_by_index(Plugin(), 2 * Channels() + 1 + kNumParams + 1);
    LilvNode* output = w.Uri(LV2_CORE__OutputPort);
    LilvNode* atom = w.Uri(LV2_ATOM__AtomPort);
    LilvNode* display = w.Uri("urn:flummel:lv2:display");
    LilvNode* minimumSize = w.Uri(LV2_RESIZE_PORT__minimumSize);
    EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(Plugin(), notify)), "notify");
    EXPECT_TRUE(lilv_port_is_a(Plugin(), notify, output) && lilv_port_is_a(Plugin(), notify, atom));
    EXPECT_TRUE(lilv_port_supports_event(Plugin(), notify, display));
    EXPECT_TRUE((PortView{Plugin(), notify}.Has(LV2_CORE__connectionOptional)));
    LilvNode* size = lilv_port_get(Plugin(), notify, minimumSize);
    ASSERT_NE(size, nullptr);
    EXPECT_GE(lilv_node_as_int(size), int(Lv2NotifyPort::kMinimumSize));
    for (LilvNode* n : {output, atom, display, minimumSize, size}) lilv_node_free(n);
}

// Both plug-ins name the one X11 UI in flummel_ui.so, which needs only the URID map and is sent
// the notify port's atoms; the module's descriptor carries the URI the Turtle gives.
TEST_P(Lv2BundleTest, NamesTheUiModule)
{
    ASSERT_NE(Plugin(), nullptr);
    Lv2World& w = Lv2World::Get();
    LilvUIs* uis = lilv_plugin_get_uis(Plugin());
    ASSERT_EQ(uis ? lilv_uis_size(uis) : 0u, 1u);
    const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
    const LilvNode* uri = lilv_ui_get_uri(ui);
    EXPECT_STREQ(lilv_node_as_uri(uri), "urn:flummel:lv2:ui");
    LilvNode* x11 = w.Uri(LV2_UI__X11UI);
    EXPECT_TRUE(lilv_ui_is_a(ui, x11));
    char* binary = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);
    ASSERT_NE(binary, nullptr);
    EXPECT_EQ(std::string(binary).substr(std::string(binary).rfind('/') + 1), "flummel_ui.so");
    if (void* module = dlopen(binary, RTLD_NOW | RTLD_LOCAL)) {
        const auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(module, "lv2ui_descriptor"));
        ASSERT_NE(entry, nullptr);
        const LV2UI_Descriptor* descriptor = entry(0);
        ASSERT_NE(descriptor, nullptr);
        EXPECT_STREQ(descriptor->URI, lilv_node_as_uri(uri));
        EXPECT_EQ(entry(1), nullptr);
    } else {
        ADD_FAILURE() << dlerror();
    }
    lilv_free(binary);

    auto objects = [&](const LilvNode* subject, const char* predicate) {
        LilvNode* p = w.Uri(predicate);
        LilvNodes* found = lilv_world_find_nodes(w.World(), subject, p, nullptr);
        std::set<std::string> values;
        LILV_FOREACH (nodes, i, found) values.insert(lilv_node_as_string(lilv_nodes_get(found, i)));
        lilv_nodes_free(found);
        lilv_node_free(p);
        return values;
    };
    EXPECT_EQ(objects(uri, LV2_CORE__requiredFeature), std::set<std::string>{LV2_URID__map});
    EXPECT_EQ(objects(uri, LV2_CORE__extensionData),
              (std::set<std::string>{LV2_UI__idleInterface, LV2_UI__showInterface}));
    // The port notification for this plug-in's notify port.
    LilvNode* notification = w.Uri(LV2_UI__portNotification);
    LilvNodes* notifications = lilv_world_find_nodes(w.World(), uri, notification, nullptr);
    int matching = 0;
    LILV_FOREACH (nodes, i, notifications) {
        const LilvNode* n = lilv_nodes_get(notifications, i);
        if (objects(n, LV2_UI__plugin) != std::set<std::string>{GetParam()}) continue;
        ++matching;
        EXPECT_EQ(objects(n, LV2_CORE__symbol), std::set<std::string>{"notify"});
        EXPECT_EQ(objects(n, LV2_UI__portIndex),
                  std::set<std::string>{std::to_string(2 * Channels() + 1 + kNumParams + 1)});
        EXPECT_EQ(objects(n, LV2_UI__protocol), std::set<std::string>{LV2_ATOM__eventTransfer});
    }
    EXPECT_EQ(matching, 1);
    lilv_nodes_free(notifications);
    for (LilvNode* n : {x11, notification}) lilv_node_free(n);
    lilv_uis_free(uis);
}

TEST_P(Lv2BundleTest, ControlPortsCarryTheParameterInformation)
{
    ASSERT_NE(Plugin(), nullptr);
    std::vector<float> mins(lilv_plugin_get_num_ports(Plugin())), maxs(mins.size()), defs(mins.size());
    lilv_plugin_get_port_ranges_float(Plugin(), mins.data(), maxs.data(), defs.data());
    for (AudioUnitParameterID id = 0; id < kNumParams; ++id) {
        SCOPED_TRACE(Name(id));
        const PortView v = Control(id);
        const uint32_t index = lilv_port_get_index(v.plugin, v.port);
        EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(v.plugin, v.port)), kSymbols[id]);
        LilvNode* name = lilv_port_get_name(v.plugin, v.port);
        EXPECT_EQ(lilv_node_as_string(name), Name(id));
        lilv_node_free(name);
        const FlummelParamInfo& info = astParamInfos()[id];
        EXPECT_EQ(mins[index], info.minValue);
        EXPECT_EQ(maxs[index], info.maxValue);
        EXPECT_EQ(defs[index], info.defaultValue);
    }
}

// Every control port has a unit or scale points; cutoff and LFO speed span decades.
TEST_P(Lv2BundleTest, ControlPortsCarryUnitsOrScalePoints)
{
    ASSERT_NE(Plugin(), nullptr);
    const std::string units = "http://lv2plug.in/ns/extensions/units#";
    const std::map<AudioUnitParameterID, std::string> unitOf = {
        {kParam_DelayTime, units + "s"},       {kParam_Feedback, units + "pc"},
        {kParam_DryLevel, units + "coef"},     {kParam_EffectLevel, units + "coef"},
        {kParam_Beats, units + "beat"},        {kParam_FilterCutoff, units + "hz"},
        {kParam_FilterQ, units + "coef"},      {kParam_SaturationAmount, "urn:flummel:lv2:drive"},
        {kParam_SaturationShape, units + "coef"}, {kParam_FilterLfoSpeed, units + "hz"},
        {kParam_FilterLfoAmount, units + "oct"},  {kParam_LfoBeats, units + "beat"},
    };
    for (AudioUnitParameterID id = 0; id < kNumParams; ++id) {
        SCOPED_TRACE(Name(id));
        const PortView v = Control(id);
        const auto unit = unitOf.find(id);
        EXPECT_EQ(v.Unit(), unit == unitOf.end() ? "" : unit->second);
        LilvScalePoints* points = lilv_port_get_scale_points(v.plugin, v.port);
        const unsigned count = points ? lilv_scale_points_size(points) : 0;
        lilv_scale_points_free(points);
        EXPECT_TRUE(!v.Unit().empty() || count >= 2) << "neither unit nor scale points";
        EXPECT_EQ(v.Has(LV2_PORT_PROPS__logarithmic), id == kParam_FilterCutoff || id == kParam_FilterLfoSpeed);
    }
}

TEST_P(Lv2BundleTest, DivisorsAreEnumerationsBooleansToggledResyncsTriggers)
{
    ASSERT_NE(Plugin(), nullptr);
    for (AudioUnitParameterID id = 0; id < kNumParams; ++id) {
        SCOPED_TRACE(Name(id));
        const PortView v = Control(id);
        const bool divisor = id == kParam_BeatDivisor || id == kParam_LfoBeatDivisor;
        const bool boolean = astParamInfos()[id].unit == kAudioUnitParameterUnit_Boolean;
        EXPECT_EQ(v.Has(LV2_CORE__enumeration), divisor);
        EXPECT_EQ(v.Has(LV2_CORE__integer), divisor);
        EXPECT_EQ(v.Has(LV2_CORE__toggled), boolean);
        EXPECT_EQ(v.Has(LV2_PORT_PROPS__trigger), id == kParam_ReSync || id == kParam_LfoReSync);
        if (!divisor) continue;

        LilvScalePoints* points = lilv_port_get_scale_points(v.plugin, v.port);
        ASSERT_EQ(lilv_scale_points_size(points), unsigned(kNumDivisorStrings));
        std::map<float, std::string> byValue;
        LILV_FOREACH (scale_points, i, points) {
            const LilvScalePoint* p = lilv_scale_points_get(points, i);
            byValue[lilv_node_as_float(lilv_scale_point_get_value(p))] = lilv_node_as_string(lilv_scale_point_get_label(p));
        }
        lilv_scale_points_free(points);
        for (int k = 0; k < kNumDivisorStrings; ++k)
            EXPECT_EQ(byValue[float(k)], CFStringGetCStringPtr(ppVal()[k], kCFStringEncodingUTF8)) << k;
    }

    LilvScalePoints* types = lilv_port_get_scale_points(Plugin(), Control(kParam_FilterType).port);
    std::map<float, std::string> names;
    LILV_FOREACH (scale_points, i, types) {
        const LilvScalePoint* p = lilv_scale_points_get(types, i);
        names[lilv_node_as_float(lilv_scale_point_get_value(p))] = lilv_node_as_string(lilv_scale_point_get_label(p));
    }
    lilv_scale_points_free(types);
    EXPECT_EQ(names,
              (std::map<float, std::string>{{0.f, "Thru"}, {1.f, "Low"}, {2.f, "Band"}, {3.f, "High"}, {4.f, "Thru (end)"}}));
}

// The audio ports in one input and one output group, with left and right (or centre) roles;
// the switch after the controls designated lv2:enabled.
TEST_P(Lv2BundleTest, AudioPortsAreGroupedAndTheBypassIsDesignated)
{
    ASSERT_NE(Plugin(), nullptr);
    Lv2World& w = Lv2World::Get();
    const std::string pg = "http://lv2plug.in/ns/ext/port-groups#";
    const std::vector<std::string> roles =
        Channels() == 2 ? std::vector<std::string>{pg + "left", pg + "right"} : std::vector<std::string>{pg + "center"};
    LilvNode* groupOf = w.Uri((pg + "group").c_str());
    LilvNode* designation = w.Uri(LV2_CORE__designation);
    for (uint32_t i = 0; i < 2 * Channels(); ++i) {
        const LilvPort* port = lilv_plugin_get_port_by_index(Plugin(), i);
        const bool input = i < Channels();
        LilvNodes* group = lilv_port_get_value(Plugin(), port, groupOf);
        LilvNodes* role = lilv_port_get_value(Plugin(), port, designation);
        ASSERT_TRUE(group && role) << i;
        EXPECT_EQ(lilv_node_as_uri(lilv_nodes_get_first(group)), std::string(GetParam()) + (input ? ":in" : ":out"));
        EXPECT_EQ(lilv_node_as_uri(lilv_nodes_get_first(role)), roles[i % Channels()]);
        lilv_nodes_free(group);
        lilv_nodes_free(role);
    }
    for (LilvNode* n : {groupOf, designation}) lilv_node_free(n);

    LilvNode* input = w.Uri(LV2_CORE__InputPort);
    LilvNode* enabled = w.Uri(LV2_CORE__enabled);
    const LilvPort* bypass = lilv_plugin_get_port_by_designation(Plugin(), input, enabled);
    ASSERT_NE(bypass, nullptr);
    EXPECT_EQ(lilv_port_get_index(Plugin(), bypass), 2 * Channels() + 1 + kNumParams);
    EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(Plugin(), bypass)), "enabled");
    EXPECT_TRUE((PortView{Plugin(), bypass}.Has(LV2_CORE__toggled)));
    for (LilvNode* n : {input, enabled}) lilv_node_free(n);
}

TEST_P(Lv2BundleTest, CarriesLicenseMaintainerVersionAndDescription)
{
    ASSERT_NE(Plugin(), nullptr);
    auto value = [&](const char* predicate) {
        LilvNode* p = Lv2World::Get().Uri(predicate);
        LilvNodes* values = lilv_plugin_get_value(Plugin(), p);
        lilv_node_free(p);
        std::string text = values ? lilv_node_as_string(lilv_nodes_get_first(values)) : "";
        lilv_nodes_free(values);
        return text;
    };
    EXPECT_NE(value("http://usefulinc.com/ns/doap#license"), "");
    LilvNode* author = lilv_plugin_get_author_name(Plugin());
    ASSERT_NE(author, nullptr);
    EXPECT_NE(std::string(lilv_node_as_string(author)), "");
    lilv_node_free(author);
    EXPECT_EQ(value(LV2_CORE__minorVersion) + "." + value(LV2_CORE__microVersion), "1.0");  // project 0.1.0
    EXPECT_GT(value("http://www.w3.org/2000/01/rdf-schema#comment").size(), 200u);
}

INSTANTIATE_TEST_SUITE_P(Variants, Lv2BundleTest, ::testing::Values(kStereoUri, kMonoUri));

// The LV2 project's own validator, against the installed vocabularies.
TEST(Lv2Bundle, Lv2ValidateFindsNoError)
{
    const std::string bundle = std::string(FLUMMEL_BUILD_DIR) + "/lv2/flummel.lv2/";
    const SubprocessResult r =
        RunSubprocess({LV2_VALIDATE, bundle + "manifest.ttl", bundle + "flummel.ttl", bundle + "presets.ttl"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE((r.out + r.err).find("Found 0 errors"), std::string::npos) << r.out << r.err;
}

// lv2info, a real host tool, lists the 21 controls with their ranges, then the bypass switch,
// and the factory presets, and prints no warnings.
TEST(Lv2Bundle, Lv2infoListsTheControlsTheBypassAndThePresets)
{
    const SubprocessResult r = RunSubprocess({LV2INFO, kStereoUri}, ForeignHostEnvironment());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");

    struct Listed {
        std::string symbol;
        bool control = false;
        float min = NAN, max = NAN, def = NAN;
        std::string designation;
    };
    std::vector<Listed> ports;
    std::set<std::string> presets;
    bool inPresets = false;
    std::istringstream lines(r.out);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "Port") inPresets = false;
        if (inPresets && !key.empty()) presets.insert(line.substr(line.find_first_not_of(" \t")));
        if (key == "Presets:") inPresets = true;
        if (key == "Port") ports.emplace_back();
        if (ports.empty()) continue;
        Listed& p = ports.back();
        if (line.find("lv2core#ControlPort") != std::string::npos) p.control = true;
        if (key == "Symbol:") words >> p.symbol;
        if (key == "Minimum:") words >> p.min;
        if (key == "Maximum:") words >> p.max;
        if (key == "Default:") words >> p.def;
        if (key == "Designation:") words >> p.designation;
    }
    std::vector<Listed> controls;
    for (const Listed& p : ports)
        if (p.control) controls.push_back(p);
    ASSERT_EQ(controls.size(), size_t(kNumParams) + 1);
    EXPECT_EQ(controls.back().symbol, "enabled");
    EXPECT_EQ(controls.back().designation, LV2_CORE__enabled);
    EXPECT_EQ(controls.back().def, 1.f);
    EXPECT_EQ(presets, FactoryPresetLabels());
    for (AudioUnitParameterID id = 0; id < kNumParams; ++id) {
        const FlummelParamInfo& info = astParamInfos()[id];
        EXPECT_EQ(controls[id].symbol, kSymbols[id]);
        EXPECT_NEAR(controls[id].min, info.minValue, 1e-6) << kSymbols[id];
        EXPECT_NEAR(controls[id].max, info.maxValue, 1e-6) << kSymbols[id];
        EXPECT_NEAR(controls[id].def, info.defaultValue, 1e-6) << kSymbols[id];
    }
}

}  // namespace
