// Number sorting, the three linear searches and duplicate removal, under
// the classic and the C.UTF-8 global locale, and duplicate removal against
// a slow pairwise version over random lists.
#include <algorithm>
#include <climits>
#include <cwchar>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/global_locale.h"
#include "support/slow_reference.h"

namespace {

using Str = CStdStr<wchar_t>;
using StrList = CStdContainer<Str, std::vector>;
using Numbers = CArray<unsigned int, unsigned int>;

Numbers MakeNumbers(const std::vector<unsigned int>& v) {
  Numbers a;
  for (unsigned int x : v) a.Add(x);
  return a;
}

std::vector<unsigned int> ToVector(const Numbers& a) {
  return std::vector<unsigned int>(a.GetData(), a.GetData() + a.GetSize());
}

StrList MakeList(const std::vector<std::wstring>& v) {
  StrList list;
  for (const auto& s : v) list.Add(Str(s));
  return list;
}

std::vector<std::wstring> ToVector(const StrList& list) {
  return std::vector<std::wstring>(list.begin(), list.end());
}

// -------------------------------------------------------------- SortArray

TEST(SortArray, Table) {
  const std::vector<std::vector<unsigned int>> rows = {
      {},
      {42},
      {5, 4294967295u, 0, 5},
      {2, 1},
      {3, 1, 2},
      {4, 3, 2, 1},
      {7, 6, 5, 4, 3, 2, 1},
      {0x80000000u, 0x7FFFFFFFu, 1},  // unsigned, not signed, order
      {1, 1, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << "count " << row.size());
    Numbers a = MakeNumbers(row);
    VelUt::SortArray(a);
    std::vector<unsigned int> expected = row;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ToVector(a), expected);
  }
}

TEST(SortArray, RandomArrays) {
  std::mt19937 rng(3);
  for (int round = 0; round < 300; ++round) {
    std::vector<unsigned int> v(rng() % 200);
    for (auto& x : v) x = round % 2 ? rng() % 8 : rng();
    Numbers a = MakeNumbers(v);
    VelUt::SortArray(a);
    std::sort(v.begin(), v.end());
    ASSERT_EQ(ToVector(a), v) << "round " << round;
  }
}

// ------------------------------------------------------------ FindInArray

TEST(FindInArray, NumbersAndPointers) {
  EXPECT_EQ(VelUt::FindInArray(1u, Numbers()), -1);
  EXPECT_EQ(VelUt::FindInArray(7u, MakeNumbers({3, 7, 7})), 1);
  EXPECT_EQ(VelUt::FindInArray(4294967295u, MakeNumbers({0, 4294967295u})), 1);
  EXPECT_EQ(VelUt::FindInArray(8u, MakeNumbers({3, 7, 7})), -1);

  int x = 0, y = 0;
  CStdContainer<void*, std::vector> pointers;
  EXPECT_EQ(VelUt::FindInArray(&x, pointers), -1);
  pointers.Add(&y);
  pointers.Add(&x);
  pointers.Add(&x);
  pointers.Add(nullptr);
  EXPECT_EQ(VelUt::FindInArray(&x, pointers), 1);
  EXPECT_EQ(VelUt::FindInArray(nullptr, pointers), 3);
  // Only addresses count: a pointer that was never valid is found too.
  pointers.Add(reinterpret_cast<void*>(16));
  EXPECT_EQ(VelUt::FindInArray(reinterpret_cast<void*>(16), pointers), 4);
}

TEST(FindInArray, Strings) {
  struct Row {
    std::vector<std::wstring> list;
    const wchar_t* text;
    signed char matchCase;
    int expected;
  };
  const Row rows[] = {
      {{}, L"Abc", 1, -1},
      {{}, L"Abc", 0, -1},
      {{L"abc", L"Abc ", L"Abc"}, L"Abc", 1, 2},
      {{L"abc", L"Abc ", L"Abc"}, L"Abc", 0, 0},
      {{L"abc", L"Abc "}, L"Abc", 1, -1},
      {{L"Abc "}, L"Abc", 0, -1},  // no trimming here
      {{L"x", L"Abc", L"Abc"}, L"Abc", 1, 1},
      {{L"x", L"ABC", L"abc"}, L"aBc", 0, 1},
      {{L"x", L""}, nullptr, 0, 1},
      {{L"x", L""}, L"", 1, 1},
      {{L"x", L"X"}, L"X", -128, 1},    // any non-zero value selects case
      {{L"\u00C0"}, L"\u00E0", 0, -1},  // the classic locale folds only A-Z
      // An entry is read up to its first NUL when case is ignored, but
      // compared whole when case matters.
      {{std::wstring(L"ab\0c", 4)}, L"AB", 0, 0},
      {{std::wstring(L"ab\0c", 4)}, L"ab", 1, -1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << (r.text ? std::wstring(r.text) : L"(null)") << " matchCase "
                                    << int(r.matchCase) << " in " << r.list.size() << " entries");
    EXPECT_EQ(VelUt::FindInArray(r.text, MakeList(r.list), r.matchCase), r.expected);
  }
}

TEST(FindInArray, StringsUnderUtf8GlobalLocale) {
  velut_test::ScopedGlobalLocale utf8("C.UTF-8");
  if (!utf8.ok()) GTEST_SKIP() << "C.UTF-8 is not installed";
  const StrList list = MakeList({L"x", L"\u00E0b", L"\u212A"});
  EXPECT_EQ(VelUt::FindInArray(L"\u00C0B", list, 0), 1);
  EXPECT_EQ(VelUt::FindInArray(L"\u00C0B", list, 1), -1);
  EXPECT_EQ(VelUt::FindInArray(L"k", list, 0), 2);  // the Kelvin sign lowers to k
}

// ------------------------------------------------------- RemoveDuplicates

struct DedupeRow {
  const char* name;
  std::vector<std::wstring> in;
  std::vector<std::wstring> out;
  int count;
};

void RunDedupeRows(const std::vector<DedupeRow>& rows) {
  for (const DedupeRow& r : rows) {
    SCOPED_TRACE(r.name);
    StrList list = MakeList(r.in);
    EXPECT_EQ(VelUt::RemoveDuplicates(list), r.count);
    EXPECT_EQ(ToVector(list), r.out);
  }
}

TEST(RemoveDuplicates, Table) {
  RunDedupeRows({
      {"empty", {}, {}, 0},
      {"one", {L"a"}, {L"a"}, 0},
      {"a A a counts once", {L"a", L"A", L"a"}, {L"a"}, 1},
      {"two groups", {L"a", L"A", L"b", L"B"}, {L"a", L"b"}, 2},
      {"interleaved", {L"a", L"b", L"A", L"c", L"B", L"a"}, {L"a", L"b", L"c"}, 2},
      {"distinct", {L"x", L"y"}, {L"x", L"y"}, 0},
      {"paths", {L"C:\\Temp\\", L" c:\\temp", L"D:\\"}, {L"C:\\Temp\\", L"D:\\"}, 1},
      {"blank at the end", {L"C:\\Temp\\", L"C:\\TEMP "}, {L"C:\\Temp\\"}, 1},
      {"blank after the separator", {L"C:\\Temp\\ ", L"c:\\temp"}, {L"C:\\Temp\\ "}, 1},
      {"tabs and newlines", {L"\ta\r\n", L"A"}, {L"\ta\r\n"}, 1},
      {"inner white space", {L"a b", L"a  b", L"ab"}, {L"a b", L"a  b", L"ab"}, 0},
      {"one separator only", {L"a\\\\", L"a\\", L"a"}, {L"a\\\\", L"a\\"}, 1},
      {"slash too", {L"/usr/lib/", L"/USR/lib"}, {L"/usr/lib/"}, 1},
      {"roots keep theirs", {L"C:\\", L"C:", L"c:\\"}, {L"C:\\", L"C:"}, 1},
      {"lone separators", {L"\\", L"", L"/"}, {L"\\", L"", L"/"}, 0},
      {"blank entries", {L"", L"  ", L"\t"}, {L""}, 1},
      {"non-ASCII does not fold", {L"\u00C0", L"\u00E0"}, {L"\u00C0", L"\u00E0"}, 0},
      {"a key ends at NUL",
       {std::wstring(L"ab\0x", 4), std::wstring(L"AB\0y", 4), L"ab "},
       {std::wstring(L"ab\0x", 4)},
       1},
      {"separator before NUL", {std::wstring(L"a\\\0", 3), L"A"}, {std::wstring(L"a\\\0", 3)}, 1},
      // Trimming sees the whole entry; the cut at NUL comes after it, so
      // the blank before the NUL stays in the key.
      {"blank before NUL", {std::wstring(L"a \0", 3), L"a"}, {std::wstring(L"a \0", 3), L"a"}, 0},
  });
}

TEST(RemoveDuplicates, Utf8GlobalLocaleFoldsBeyondAscii) {
  velut_test::ScopedGlobalLocale utf8("C.UTF-8");
  if (!utf8.ok()) GTEST_SKIP() << "C.UTF-8 is not installed";
  RunDedupeRows({
      {"accented", {L"\u00C0\\", L"\u00E0", L"x"}, {L"\u00C0\\", L"x"}, 1},
      {"Kelvin sign", {L"k", L"\u212A", L"K"}, {L"k"}, 1},
      {"sharp s stays", {L"\u00DF", L"ss"}, {L"\u00DF", L"ss"}, 0},
      {"non-breaking space is no blank", {L"a\u00A0", L"a"}, {L"a\u00A0", L"a"}, 0},
  });
}

// ----------------------------------- agreement with the pairwise version

std::wstring RandomPath(std::mt19937& rng) {
  static const wchar_t* const kPieces[] = {L"a",      L"A",      L"b",  L"\\",    L"/",
                                           L" ",      L"\t",     L"C:", L"c:",    L"\u00C0",
                                           L"\u00E0", L"\u212A", L"k",  L"\u00A0"};
  std::wstring s;
  for (int n = static_cast<int>(rng() % 5); n > 0; --n)
    s += kPieces[rng() % (sizeof kPieces / sizeof kPieces[0])];
  if (rng() % 16 == 0) s.insert(rng() % (s.size() + 1), 1, L'\0');
  return s;
}

void CheckAgainstPairwise(unsigned seed) {
  std::mt19937 rng(seed);
  for (int round = 0; round < 600; ++round) {
    std::vector<std::wstring> entries(rng() % 12);
    for (auto& e : entries) e = RandomPath(rng);
    StrList fast = MakeList(entries);
    std::vector<std::wstring> slow = entries;
    SCOPED_TRACE(testing::Message() << "round " << round);
    ASSERT_EQ(VelUt::RemoveDuplicates(fast), slowref::RemoveDuplicates(slow));
    ASSERT_EQ(ToVector(fast), slow);
  }
}

TEST(RemoveDuplicates, AgreesWithPairwiseVersion) { CheckAgainstPairwise(11); }

TEST(RemoveDuplicates, AgreesWithPairwiseVersionUnderUtf8) {
  velut_test::ScopedGlobalLocale utf8("C.UTF-8");
  if (!utf8.ok()) GTEST_SKIP() << "C.UTF-8 is not installed";
  CheckAgainstPairwise(12);
}

}  // namespace
