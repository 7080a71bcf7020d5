// The display message reader: anything malformed is refused without touching the caller's data.
// (What the plug-in forges reading back exactly is checked with the plug-in itself.)
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <lv2/atom/util.h>

#include "plugins/lv2/Lv2DisplayMessage.h"

namespace {

struct Overview {
    std::atomic<float> v[kSampleOverviewFloats];
    explicit Overview(float fill)
    {
        for (auto& f : v) f.store(fill);
    }
};

}  // namespace

TEST(DisplayMessage, MalformedMessagesLeaveTheDataAlone)
{
    std::map<std::string, LV2_URID> ids;
    LV2_URID_Map map{&ids, [](LV2_URID_Map_Handle h, const char* uri) {
                         auto& ids = *static_cast<std::map<std::string, LV2_URID>*>(h);
                         return ids.emplace(uri, LV2_URID(ids.size() + 1)).first->second;
                     }};
    auto id = [&](const char* uri) { return map.map(map.handle, uri); };
    const Lv2DisplayMessage message(&map);
    Overview source(0.25f);
    alignas(8) uint8_t buffer[4096];
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, &map);
    lv2_atom_forge_set_buffer(&forge, buffer, sizeof buffer);
    LV2_Atom_Forge_Frame frame;
    lv2_atom_forge_sequence_head(&forge, &frame, 0);
    DataToGui block{};
    block.lfoPhase = 0.75f;
    ASSERT_TRUE(message.Write(&forge, 0, block, source.v));
    const LV2_Atom* atom = &lv2_atom_sequence_begin(&reinterpret_cast<LV2_Atom_Sequence*>(buffer)->body)->body;
    const auto* bytes = reinterpret_cast<const uint8_t*>(atom);
    const std::vector<uint8_t> good(bytes, bytes + sizeof(LV2_Atom) + atom->size);
    // Offsets in the atom: object header 16, data-to-gui property at 16 (value header at 24,
    // chunk at 32), overview property at 56 (value header at 64, vector body at 72, floats at 80).
    const uint32_t nan = 0x7fc00000, inf = 0x7f800000, size = uint32_t(good.size() - 8);
    const struct {
        const char* what;  // null: unspoilt
        size_t at;
        uint32_t value;
    } cases[] = {
        {nullptr, 0, size},
        {"not an object", 4, id(LV2_ATOM__Tuple)}, {"other otype", 12, id("urn:other")},
        {"object smaller than its body", 0, 4}, {"property header cut off", 0, 8 + 12},
        {"chunk overruns the object", 24, 4000}, {"chunk of 20 bytes", 24, 20},
        {"block not a chunk", 28, id(LV2_ATOM__String)}, {"NaN head position", 32 + 8, nan},
        {"infinite LFO phase", 32 + 20, inf}, {"overview not a vector", 68, id(LV2_ATOM__Chunk)},
        {"vector of ints", 76, id(LV2_ATOM__Int)}, {"vector of doubles", 72, 8},
        {"vector one float short", 64, 8 + 4 * 511},  // the object shrunk with it
        {"NaN in the overview", 80 + 4 * 300, nan}, {"overview missing", 0, 48},
        {"block missing", 16, id("urn:other:key")}, {"object cut inside the vector", 0, 8 + 40 + 16 + 100},
    };
    for (const auto& c : cases) {
        alignas(8) uint8_t spoilt[4096] = {};
        std::memcpy(spoilt, good.data(), good.size());
        std::memcpy(spoilt + c.at, &c.value, 4);
        if (c.at == 64) {
            const uint32_t shorter = size - 4;
            std::memcpy(spoilt, &shorter, 4);
        }
        const bool read = c.what == nullptr;
        DataToGui got{};
        got.lfoPhase = 0.5f;
        Overview out(42);
        EXPECT_EQ(message.Read(reinterpret_cast<const LV2_Atom*>(spoilt), got, out.v), read) << c.what;
        EXPECT_EQ(got.lfoPhase == 0.5f, !read) << c.what;
        EXPECT_EQ(out.v[5].load() == 42.f, !read) << c.what;
    }
}
