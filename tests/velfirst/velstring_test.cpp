// What VelString decides itself: null is "", substr's clamping, case folding by the global locale.
#include <climits>
#include <utility>

#include <gtest/gtest.h>

#include <velfirst/VelString.h>

#include "support/global_locale.h"

namespace {

TEST(VelString, Substr) {
  const struct {
    int start, count;
    const wchar_t* expected;
  } rows[] = {
      {1, 3, L"bcd"},   {0, 0, L""},         {2, 4, L"cdef"},      // exactly to the end
      {2, 5, L"cdef"},  {5, INT_MAX, L"f"},                        // past the end: stops there
      {2, -1, L"cdef"}, {4, INT_MIN, L"ef"},                       // negative count: to the end
      {5, 1, L"f"},     {6, -1, L""},        {INT_MAX, 1, L""},    // start at or past the end
      {-1, 2, L"ab"},   {INT_MIN, 1, L"a"},  {-1, -1, L"abcdef"},  // negative start: from 0
  };
  for (const auto& row : rows) {
    EXPECT_STREQ(VelString(L"abcdef").substr(row.start, row.count).c_str(), row.expected)
        << "substr(" << row.start << ", " << row.count << ")";
  }
}

// compare: unit order; collateNoCase lowers each unit with the global locale first: the classic
// one A-Z only ('[' lies between 'Z' and 'a'), C.UTF-8 beyond ASCII too.
TEST(VelString, CompareAndCollateNoCase) {
  const struct {
    const wchar_t *left, *right;
    int compare, classic, utf8;  // signs
  } rows[] = {
      {L"abc", L"abc", 0, 0, 0},   {nullptr, L"", 0, 0, 0},       {L"a", nullptr, 1, 1, 1},
      {L"ab", L"abc", -1, -1, -1}, {L"abd", L"abc", 1, 1, 1},     {L"ABC", L"abc", -1, 0, 0},
      {L"[", L"A", 1, -1, -1},     {L"\xC4", L"\xE4", -1, -1, 0},
  };
  if (!velut_test::HasLocale("C.UTF-8")) GTEST_SKIP() << "C.UTF-8 is not installed";
  for (const char* locale : {"C", "C.UTF-8"}) {
    velut_test::ScopedGlobalLocale global(locale);
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
