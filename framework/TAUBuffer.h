// Sample storage whose data pointer is 16-byte aligned.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <new>

template <class T>
class TAUBuffer {
public:
    TAUBuffer() = default;
    ~TAUBuffer() { Deallocate(); }
    TAUBuffer(const TAUBuffer&) = delete;
    TAUBuffer& operator=(const TAUBuffer&) = delete;

    // Contents are unspecified afterwards; nothing happens when the size is already right.
    void Allocate(size_t count)
    {
        const size_t bytes = count * sizeof(T);
        if (mMemObject && mAllocatedBytes == bytes) return;
        void* block = std::realloc(mMemObject, bytes ? bytes : 1);
        if (!block) throw std::bad_alloc();
        mMemObject = block;
        mAllocatedBytes = bytes;
        if (reinterpret_cast<uintptr_t>(block) % 16 == 0) {
            mAlignedBuffer = static_cast<T*>(block);
            return;
        }
        block = std::realloc(mMemObject, bytes + 15);
        if (!block) throw std::bad_alloc();
        mMemObject = block;
        mAlignedBuffer = reinterpret_cast<T*>((reinterpret_cast<uintptr_t>(block) + 15) & ~uintptr_t(15));
    }

    void Deallocate()
    {
        std::free(mMemObject);
        mMemObject = nullptr;
        mAlignedBuffer = nullptr;
        mAllocatedBytes = 0;
    }

    T* operator()() const { return mAlignedBuffer; }
    size_t AllocatedBytes() const { return mAllocatedBytes; }

private:
    void* mMemObject = nullptr;
    T* mAlignedBuffer = nullptr;
    size_t mAllocatedBytes = 0;
};
