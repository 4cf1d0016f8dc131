// CStdStr: construction, buffers, trimming, searching, extraction, editing
// and comparison.
#include <climits>
#include <clocale>
#include <cstdint>
#include <locale>
#include <string>
#include <type_traits>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/alloc_failure.h"
#include "support/global_locale.h"

namespace {

using Str = CStdStr<wchar_t>;

static_assert(sizeof(Str) == sizeof(std::wstring), "CStdStr adds no data");
static_assert(!std::is_polymorphic<Str>::value, "CStdStr has no virtual function");
static_assert(std::is_base_of<std::wstring, Str>::value, "CStdStr is a std::wstring");
static_assert(alignof(Str) == alignof(std::wstring), "same alignment");

const wchar_t* IdPointer(std::uintptr_t id) { return reinterpret_cast<const wchar_t*>(id); }

TEST(StdStrConstruct, FromTextsCharactersAndIds) {
  EXPECT_EQ(Str(static_cast<const wchar_t*>(nullptr)), L"");
  EXPECT_EQ(Str(L"abc"), L"abc");
  EXPECT_EQ(Str(L'x'), L"x");
  EXPECT_EQ(Str(L'\0').size(), 1u);
  EXPECT_EQ(Str(std::wstring(L"q")), L"q");
  // Pointer values 1..0xFFFF are resource ids; no module is current, so
  // each gives an empty string instead of being read as text.
  for (std::uintptr_t id : {std::uintptr_t{1}, std::uintptr_t{7}, std::uintptr_t{0xFFFF}}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(Str(IdPointer(id)), L"");
  }
}

TEST(StdStrConstruct, LoadOfMissingStringKeepsContent) {
  Str s(L"abc");
  EXPECT_FALSE(s.Load(7, nullptr));
  EXPECT_EQ(s, L"abc");
}

TEST(StdStrAssign, PointerCases) {
  Str s(L"abcdef");
  s = static_cast<const wchar_t*>(nullptr);
  EXPECT_EQ(s, L"");

  s = L"abcdef";
  s = s.c_str() + 2;  // own tail
  EXPECT_EQ(s, L"cdef");
  s = s.c_str() + s.size();  // own terminator
  EXPECT_EQ(s, L"");

  s = L"xy";
  s = L"plain";  // an ordinary copy
  EXPECT_EQ(s, L"plain");

  Str t(std::wstring(L"ab\0cd", 5));
  t = t.c_str() + 1;  // the tail is read up to its first NUL
  EXPECT_EQ(t, L"b");
}

// Assigning a standard string copies all its units, embedded NULs
// included; assigning one unit makes a string of length 1.
TEST(StdStrAssign, StandardStringsAndCharacters) {
  Str s(L"old");
  const std::wstring with_nul(L"a\0b", 3);
  EXPECT_EQ(&(s = with_nul), &s);
  EXPECT_EQ(s.size(), 3u);
  EXPECT_EQ(static_cast<const std::wstring&>(s), with_nul);
  s = static_cast<const std::wstring&>(s);  // self-assignment keeps the text
  EXPECT_EQ(static_cast<const std::wstring&>(s), with_nul);

  EXPECT_EQ(&(s = L'z'), &s);
  EXPECT_EQ(s, L"z");
  s = L'\0';
  EXPECT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0], L'\0');
}

TEST(StdStrBuffer, GetBufAndRelBuf) {
  Str s(L"abc");
  wchar_t* p = s.GetBuf(10);
  EXPECT_EQ(s.size(), 10u);
  EXPECT_EQ(std::wstring(p, 3), L"abc");
  for (int i = 3; i < 10; ++i) EXPECT_EQ(p[i], L'\0');
  s.RelBuf(-1);
  EXPECT_EQ(s, L"abc");

  s.GetBuf(10);
  s.RelBuf(2);
  EXPECT_EQ(s, L"ab");

  // Never shortens, whatever the request.
  for (int n : {INT_MIN, -1, 0, 1, 2}) {
    SCOPED_TRACE(n);
    Str t(L"ab");
    t.GetBuf(n);
    EXPECT_EQ(t, L"ab");
  }

  // RelBuf with a length beyond the content pads with NUL units.
  Str u(L"a");
  u.RelBuf(3);
  EXPECT_EQ(u, std::wstring(L"a\0\0", 3));

  // More units than memory holds: std::bad_alloc, the string unchanged.
  test_support::LimitAllocations(1ul << 30);
  Str v(L"ab");
  v.GetBuf(1);
  EXPECT_THROW(v.RelBuf(INT_MAX), std::bad_alloc);
  EXPECT_THROW(v.GetBuf(INT_MAX), std::bad_alloc);
  test_support::LimitAllocations(0);
  EXPECT_EQ(v, L"ab");
}

TEST(StdStrBuffer, IdiomAt1024Boundaries) {
  for (int len : {0, 1, 1023, 1024, 1025, 5000}) {
    SCOPED_TRACE(len);
    Str s(std::wstring(static_cast<std::size_t>(len), L'z'));
    wchar_t* p = s.GetBuf(1024);
    ASSERT_GE(s.size(), 1024u);
    // A layer function writes a text of at most 1023 units plus NUL.
    for (int i = 0; i < 1023; ++i) p[i] = L'k';
    p[1023] = L'\0';
    s.RelBuf(-1);
    EXPECT_EQ(s, std::wstring(1023, L'k'));
  }
}

struct TrimRow {
  const wchar_t* in;
  const wchar_t* left;
  const wchar_t* right;
};

TEST(StdStrTrim, ClassicLocale) {
  const TrimRow rows[] = {
      {L"", L"", L""},
      {L"  ", L"", L""},
      {L"\t x ", L"x ", L"\t x"},
      {L"\u00A0x\u00A0", L"\u00A0x\u00A0", L"\u00A0x\u00A0"},  // not space here
      {L"\r\n\v\fa\r\n\v\f", L"a\r\n\v\f", L"\r\n\v\fa"},
      {L"a b", L"a b", L"a b"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "\"" << std::wstring(r.in) << "\"");
    Str l(r.in), rt(r.in);
    EXPECT_EQ(l.TrimLeft(), r.left);
    EXPECT_EQ(rt.TrimRight(), r.right);
  }
}

TEST(StdStrTrim, FollowsTheGlobalLocale) {
  velut_test::ScopedGlobalLocale utf8("C.UTF-8");
  Str s(L"\u2003\u00A0x\u2003");  // em space; no-break space is not space in glibc
  Str expected_left(L"\u00A0x\u2003");
  s.TrimLeft();
  EXPECT_EQ(s, expected_left);
  s.TrimRight();
  EXPECT_EQ(s, L"\u00A0x");
}

TEST(StdStrCase, MakeLowerAndToLower) {
  Str s(L"\u00C0B");
  EXPECT_EQ(s.MakeLower(), L"\u00C0b");  // classic: only A-Z
  {
    velut_test::ScopedGlobalLocale utf8("C.UTF-8");
    Str t(L"\u00C0B\u0130");
    t.MakeLower();
    EXPECT_EQ(t[0], L'\u00E0');
    EXPECT_EQ(t[1], L'b');
    EXPECT_EQ(t.size(), 3u);  // the length never changes
  }
  Str u(L"\u00C0B");
  EXPECT_EQ(u.ToLower(std::locale("C.UTF-8")), L"\u00E0b");
  Str empty;
  EXPECT_EQ(empty.ToLower(std::locale::classic()), L"");
}

TEST(StdStrSearch, FindAndFindOneOf) {
  // A set far longer than the text, of units below 256 and above.
  const std::wstring long_set = std::wstring(70000, L'\u4E00') + L"\U0001F600c";
  struct Row {
    const wchar_t* s;
    const wchar_t* arg;
    int find;
    int one_of;
  };
  const Row rows[] = {
      {L"", L"", 0, -1},
      {L"abc", L"", 0, -1},
      {L"abc", L"c", 2, 2},
      {L"abc", L"x", -1, -1},
      {L"abc", L"xb", -1, 1},
      {L"", L"a", -1, -1},
      {L"abcabc", L"ca", 2, 0},
      {L"abc", L"abcd", -1, 0},
      {L"", nullptr, 0, -1},
      {L"abc", nullptr, 0, -1},  // null: ""
      {L"ab\U0001F600c", long_set.c_str(), -1, 2},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << std::wstring(r.s) << " / " << (r.arg ? r.arg : L"(null)"));
    EXPECT_EQ(Str(r.s).Find(r.arg), r.find);
    EXPECT_EQ(Str(r.s).FindOneOf(r.arg), r.one_of);
  }
}

TEST(StdStrExtract, MidLeftRightClamp) {
  const Str s(L"abcdef");
  struct Row {
    int first, count;
    const wchar_t* mid;
  };
  const Row mids[] = {
      {-3, 2, L"ab"},
      {4, 10, L"ef"},
      {6, 1, L""},
      {7, 1, L""},
      {0, -1, L""},
      {INT_MIN, INT_MAX, L"abcdef"},
      {INT_MAX, INT_MAX, L""},
      {2, INT_MAX, L"cdef"},
      {0, 6, L"abcdef"},
      {5, INT_MIN, L""},
  };
  for (const auto& r : mids) {
    SCOPED_TRACE(testing::Message() << "Mid(" << r.first << ", " << r.count << ")");
    EXPECT_EQ(s.Mid(r.first, r.count), r.mid);
  }
  struct Side {
    int count;
    const wchar_t* left;
    const wchar_t* right;
  };
  const Side sides[] = {
      {INT_MIN, L"", L""},
      {-1, L"", L""},
      {0, L"", L""},
      {2, L"ab", L"ef"},
      {6, L"abcdef", L"abcdef"},
      {INT_MAX, L"abcdef", L"abcdef"},
  };
  for (const auto& r : sides) {
    SCOPED_TRACE(r.count);
    EXPECT_EQ(s.Left(r.count), r.left);
    EXPECT_EQ(s.Right(r.count), r.right);
  }
  EXPECT_EQ(Str(L"abc").Right(2), L"bc");
  EXPECT_EQ(s, L"abcdef");  // unchanged
}

TEST(StdStrEdit, InsertDeleteRemove) {
  struct Ins {
    const wchar_t* s;
    int index;
    const wchar_t* out;
  };
  const Ins ins[] = {
      {L"abc", 1, L"axbc"},
      {L"abc", 0, L"xabc"},
      {L"abc", 3, L"abcx"},
      {L"abc", -1, L"abcx"},
      {L"abc", INT_MIN, L"abcx"},
      {L"abc", INT_MAX, L"abcx"},
      {L"", 5, L"x"},
      {L"", 0, L"x"},
  };
  for (const auto& r : ins) {
    SCOPED_TRACE(testing::Message() << std::wstring(r.s) << " @" << r.index);
    Str s(r.s);
    EXPECT_EQ(s.Insert(r.index, L'x'), static_cast<int>(std::wcslen(r.out)));
    EXPECT_EQ(s, r.out);
  }
  struct Del {
    int index, count;
    const wchar_t* out;
  };
  const Del dels[] = {
      {1, -1, L"a"},           {-2, 2, L"cdef"},  {6, 1, L"abcdef"},
      {1, 0, L"abcdef"},       {4, 10, L"abcd"},  {INT_MIN, 1, L"bcdef"},
      {INT_MAX, 1, L"abcdef"}, {0, INT_MAX, L""}, {2, INT_MIN, L"ab"},
  };
  for (const auto& r : dels) {
    SCOPED_TRACE(testing::Message() << "Delete(" << r.index << ", " << r.count << ")");
    Str s(L"abcdef");
    EXPECT_EQ(s.Delete(r.index, r.count), static_cast<int>(std::wcslen(r.out)));
    EXPECT_EQ(s, r.out);
  }
  Str b(L"banana");
  EXPECT_EQ(b.Remove(L'a'), 3);
  EXPECT_EQ(b, L"bnn");
  EXPECT_EQ(b.Remove(L'z'), 0);
}

TEST(StdStrEdit, Replace) {
  struct Row {
    const wchar_t* s;
    const wchar_t* from;
    const wchar_t* to;
    const wchar_t* out;
    int count;
  };
  const Row rows[] = {
      {L"aaaa", L"aa", L"b", L"bb", 2},   {L"aaa", L"aa", L"b", L"ba", 1},
      {L"aa", L"a", L"aa", L"aaaa", 2},   {L"abc", L"", L"x", L"abc", 0},
      {L"abc", nullptr, L"x", L"abc", 0}, {L"banana", L"a", nullptr, L"bnn", 3},
      {L"", L"a", L"b", L"", 0},          {L"abab", L"ab", L"ab", L"abab", 2},
      {L"xyz", L"xyz", L"", L"", 1},      {L"axa", L"x", L"xx", L"axxa", 1},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << std::wstring(r.s));
    Str s(r.s);
    EXPECT_EQ(s.Replace(r.from, r.to), r.count);
    EXPECT_EQ(s, r.out);
  }
  // Arguments that point into the string itself.
  Str self(L"abcabc");
  EXPECT_EQ(self.Replace(self.c_str() + 3, self.c_str() + 4), 2);  // "abc" -> "bc"
  EXPECT_EQ(self, L"bcbc");
}

TEST(StdStrCompare, CompareNoCaseIsClassicOnly) {
  struct Row {
    const wchar_t* a;
    const wchar_t* b;
    int result;
  };
  const Row rows[] = {
      {L"ABC", L"abc", 0},     {L"abc", L"abd", -1},   {L"ab", L"abc", -99},
      {L"abc", L"ab", 99},     {L"", L"", 0},          {L"\u00C0", L"\u00E0", 0xC0 - 0xE0},
      {L"Z", L"a", 'z' - 'a'}, {L"abc", nullptr, 'a'}, {L"", nullptr, 0},  // null: ""
  };
  velut_test::ScopedGlobalLocale utf8("C.UTF-8");  // must make no difference
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << std::wstring(r.a) << " vs " << (r.b ? r.b : L"(null)"));
    EXPECT_EQ(Str(r.a).CompareNoCase(r.b), r.result);
  }
  // Extreme units: the difference wraps as 32-bit arithmetic.
  const wchar_t hi[] = {static_cast<wchar_t>(0x7FFFFFFF), 0};
  const wchar_t lo[] = {static_cast<wchar_t>(INT_MIN), 0};
  EXPECT_EQ(Str(hi).CompareNoCase(lo), -1);
}

TEST(StdStrCompare, CollateNoCase) {
  EXPECT_EQ(Str(L"").CollateNoCase(nullptr), 0);
  EXPECT_NE(Str(L"a").CollateNoCase(nullptr), 0);
  EXPECT_EQ(Str(L"ABC").CollateNoCase(L"abc"), 0);
  EXPECT_NE(Str(L"abc").CollateNoCase(L"abd"), 0);
  EXPECT_NE(Str(L"\u00C4").CollateNoCase(L"\u00E4"), 0);  // classic: no fold
  {
    velut_test::ScopedGlobalLocale utf8("C.UTF-8");
    EXPECT_EQ(Str(L"\u00C4x").CollateNoCase(L"\u00E4X"), 0);
  }
  // An embedded NUL: the copy stops there, the length does not mislead.
  Str nul(std::wstring(L"ab\0cd", 5));
  EXPECT_EQ(nul.CollateNoCase(L"AB"), 0);
}

TEST(StdStrFree, SsicollAndSsadd) {
  EXPECT_EQ(ssicoll(L"ABC", 3, L"abc", 3), 0);
  EXPECT_EQ(ssicoll(nullptr, 0, nullptr, 0), 0);
  EXPECT_EQ(ssicoll(L"abX", 2, L"ABy", 2), 0);  // only the given lengths
  EXPECT_EQ(ssicoll(L"ab", 100, L"AB", 2), 0);  // lengths are cut to the texts
  EXPECT_EQ(ssicoll(L"a", -5, L"", 0), 0);
  EXPECT_EQ(ssicoll(L"a", 1, L"b", 1), -1);
  EXPECT_EQ(ssicoll(L"b", 1, L"a", 1), 1);

  std::wstring s(L"ab");
  ssadd(s, s.c_str());
  EXPECT_EQ(s, L"abab");
  ssadd(s, nullptr);
  EXPECT_EQ(s, L"abab");
  ssadd(s, s.c_str() + 3);
  EXPECT_EQ(s, L"ababb");
  ssadd(s, s.c_str() + s.size());  // at the terminator
  EXPECT_EQ(s, L"ababb");
  // Self-appends that must reallocate.
  std::wstring big(1000, L'q');
  big.shrink_to_fit();
  ssadd(big, big.c_str());
  EXPECT_EQ(big, std::wstring(2000, L'q'));
  ssadd(big, L"z");
  EXPECT_EQ(big.back(), L'z');
}

}  // namespace
