// Bad input from a host: sample rates the effect cannot take, missing or empty features, and
// time-port sequences whose sizes lie. Refused cleanly or ignored, never read past.
#include <gtest/gtest.h>

#include <lv2/atom/atom.h>
#include <lv2/time/time.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "lv2/Settings.h"
#include "plugins/lv2/Lv2Descriptor.h"

namespace {

// The descriptor called directly, so that no host library tidies up what reaches the plug-in.
LV2_Handle Instantiate(double rate, const LV2_Feature* const* features)
{
    const LV2_Descriptor* d = Lv2Descriptor::At(0);
    return d->instantiate(d, rate, "/nowhere/", features);
}

TEST(Lv2HostInput, SampleRatesTheEffectCannotTakeAreRefused)
{
    const LV2_Feature* none[] = {nullptr};
    for (double rate : {0.0, -44100.0, 62.0, 999.0, std::nan(""), std::numeric_limits<double>::infinity(), 1e9}) {
        SCOPED_TRACE(rate);
        EXPECT_EQ(Instantiate(rate, none), nullptr);
    }
    for (double rate : {1000.0, 22050.0, 192000.0}) {
        SCOPED_TRACE(rate);
        LV2_Handle h = Instantiate(rate, none);
        EXPECT_NE(h, nullptr);
        if (h) Lv2Descriptor::At(0)->cleanup(h);
    }
}

LV2_State_Status Discard(LV2_State_Handle, uint32_t, const void*, size_t, uint32_t, uint32_t)
{
    return LV2_STATE_SUCCESS;
}

// Without a usable map the plug-in still runs; only its state is unavailable.
TEST(Lv2HostInput, NullOrEmptyFeaturesStillGiveAWorkingInstance)
{
    LV2_URID_Map noFunction{nullptr, nullptr};
    const LV2_Feature nullData{LV2_URID__map, nullptr};
    const LV2_Feature emptyMap{LV2_URID__map, &noFunction};
    const LV2_Feature nullUri{nullptr, nullptr};
    const LV2_Feature* lists[][3] = {{&nullData, nullptr, nullptr}, {&emptyMap, nullptr, nullptr},
                                     {&nullUri, &nullData, nullptr}};
    const LV2_Feature* const* featureLists[] = {nullptr, lists[0], lists[1], lists[2]};
    for (const LV2_Feature* const* features : featureLists) {
        const LV2_Descriptor* d = Lv2Descriptor::At(0);
        LV2_Handle h = Instantiate(44100.0, features);
        ASSERT_NE(h, nullptr);
        float in[2][64] = {}, out[2][64];
        for (uint32_t c = 0; c < 2; ++c) {
            d->connect_port(h, c, in[c]);
            d->connect_port(h, 2 + c, out[c]);
        }
        d->activate(h);
        d->run(h, 64);
        const auto* state = static_cast<const LV2_State_Interface*>(d->extension_data(LV2_STATE__interface));
        EXPECT_EQ(state->save(h, Discard, nullptr, 0, nullptr), LV2_STATE_ERR_NO_FEATURE);
        EXPECT_EQ(state->save(h, nullptr, nullptr, 0, nullptr), LV2_STATE_ERR_UNKNOWN);
        EXPECT_EQ(state->restore(h, nullptr, nullptr, 0, nullptr), LV2_STATE_ERR_UNKNOWN);
        d->deactivate(h);
        d->cleanup(h);
    }
}

// Builds a time-port buffer of exactly the bytes written, so that reading past them is caught.
class SequenceBytes {
public:
    SequenceBytes& Add(const void* data, size_t size)
    {
        const auto* bytes = static_cast<const uint8_t*>(data);
        mBytes.insert(mBytes.end(), bytes, bytes + size);
        return *this;
    }
    SequenceBytes& U32(uint32_t v) { return Add(&v, sizeof v); }
    SequenceBytes& I64(int64_t v) { return Add(&v, sizeof v); }
    SequenceBytes& F32(float v) { return Add(&v, sizeof v); }
    std::vector<uint8_t>& Bytes() { return mBytes; }

private:
    std::vector<uint8_t> mBytes;
};

class Lv2HostSequence : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(plugin.Valid());
        Apply(kBusy, plugin, reference);
        Apply(kFollowTempo, plugin, reference);
    }
    LV2_URID Map(const char* uri) { return Lv2World::Get().Map().Map(uri); }

    // Sequence header; `size` is what the atom claims.
    SequenceBytes Head(uint32_t size)
    {
        SequenceBytes s;
        s.U32(size).U32(Map(LV2_ATOM__Sequence)).U32(0).U32(0);
        return s;
    }

    // Runs with the buffer on the time port: the sound is that of no tempo at all.
    void ExpectIgnored(std::vector<uint8_t>& bytes)
    {
        const std::vector<uint8_t> exact(bytes);  // the heap block ends where the bytes do
        plugin.ConnectTimeTo(exact.data());
        EXPECT_EQ(MaxAbsDifference(plugin.Process(in, 512), reference.Process(in, 512)), 0.f);
    }

    const std::vector<Setting> kFollowTempo = {{"host_tempo", kParam_HostTempo, 1.f},
                                               {"lfo_host_tempo", kParam_LfoHostTempo, 1.f}};
    const Signal in = TestSignal(2, 8192);
    Lv2Instance plugin{kStereoUri};
    Reference reference{2};
};

TEST_F(Lv2HostSequence, AnEventHeaderCutOffByTheSequenceEndIsIgnored)
{
    SequenceBytes s = Head(sizeof(LV2_Atom_Sequence_Body) + 8);
    s.I64(0);  // the frame time, then the buffer ends
    ExpectIgnored(s.Bytes());
}

// A complete tempo event whose atom claims more bytes than the sequence holds.
TEST_F(Lv2HostSequence, AnEventLongerThanItsSequenceIsIgnored)
{
    const uint32_t object = sizeof(LV2_Atom_Object_Body) + sizeof(LV2_Atom_Property_Body) + 8;
    SequenceBytes s = Head(sizeof(LV2_Atom_Sequence_Body) + sizeof(LV2_Atom_Event) + object);
    s.I64(0).U32(object + 64).U32(Map(LV2_ATOM__Object));
    s.U32(0).U32(Map(LV2_TIME__Position));
    s.U32(Map(LV2_TIME__beatsPerMinute)).U32(0).U32(sizeof(float)).U32(Map(LV2_ATOM__Float)).F32(120.f).U32(0);
    ExpectIgnored(s.Bytes());
}

// An object whose last property's header or value runs past the object's end.
TEST_F(Lv2HostSequence, APropertyCutOffByTheObjectEndIsIgnored)
{
    for (uint32_t cut : {4u, 12u, 16u}) {
        SCOPED_TRACE(cut);
        const uint32_t object = sizeof(LV2_Atom_Object_Body) + cut;
        SequenceBytes s = Head(sizeof(LV2_Atom_Sequence_Body) + sizeof(LV2_Atom_Event) + object);
        s.I64(0).U32(object).U32(Map(LV2_ATOM__Object));
        s.U32(0).U32(Map(LV2_TIME__Position));
        SequenceBytes property;
        property.U32(Map(LV2_TIME__beatsPerMinute)).U32(0).U32(sizeof(float)).U32(Map(LV2_ATOM__Float)).F32(120.f);
        s.Add(property.Bytes().data(), cut);
        ExpectIgnored(s.Bytes());
    }
}

TEST_F(Lv2HostSequence, SequenceSizesBelowTheBodyAndOtherAtomTypesAreIgnored)
{
    SequenceBytes tiny = Head(4);
    ExpectIgnored(tiny.Bytes());
    SequenceBytes notSequence;
    notSequence.U32(8).U32(Map(LV2_ATOM__Int)).U32(0).U32(0);
    ExpectIgnored(notSequence.Bytes());
}

}  // namespace
