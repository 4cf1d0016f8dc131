// What VelString decides itself: null is "", substr's clamping, case folding by the global locale.
#include <climits>
#include <utility>

#include <gtest/gtest.h>

#include <velfirst/VelString.h>

#include "support/global_locale.h"

namespace {

// Past the end stops there, a negative count runs to the end, a negative start is 0.
TEST(VelString, Substr) {
  const std::pair<std::pair<int, int>, const wchar_t*> rows[] = {
      {{1, 3}, L"bcd"}, {{2, 4}, L"cdef"},   {{5, INT_MAX}, L"f"}, {{4, INT_MIN}, L"ef"},
      {{6, -1}, L""},   {{INT_MAX, 1}, L""}, {{INT_MIN, 1}, L"a"}, {{-1, -1}, L"abcdef"},
  };
  for (const auto& [range, expected] : rows)
    EXPECT_STREQ(VelString(L"abcdef").substr(range.first, range.second).c_str(), expected)
        << "substr(" << range.first << ", " << range.second << ")";
}

// compare: unit order; collateNoCase lowers each unit with the global locale first: the classic
// one A-Z only ('[' lies between 'Z' and 'a'), C.UTF-8 beyond ASCII too.
TEST(VelString, CompareAndCollateNoCase) {
  const struct {
    const wchar_t *left, *right;
    int compare, classic, utf8;  // signs
  } rows[] = {
      {nullptr, L"", 0, 0, 0},    {L"a", nullptr, 1, 1, 1}, {L"ab", L"abc", -1, -1, -1},
      {L"ABC", L"abc", -1, 0, 0}, {L"[", L"A", 1, -1, -1},  {L"\xC4", L"\xE4", -1, -1, 0},
  };
  for (const char* locale : {"C", "C.UTF-8"}) {
    velut_test::ScopedGlobalLocale global(locale);
    ASSERT_TRUE(global.ok());
    for (const auto& row : rows) {
      SCOPED_TRACE(testing::Message()
                   << locale << ": '" << row.left << "' vs '" << row.right << "'");
      const int compare = VelString(row.left).compare(row.right);
      const int collate = VelString(row.left).collateNoCase(row.right);
      EXPECT_EQ((compare > 0) - (compare < 0), row.compare);
      EXPECT_EQ((collate > 0) - (collate < 0), locale[1] == '\0' ? row.classic : row.utf8);
    }
  }
  VelString s(L"ab");
  EXPECT_STREQ(s.append(nullptr).c_str(), L"ab");
  EXPECT_STREQ(s.assign(static_cast<const wchar_t*>(nullptr)).c_str(), L"");
  s = VelString(L"cd");
  EXPECT_STREQ(VelString(std::move(s)).c_str(), L"cd");
}

}  // namespace
