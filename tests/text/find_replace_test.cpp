// Case-insensitive find and replace.
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/alloc_failure.h"
#include "support/global_locale.h"
#include "support/rows.h"

namespace {

using Str = CStdStr<wchar_t>;

// {text, pattern, start, result}: only A-Z fold, not '[' and '{'. The fuzz target checks the
// rest against a slow search. No trace of the text: it may be an id.
TEST(FindNoCase, Table) {
  const std::tuple<const wchar_t*, const wchar_t*, int, int> rows[] = {
      {reinterpret_cast<const wchar_t*>(7), L"a", 0, -1},
      {L"abc", nullptr, 0, -1},
      {L"a[b", L"A{B", 0, -1},
  };
  for (const auto& [text, pattern, start, result] : rows) {
    SCOPED_TRACE(testing::Message() << pattern << " from " << start);
    EXPECT_EQ(VelUt::FindNoCase(text, pattern, start), result);
  }
  velut_test::ScopedGlobalLocale utf8("C.UTF-8");  // folding stays classic
  EXPECT_EQ(VelUt::FindNoCase(L"\u00C0K", L"\u00E0\u212A", 0), -1);
}

int ByOwnText(Str& s) { return VelUt::ReplaceNoCase(s, s.c_str() + 2, s.c_str()); }
int ByOwnTail(Str& s) { return VelUt::ReplaceNoCase(s, s.c_str() + 1, s.c_str() + 2); }

// The arguments may be the target's own text. The fuzz target checks the rest against a slow
// replacement, the velut tool's test a null replacement.
TEST(ReplaceNoCase, Table) {
  const velut_test::EditRow rows[] = {{L"abAB", ByOwnText, L"abABabAB", 2},
                                      {L"xyz", ByOwnTail, L"xz", 1}};
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
