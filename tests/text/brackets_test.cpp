// Bracket and quote matching, and quote stripping.
#include <random>
#include <string>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

namespace {

using Str = CStdStr<wchar_t>;

struct MatchRow {
  std::wstring text;
  int pos;
  signed char skipQuoted;
  wchar_t escape;
  int result;
};

TEST(FindMatchingChar, Table) {
  const MatchRow rows[] = {
      {L"(a(b)c)", 0, 0, 0, 6},
      {L"(a(b)c)", 2, 0, 0, 4},
      {L"(a(b)c)", 6, 0, 0, 0},
      {L"(a(b)c)", 4, 0, 0, 2},
      {L"[x[y]z]", 6, 0, 0, 0},
      {L"{x{y}z}", 0, 0, 0, 6},
      {L"(a[b)c]", 0, 0, 0, 4},  // other kinds are ordinary characters
      {L"(a", 0, 0, 0, -1},
      {L"a)", 1, 0, 0, -1},
      {L"abc", 1, 0, 0, -1},
      {L"abc", -1, 0, 0, -1},
      {L"abc", 3, 0, 0, -1},
      {L"", 0, 0, 0, -1},
      {L"'a'b'", 0, 0, 0, 2},
      {L"'a'b'", 2, 0, 0, 4},
      {L"'a'b'", 4, 0, 0, -1},
      {L"\"a\"", 2, 1, 0, -1},  // a quote always searches forward
      {L"(a')'b)", 0, 0, 0, 3},
      {L"(a')'b)", 0, 1, 0, 6},
      {L"(a\")\"b)", 0, 1, 0, 6},
      {L"(a'\")'b)", 0, 1, 0, -1},  // the states are independent
      {L"(a'\"')\"b)", 0, 1, 0, 8},
      {L"(a')'b)", 6, 1, 0, 0},  // backward, skipping the same way
      {L"'a(b'", 0, 1, 0, 4},    // a quote search never skips
      // Escapes: one escape character escapes, two escape each other.
      {L"(a\\)b)", 0, 0, L'\\', 5},
      {L"(a\\\\)b)", 0, 0, L'\\', 4},
      {L"(a\\\\\\)b)", 0, 0, L'\\', 5},  // only two units are looked at
      {L"(a\\)b)", 0, 0, 0, 3},
      {L"\\((a))", 1, 0, L'\\', 4},  // an escaped start does not nest
      {L"\\(a)", 1, 0, L'\\', 3},
      {L"'a\\'b'", 0, 0, L'\\', 5},
      {L"\\'a'b'", 1, 0, L'\\', 5},    // escaped quote: the next one opens
      {L"(a\\')')", 0, 1, L'\\', 4},   // an escaped quote does not open
      {L"(a')\\')", 0, 1, L'\\', -1},  // nor close
      {L"(x)", 0, 0, L'(', 2},         // escape may be any character
      {L"((x))", 1, 0, L'(', 3},
      // Starting inside a quoted stretch: its closing quote opens one.
      {L"'(' )", 1, 1, 0, -1},
      {L"'(' )", 1, 0, 0, 4},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "\"" << r.text << "\" pos " << r.pos << " skip "
                                    << int(r.skipQuoted) << " escape " << int(r.escape));
    EXPECT_EQ(VelUt::FindMatchingChar(r.text, r.pos, r.skipQuoted, r.escape), r.result);
  }
}

struct BracesRow {
  std::wstring text;
  wchar_t brace;
  signed char skipQuoted;
  wchar_t escape;
  signed char result;
};

TEST(MatchBraces, Table) {
  const BracesRow rows[] = {
      {L"", 0, 0, 0, 1},
      {L"", L'(', 0, 0, 1},
      {L"f(a[1], {b})", 0, 0, 0, 1},
      {L"f(a", 0, 0, 0, 0},
      {L"a)", 0, 0, 0, 1},
      {L"(a]", 0, 0, 0, 0},
      {L"{a", 0, 0, 0, 0},
      {L"[(])", 0, 0, 0, 1},
      {L"f(a", L'[', 0, 0, 1},
      {L"(a)", L')', 0, 0, 1},
      {L"a)", L')', 0, 0, 0},
      {L"(()", L')', 0, 0, 1},
      {L"())", L')', 0, 0, 0},
      {L"x", L'y', 0, 0, 1},
      {L"xyz", L'y', 0, 0, 0},
      {L"'(' )", 0, 1, 0, 0},
      {L"'(' )", 0, 0, 0, 1},
      {L"(')", 0, 1, 0, 0},
      {L"('')", 0, 1, 0, 1},
      {L"(\"')\"')", 0, 1, 0, 1},
      {L"a\\(b", 0, 0, L'\\', 0},  // an escaped opener is still tested
      {L"\\((a)", 0, 0, L'\\', 1},
      {L"((a)", 0, 0, 0, 0},
      {L"\\((a))", 0, 0, L'\\', 1},
      {L"(a\\)", 0, 0, L'\\', 0},
      {L"it's", L'\'', 0, 0, 0},
      {L"its", L'\'', 0, 0, 1},
      {L"\"a\"", L'"', 0, 0, 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "\"" << r.text << "\" brace " << int(r.brace) << " skip "
                                    << int(r.skipQuoted) << " escape " << int(r.escape));
    EXPECT_EQ(VelUt::MatchBraces(r.text, r.brace, r.skipQuoted, r.escape), r.result);
  }
}

// MatchBraces answers in one pass what a search from every opener would:
// compare the two on random texts rich in brackets, quotes and escapes.
TEST(MatchBraces, AgreesWithASearchFromEveryOpener) {
  std::mt19937 rng(7);
  const std::wstring alphabet = L"()[]{}'\"\\a";
  const std::wstring braces(L"\0([{)]}'\"a", 10);
  for (int round = 0; round < 20000; ++round) {
    std::wstring text;
    for (std::size_t n = rng() % 12; n > 0; --n) text += alphabet[rng() % alphabet.size()];
    const wchar_t brace = braces[rng() % braces.size()];
    const signed char skip = static_cast<signed char>(rng() % 2);
    const wchar_t escape = rng() % 2 ? L'\\' : alphabet[rng() % alphabet.size()];
    const std::wstring set = brace == 0 ? L"([{" : std::wstring(1, brace);
    signed char expected = 1;
    for (int i = 0; i < static_cast<int>(text.size()); ++i)
      if (set.find(text[i]) != std::wstring::npos &&
          VelUt::FindMatchingChar(text, i, skip, escape) < 0)
        expected = 0;
    SCOPED_TRACE(testing::Message() << "\"" << text << "\" brace " << int(brace) << " skip "
                                    << int(skip) << " escape " << int(escape));
    ASSERT_EQ(VelUt::MatchBraces(text, brace, skip, escape), expected);
  }
}

TEST(MatchBraces, DeepNestingIsLinear) {
  Str text(std::wstring(200000, L'(') + std::wstring(200000, L')'));
  EXPECT_EQ(VelUt::MatchBraces(text, 0, 1, L'\\'), 1);
  text.back() = L'x';
  EXPECT_EQ(VelUt::MatchBraces(text, 0, 1, L'\\'), 0);
  EXPECT_EQ(VelUt::MatchBraces(text, L')', 1, L'\\'), 1);
}

TEST(RemoveQuotes, Table) {
  struct Row {
    std::wstring before;
    wchar_t quote;
    std::wstring after;
    signed char result;
  };
  const Row rows[] = {
      {L" 'abc' ", L'\'', L"abc", 1},
      {L"'abc", L'\'', L"abc", 1},
      {L"abc'", L'\'', L"abc", 1},
      {L"'", L'\'', L"", 1},
      {L"''", L'\'', L"", 1},
      {L"''abc''", L'\'', L"'abc'", 1},
      {L"' abc '", L'\'', L" abc ", 1},
      {L" abc ", L'\'', L"abc", 0},
      {L"", L'\'', L"", 0},
      {L"   ", L'\'', L"", 0},
      {L"\"abc\"", L'\'', L"\"abc\"", 0},
      {L"\"abc\"", L'"', L"abc", 1},
      {std::wstring(L"\0a\0", 3), 0, L"a", 1},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "\"" << r.before << "\"");
    Str text(r.before);
    EXPECT_EQ(VelUt::RemoveQuotes(text, r.quote), r.result);
    EXPECT_EQ(text, r.after);
  }
}

}  // namespace
