// Escape characters and one-character trimming at the ends of a text.
#pragma once

#include <VelUt/Export.h>
#include <VelUt/StdStr.h>

namespace VelUt {

// EscapeChar: inserts `escape` before every character of `text` that
// occurs in `chars`. Returns the number of escapes inserted. The inserted
// characters are not examined again; `escape` 0 is inserted like any other.
//
// Example (chars ",;", escape '\\'):
//   "a,b;c" -> "a\\,b\\;c", returns 2
VELUT_API int EscapeChar(CStdStr<wchar_t>& text, const CStdStr<wchar_t>& chars, wchar_t escape);

// RemoveEscapeChar: removes the escape before every escaped character of
// `text` that occurs in `chars`. A character is escaped when exactly one
// `escape` stands directly before it (two in a row do not escape it), as
// the text stands after the removals made so far. Returns the number of
// escapes removed; 0 for `escape` 0.
//
// Example (chars ",;", escape '\\'):
//   "a\\,b\\;c" -> "a,b;c", returns 2
//   "a\\\\,"    -> unchanged, returns 0 (a doubled escape)
// With chars "\\," the text "a\\\\\\," (a, three backslashes, comma)
// becomes "a," and the result is 3.
VELUT_API int RemoveEscapeChar(CStdStr<wchar_t>& text, const CStdStr<wchar_t>& chars,
                               wchar_t escape);

// TrimLeftChar: trims leading white space; then, if the text starts with
// `ch`, removes that one character and trims leading white space again.
// Always returns true (1).
// Example: "  ,a" -> "a";  ",,a" -> ",a"
VELUT_API signed char TrimLeftChar(CStdStr<wchar_t>& text, wchar_t ch);

// TrimRightChar: trims trailing white space; then, if the text ends with
// `ch`, removes that one character (the white space before it stays) and
// returns true (1); otherwise returns false (0).
// Example: "a ," -> "a ", true;  "a  " -> "a", false
VELUT_API signed char TrimRightChar(CStdStr<wchar_t>& text, wchar_t ch);

}  // namespace VelUt
