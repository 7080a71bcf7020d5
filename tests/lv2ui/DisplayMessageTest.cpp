// The display message: what the writer forges the reader takes back exactly; anything
// malformed is refused without touching the caller's data; writing never allocates.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include <lv2/atom/util.h>

#include "plugins/lv2/Lv2DisplayMessage.h"
#include "support/AllocCounter.h"

namespace {

struct UridMap {
    std::map<std::string, LV2_URID> ids;
    LV2_URID_Map map{this, [](LV2_URID_Map_Handle h, const char* uri) {
                         auto& ids = static_cast<UridMap*>(h)->ids;
                         return ids.emplace(uri, LV2_URID(ids.size() + 1)).first->second;
                     }};
    LV2_URID operator()(const char* uri) { return map.map(this, uri); }
};

struct Overview {
    std::atomic<float> v[kSampleOverviewFloats];
    explicit Overview(float fill = 0)
    {
        for (auto& f : v) f.store(fill);
    }
};

DataToGui Block()
{
    DataToGui d{};
    d.headPosition = 0.25f;
    d.headForward = 1;
    d.delayPhase = 0.25f;
    d.lfoPhase = 0.75f;
    return d;
}

// Forges one message into a sequence and hands back the event's atom bytes.
struct Forged {
    UridMap uris;
    Lv2DisplayMessage message{&uris.map};
    alignas(8) uint8_t buffer[4096];
    LV2_Atom_Forge forge;
    bool ok = false;

    explicit Forged(uint32_t room = sizeof buffer)
    {
        lv2_atom_forge_init(&forge, &uris.map);
        lv2_atom_forge_set_buffer(&forge, buffer, room);
    }
    explicit Forged(const Overview& overview, uint32_t room = sizeof buffer) : Forged(room) { Write(overview); }
    void Write(const Overview& overview)
    {
        LV2_Atom_Forge_Frame frame;
        lv2_atom_forge_sequence_head(&forge, &frame, 0);
        ok = message.Write(&forge, 7, Block(), overview.v);
        lv2_atom_forge_pop(&forge, &frame);
    }
    LV2_Atom_Sequence* Sequence() { return reinterpret_cast<LV2_Atom_Sequence*>(buffer); }
    LV2_Atom_Event* Event() { return lv2_atom_sequence_begin(&Sequence()->body); }
    std::vector<uint8_t> Atom()
    {
        const LV2_Atom* a = &Event()->body;
        const auto* p = reinterpret_cast<const uint8_t*>(a);
        return std::vector<uint8_t>(p, p + sizeof(LV2_Atom) + a->size);
    }
};

struct Ramp : Overview {
    Ramp()
    {
        for (int k = 0; k < kSampleOverviewEntries; ++k) {
            v[4 * k + 1].store(-0.001f * float(k));
            v[4 * k + 3].store(0.002f * float(k));
        }
    }
};

}  // namespace

TEST(DisplayMessage, RoundTripFillsBlockAndOverview)
{
    const Ramp source;
    Forged f(source);
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(f.Event()->time.frames, 7);
    EXPECT_EQ(f.Sequence()->atom.size, sizeof(LV2_Atom_Sequence_Body) + Lv2DisplayMessage::kEventSize);

    DataToGui got{};
    Overview out(99);
    ASSERT_TRUE(f.message.Read(&f.Event()->body, got, out.v));
    const DataToGui want = Block();
    EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0);
    for (int k = 0; k < kSampleOverviewEntries; ++k) {
        ASSERT_EQ(out.v[4 * k].load(), float(k));
        ASSERT_EQ(out.v[4 * k + 2].load(), float(k));
        ASSERT_EQ(out.v[4 * k + 1].load(), source.v[4 * k + 1].load()) << k;
        ASSERT_EQ(out.v[4 * k + 3].load(), source.v[4 * k + 3].load()) << k;
    }
}

TEST(DisplayMessage, WritingNeverAllocatesAndStopsWhenFull)
{
    const Ramp source;
    Forged f;
    {
        testsupport::AllocationScope scope;
        f.Write(source);
        EXPECT_EQ(scope.Count(), 0);
    }
    EXPECT_TRUE(f.ok);
    // One byte short of a whole message: nothing goes into the sequence.
    Forged small(sizeof(LV2_Atom_Sequence) + Lv2DisplayMessage::kEventSize - 1);
    small.Write(source);
    EXPECT_FALSE(small.ok);
    EXPECT_EQ(small.Sequence()->atom.size, sizeof(LV2_Atom_Sequence_Body));
}

TEST(DisplayMessage, MalformedMessagesLeaveTheDataAlone)
{
    const Ramp source;
    Forged f(source);
    ASSERT_TRUE(f.ok);
    const std::vector<uint8_t> good = f.Atom();
    // Offsets in the atom: object header 16, data-to-gui property at 16 (value header at 24,
    // chunk at 32), overview property at 56 (value header at 64, vector body at 72, floats at 80).
    auto u32 = [](std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); };
    auto f32 = [](std::vector<uint8_t>& b, size_t at, float v) { std::memcpy(&b[at], &v, 4); };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<std::pair<const char*, std::function<void(std::vector<uint8_t>&)>>> cases = {
        {"not an object", [&](auto& b) { u32(b, 4, f.uris(LV2_ATOM__Tuple)); }},
        {"other otype", [&](auto& b) { u32(b, 12, f.uris("urn:other")); }},
        {"object smaller than its body", [&](auto& b) { u32(b, 0, 4); }},
        {"property header cut off", [&](auto& b) { u32(b, 0, 8 + 12); }},
        {"chunk overruns the object", [&](auto& b) { u32(b, 24, 4000); }},
        {"chunk of 20 bytes", [&](auto& b) { u32(b, 24, 20); }},
        {"block not a chunk", [&](auto& b) { u32(b, 28, f.uris(LV2_ATOM__String)); }},
        {"NaN head position", [&](auto& b) { f32(b, 32 + 8, nan); }},
        {"infinite LFO phase", [&](auto& b) { f32(b, 32 + 20, inf); }},
        {"overview not a vector", [&](auto& b) { u32(b, 68, f.uris(LV2_ATOM__Chunk)); }},
        {"vector of ints", [&](auto& b) { u32(b, 76, f.uris(LV2_ATOM__Int)); }},
        {"vector of doubles", [&](auto& b) { u32(b, 72, 8); }},
        {"vector one float short", [&](auto& b) { u32(b, 64, 8 + 4 * 511); u32(b, 0, uint32_t(b.size() - 8 - 4)); }},
        {"NaN in the overview", [&](auto& b) { f32(b, 80 + 4 * 300, nan); }},
        {"overview missing", [&](auto& b) { u32(b, 0, 48); }},
        {"block missing", [&](auto& b) { u32(b, 16, f.uris("urn:other:key")); }},
        {"object cut inside the vector", [&](auto& b) { u32(b, 0, 8 + 40 + 16 + 100); }},
    };
    cases.insert(cases.begin(), {"unspoilt (control)", [](auto&) {}});
    for (const auto& [what, spoil] : cases) {
        std::vector<uint8_t> bytes = good;
        spoil(bytes);
        DataToGui got{};
        got.lfoPhase = 0.5f;
        Overview out(42);
        alignas(8) uint8_t copy[4096] = {};
        std::memcpy(copy, bytes.data(), bytes.size());
        const bool control = &spoil == &cases.front().second;
        EXPECT_EQ(f.message.Read(reinterpret_cast<const LV2_Atom*>(copy), got, out.v), control) << what;
        EXPECT_EQ(got.lfoPhase == 0.5f, !control) << what;
        EXPECT_EQ(out.v[5].load() == 42.f, !control) << what;
    }
    // Unmapped readers and null atoms take nothing.
    DataToGui got{};
    Overview out;
    EXPECT_FALSE(Lv2DisplayMessage().Read(reinterpret_cast<const LV2_Atom*>(good.data()), got, out.v));
    EXPECT_FALSE(f.message.Read(nullptr, got, out.v));
}
