// The bundle as hosts see it: validated and loaded without a warning, ports where hosts look for
// them, every control port describing its parameter, and the UI module named.
#include <gtest/gtest.h>

#include <lv2/port-props/port-props.h>
#include <lv2/resize-port/resize-port.h>
#include <lv2/time/time.h>
#include <lv2/ui/ui.h>
#include <lv2/units/units.h>

#include <filesystem>

#include "lv2/Lv2Harness.h"
#include "platform/cf/CFString.h"
#include "plugins/lv2/Lv2NotifyPort.h"

namespace {

std::string CString(CFStringRef s) { return CFStringGetCStringPtr(s, kCFStringEncodingUTF8); }

// Every object of (subject, predicate) in the world, as strings.
std::set<std::string> Objects(const LilvNode* subject, const char* predicate)
{
    Lv2World& w = Lv2World::Get();
    LilvNodes* found = lilv_world_find_nodes(w.World(), subject, w.Node(predicate).get(), nullptr);
    std::set<std::string> values;
    LILV_FOREACH (nodes, i, found) values.insert(lilv_node_as_string(lilv_nodes_get(found, i)));
    lilv_nodes_free(found);
    return values;
}

// Ports by index: audio in, audio out, time, the parameters, the bypass switch, notify.
class Lv2BundleTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { ASSERT_NE(plugin, nullptr); }
    const LilvPort* Port(uint32_t index) const { return lilv_plugin_get_port_by_index(plugin, index); }
    bool Has(uint32_t i, const char* property) const
    {
        return lilv_port_has_property(plugin, Port(i), Lv2World::Get().Node(property).get());
    }
    std::string Value(uint32_t i, const char* predicate) const
    {
        LilvNodes* values = lilv_port_get_value(plugin, Port(i), Lv2World::Get().Node(predicate).get());
        std::string value = values ? lilv_node_as_string(lilv_nodes_get_first(values)) : "";
        lilv_nodes_free(values);
        return value;
    }
    std::string Symbol(uint32_t i) const { return lilv_node_as_string(lilv_port_get_symbol(plugin, Port(i))); }
    std::map<float, std::string> ScalePoints(uint32_t i) const
    {
        LilvScalePoints* points = lilv_port_get_scale_points(plugin, Port(i));
        std::map<float, std::string> byValue;
        LILV_FOREACH (scale_points, k, points) {
            const LilvScalePoint* p = lilv_scale_points_get(points, k);
            byValue[lilv_node_as_float(lilv_scale_point_get_value(p))] = lilv_node_as_string(lilv_scale_point_get_label(p));
        }
        lilv_scale_points_free(points);
        return byValue;
    }

    const LilvPlugin* plugin = Lv2World::Get().Plugin(GetParam());
    const uint32_t channels = std::string(GetParam()) == kMonoUri ? 1 : 2;
    const uint32_t control = 2 * channels + 1, bypass = control + kNumParams, notify = bypass + 1;
};

// The LV2 project's validator finds no error, and lv2info, a real host, loads both plug-ins and
// lists their ports, scale points and presets without a warning.
TEST(Lv2Bundle, HostToolsValidateAndLoadItWithoutWarnings)
{
    const std::string bundle = std::string(FLUMMEL_BUILD_DIR) + "/lv2/flummel.lv2/";
    const SubprocessResult v =
        RunSubprocess({LV2_VALIDATE, bundle + "manifest.ttl", bundle + "flummel.ttl", bundle + "presets.ttl"});
    EXPECT_EQ(v.status, 0) << v.out << v.err;
    EXPECT_NE((v.out + v.err).find("Found 0 errors"), std::string::npos) << v.out << v.err;
    for (const char* uri : {kStereoUri, kMonoUri}) {
        const SubprocessResult r = RunSubprocess({LV2INFO, uri}, ForeignHostEnvironment());
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "") << uri;
        EXPECT_NE(r.out.find("Tape Loop\n"), std::string::npos) << uri << ": no preset listed";
    }
}

// Audio in and out in port groups with channel roles, the optional time port, a control per
// parameter, the bypass switch designated lv2:enabled, then the notify port last.
TEST_P(Lv2BundleTest, PortsAreWhereHostsLookForThem)
{
    ASSERT_EQ(lilv_plugin_get_num_ports(plugin), notify + 1);
    const std::string pg = "http://lv2plug.in/ns/ext/port-groups#";
    const std::vector<std::string> roles = channels == 2 ? std::vector<std::string>{pg + "left", pg + "right"}
                                                         : std::vector<std::string>{pg + "center"};
    for (uint32_t i = 0; i < 2 * channels; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Value(i, (pg + "group").c_str()), std::string(GetParam()) + (i < channels ? ":in" : ":out"));
        EXPECT_EQ(Value(i, LV2_CORE__designation), roles[i % channels]);
    }
    Lv2World& w = Lv2World::Get();
    EXPECT_TRUE(lilv_port_supports_event(plugin, Port(control - 1), w.Node(LV2_TIME__Position).get()));
    EXPECT_TRUE(Has(control - 1, LV2_CORE__connectionOptional));

    const LilvPort* enabled =
        lilv_plugin_get_port_by_designation(plugin, w.Node(LV2_CORE__InputPort).get(), w.Node(LV2_CORE__enabled).get());
    ASSERT_NE(enabled, nullptr);
    EXPECT_EQ(lilv_port_get_index(plugin, enabled), bypass);
    EXPECT_EQ(Symbol(bypass), "enabled");
    EXPECT_TRUE(Has(bypass, LV2_CORE__toggled));

    EXPECT_EQ(Symbol(notify), "notify");
    EXPECT_TRUE(lilv_port_supports_event(plugin, Port(notify), w.Node("urn:flummel:lv2:display").get()));
    EXPECT_TRUE(Has(notify, LV2_CORE__connectionOptional));
    EXPECT_GE(std::stoi("0" + Value(notify, LV2_RESIZE_PORT__minimumSize)), int(Lv2NotifyPort::kMinimumSize));
}

// Symbol, name, range and default from the parameter information; a unit or scale points;
// divisors as labelled enumerations, booleans toggled, re-syncs triggers, and the filter types named.
TEST_P(Lv2BundleTest, ControlPortsDescribeTheirParameters)
{
    std::map<float, std::string> divisors;
    for (int k = 0; k < kNumDivisorStrings; ++k) divisors[float(k)] = CString(ppVal()[k]);
    std::vector<float> mins(notify + 1), maxs(mins.size()), defs(mins.size());
    lilv_plugin_get_port_ranges_float(plugin, mins.data(), maxs.data(), defs.data());
    for (AudioUnitParameterID id = 0; id < kNumParams; ++id) {
        const FlummelParamInfo& info = astParamInfos()[id];
        SCOPED_TRACE(CString(info.name));
        const uint32_t i = control + id;
        EXPECT_EQ(Symbol(i), kSymbols[id]);
        LilvNodePtr name(lilv_port_get_name(plugin, Port(i)), &lilv_node_free);
        EXPECT_EQ(lilv_node_as_string(name.get()), CString(info.name));
        EXPECT_EQ(std::vector<float>({mins[i], maxs[i], defs[i]}),
                  std::vector<float>({info.minValue, info.maxValue, info.defaultValue}));
        EXPECT_TRUE(!Value(i, LV2_UNITS__unit).empty() || ScalePoints(i).size() >= 2) << "neither unit nor scale points";
        const bool divisor = id == kParam_BeatDivisor || id == kParam_LfoBeatDivisor;
        EXPECT_EQ(Has(i, LV2_CORE__enumeration), divisor);
        EXPECT_EQ(Has(i, LV2_CORE__toggled), info.unit == kAudioUnitParameterUnit_Boolean);
        EXPECT_EQ(Has(i, LV2_PORT_PROPS__trigger), id == kParam_ReSync || id == kParam_LfoReSync);
        if (divisor) {
            EXPECT_EQ(ScalePoints(i), divisors);
        }
    }
    EXPECT_EQ(ScalePoints(control + kParam_FilterType),
              (std::map<float, std::string>{{0.f, "Thru"}, {1.f, "Low"}, {2.f, "Band"}, {3.f, "High"}, {4.f, "Thru (end)"}}));
}

// One X11 UI in flummel_ui.so that needs only the URID map and is sent the notify port's atoms.
TEST_P(Lv2BundleTest, NamesTheUiModule)
{
    LilvUIs* uis = lilv_plugin_get_uis(plugin);
    ASSERT_EQ(uis ? lilv_uis_size(uis) : 0u, 1u);
    const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
    const LilvNode* uri = lilv_ui_get_uri(ui);
    EXPECT_STREQ(lilv_node_as_uri(uri), "urn:flummel:lv2:ui");
    EXPECT_TRUE(lilv_ui_is_a(ui, Lv2World::Get().Node(LV2_UI__X11UI).get()));
    char* binary = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);
    ASSERT_NE(binary, nullptr);
    EXPECT_EQ(std::filesystem::path(binary).filename(), "flummel_ui.so");
    lilv_free(binary);
    EXPECT_EQ(Objects(uri, LV2_CORE__requiredFeature), std::set<std::string>{LV2_URID__map});
    EXPECT_EQ(Objects(uri, LV2_CORE__extensionData), (std::set<std::string>{LV2_UI__idleInterface, LV2_UI__showInterface}));
    Lv2World& w = Lv2World::Get();
    LilvNodes* notifications = lilv_world_find_nodes(w.World(), uri, w.Node(LV2_UI__portNotification).get(), nullptr);
    int matching = 0;
    LILV_FOREACH (nodes, i, notifications) {
        const LilvNode* n = lilv_nodes_get(notifications, i);
        if (Objects(n, LV2_UI__plugin) != std::set<std::string>{GetParam()}) continue;
        ++matching;
        EXPECT_EQ(Objects(n, LV2_CORE__symbol), std::set<std::string>{"notify"});
        EXPECT_EQ(Objects(n, LV2_UI__portIndex), std::set<std::string>{std::to_string(notify)});
        EXPECT_EQ(Objects(n, LV2_UI__protocol), std::set<std::string>{LV2_ATOM__eventTransfer});
    }
    EXPECT_EQ(matching, 1);
    lilv_nodes_free(notifications);
    lilv_uis_free(uis);
}

INSTANTIATE_TEST_SUITE_P(Variants, Lv2BundleTest, ::testing::Values(kStereoUri, kMonoUri));

}  // namespace
