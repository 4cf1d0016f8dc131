// FindMatchingChar against a rule-by-rule search, MatchBraces (one pass)
// against that search run from every opener, and RemoveQuotes against its
// steps.
//
// Input: a selector byte (bit 0 skipQuoted, bits 1-3 the brace: 0, ( [ {
// ) ] } or the unit that follows), the escape unit (0 for none), then the
// text; units as fuzz::Input::AsciiUnit reads them.
#include <cstdint>
#include <cstdlib>
#include <string>

#include <VelUt/VelUt.h>

#include "fuzz_input.h"

namespace {

using Str = CStdStr<wchar_t>;

void Check(bool ok) {
  if (!ok) std::abort();
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

signed char SlowMatchBraces(const std::wstring& t, wchar_t brace, bool skipQuoted, wchar_t escape) {
  const std::wstring set = brace == 0 ? L"([{" : std::wstring(1, brace);
  for (int i = 0; i < static_cast<int>(t.size()); ++i)
    if (set.find(t[i]) != std::wstring::npos && SlowFindMatchingChar(t, i, skipQuoted, escape) < 0)
      return 0;
  return 1;
}

signed char SlowRemoveQuotes(Str& text, wchar_t quote) {
  text.TrimLeft();
  text.TrimRight();
  if (text.empty()) return 0;
  bool removed = false;
  if (text[0] == quote) {
    text.Delete(0, 1);
    removed = true;
  }
  if (text.empty()) return removed;
  if (text[text.size() - 1] == quote) {
    text.Delete(static_cast<int>(text.size()) - 1, 1);
    return 1;
  }
  return removed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const std::uint8_t selector = in.Byte();
  const bool skip = (selector & 1) != 0;
  static const wchar_t kBraces[] = {0, L'(', L'[', L'{', L')', L']', L'}'};
  const unsigned which = (selector >> 1) & 7;
  const wchar_t brace = which < 7 ? kBraces[which] : in.AsciiUnit();
  const wchar_t escape = in.AsciiUnit();
  const Str text(in.AsciiRest(512));
  const int n = static_cast<int>(text.size());

  for (int pos = -1; pos <= n; ++pos) {
    const int found = VelUt::FindMatchingChar(text, pos, skip, escape);
    Check(found == SlowFindMatchingChar(text, pos, skip, escape));
    // Without skipping and escapes, bracket matching is symmetric.
    if (!skip && escape == 0 && found >= 0 && text[pos] != L'"' && text[pos] != L'\'')
      Check(VelUt::FindMatchingChar(text, found, 0, 0) == pos);
  }

  Check(VelUt::MatchBraces(text, brace, skip, escape) ==
        SlowMatchBraces(text, brace, skip, escape));
  Check(VelUt::MatchBraces(text, 0, !skip, escape) == SlowMatchBraces(text, 0, !skip, escape));

  Str fast(text), slow(text);
  const wchar_t quote = selector & 0x10 ? L'"' : L'\'';
  Check(VelUt::RemoveQuotes(fast, quote) == SlowRemoveQuotes(slow, quote) && fast == slow);
  return 0;
}
