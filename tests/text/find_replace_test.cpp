// Case-insensitive find and replace: the edge cases, classic folding under
// another global locale, and agreement with a slow position-by-position
// version over random texts.
#include <cstdint>
#include <locale>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/alloc_failure.h"
#include "support/global_locale.h"
#include "support/slow_reference.h"
#include "text/NoCaseSearch.h"

namespace {

using Str = CStdStr<wchar_t>;

// ------------------------------------------------------------- FindNoCase

TEST(FindNoCase, Table) {
  struct Row {
    const wchar_t* text;
    const wchar_t* pattern;
    int start;
    int expected;
  };
  const Row rows[] = {
      {L"Hello World", L"WORLD", 0, 6},
      {L"abcabc", L"ABC", 1, 3},
      {L"aaa", L"aa", 1, 1},  // overlapping occurrences count
      {L"abc", L"c", 2, 2},
      {L"abc", L"c", 3, -1},  // start at the length
      {L"abc", L"c", 4, -1},
      {L"abc", L"abcd", 0, -1},  // cut short by the end of the text
      {L"xxab", L"abc", 0, -1},
      {L"", L"a", 0, -1},
      {nullptr, L"a", 0, -1},
      {L"abc", L"", 0, -1},
      {L"abc", nullptr, 0, -1},
      {L"ABC", L"abc", 0, 0},
      {L"abc", L"ABC", 0, 0},
      {L"a[b", L"A{B", 0, -1},  // '[' and '{' differ by 0x20 but are no letters
      {L"a@b", L"A`B", 0, -1},
      {L"\u00C0b", L"\u00E0B", 0, -1},  // only A-Z fold
      {L"x\u00C0b", L"\u00C0B", 0, 1},
      {L"abc", L"b", -5, 1},    // a negative start that finds no match at 0
      {L"abc", L"AB", -5, -5},  // a match at 0 reports the start itself
      {L"abc", L"abc", -2, -2},
      {L"ab", L"abc", -1, -1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message()
                 << (r.text ? std::wstring(r.text) : L"(null)") << " / "
                 << (r.pattern ? std::wstring(r.pattern) : L"(null)") << " from " << r.start);
    EXPECT_EQ(VelUt::FindNoCase(r.text, r.pattern, r.start), r.expected);
  }
}

// Matches just before, across and after the sixteen-unit blocks of the
// scan, with the last unit as the only difference, and with units beyond
// ASCII at either end of the pattern.
TEST(FindNoCase, EveryPlaceInALongText) {
  struct Row {
    const wchar_t* pattern;
    const wchar_t* written;  // how it stands in the text
  };
  const Row rows[] = {
      {L"NeEdLe", L"needle"}, {L"\u00C0bC\u00E0", L"\u00C0Bc\u00E0"}, {L"\u00C0", L"\u00C0"}};
  for (const Row& row : rows) {
    const std::wstring pattern = row.pattern;
    for (std::size_t length = pattern.size(); length < 70; ++length) {
      for (std::size_t at = 0; at + pattern.size() <= length; ++at) {
        std::wstring text(length, L'n');
        text.replace(at, pattern.size(), row.written);
        SCOPED_TRACE(testing::Message() << pattern << " length " << length << " at " << at);
        EXPECT_EQ(VelUt::FindNoCase(text.c_str(), pattern.c_str(), 0), static_cast<int>(at));
        text[at + pattern.size() - 1] = L'\u00C1';
        EXPECT_EQ(VelUt::FindNoCase(text.c_str(), pattern.c_str(), 0), -1);
      }
    }
  }
}

// The text is measured piece by piece as the scan goes (1024, 2048, ...
// units): a match that straddles one of those steps is still found, and a
// start past the end of a long text finds nothing.
TEST(FindNoCase, LongTextMeasuredAsItGoes) {
  for (std::size_t at : {0, 1017, 1018, 1020, 1023, 1024, 3066, 3070, 3072, 7167, 9994}) {
    std::wstring text(10000, L'n');
    text.replace(at, 6, L"NEEDLE");
    SCOPED_TRACE(testing::Message() << "at " << at);
    EXPECT_EQ(VelUt::FindNoCase(text.c_str(), L"needle", 0), static_cast<int>(at));
    EXPECT_EQ(VelUt::FindNoCase(text.c_str(), L"needle", static_cast<int>(at)),
              static_cast<int>(at));
    EXPECT_EQ(VelUt::FindNoCase(text.c_str(), L"needle", static_cast<int>(at) + 1), -1);
  }
  const std::wstring text(5000, L'a');
  EXPECT_EQ(VelUt::FindNoCase(text.c_str(), L"a", 4999), 4999);
  EXPECT_EQ(VelUt::FindNoCase(text.c_str(), L"a", 5000), -1);
  EXPECT_EQ(VelUt::FindNoCase(text.c_str(), L"aa", 4999), -1);
}

// A resource id in place of the text reads the string resource; with no
// resource module there is none, so nothing is found.
TEST(FindNoCase, ResourceIdTextWithoutModule) {
  EXPECT_EQ(VelUt::FindNoCase(reinterpret_cast<const wchar_t*>(7), L"a", 0), -1);
}

TEST(FindNoCase, FoldsWithTheClassicLocaleWhateverTheGlobalOne) {
  velut_test::ScopedGlobalLocale utf8("C.UTF-8");
  if (!utf8.ok()) GTEST_SKIP() << "C.UTF-8 is not installed";
  EXPECT_EQ(VelUt::FindNoCase(L"\u00C0", L"\u00E0", 0), -1);
  EXPECT_EQ(VelUt::FindNoCase(L"K", L"\u212A", 0), -1);  // Kelvin sign
  Str s(L"\u00C0a\u00E0");
  EXPECT_EQ(VelUt::ReplaceNoCase(s, L"\u00E0", L"x"), 1);
  EXPECT_EQ(s, L"\u00C0ax");
}

// ---------------------------------------------------------- ReplaceNoCase

TEST(ReplaceNoCase, Table) {
  struct Row {
    const wchar_t* target;
    const wchar_t* pattern;
    const wchar_t* replacement;
    const wchar_t* expected;
    int count;
  };
  const Row rows[] = {
      {L"aaaa", L"AA", L"b", L"bb", 2},
      {L"aaa", L"aa", L"x", L"xa", 1},
      {L"abc", L"B", L"bb", L"abbc", 1},  // inserted text is not searched again
      {L"a-b-c", L"-", nullptr, L"abc", 2},
      {L"abc", L"", L"x", L"abc", 0},
      {L"abc", nullptr, L"x", L"abc", 0},
      {L"", L"a", L"x", L"", 0},
      {L"Hello hello HELLO", L"hello", L"Bye", L"Bye Bye Bye", 3},
      {L"abc", L"abcd", L"x", L"abc", 0},
      {L"abc", L"ABC", L"", L"", 1},
      {L"xAbAbx", L"ab", L"AB", L"xABABx", 2},  // replacement keeps its case
      {L"\u00C0\u00E0", L"\u00E0", L"!", L"\u00C0!", 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << std::wstring(r.target) << " / "
                                    << (r.pattern ? std::wstring(r.pattern) : L"(null)"));
    Str s(r.target);
    EXPECT_EQ(VelUt::ReplaceNoCase(s, r.pattern, r.replacement), r.count);
    EXPECT_EQ(s, r.expected);
  }
}

// A result too large for memory: std::bad_alloc, the target as it was.
TEST(ReplaceNoCase, ResultTooLargeForMemory) {
  const std::wstring text(70000, L'a'), replacement(70000, L'b');
  Str s(text);
  test_support::LimitAllocations(64ul << 20);
  EXPECT_THROW(VelUt::ReplaceNoCase(s, L"A", replacement.c_str()), std::bad_alloc);
  test_support::LimitAllocations(0);
  EXPECT_EQ(s, text);
}

// NUL units inside the target are data: they never match and are kept.
TEST(ReplaceNoCase, EmbeddedNulIsKept) {
  Str s(std::wstring(L"a\0Ab\0", 5));
  EXPECT_EQ(VelUt::ReplaceNoCase(s, L"a", L"x"), 2);
  EXPECT_EQ(s, std::wstring(L"x\0xb\0", 5));
}

// The pattern and the replacement may point into the target itself.
TEST(ReplaceNoCase, ArgumentsInsideTheTarget) {
  Str s(L"abAB");
  EXPECT_EQ(VelUt::ReplaceNoCase(s, s.c_str() + 2, s.c_str()), 2);
  EXPECT_EQ(s, L"abABabAB");
  Str t(L"xyz");
  EXPECT_EQ(VelUt::ReplaceNoCase(t, t.c_str() + 1, t.c_str() + 2), 1);
  EXPECT_EQ(t, L"xz");
}

// --------------------------------------------- agreement with slow scans

std::wstring RandomText(std::mt19937& rng, std::size_t maxLength, bool withNul) {
  static const wchar_t kUnits[] = {
      L'a', L'A', L'b', L'B',      L'z',      L'Z',      L'@',
      L'`', L'[', L'{', L'\u00C0', L'\u00E0', L'\u212A', static_cast<wchar_t>(0x80000041),
      L'\0'};
  const std::size_t alphabet = sizeof kUnits / sizeof kUnits[0] - (withNul ? 0 : 1);
  std::wstring s(rng() % (maxLength + 1), L'a');
  for (wchar_t& c : s) c = kUnits[rng() % alphabet];
  // Mostly a and b, so that matches are common.
  for (wchar_t& c : s)
    if (rng() % 3 != 0) c = (rng() % 2 ? L'a' : L'B');
  return s;
}

TEST(FindNoCase, AgreesWithSlowScan) {
  std::mt19937 rng(20240611);
  for (int round = 0; round < 4000; ++round) {
    const std::wstring text = RandomText(rng, round % 4 == 0 ? 300 : 40, false);
    const std::wstring pattern = RandomText(rng, 1 + round % 5, false);
    const int start = static_cast<int>(rng() % 50) - 5;
    SCOPED_TRACE(testing::Message() << "round " << round);
    ASSERT_EQ(VelUt::FindNoCase(text.c_str(), pattern.c_str(), start),
              slowref::Find(text, pattern, start));
  }
}

TEST(ReplaceNoCase, AgreesWithSlowScan) {
  std::mt19937 rng(7);
  for (int round = 0; round < 4000; ++round) {
    const std::wstring text = RandomText(rng, round % 4 == 0 ? 300 : 40, true);
    const std::wstring pattern = RandomText(rng, 1 + round % 4, false);
    const std::wstring replacement = RandomText(rng, 3, false);
    Str fast(text);
    std::wstring slow = text;
    SCOPED_TRACE(testing::Message() << "round " << round);
    ASSERT_EQ(VelUt::ReplaceNoCase(fast, pattern.c_str(), replacement.c_str()),
              slowref::Replace(slow, pattern, replacement));
    ASSERT_EQ(fast, slow);
  }
}

// The internal scan at each width it has on this processor: the first
// match at or after a position, in a bounded and in a terminated text.
TEST(NoCaseScan, EveryWidthAgreesWithSlowScan) {
  using VelUt::detail::NoCaseSearcher;
  using VelUt::detail::ScanWidth;
  const ScanWidth widths[] = {ScanWidth::kOne, ScanWidth::kSse2, ScanWidth::kAvx2};
  for (const ScanWidth width : widths) {
    if (!NoCaseSearcher::Supported(width)) continue;
    std::mt19937 rng(99);
    for (int round = 0; round < 3000; ++round) {
      const std::wstring text = RandomText(rng, round % 3 == 0 ? 400 : 90, false);
      std::wstring pattern = RandomText(rng, 1 + round % 6, false);
      if (pattern.empty()) pattern = L"a";
      const std::size_t from = text.empty() ? 0 : rng() % text.size();
      const NoCaseSearcher searcher(pattern.data(), pattern.size(), width);
      const int expected = slowref::Find(text, pattern, static_cast<int>(from));
      SCOPED_TRACE(testing::Message() << "width " << static_cast<int>(width) << " round " << round);
      const std::size_t found = searcher.Find(text.data(), text.size(), from);
      ASSERT_EQ(found == VelUt::detail::kNotFound ? -1 : static_cast<int>(found), expected);
      if (from < text.size()) {
        const std::size_t t = searcher.FindTerminated(text.c_str(), from);
        ASSERT_EQ(t == VelUt::detail::kNotFound ? -1 : static_cast<int>(t), expected);
      }
    }
  }
}

}  // namespace
