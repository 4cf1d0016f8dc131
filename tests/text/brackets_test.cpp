// Bracket and quote matching, and quote stripping.
#include <string>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/rows.h"

namespace {

using Str = CStdStr<wchar_t>;

// Other kinds are ordinary; a quote searches forward and never skips; quote states are
// independent; two escapes escape each other; an escaped start does not nest. The fuzz target
// checks the rules at large, the velut tool's test both directions and an escaped closer.
TEST(FindMatchingChar, Table) {
  struct Row {
    const char* name;
    std::wstring text;
    int pos, result;
    signed char skip_quoted = 0;
    wchar_t escape = L'\0';
  };
  const Row rows[] = {{"another kind is ordinary", L"(a[b)c]", 0, 4},
                      {"a quote search never skips", L"\"a\"", 2, -1, 1},
                      {"a quote searches forward", L"'a'b'", 4, -1},
                      {"quote states are independent", L"(a'\")'b)", 0, -1, 1},
                      {"two escapes escape each other", L"(a\\\\)b)", 0, 4, 0, L'\\'},
                      {"an escaped start does not nest", L"\\((a))", 1, 4, 0, L'\\'}};
  velut_test::ForEachRow(rows, [](const Row& row) {
    EXPECT_EQ(row.result, VelUt::FindMatchingChar(row.text, row.pos, row.skip_quoted, row.escape));
  });
}

// Each kind is matched apart; a brace tests only its kind, a closer its openers, any other unit
// fails where it occurs; an escaped opener is still tested; deep nesting in one pass.
TEST(MatchBraces, Table) {
  const std::wstring deep = std::wstring(200000, L'(') + std::wstring(200000, L')');
  struct Row {
    const char* name;
    std::wstring text;
    signed char result;
    wchar_t brace = 0;
    signed char skip_quoted = 0;
    wchar_t escape = 0;
  };
  const Row rows[] = {{"crossed kinds", L"(a]", 0},
                      {"only the kind asked for", L"f(a", 1, L'['},
                      {"a unit in no pair fails", L"xyz", 0, L'y'},
                      {"an escaped opener", L"a\\(b", 0, 0, 0, L'\\'},
                      {"an escaped opener shares a partner", L"\\((a)", 1, 0, 0, L'\\'},
                      {"deep", deep, 1, 0, 1, L'\\'},
                      {"a closer tests its openers", deep.substr(1), 0, L')', 1, L'\\'}};
  velut_test::ForEachRow(rows, [](const Row& row) {
    EXPECT_EQ(row.result, VelUt::MatchBraces(row.text, row.brace, row.skip_quoted, row.escape));
  });
}

int Single(Str& s) { return VelUt::RemoveQuotes(s, L'\''); }
int Nul(Str& s) { return VelUt::RemoveQuotes(s, L'\0'); }

TEST(RemoveQuotes, Table) {
  const velut_test::EditRow rows[] = {
      {L"''abc''", Single, L"'abc'", 1},
      {{L"\0a\0", 3}, Nul, L"a", 1},
  };
  velut_test::RunEditRows(rows);
}

}  // namespace
