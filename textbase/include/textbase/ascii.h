// Runs of ASCII, the common case of every text the UTF-8 conversions see:
// a unit below 0x80 is one byte and a byte below 0x80 one unit, so a run of
// them is copied whole, sixteen at a time with SSE2, instead of going
// through the codec unit by unit.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velut::textbase {

// Widens the ASCII bytes that begin [p, p + n) into `out` (null: only
// counts them); returns how many there are. Stops at the first byte of
// 0x80 or above.
inline std::size_t WidenAscii(const std::uint8_t* p, std::size_t n, wchar_t* out) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; n - i >= 16; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    if (_mm_movemask_epi8(v) != 0) break;
    if (out == nullptr) continue;
    const __m128i lo = _mm_unpacklo_epi8(v, zero);
    const __m128i hi = _mm_unpackhi_epi8(v, zero);
    auto* o = reinterpret_cast<__m128i*>(out + i);
    _mm_storeu_si128(o, _mm_unpacklo_epi16(lo, zero));
    _mm_storeu_si128(o + 1, _mm_unpackhi_epi16(lo, zero));
    _mm_storeu_si128(o + 2, _mm_unpacklo_epi16(hi, zero));
    _mm_storeu_si128(o + 3, _mm_unpackhi_epi16(hi, zero));
  }
#endif
  for (; i < n && p[i] < 0x80; ++i)
    if (out != nullptr) out[i] = static_cast<wchar_t>(p[i]);
  return i;
}

// Narrows the units below 0x80 that begin [p, p + n) into `out` (null:
// only counts them); returns how many there are. Stops at the first unit
// outside 0..0x7F.
inline std::size_t NarrowAscii(const wchar_t* p, std::size_t n, char* out) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i high = _mm_set1_epi32(~0x7F);
  const __m128i zero = _mm_setzero_si128();
  for (; n - i >= 16; i += 16) {
    const auto* q = reinterpret_cast<const __m128i*>(p + i);
    const __m128i a = _mm_loadu_si128(q);
    const __m128i b = _mm_loadu_si128(q + 1);
    const __m128i c = _mm_loadu_si128(q + 2);
    const __m128i d = _mm_loadu_si128(q + 3);
    const __m128i any = _mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d));
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(any, high), zero)) != 0xFFFF) break;
    if (out == nullptr) continue;
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), bytes);
  }
#endif
  for (; i < n && static_cast<std::uint32_t>(p[i]) < 0x80; ++i)
    if (out != nullptr) out[i] = static_cast<char>(p[i]);
  return i;
}

}  // namespace velut::textbase
