// The factory presets in the bundle: every property list in resources/presets is a preset of both
// plug-ins under its state's name, and restored through lilv it sets the ports to the parameter
// values the property list gives the effect.
#include <gtest/gtest.h>

#include <lv2/atom/atom.h>
#include <lv2/presets/presets.h>

#include <filesystem>

#include "lv2/Lv2Harness.h"
#include "platform/cf/CFDictionary.h"
#include "platform/cf/CFPropertyList.h"
#include "platform/cf/CFString.h"

namespace {

TEST(Lv2Presets, EveryPropertyListIsAPresetOfBothPluginsAndRestoresToItsValues)
{
    Lv2World& w = Lv2World::Get();
    const auto setPort = [](const char* symbol, void* user, const void* value, uint32_t size, uint32_t type) {
        ASSERT_EQ(type, Lv2World::Get().Map().Map(LV2_ATOM__Float));
        ASSERT_EQ(size, sizeof(float));
        static_cast<Lv2Instance*>(user)->Control(symbol) = *static_cast<const float*>(value);
    };
    std::set<std::string> uris;
    std::set<std::vector<float>> distinct;
    for (const auto& entry : std::filesystem::directory_iterator(FLUMMEL_PRESETS_DIR)) {
        if (entry.path().extension() != ".plist") continue;
        SCOPED_TRACE(entry.path());
        const CFRef<CFPropertyListRef> file(CFPropertyListCreateFromFile(entry.path().c_str(), nullptr));
        const std::vector<float> expected = ValuesAfterRestoring(file);
        ASSERT_EQ(expected.size(), size_t(kNumParams));
        distinct.insert(expected);
        const auto label = static_cast<CFStringRef>(CFDictionaryGetValue(CFDictionaryRef(file.get()), CFSTR("name")));
        ASSERT_NE(label, nullptr);

        const std::string uri = "urn:flummel:lv2:preset:" + entry.path().stem().string();
        uris.insert(uri);
        lilv_world_load_resource(w.World(), w.Node(uri.c_str()).get());
        LilvState* state = lilv_state_new_from_world(w.World(), w.Map().Lv2Map(), w.Node(uri.c_str()).get());
        ASSERT_NE(state, nullptr);
        EXPECT_STREQ(lilv_state_get_label(state), CFStringGetCStringPtr(label, kCFStringEncodingUTF8));
        Lv2Instance plugin(kStereoUri);
        lilv_state_restore(state, plugin.Lilv(), setPort, &plugin, 0, nullptr);
        lilv_state_free(state);
        for (AudioUnitParameterID id = 0; id < kNumParams; ++id)
            EXPECT_EQ(plugin.Control(kSymbols[id]), expected[id]) << kSymbols[id];
    }
    EXPECT_GE(uris.size(), 8u);
    EXPECT_EQ(distinct.size(), uris.size());
    for (const char* plugin : {kStereoUri, kMonoUri}) {
        LilvNodes* related = lilv_plugin_get_related(w.Plugin(plugin), w.Node(LV2_PRESETS__Preset).get());
        std::set<std::string> presets;
        LILV_FOREACH (nodes, i, related) presets.insert(lilv_node_as_uri(lilv_nodes_get(related, i)));
        lilv_nodes_free(related);
        EXPECT_EQ(presets, uris) << plugin;
    }
}

}  // namespace
