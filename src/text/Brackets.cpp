// Matching brackets and quotes, and stripping quotes from a text.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include <VelUt/Brackets.h>

#include "text/EscapeRule.h"

namespace {

using Str = CStdStr<wchar_t>;
using VelUt::detail::IsEscaped;

// The pairs in the order they are tried: a quote is its own partner, and
// since the opening side is tried first a quote always searches forward.
constexpr wchar_t kOpenChars[] = L"([{\"'";
constexpr wchar_t kCloseChars[] = L")]}\"'";
constexpr int kBracketKinds = 3;  // the first three pairs

bool IsQuote(wchar_t c) { return c == L'"' || c == L'\''; }

// Bit of a quote in a pair of quote states: 1 double, 2 single.
unsigned QuoteBit(wchar_t c) { return c == L'"' ? 1u : 2u; }

// True when every occurrence of starts[k] (k < kinds) has a partner
// targets[k], searched forward (`forward`) or backward as FindMatchingChar
// does, in one pass instead of one search per occurrence.
//
// Along the search direction, let the tokens be the unescaped starts (+1)
// and targets (-1). A search from an unescaped start succeeds when some
// later target brings the running sum of the tokens after the start to -1;
// from an escaped start (depth 0) when the sum at some target is 0 or
// less. So it is enough to know, at each start, m = the least running sum
// at a target beyond it, which the pass keeps while walking against the
// search direction. With `skipQuoted`, a search only sees brackets that
// stand in the same quote states as its start, counted from the start; so
// brackets fall into four classes by the parity of the unescaped double
// and single quotes before them, and each class keeps its own m.
bool EveryStartMatched(const Str& text, const wchar_t* starts, const wchar_t* targets, int kinds,
                       bool forward, bool skipQuoted, wchar_t escape) {
  constexpr std::int64_t kNoTarget = INT64_MAX / 2;
  const wchar_t* t = text.data();
  const std::size_t n = text.size();

  // Quote states of a bracket = parity of the quotes before it. Walking
  // backward, that is the parity of the whole text minus those passed.
  unsigned base = 0;
  if (skipQuoted && forward)
    for (std::size_t i = 0; i < n; ++i)
      if (IsQuote(t[i]) && !IsEscaped(t, i, escape)) base ^= QuoteBit(t[i]);

  std::int64_t least[kBracketKinds][4];
  for (auto& row : least) std::fill(std::begin(row), std::end(row), kNoTarget);

  unsigned passed = 0;
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t i = forward ? n - 1 - k : k;
    const wchar_t x = t[i];
    if (skipQuoted && IsQuote(x)) {
      if (!IsEscaped(t, i, escape)) passed ^= QuoteBit(x);
      continue;
    }
    const unsigned cls = base ^ passed;
    for (int kind = 0; kind < kinds; ++kind) {
      std::int64_t& m = least[kind][cls];
      if (x == starts[kind]) {
        const bool escaped = IsEscaped(t, i, escape);
        if (m > (escaped ? 0 : -1)) return false;
        if (!escaped) ++m;
      } else if (x == targets[kind] && !IsEscaped(t, i, escape)) {
        m = std::min<std::int64_t>(-1, m - 1);
      }
    }
  }
  return true;
}

}  // namespace

namespace VelUt {

int FindMatchingChar(const CStdStr<wchar_t>& text, int pos, signed char skipQuoted,
                     wchar_t escape) {
  if (pos < 0 || static_cast<std::size_t>(pos) >= text.size()) return -1;
  const wchar_t c = text[static_cast<std::size_t>(pos)];
  wchar_t target = 0;
  bool forward = true;
  for (int k = 0; k < 5 && target == 0; ++k) {
    if (c == kOpenChars[k]) {
      target = kCloseChars[k];
    } else if (c == kCloseChars[k]) {
      target = kOpenChars[k];
      forward = false;
    }
  }
  if (target == 0) return -1;
  // A quote search never skips quoted stretches.
  const bool skip = skipQuoted != 0 && !IsQuote(c);

  const wchar_t* t = text.data();
  const std::ptrdiff_t step = forward ? 1 : -1;
  const std::ptrdiff_t stop = forward ? static_cast<std::ptrdiff_t>(text.size()) : -1;
  int depth = 0;
  bool inDouble = false, inSingle = false;
  for (std::ptrdiff_t i = pos; i != stop; i += step) {
    const wchar_t x = t[i];
    const bool escaped = IsEscaped(t, static_cast<std::size_t>(i), escape);
    if (skip && x == L'"' && !escaped) {
      inDouble = !inDouble;
    } else if (skip && x == L'\'' && !escaped) {
      inSingle = !inSingle;
    } else if (skip && (inDouble || inSingle)) {
      // inside a quoted stretch
    } else if (x == target && !escaped && (depth > 0 || c != target)) {
      if (depth <= 1) return static_cast<int>(i);
      --depth;
    } else if (x == c && !escaped) {
      ++depth;
    }
  }
  return -1;
}

signed char MatchBraces(const CStdStr<wchar_t>& text, wchar_t brace, signed char skipQuoted,
                        wchar_t escape) {
  if (text.empty()) return 1;
  if (brace == 0)
    return EveryStartMatched(text, kOpenChars, kCloseChars, kBracketKinds, true, skipQuoted != 0,
                             escape);
  for (int k = 0; k < kBracketKinds; ++k) {
    if (brace == kOpenChars[k])
      return EveryStartMatched(text, kOpenChars + k, kCloseChars + k, 1, true, skipQuoted != 0,
                               escape);
    if (brace == kCloseChars[k])
      return EveryStartMatched(text, kCloseChars + k, kOpenChars + k, 1, false, skipQuoted != 0,
                               escape);
  }
  // A quote's last occurrence never has a partner after it, and any other
  // character has no partner at all.
  return text.find(brace) == Str::npos ? 1 : 0;
}

signed char RemoveQuotes(CStdStr<wchar_t>& text, wchar_t quote) {
  text.TrimLeft();
  text.TrimRight();
  if (text.empty()) return 0;
  bool removed = false;
  if (text.front() == quote) {
    text.erase(0, 1);
    removed = true;
  }
  if (text.empty()) return removed ? 1 : 0;
  if (text.back() == quote) {
    text.pop_back();
    return 1;
  }
  return removed ? 1 : 0;
}

}  // namespace VelUt
