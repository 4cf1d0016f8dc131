// Escape insertion and removal, and one-character trimming at either end.
#include <string>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/rows.h"

namespace {

using Str = CStdStr<wchar_t>;

// A set of units below 256 and above, far longer than the text.
const Str kLongSet = std::wstring(70000, L'\u4E00') + L"\U0001F600,";

int Escape(Str& s) { return VelUt::EscapeChar(s, L",;", L'\\'); }
int Unescape(Str& s) { return VelUt::RemoveEscapeChar(s, L",;", L'\\'); }
int UnescapeEscapes(Str& s) { return VelUt::RemoveEscapeChar(s, L"\\,", L'\\'); }
int EscapeLong(Str& s) { return VelUt::EscapeChar(s, kLongSet, L'\\'); }
int UnescapeLong(Str& s) { return VelUt::RemoveEscapeChar(s, kLongSet, L'\\'); }
int TrimLeft(Str& s) { return VelUt::TrimLeftChar(s, L','); }
int TrimRight(Str& s) { return VelUt::TrimRightChar(s, L','); }

// Every unit of the set gets an escape, with a set of two units and with one far longer than
// the text. The fuzz target checks the rule on short sets of any units.
TEST(EscapeChar, EscapesEveryUnitOfTheSet) {
  const velut_test::EditRow rows[] = {
      {L"a,b;c", Escape, L"a\\,b\\;c", 2},
      {L"a,b\u4E00\U0001F600c", EscapeLong, L"a\\,b\\\u4E00\\\U0001F600c", 3},
  };
  velut_test::RunEditRows(rows);
}

// An escape before a unit of the set escapes it, two escape each other; the escape is escaped
// only when in the set, and then each removal changes what the next test sees.
TEST(RemoveEscapeChar, RemovesOneEscapeBeforeAUnitOfTheSet) {
  const velut_test::EditRow rows[] = {
      {L"a\\,b\\;c", Unescape, L"a,b;c", 2},
      {L"a\\\\,", Unescape, L"a\\\\,", 0},
      {L"a\\\\\\,", UnescapeEscapes, L"a,", 3},
      {L"a\\,b\\\u4E00\\\U0001F600c", UnescapeLong, L"a,b\u4E00\U0001F600c", 3},
  };
  velut_test::RunEditRows(rows);
}

TEST(TrimLeftChar, TrimsWhiteSpaceAroundOneChar) {
  const velut_test::EditRow rows[] = {
      {L"  ,a", TrimLeft, L"a", 1}, {L", a", TrimLeft, L"a", 1}, {L",,a", TrimLeft, L",a", 1},
      {L"   ", TrimLeft, L"", 1},   {L"a,", TrimLeft, L"a,", 1},
  };
  velut_test::RunEditRows(rows);
}

TEST(TrimRightChar, TrimsWhiteSpaceThenOneChar) {
  const velut_test::EditRow rows[] = {
      {L"a, ", TrimRight, L"a", 1}, {L"a ,", TrimRight, L"a ", 1}, {L"a,,", TrimRight, L"a,", 1},
      {L"a  ", TrimRight, L"a", 0}, {L"  ", TrimRight, L"", 0},
  };
  velut_test::RunEditRows(rows);
}

}  // namespace
