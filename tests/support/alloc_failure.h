// Failure injection: alloc_failure.cpp, linked into a test, replaces operator new.
#pragma once

namespace velut_test {

// While alive, the n-th operator new from its construction throws `kind`.
class AllocationFailure {
 public:
  enum Kind { kMemoryException, kDravoMemoryException, kBadAlloc };

  AllocationFailure(long n, Kind kind);
  ~AllocationFailure();
  AllocationFailure(const AllocationFailure&) = delete;
  AllocationFailure& operator=(const AllocationFailure&) = delete;

  bool Fired() const;  // true once the n-th allocation has failed
};

// Counts an allocation made outside operator new (ICU's, the C library's); true if it must fail.
bool AllocationFails();

// Allocations above `bytes` throw std::bad_alloc; 0 lifts the limit.
void LimitAllocations(unsigned long bytes);

}  // namespace velut_test
