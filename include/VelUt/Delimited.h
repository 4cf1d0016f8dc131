// Delimited lists: cutting a line into items, joining items back, and
// cutting a line once at its first delimiter.
#pragma once

#include <vector>

#include <VelUt/Export.h>
#include <VelUt/StdContainer.h>
#include <VelUt/StdStr.h>
#include <velfirst/VelString.h>

// Flags of VelUt::ParseDelimitedString; other bits are ignored.
//
// PDS_COLLAPSE_DELIMITERS: leading delimiters are skipped, a run of
//   delimiters cuts once, and trailing delimiters make no final empty item.
// PDS_SKIP_EMPTY: items that are empty when stored (after PDS_TRIM) are
//   dropped. Only honoured together with PDS_COLLAPSE_DELIMITERS.
// PDS_QUOTES: double- and single-quoted stretches are not cut. A double
//   quote always switches its state; a single quote only outside double
//   quotes. An unclosed quote runs to the end of the text.
// PDS_TRIM: each item loses leading and trailing white space (global
//   locale) before it is stored.
inline constexpr int PDS_COLLAPSE_DELIMITERS = 1;
inline constexpr int PDS_SKIP_EMPTY = 2;
inline constexpr int PDS_QUOTES = 4;
inline constexpr int PDS_TRIM = 8;

namespace VelUt {

// ParseDelimitedString: replaces the content of `items` with the items of
// `text`, cut at every character found anywhere in `delimiters` (empty: no
// cuts, the whole text is one item). Items keep their characters as they
// stand, quotes included. Returns non-zero when `items` holds at least
// one item, 0 otherwise.
//
// Without PDS_COLLAPSE_DELIMITERS, k cutting delimiters always give k + 1
// items, so an empty text gives one empty item. If memory runs out and a
// CMemoryException* is thrown while an item is built or stored, parsing
// stops quietly and `items` holds the items stored so far; any other
// exception reaches the caller and leaves `items` as it was. `text` and
// `delimiters` may be items of `items`.
//
// Example (delimiters ","):
//   "a,,b",      0                  -> "a", "", "b"
//   ",a,,b,",    PDS_COLLAPSE_DELIMITERS -> "a", "b"
//   "a,'b,c',d", PDS_QUOTES         -> "a", "'b,c'", "d"
//   " a , b ",   PDS_TRIM           -> "a", "b"
//   "",          PDS_COLLAPSE_DELIMITERS -> no item, returns 0
VELUT_API signed char ParseDelimitedString(const CStdStr<wchar_t>& text,
                                           const CStdStr<wchar_t>& delimiters,
                                           CStdContainer<CStdStr<wchar_t>, std::vector>& items,
                                           int flags);

// MakeDelimitedString: replaces `result` with the items joined by
// `separator`. A separator is written before an item only when the text
// built so far is not empty, so empty items at the head leave no trace.
// With `skipEmpty` non-zero, items of length 0 are passed over. Item and
// separator texts end at their first zero unit. Nothing is quoted or
// escaped. Always returns true (1).
//
// Example (separator ","):
//   "a", "", "b"  skipEmpty 0 -> "a,,b";  skipEmpty 1 -> "a,b"
//   "", "a"       skipEmpty 0 -> "a"
//   "a", ""       skipEmpty 0 -> "a,"
VELUT_API signed char MakeDelimitedString(const CStdContainer<CStdStr<wchar_t>, std::vector>& items,
                                          VelString& result, signed char skipEmpty,
                                          const CStdStr<wchar_t>& separator);

// SplitString: cuts `text` at its first character that occurs in
// `delimiters` (read up to its first zero unit). On a cut, `left` gets
// what stands before it, `right` what follows it, `delimiter` the
// character itself, both parts are trimmed of white space when `trim` is
// non-zero, and the result is true (1). Otherwise `left` is an untrimmed
// copy of `text`, `right` is empty, `delimiter` is left alone, and the
// result is false (0).
//
// Example:
//   "key = value", "=",  trim 1 -> "key", "value", '=', true
//   "a=b:c",       ":=", trim 0 -> "a", "b:c", '=', true
//   " abc ",       ":",  trim 1 -> " abc ", "", false
VELUT_API signed char SplitString(const CStdStr<wchar_t>& text, const CStdStr<wchar_t>& delimiters,
                                  CStdStr<wchar_t>& left, CStdStr<wchar_t>& right,
                                  wchar_t& delimiter, signed char trim);

}  // namespace VelUt
