#include "support/AUPropertyRecorder.h"

#include <algorithm>

#include "platform/audio/AudioUnitCalls.h"

AUPropertyRecorder::AUPropertyRecorder(AudioUnit unit, size_t capacity)
    : mUnit(unit), mEntries(new Entry[capacity]), mCapacity(capacity)
{
}

AUPropertyRecorder::~AUPropertyRecorder()
{
    for (AudioUnitPropertyID id : mListening) AudioUnitRemovePropertyListener(mUnit, id, &Proc);
}

OSStatus AUPropertyRecorder::Listen(AudioUnitPropertyID id)
{
    if (std::find(mListening.begin(), mListening.end(), id) != mListening.end()) return noErr;
    const OSStatus result = AudioUnitAddPropertyListener(mUnit, id, &Proc, this);
    if (result == noErr) mListening.push_back(id);
    return result;
}

void AUPropertyRecorder::Proc(void* refCon, AudioUnit, AudioUnitPropertyID id, AudioUnitScope scope,
                              AudioUnitElement element)
{
    auto* self = static_cast<AUPropertyRecorder*>(refCon);
    const size_t slot = self->mCount.fetch_add(1, std::memory_order_relaxed);
    if (slot < self->mCapacity) self->mEntries[slot] = Entry{id, scope, element};
}

size_t AUPropertyRecorder::Count(AudioUnitPropertyID id) const
{
    const size_t n = std::min(Count(), mCapacity);
    return size_t(std::count_if(mEntries.get(), mEntries.get() + n, [id](const Entry& e) { return e.id == id; }));
}

std::vector<AUPropertyRecorder::Entry> AUPropertyRecorder::Entries() const
{
    const size_t n = std::min(Count(), mCapacity);
    return std::vector<Entry>(mEntries.get(), mEntries.get() + n);
}
