// The indexed list, the number array and the POSITION walk over the map.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <VelUt/DravoMemoryException.h>
#include <VelUt/VelUt.h>

namespace {

using Str = CStdStr<wchar_t>;
using StrList = CStdContainer<Str, std::vector>;

std::wstring Join(const StrList& list) {
  std::wstring out;
  for (int i = 0; i < list.GetCount(); ++i) out += list[i] + L";";
  return out;
}

TEST(StdContainer, AddReturnsIndices) {
  StrList list;
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(list.Add(L"a"), 0);
  EXPECT_EQ(list.Add(L"b"), 1);
  EXPECT_EQ(list.GetSize(), 2);
  EXPECT_FALSE(list.IsEmpty());
}

TEST(StdContainer, RemoveAtKeepsOrder) {
  struct Row {
    unsigned int index;
    const wchar_t* left;
  };
  const Row rows[] = {
      {0, L"b;c;"}, {1, L"a;c;"}, {2, L"a;b;"}, {3, L"a;b;c;"}, {0xFFFFFFFFu, L"a;b;c;"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.index);
    StrList list;
    list.Add(L"a");
    list.Add(L"b");
    list.Add(L"c");
    list.RemoveAt(r.index);
    EXPECT_EQ(Join(list), r.left);
  }
}

TEST(StdContainer, RemoveAllThenAddStartsAtZero) {
  StrList list;
  list.RemoveAll();
  EXPECT_EQ(list.GetCount(), 0);
  list.Add(L"x");
  list.Add(L"y");
  list.RemoveAll();
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(list.Add(L"z"), 0);
  list.GetAt(0) = L"w";
  EXPECT_EQ(list[0], L"w");
}

TEST(StdContainer, PointerListOwnsNothing) {
  int a = 1, b = 2;
  CStdContainer<void*, std::vector> list;
  list.Add(&a);
  list.Add(&b);
  EXPECT_EQ(list.GetCount(), 2);
  EXPECT_EQ(list[1], &b);
}

TEST(CArrayTest, SetSizeAddAndIndex) {
  CArray<unsigned int, unsigned int> a;
  a.SetSize(3);
  EXPECT_EQ(a.GetSize(), 3);
  EXPECT_EQ(a[2], 0u);
  a[1] = 7;
  EXPECT_EQ(a.Add(9), 3);
  EXPECT_EQ(a.GetAt(1), 7u);
  EXPECT_EQ(a[3], 9u);
  a.SetSize(-4);
  EXPECT_EQ(a.GetSize(), 0);
}

class MapWalk : public ::testing::Test {
 protected:
  std::wstring Walk() const {
    std::wstring order;
    Str key;
    void* value = nullptr;
    POSITION pos = map.GetStartPosition();
    while (pos) {
      map.GetNextAssoc(pos, key, value);
      order += key + L";";
    }
    EXPECT_FALSE(pos.get() != nullptr && map.GetCount() > 0);
    return order;
  }
  CStdStrPtrMap map;
};

TEST_F(MapWalk, EmptyMapRunsNoStepAndLeaksNothing) {
  POSITION pos = map.GetStartPosition();
  EXPECT_FALSE(pos);
  EXPECT_NE(pos.get(), nullptr);  // the object exists; the handle deletes it
  EXPECT_EQ(Walk(), L"");
}

TEST_F(MapWalk, VisitsKeysInUnitOrder) {
  map.SetAt(L"b", nullptr);
  map.SetAt(L"A", nullptr);
  map.SetAt(L"a", nullptr);
  map.SetAt(L"ab", nullptr);
  EXPECT_EQ(Walk(), L"A;a;ab;b;");
  EXPECT_EQ(map.GetCount(), 4);
}

TEST_F(MapWalk, LastStepEmptiesThePosition) {
  int one = 1;
  map.SetAt(L"only", &one);
  POSITION pos = map.GetStartPosition();
  Str key;
  void* value = nullptr;
  map.GetNextAssoc(pos, key, value);
  EXPECT_EQ(key, L"only");
  EXPECT_EQ(value, &one);
  EXPECT_EQ(pos.get(), nullptr);
  key = L"kept";
  value = &map;
  map.GetNextAssoc(pos, key, value);  // an empty position changes nothing
  EXPECT_EQ(key, L"kept");
  EXPECT_EQ(value, &map);
}

TEST_F(MapWalk, ClonesCompareEqualUntilOneMoves) {
  map.SetAt(L"a", nullptr);
  map.SetAt(L"b", nullptr);
  map.SetAt(L"c", nullptr);
  const POSITION start = map.GetStartPosition();
  POSITION p1 = start;  // clones
  POSITION p2 = start;
  EXPECT_TRUE(p1 == p2);
  EXPECT_NE(p1.get(), p2.get());
  Str key;
  void* value = nullptr;
  map.GetNextAssoc(p1, key, value);
  EXPECT_FALSE(p1 == p2);
  map.GetNextAssoc(p2, key, value);
  EXPECT_TRUE(p1 == p2);

  // Assignment through the base: denotes the same element afterwards.
  POSITION p3 = map.GetStartPosition();
  *p3.get() = *p1.get();
  EXPECT_TRUE(p3 == p1);
  *p3.get() = *p3.get();  // self-assignment is harmless
  EXPECT_TRUE(p3 == p1);
  std::unique_ptr<POSITION_IMP> c(p3.get()->clone());
  EXPECT_TRUE(*c == *p1.get());
}

TEST_F(MapWalk, ForeignOrFinishedPositionsAreIgnored) {
  CStdStrPtrMap other;
  other.SetAt(L"x", nullptr);
  map.SetAt(L"a", nullptr);
  POSITION foreign = other.GetStartPosition();
  Str key = L"k";
  void* value = nullptr;
  map.GetNextAssoc(foreign, key, value);
  EXPECT_EQ(key, L"k");
  EXPECT_TRUE(foreign);  // untouched
}

TEST_F(MapWalk, LookupSetAtIndexAndRemove) {
  int v1 = 1, v2 = 2;
  void* out = nullptr;
  EXPECT_FALSE(map.Lookup(L"k", out));
  map.SetAt(L"k", &v1);
  EXPECT_TRUE(map.Lookup(L"k", out));
  EXPECT_EQ(out, &v1);
  EXPECT_FALSE(map.Lookup(L"K", out));  // case-sensitive keys
  map[L"k"] = &v2;
  EXPECT_TRUE(map.Lookup(L"k", out));
  EXPECT_EQ(out, &v2);
  EXPECT_EQ(map[L"new"], nullptr);  // created with a null value
  EXPECT_EQ(map.GetCount(), 2);
  map.SetAt(nullptr, &v1);  // a null key is the empty key
  EXPECT_TRUE(map.Lookup(L"", out));
  map.RemoveAll();
  EXPECT_TRUE(map.IsEmpty());
  EXPECT_EQ(v1, 1);  // values are never owned
  map.SetAt(L"again", &v1);
  EXPECT_EQ(map.GetCount(), 1);
}

TEST(MapLifetime, DestroyingTheMapLeavesValuesAlone) {
  auto* owned = new int(5);
  {
    CStdStrPtrMap map;
    map.SetAt(L"p", owned);
  }
  EXPECT_EQ(*owned, 5);
  delete owned;
}

// The family's allocators throw the exception as a pointer; a handler
// that only knows std::bad_alloc can still report it, then frees it.
TEST(DravoMemoryException, ReportsAsBadAlloc) {
  try {
    throw new CDravoMemoryException;
  } catch (CDravoMemoryException* e) {
    const std::bad_alloc& base = *e;
    EXPECT_STREQ(base.what(), "out of memory");
    e->Delete();
  }
}

}  // namespace
