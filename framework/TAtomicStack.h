// A lock-free LIFO of nodes linked through their `next` member.
//
// Push is safe from any number of threads. Pop is safe against concurrent pushes but only one
// thread may pop at a time (with several poppers a node could be popped and pushed back between
// another popper's read of `next` and its compare-and-swap); callers with several popping
// threads serialise their pops. PopAll takes the whole stack at once and is always safe.
#pragma once

#include <atomic>

template <class T>
class TAtomicStack {
public:
    TAtomicStack() = default;
    TAtomicStack(const TAtomicStack&) = delete;
    TAtomicStack& operator=(const TAtomicStack&) = delete;

    void push_atomic(T* node)
    {
        T* top = mHead.load(std::memory_order_relaxed);
        do {
            node->next = top;
        } while (!mHead.compare_exchange_weak(top, node, std::memory_order_release, std::memory_order_relaxed));
    }

    T* pop_atomic()
    {
        T* top = mHead.load(std::memory_order_acquire);
        while (top && !mHead.compare_exchange_weak(top, top->next, std::memory_order_acquire,
                                                    std::memory_order_acquire)) {
        }
        if (top) top->next = nullptr;
        return top;
    }

    T* pop_all() { return mHead.exchange(nullptr, std::memory_order_acquire); }

    bool empty() const { return mHead.load(std::memory_order_relaxed) == nullptr; }

private:
    std::atomic<T*> mHead{nullptr};
};
