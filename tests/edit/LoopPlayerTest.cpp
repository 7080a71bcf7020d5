// The player behind `flummel edit`: the input repeats seamlessly whatever the block sizes, calls
// longer than the unit's slice are split, and rendering allocates nothing.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/FlummelParameters.h"
#include "engine/TrWkFlummelEntry.h"
#include "host/AUHost.h"
#include "host/flummel/LoopPlayer.h"
#include "tests/support/AllocCounter.h"

TEST(LoopPlayer, RepeatsTheInputAcrossAnyBlocksWithoutAllocating)
{
    AudioSignal input{.sampleRate = 48000, .channels = {std::vector<float>(97), std::vector<float>(97)}};
    for (size_t i = 0; i < 97; ++i) {
        input.channels[0][i] = float(i + 1) / 128.f;
        input.channels[1][i] = -float(i + 1) / 256.f;
    }
    RegisterTrWkFlummel();
    std::unique_ptr<AUHost> host;
    ASSERT_EQ(AUHost::Open(TrWkFlummelDescription(), host), noErr);
    ASSERT_EQ(host->SetFormat(input.sampleRate, 2), noErr);
    ASSERT_EQ(host->SetMaxFramesPerSlice(LoopPlayer::kMaxBlock), noErr);
    // Only the dry signal: the output is the input as the player fed it.
    ASSERT_EQ(host->SetParameter(kParam_DryLevel, 1.f), noErr);
    ASSERT_EQ(host->SetParameter(kParam_EffectLevel, 0.f), noErr);
    ASSERT_EQ(host->Initialize(), noErr);
    LoopPlayer player(*host, input);

    const UInt32 blocks[] = {1, 96, 97, 200, LoopPlayer::kMaxBlock + 300};
    std::vector<std::vector<float>> out(2, std::vector<float>(1 + 96 + 97 + 200 + LoopPlayer::kMaxBlock + 300, 99.f));
    size_t done = 0;
    testsupport::AllocationScope allocations;
    for (UInt32 b : blocks) {
        float* planes[2] = {out[0].data() + done, out[1].data() + done};
        player.Render(planes, b);
        done += b;
    }
    EXPECT_EQ(allocations.Count(), 0);
    EXPECT_EQ(player.Failures(), 0u);
    for (size_t c = 0; c < 2; ++c)
        for (size_t i = 0; i < done; ++i)
            ASSERT_NEAR(out[c][i], input.channels[c][i % 97], 1e-4f) << "channel " << c << " frame " << i;
}
