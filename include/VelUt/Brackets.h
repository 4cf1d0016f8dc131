// Matching brackets and quotes, and stripping quotes from a text.
//
// The pairs are ( ), [ ], { }, and the double and the single quote, each
// its own partner. With an escape character e (0 for none), the character
// at position i is escaped when the one at i - 1 is e and the one at i - 2
// is not: a doubled escape escapes nothing. Escaped brackets and quotes
// are ordinary characters.
#pragma once

#include <VelUt/Export.h>
#include <VelUt/StdStr.h>

namespace VelUt {

// FindMatchingChar: the position of the partner of the bracket or quote at
// `pos`, or -1 when there is none, `pos` is outside the text, or the
// character there is in no pair. An opening bracket or a quote is matched
// forward, a closing bracket backward; only brackets of the same kind
// nest. With `skipQuoted` non-zero, quoted stretches met on the way are
// passed over (quote states start off at `pos`, and a quote search never
// skips). An escaped bracket at `pos` does not count as an opening one,
// so the next unescaped partner matches it.
//
// Example (skipQuoted 0, escape 0 unless stated):
//   "(a(b)c)", 0 -> 6;   "(a(b)c)", 4 -> 2;   "(a[b)c]", 0 -> 4
//   "'a'b'", 2 -> 4;     "'a'b'", 4 -> -1
//   "(a')'b)", 0 -> 3;   with skipQuoted 1 -> 6
//   "(a\\)b)", 0, escape '\\' -> 5
VELUT_API int FindMatchingChar(const CStdStr<wchar_t>& text, int pos, signed char skipQuoted,
                               wchar_t escape);

// MatchBraces: true (1) when FindMatchingChar finds a partner for every
// occurrence in `text` of `brace`, or of each of "([{" when `brace` is 0;
// false (0) otherwise. Escaped occurrences and those inside quotes are
// tested too. Stray closers are not noticed, except with a closing
// bracket as `brace`; a quote or a character in no pair as `brace` gives
// false whenever it occurs. Linear in the length of the text.
//
// Example (skipQuoted 0, escape 0):
//   "f(a[1], {b})", 0 -> true;   "(a]", 0 -> false;   "a)", 0 -> true
//   "[(])", 0 -> true (each kind on its own)
//   "a)", ')' -> false;   "it's", '\'' -> false
VELUT_API signed char MatchBraces(const CStdStr<wchar_t>& text, wchar_t brace,
                                  signed char skipQuoted, wchar_t escape);

// RemoveQuotes: trims white space (global locale) from both ends of
// `text`, then removes one `quote` from its start and one from its end,
// each independently. True (1) when at least one quote was removed.
//
// Example (quote '\''):
//   " 'abc' " -> "abc", true;    "'abc" -> "abc", true
//   "''abc''" -> "'abc'", true;  " abc " -> "abc", false
VELUT_API signed char RemoveQuotes(CStdStr<wchar_t>& text, wchar_t quote);

}  // namespace VelUt
