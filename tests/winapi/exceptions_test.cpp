// The MFC-style exceptions, thrown as pointers and released with Delete()
// (the throwing functions are reached through the allocation-failure and
// file-status tests).
#include <gtest/gtest.h>

#include <WinAPI/Exceptions.h>

namespace {

// Delete() destroys a heap object through its base, not one on the stack.
TEST(CException, DeleteFreesOnlyHeapObjects) {
  struct Probe : CMemoryException {
    Probe(bool* destroyed, bool heap) : CMemoryException(heap), destroyed(destroyed) {}
    ~Probe() override { *destroyed = true; }
    bool* destroyed;
  };
  bool destroyed = false;
  Probe on_stack(&destroyed, false);
  on_stack.Delete();
  EXPECT_FALSE(destroyed);
  static_cast<CException*>(new Probe(&destroyed, true))->Delete();
  EXPECT_TRUE(destroyed);
}

}  // namespace
