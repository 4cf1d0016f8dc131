// Cutting a line into items, joining items back, and cutting once.
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/alloc_failure.h"

namespace {

using Str = CStdStr<wchar_t>;
using StrList = CStdContainer<Str, std::vector>;
using Items = std::vector<std::wstring>;
using test_support::AllocationFailure;

Items ToItems(const StrList& list) { return Items(list.begin(), list.end()); }

StrList ToList(const Items& items) {
  StrList list;
  for (const auto& s : items) list.Add(Str(s));
  return list;
}

struct ParseRow {
  std::wstring text;
  std::wstring delimiters;
  int flags;
  Items items;
};

TEST(ParseDelimitedString, Table) {
  const std::wstring kQuoted = L"a,\"b,c\",d";
  const ParseRow rows[] = {
      {L"a,b", L",", 0, {L"a", L"b"}},
      {L"a,,b", L",", 0, {L"a", L"", L"b"}},
      {L"a,,b", L",", 1, {L"a", L"b"}},
      {L",a,", L",", 0, {L"", L"a", L""}},
      {L",a,", L",", 1, {L"a"}},
      {L",,,", L",", 1, {}},
      {L",,,", L",", 0, {L"", L"", L"", L""}},
      {L"", L",", 0, {L""}},
      {L"", L",", 1, {}},
      {L"", L",", 3, {}},
      {L"a, ,b", L",", 1, {L"a", L" ", L"b"}},
      {L"a, ,b", L",", 9, {L"a", L"", L"b"}},
      {L"a, ,b", L",", 11, {L"a", L"b"}},
      {L"a, ,b", L",", 10, {L"a", L"", L"b"}},  // skip-empty needs collapse
      {L"a,,b", L",", 2, {L"a", L"", L"b"}},
      {L" a , b ", L",", 8, {L"a", L"b"}},
      {L" , ", L",", 11, {}},
      {L"a,'b,c',d", L",", 4, {L"a", L"'b,c'", L"d"}},
      {L"a,'b,c',d", L",", 0, {L"a", L"'b", L"c'", L"d"}},
      {L"a,'b,c", L",", 4, {L"a", L"'b,c"}},
      {L"a,'b',", L",", 4, {L"a", L"'b'", L""}},
      {L"'a,b',,c,", L",", 5, {L"'a,b'", L"c"}},
      {L"a,'", L",", 5, {L"a", L"'"}},  // an unclosed quote is still an item
      {kQuoted, L",", 4, {L"a", L"\"b,c\"", L"d"}},
      // A double quote inside single quotes opens a stretch of its own, and
      // a single quote inside double quotes is ordinary.
      {L"x,'a\"b',y", L",", 4, {L"x", L"'a\"b',y"}},
      {L"x,\"a'b\",y", L",", 4, {L"x", L"\"a'b\"", L"y"}},
      {L"x,'a\"b\"c',y", L",", 4, {L"x", L"'a\"b\"c'", L"y"}},
      {L"a'b,c'd,e", L",", 4, {L"a'b,c'd", L"e"}},  // stretches inside an item
      {L"a;b,c", L",;", 0, {L"a", L"b", L"c"}},
      {L"a,b", L"", 0, {L"a,b"}},
      {L"a,b", L"", 1, {L"a,b"}},
      {L"a,b", L",,,", 0, {L"a", L"b"}},
      {L"a,b", L",", 16 | 32, {L"a", L"b"}},  // unknown bits are ignored
      // A quote that is also a delimiter opens a stretch where an item is
      // read, but is skipped like any delimiter in a collapsed run.
      {L"a,'b,c'", L",'", 4, {L"a", L"'b,c'"}},
      {L"a,'b,c'", L",'", 5, {L"a", L"b", L"c'"}},
      {L"''a", L"'", 5, {L"a"}},
      {L"a\"b\"c", L"\"", 0, {L"a", L"b", L"c"}},
      {L"a\"b\"c", L"\"", 4, {L"a\"b\"c"}},
      // Every unit of the set counts, a zero and units past 255 included.
      {std::wstring(L"a\0b", 3), std::wstring(L"\0", 1), 0, {L"a", L"b"}},
      {L"a\u2192b\u20ACc", L"\u2192", 0, {L"a", L"b\u20ACc"}},
      {L"a\u0100b\u0101c", L"\u0101\u0100", 0, {L"a", L"b", L"c"}},
      {L"a\u2192b", L"\u20AC;", 0, {L"a\u2192b"}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message()
                 << "\"" << r.text << "\" delimiters \"" << r.delimiters << "\" flags " << r.flags);
    StrList items;
    items.Add(L"stale");  // emptied in every case
    const signed char result = VelUt::ParseDelimitedString(r.text, r.delimiters, items, r.flags);
    EXPECT_EQ(ToItems(items), r.items);
    EXPECT_EQ(result != 0, !r.items.empty());
  }
}

TEST(ParseDelimitedString, TrimsWithTheGlobalLocaleWhiteSpace) {
  // U+3000 is white space only outside the classic locale.
  StrList items;
  VelUt::ParseDelimitedString(L"\t a \u3000, b\n", L",", items, PDS_TRIM);
  EXPECT_EQ(ToItems(items), (Items{L"a \u3000", L"b"}));
}

TEST(MakeDelimitedString, Table) {
  struct Row {
    Items items;
    signed char skipEmpty;
    std::wstring separator;
    std::wstring text;
  };
  const Row rows[] = {
      {{}, 0, L",", L""},
      {{}, 1, L",", L""},
      {{L"a", L"b"}, 0, L", ", L"a, b"},
      {{L"", L"a"}, 0, L",", L"a"},
      {{L"a", L"", L"b"}, 0, L",", L"a,,b"},
      {{L"a", L"", L"b"}, 1, L",", L"a,b"},
      {{L"a", L""}, 0, L",", L"a,"},
      {{L"", L""}, 0, L",", L""},
      {{L"a", L"b"}, 0, L"", L"ab"},
      {{L"a,b", L"c"}, 0, L",", L"a,b,c"},
      {{L"a", L"b"}, 7, L"--", L"a--b"},
      // Texts end at their first zero unit; an item of length 2 that reads
      // as "" is not skipped, but writes nothing and no separator.
      {{std::wstring(L"a\0b", 3), L"c"}, 0, L",", L"a,c"},
      {{std::wstring(L"\0x", 2), L"b"}, 1, L",", L"b"},
      {{L"a", L"b"}, 0, std::wstring(L";\0;", 3), L"a;b"},
      {{L"a", L"b"}, 0, std::wstring(L"\0", 1), L"ab"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "separator \"" << r.separator << "\" skipEmpty "
                                    << int(r.skipEmpty) << " -> \"" << r.text << "\"");
    VelString result(L"stale");
    EXPECT_EQ(VelUt::MakeDelimitedString(ToList(r.items), result, r.skipEmpty, r.separator), 1);
    EXPECT_EQ(std::wstring(result.c_str()), r.text);
  }
}

// Joining with a one-character separator and parsing again gives the list
// back under the stated conditions.
TEST(DelimitedStrings, JoinThenParseRoundTrip) {
  std::mt19937 rng(20240611);
  const wchar_t kAlphabet[] = L"ab ,;'\"\u00E9\u2192";
  const std::wstring separators = L",;\u2192";
  for (int round = 0; round < 3000; ++round) {
    const wchar_t sep = separators[rng() % separators.size()];
    Items list(rng() % 6);
    for (auto& item : list) {
      const std::size_t n = rng() % 4 == 0 ? 0 : rng() % 6;
      while (item.size() < n) {
        const wchar_t c = kAlphabet[rng() % (sizeof kAlphabet / sizeof kAlphabet[0] - 1)];
        if (c != sep) item.push_back(c);
      }
    }
    SCOPED_TRACE(testing::Message() << "round " << round);
    const StrList joinedFrom = ToList(list);
    VelString joined, joinedSkipping;
    VelUt::MakeDelimitedString(joinedFrom, joined, 0, Str(sep));
    VelUt::MakeDelimitedString(joinedFrom, joinedSkipping, 1, Str(sep));

    StrList parsed;
    if (!list.empty() && !list[0].empty()) {
      VelUt::ParseDelimitedString(joined.c_str(), Str(sep), parsed, 0);
      EXPECT_EQ(ToItems(parsed), list);
    }
    Items nonEmpty;
    for (const auto& item : list)
      if (!item.empty()) nonEmpty.push_back(item);
    VelUt::ParseDelimitedString(joinedSkipping.c_str(), Str(sep), parsed,
                                PDS_COLLAPSE_DELIMITERS | PDS_SKIP_EMPTY);
    EXPECT_EQ(ToItems(parsed), nonEmpty);
  }
}

// Each item costs at least one allocation here (longer than the short
// string buffer), so failing the n-th allocation stops the parse at every
// possible point in turn.
class ParseOutOfMemory : public testing::TestWithParam<int> {};

TEST_P(ParseOutOfMemory, MemoryExceptionEndsTheParseQuietly) {
  const Str text = L" first item ,'second, quoted',,third item,x, fourth one ";
  StrList complete;
  VelUt::ParseDelimitedString(text, L",", complete, GetParam());
  ASSERT_GE(complete.GetCount(), 4);
  bool finished = false;
  int failures = 0;
  for (long n = 1; !finished && n < 200; ++n) {
    SCOPED_TRACE(testing::Message() << "allocation " << n << " fails");
    StrList items;
    signed char result;
    {
      AllocationFailure failure(n, AllocationFailure::kMemoryException);
      result = VelUt::ParseDelimitedString(text, L",", items, GetParam());
      finished = !failure.Fired();
      failures += failure.Fired() ? 1 : 0;
    }
    const Items got = ToItems(items), all = ToItems(complete);
    EXPECT_EQ(result != 0, !got.empty());
    if (finished) {
      EXPECT_EQ(got, all);
    } else {
      ASSERT_LT(got.size(), all.size());
      EXPECT_EQ(got, Items(all.begin(), all.begin() + static_cast<long>(got.size())));
    }
  }
  EXPECT_TRUE(finished);
  EXPECT_GE(failures, complete.GetCount());  // the hook really was armed
}

TEST_P(ParseOutOfMemory, OtherExceptionsReachTheCaller) {
  const Str text = L"alpha item,bravo item,charlie item";
  StrList items;
  for (long n = 1; n <= 3; ++n) {
    SCOPED_TRACE(n);
    AllocationFailure failure(n, AllocationFailure::kBadAlloc);
    EXPECT_THROW(VelUt::ParseDelimitedString(text, L",", items, GetParam()), std::bad_alloc);
    EXPECT_LT(items.GetCount(), 3);
  }
}

INSTANTIATE_TEST_SUITE_P(Flags, ParseOutOfMemory,
                         testing::Values(0, PDS_QUOTES, PDS_QUOTES | PDS_TRIM,
                                         PDS_COLLAPSE_DELIMITERS | PDS_SKIP_EMPTY | PDS_TRIM));

TEST(SplitString, Table) {
  struct Row {
    std::wstring text;
    std::wstring delimiters;
    signed char trim;
    std::wstring left, right;
    wchar_t delimiter;  // '?' stands for "not written"
    signed char result;
  };
  const Row rows[] = {
      {L"key = value", L"=", 1, L"key", L"value", L'=', 1},
      {L"key = value", L"=", 0, L"key ", L" value", L'=', 1},
      {L"a:b:c", L":", 0, L"a", L"b:c", L':', 1},
      {L":b", L":", 0, L"", L"b", L':', 1},
      {L"a:", L":", 0, L"a", L"", L':', 1},
      {L"a=b:c", L":=", 0, L"a", L"b:c", L'=', 1},
      {L" a : ", L":", 1, L"a", L"", L':', 1},
      {L" abc ", L":", 1, L" abc ", L"", L'?', 0},
      {L"", L":", 1, L"", L"", L'?', 0},
      {L"abc", L"", 0, L"abc", L"", L'?', 0},
      // The delimiter set ends at its first zero unit.
      {L"a=b", std::wstring(L":\0=", 3), 0, L"a=b", L"", L'?', 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message()
                 << "\"" << r.text << "\" at \"" << r.delimiters << "\" trim " << int(r.trim));
    Str left(L"stale"), right(L"stale");
    wchar_t delimiter = L'?';
    EXPECT_EQ(VelUt::SplitString(r.text, r.delimiters, left, right, delimiter, r.trim), r.result);
    EXPECT_EQ(left, r.left);
    EXPECT_EQ(right, r.right);
    EXPECT_EQ(delimiter, r.delimiter);
  }
}

// The list being filled may hold the very text or delimiters being read,
// and an exception other than CMemoryException leaves it as it was.
TEST(ParseDelimitedString, OutputMayHoldTheInput) {
  StrList items = ToList({L"one long item;two long items;three", L";"});
  EXPECT_EQ(VelUt::ParseDelimitedString(items[0], items[1], items, 0), 1);
  EXPECT_EQ(ToItems(items), (Items{L"one long item", L"two long items", L"three"}));

  AllocationFailure failure(2, AllocationFailure::kBadAlloc);
  EXPECT_THROW(VelUt::ParseDelimitedString(L"alpha item,bravo item", L",", items, 0),
               std::bad_alloc);
  EXPECT_EQ(ToItems(items), (Items{L"one long item", L"two long items", L"three"}));
}

TEST(SplitString, OutputMayBeTheInput) {
  Str line(L"name: value"), rest;
  wchar_t delimiter = 0;
  EXPECT_EQ(VelUt::SplitString(line, L":", line, rest, delimiter, 1), 1);
  EXPECT_EQ(line, L"name");
  EXPECT_EQ(rest, L"value");
  Str same(L"no delimiter");
  EXPECT_EQ(VelUt::SplitString(same, L":", rest, same, delimiter, 1), 0);
  EXPECT_EQ(rest, L"no delimiter");
  EXPECT_EQ(same, L"");
}

}  // namespace
