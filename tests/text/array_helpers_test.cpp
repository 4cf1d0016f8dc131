// The linear searches and duplicate removal.
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/global_locale.h"
#include "support/rows.h"

namespace {

using Str = CStdStr<wchar_t>;
using Texts = std::vector<std::wstring>;

CStdContainer<Str, std::vector> MakeList(const Texts& v) {
  CStdContainer<Str, std::vector> list;
  for (const auto& s : v) list.Add(Str(s));
  return list;
}

// The number and string searches are checked by the fuzz target
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

// Keys are trimmed, lose one trailing separator and end at a NUL (a blank before it stays), then
// collate lowered through the global locale; the count is of kept entries that lost one. The fuzz
// target checks the rest.
TEST(RemoveDuplicates, KeepsTheFirstEntryOfEachKey) {
  struct Row {
    const char* name;
    const char* locale;
    Texts entries, kept;
    int count;
  };
  const Row rows[] = {
      {"one group", "C", {L"a", L"A", L"a"}, {L"a"}, 1},
      {"two groups", "C", {L"a", L"A", L"b", L"B"}, {L"a", L"b"}, 2},
      {"paths",
       "C",
       {L"C:\\Temp\\", L" c:\\temp", L"C:\\TEMP ", L"D:\\"},
       {L"C:\\Temp\\", L"D:\\"},
       1},
      {"inner blanks count", "C", {L"a b", L"a  b"}, {L"a b", L"a  b"}, 0},
      {"the classic locale lowers A-Z only",
       "C",
       {L"\u00C0", L"\u00E0"},
       {L"\u00C0", L"\u00E0"},
       0},
      {"a UTF-8 locale lowers more", "C.UTF-8", {L"\u00C0", L"\u00E0"}, {L"\u00C0"}, 1},
      {"a key ends at a NUL",
       "C",
       {{L"ab\0x", 4}, {L"AB\0y", 4}, L"ab ", {L"a \0", 3}, L"a"},
       {{L"ab\0x", 4}, {L"a \0", 3}, L"a"},
       1},
  };
  velut_test::ForEachRow(rows, [](const Row& row) {
    velut_test::ScopedGlobalLocale locale(row.locale);
    ASSERT_TRUE(locale.ok()) << "the system lacks the locale " << row.locale;
    auto list = MakeList(row.entries);
    EXPECT_EQ(row.count, VelUt::RemoveDuplicates(list));
    EXPECT_EQ(row.kept, Texts(list.begin(), list.end()));
  });
}

}  // namespace
