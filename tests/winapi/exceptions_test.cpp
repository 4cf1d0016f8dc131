// The MFC-style exceptions, thrown as pointers and released with Delete().
#include <gtest/gtest.h>

#include <WinAPI/Exceptions.h>

namespace {

// Delete() destroys a heap object through its base, not one on the stack.
TEST(CException, DeleteAndAfxThrow) {
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
  try {
    AfxThrowMemoryException();
  } catch (CMemoryException* e) {
    EXPECT_TRUE(e->m_bAutoDelete);
    e->Delete();
  }
}

}  // namespace
