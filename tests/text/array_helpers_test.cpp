// The linear searches and duplicate removal.
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/rows.h"

namespace {

using Str = CStdStr<wchar_t>;
using Texts = std::vector<std::wstring>;

CStdContainer<Str, std::vector> MakeList(const Texts& v) {
  CStdContainer<Str, std::vector> list;
  for (const auto& s : v) list.Add(Str(s));
  return list;
}

// Sorting and the number and string searches are checked by the fuzz target
// under both locales; here pointers compared by value, a null text and NULs.
TEST(FindInArray, Pointers) {
  int x = 0;
  CStdContainer<void*, std::vector> pointers;
  EXPECT_EQ(VelUt::FindInArray(&x, pointers), -1);
  for (void* p : {static_cast<void*>(nullptr), static_cast<void*>(&x), static_cast<void*>(&x)})
    pointers.Add(p);
  EXPECT_EQ(VelUt::FindInArray(&x, pointers), 1);
  EXPECT_EQ(VelUt::FindInArray(&pointers, pointers), -1);
}

// Ignoring case, an entry is read up to its first NUL; matching case it is
// compared whole, and any non-zero value matches case.
TEST(FindInArray, Strings) {
  const std::tuple<Texts, const wchar_t*, signed char, int> rows[] = {
      {{L"abc", L"Abc ", L"Abc"}, L"Abc", -128, 2},
      {{L"x", L""}, nullptr, 0, 1},
      {{{L"ab\0c", 4}}, L"AB", 0, 0},
      {{{L"ab\0c", 4}}, L"ab", 1, -1},
  };
  velut_test::ForEachRow(rows, [](const Texts& list, auto text, auto matchCase, int expected) {
    EXPECT_EQ(VelUt::FindInArray(text, MakeList(list), matchCase), expected);
  });
}

// {entries, what stays, count}; keys are trimmed, lose one trailing separator and end at a NUL
// (a blank before it stays), then collate. The fuzz target and the velut tool check the rest.
TEST(RemoveDuplicates, Table) {
  const std::tuple<Texts, Texts, int> rows[] = {
      {{L"C:\\Temp\\ ", L"c:\\temp"}, {L"C:\\Temp\\ "}, 1},
      {{{L"ab\0x", 4}, {L"AB\0y", 4}, L"ab ", {L"a \0", 3}, L"a"},
       {{L"ab\0x", 4}, {L"a \0", 3}, L"a"},
       1},
  };
  velut_test::ForEachRow(rows, [](const Texts& in, const Texts& out, int count) {
    auto list = MakeList(in);
    EXPECT_EQ(VelUt::RemoveDuplicates(list), count);
    EXPECT_EQ(Texts(list.begin(), list.end()), out);
  });
}

}  // namespace
