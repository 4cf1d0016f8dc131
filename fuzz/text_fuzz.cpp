// The library's text functions against slow versions written from their
// rules: escapes, brackets and quotes, delimited lists, the array helpers,
// the case-insensitive search, and CStdStr's edits.
#include <algorithm>
#include <climits>
#include <locale>
#include <string>
#include <vector>

#include <VelUt/VelUt.h>

#include "../tests/reference/delimited_transcription.h"
#include "../tests/reference/slow_reference.h"
#include "fuzz_input.h"
#include "text/NoCaseSearch.h"

namespace {

using Str = CStdStr<wchar_t>;
using StrList = CStdContainer<Str, std::vector>;
using Items = std::vector<std::wstring>;

bool InSet(const Str& set, wchar_t c) { return set.find(c) != Str::npos; }

// An escape before a unit of the set goes, unless an escape stands before
// it too; each removal changes what the next unit sees.
int SlowRemoveEscapes(Str& text, const Str& chars, wchar_t escape) {
  int count = 0;
  for (std::size_t i = 1; i < text.size();) {
    const bool escaped = escape != 0 && text[i - 1] == escape && !(i >= 2 && text[i - 2] == escape);
    if (escaped && InSet(chars, text[i])) {
      text.erase(i - 1, 1);
      ++count;
    } else {
      ++i;
    }
  }
  return count;
}

// Input: the escape, the set (up to 4 units) and the text, as Input::Text.
void Escapes(fuzz::Input& in) {
  const wchar_t escape = in.Unit();
  const Str chars(in.Text(4));
  const Str text(in.Text(200));
  std::wstring expected;
  for (const wchar_t c : text) {
    if (InSet(chars, c)) expected += escape;
    expected += c;
  }
  Str escaped = text;
  FUZZ_CHECK(VelUt::EscapeChar(escaped, chars, escape) ==
             static_cast<int>(expected.size() - text.size()));
  FUZZ_CHECK(escaped == expected);
  for (const Str& before : {escaped, text}) {
    Str fast = before, slow = before;
    FUZZ_CHECK(VelUt::RemoveEscapeChar(fast, chars, escape) ==
               SlowRemoveEscapes(slow, chars, escape));
    FUZZ_CHECK(fast == slow);
  }
}

// The search as its rules read, one position at a time.
int SlowFindMatchingChar(const std::wstring& t, int pos, bool skipQuoted, wchar_t escape) {
  const int n = static_cast<int>(t.size());
  if (pos < 0 || pos >= n) return -1;
  const std::wstring openChars = L"([{\"'", closeChars = L")]}\"'";
  const wchar_t c = t[pos];
  wchar_t target = 0;
  int step = 0;
  for (std::size_t k = 0; k < openChars.size() && step == 0; ++k) {
    if (c == openChars[k]) {
      target = closeChars[k];
      step = 1;
    } else if (c == closeChars[k]) {
      target = openChars[k];
      step = -1;
    }
  }
  if (step == 0) return -1;
  if (c == L'"' || c == L'\'') skipQuoted = false;
  auto escaped = [&](int i) {
    return escape != 0 && i >= 1 && t[i - 1] == escape && !(i >= 2 && t[i - 2] == escape);
  };
  int depth = 0;
  bool inDouble = false, inSingle = false;
  for (int i = pos; i >= 0 && i < n; i += step) {
    const wchar_t x = t[i];
    if (skipQuoted && x == L'"' && !escaped(i)) {
      inDouble = !inDouble;
    } else if (skipQuoted && x == L'\'' && !escaped(i)) {
      inSingle = !inSingle;
    } else if (skipQuoted && (inDouble || inSingle)) {
    } else if (x == target && !escaped(i) && (depth > 0 || c != target)) {
      if (depth == 0 || depth == 1) return i;
      --depth;
    } else if (x == c && !escaped(i)) {
      ++depth;
    }
  }
  return -1;
}

// Input: a byte (bit 0 skips quoted stretches, bits 1-3 the brace: 0, ( [
// { ) ] } or the unit that follows, bit 4 the quote to remove), the
// escape, then the text; units as Input::AsciiUnit reads them.
void Brackets(fuzz::Input& in) {
  const std::uint8_t selector = in.Byte();
  const bool skip = (selector & 1) != 0;
  static const wchar_t kBraces[] = {0, L'(', L'[', L'{', L')', L']', L'}'};
  const unsigned which = (selector >> 1) & 7;
  const wchar_t brace = which < 7 ? kBraces[which] : in.AsciiUnit();
  const wchar_t escape = in.AsciiUnit();
  const Str text(in.AsciiRest(512));

  const int n = static_cast<int>(text.size());
  for (int pos = -1; pos <= n; ++pos)
    FUZZ_CHECK(VelUt::FindMatchingChar(text, pos, skip, escape) ==
               SlowFindMatchingChar(text, pos, skip, escape));
  // MatchBraces in one pass: each unit of the kind asked for (any opener
  // for 0) has a partner.
  const auto allMatched = [&](const std::wstring& kinds, bool skipQuoted) {
    for (int i = 0; i < n; ++i)
      if (kinds.find(text[i]) != std::wstring::npos &&
          VelUt::FindMatchingChar(text, i, skipQuoted, escape) < 0)
        return 0;
    return 1;
  };
  FUZZ_CHECK(VelUt::MatchBraces(text, brace, skip, escape) ==
             allMatched(brace == 0 ? L"([{" : std::wstring(1, brace), skip));
  FUZZ_CHECK(VelUt::MatchBraces(text, 0, !skip, escape) == allMatched(L"([{", !skip));

  // RemoveQuotes trims the text, then takes one quote from each end.
  const wchar_t quote = selector & 0x10 ? L'"' : L'\'';
  Str removed(text), expected(text);
  expected.TrimLeft().TrimRight();
  const bool front = !expected.empty() && expected.front() == quote;
  if (front) expected.erase(0, 1);
  const bool back = !expected.empty() && expected.back() == quote;
  if (back) expected.pop_back();
  FUZZ_CHECK(VelUt::RemoveQuotes(removed, quote) == (front || back));
  FUZZ_CHECK(removed == expected);
}

Items ToItems(const StrList& list) { return Items(list.begin(), list.end()); }

// ParseDelimitedString against its transcription, under every flag.
void CheckParse(const Str& text, const Str& delimiters) {
  for (int flags = 0; flags < 16; ++flags) {
    StrList fast, slow;
    fast.Add(L"stale");
    const signed char r = VelUt::ParseDelimitedString(text, delimiters, fast, flags);
    transcription::ParseDelimitedString(text, delimiters, slow, flags);
    FUZZ_CHECK((r != 0) == !fast.IsEmpty());
    FUZZ_CHECK(ToItems(fast) == ToItems(slow));
  }
}

// MakeDelimitedString against the join as its steps read (texts end at a
// NUL); the joined text is then parsed at the separator.
void CheckJoin(const Items& items, const Str& separator) {
  StrList list;
  for (const auto& item : items) list.Add(Str(item));
  for (const bool skipEmpty : {false, true}) {
    std::wstring expected;
    for (const auto& item : items) {
      if (skipEmpty && item.empty()) continue;
      if (!expected.empty()) expected += separator.c_str();
      expected += item.c_str();
    }
    VelString joined(L"stale");
    FUZZ_CHECK(VelUt::MakeDelimitedString(list, joined, skipEmpty, separator) == 1);
    FUZZ_CHECK(joined.c_str() == expected);
    CheckParse(joined.c_str(), separator);
  }
}

// Input: a byte giving the number of delimiters (0 to 3), the delimiters,
// then the text, units as Input::AsciiUnit reads them. The text's lines
// are also the items to join.
void Delimited(fuzz::Input& in) {
  std::wstring delimiters;
  for (int n = in.Byte() % 4; n > 0; --n) delimiters.push_back(in.AsciiUnit());
  const Str text(in.AsciiRest(1024));
  CheckParse(text, delimiters);

  // SplitString cuts once, at the first delimiter (the set ends at a NUL).
  const int at = text.empty() ? -1 : text.FindOneOf(delimiters.c_str());
  for (const signed char trim : {0, 1}) {
    Str wantLeft = at < 0 ? text : Str(text.substr(0, at));
    Str wantRight = at < 0 ? Str() : Str(text.substr(at + 1));
    if (at >= 0 && trim) {
      wantLeft.TrimLeft().TrimRight();
      wantRight.TrimLeft().TrimRight();
    }
    Str left(L"x"), right(L"y");
    wchar_t delimiter = L'?';
    FUZZ_CHECK(VelUt::SplitString(text, delimiters, left, right, delimiter, trim) == (at >= 0));
    FUZZ_CHECK(left == wantLeft && right == wantRight);
    FUZZ_CHECK(delimiter == (at >= 0 ? text[at] : L'?'));
  }

  Items lines(1);
  for (const wchar_t c : text) {
    if (c == L'\n')
      lines.emplace_back();
    else
      lines.back().push_back(c);
  }
  if (text.empty()) lines.clear();
  CheckJoin(lines, delimiters);
  if (!delimiters.empty()) CheckJoin(lines, Str(std::wstring(1, delimiters[0])));
}

const std::locale& Utf8() {
  static const std::locale loc = [] {
    try {
      return std::locale("C.UTF-8");
    } catch (const std::runtime_error&) {
      return std::locale::classic();
    }
  }();
  return loc;
}

// Path-like texts of up to 8 units: letters in both cases, both
// separators, a drive colon, blanks, letters that fold only beyond ASCII.
std::wstring Path(fuzz::Input& in) {
  std::wstring s(in.Byte() % 9, L'a');
  for (wchar_t& c : s) c = in.From(L"aAbB\\/: \t\u00C0\u00E0\u212Ak\u00A0\r");
  return s;
}

// Input: the locale (bit 0: C.UTF-8), the number of entries, the entries
// and the text sought as Path(), whether case matters, then the numbers.
void Arrays(fuzz::Input& in) {
  const bool utf8 = in.Byte() & 1;
  std::vector<std::wstring> entries(in.Byte() % 24);
  for (auto& e : entries) e = Path(in);
  const std::wstring text = Path(in);
  const signed char matchCase = static_cast<signed char>(in.Byte() % 2);

  const std::locale previous = std::locale::global(utf8 ? Utf8() : std::locale::classic());
  StrList list;
  for (const auto& e : entries) list.Add(Str(e));
  // The string search: the first entry that the defined comparison accepts.
  int expected = -1;
  for (int i = 0; i < list.GetCount() && expected < 0; ++i) {
    const bool equal = matchCase ? list[i] == std::wstring(text.c_str())
                                 : list[i].CollateNoCase(text.c_str()) == 0;
    if (equal) expected = i;
  }
  FUZZ_CHECK(VelUt::FindInArray(text.c_str(), list, matchCase) == expected);
  std::vector<std::wstring> slow = entries;
  FUZZ_CHECK(VelUt::RemoveDuplicates(list) == slowref::RemoveDuplicates(slow));
  FUZZ_CHECK(std::equal(list.begin(), list.end(), slow.begin(), slow.end()));
  std::locale::global(previous);

  CArray<unsigned int, unsigned int> numbers;
  std::vector<unsigned int> sorted;
  for (int n = in.Byte() % 40; n > 0; --n) {
    const unsigned int v = in.Byte() % 4 == 0 ? static_cast<unsigned int>(in.Int()) : in.Byte() % 8;
    numbers.Add(v);
    sorted.push_back(v);
  }
  const unsigned int sought = in.Byte() % 8;
  const auto at = std::find(sorted.begin(), sorted.end(), sought);
  FUZZ_CHECK(VelUt::FindInArray(sought, numbers) ==
             (at == sorted.end() ? -1 : at - sorted.begin()));
  VelUt::SortArray(numbers);
  std::sort(sorted.begin(), sorted.end());
  FUZZ_CHECK(std::equal(sorted.begin(), sorted.end(), numbers.GetData()));
}

// Input: the start (two bytes), the pattern, the replacement, a repeat
// count and the text repeated, texts as Input::Text.
void FindReplace(fuzz::Input& in) {
  const int high = in.Byte();
  const int start = (high << 8 | in.Byte()) % 12300 - 8;
  const std::wstring pattern = in.Text(6);
  const std::wstring replacement = in.Text(4);
  // Repeating the text makes long ones (past the first 1024 units, which
  // FindNoCase measures before the next 2048) without long inputs.
  const int repeat = 1 + in.Byte() % 48;
  const std::wstring piece = in.Text(255);
  std::wstring target;
  for (int i = 0; i < repeat; ++i) target += piece;

  // The functions read their arguments up to the first NUL, as the slow
  // versions do with the same cut texts.
  const std::wstring text(target.c_str()), what(pattern.c_str());
  FUZZ_CHECK(VelUt::FindNoCase(text.c_str(), pattern.c_str(), start) ==
             slowref::Find(text, what, start));
  Str fast(target);
  std::wstring slow = target;
  FUZZ_CHECK(VelUt::ReplaceNoCase(fast, pattern.c_str(), replacement.c_str()) ==
             slowref::Replace(slow, what, std::wstring(replacement.c_str())));
  FUZZ_CHECK(fast == slow);

  // The scan behind them at each width it has, over the whole target.
  if (pattern.empty() || start < 0) return;
  using VelUt::detail::NoCaseSearcher;
  using VelUt::detail::ScanWidth;
  const int expected = slowref::Find(target, pattern, start);
  for (const ScanWidth width : {ScanWidth::kOne, ScanWidth::kSse2, ScanWidth::kAvx2}) {
    if (!NoCaseSearcher::Supported(width)) continue;
    const NoCaseSearcher searcher(pattern.data(), pattern.size(), width);
    const std::size_t at =
        searcher.Find(target.data(), target.size(), static_cast<std::size_t>(start));
    FUZZ_CHECK((at == VelUt::detail::kNotFound ? -1 : static_cast<int>(at)) == expected);
  }
}

// Positions are mostly small, sometimes extreme.
int Pos(fuzz::Input& in) {
  const std::uint8_t b = in.Byte();
  switch (b % 8) {
    case 0:
      return INT_MIN;
    case 1:
      return INT_MAX;
    case 2:
      return -1;
    default:
      return static_cast<int>(b / 8) - 4;
  }
}

std::wstring Clamped(const std::wstring& s, long long first, long long count) {
  first = std::max(first, 0LL);
  count = std::max(count, 0LL);
  if (first > static_cast<long long>(s.size())) return L"";
  return s.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count));
}

// Input: the text, then up to 32 steps (two positions and an operation
// each): CStdStr's edits against a std::wstring with the documented
// clamping.
void StdStr(fuzz::Input& in) {
  Str s(in.Text(40));
  std::wstring model = s;
  for (int step = 0; step < 32 && !in.empty(); ++step) {
    const int a = Pos(in), b = Pos(in);
    const long long len = static_cast<long long>(model.size());
    switch (in.Byte() % 10) {
      case 0:
        FUZZ_CHECK(s.Mid(a, b) == Clamped(model, a, b));
        break;
      case 1:
        FUZZ_CHECK(s.Left(a) == Clamped(model, 0, std::min<long long>(a, len)));
        FUZZ_CHECK(s.Right(a) == Clamped(model, len - std::clamp<long long>(a, 0, len), a));
        break;
      case 2: {
        const wchar_t c = in.Unit();
        if (a >= 0 && a < len)
          model.insert(static_cast<std::size_t>(a), 1, c);
        else
          model.push_back(c);
        FUZZ_CHECK(s.Insert(a, c) == static_cast<int>(model.size()));
        break;
      }
      case 3: {
        const long long from = std::max(0, a);
        if (from < len)
          model.erase(static_cast<std::size_t>(from),
                      b < 0 ? std::wstring::npos : static_cast<std::size_t>(b));
        FUZZ_CHECK(s.Delete(a, b) == static_cast<int>(model.size()));
        break;
      }
      case 4: {
        // Texts are read up to their first NUL, so the model does the same.
        const std::wstring from = in.Text(3).c_str(), to = in.Text(3).c_str();
        int count = 0;
        if (!from.empty()) {
          for (std::size_t at = model.find(from); at != std::wstring::npos;
               at = model.find(from, at + to.size())) {
            model.replace(at, from.size(), to);
            ++count;
          }
        }
        FUZZ_CHECK(s.Replace(from.c_str(), to.c_str()) == count);
        break;
      }
      case 5: {
        const std::wstring sub = in.Text(3).c_str();
        const std::size_t f = model.find(sub);
        FUZZ_CHECK(s.Find(sub.c_str()) == (f == std::wstring::npos ? -1 : static_cast<int>(f)));
        break;
      }
      case 6:
        s.GetBuf(a % 4096);
        s.RelBuf(-1);
        model.resize(std::wstring(model.c_str()).size());
        break;
      case 7: {
        const Str other(in.Text(8));
        FUZZ_CHECK((s.CompareNoCase(other.c_str()) == 0) == (other.CompareNoCase(s.c_str()) == 0));
        FUZZ_CHECK((s.CollateNoCase(other.c_str()) == 0) == (other.CollateNoCase(s.c_str()) == 0));
        break;
      }
      case 8:
        if (len > 4096) break;  // repeated self-appends double the text
        ssadd(s, s.c_str() + std::clamp<long long>(a, 0, len));
        model += std::wstring(model.c_str() + std::clamp<long long>(a, 0, len));
        break;
      default:
        s.TrimLeft().TrimRight();
        model = s;  // the classic locale: checked by the unit tests
        break;
    }
    FUZZ_CHECK(s == model);
  }
}

}  // namespace

const std::vector<fuzz::Case> fuzz::kCases = {
    {"escapes", Escapes},
    {"brackets", Brackets},
    {"delimited", Delimited},
    {"arrays", Arrays},
    {"find and replace", FindReplace},
    {"CStdStr", StdStr},
};
