// Records the property-change notifications of one unit for the properties it listens to.
// Notifications may arrive on any thread; recording neither locks nor allocates, and
// notifications beyond the capacity are counted but not kept. Read the record once the
// notifying calls have returned.
// Destroy the recorder before the unit is closed.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <vector>

#include "platform/audio/AudioUnitTypes.h"

class AUPropertyRecorder {
public:
    struct Entry {
        AudioUnitPropertyID id;
        AudioUnitScope scope;
        AudioUnitElement element;
    };

    explicit AUPropertyRecorder(AudioUnit unit, size_t capacity = 1024);
    ~AUPropertyRecorder();
    AUPropertyRecorder(const AUPropertyRecorder&) = delete;
    AUPropertyRecorder& operator=(const AUPropertyRecorder&) = delete;

    OSStatus Listen(AudioUnitPropertyID id);

    // Notifications received, including those past the capacity.
    size_t Count() const { return mCount.load(std::memory_order_relaxed); }
    size_t Count(AudioUnitPropertyID id) const;
    // The kept notifications in arrival order.
    std::vector<Entry> Entries() const;
    // Call only while no notification can arrive.
    void Clear() { mCount.store(0, std::memory_order_relaxed); }

private:
    static void Proc(void* refCon, AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                     AudioUnitElement element);

    AudioUnit mUnit;
    std::vector<AudioUnitPropertyID> mListening;
    std::unique_ptr<Entry[]> mEntries;
    size_t mCapacity;
    std::atomic<size_t> mCount{0};
};
