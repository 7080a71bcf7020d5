// A fixed-capacity multi-producer, multi-consumer queue that never allocates or blocks after
// construction: push fails when full, pop fails when empty.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>

template <class T>
class BoundedQueue {
public:
    explicit BoundedQueue(size_t capacityPowerOfTwo) : mMask(capacityPowerOfTwo - 1), mCells(new Cell[capacityPowerOfTwo])
    {
        for (size_t i = 0; i < capacityPowerOfTwo; ++i) mCells[i].sequence.store(i, std::memory_order_relaxed);
    }

    bool push(const T& value)
    {
        size_t pos = mEnqueue.load(std::memory_order_relaxed);
        for (;;) {
            Cell& cell = mCells[pos & mMask];
            const size_t seq = cell.sequence.load(std::memory_order_acquire);
            const intptr_t diff = intptr_t(seq) - intptr_t(pos);
            if (diff == 0) {
                if (mEnqueue.compare_exchange_weak(pos, pos + 1, std::memory_order_relaxed)) {
                    cell.value = value;
                    cell.sequence.store(pos + 1, std::memory_order_release);
                    return true;
                }
            } else if (diff < 0) {
                return false;
            } else {
                pos = mEnqueue.load(std::memory_order_relaxed);
            }
        }
    }

    bool pop(T& out)
    {
        size_t pos = mDequeue.load(std::memory_order_relaxed);
        for (;;) {
            Cell& cell = mCells[pos & mMask];
            const size_t seq = cell.sequence.load(std::memory_order_acquire);
            const intptr_t diff = intptr_t(seq) - intptr_t(pos + 1);
            if (diff == 0) {
                if (mDequeue.compare_exchange_weak(pos, pos + 1, std::memory_order_relaxed)) {
                    out = cell.value;
                    cell.sequence.store(pos + mMask + 1, std::memory_order_release);
                    return true;
                }
            } else if (diff < 0) {
                return false;
            } else {
                pos = mDequeue.load(std::memory_order_relaxed);
            }
        }
    }

private:
    struct Cell {
        std::atomic<size_t> sequence;
        T value;
    };
    const size_t mMask;
    std::unique_ptr<Cell[]> mCells;
    alignas(64) std::atomic<size_t> mEnqueue{0};
    alignas(64) std::atomic<size_t> mDequeue{0};
};
