// The indexed list, the number array and the ordered map with its POSITION walk.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <VelUt/DravoMemoryException.h>
#include <VelUt/VelUt.h>

namespace {

using Str = CStdStr<wchar_t>;

TEST(StdContainer, AddAndRemove) {
  CStdContainer<Str, std::vector> list;
  EXPECT_EQ(list.Add(L"a"), 0);
  list.RemoveAll();
  for (const wchar_t* s : {L"a", L"b", L"c", L"d"}) list.Add(s);
  for (const unsigned int past : {4u, 0xFFFFFFFFu}) list.RemoveAt(past);  // nothing
  list.RemoveAt(1);
  EXPECT_EQ(list[0] + list[1] + list[2], L"acd");
  CArray<unsigned int, unsigned int> numbers;
  numbers.SetSize(3);
  numbers.SetSize(-4);
  EXPECT_EQ(numbers.GetSize(), 0);
}

// Keys in unit order; past the last the position is empty and stepping on,
// or with a position of another map, changes nothing. Clones move alone.
TEST(StdMap, Walk) {
  CStdStrPtrMap map, other;
  EXPECT_FALSE(map.GetStartPosition());
  EXPECT_NE(map.GetStartPosition().get(), nullptr);  // the handle deletes it
  for (const wchar_t* key : {L"b", L"A", L"a", L"ab"}) map.SetAt(key, &map);
  other.SetAt(L"x", &other);
  std::wstring keys;
  Str key;
  void* value = nullptr;
  POSITION start = map.GetStartPosition(), pos = start, foreign = other.GetStartPosition();
  for (; pos; keys += key + L";") map.GetNextAssoc(pos, key, value);
  EXPECT_EQ(keys, L"A;a;ab;b;");
  EXPECT_EQ(pos.get(), nullptr);
  map.GetNextAssoc(pos, key, value);
  map.GetNextAssoc(foreign, key, value);
  EXPECT_EQ(key, L"b");
  EXPECT_EQ(value, &map);
  POSITION clone = start;
  EXPECT_TRUE(clone == start);
  map.GetNextAssoc(clone, key, value);
  EXPECT_FALSE(clone == start);
  *start.get() = *clone.get();  // assignment through the base
  *start.get() = *start.get();
  EXPECT_TRUE(*std::unique_ptr<POSITION_IMP>(start.get()->clone()) == *clone.get());
}

// Keys are exact, whether a few entries are compared one by one or more are
// searched by order; values are never owned.
TEST(StdMap, Lookup) {
  for (const int entries : {1, 9}) {
    CStdStrPtrMap map;
    for (int i = 0; i < entries; ++i) map[(L"key-" + std::to_wstring(i) + L"-end").c_str()] = &map;
    void* out = nullptr;
    EXPECT_TRUE(map.Lookup(L"key-0-end", out) && out == &map);
    for (const wchar_t* missing : {L"key-0-enD", L"KEY-0-end", L"key-0-end-", L""})
      EXPECT_FALSE(map.Lookup(Str(missing), out)) << missing << " in " << entries;
    map.SetAt(nullptr, nullptr);  // the empty key
    EXPECT_TRUE(map.Lookup(L"", out) && map.RemoveKey(L"") && !map.RemoveKey(L""));
    map.RemoveAll();
    EXPECT_TRUE(map.IsEmpty());
  }
}

// Thrown as a pointer; a handler that knows only std::bad_alloc can report it.
TEST(DravoMemoryException, ReportsAsBadAlloc) {
  CDravoMemoryException* e = new CDravoMemoryException;
  EXPECT_STREQ(static_cast<std::bad_alloc*>(e)->what(), "out of memory");
  e->Delete();
}

}  // namespace
