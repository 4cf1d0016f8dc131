// CStdStr formatting: Fmt, FormatV and the typed Format.
#include <climits>
#include <cstdarg>
#include <string>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

namespace {

using Str = CStdStr<wchar_t>;

void CallFormatV(Str& s, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  s.FormatV(format, args);
  va_end(args);
}

TEST(StdStrFormat, ReplacesWhateverWasThere) {
  Str s(std::wstring(5000, L'o'));
  s.Fmt(L"%s-%d", L"x", 5);
  EXPECT_EQ(s, L"x-5");
  s.Fmt(L"");
  EXPECT_EQ(s, L"");
  s = L"keep";
  s.Fmt(nullptr);
  EXPECT_EQ(s, L"");
}

// The format and the arguments may be the string's own text, which the
// result replaces.
TEST(StdStrFormat, FormatsIntoItself) {
  struct Row {
    const wchar_t* start;
    void (*format)(Str& s);
    const wchar_t* result;
  };
  const Row rows[] = {
      {L"%s%s%s", [](Str& s) { s.Fmt(s.c_str(), s.c_str(), L"x", s.c_str()); }, L"%s%s%sx%s%s%s"},
      {L"abc", [](Str& s) { s.Format(L"%s!", s); }, L"abc!"},
      {L"ab", [](Str& s) { s.Fmt(L"%s%s", s.c_str(), s.c_str() + 1); }, L"abb"},
      {L"%d", [](Str& s) { CallFormatV(s, s.c_str(), 42); }, L"42"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << std::wstring(row.start));
    Str s(row.start);
    row.format(s);
    EXPECT_EQ(s, row.result);
  }
}

TEST(StdStrFormat, WideConventions) {
  Str s;
  s.Fmt(L"%s|%c|%hs|%S|%5.2s|%-3d|%03d|%x", L"wide", L'\u00E9', "narrow", "na\xC3\xA9", L"abc", 7,
        7, 255u);
  EXPECT_EQ(s, L"wide|\u00E9|narrow|na\u00E9|   ab|7  |007|ff");
}

TEST(StdStrFormat, TypedFormatPassesStringsAsPointers) {
  Str s;
  const wchar_t exe[12] = L"MsiExec.exe";
  s.Format(L"%s %s %s %s", exe, Str(L"/i"), Str(L"setup.msi"), Str(L""));
  EXPECT_EQ(s, L"MsiExec.exe /i setup.msi ");
  s.Format(L"%s=%d (%s)", std::wstring(L"k"), 3, L"lit");
  EXPECT_EQ(s, L"k=3 (lit)");
}

// The buffer is the format's length plus 1024 units and the formatter gets
// one unit less: output up to format length + 1022 units fits whole.
TEST(StdStrFormat, CapacityBoundaries) {
  for (int len : {0, 1, 1021, 1022, 1023, 1024, 1025, 100000}) {
    SCOPED_TRACE(len);
    const std::wstring arg(static_cast<std::size_t>(len), L'a');
    Str s;
    CallFormatV(s, L"%s", arg.c_str());
    // Format "%s" has 2 units: room for 2 + 1022 = 1024 units of text.
    if (len <= 1024) {
      EXPECT_EQ(s, arg);
    } else {
      EXPECT_EQ(s, std::wstring(1024, L'a'));  // cut, never overrun
    }
  }
  // A long format gives proportionally more room.
  const std::wstring longfmt = std::wstring(3000, L'-') + L"%s";
  Str s;
  CallFormatV(s, longfmt.c_str(), std::wstring(1024, L'b').c_str());
  EXPECT_EQ(s, std::wstring(3000, L'-') + std::wstring(1024, L'b'));
}

TEST(StdStrFormat, HugeWidthsAndPrecisionsStayBounded) {
  Str s;
  s.Fmt(L"%2147483647d", 1);
  EXPECT_EQ(s.size(), 1023u + 12u - 1u);  // "%2147483647d" is 12 units
  s.Fmt(L"%.2147483647f", 1.0);
  EXPECT_LE(s.size(), 1024u + 14u);
  s.Fmt(L"%*d", INT_MIN, 5);
  EXPECT_LE(s.size(), 1024u + 3u);
  EXPECT_EQ(s[0], L'5');  // INT_MIN width: left-justified
}

}  // namespace
