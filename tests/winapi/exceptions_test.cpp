// The MFC-style exceptions, thrown as pointers and released with Delete().
#include <gtest/gtest.h>

#include <WinAPI/Exceptions.h>
#include <WinAPI/Guid.h>

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

// The code thrown is the one given, failure or success alike.
TEST(AfxThrowOleException, ThrowsItsCode) {
  const SCODE codes[] = {E_OUTOFMEMORY, CO_E_CLASSSTRING, S_OK, static_cast<SCODE>(0x80000000),
                         0x7FFFFFFF};
  for (const SCODE sc : codes) {
    try {
      AfxThrowOleException(sc);
    } catch (COleException* e) {
      EXPECT_EQ(sc, e->m_sc) << "the code given";
      EXPECT_TRUE(e->m_bAutoDelete) << "on the heap, for Delete()";
      e->Delete();
    }
  }
}

}  // namespace
