#include "case_fold.h"

#include <locale.h>
#include <wctype.h>

namespace velwin::detail {

char32_t FoldCase(char32_t c) {
  static const locale_t folding = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  if (folding != nullptr) return static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), folding));
  return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
}

}  // namespace velwin::detail
