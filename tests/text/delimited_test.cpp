// Cutting a line into items, joining items back, and cutting once.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/alloc_failure.h"

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

// A separator once text was written; texts end at a NUL; an item that reads as "" is not
// skipped. The fuzz target checks joins against a literal version.
TEST(MakeDelimitedString, TextsEndAtANul) {
  VelString result(L"stale");
  EXPECT_EQ(VelUt::MakeDelimitedString(ToList({{L"\0x", 2}, L"b"}), result, 1, L","), 1);
  EXPECT_EQ(std::wstring(result.c_str()), L"b");
}

// The outputs may be the inputs. The fuzz target checks splits against a literal version.
TEST(SplitString, OutputsMayBeTheInputs) {
  Str line(L"name: value"), rest;
  wchar_t delimiter = 0;
  EXPECT_EQ(VelUt::SplitString(line, L":", line, rest, delimiter, 1), 1);
  EXPECT_EQ(line + L"|" + rest, L"name|value");
}

}  // namespace
