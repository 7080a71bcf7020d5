// Counts the calls of the global allocation functions made on the calling thread.
#pragma once

namespace testsupport {

long ThreadAllocationCount();

// Allocations made on this thread since construction.
class AllocationScope {
public:
    AllocationScope() : mStart(ThreadAllocationCount()) {}
    long Count() const { return ThreadAllocationCount() - mStart; }

private:
    long mStart;
};

}  // namespace testsupport
