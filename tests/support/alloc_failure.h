// Failure injection for the memory-exhaustion paths: while an
// AllocationFailure is alive, the n-th call of the global operator new
// (counted from its construction) throws instead of allocating. Link
// alloc_failure.cpp into the test executable that uses it.
#pragma once

namespace test_support {

class AllocationFailure {
 public:
  // What the failing allocation throws.
  enum Kind {
    kMemoryException,       // new CMemoryException
    kDravoMemoryException,  // new CDravoMemoryException
    kBadAlloc,              // std::bad_alloc
  };

  AllocationFailure(long n, Kind kind);
  ~AllocationFailure();
  AllocationFailure(const AllocationFailure&) = delete;
  AllocationFailure& operator=(const AllocationFailure&) = delete;

  // True once the n-th allocation has been made to fail.
  bool Fired() const;
};

// LimitAllocations: from now on every allocation of more than `bytes`
// throws std::bad_alloc, as on a machine with no more memory free than
// that; 0 lifts the limit.
void LimitAllocations(unsigned long bytes);

}  // namespace test_support
