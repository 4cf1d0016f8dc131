// The MFC-style exceptions, thrown as pointers and released with Delete(),
// and the current resource module.
#include <gtest/gtest.h>

#include <WinAPI/Exceptions.h>
#include <WinAPI/Resource.h>

namespace {

// Delete() destroys a heap object, through its base class, and leaves one
// on the stack alone; the AfxThrow functions throw new objects.
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
  try {
    AfxThrowOleException(static_cast<SCODE>(0x80030002u));
  } catch (COleException* e) {
    EXPECT_EQ(e->m_sc, static_cast<SCODE>(0x80030002u));
    e->Delete();
  }
}

TEST(AfxResourceHandle, IsWhatWasSetLast) {
  EXPECT_EQ(AfxGetResourceHandle(), nullptr);  // nothing set yet
  int module = 0;
  AfxSetResourceHandle(&module);
  EXPECT_EQ(AfxGetResourceHandle(), &module);
  AfxSetResourceHandle(nullptr);
  EXPECT_EQ(AfxGetResourceHandle(), nullptr);
}

}  // namespace
