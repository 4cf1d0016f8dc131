// Case-insensitive search and replacement in wide texts.
//
// Both functions fold each unit on its own with tolower of the layer's
// classic locale (g_locale_classic: only A-Z change case, whatever the
// global locale is) and compare the folded units one for one, so a match
// always spans exactly as many units as the pattern.
#pragma once

#include <VelUt/Export.h>
#include <VelUt/StdStr.h>

namespace VelUt {

// FindNoCase: the position of the first occurrence of `pattern` in `text`
// at or after `start`, case ignored; occurrences may overlap. -1 when there
// is none, when `text` is empty or null, when `pattern` is empty or null,
// and when `start` is not below the length of `text`. A `text` pointer
// value from 1 to 0xFFFF is a string-resource id, loaded as the CStdStr
// constructor does; a `pattern` pointer value below 0x10000 cannot point
// at text and finds nothing. A negative `start` tries position 0 and
// returns `start` itself when the pattern matches there. The text is read
// only as far as the match (or its end), never measured first.
//
// Example:
//   FindNoCase(L"Hello World", L"WORLD", 0) -> 6
//   FindNoCase(L"abcabc", L"ABC", 1)        -> 3
//   FindNoCase(L"aaa", L"aa", 1)            -> 1
//   FindNoCase(L"abc", L"c", 3)             -> -1
VELUT_API int FindNoCase(const wchar_t* text, const wchar_t* pattern, int start);

// ReplaceNoCase: replaces every occurrence of `pattern` in `target`, case
// ignored, by `replacement` exactly as passed (null: the occurrence is
// deleted). Occurrences are taken from left to right without overlap and
// the inserted text is never searched again. Returns the number of
// replacements. A null or empty pattern replaces nothing; a `pattern`
// pointer value from 1 to 0xFFFF is a string-resource id, as in the
// CStdStr constructor, while a `replacement` pointer value below 0x10000
// counts as null. NUL units inside `target` are kept and never match.
// If memory runs out (for a result too large for it, say), the allocation
// failure reaches the caller as std::bad_alloc (std::length_error beyond
// the string's max_size()) and `target` is left as it was.
//
// Example:
//   "aaaa", pattern L"AA", replacement L"b"  -> "bb",   returns 2
//   "aaa",  pattern L"aa", replacement L"x"  -> "xa",   returns 1
//   "abc",  pattern L"B",  replacement L"bb" -> "abbc", returns 1
//   "a-b-c", pattern L"-", replacement null  -> "abc",  returns 2
VELUT_API int ReplaceNoCase(CStdStr<wchar_t>& target, const wchar_t* pattern,
                            const wchar_t* replacement);

}  // namespace VelUt
