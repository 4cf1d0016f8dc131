// Cutting a line into items, joining items back, and cutting once.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/alloc_failure.h"
#include "support/rows.h"

namespace {

using Str = CStdStr<wchar_t>;
using StrList = CStdContainer<Str, std::vector>;
using Items = std::vector<std::wstring>;
using velut_test::AllocationFailure;

Items ToItems(const StrList& list) { return Items(list.begin(), list.end()); }

StrList ToList(const Items& items) {
  StrList list;
  for (const auto& s : items) list.Add(Str(s));
  return list;
}

// Each flag on its own, cutting at ",". The items of a list that held one stale item.
TEST(ParseDelimitedString, CutsAtEveryDelimiter) {
  struct Row {
    const char* name;
    const wchar_t* text;
    int flags;
    Items items;
    int result;
  };
  const Row rows[] = {
      {"no flag keeps empty items", L"a,,b", 0, {L"a", L"", L"b"}, 1},
      {"collapse cuts a run once", L"a,,b", PDS_COLLAPSE_DELIMITERS, {L"a", L"b"}, 1},
      {"collapse, delimiters at the ends", L",a,,b,", PDS_COLLAPSE_DELIMITERS, {L"a", L"b"}, 1},
      {"collapse, delimiters only", L",,,", PDS_COLLAPSE_DELIMITERS, {}, 0},
      {"collapse, an empty text", L"", PDS_COLLAPSE_DELIMITERS, {}, 0},
      {"quotes keep a delimiter", L"a,'b,c',d", PDS_QUOTES, {L"a", L"'b,c'", L"d"}, 1},
      {"trim each item", L" a , b ", PDS_TRIM, {L"a", L"b"}, 1},
  };
  velut_test::ForEachRow(rows, [](const Row& row) {
    StrList items = ToList({L"stale"});
    EXPECT_EQ(row.result, VelUt::ParseDelimitedString(row.text, L",", items, row.flags));
    EXPECT_EQ(row.items, ToItems(items));
  });
}

// The input may be the output. The fuzz target checks every flag and unit against its
// transcription, wide and unsorted delimiters too.
TEST(ParseDelimitedString, IntoItsOwnInput) {
  StrList list = ToList({L"one long item;two", L";"});
  EXPECT_EQ(VelUt::ParseDelimitedString(list[0], list[1], list, 0), 1);
  EXPECT_EQ(ToItems(list), (Items{L"one long item", L"two"}));
}

// A CMemoryException at any allocation ends the parse quietly with the items
// stored; std::bad_alloc reaches the caller, the list kept.
TEST(ParseDelimitedString, OutOfMemory) {
  const Str text = L" first item ,'second, quoted',,third item,x, fourth one ";
  for (const int flags : {0, PDS_QUOTES | PDS_TRIM, PDS_COLLAPSE_DELIMITERS | PDS_SKIP_EMPTY}) {
    StrList complete, kept = ToList({L"kept"});
    VelUt::ParseDelimitedString(text, L",", complete, flags);
    const Items all = ToItems(complete);
    long n = 1;
    for (bool fired = true; fired; ++n) {
      SCOPED_TRACE(testing::Message() << "flags " << flags << ", allocation " << n << " fails");
      StrList list;
      signed char result;
      {
        AllocationFailure failure(n, AllocationFailure::kMemoryException);
        result = VelUt::ParseDelimitedString(text, L",", list, flags);
        fired = failure.Fired();
      }
      const Items got = ToItems(list);
      EXPECT_EQ(result != 0, !got.empty());
      EXPECT_EQ(got, Items(all.begin(), all.begin() + long(std::min(got.size(), all.size()))));
      EXPECT_EQ(got.size() < all.size(), fired);
    }
    EXPECT_GE(n - 2, static_cast<long>(all.size()));  // the hook fired in every item
    AllocationFailure failure(2, AllocationFailure::kBadAlloc);
    EXPECT_THROW(VelUt::ParseDelimitedString(text, L",", kept, flags), std::bad_alloc);
    EXPECT_EQ(ToItems(kept), Items{L"kept"});
  }
}

// A separator is written only once there is text; empty items are kept unless skipped.
TEST(MakeDelimitedString, JoinsWithTheSeparator) {
  struct Row {
    const char* name;
    Items items;
    const wchar_t* separator;
    signed char skip_empty;
    std::wstring joined;
  };
  const Row rows[] = {
      {"an empty item between", {L"a", L"", L"b"}, L",", 0, L"a,,b"},
      {"an empty item skipped", {L"a", L"", L"b"}, L",", 1, L"a,b"},
      {"an empty item first", {L"", L"a"}, L",", 0, L"a"},
      {"an empty item last", {L"a", L""}, L",", 0, L"a,"},
      {"empty items skipped, another separator", {L"", L"a", L"", L"b"}, L";", 1, L"a;b"},
      {"a separator of two units", {L"a", L"b"}, L", ", 0, L"a, b"},
      {"no items", {}, L",", 0, L""},
  };
  velut_test::ForEachRow(rows, [](const Row& row) {
    VelString result(L"stale");
    EXPECT_EQ(1,
              VelUt::MakeDelimitedString(ToList(row.items), result, row.skip_empty, row.separator));
    EXPECT_EQ(row.joined, std::wstring(result.c_str()));
  });
}

// A separator once text was written; texts end at a NUL; an item that reads as "" is not
// skipped. The fuzz target checks joins against a literal version.
TEST(MakeDelimitedString, TextsEndAtANul) {
  VelString result(L"stale");
  EXPECT_EQ(VelUt::MakeDelimitedString(ToList({{L"\0x", 2}, L"b"}), result, 1, L","), 1);
  EXPECT_EQ(std::wstring(result.c_str()), L"b");
}

// A cut at the first delimiter of the set; without one, the text is the untrimmed left part.
TEST(SplitString, CutsAtTheFirstDelimiter) {
  struct Row {
    const char* name;
    const wchar_t* text;
    const wchar_t* delimiters;
    signed char trim;
    std::wstring left, right;
    wchar_t delimiter;
    int result;
  };
  const Row rows[] = {
      {"trimmed parts", L"key = value", L"=", 1, L"key", L"value", L'=', 1},
      {"the first of the set in the text", L"a=b:c", L":=", 0, L"a", L"b:c", L'=', 1},
      {"no delimiter, trim asked", L" abc ", L":", 1, L" abc ", L"", L'?', 0},
  };
  velut_test::ForEachRow(rows, [](const Row& row) {
    Str left(L"stale"), right(L"stale");
    wchar_t delimiter = L'?';
    EXPECT_EQ(row.result,
              VelUt::SplitString(row.text, row.delimiters, left, right, delimiter, row.trim));
    EXPECT_EQ(row.left, std::wstring(left));
    EXPECT_EQ(row.right, std::wstring(right));
    EXPECT_EQ(row.delimiter, delimiter);
  });
}

// The outputs may be the inputs. The fuzz target checks splits against a literal version.
TEST(SplitString, OutputsMayBeTheInputs) {
  Str line(L"name: value"), rest;
  wchar_t delimiter = 0;
  EXPECT_EQ(VelUt::SplitString(line, L":", line, rest, delimiter, 1), 1);
  EXPECT_EQ(line + L"|" + rest, L"name|value");
}

}  // namespace
