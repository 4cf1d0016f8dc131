// Bracket and quote matching, and quote stripping.
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/rows.h"

namespace {

using Str = CStdStr<wchar_t>;

// {text, pos, skipQuoted, escape, result}: other kinds are ordinary; a quote searches forward and
// never skips; quote states are independent; one escape escapes, two escape each other; an escaped
// start does not nest. The fuzz target checks the rules at large.
TEST(FindMatchingChar, Table) {
  const std::tuple<std::wstring, int, signed char, wchar_t, int> rows[] = {
      {L"(a(b)c)", 0, 0, L'\0', 6},   {L"(a(b)c)", 6, 0, L'\0', 0},    {L"(a[b)c]", 0, 0, L'\0', 4},
      {L"a)", 1, 0, L'\0', -1},       {L"((x))", 1, 0, L'(', 3},       {L"\"a\"", 2, 1, L'\0', -1},
      {L"'a'b'", 4, 0, L'\0', -1},    {L"(a", 0, 0, L'\0', -1},        {L"abc", 1, 0, L'\0', -1},
      {L"abc", -1, 0, L'\0', -1},     {L"abc", 3, 0, L'\0', -1},       {L"(a')'b)", 0, 1, L'\0', 6},
      {L"(a')'b)", 6, 1, L'\0', 0},   {L"(a'\")'b)", 0, 1, L'\0', -1}, {L"(a\\)b)", 0, 0, L'\\', 5},
      {L"(a\\\\)b)", 0, 0, L'\\', 4}, {L"\\((a))", 1, 0, L'\\', 4},    {L"\\'a'b'", 1, 0, L'\\', 5},
      {L"(a\\')')", 0, 1, L'\\', 4},
  };
  velut_test::ForEachRow(rows, [](auto& text, int pos, auto skip, auto escape, int result) {
    EXPECT_EQ(VelUt::FindMatchingChar(text, pos, skip, escape), result);
  });
}

// {text, brace, skipQuoted, escape, result}: each kind is matched apart; a
// brace tests only its kind, a closer its openers, any other unit fails
// where it occurs; an escaped opener is still tested; deep nesting in one pass.
TEST(MatchBraces, Table) {
  const std::wstring deep = std::wstring(200000, L'(') + std::wstring(200000, L')');
  const std::tuple<std::wstring, wchar_t, signed char, wchar_t, signed char> rows[] = {
      {L"", 0, 0, 0, 1},          {L"f(a[1], {b})", 0, 0, 0, 1},
      {L"(a]", 0, 0, 0, 0},       {L"f(a", L'[', 0, 0, 1},
      {L"xyz", L'y', 0, 0, 0},    {L"'(' )", 0, 1, 0, 0},
      {L"a\\(b", 0, 0, L'\\', 0}, {L"\\((a)", 0, 0, L'\\', 1},
      {deep, 0, 1, L'\\', 1},     {deep.substr(1), L')', 1, L'\\', 0},
  };
  velut_test::ForEachRow(rows, [](auto& text, auto brace, auto skip, auto escape, auto result) {
    EXPECT_EQ(VelUt::MatchBraces(text, brace, skip, escape), result);
  });
}

int Single(Str& s) { return VelUt::RemoveQuotes(s, L'\''); }
int Nul(Str& s) { return VelUt::RemoveQuotes(s, L'\0'); }

TEST(RemoveQuotes, Table) {
  const velut_test::EditRow rows[] = {
      {L" 'abc' ", Single, L"abc", 1},
      {L"", Single, L"", 0},
      {L"'", Single, L"", 1},
      {L"''abc''", Single, L"'abc'", 1},
      {L"\"abc\"", Single, L"\"abc\"", 0},
      {{L"\0a\0", 3}, Nul, L"a", 1},
  };
  velut_test::RunEditRows(rows);
}

}  // namespace
