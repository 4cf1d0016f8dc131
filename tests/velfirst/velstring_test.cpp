#include <climits>
#include <cwchar>
#include <locale>
#include <stdexcept>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include <velfirst/VelString.h>

#include "support/global_locale.h"

namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

TEST(VelString, Construction) {
  struct Row {
    const char* name;
    const wchar_t* text;
    const wchar_t* expected;
  };
  const Row rows[] = {
      {"null", nullptr, L""},
      {"empty", L"", L""},
      {"text", L"abc", L"abc"},
      {"beyond the BMP", L"\u00E9\U0001F600", L"\u00E9\U0001F600"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const VelString s(row.text);
    ASSERT_NE(s.c_str(), nullptr);
    EXPECT_STREQ(s.c_str(), row.expected);
    EXPECT_EQ(s.length(), static_cast<int>(std::wcslen(row.expected)));
    EXPECT_EQ(s.isEmpty(), row.expected[0] == L'\0');
  }

  const VelString def;
  ASSERT_NE(def.c_str(), nullptr);
  EXPECT_STREQ(def.c_str(), L"");
  EXPECT_TRUE(def.isEmpty());
  EXPECT_EQ(def.length(), 0);
  EXPECT_EQ(def, VelString(nullptr));
  EXPECT_EQ(def, VelString(L""));
}

TEST(VelString, DoesNotKeepThePointerItWasGiven) {
  wchar_t buffer[] = L"abc";
  const VelString s(buffer);
  buffer[0] = L'X';
  EXPECT_STREQ(s.c_str(), L"abc");
}

TEST(VelString, CopiesAreIndependent) {
  VelString a(L"abc");
  VelString b(a);
  b.append(L"d");
  EXPECT_STREQ(a.c_str(), L"abc");
  EXPECT_STREQ(b.c_str(), L"abcd");

  VelString c;
  c = a;
  a.replace(L'a', L'z');
  EXPECT_STREQ(c.c_str(), L"abc");
  EXPECT_STREQ(a.c_str(), L"zbc");
  EXPECT_NE(a, c);
}

TEST(VelString, Assign) {
  VelString s(L"old");
  s.assign(L"new text");
  EXPECT_STREQ(s.c_str(), L"new text");
  s.assign(static_cast<const wchar_t*>(nullptr));
  EXPECT_TRUE(s.isEmpty());
  ASSERT_NE(s.c_str(), nullptr);
  EXPECT_STREQ(s.c_str(), L"");

  s.assign(L"x");
  s.assign(L"");
  EXPECT_TRUE(s.isEmpty());

  const VelString other(L"other");
  EXPECT_EQ(&s.assign(other), &s);
  EXPECT_STREQ(s.c_str(), L"other");
  EXPECT_EQ(&s.assign(L"chain"), &s);
}

TEST(VelString, SelfAssign) {
  VelString s(L"self");
  const VelString& alias = s;
  s.assign(alias);
  EXPECT_STREQ(s.c_str(), L"self");
  s = alias;
  EXPECT_STREQ(s.c_str(), L"self");
  s.assign(s.c_str());  // its own buffer as the source
  EXPECT_STREQ(s.c_str(), L"self");
  s.assign(s.c_str() + 2);  // a part of itself
  EXPECT_STREQ(s.c_str(), L"lf");
}

TEST(VelString, Append) {
  VelString s(L"ab");
  s.append(nullptr);
  EXPECT_STREQ(s.c_str(), L"ab");
  s.append(L"");
  EXPECT_STREQ(s.c_str(), L"ab");
  EXPECT_EQ(&s.append(L"cd"), &s);
  EXPECT_STREQ(s.c_str(), L"abcd");

  VelString empty;
  empty.append(L"x");
  EXPECT_STREQ(empty.c_str(), L"x");
}

TEST(VelString, AppendItsOwnText) {
  VelString s(L"abc");
  s.append(s.c_str());
  EXPECT_STREQ(s.c_str(), L"abcabc");
  s.append(s.c_str() + 4);
  EXPECT_STREQ(s.c_str(), L"abcabcbc");

  // Long enough that appending must move the storage while the source
  // still points into the old one.
  const std::wstring long_text(1000, L'q');
  VelString big(long_text.c_str());
  for (int i = 0; i < 4; ++i) big.append(big.c_str());
  EXPECT_EQ(big.length(), 16000);
  EXPECT_EQ(std::wstring(big.c_str()), std::wstring(16000, L'q'));
}

TEST(VelString, Replace) {
  struct Row {
    const wchar_t* text;
    wchar_t from;
    wchar_t to;
    const wchar_t* expected;
  };
  const Row rows[] = {
      {L"C:/dir/file", L'/', L'\\', L"C:\\dir\\file"},
      {L"abc", L'x', L'y', L"abc"},
      {L"aaa", L'a', L'b', L"bbb"},
      {L"aaa", L'a', L'a', L"aaa"},
      {L"", L'a', L'b', L""},
      {L"Aa", L'a', L'b', L"Ab"},  // case-sensitive
      {L"\u00E9\U0001F600\u00E9", L'\u00E9', L'e', L"e\U0001F600e"},
      {L"x\U0001F600", L'\U0001F600', L'y', L"xy"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    VelString s(row.text);
    EXPECT_EQ(&s.replace(row.from, row.to), &s);
    EXPECT_STREQ(s.c_str(), row.expected);
  }
}

TEST(VelString, SetEmpty) {
  VelString s(L"something");
  EXPECT_FALSE(s.isEmpty());
  s.setEmpty();
  EXPECT_TRUE(s.isEmpty());
  EXPECT_EQ(s.length(), 0);
  ASSERT_NE(s.c_str(), nullptr);
  EXPECT_STREQ(s.c_str(), L"");
  s.setEmpty();
  EXPECT_TRUE(s.isEmpty());
  s.append(L"again");
  EXPECT_STREQ(s.c_str(), L"again");
}

TEST(VelString, LengthCountsUnits) {
  EXPECT_EQ(VelString(L"a").length(), 1);
  EXPECT_EQ(VelString(L"hello").length(), 5);
  EXPECT_EQ(VelString(L"\u00E9\U0001F600").length(), 2);  // one unit each
  EXPECT_EQ(VelString(std::wstring(5000, L'z').c_str()).length(), 5000);
}

TEST(VelString, Substr) {
  const VelString s(L"abcdef");
  struct Row {
    int start;
    int count;
    const wchar_t* expected;
  };
  const Row rows[] = {
      {0, 6, L"abcdef"},
      {1, 3, L"bcd"},
      {0, 1, L"a"},
      {5, 1, L"f"},
      {0, 0, L""},
      {3, 0, L""},
      // A count past the end stops at the end.
      {2, 4, L"cdef"},
      {2, 5, L"cdef"},
      {2, 100, L"cdef"},
      {5, INT_MAX, L"f"},
      // A negative count means "to the end".
      {2, -1, L"cdef"},
      {0, -1, L"abcdef"},
      {4, INT_MIN, L"ef"},
      // A start at or past the end gives "".
      {6, 1, L""},
      {6, -1, L""},
      {7, 2, L""},
      {INT_MAX, INT_MAX, L""},
      // A negative start counts from the beginning.
      {-1, 2, L"ab"},
      {-100, 3, L"abc"},
      {-1, -1, L"abcdef"},
      {INT_MIN, 1, L"a"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "substr(" << row.start << ", " << row.count << ")");
    const VelString part = s.substr(row.start, row.count);
    ASSERT_NE(part.c_str(), nullptr);
    EXPECT_STREQ(part.c_str(), row.expected);
    EXPECT_EQ(part.length(), static_cast<int>(std::wcslen(row.expected)));
  }
  EXPECT_STREQ(s.c_str(), L"abcdef");  // the source is unchanged

  const VelString empty;
  EXPECT_TRUE(empty.substr(0, 0).isEmpty());
  EXPECT_TRUE(empty.substr(0, 5).isEmpty());
  EXPECT_TRUE(empty.substr(-1, -1).isEmpty());
}

TEST(VelString, Compare) {
  struct Row {
    const wchar_t* left;
    const wchar_t* right;
    int sign;
  };
  const Row rows[] = {
      {L"abc", L"abc", 0},
      {L"", L"", 0},
      {L"", nullptr, 0},
      {nullptr, L"", 0},
      {L"abc", L"", 1},
      {L"abc", nullptr, 1},
      {L"", L"a", -1},
      {L"abc", L"abd", -1},
      {L"abd", L"abc", 1},
      {L"ab", L"abc", -1},  // a prefix sorts first
      {L"abc", L"ab", 1},
      {L"a", L"B", 1},  // unit order, not case-insensitive
      {L"A", L"a", -1},
      {L"\u00E9", L"f", 1},
      {L"\uFFFF", L"\U0001F600", -1},
      {L"\U0001F600", L"\uFFFF", 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "compare(" << (row.left ? row.left : L"null") << ", "
                                    << (row.right ? row.right : L"null") << ")");
    EXPECT_EQ(Sign(VelString(row.left).compare(row.right)), row.sign);
  }
}

TEST(VelString, CollateNoCaseUnderTheClassicLocale) {
  velut_test::ScopedGlobalLocale classic("C");
  struct Row {
    const wchar_t* left;
    const wchar_t* right;
    int sign;
  };
  const Row rows[] = {
      {L"ABC", L"abc", 0}, {L"abc", L"ABC", 0},        {L"MiXeD", L"mIxEd", 0},
      {L"", L"", 0},       {L"", nullptr, 0},          {L"a", L"", 1},
      {L"", L"A", -1},     {L"abc", L"ABD", -1},       {L"ABD", L"abc", 1},
      {L"ab", L"ABC", -1}, {L"a", L"B", -1},            // lowered first, so unlike compare()
      {L"[", L"A", -1},                                 // '[' sorts before 'a', though after 'A'
      {L"A", L"[", 1},     {L"\u00C4", L"\u00E4", -1},  // the classic locale lowers only A-Z
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "collateNoCase(" << row.left << ", "
                                    << (row.right ? row.right : L"null") << ")");
    EXPECT_EQ(Sign(VelString(row.left).collateNoCase(row.right)), row.sign);
  }
}

TEST(VelString, CollateNoCaseFollowsTheGlobalLocale) {
  if (!velut_test::HasLocale("C.UTF-8")) GTEST_SKIP() << "C.UTF-8 is not installed";
  const VelString upper(L"\u00C4rger");
  EXPECT_NE(upper.collateNoCase(L"\u00E4rger"), 0);
  velut_test::ScopedGlobalLocale utf8("C.UTF-8");
  EXPECT_EQ(upper.collateNoCase(L"\u00E4rger"), 0);
  EXPECT_EQ(upper.collateNoCase(L"\u00E4RGER"), 0);
  EXPECT_EQ(VelString(L"\u0391\u0392").collateNoCase(L"\u03B1\u03B2"), 0);  // Greek
  EXPECT_LT(upper.collateNoCase(L"\u00E4rgest"), 0);

  std::locale::global(std::locale::classic());
  EXPECT_NE(upper.collateNoCase(L"\u00E4rger"), 0);
}

TEST(VelString, Equality) {
  EXPECT_EQ(VelString(L"abc"), VelString(L"abc"));
  EXPECT_NE(VelString(L"abc"), VelString(L"abd"));
  EXPECT_NE(VelString(L"abc"), VelString(L"ABC"));
  EXPECT_NE(VelString(L"ab"), VelString(L"abc"));
  EXPECT_EQ(VelString(), VelString(nullptr));
}

TEST(VelString, MoveLeavesTheSourceEmpty) {
  // Long enough to live on the heap, so that a move steals the storage.
  const std::wstring long_text(100, L'm');

  VelString source(long_text.c_str());
  VelString moved(std::move(source));
  EXPECT_EQ(std::wstring(moved.c_str()), long_text);
  EXPECT_TRUE(source.isEmpty());  // NOLINT(bugprone-use-after-move)
  ASSERT_NE(source.c_str(), nullptr);
  EXPECT_STREQ(source.c_str(), L"");

  VelString short_source(L"short");
  VelString short_moved(std::move(short_source));
  EXPECT_STREQ(short_moved.c_str(), L"short");
  EXPECT_TRUE(short_source.isEmpty());  // NOLINT(bugprone-use-after-move)

  VelString target(L"old");
  target = std::move(moved);
  EXPECT_EQ(std::wstring(target.c_str()), long_text);
  EXPECT_TRUE(moved.isEmpty());  // NOLINT(bugprone-use-after-move)
  EXPECT_STREQ(moved.c_str(), L"");

  // A moved-from string is usable again.
  moved.append(L"reused");
  EXPECT_STREQ(moved.c_str(), L"reused");
}

}  // namespace
