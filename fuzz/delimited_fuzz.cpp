// ParseDelimitedString against its step-by-step transcription for every
// flag combination, SplitString and MakeDelimitedString against literal
// versions, and the join-then-parse round trips where they must hold.
//
// Input: a byte giving the number of delimiters (0 to 3), the delimiters,
// then the text, each unit as fuzz::Input::AsciiUnit reads it. Lines of
// the text (cut at '\n') also serve as the list of items to join.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <VelUt/VelUt.h>

#include "../tests/reference/delimited_transcription.h"
#include "fuzz_input.h"

namespace {

using Str = CStdStr<wchar_t>;
using StrList = CStdContainer<Str, std::vector>;
using Items = std::vector<std::wstring>;

void Check(bool ok) {
  if (!ok) std::abort();
}

Items ToItems(const StrList& list) { return Items(list.begin(), list.end()); }

StrList ToList(const Items& items) {
  StrList list;
  for (const auto& s : items) list.Add(Str(s));
  return list;
}

// SplitString as its steps read, with the CStdStr operations they name.
signed char SlowSplit(const Str& text, const Str& delimiters, Str& left, Str& right,
                      wchar_t& delimiter, signed char trim) {
  left.erase();
  right.erase();
  if (text.empty()) return 0;
  const int p = text.FindOneOf(delimiters.c_str());
  if (p == -1) {
    left = text;
    return 0;
  }
  const int n = static_cast<int>(text.size());
  left = text.Left(p);
  right = text.Mid(p, n - p);
  delimiter = right[0];
  right.Delete(0, 1);
  if (trim) {
    left.TrimLeft();
    left.TrimRight();
    right.TrimLeft();
    right.TrimRight();
  }
  return 1;
}

// The joined text as MakeDelimitedString's steps build it.
std::wstring SlowJoin(const Items& items, bool skipEmpty, const std::wstring& separator) {
  std::wstring out;
  for (const auto& item : items) {
    if (skipEmpty && item.empty()) continue;
    if (!out.empty()) out += separator.c_str();
    out += item.c_str();
  }
  return out;
}

// True when the quote states of PDS_QUOTES are both off after `item`.
bool QuotesClose(const std::wstring& item) {
  bool inDouble = false, inSingle = false;
  for (const wchar_t c : item) {
    if (c == L'"')
      inDouble = !inDouble;
    else if (c == L'\'' && !inDouble)
      inSingle = !inSingle;
  }
  return !inDouble && !inSingle;
}

void CheckParse(const Str& text, const Str& delimiters) {
  for (int flags = 0; flags < 16; ++flags) {
    StrList fast, slow;
    fast.Add(L"stale");
    const signed char r = VelUt::ParseDelimitedString(text, delimiters, fast, flags);
    const signed char s = transcription::ParseDelimitedString(text, delimiters, slow, flags);
    Check((r != 0) == (s != 0) && (r != 0) == !fast.IsEmpty());
    Check(ToItems(fast) == ToItems(slow));
  }
}

void CheckSplit(const Str& text, const Str& delimiters) {
  for (signed char trim = 0; trim < 2; ++trim) {
    Str left(L"x"), right(L"y"), slowLeft(L"x"), slowRight(L"y");
    wchar_t delimiter = L'?', slowDelimiter = L'?';
    Check(VelUt::SplitString(text, delimiters, left, right, delimiter, trim) ==
          SlowSplit(text, delimiters, slowLeft, slowRight, slowDelimiter, trim));
    Check(left == slowLeft && right == slowRight && delimiter == slowDelimiter);
  }
}

void CheckJoin(const Items& list, const std::wstring& separator) {
  for (signed char skipEmpty = 0; skipEmpty < 2; ++skipEmpty) {
    VelString joined(L"stale");
    Check(VelUt::MakeDelimitedString(ToList(list), joined, skipEmpty, separator) == 1);
    Check(joined.c_str() == SlowJoin(list, skipEmpty != 0, separator));
  }
}

// Joining with a one-unit separator `s` and parsing at `s` gives the list
// back when no item holds `s`. Texts end at a zero unit, so neither `s`
// nor an item may hold one.
void CheckRoundTrip(const Items& list, wchar_t s) {
  if (s == 0) return;
  for (const auto& item : list)
    if (item.find(s) != std::wstring::npos || item.find(L'\0') != std::wstring::npos) return;
  const StrList from = ToList(list);
  const Str separator(s);
  StrList parsed;
  if (!list.empty() && !list[0].empty()) {
    VelString joined;
    VelUt::MakeDelimitedString(from, joined, 0, separator);
    VelUt::ParseDelimitedString(joined.c_str(), separator, parsed, 0);
    Check(ToItems(parsed) == list);
    // Quotes only protect what lies inside one item when every item
    // closes the stretches it opens, and a quote never separates.
    bool closed = s != L'"' && s != L'\'';
    for (const auto& item : list) closed = closed && QuotesClose(item);
    if (closed) {
      VelUt::ParseDelimitedString(joined.c_str(), separator, parsed, PDS_QUOTES);
      Check(ToItems(parsed) == list);
    }
  }
  Items nonEmpty;
  for (const auto& item : list)
    if (!item.empty()) nonEmpty.push_back(item);
  VelString joined;
  VelUt::MakeDelimitedString(from, joined, 1, separator);
  VelUt::ParseDelimitedString(joined.c_str(), separator, parsed,
                              PDS_COLLAPSE_DELIMITERS | PDS_SKIP_EMPTY);
  Check(ToItems(parsed) == nonEmpty);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  std::wstring delimiters;
  for (int n = in.Byte() % 4; n > 0; --n) delimiters.push_back(in.AsciiUnit());
  const Str text(in.AsciiRest(1024));

  CheckParse(text, delimiters);
  CheckSplit(text, delimiters);

  Items lines(1);
  for (const wchar_t c : text) {
    if (c == L'\n')
      lines.emplace_back();
    else
      lines.back().push_back(c);
  }
  if (text.empty()) lines.clear();
  CheckJoin(lines, delimiters);
  if (!delimiters.empty()) CheckRoundTrip(lines, delimiters[0]);
  return 0;
}
