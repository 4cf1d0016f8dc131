// The MFC-style exceptions (thrown as pointers, released with Delete())
// and the current resource module.
#include <functional>

#include <gtest/gtest.h>

#include <WinAPI/Exceptions.h>
#include <WinAPI/Resource.h>

namespace {

// Records its own destruction, so that a test sees whether Delete() really
// destroyed the object, through the base class.
class ProbeException : public CException {
 public:
  ProbeException(bool* destroyed, bool autoDelete)
      : CException(autoDelete), destroyed_(destroyed) {}
  ~ProbeException() override { *destroyed_ = true; }

 private:
  bool* destroyed_;
};

TEST(CException, DeleteFreesOnlyHeapObjects) {
  bool destroyed = false;
  CException* heap = new ProbeException(&destroyed, true);
  heap->Delete();
  EXPECT_TRUE(destroyed);
  destroyed = false;
  {
    ProbeException stack(&destroyed, false);
    stack.Delete();
    EXPECT_FALSE(destroyed);
  }
  EXPECT_TRUE(destroyed);
}

TEST(AfxThrow, ThrowsANewObjectOfItsKind) {
  struct Row {
    const char* name;
    std::function<void()> raise;
    bool memory;
    SCODE status;
  };
  const Row rows[] = {{"AfxThrowMemoryException", [] { AfxThrowMemoryException(); }, true, 0},
                      {"AfxThrowOleException", [] { AfxThrowOleException(0x80030002); }, false,
                       static_cast<SCODE>(0x80030002u)}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    try {
      r.raise();
      ADD_FAILURE() << "nothing thrown";
    } catch (CException* e) {
      EXPECT_TRUE(e->m_bAutoDelete);
      EXPECT_EQ(dynamic_cast<CMemoryException*>(e) != nullptr, r.memory);
      auto* ole = dynamic_cast<COleException*>(e);
      EXPECT_EQ(ole != nullptr ? ole->m_sc : 0, r.status);
      e->Delete();
    }
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
