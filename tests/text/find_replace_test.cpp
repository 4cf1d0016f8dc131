// Case-insensitive find and replace.
#include <string>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/alloc_failure.h"
#include "support/global_locale.h"
#include "support/rows.h"

namespace {

using Str = CStdStr<wchar_t>;

// Only A-Z fold, not '[' and '{'; occurrences overlap; a negative start that matches at 0 is
// given back. The fuzz target checks the rest against a slow search.
TEST(FindNoCase, FindsTheFirstOccurrenceFromStart) {
  struct Row {
    const char* name;
    const wchar_t* text;  // not printed: it may be an id
    const wchar_t* pattern;
    int start;
    int result;
  };
  const Row rows[] = {
      {"case ignored", L"Hello World", L"WORLD", 0, 6},
      {"from the start", L"abcabc", L"ABC", 1, 3},
      {"overlapping", L"aaa", L"aa", 1, 1},
      {"a start at the end", L"abc", L"c", 3, -1},
      {"a negative start matching at 0", L"abc", L"AB", -2, -2},
      {"only A-Z fold", L"a[b", L"A{B", 0, -1},
      {"a text that is an id", reinterpret_cast<const wchar_t*>(7), L"a", 0, -1},
      {"a null pattern", L"abc", nullptr, 0, -1},
  };
  velut_test::ForEachRow(rows, [](const Row& row) {
    EXPECT_EQ(row.result, VelUt::FindNoCase(row.text, row.pattern, row.start));
  });
  velut_test::ScopedGlobalLocale utf8("C.UTF-8");  // folding stays classic
  EXPECT_EQ(VelUt::FindNoCase(L"\u00C0K", L"\u00E0\u212A", 0), -1);
}

int AaToB(Str& s) { return VelUt::ReplaceNoCase(s, L"AA", L"b"); }
int AaToX(Str& s) { return VelUt::ReplaceNoCase(s, L"aa", L"x"); }
int BToBb(Str& s) { return VelUt::ReplaceNoCase(s, L"B", L"bb"); }
int DeleteDash(Str& s) { return VelUt::ReplaceNoCase(s, L"-", nullptr); }
int ByOwnText(Str& s) { return VelUt::ReplaceNoCase(s, s.c_str() + 2, s.c_str()); }
int ByOwnTail(Str& s) { return VelUt::ReplaceNoCase(s, s.c_str() + 1, s.c_str() + 2); }

// Occurrences do not overlap; a null replacement deletes; the arguments may be the target's own
// text. The fuzz target checks the rest against a slow replacement.
TEST(ReplaceNoCase, ReplacesEveryOccurrence) {
  const velut_test::EditRow rows[] = {
      {L"aaaa", AaToB, L"bb", 2},           {L"aaa", AaToX, L"xa", 1},
      {L"abc", BToBb, L"abbc", 1},          {L"a-b-c", DeleteDash, L"abc", 2},
      {L"abAB", ByOwnText, L"abABabAB", 2}, {L"xyz", ByOwnTail, L"xz", 1},
  };
  velut_test::RunEditRows(rows);
}

// A result too large for memory: std::bad_alloc, the target as it was.
TEST(ReplaceNoCase, ResultTooLargeForMemory) {
  const std::wstring text(70000, L'a'), replacement(70000, L'b');
  Str s(text);
  velut_test::LimitAllocations(64ul << 20);
  EXPECT_THROW(VelUt::ReplaceNoCase(s, L"A", replacement.c_str()), std::bad_alloc);
  velut_test::LimitAllocations(0);
  EXPECT_EQ(s, text);
}

}  // namespace
