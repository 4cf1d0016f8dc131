// Escape insertion and removal, and one-character trimming at either end.
#include <string>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

namespace {

using Str = CStdStr<wchar_t>;

// A set far longer than the text, of units below 256 and above.
const std::wstring kLongSet = std::wstring(70000, L'\u4E00') + L"\U0001F600,";

struct EscapeRow {
  const wchar_t* chars;
  wchar_t escape;
  const wchar_t* in;
  const wchar_t* out;
  int count;
};

TEST(EscapeChar, Table) {
  const EscapeRow rows[] = {
      {L",;", L'\\', L"a,b;c", L"a\\,b\\;c", 2},
      {L",;", L'\\', L",,", L"\\,\\,", 2},
      {L",;", L'\\', L"", L"", 0},
      {L",;", L'\\', L"abc", L"abc", 0},
      {L"", L'\\', L"a,b", L"a,b", 0},
      {L"\\,", L'\\', L"a\\,", L"a\\\\\\,", 2},
      {L",", L'\\', L"a\\,", L"a\\\\,", 1},  // escape not in chars: kept as is
      {L"ab", L'x', L"aab", L"xaxaxb", 3},
      {kLongSet.c_str(), L'\\', L"a,b\u4E00\U0001F600c", L"a\\,b\\\u4E00\\\U0001F600c", 3},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << std::wstring(r.in));
    Str s(r.in);
    EXPECT_EQ(VelUt::EscapeChar(s, r.chars, r.escape), r.count);
    EXPECT_EQ(s, r.out);
  }
}

TEST(EscapeChar, NulEscapeAndNulInSet) {
  Str s(L"a,b");
  EXPECT_EQ(VelUt::EscapeChar(s, L",", L'\0'), 1);
  EXPECT_EQ(s, std::wstring(L"a\0,b", 4));
  Str set(std::wstring(L"\0x", 2));  // the whole set counts, NUL included
  Str t(std::wstring(L"a\0", 2));
  EXPECT_EQ(VelUt::EscapeChar(t, set, L'!'), 1);
  EXPECT_EQ(t, std::wstring(L"a!\0", 3));
}

TEST(RemoveEscapeChar, Table) {
  const EscapeRow rows[] = {
      {L",;", L'\\', L"a\\,b\\;c", L"a,b;c", 2},
      {L",;", L'\\', L"\\,", L",", 1},
      {L",;", L'\\', L"a\\\\,", L"a\\\\,", 0},  // doubled escape
      {L",;", L'\\', L"a\\b", L"a\\b", 0},      // b is not in the set
      {L",;", L'\0', L"a\\,", L"a\\,", 0},      // no escape character
      {L",;", L'\\', L"", L"", 0},
      {L",;", L'\\', L"abc", L"abc", 0},
      {L"\\,", L'\\', L"a\\\\\\,", L"a,", 3},  // each removal changes the next test
      {L",", L'\\', L"\\,\\,", L",,", 2},
      {L",", L'\\', L"\\\\\\,", L"\\\\\\,", 0},  // three escapes: not escaped
      {kLongSet.c_str(), L'\\', L"a\\,b\\\u4E00\\\U0001F600c", L"a,b\u4E00\U0001F600c", 3},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << std::wstring(r.in));
    Str s(r.in);
    EXPECT_EQ(VelUt::RemoveEscapeChar(s, r.chars, r.escape), r.count);
    EXPECT_EQ(s, r.out);
  }
}

// Escaping then removing gives the text back when no escape character
// stands directly before a character of the set.
TEST(RemoveEscapeChar, ReversesEscapeChar) {
  const wchar_t* texts[] = {L"", L"plain", L",;,;", L"a,b;c,", L";;x,,", L"\\a,\\b"};
  for (const wchar_t* t : texts) {
    SCOPED_TRACE(testing::Message() << std::wstring(t));
    Str s(t);
    const int inserted = VelUt::EscapeChar(s, L",;", L'\\');
    EXPECT_EQ(VelUt::RemoveEscapeChar(s, L",;", L'\\'), inserted);
    EXPECT_EQ(s, t);
  }
}

TEST(RemoveEscapeChar, LongTextsAtBufferBoundaries) {
  for (std::size_t n : {1023u, 1024u, 1025u, 100000u}) {
    SCOPED_TRACE(n);
    std::wstring text;
    for (std::size_t i = 0; i < n; ++i) text.push_back(i % 3 == 0 ? L',' : L'x');
    Str s(text);
    const int inserted = VelUt::EscapeChar(s, L",", L'\\');
    EXPECT_EQ(s.size(), n + static_cast<std::size_t>(inserted));
    EXPECT_EQ(VelUt::RemoveEscapeChar(s, L",", L'\\'), inserted);
    EXPECT_EQ(s, text);
  }
}

struct TrimRow {
  const wchar_t* in;
  const wchar_t* out;
  signed char result;
};

TEST(TrimLeftChar, Table) {
  const TrimRow rows[] = {
      {L"  ,a", L"a", 1}, {L", a", L"a", 1}, {L",,a", L",a", 1}, {L" a", L"a", 1},
      {L"   ", L"", 1},   {L"", L"", 1},     {L",", L"", 1},     {L"a,", L"a,", 1},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "\"" << std::wstring(r.in) << "\"");
    Str s(r.in);
    EXPECT_EQ(VelUt::TrimLeftChar(s, L','), r.result);
    EXPECT_EQ(s, r.out);
  }
}

TEST(TrimRightChar, Table) {
  const TrimRow rows[] = {
      {L"a, ", L"a", 1}, {L"a ,", L"a ", 1}, {L"a,,", L"a,", 1}, {L"a  ", L"a", 0},
      {L"  ", L"", 0},   {L"", L"", 0},      {L",", L"", 1},     {L",a", L",a", 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "\"" << std::wstring(r.in) << "\"");
    Str s(r.in);
    EXPECT_EQ(VelUt::TrimRightChar(s, L','), r.result);
    EXPECT_EQ(s, r.out);
  }
}

}  // namespace
