// The byte scanner's out-of-line part: the ASCII prefix of a string that
// the builder converts.
#include "XMLScan.h"

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

}  // namespace velcf::detail
