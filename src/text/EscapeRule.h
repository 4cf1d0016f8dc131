// The escape rule shared by the escape and bracket functions.
#pragma once

#include <cstddef>

namespace VelUt::detail {

// True when the unit at `i` of `text` is escaped: exactly one `escape`
// stands directly before it (two in a row escape each other). Only the two
// units before `i` are looked at; `escape` 0 escapes nothing.
inline bool IsEscaped(const wchar_t* text, std::size_t i, wchar_t escape) {
  return escape != 0 && i >= 1 && text[i - 1] == escape && !(i >= 2 && text[i - 2] == escape);
}

}  // namespace VelUt::detail
