// CStdStr, ssicoll and ssadd.
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cwchar>
#include <locale>
#include <string>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/alloc_failure.h"
#include "support/global_locale.h"
#include "support/rows.h"

namespace {

using Str = CStdStr<wchar_t>;

const wchar_t* Id(std::uintptr_t id) { return reinterpret_cast<const wchar_t*>(id); }

void CallFormatV(Str& s, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  s.FormatV(format, args);
  va_end(args);
}

int FormatOwnCopy(Str& s) { return CallFormatV(s, L"%s", std::wstring(s).c_str()), 0; }

// Resource ids (here no module is current), sets past U+00FF, a string formatted
// from its own text, units whose difference wraps. The fuzz target checks Mid,
// Left, Right, Insert, Delete, Replace and Find against a model.
TEST(StdStr, Edits) {
  const std::wstring set = std::wstring(70000, L'\u4E00') + L"\U0001F600c";
  const wchar_t max[] = {static_cast<wchar_t>(INT_MAX), 0},
                min[] = {static_cast<wchar_t>(INT_MIN), 0};
  const velut_test::EditRow rows[] = {
      {L"x", [](Str& s) { return s = Str(Id(0xFFFF)), int(s.size()); }, L"", 0},
      {L"x", [](Str& s) { return s = L'\0', int(s.size()); }, {L"\0", 1}, 1},
      {L"abc", [](Str& s) { return s = Id(0), 0; }, L"", 0},
      {{L"ab\0cd", 5}, [](Str& s) { return s = s.c_str() + 1, 0; }, L"b", 0},
      {L"keep", [](Str& s) { return s.Fmt(nullptr), 0; }, L"", 0},
      {L"abc", [](Str& s) { return s.Format(L"%s!", s), 0; }, L"abc!", 0},
      {L"%d", [](Str& s) { return CallFormatV(s, s.c_str(), 42), 0; }, L"42", 0},
      // The formatter gets the format's length plus 1023 units: "%s" formats 1024 whole, cuts 1025.
      {std::wstring(1024, L'a'), FormatOwnCopy, std::wstring(1024, L'a'), 0},
      {std::wstring(1025, L'a'), FormatOwnCopy, std::wstring(1024, L'a'), 0},
      {L"\u00A0x\u00A0", [](Str& s) { return s.TrimLeft().TrimRight(), 0; }, L"\u00A0x\u00A0", 0},
      {L"\u00C0B", [](Str& s) { return s.MakeLower(), 0; }, L"\u00C0b", 0},
      {L"\u00C0B", [](Str& s) { return s.ToLower(std::locale("C.UTF-8")), 0; }, L"\u00E0b", 0},
      {L"abc", [](Str& s) { return s.Find(nullptr); }, L"abc", 0},
      {L"abc", [](Str& s) { return s.FindOneOf(nullptr); }, L"abc", -1},
      {L"a\u4E00c", [](Str& s) { return s.FindOneOf(L"xc"); }, L"a\u4E00c", 2},
      {L"a\u4E00c", [](Str& s) { return s.FindOneOf(L"xy"); }, L"a\u4E00c", -1},
      {L"ab\U0001F600c", [&](Str& s) { return s.FindOneOf(set.c_str()); }, L"ab\U0001F600c", 2},
      {L"banana", [](Str& s) { return s.Remove(L'a'); }, L"bnn", 3},
      {L"abc", [](Str& s) { return s.Replace(nullptr, L"x"); }, L"abc", 0},
      {L"banana", [](Str& s) { return s.Replace(L"a", nullptr); }, L"bnn", 3},
      {L"abcabc", [](Str& s) { return s.Replace(s.c_str() + 3, s.c_str() + 4); }, L"bcbc", 2},
      {L"abc", [](Str& s) { return s.CompareNoCase(nullptr); }, L"abc", 97},
      {max, [&](Str& s) { return s.CompareNoCase(min); }, max, -1},
      {L"a", [](Str& s) { return s.CollateNoCase(nullptr) != 0; }, L"a", 1},
      {L"\u00C4", [](Str& s) { return s.CollateNoCase(L"\u00E4") != 0; }, L"\u00C4", 1},
      {{L"ab\0cd", 5}, [](Str& s) { return s.CollateNoCase(L"AB"); }, {L"ab\0cd", 5}, 0},
      {L"ab", [](Str& s) { return ssadd(s, s.c_str() + 1), ssadd(s, nullptr), ssadd(s, L"x"), 0; },
       L"abbx", 0},
      {std::wstring(1000, L'q'), [](Str& s) { return s.shrink_to_fit(), ssadd(s, s.c_str()), 0; },
       std::wstring(2000, L'q'), 0},
  };
  velut_test::RunEditRows(rows);
  velut_test::ScopedGlobalLocale utf8("C.UTF-8");  // CompareNoCase stays classic
  ASSERT_TRUE(utf8.ok());
  const velut_test::EditRow more[] = {
      {L"\u2003\u00A0x\u2003", [](Str& s) { return s.TrimLeft().TrimRight(), 0; }, L"\u00A0x", 0},
      {L"\u00C0B", [](Str& s) { return s.MakeLower(), 0; }, L"\u00E0b", 0},
      {L"\u00C0", [](Str& s) { return s.CompareNoCase(L"\u00E0"); }, L"\u00C0", 0xC0 - 0xE0},
      {L"\u00C4x", [](Str& s) { return s.CollateNoCase(L"\u00E4X"); }, L"\u00C4x", 0},
  };
  velut_test::RunEditRows(more);
}

// The sign names the order, case ignored: -1 for the first of a pair, 1 for the second.
TEST(StdStr, Ssicoll) {
  EXPECT_EQ(0, ssicoll(L"abX", 2, L"ABy", 2)) << "only the given lengths";
  EXPECT_EQ(0, ssicoll(nullptr, 0, L"", -5)) << "null is empty";
  const std::pair<const wchar_t*, const wchar_t*> ordered[] = {
      {L"a", L"B"}, {L"", L"a"}, {L"AB", L"abc"}, {L"aB", L"Ac"}};
  velut_test::ForEachRow(ordered, [](const wchar_t* first, const wchar_t* second) {
    const int a = static_cast<int>(std::wcslen(first)), b = static_cast<int>(std::wcslen(second));
    EXPECT_EQ(-1, ssicoll(first, a, second, b)) << "the first sorts first";
    EXPECT_EQ(1, ssicoll(second, b, first, a)) << "the second sorts after";
  });
}

// More units than memory holds: std::bad_alloc, the string unchanged.
TEST(StdStr, BufferBeyondMemory) {
  velut_test::LimitAllocations(1ul << 30);
  Str s(L"ab");
  EXPECT_THROW(s.RelBuf(INT_MAX), std::bad_alloc);
  EXPECT_THROW(s.GetBuf(INT_MAX), std::bad_alloc);
  velut_test::LimitAllocations(0);
  EXPECT_EQ(s, L"ab");
}

}  // namespace
