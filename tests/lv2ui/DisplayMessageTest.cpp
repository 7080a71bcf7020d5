// The display message: what the writer forges the reader takes back exactly, without allocating;
// anything malformed is refused without touching the caller's data.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <lv2/atom/util.h>

#include "plugins/lv2/Lv2DisplayMessage.h"
#include "support/AllocCounter.h"

namespace {

struct Overview {
    std::atomic<float> v[kSampleOverviewFloats];
    explicit Overview(float fill)
    {
        for (auto& f : v) f.store(fill);
    }
};

DataToGui Block()
{
    DataToGui d{};
    d.headPosition = d.delayPhase = 0.25f;
    d.headForward = 1;
    d.lfoPhase = 0.75f;
    return d;
}

// One message of a ramp overview forged at frame 7 into a sequence of `room` bytes.
struct Forged {
    std::map<std::string, LV2_URID> ids;
    LV2_URID_Map map{this, [](LV2_URID_Map_Handle h, const char* uri) {
                         auto& ids = static_cast<Forged*>(h)->ids;
                         return ids.emplace(uri, LV2_URID(ids.size() + 1)).first->second;
                     }};
    Lv2DisplayMessage message{&map};
    Overview source{0};
    alignas(8) uint8_t buffer[4096];
    bool ok = false;
    long allocations = -1;

    explicit Forged(uint32_t room = sizeof buffer)
    {
        for (int k = 0; k < kSampleOverviewEntries; ++k) {
            source.v[4 * k + 1].store(-0.001f * float(k));
            source.v[4 * k + 3].store(0.002f * float(k));
        }
        LV2_Atom_Forge forge;
        lv2_atom_forge_init(&forge, &map);
        lv2_atom_forge_set_buffer(&forge, buffer, room);
        LV2_Atom_Forge_Frame frame;
        testsupport::AllocationScope scope;
        lv2_atom_forge_sequence_head(&forge, &frame, 0);
        ok = message.Write(&forge, 7, Block(), source.v);
        lv2_atom_forge_pop(&forge, &frame);
        allocations = scope.Count();
    }
    LV2_URID Map(const char* uri) { return map.map(this, uri); }
    LV2_Atom_Sequence* Sequence() { return reinterpret_cast<LV2_Atom_Sequence*>(buffer); }
    LV2_Atom_Event* Event() { return lv2_atom_sequence_begin(&Sequence()->body); }
};

}  // namespace

TEST(DisplayMessage, RoundTripWithoutAllocatingAndNothingWrittenWhenFull)
{
    Forged f;
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(f.allocations, 0);
    EXPECT_EQ(f.Event()->time.frames, 7);
    EXPECT_EQ(f.Sequence()->atom.size, sizeof(LV2_Atom_Sequence_Body) + Lv2DisplayMessage::kEventSize);
    DataToGui got{};
    Overview out(99);
    ASSERT_TRUE(f.message.Read(&f.Event()->body, got, out.v));
    const DataToGui want = Block();
    EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0);
    for (int i = 0; i < kSampleOverviewFloats; ++i)  // even floats: the entry's index
        ASSERT_EQ(out.v[i].load(), i % 2 ? f.source.v[i].load() : float(i / 4)) << i;

    // One byte short of a whole message: nothing goes into the sequence.
    Forged small(sizeof(LV2_Atom_Sequence) + Lv2DisplayMessage::kEventSize - 1);
    EXPECT_FALSE(small.ok);
    EXPECT_EQ(small.Sequence()->atom.size, sizeof(LV2_Atom_Sequence_Body));
}

TEST(DisplayMessage, MalformedMessagesLeaveTheDataAlone)
{
    Forged f;
    ASSERT_TRUE(f.ok);
    const auto* atom = reinterpret_cast<const uint8_t*>(&f.Event()->body);
    const std::vector<uint8_t> good(atom, atom + sizeof(LV2_Atom) + f.Event()->body.size);
    // Offsets in the atom: object header 16, data-to-gui property at 16 (value header at 24,
    // chunk at 32), overview property at 56 (value header at 64, vector body at 72, floats at 80).
    const uint32_t nan = 0x7fc00000, inf = 0x7f800000, size = uint32_t(good.size() - 8);
    const struct {
        const char* what;  // null: unspoilt
        size_t at;
        uint32_t value;
    } cases[] = {
        {nullptr, 0, size},
        {"not an object", 4, f.Map(LV2_ATOM__Tuple)}, {"other otype", 12, f.Map("urn:other")},
        {"object smaller than its body", 0, 4}, {"property header cut off", 0, 8 + 12},
        {"chunk overruns the object", 24, 4000}, {"chunk of 20 bytes", 24, 20},
        {"block not a chunk", 28, f.Map(LV2_ATOM__String)}, {"NaN head position", 32 + 8, nan},
        {"infinite LFO phase", 32 + 20, inf}, {"overview not a vector", 68, f.Map(LV2_ATOM__Chunk)},
        {"vector of ints", 76, f.Map(LV2_ATOM__Int)}, {"vector of doubles", 72, 8},
        {"vector one float short", 64, 8 + 4 * 511},  // the object shrunk with it
        {"NaN in the overview", 80 + 4 * 300, nan}, {"overview missing", 0, 48},
        {"block missing", 16, f.Map("urn:other:key")}, {"object cut inside the vector", 0, 8 + 40 + 16 + 100},
    };
    for (const auto& c : cases) {
        alignas(8) uint8_t bytes[4096] = {};
        std::memcpy(bytes, good.data(), good.size());
        std::memcpy(bytes + c.at, &c.value, 4);
        if (c.at == 64) {
            const uint32_t shorter = size - 4;
            std::memcpy(bytes, &shorter, 4);
        }
        const bool read = c.what == nullptr;
        DataToGui got{};
        got.lfoPhase = 0.5f;
        Overview out(42);
        EXPECT_EQ(f.message.Read(reinterpret_cast<const LV2_Atom*>(bytes), got, out.v), read) << c.what;
        EXPECT_EQ(got.lfoPhase == 0.5f, !read) << c.what;
        EXPECT_EQ(out.v[5].load() == 42.f, !read) << c.what;
    }
    // Unmapped readers and null atoms take nothing.
    DataToGui got{};
    Overview out(0);
    EXPECT_FALSE(Lv2DisplayMessage().Read(reinterpret_cast<const LV2_Atom*>(good.data()), got, out.v));
    EXPECT_FALSE(f.message.Read(nullptr, got, out.v));
}
