// Replaces the global operator new and delete of the test executable with
// malloc and free, plus a countdown that makes one chosen allocation throw.
// Shared libraries loaded by the executable bind to these definitions, so
// allocations inside libVelUt and the standard library are counted too.
// Under AddressSanitizer, malloc and free are its own, so it still sees
// every allocation.
#include "support/alloc_failure.h"

#include <cstdlib>
#include <new>

#include <VelUt/DravoMemoryException.h>
#include <WinAPI/Exceptions.h>

namespace {

long g_countdown = 0;  // 0: disarmed
test_support::AllocationFailure::Kind g_kind = test_support::AllocationFailure::kBadAlloc;
bool g_fired = false;
std::size_t g_limit = 0;  // 0: none

void* Allocate(std::size_t size) {
  if (g_countdown > 0 && --g_countdown == 0) {
    g_fired = true;
    // The countdown is 0 again, so this allocation succeeds.
    switch (g_kind) {
      case test_support::AllocationFailure::kMemoryException:
        throw new CMemoryException;
      case test_support::AllocationFailure::kDravoMemoryException:
        throw new CDravoMemoryException;
      case test_support::AllocationFailure::kBadAlloc:
        break;
    }
    throw std::bad_alloc();
  }
  if (g_limit != 0 && size > g_limit) throw std::bad_alloc();
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

}  // namespace

namespace test_support {

AllocationFailure::AllocationFailure(long n, Kind kind) {
  g_kind = kind;
  g_fired = false;
  g_countdown = n;
}

AllocationFailure::~AllocationFailure() { g_countdown = 0; }

bool AllocationFailure::Fired() const { return g_fired; }

void LimitAllocations(unsigned long bytes) { g_limit = bytes; }

}  // namespace test_support

void* operator new(std::size_t size) { return Allocate(size); }

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (CMemoryException* e) {
    e->Delete();
    return nullptr;
  } catch (CDravoMemoryException* e) {
    e->Delete();
    return nullptr;
  } catch (...) {
    return nullptr;
  }
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
