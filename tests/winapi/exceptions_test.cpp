// The MFC-style exceptions (thrown as pointers, released with Delete())
// and the current resource module.
#include <gtest/gtest.h>

#include <WinAPI/Exceptions.h>
#include <WinAPI/Resource.h>

namespace {

// Records its own destruction, so that a test can see whether Delete()
// really destroyed the object.
class ProbeException : public CException {
 public:
  ProbeException(bool* destroyed, bool autoDelete)
      : CException(autoDelete), destroyed_(destroyed) {}
  ~ProbeException() override { *destroyed_ = true; }

 private:
  bool* destroyed_;
};

TEST(Exceptions, HeapObjectsDeleteThemselves) {
  CException base;
  EXPECT_TRUE(base.m_bAutoDelete);
  CMemoryException memory;
  EXPECT_TRUE(memory.m_bAutoDelete);
  COleException ole;
  EXPECT_TRUE(ole.m_bAutoDelete);
  EXPECT_EQ(ole.m_sc, 0);

  bool destroyed = false;
  CException* e = new ProbeException(&destroyed, true);
  e->Delete();  // through the base: the derived destructor must run
  EXPECT_TRUE(destroyed);
}

TEST(Exceptions, DeleteOnAStackObjectDoesNothing) {
  bool destroyed = false;
  {
    ProbeException probe(&destroyed, false);
    probe.Delete();
    EXPECT_FALSE(destroyed);
    probe.Delete();  // still there, still harmless
    EXPECT_FALSE(destroyed);
  }
  EXPECT_TRUE(destroyed);  // by leaving the scope

  CMemoryException memory(false);
  memory.Delete();
  EXPECT_FALSE(memory.m_bAutoDelete);
  COleException ole(5, false);
  ole.Delete();
  EXPECT_EQ(ole.m_sc, 5);
}

TEST(Exceptions, ThrownAsPointers) {
  bool caught = false;
  try {
    throw new CMemoryException();
  } catch (CMemoryException* e) {
    caught = true;
    e->Delete();
  }
  EXPECT_TRUE(caught);

  caught = false;
  try {
    throw new CMemoryException();
  } catch (CException* e) {  // caught through its base
    caught = true;
    EXPECT_NE(dynamic_cast<CMemoryException*>(e), nullptr);
    e->Delete();
  }
  EXPECT_TRUE(caught);
}

TEST(Exceptions, OleExceptionKeepsItsStatus) {
  const SCODE kStatus = static_cast<SCODE>(0x80030002u);  // a storage failure
  try {
    AfxThrowOleException(kStatus);
  } catch (COleException* e) {
    EXPECT_EQ(e->m_sc, kStatus);
    EXPECT_TRUE(e->m_bAutoDelete);
    e->Delete();
  }

  try {
    AfxThrowOleException(7);
  } catch (CException* e) {
    auto* ole = dynamic_cast<COleException*>(e);
    ASSERT_NE(ole, nullptr);
    EXPECT_EQ(ole->m_sc, 7);
    e->Delete();
  }

  COleException direct(-3);
  EXPECT_EQ(direct.m_sc, -3);
}

TEST(Exceptions, AfxThrowMemoryException) {
  bool caught = false;
  try {
    AfxThrowMemoryException();
  } catch (CException* e) {
    caught = true;
    EXPECT_NE(dynamic_cast<CMemoryException*>(e), nullptr);
    EXPECT_EQ(dynamic_cast<COleException*>(e), nullptr);
    EXPECT_TRUE(e->m_bAutoDelete);
    e->Delete();
  }
  EXPECT_TRUE(caught);

  // Not an ordinary C++ exception object: a handler for values misses it.
  caught = false;
  try {
    try {
      AfxThrowMemoryException();
    } catch (const CMemoryException&) {
      ADD_FAILURE() << "thrown by value";
    }
  } catch (CMemoryException* e) {
    caught = true;
    e->Delete();
  }
  EXPECT_TRUE(caught);
}

TEST(ResourceHandle, RoundTrip) {
  EXPECT_EQ(AfxGetResourceHandle(), nullptr);  // nothing set yet

  int module_a = 0;
  int module_b = 0;
  AfxSetResourceHandle(&module_a);
  EXPECT_EQ(AfxGetResourceHandle(), &module_a);
  AfxSetResourceHandle(&module_b);
  EXPECT_EQ(AfxGetResourceHandle(), &module_b);

  AfxSetResourceHandle(nullptr);
  EXPECT_EQ(AfxGetResourceHandle(), nullptr);
}

}  // namespace
