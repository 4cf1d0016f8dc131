// The reader of XML references; see XMLReference.h.
#include "XMLReference.h"

#include <textbase/hex.h>

#include "XMLChars.h"

namespace velcf::detail {
namespace {

// The value of the digits from q on, in base 16 or 10; moves q past them.
char32_t ReadDigits(const unsigned char*& q, bool hex) {
  char32_t value = 0;
  for (;; ++q) {
    const int d = velut::textbase::DigitValue(*q);
    if (d >= (hex ? 16 : 10)) return value;
    // Anything past the last code point stays past it.
    value = value > 0x10FFFF ? value : value * (hex ? 16 : 10) + d;
  }
}

}  // namespace

Reference ReadReference(const unsigned char* p, char32_t& cp, std::string_view& name,
                        const unsigned char*& next) {
  const unsigned char* q = p + 1;
  if (*q == '#') {
    ++q;
    const bool hex = *q == 'x';
    if (hex) ++q;
    const unsigned char* digits = q;
    const char32_t value = ReadDigits(q, hex);
    if (q == digits || *q != ';' || !IsXmlChar(value)) return Reference::kMalformed;
    cp = value;
    next = q + 1;
    return Reference::kCharacter;
  }
  if (!IsNameStart(*q)) return Reference::kMalformed;
  while (IsNameChar(*q)) ++q;
  if (*q != ';') return Reference::kMalformed;
  name = std::string_view(reinterpret_cast<const char*>(p + 1), q - p - 1);
  next = q + 1;
  static const struct {
    const char* name;
    char32_t cp;
  } kPredefined[] = {{"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"apos", '\''}, {"quot", '"'}};
  for (const auto& entity : kPredefined) {
    if (name == entity.name) {
      cp = entity.cp;
      return Reference::kCharacter;
    }
  }
  return Reference::kEntity;
}

}  // namespace velcf::detail
