// Letter-case folding for comparing names the way Windows compares them.
#pragma once

namespace velwin::detail {

// The simple upper-case mapping of Unicode where the C.UTF-8 locale is
// installed, else of ASCII only. Values that are no code point map to
// themselves. Throws std::bad_alloc when there is no memory for the locale.
char32_t FoldCase(char32_t c);

}  // namespace velwin::detail
