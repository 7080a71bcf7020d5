// The LV2 state: one property with the class-info dictionary as XML property-list text;
// restoring it reproduces the sound, bad properties are refused without effect, and saving
// may run beside the audio thread.
#include <gtest/gtest.h>

#include <lv2/atom/atom.h>

#include <atomic>
#include <thread>

#include "engine/TrWkFlummelEntry.h"
#include "lv2/Settings.h"
#include "platform/audio/AudioUnitCalls.h"
#include "platform/cf/CFData.h"
#include "platform/cf/CFDictionary.h"
#include "platform/cf/CFPropertyList.h"
#include "platform/cf/CFString.h"

namespace {

constexpr const char* kKey = "urn:flummel:lv2:class-info";

struct Stored {
    std::string key;
    std::string type;
    uint32_t flags = 0;
    std::string value;
    int calls = 0;
};

LV2_State_Status Store(LV2_State_Handle handle, uint32_t key, const void* value, size_t size, uint32_t type,
                       uint32_t flags)
{
    auto* s = static_cast<Stored*>(handle);
    UridMap& map = Lv2World::Get().Map();
    s->key = map.Unmap(key);
    s->type = map.Unmap(type);
    s->flags = flags;
    s->value.assign(static_cast<const char*>(value), size);
    ++s->calls;
    return LV2_STATE_SUCCESS;
}

const void* Retrieve(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags)
{
    auto* s = static_cast<Stored*>(handle);
    UridMap& map = Lv2World::Get().Map();
    if (s->calls == 0 || key != map.Map(s->key.c_str())) return nullptr;
    *size = s->value.size();
    *type = map.Map(s->type.c_str());
    *flags = s->flags;
    return s->value.data();
}

class Lv2StateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(source.Valid() && target.Valid());
        for (const Setting& s : kBusy) source.Control(s.symbol) = s.value;
        Signal out(2, std::vector<float>(in[0].size()));
        source.Run(in, out, 0, 256);  // the ports reach the effect
    }
    LV2_State_Status Save(Lv2Instance& from, Stored& into)
    {
        return from.State()->save(from.Handle(), Store, &into, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, nullptr);
    }
    LV2_State_Status Restore(Lv2Instance& to, Stored& from)
    {
        return to.State()->restore(to.Handle(), Retrieve, &from, 0, nullptr);
    }
    // The target sounds like a fresh effect with these settings.
    void ExpectSoundOf(const std::vector<Setting>& settings)
    {
        Reference reference(2);
        for (const Setting& s : settings) reference.Set(s.id, s.value);
        EXPECT_EQ(MaxAbsDifference(target.Process(in, 512), reference.Process(in, 512)), 0.f);
    }

    const Signal in = TestSignal(2, 20000);
    Lv2Instance source{kStereoUri};
    Lv2Instance target{kStereoUri};
};

TEST_F(Lv2StateTest, SavesTheClassInfoAsAPortableXmlString)
{
    Stored stored;
    ASSERT_EQ(Save(source, stored), LV2_STATE_SUCCESS);
    EXPECT_EQ(stored.calls, 1);
    EXPECT_EQ(stored.key, kKey);
    EXPECT_EQ(stored.type, LV2_ATOM__String);
    EXPECT_EQ(stored.flags, unsigned(LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE));
    ASSERT_FALSE(stored.value.empty());
    EXPECT_EQ(stored.value.back(), '\0');
    EXPECT_EQ(stored.value.rfind("<?xml", 0), 0u);

    // The dictionary holds the port values: a directly hosted effect restored from it has them.
    const CFRef<CFDataRef> xml(CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(stored.value.data()),
                                            CFIndex(stored.value.size() - 1)));
    const CFRef<CFPropertyListRef> plist(CFPropertyListCreateFromXMLData(nullptr, xml, 0, nullptr));
    ASSERT_TRUE(plist);
    ASSERT_EQ(CFGetTypeID(plist), CFDictionaryGetTypeID());
    RegisterTrWkFlummel();
    std::unique_ptr<AUHost> host;
    ASSERT_EQ(AUHost::Open(TrWkFlummelDescription(), host), noErr);
    const CFPropertyListRef ref = plist.get();
    ASSERT_EQ(AudioUnitSetProperty(host->Unit(), kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &ref,
                                   sizeof ref),
              noErr);
    for (const Setting& s : kBusy) {
        float v = -1;
        EXPECT_EQ(host->GetParameter(s.id, v), noErr);
        EXPECT_EQ(v, s.value) << s.symbol;
    }
}

// The target's ports stay at their defaults, so the restored values hold until a port moves.
TEST_F(Lv2StateTest, RestoringReproducesTheSoundUntilAPortMoves)
{
    Stored stored;
    ASSERT_EQ(Save(source, stored), LV2_STATE_SUCCESS);
    ASSERT_EQ(Restore(target, stored), LV2_STATE_SUCCESS);
    ExpectSoundOf(kBusy);
}

TEST_F(Lv2StateTest, AMovedPortOverridesTheRestoredValue)
{
    Stored stored;
    ASSERT_EQ(Save(source, stored), LV2_STATE_SUCCESS);
    ASSERT_EQ(Restore(target, stored), LV2_STATE_SUCCESS);
    target.Control("feedback") = 15.f;
    std::vector<Setting> expected = kBusy;
    expected.push_back({"feedback", kParam_Feedback, 15.f});
    ExpectSoundOf(expected);
}

TEST_F(Lv2StateTest, BadPropertiesAreRefusedWithoutEffect)
{
    Stored good;
    ASSERT_EQ(Save(source, good), LV2_STATE_SUCCESS);

    Stored missing;
    EXPECT_EQ(Restore(target, missing), LV2_STATE_ERR_NO_PROPERTY);

    Stored wrongType = good;
    wrongType.type = LV2_ATOM__Int;
    EXPECT_EQ(Restore(target, wrongType), LV2_STATE_ERR_BAD_TYPE);

    Stored truncated = good;
    truncated.value.resize(truncated.value.size() / 2);
    EXPECT_EQ(Restore(target, truncated), LV2_STATE_ERR_UNKNOWN);

    Stored foreign = good;  // another component's dictionary
    const std::string subtype = "<key>subtype</key>\n\t<integer>";
    const size_t at = foreign.value.find(subtype);
    ASSERT_NE(at, std::string::npos) << foreign.value;
    foreign.value.insert(at + subtype.size(), "1");
    EXPECT_EQ(Restore(target, foreign), LV2_STATE_ERR_UNKNOWN);

    ExpectSoundOf({});
}

TEST_F(Lv2StateTest, TextWithoutTerminatorOrAsChunkIsAccepted)
{
    Stored chunk;
    ASSERT_EQ(Save(source, chunk), LV2_STATE_SUCCESS);
    chunk.type = LV2_ATOM__Chunk;
    chunk.value.pop_back();
    ASSERT_EQ(Restore(target, chunk), LV2_STATE_SUCCESS);
    ExpectSoundOf(kBusy);
}

TEST(Lv2StateWithoutMap, IsUnavailableButTheEffectRuns)
{
    Lv2Instance plugin(kStereoUri, 44100.0, false);
    ASSERT_TRUE(plugin.Valid());
    Stored stored;
    EXPECT_EQ(plugin.State()->save(plugin.Handle(), Store, &stored, 0, nullptr), LV2_STATE_ERR_NO_FEATURE);
    EXPECT_EQ(plugin.State()->restore(plugin.Handle(), Retrieve, &stored, 0, nullptr), LV2_STATE_ERR_NO_FEATURE);
    EXPECT_EQ(stored.calls, 0);

    Reference reference(2);
    const Signal in = TestSignal(2, 10000);
    EXPECT_EQ(MaxAbsDifference(plugin.Process(in, 256), reference.Process(in, 256)), 0.f);
}

// Hosts may save while the audio thread runs the plug-in.
TEST_F(Lv2StateTest, SavingBesideTheAudioThread)
{
    std::atomic<bool> running{false}, stop{false};
    std::thread audio([&] {
        Signal out(2, std::vector<float>(in[0].size()));
        for (int n = 0; !stop.load(); ++n) {
            source.Control("feedback") = float(n % 100);
            source.Run(in, out, size_t(n % 30) * 256, 256);
            running.store(true);
        }
    });
    while (!running.load()) std::this_thread::yield();
    int failures = 0;
    for (int n = 0; n < 200; ++n) {
        Stored stored;
        failures += Save(source, stored) != LV2_STATE_SUCCESS;
    }
    stop.store(true);
    audio.join();
    EXPECT_EQ(failures, 0);
}

}  // namespace
