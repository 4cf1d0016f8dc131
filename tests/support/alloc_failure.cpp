// operator new over malloc with a countdown that makes one allocation throw;
// the shared libraries bind to it too, so their allocations count.
#include "support/alloc_failure.h"

#include <cstdlib>
#include <new>

#include <VelUt/DravoMemoryException.h>
#include <WinAPI/Exceptions.h>

namespace {

using velut_test::AllocationFailure;

long g_countdown = 0;  // 0: disarmed
AllocationFailure::Kind g_kind = AllocationFailure::kBadAlloc;
bool g_fired = false;
std::size_t g_limit = 0;  // 0: none

void* Allocate(std::size_t size) {
  if (velut_test::AllocationFails()) {  // disarmed again, so the exception itself can be made
    if (g_kind == AllocationFailure::kMemoryException) throw new CMemoryException;
    if (g_kind == AllocationFailure::kDravoMemoryException) throw new CDravoMemoryException;
    throw std::bad_alloc();
  }
  void* p = g_limit != 0 && size > g_limit ? nullptr : std::malloc(size == 0 ? 1 : size);
  return p != nullptr ? p : throw std::bad_alloc();
}

}  // namespace

velut_test::AllocationFailure::AllocationFailure(long n, Kind kind) {
  g_kind = kind;
  g_fired = false;
  g_countdown = n;
}
velut_test::AllocationFailure::~AllocationFailure() { g_countdown = 0; }
bool velut_test::AllocationFailure::Fired() const { return g_fired; }
bool velut_test::AllocationFails() {
  if (g_countdown <= 0 || --g_countdown != 0) return false;
  return g_fired = true;
}
void velut_test::LimitAllocations(unsigned long bytes) { g_limit = bytes; }

void* operator new(std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
// The standard library's temporary buffers come from the nothrow form and go back through the
// sized delete above: from malloc too, uncounted, so the two match.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size == 0 ? 1 : size);
}
