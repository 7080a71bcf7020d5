// What the engine and its editor agree on: the longest loop, the custom properties and the
// status block the engine publishes.
#pragma once

#include <atomic>

#include "platform/cf/MacTypes.h"

namespace TW {
constexpr float kMaxDelayTime = 30.0f;  // seconds
// The sample rates the effect runs at. Each channel's loop holds kMaxDelayTime of the highest.
// At the lowest the DC blocker's coefficient 1 - 126/rate is still well inside (0, 1) (0.874)
// and the lowest cutoff, 50 Hz, lies below the filter's frequency limit of a quarter of the rate.
constexpr double kMinSampleRate = 1000.0;
constexpr double kMaxSampleRate = 768000.0;
}

enum : UInt32 {
    kDataToGuiProperty = 64001,        // DataToGui, copied out
    kSampleOverviewProperty = 64003,   // address of the sample overview
};

// The 24-byte status block of property 64001.
struct DataToGui {
    UInt32 reserved0;
    UInt32 reserved1;
    Float32 headPosition;  // head position / loop length, 0..1
    UInt8 headForward;     // 1 while the head moves towards the loop end
    UInt8 spare[3];
    Float32 delayPhase;    // same as headPosition
    Float32 lfoPhase;      // filter LFO phase in cycles, [0, 1)
};
static_assert(sizeof(DataToGui) == 24, "DataToGui is six 32-bit slots");

// DataToGui as two threads share it: one thread writes it slot by slot, others copy it out. A
// copy may mix slots of two updates, never a torn slot.
class SharedDataToGui {
public:
    void SetHead(Float32 position, bool forward)
    {
        mHeadPosition.store(position, std::memory_order_relaxed);
        mHeadForward.store(forward ? 1 : 0, std::memory_order_relaxed);
        mDelayPhase.store(position, std::memory_order_relaxed);
    }
    void SetLfoPhase(Float32 cycles) { mLfoPhase.store(cycles, std::memory_order_relaxed); }
    void Store(const DataToGui& d)
    {
        mHeadPosition.store(d.headPosition, std::memory_order_relaxed);
        mHeadForward.store(d.headForward, std::memory_order_relaxed);
        mDelayPhase.store(d.delayPhase, std::memory_order_relaxed);
        mLfoPhase.store(d.lfoPhase, std::memory_order_relaxed);
    }
    DataToGui Load() const
    {
        DataToGui d{};
        d.headPosition = mHeadPosition.load(std::memory_order_relaxed);
        d.headForward = mHeadForward.load(std::memory_order_relaxed);
        d.delayPhase = mDelayPhase.load(std::memory_order_relaxed);
        d.lfoPhase = mLfoPhase.load(std::memory_order_relaxed);
        return d;
    }

private:
    std::atomic<Float32> mHeadPosition{0.f};
    std::atomic<UInt8> mHeadForward{0};
    std::atomic<Float32> mDelayPhase{0.f};
    std::atomic<Float32> mLfoPhase{0.f};
};

// The sample overview: 256 entries (k, lower_k, k, upper_k), 512 (x, y) vertices. The engine
// writes it with relaxed atomic stores; std::atomic<float> has the layout of float.
constexpr int kSampleOverviewEntries = 256;
constexpr int kSampleOverviewFloats = 4 * kSampleOverviewEntries;
static_assert(sizeof(std::atomic<float>) == sizeof(float) && std::atomic<float>::is_always_lock_free,
              "overview floats are plain floats in memory");

// An overview of silence: every entry k at (k, 0) and (k, 0).
inline void ClearSampleOverview(std::atomic<float>* overview)
{
    for (int k = 0; k < kSampleOverviewEntries; ++k) {
        overview[4 * k + 0].store(float(k), std::memory_order_relaxed);
        overview[4 * k + 1].store(0.f, std::memory_order_relaxed);
        overview[4 * k + 2].store(float(k), std::memory_order_relaxed);
        overview[4 * k + 3].store(0.f, std::memory_order_relaxed);
    }
}
