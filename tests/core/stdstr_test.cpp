// CStdStr, ssicoll and ssadd. The fuzz target checks Mid, Left, Right, Insert, Delete, Replace
// and Find against a model; these tests check what a model does not: resource ids, null
// arguments, texts taken from the string itself, locales and units past U+00FF.
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <locale>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/alloc_failure.h"
#include "support/global_locale.h"

// Prints a CStdStr as the std::wstring it is, not unit by unit.
void PrintTo(const CStdStr<wchar_t>& s, std::ostream* os) {
  *os << testing::PrintToString(static_cast<const std::wstring&>(s));
}

namespace {

using Str = CStdStr<wchar_t>;
using namespace std::string_literals;

// A string-resource id in a text pointer, as callers pass one.
const wchar_t* ResourceId(std::uintptr_t id) { return reinterpret_cast<const wchar_t*>(id); }

void CallFormatV(Str& s, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  s.FormatV(format, args);
  va_end(args);
}

// A resource id (no module is current here) and null give ""; a pointer into the string's own
// text is read before the string changes.
TEST(StdStrAssign, ResourceIdNullZeroUnitAndOwnText) {
  EXPECT_EQ(L""s, Str(ResourceId(0xFFFF))) << "resource id 0xFFFF without a current module";
  EXPECT_EQ(L""s, Str(L"abc") = ResourceId(0)) << "null";
  EXPECT_EQ(L"\0"s, Str(L"x") = L'\0') << "a zero unit is one unit";
  Str own(L"ab\0cd"s);
  own = own.c_str() + 1;
  EXPECT_EQ(L"b"s, own) << "its own text from the second unit, to the zero unit";
}

// A null format gives ""; the string itself may be an argument or the format. The formatter gets
// the format's length plus 1023 units: "%s" formats 1024 units whole and cuts 1025 to 1024.
TEST(StdStrFormat, NullFormatOwnTextAndBufferLength) {
  Str null_format(L"keep");
  null_format.Fmt(nullptr);
  EXPECT_EQ(L""s, null_format) << "Fmt(nullptr)";
  Str own_argument(L"abc");
  own_argument.Format(L"%s!", own_argument);
  EXPECT_EQ(L"abc!"s, own_argument) << "Format(L\"%s!\", s)";
  Str own_format(L"%d");
  CallFormatV(own_format, own_format.c_str(), 42);
  EXPECT_EQ(L"42"s, own_format) << "FormatV(s.c_str(), 42)";
  Str fits(std::wstring(1024, L'a'));
  CallFormatV(fits, L"%s", std::wstring(fits).c_str());
  EXPECT_EQ(std::wstring(1024, L'a'), fits) << "a copy of its own 1024 units";
  Str cut(std::wstring(1025, L'a'));
  CallFormatV(cut, L"%s", std::wstring(cut).c_str());
  EXPECT_EQ(std::wstring(1024, L'a'), cut) << "a copy of its own 1025 units";
}

// White space is what the global locale says: in "C" only ASCII's; in C.UTF-8 also U+2003, but
// never the no-break space U+00A0.
TEST(StdStrTrim, WhiteSpaceOfTheGlobalLocale) {
  EXPECT_EQ(L"\u00A0x\u00A0"s, Str(L"\u00A0x\u00A0").TrimLeft().TrimRight())
      << "no-break spaces in the C locale";
  const velut_test::ScopedGlobalLocale utf8("C.UTF-8");
  ASSERT_TRUE(utf8.ok());
  EXPECT_EQ(L"\u00A0x"s, Str(L"\u2003\u00A0x\u2003").TrimLeft().TrimRight())
      << "em spaces and a no-break space in C.UTF-8";
}

// MakeLower lowers with the global locale, ToLower with the one it is given.
TEST(StdStrLower, MakeLowerAndToLowerUseTheirLocale) {
  EXPECT_EQ(L"\u00C0b"s, Str(L"\u00C0B").MakeLower()) << "MakeLower in the C locale: A-Z only";
  EXPECT_EQ(L"\u00E0b"s, Str(L"\u00C0B").ToLower(std::locale("C.UTF-8"))) << "ToLower(C.UTF-8)";
  const velut_test::ScopedGlobalLocale utf8("C.UTF-8");
  ASSERT_TRUE(utf8.ok());
  EXPECT_EQ(L"\u00E0b"s, Str(L"\u00C0B").MakeLower()) << "MakeLower in C.UTF-8";
}

TEST(StdStrFind, NullIsFoundAtTheStart) { EXPECT_EQ(0, Str(L"abc").Find(nullptr)); }

// Units of the set are compared whole, past U+00FF and past U+FFFF (wchar_t holds 32 bits), in
// a set longer than 65536 units.
TEST(StdStrFindOneOf, FirstUnitInTheSet) {
  const std::wstring long_set = std::wstring(70000, L'\u4E00') + L"\U0001F600c";
  struct Row {
    const char* name;
    std::wstring text;
    const wchar_t* set;
    int expected;
  };
  const Row rows[] = {
      {"null set", L"abc", nullptr, -1},
      {"a unit after U+4E00", L"a\u4E00c", L"xc", 2},
      {"no unit of the set", L"a\u4E00c", L"xy", -1},
      {"U+1F600 of a long set", L"ab\U0001F600c", long_set.c_str(), 2},
  };
  for (const Row& row : rows) EXPECT_EQ(row.expected, Str(row.text).FindOneOf(row.set)) << row.name;
}

TEST(StdStrRemove, EveryCopyOfTheUnit) {
  Str s(L"banana");
  EXPECT_EQ(3, s.Remove(L'a')) << "units removed";
  EXPECT_EQ(L"bnn"s, s);
}

// Null as the old text replaces nothing, null as the new one removes; both may point into the
// string's own text.
TEST(StdStrReplace, NullAndOwnText) {
  Str null_old(L"abc");
  EXPECT_EQ(0, null_old.Replace(nullptr, L"x")) << "replacements of null";
  EXPECT_EQ(L"abc"s, null_old);
  Str null_new(L"banana");
  EXPECT_EQ(3, null_new.Replace(L"a", nullptr)) << "replacements by null";
  EXPECT_EQ(L"bnn"s, null_new);
  Str own(L"abcabc");
  EXPECT_EQ(2, own.Replace(own.c_str() + 3, own.c_str() + 4)) << "\"abc\" by \"bc\", both its own";
  EXPECT_EQ(L"bcbc"s, own);
}

// The difference of the first differing units, in int arithmetic that wraps; only A-Z fold,
// whatever the global locale.
TEST(StdStrCompareNoCase, DifferenceOfTheFirstDifferingUnits) {
  EXPECT_EQ(97, Str(L"abc").CompareNoCase(nullptr)) << "null is \"\"";
  const wchar_t max[] = {static_cast<wchar_t>(INT_MAX), 0};
  const wchar_t min[] = {static_cast<wchar_t>(INT_MIN), 0};
  EXPECT_EQ(-1, Str(max).CompareNoCase(min)) << "INT_MAX - INT_MIN wraps";
  const velut_test::ScopedGlobalLocale utf8("C.UTF-8");
  ASSERT_TRUE(utf8.ok());
  EXPECT_EQ(-32, Str(L"\u00C0").CompareNoCase(L"\u00E0")) << "U+00C0 is not folded in C.UTF-8";
}

// Collation with the global locale after lowering; the string is read to its first zero unit.
TEST(StdStrCollateNoCase, EqualOnceLoweredByTheGlobalLocale) {
  EXPECT_NE(0, Str(L"a").CollateNoCase(nullptr)) << "null is \"\"";
  EXPECT_NE(0, Str(L"\u00C4").CollateNoCase(L"\u00E4")) << "U+00C4 not lowered in the C locale";
  EXPECT_EQ(0, Str(L"ab\0cd"s).CollateNoCase(L"AB")) << "\"ab\" before a zero unit";
  const velut_test::ScopedGlobalLocale utf8("C.UTF-8");
  ASSERT_TRUE(utf8.ok());
  EXPECT_EQ(0, Str(L"\u00C4x").CollateNoCase(L"\u00E4X")) << "U+00C4 lowered in C.UTF-8";
}

// The source may be the string's own text (the stdstr fuzz corpus replay checks such appends,
// growing the text, against its model).
TEST(Ssadd, AppendsTextNullAndOwnText) {
  Str s(L"ab");
  ssadd(s, L"x");
  EXPECT_EQ(L"abx"s, s) << "another text";
  ssadd(s, nullptr);
  EXPECT_EQ(L"abx"s, s) << "null";
  ssadd(s, s.c_str() + 1);
  EXPECT_EQ(L"abxbx"s, s) << "its own second unit on";
}

// -1 when the first sorts first, 1 when it sorts after, case ignored; only the given lengths.
TEST(Ssicoll, OrderIgnoringCase) {
  EXPECT_EQ(0, ssicoll(L"abX", 2, L"ABy", 2)) << "only the first 2 units";
  EXPECT_EQ(0, ssicoll(nullptr, 0, L"", -5)) << "null is \"\"";
  struct Row {
    const wchar_t *first, *second;
    int first_length, second_length;
  };
  const Row ordered[] = {
      {L"a", L"B", 1, 1}, {L"", L"a", 0, 1}, {L"AB", L"abc", 2, 3}, {L"aB", L"Ac", 2, 2}};
  for (const Row& row : ordered) {
    SCOPED_TRACE(testing::Message() << "\"" << row.first << "\" before \"" << row.second << "\"");
    EXPECT_EQ(-1, ssicoll(row.first, row.first_length, row.second, row.second_length));
    EXPECT_EQ(1, ssicoll(row.second, row.second_length, row.first, row.first_length));
  }
}

// More units than memory holds: std::bad_alloc, the string unchanged.
TEST(StdStrGetBuf, BeyondMemoryThrowsAndKeepsTheText) {
  velut_test::LimitAllocations(1ul << 30);
  Str s(L"ab");
  EXPECT_THROW(s.RelBuf(INT_MAX), std::bad_alloc);
  EXPECT_THROW(s.GetBuf(INT_MAX), std::bad_alloc);
  velut_test::LimitAllocations(0);
  EXPECT_EQ(L"ab"s, s);
}

}  // namespace
