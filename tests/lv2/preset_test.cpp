// The factory presets in the bundle: every property list in resources/presets is a preset of both
// plug-ins under its state's name, and restored through lilv it gives the effect the parameter
// values the property list holds.
#include <gtest/gtest.h>

#include <lv2/atom/atom.h>
#include <lv2/presets/presets.h>

#include "lv2/Lv2Harness.h"
#include "platform/cf/CFData.h"
#include "platform/cf/CFPropertyList.h"

namespace {

constexpr const char* kPresetPrefix = "urn:flummel:lv2:preset:";

TEST(Lv2Presets, EveryPropertyListIsAPresetOfBothPlugins)
{
    std::map<std::string, std::string> expected;  // URI, label
    for (const FactoryPresetFile& f : FactoryPresetFiles()) expected[kPresetPrefix + f.name] = f.label;
    ASSERT_GE(expected.size(), 8u);
    Lv2World& w = Lv2World::Get();
    LilvNode* presetClass = w.Uri(LV2_PRESETS__Preset);
    LilvNode* label = w.Uri("http://www.w3.org/2000/01/rdf-schema#label");
    for (const char* uri : {kStereoUri, kMonoUri}) {
        LilvNodes* related = lilv_plugin_get_related(w.Plugin(uri), presetClass);
        std::map<std::string, std::string> labels;
        LILV_FOREACH (nodes, i, related) {
            const LilvNode* preset = lilv_nodes_get(related, i);
            lilv_world_load_resource(w.World(), preset);
            LilvNode* text = lilv_world_get(w.World(), preset, label, nullptr);
            labels[lilv_node_as_uri(preset)] = text ? lilv_node_as_string(text) : "";
            lilv_node_free(text);
        }
        lilv_nodes_free(related);
        EXPECT_EQ(labels, expected) << uri;
    }
    lilv_node_free(presetClass);
    lilv_node_free(label);
}

TEST(Lv2Presets, EachRestoresThroughLilvToItsPropertyListsValues)
{
    Lv2World& w = Lv2World::Get();
    const auto setPort = [](const char* symbol, void* user, const void* value, uint32_t size, uint32_t type) {
        ASSERT_EQ(type, Lv2World::Get().Map().Map(LV2_ATOM__Float));
        ASSERT_EQ(size, sizeof(float));
        static_cast<Lv2Instance*>(user)->Control(symbol) = *static_cast<const float*>(value);
    };
    const auto keepClassInfo = [](LV2_State_Handle handle, uint32_t key, const void* value, size_t size, uint32_t,
                                  uint32_t) {
        if (key == Lv2World::Get().Map().Map("urn:flummel:lv2:class-info"))
            static_cast<std::string*>(handle)->assign(static_cast<const char*>(value), size);
        return LV2_STATE_SUCCESS;
    };
    std::set<std::vector<float>> distinct;
    for (const FactoryPresetFile& f : FactoryPresetFiles()) {
        SCOPED_TRACE(f.name);
        const CFRef<CFPropertyListRef> file(CFPropertyListCreateFromFile(f.path.c_str(), nullptr));
        const std::vector<float> expected = ValuesAfterRestoring(file);
        ASSERT_EQ(expected.size(), size_t(kNumParams));
        distinct.insert(expected);

        LilvNode* uri = w.Uri((kPresetPrefix + f.name).c_str());
        lilv_world_load_resource(w.World(), uri);
        LilvState* state = lilv_state_new_from_world(w.World(), w.Map().Lv2Map(), uri);
        lilv_node_free(uri);
        ASSERT_NE(state, nullptr);
        Lv2Instance plugin(kStereoUri);
        lilv_state_restore(state, plugin.Lilv(), setPort, &plugin, 0, nullptr);
        lilv_state_free(state);
        const Signal in = TestSignal(2, 64);
        Signal out = in;
        plugin.Run(in, out, 0, 64);  // the ports reach the effect

        std::string xml;
        ASSERT_EQ(plugin.State()->save(plugin.Handle(), keepClassInfo, &xml, 0, nullptr), LV2_STATE_SUCCESS);
        const CFRef<CFDataRef> data(
            CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(xml.data()), CFIndex(xml.size() - 1)));
        const CFRef<CFPropertyListRef> saved(CFPropertyListCreateFromXMLData(nullptr, data, 0, nullptr));
        EXPECT_EQ(ValuesAfterRestoring(saved), expected);
    }
    EXPECT_EQ(distinct.size(), FactoryPresetFiles().size());
}

}  // namespace
