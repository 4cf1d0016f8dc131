// The byte scanner's out-of-line part: the ASCII prefix of a string that
// the builder converts, and the conversion of text runs.
#include "XMLScan.h"

#include <string_view>

#include "XMLReference.h"

namespace velcf::detail {

std::size_t AsciiPrefix(const unsigned char* p, std::size_t size) {
  std::size_t n = 0;
  for (; size - n >= 8; n += 8) {
    // Without the copy `word` is uninitialised and the count depends on what
    // it holds: a test sees that only by chance, a sanitizer of
    // uninitialised reads always.
    std::uint64_t word;
    std::memcpy(&word, p + n, sizeof word);
    if ((word & 0x8080808080808080ULL) != 0) break;
  }
  while (n < size && p[n] < 0x80) ++n;
  return n;
}

bool ConvertText(const unsigned char*& p, const unsigned char* end, UniChar*& out,
                 unsigned& not_space) {
  for (;;) {
    const std::size_t copied = CopyPlainBlocks(p, end, out, '&', ']', not_space);
    p += copied;
    out += copied;
    ByteKind kind;
    while ((kind = kTextBytes.of[*p]) != kStop) {
      not_space |= kind ^ kSpace;
      *out++ = *p++;
    }
    const unsigned char c = *p;
    if (c == 0) return true;
    if (c == ']') {
      if (p[1] == ']' && p[2] == '>') return false;
      *out++ = *p++;
    } else if (c == '&') {
      char32_t cp = 0;
      std::string_view name;
      const unsigned char* next = nullptr;
      const Reference reference = ReadReference(p, cp, name, next);
      if (reference == Reference::kMalformed) return false;
      if (reference == Reference::kEntity) return true;  // a node of its own
      out = WriteUtf16(out, cp);
      p = next;
    } else {
      out = WriteUtf16(out, NextChar(p));
    }
    not_space = 1;  // a reference or a character beyond ASCII is text
  }
}

const unsigned char* RunEnd(const unsigned char* p, const unsigned char* end) {
  while ((p = static_cast<const unsigned char*>(
              std::memchr(p, '&', static_cast<std::size_t>(end - p)))) != nullptr) {
    char32_t cp = 0;
    std::string_view name;
    const unsigned char* next = nullptr;
    if (ReadReference(p, cp, name, next) != Reference::kCharacter) return p;
    p = next;
  }
  return end;
}

}  // namespace velcf::detail
