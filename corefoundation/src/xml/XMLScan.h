// The byte scanner of the XML parser: how the scans of character data and
// attribute values see each byte, the block copier of plain ASCII runs, the
// conversion of a text run to UTF-16 and where a run ends, and the
// word-at-a-time byte compare of the interner. The hot functions are
// inline: they run once a text run or a name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <CoreFoundation/CFBase.h>

#include "XMLChars.h"

namespace velcf::detail {

// How the scans of character data and attribute values see a byte: most
// bytes are plain ASCII, counted in bulk; the others stop the bulk count.
enum ByteKind : std::uint8_t { kPlain = 0, kSpace = 1, kStop = 2 };

struct ByteKinds {
  ByteKind of[256] = {};
  // `stops`: the ASCII bytes besides the terminator that need a closer look.
  explicit constexpr ByteKinds(const char* stops) {
    for (int c = 0; c < 256; ++c) {
      of[c] = c == 0 || c >= 0x80                               ? kStop
              : c == ' ' || c == '\t' || c == '\n' || c == '\r' ? kSpace
                                                                : kPlain;
    }
    for (const char* p = stops; *p != 0; ++p) of[static_cast<unsigned char>(*p)] = kStop;
  }
};

inline constexpr ByteKinds kTextBytes("&]");
inline constexpr ByteKinds kAttributeBytes("&<");

// Copies the bytes from p on as UTF-16 units to `out` while they are ASCII
// other than `stop1` and `stop2`, 16 at a time while 16 remain before
// `end`; `out` has room for a unit per byte up to `end`. Returns how many
// it copied, and sets `not_space` when one of them is not white space.
// Without SSE2 it copies none and leaves the bytes to the caller's loop.
inline std::size_t CopyPlainBlocks(const unsigned char* p, const unsigned char* end, UniChar* out,
                                   char stop1, char stop2, unsigned& not_space) {
  std::size_t n = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i first = _mm_set1_epi8(stop1);
  const __m128i second = _mm_set1_epi8(stop2);
  const __m128i space = _mm_set1_epi8(' ');
  const __m128i tab = _mm_set1_epi8('\t');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  while (end - (p + n) >= 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n));
    // Stored whole; only the units before the first stop count.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n), _mm_unpacklo_epi8(bytes, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n + 8), _mm_unpackhi_epi8(bytes, zero));
    const __m128i stops =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, first), _mm_cmpeq_epi8(bytes, second)),
                     _mm_cmplt_epi8(bytes, zero));
    const __m128i white =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, space), _mm_cmpeq_epi8(bytes, tab)),
                     _mm_or_si128(_mm_cmpeq_epi8(bytes, lf), _mm_cmpeq_epi8(bytes, cr)));
    const unsigned stop_mask = static_cast<unsigned>(_mm_movemask_epi8(stops));
    const unsigned count = stop_mask == 0 ? 16 : static_cast<unsigned>(__builtin_ctz(stop_mask));
    const unsigned taken = count == 16 ? 0xFFFFu : (1u << count) - 1;
    if ((~static_cast<unsigned>(_mm_movemask_epi8(white)) & taken) != 0) not_space = 1;
    n += count;
    if (count != 16) break;
  }
#else
  (void)p, (void)end, (void)out, (void)stop1, (void)stop2, (void)not_space;
#endif
  return n;
}

// The character of checked UTF-8 at p; moves p past it.
inline char32_t NextChar(const unsigned char*& p) {
  if (*p < 0x80) return *p++;
  char32_t cp;
  // U+FFFD is not reached: the document was checked before parsing.
  DecodeUtf8(p, p + 4, cp, Utf8Errors::kReplace);
  return cp;
}

// Converts character data from p on to UTF-16 units at `out` (room for a
// unit per byte), up to `end` or to a reference to an entity other than
// the predefined ones; moves p and out past what it converted and sets
// `not_space` unless all of it is white space. False for "]]>" or a
// malformed reference. The text ends with a zero byte at or after `end`.
bool ConvertText(const unsigned char*& p, const unsigned char* end, UniChar*& out,
                 unsigned& not_space);

// The end of the text run from p in a document with a type, where a
// reference to an entity (or a malformed one) ends a run: the memory a
// run takes is sized by the run, not by the rest of the text, so that a
// text cut by many references takes memory in proportion to its length.
const unsigned char* RunEnd(const unsigned char* p, const unsigned char* end);

// How many of the `size` bytes at p are ASCII before the first that is not.
// Example:
//   AsciiPrefix("abc\xC3\xA9", 5) -> 3
std::size_t AsciiPrefix(const unsigned char* p, std::size_t size);

// True when the `size` bytes at a and b are equal; compared a word at a
// time, the last word overlapping the one before.
// Example:
//   SameBytes("string", "strong", 6) -> false
//   SameBytes("string", "string!", 6) -> true
inline bool SameBytes(const char* a, const char* b, std::size_t size) {
  if (size >= 8) {
    std::uint64_t x, y;
    for (std::size_t i = 0; i + 8 < size; i += 8) {
      std::memcpy(&x, a + i, 8);
      std::memcpy(&y, b + i, 8);
      if (x != y) return false;
    }
    std::memcpy(&x, a + size - 8, 8);
    std::memcpy(&y, b + size - 8, 8);
    return x == y;
  }
  if (size >= 4) {
    std::uint32_t x, y, u, v;
    std::memcpy(&x, a, 4);
    std::memcpy(&y, b, 4);
    std::memcpy(&u, a + size - 4, 4);
    std::memcpy(&v, b + size - 4, 4);
    return x == y && u == v;
  }
  // 0 to 3 bytes: the first, middle and last cover them all.
  return size == 0 || (a[0] == b[0] && a[size / 2] == b[size / 2] && a[size - 1] == b[size - 1]);
}

}  // namespace velcf::detail
