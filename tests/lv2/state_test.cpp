// The LV2 state: one property with the class-info dictionary as XML property-list text;
// restoring it reproduces the sound, bad properties are refused without effect, and saving may
// run beside the audio thread.
#include <gtest/gtest.h>

#include <lv2/atom/atom.h>

#include <atomic>
#include <functional>
#include <tuple>
#include <thread>

#include "lv2/Lv2Harness.h"

namespace {

struct Stored {
    std::string key, type;
    uint32_t flags = 0;
    std::string value;
    int calls = 0;
};

LV2_State_Status Store(LV2_State_Handle handle, uint32_t key, const void* value, size_t size, uint32_t type,
                       uint32_t flags)
{
    auto* s = static_cast<Stored*>(handle);
    UridMap& map = Lv2World::Get().Map();
    *s = {map.Unmap(key), map.Unmap(type), flags, std::string(static_cast<const char*>(value), size), s->calls + 1};
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
        Apply(kBusy, &source, nullptr);
        Signal out(2, std::vector<float>(in[0].size()));
        source.Run(in, out, 0, 256);  // the ports reach the effect
        ASSERT_EQ(source.State()->save(source.Handle(), Store, &saved, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE,
                                       nullptr),
                  LV2_STATE_SUCCESS);
    }
    // A fresh plug-in restored from `stored` answers `status` and then sounds like a fresh effect
    // with `settings`; `move` may set its ports first.
    void ExpectRestore(const Stored& stored, LV2_State_Status status, const std::vector<Setting>& settings,
                       const std::function<void(Lv2Instance&)>& move = {})
    {
        Lv2Instance target(kStereoUri);
        EXPECT_EQ(target.State()->restore(target.Handle(), Retrieve, const_cast<Stored*>(&stored), 0, nullptr), status);
        if (move) move(target);
        Reference reference(2);
        Apply(settings, nullptr, &reference);
        EXPECT_EQ(MaxAbsDifference(target.Process(in, 512), reference.Process(in, 512)), 0.f);
    }

    const Signal in = TestSignal(2, 20000);
    Lv2Instance source{kStereoUri};
    Stored saved;
};

// One portable XML string; the target's ports stay at their defaults, so the restored values
// hold until a port moves.
TEST_F(Lv2StateTest, RestoringReproducesTheSoundUntilAPortMoves)
{
    EXPECT_EQ(std::make_tuple(saved.calls, saved.key, saved.type, saved.flags),
              std::make_tuple(1, "urn:flummel:lv2:class-info", LV2_ATOM__String, unsigned(LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE)));
    EXPECT_TRUE(saved.value.starts_with("<?xml") && saved.value.ends_with('\0')) << saved.value;
    ExpectRestore(saved, LV2_STATE_SUCCESS, kBusy);
    std::vector<Setting> moved = kBusy;
    moved.push_back({"feedback", kParam_Feedback, 15.f});
    ExpectRestore(saved, LV2_STATE_SUCCESS, moved, [](Lv2Instance& target) { target.Control("feedback") = 15.f; });
    Stored chunk = saved;  // text without its terminator, as a chunk
    chunk.type = LV2_ATOM__Chunk;
    chunk.value.pop_back();
    ExpectRestore(chunk, LV2_STATE_SUCCESS, kBusy);
}

TEST_F(Lv2StateTest, BadPropertiesAreRefusedWithoutEffect)
{
    ExpectRestore(Stored{}, LV2_STATE_ERR_NO_PROPERTY, {});
    Stored wrongType = saved;
    wrongType.type = LV2_ATOM__Int;
    ExpectRestore(wrongType, LV2_STATE_ERR_BAD_TYPE, {});
    Stored truncated = saved;
    truncated.value.resize(truncated.value.size() / 2);
    ExpectRestore(truncated, LV2_STATE_ERR_UNKNOWN, {});
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
        failures += source.State()->save(source.Handle(), Store, &stored, 0, nullptr) != LV2_STATE_SUCCESS;
    }
    stop.store(true);
    audio.join();
    EXPECT_EQ(failures, 0);
}

}  // namespace
