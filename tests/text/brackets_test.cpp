// Bracket and quote matching, and quote stripping.
#include <string>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/rows.h"

namespace {

using Str = CStdStr<wchar_t>;

// Openers search forward, closers backward; other kinds are ordinary; a quote searches forward
// and never skips; quote states are independent; two escapes escape each other; an escaped start
// does not nest. The fuzz target checks the rules at large.
TEST(FindMatchingChar, FindsThePartner) {
  struct Row {
    const char* name;
    std::wstring text;
    int pos, result;
    signed char skip_quoted = 0;
    wchar_t escape = L'\0';
  };
  const Row rows[] = {{"an opener searches forward", L"(a(b)c)", 0, 6},
                      {"a closer searches backward", L"(a(b)c)", 6, 0},
                      {"a nested closer", L"(a(b)c)", 4, 2},
                      {"a position before the text", L"abc", -1, -1},
                      {"another kind is ordinary", L"(a[b)c]", 0, 4},
                      {"a quote finds the next", L"'a'b'", 2, 4},
                      {"a quote is a character in a bracket", L"(a')'b)", 0, 3},
                      {"a quoted closer skipped", L"(a')'b)", 0, 6, 1},
                      {"an escaped closer", L"(a\\)b)", 0, 5, 0, L'\\'},
                      {"a quote search never skips", L"\"a\"", 2, -1, 1},
                      {"a quote searches forward", L"'a'b'", 4, -1},
                      {"quote states are independent", L"(a'\")'b)", 0, -1, 1},
                      {"two escapes escape each other", L"(a\\\\)b)", 0, 4, 0, L'\\'},
                      {"an escaped start does not nest", L"\\((a))", 1, 4, 0, L'\\'}};
  velut_test::ForEachRow(rows, [](const Row& row) {
    EXPECT_EQ(row.result, VelUt::FindMatchingChar(row.text, row.pos, row.skip_quoted, row.escape));
  });
}

// Each kind is matched apart; stray closers pass; a brace tests only its kind, a closer its
// openers, any other unit fails where it occurs; an opener in quotes or escaped is still tested;
// deep nesting in one pass.
TEST(MatchBraces, FindsAPartnerForEveryOpener) {
  const std::wstring deep = std::wstring(200000, L'(') + std::wstring(200000, L')');
  struct Row {
    const char* name;
    std::wstring text;
    signed char result;
    wchar_t brace = 0;
    signed char skip_quoted = 0;
    wchar_t escape = 0;
  };
  const Row rows[] = {{"every kind matched", L"f(a[1], {b})", 1},
                      {"an opener without partner", L"f(a", 0},
                      {"crossed kinds", L"(a]", 0},
                      {"each kind on its own", L"[(])", 1},
                      {"a stray closer", L"a)", 1},
                      {"a stray closer asked for", L"a)", 0, L')'},
                      {"a quote asked for", L"it's", 0, L'\''},
                      {"a quoted opener, quotes skipped", L"'(' )", 0, 0, 1},
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

// The text is trimmed, then loses one quote at each end that has one.
TEST(RemoveQuotes, TrimsThenStripsOneQuoteEachEnd) {
  const velut_test::EditRow rows[] = {
      {L" 'abc' ", Single, L"abc", 1}, {L"'abc", Single, L"abc", 1},
      {L" abc ", Single, L"abc", 0},   {L"''abc''", Single, L"'abc'", 1},
      {{L"\0a\0", 3}, Nul, L"a", 1},
  };
  velut_test::RunEditRows(rows);
}

}  // namespace
