#include <algorithm>
#include <cstring>

#include <textbase/transcode.h>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#include <tmmintrin.h>

#include <array>
#endif

namespace velut::textbase {

namespace {

constexpr bool IsContinuation(std::uint8_t b) { return (b & 0xC0) == 0x80; }

// Decodes the well-formed sequences that begin [p, end) into `out` (null:
// counts them) while `written` stays below `room`. Returns where it stopped:
// the end, a byte that begins no well-formed sequence, or the room used up.
// Each branch stays taken along a run of one script, so the branches are
// predicted on Cyrillic or CJK text as on ASCII.
const std::uint8_t* DecodeRunPlain(const std::uint8_t* p, const std::uint8_t* end, wchar_t* out,
                                   std::size_t& written, std::size_t room) {
  while (p < end && written < room) {
    const std::uint8_t b0 = p[0];
    const auto left = static_cast<std::size_t>(end - p);
    if (b0 < 0x80) {
      // ASCII eight bytes at a time, while no byte has its top bit set.
      const std::size_t most = std::min(left, room - written);
      std::size_t k = 0;
      for (; most - k >= 8; k += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + k, 8);
        if ((word & 0x8080808080808080U) != 0) break;
        if (out != nullptr) {
          for (std::size_t j = k; j < k + 8; ++j) out[written + j] = static_cast<wchar_t>(p[j]);
        }
      }
      for (; k < most && p[k] < 0x80; ++k) {
        if (out != nullptr) out[written + k] = static_cast<wchar_t>(p[k]);
      }
      p += k;
      written += k;
      continue;
    }
    char32_t cp;
    std::size_t length;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
      if (left < 2 || !IsContinuation(p[1])) break;
      cp = (static_cast<char32_t>(b0 & 0x1F) << 6) | (p[1] & 0x3F);
      length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      if (left < 3 || !IsContinuation(p[1]) || !IsContinuation(p[2])) break;
      cp = (static_cast<char32_t>(b0 & 0x0F) << 12) | (static_cast<char32_t>(p[1] & 0x3F) << 6) |
           (p[2] & 0x3F);
      // Overlong forms and surrogates are no UTF-8.
      if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) break;
      length = 3;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      if (left < 4 || !IsContinuation(p[1]) || !IsContinuation(p[2]) || !IsContinuation(p[3]))
        break;
      cp = (static_cast<char32_t>(b0 & 0x07) << 18) | (static_cast<char32_t>(p[1] & 0x3F) << 12) |
           (static_cast<char32_t>(p[2] & 0x3F) << 6) | (p[3] & 0x3F);
      if (cp < 0x10000 || cp > 0x10FFFF) break;
      length = 4;
    } else {
      break;
    }
    if (out != nullptr) out[written] = static_cast<wchar_t>(cp);
    ++written;
    p += length;
  }
  return p;
}

// Writes the UTF-8 form of `c` (10000..10FFFF) at `out`.
inline void WriteFourBytes(char* out, std::uint32_t c) {
  out[0] = static_cast<char>(0xF0 | (c >> 18));
  out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (c & 0x3F));
}

// Encodes the scalar values that begin [p, p + n) into `out` (null: counts
// them) while their sequences fit below `room`. Returns how many units it
// took: it stops at the end, at a unit that is no scalar value, or at one
// whose sequence would pass the room.
std::size_t EncodeRunPlain(const wchar_t* p, std::size_t n, char* out, std::size_t& written,
                           std::size_t room) {
  std::size_t i = 0;
  while (i < n && written < room) {
    const auto c = static_cast<std::uint32_t>(p[i]);
    const std::size_t left = room - written;
    if (c < 0x80) {
      const std::size_t most = i + std::min(n - i, left);
      std::size_t k = i;
      for (; k < most && static_cast<std::uint32_t>(p[k]) < 0x80; ++k) {
        if (out != nullptr) out[written + k - i] = static_cast<char>(p[k]);
      }
      written += k - i;
      i = k;
      continue;
    }
    char* o = out != nullptr ? out + written : nullptr;
    std::size_t length;
    if (c < 0x800) {
      if (left < 2) break;
      if (o != nullptr) {
        o[0] = static_cast<char>(0xC0 | (c >> 6));
        o[1] = static_cast<char>(0x80 | (c & 0x3F));
      }
      length = 2;
    } else if (c < 0x10000) {
      if ((c >= 0xD800 && c <= 0xDFFF) || left < 3) break;
      if (o != nullptr) {
        o[0] = static_cast<char>(0xE0 | (c >> 12));
        o[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        o[2] = static_cast<char>(0x80 | (c & 0x3F));
      }
      length = 3;
    } else if (c <= 0x10FFFF) {
      if (left < 4) break;
      if (o != nullptr) WriteFourBytes(o, c);
      length = 4;
    } else {
      break;
    }
    written += length;
    ++i;
  }
  return i;
}

#if defined(__SSE2__) && defined(__x86_64__)

// The lanes of `mask` (all ones or zero) take `yes`, the others `no`.
inline __m128i Select(__m128i mask, __m128i yes, __m128i no) {
  return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

// The code points of the sequences that would begin at eight byte
// positions, in 16-bit lanes, from the bytes there (x0) and the next two
// (x1, x2), widened to 16 bits; which of them are ASCII and which 3-byte
// leads the masks say.
inline __m128i CodePoints(__m128i x0, __m128i x1, __m128i x2, __m128i ascii, __m128i three) {
  const __m128i low6 = _mm_set1_epi16(0x3F);
  const __m128i m1 = _mm_and_si128(x1, low6);
  // Two bytes: five bits of the lead (its sixth is 0), six of the next.
  const __m128i two = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(x0, low6), 6), m1);
  // Three bytes: the lead's four bits fall out of the lane's top.
  const __m128i three_value = _mm_or_si128(
      _mm_or_si128(_mm_slli_epi16(x0, 12), _mm_slli_epi16(m1, 6)), _mm_and_si128(x2, low6));
  return Select(ascii, x0, Select(three, three_value, two));
}

// Stores the lanes of `v` that `mask` selects at `out`; the others keep
// what `out` held.
inline void StoreLanes(__m128i* out, __m128i v, __m128i mask) {
  _mm_storeu_si128(out, Select(mask, v, _mm_loadu_si128(out)));
}

// Decodes the well-formed 4-byte sequence at `p`, if there is one and
// room for it; returns where it stopped, as DecodeRunPlain does.
inline const std::uint8_t* DecodeFourBytes(const std::uint8_t* p, const std::uint8_t* end,
                                           wchar_t* out, std::size_t& written, std::size_t room) {
  if (end - p < 4 || written == room || p[0] < 0xF0 || p[0] > 0xF4 || !IsContinuation(p[1]) ||
      !IsContinuation(p[2]) || !IsContinuation(p[3]))
    return p;
  const char32_t cp = (static_cast<char32_t>(p[0] & 0x07) << 18) |
                      (static_cast<char32_t>(p[1] & 0x3F) << 12) |
                      (static_cast<char32_t>(p[2] & 0x3F) << 6) | (p[3] & 0x3F);
  if (cp < 0x10000 || cp > 0x10FFFF) return p;
  if (out != nullptr) out[written] = static_cast<wchar_t>(cp);
  ++written;
  return p + 4;
}

// Widens the sixteen ASCII bytes of `v` into out[0..16).
inline void WidenSixteen(__m128i v, wchar_t* out) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i lo = _mm_unpacklo_epi8(v, zero);
  const __m128i hi = _mm_unpackhi_epi8(v, zero);
  auto* o = reinterpret_cast<__m128i*>(out);
  _mm_storeu_si128(o, _mm_unpacklo_epi16(lo, zero));
  _mm_storeu_si128(o + 1, _mm_unpackhi_epi16(lo, zero));
  _mm_storeu_si128(o + 2, _mm_unpacklo_epi16(hi, zero));
  _mm_storeu_si128(o + 3, _mm_unpackhi_epi16(hi, zero));
}

// Widens the first `run` bytes of `v` (8 to 15, all ASCII) into out[0..run);
// the units past them keep what `out` held (room for 16).
inline void WidenRun(__m128i v, unsigned run, wchar_t* out) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i lo = _mm_unpacklo_epi8(v, zero);
  const __m128i hi = _mm_unpackhi_epi8(v, zero);
  auto* o = reinterpret_cast<__m128i*>(out);
  _mm_storeu_si128(o, _mm_unpacklo_epi16(lo, zero));
  _mm_storeu_si128(o + 1, _mm_unpackhi_epi16(lo, zero));
  const __m128i length = _mm_set1_epi32(static_cast<int>(run));
  StoreLanes(o + 2, _mm_unpacklo_epi16(hi, zero),
             _mm_cmpgt_epi32(length, _mm_set_epi32(11, 10, 9, 8)));
  StoreLanes(o + 3, _mm_unpackhi_epi16(hi, zero),
             _mm_cmpgt_epi32(length, _mm_set_epi32(15, 14, 13, 12)));
}

// How many bits each byte has set; without a popcount instruction in the
// baseline, __builtin_popcount is a library call.
constexpr std::array<std::uint8_t, 256> BitCounts() {
  std::array<std::uint8_t, 256> table{};
  for (unsigned m = 1; m < 256; ++m) table[m] = static_cast<std::uint8_t>(table[m >> 1] + (m & 1));
  return table;
}

constexpr std::array<std::uint8_t, 256> kBitCount = BitCounts();

// How many bits of the sixteen in `m` are set.
inline std::size_t CountBits(unsigned m) { return kBitCount[m & 0xFF] + kBitCount[m >> 8]; }

// For each mask of eight bits, the byte shuffle that gathers the 16-bit
// lanes whose bits are set to the front, in order; the rest become zero.
constexpr std::array<std::array<std::int8_t, 16>, 256> GatherShuffles() {
  std::array<std::array<std::int8_t, 16>, 256> table{};
  for (unsigned mask = 0; mask < 256; ++mask) {
    unsigned to = 0;
    for (unsigned lane = 0; lane < 8; ++lane) {
      if ((mask & (1U << lane)) == 0) continue;
      table[mask][to++] = static_cast<std::int8_t>(2 * lane);
      table[mask][to++] = static_cast<std::int8_t>(2 * lane + 1);
    }
    for (; to < 16; ++to) table[mask][to] = -1;
  }
  return table;
}

alignas(16) constexpr std::array<std::array<std::int8_t, 16>, 256> kGatherShuffles =
    GatherShuffles();

// Whether this CPU has SSSE3's byte shuffle, which x86-64 does not promise.
const bool kHasShuffle = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("ssse3") != 0;
}();

// The eight units past a gathered block's output, as they were before the
// gather wrote over them; `at` is null when nothing is owed.
struct OwedUnits {
  wchar_t* at = nullptr;
  __m128i first{};
  __m128i second{};
};

// Puts back the units a gather wrote past its output, if any.
inline void PayBack(OwedUnits& owed) {
  if (owed.at == nullptr) return;
  auto* at = reinterpret_cast<__m128i*>(owed.at);
  _mm_storeu_si128(at, owed.first);
  _mm_storeu_si128(at + 1, owed.second);
  owed.at = nullptr;
}

// Writes the 16-bit lanes of `low` (units 0..7) and `high` (8..15) that
// `units` selects, `count` of them (8 or more), at `out`, widened and in
// order, with one shuffle per half. Each half goes out as eight units,
// the next writing over the excess; the eight past the last are kept in
// `owed`, to be put back once no later block writes over them (room for
// 24). Units that an earlier gather owed lie below `out + 8`, so these
// overwrite them.
__attribute__((target("ssse3"))) void GatherUnitsSsse3(__m128i low, __m128i high, unsigned units,
                                                       std::size_t count, wchar_t* out,
                                                       OwedUnits& owed) {
  const __m128i zero = _mm_setzero_si128();
  auto* after = reinterpret_cast<__m128i*>(out + count);
  owed.at = out + count;
  owed.first = _mm_loadu_si128(after);
  owed.second = _mm_loadu_si128(after + 1);
  const auto* shuffles = reinterpret_cast<const __m128i*>(kGatherShuffles.data());
  const __m128i a = _mm_shuffle_epi8(low, _mm_load_si128(shuffles + (units & 0xFF)));
  const __m128i b = _mm_shuffle_epi8(high, _mm_load_si128(shuffles + (units >> 8)));
  auto* o = reinterpret_cast<__m128i*>(out);
  _mm_storeu_si128(o, _mm_unpacklo_epi16(a, zero));
  _mm_storeu_si128(o + 1, _mm_unpackhi_epi16(a, zero));
  o = reinterpret_cast<__m128i*>(out + kBitCount[units & 0xFF]);
  _mm_storeu_si128(o, _mm_unpacklo_epi16(b, zero));
  _mm_storeu_si128(o + 1, _mm_unpackhi_epi16(b, zero));
}

// Writes the 16-bit lanes of `low` (units 0..7) and `high` (8..15) that
// `units` selects at `out`, widened and in order, one at a time.
inline void GatherUnits(__m128i low, __m128i high, unsigned units, wchar_t* out) {
  alignas(16) std::uint16_t cps[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(cps), low);
  _mm_store_si128(reinterpret_cast<__m128i*>(cps + 8), high);
  for (; units != 0; units &= units - 1) *out++ = static_cast<wchar_t>(cps[__builtin_ctz(units)]);
}

// Puts the code points of a decoded block that `units` selects, in the
// 16-bit lanes of `low` (0..7) and `high` (8..15), at out[written..], by
// SSSE3's shuffle if `shuffle` says so (room for 24) and there are eight or
// more, else one by one.
[[gnu::always_inline]] inline void PutUnits(__m128i low, __m128i high, unsigned units, wchar_t* out,
                                            std::size_t& written, bool shuffle, OwedUnits& owed) {
  const std::size_t count = CountBits(units);
  if (shuffle && count >= 8) {
    GatherUnitsSsse3(low, high, units, count, out + written, owed);
  } else {
    PayBack(owed);
    GatherUnits(low, high, units, out + written);
  }
  written += count;
}

// Decodes the block of sixteen bytes at `p` (three more readable past it)
// that holds other bytes than ASCII but begins with no 4-byte sequence:
// each byte position is judged at once (does a well-formed sequence of one
// to three bytes start there, is it a continuation that one needs), the
// code points of all of them are computed in vectors, and those of the
// starts are gathered into `out` (null: counted), by SSSE3's shuffle if
// `shuffle` says so (room for 24), else one by one. The block stops at its
// first byte that fits neither; returns how many bytes it took, and in
// `whole` whether it went to its end.
[[gnu::always_inline]] inline std::size_t DecodeMixedBlock(const std::uint8_t* p, wchar_t* out,
                                                           std::size_t& written, bool& whole,
                                                           bool shuffle, OwedUnits& owed) {
  const __m128i zero = _mm_setzero_si128();
  // Bytes compare as signed: 0x80..0xBF are -128..-65.
  const __m128i below_c0 = _mm_set1_epi8(-64);
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
  const __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2));
  const __m128i cont1 = _mm_cmplt_epi8(v1, below_c0);
  const __m128i cont2 = _mm_cmplt_epi8(v2, below_c0);
  const __m128i ascii = _mm_cmpgt_epi8(v, _mm_set1_epi8(-1));
  // C2..DF, then E0..EF.
  const __m128i lead2 =
      _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(-63)), _mm_cmplt_epi8(v, _mm_set1_epi8(-32)));
  const __m128i lead3 =
      _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(-33)), _mm_cmplt_epi8(v, _mm_set1_epi8(-16)));
  // E0 needs A0..BF after it (no overlong form), ED 80..9F (no surrogate).
  const __m128i overlong =
      _mm_and_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(-32)), _mm_cmplt_epi8(v1, _mm_set1_epi8(-96)));
  const __m128i surrogate =
      _mm_and_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(-19)), _mm_cmpgt_epi8(v1, _mm_set1_epi8(-97)));
  const __m128i good2 = _mm_and_si128(lead2, cont1);
  const __m128i good3 = _mm_andnot_si128(_mm_or_si128(overlong, surrogate),
                                         _mm_and_si128(lead3, _mm_and_si128(cont1, cont2)));
  const __m128i starts = _mm_or_si128(ascii, _mm_or_si128(good2, good3));
  const __m128i needed =
      _mm_or_si128(_mm_slli_si128(_mm_or_si128(good2, good3), 1), _mm_slli_si128(good3, 2));
  const auto fine = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(starts, needed)));
  // The block ends at its first byte that neither starts a sequence nor
  // continues one; with none, at the end of its last sequence.
  const auto stop = static_cast<unsigned>(__builtin_ctz(~fine));
  std::size_t consumed = stop;
  whole = stop == 16;
  if (whole) {
    const auto g2 = static_cast<unsigned>(_mm_movemask_epi8(good2));
    const auto g3 = static_cast<unsigned>(_mm_movemask_epi8(good3));
    consumed += (g3 & 0x8000) != 0 ? 2 : ((g3 & 0x4000) | (g2 & 0x8000)) != 0 ? 1 : 0;
  }
  unsigned units = static_cast<unsigned>(_mm_movemask_epi8(starts)) & ((1U << stop) - 1);
  if (out == nullptr) {
    written += CountBits(units);
    return consumed;
  }
  const __m128i low = CodePoints(_mm_unpacklo_epi8(v, zero), _mm_unpacklo_epi8(v1, zero),
                                 _mm_unpacklo_epi8(v2, zero), _mm_unpacklo_epi8(ascii, ascii),
                                 _mm_unpacklo_epi8(lead3, lead3));
  const __m128i high = CodePoints(_mm_unpackhi_epi8(v, zero), _mm_unpackhi_epi8(v1, zero),
                                  _mm_unpackhi_epi8(v2, zero), _mm_unpackhi_epi8(ascii, ascii),
                                  _mm_unpackhi_epi8(lead3, lead3));
  // A block cut short is followed by a sequence the caller decodes alone;
  // what a gather would owe is then put back at once, so it is not worth it.
  PutUnits(low, high, units, out, written, shuffle && whole, owed);
  return consumed;
}

// The code points of the sequences of one or two bytes that would begin at
// eight byte positions, in 16-bit lanes, from the bytes there (x0) and the
// next (x1), widened to 16 bits.
inline __m128i TwoByteCodePoints(__m128i x0, __m128i x1) {
  const __m128i ascii = _mm_cmplt_epi16(x0, _mm_set1_epi16(0x80));
  const __m128i two = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(x0, _mm_set1_epi16(0x1F)), 6),
                                   _mm_and_si128(x1, _mm_set1_epi16(0x3F)));
  return Select(ascii, x0, two);
}

// Decodes the block of sixteen bytes at `p` (one more readable past it) if
// it holds well-formed sequences of one and two bytes only, as Western and
// Cyrillic text mostly do: a cheaper judgement than DecodeMixedBlock's,
// since each continuation must then follow a lead and each lead precede
// one. Returns how many bytes it took (17 when its last sequence ends past
// it), or 0 having written nothing; puts the units out as DecodeMixedBlock.
[[gnu::always_inline]] inline std::size_t DecodeTwoByteBlock(const std::uint8_t* p, wchar_t* out,
                                                             std::size_t& written, bool shuffle,
                                                             OwedUnits& owed) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const auto top = static_cast<unsigned>(_mm_movemask_epi8(v));
  // Bytes compare as signed: E0..FF are -32..-1, C2..DF -62..-33, 80..BF
  // -128..-65.
  if ((top & static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi8(v, _mm_set1_epi8(-33))))) != 0)
    return 0;
  const unsigned leads =
      top & static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi8(v, _mm_set1_epi8(-63))));
  const auto continuations =
      static_cast<unsigned>(_mm_movemask_epi8(_mm_cmplt_epi8(v, _mm_set1_epi8(-64))));
  // C0 and C1 are neither; a lead in the last lane needs the byte after.
  if (continuations != ((leads << 1) & 0xFFFF) || (top & ~(leads | continuations)) != 0 ||
      ((leads & 0x8000) != 0 && !IsContinuation(p[16])))
    return 0;
  const unsigned units = (~top & 0xFFFF) | leads;
  const std::size_t consumed = 16 + (leads >> 15);
  if (out == nullptr) {
    written += CountBits(units);
    return consumed;
  }
  const __m128i zero = _mm_setzero_si128();
  const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
  const __m128i low = TwoByteCodePoints(_mm_unpacklo_epi8(v, zero), _mm_unpacklo_epi8(v1, zero));
  const __m128i high = TwoByteCodePoints(_mm_unpackhi_epi8(v, zero), _mm_unpackhi_epi8(v1, zero));
  PutUnits(low, high, units, out, written, shuffle, owed);
  return consumed;
}

// DecodeRunPlain's work sixteen bytes at a time: ASCII widened whole, a
// long run of it up to a 4-byte sequence (English among emoji) widened as
// far as it goes and the sequence after it decoded here, other blocks
// judged by DecodeMixedBlock, with SSSE3's shuffle if `kShuffle` says so.
// What a block leaves, a bad byte, is left to the caller.
template <bool kShuffle>
[[gnu::always_inline]] inline const std::uint8_t* DecodeRunSse2(const std::uint8_t* p,
                                                                const std::uint8_t* end,
                                                                wchar_t* out, std::size_t& written,
                                                                std::size_t room) {
  OwedUnits owed;
  // A block reads two bytes past itself, for the sequences that end there.
  while (end - p >= 18 && room - written >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const auto high = static_cast<unsigned>(_mm_movemask_epi8(v));
    if (high == 0) {
      PayBack(owed);
      if (out != nullptr) WidenSixteen(v, out + written);
      p += 16;
      written += 16;
      continue;
    }
    const auto ascii_run = static_cast<unsigned>(__builtin_ctz(high));
    if (ascii_run >= 8) {
      PayBack(owed);
      if (out != nullptr) WidenRun(v, ascii_run, out + written);
      p += ascii_run;
      written += ascii_run;
      p = DecodeFourBytes(p, end, out, written, room);
      continue;
    }
    const std::size_t took =
        DecodeTwoByteBlock(p, out, written, kShuffle && room - written >= 24, owed);
    if (took != 0) {
      p += took;
      continue;
    }
    if (*p < 0xF0) {
      bool whole;
      p += DecodeMixedBlock(p, out, written, whole, kShuffle && room - written >= 24, owed);
      if (whole) continue;
    }
    // A sequence of four bytes, or a bad byte left to the caller.
    PayBack(owed);
    const std::uint8_t* next = DecodeFourBytes(p, end, out, written, room);
    if (next == p) return p;
    p = next;
  }
  PayBack(owed);
  return DecodeRunPlain(p, end, out, written, room);
}

// Writes the low four bytes of `v` at `first` and the next four at
// `second`, in that order.
inline void PutPair(char* first, char* second, __m128i v) {
  const auto pair = static_cast<std::uint64_t>(_mm_cvtsi128_si64(v));
  const auto low = static_cast<std::uint32_t>(pair);
  const auto high = static_cast<std::uint32_t>(pair >> 32);
  std::memcpy(first, &low, 4);
  std::memcpy(second, &high, 4);
}

// Bit k set where unit k of the eight in `a` and `b` is ASCII.
inline unsigned AsciiLanes(__m128i a, __m128i b) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i not_ascii = _mm_set1_epi32(~0x7F);
  const int low =
      _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(_mm_and_si128(a, not_ascii), zero)));
  const int high =
      _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(_mm_and_si128(b, not_ascii), zero)));
  return static_cast<unsigned>(low | (high << 4));
}

// Narrows the eight ASCII units of `a` and `b` into out[0..8).
inline void NarrowEight(__m128i a, __m128i b, char* out) {
  const __m128i words = _mm_packs_epi32(a, b);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(words, words));
}

// Narrows ASCII sixteen units at a time from p[i] on, while it lasts and
// fits; returns the new i.
std::size_t NarrowSixteens(const wchar_t* p, std::size_t i, std::size_t n, char* out,
                           std::size_t& written, std::size_t room) {
  const __m128i not_ascii = _mm_set1_epi32(~0x7F);
  while (n - i >= 16 && room - written >= 16) {
    const auto* q = reinterpret_cast<const __m128i*>(p + i);
    const __m128i c0 = _mm_loadu_si128(q);
    const __m128i c1 = _mm_loadu_si128(q + 1);
    const __m128i c2 = _mm_loadu_si128(q + 2);
    const __m128i c3 = _mm_loadu_si128(q + 3);
    const __m128i any = _mm_or_si128(_mm_or_si128(c0, c1), _mm_or_si128(c2, c3));
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(any, not_ascii), _mm_setzero_si128())) !=
        0xFFFF)
      break;
    if (out != nullptr) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + written),
                       _mm_packus_epi16(_mm_packs_epi32(c0, c1), _mm_packs_epi32(c2, c3)));
    }
    i += 16;
    written += 16;
  }
  return i;
}

// How many of the eight units in `a` and `b` lead the block as units of
// the basic plane that are no surrogate.
inline unsigned PlaneLanes(__m128i a, __m128i b) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i surrogate_bits = _mm_set1_epi32(static_cast<int>(0xFFFFF800U));
  const __m128i surrogates = _mm_set1_epi32(0xD800);
  const __m128i ok_a =
      _mm_andnot_si128(_mm_cmpeq_epi32(_mm_and_si128(a, surrogate_bits), surrogates),
                       _mm_cmpeq_epi32(_mm_srli_epi32(a, 16), zero));
  const __m128i ok_b =
      _mm_andnot_si128(_mm_cmpeq_epi32(_mm_and_si128(b, surrogate_bits), surrogates),
                       _mm_cmpeq_epi32(_mm_srli_epi32(b, 16), zero));
  const auto ok = static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(ok_a)) |
                                        (_mm_movemask_ps(_mm_castsi128_ps(ok_b)) << 4));
  return static_cast<unsigned>(__builtin_ctz(~ok));
}

// The sequences of the eight units in `a` and `b`, all of the basic plane
// and no surrogate: each unit is narrowed to a 16-bit lane and its
// sequence (one to three bytes) built in a 32-bit lane of `lo` (units
// 0..3) or `hi` (4..7); `ascii` and `short2` mark, in 16-bit lanes, the
// units of one byte and those of two bytes or fewer.
struct PlaneSequences {
  __m128i lo;
  __m128i hi;
  __m128i ascii;
  __m128i short2;
};

inline PlaneSequences BuildSequences(__m128i a, __m128i b) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i bias = _mm_set1_epi32(0x8000);
  // 0..FFFF into 16-bit lanes: signed saturation keeps them once biased.
  const __m128i x = _mm_add_epi16(_mm_packs_epi32(_mm_sub_epi32(a, bias), _mm_sub_epi32(b, bias)),
                                  _mm_set1_epi16(-0x8000));
  const __m128i ascii = _mm_cmpeq_epi16(_mm_srli_epi16(x, 7), zero);
  const __m128i short2 = _mm_cmpeq_epi16(_mm_srli_epi16(x, 11), zero);
  const __m128i cont = _mm_set1_epi16(0x80);
  const __m128i low6 = _mm_set1_epi16(0x3F);
  const __m128i last = _mm_or_si128(_mm_and_si128(x, low6), cont);
  const __m128i middle = _mm_or_si128(_mm_and_si128(_mm_srli_epi16(x, 6), low6), cont);
  const __m128i two = _mm_or_si128(_mm_or_si128(_mm_srli_epi16(x, 6), _mm_set1_epi16(0xC0)),
                                   _mm_slli_epi16(last, 8));
  const __m128i three = _mm_or_si128(_mm_or_si128(_mm_srli_epi16(x, 12), _mm_set1_epi16(0xE0)),
                                     _mm_slli_epi16(middle, 8));
  // The first two bytes of each sequence, then the third.
  const __m128i first = Select(ascii, x, Select(short2, two, three));
  return {_mm_unpacklo_epi16(first, last), _mm_unpackhi_epi16(first, last), ascii, short2};
}

// Encodes the first `lanes` (1..8) units of `a` and `b`, all of the basic
// plane and no surrogate, at `out` (null: counts them; else room for 28
// bytes); returns how many bytes they take. The sequences are built by
// BuildSequences and laid end to end.
[[gnu::always_inline]] inline std::size_t EncodePlaneBlock(__m128i a, __m128i b, unsigned lanes,
                                                           char* out) {
  const PlaneSequences seq = BuildSequences(a, b);
  const __m128i lo = seq.lo;
  const __m128i hi = seq.hi;
  const __m128i ascii = seq.ascii;
  const __m128i short2 = seq.short2;
  // 3, less one for a short sequence, less one more for ASCII; summed
  // along the lanes, where each sequence ends.
  __m128i ends = _mm_add_epi16(_mm_set1_epi16(3), _mm_add_epi16(ascii, short2));
  ends = _mm_add_epi16(ends, _mm_slli_si128(ends, 2));
  ends = _mm_add_epi16(ends, _mm_slli_si128(ends, 4));
  ends = _mm_add_epi16(ends, _mm_slli_si128(ends, 8));
  alignas(16) std::uint16_t end_of[8];
  _mm_store_si128(reinterpret_cast<__m128i*>(end_of), ends);
  const std::size_t total =
      lanes == 8 ? static_cast<std::size_t>(_mm_extract_epi16(ends, 7)) : end_of[lanes - 1];
  if (out == nullptr) return total;
  // Four bytes go out for each sequence, the next one writing over the
  // excess; the four bytes past the last are put back as they were.
  char after[4];
  std::memcpy(after, out + total, 4);
  const __m128i starts = _mm_slli_si128(ends, 2);
  if (lanes == 8) {
    PutPair(out + _mm_extract_epi16(starts, 0), out + _mm_extract_epi16(starts, 1), lo);
    PutPair(out + _mm_extract_epi16(starts, 2), out + _mm_extract_epi16(starts, 3),
            _mm_unpackhi_epi64(lo, lo));
    PutPair(out + _mm_extract_epi16(starts, 4), out + _mm_extract_epi16(starts, 5), hi);
    PutPair(out + _mm_extract_epi16(starts, 6), out + _mm_extract_epi16(starts, 7),
            _mm_unpackhi_epi64(hi, hi));
  } else {
    alignas(16) std::uint32_t bytes[8];
    alignas(16) std::uint16_t begin[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(bytes), lo);
    _mm_store_si128(reinterpret_cast<__m128i*>(bytes + 4), hi);
    _mm_store_si128(reinterpret_cast<__m128i*>(begin), starts);
    for (unsigned k = 0; k < lanes; ++k) std::memcpy(out + begin[k], &bytes[k], 4);
  }
  std::memcpy(out + total, after, 4);
  return total;
}

// For each pair of 4-bit masks (bits 0..3: which of four units are ASCII,
// 4..7: which take two bytes or fewer), the byte shuffle that lays their
// sequences, built in 32-bit lanes, end to end; the rest become zero.
constexpr std::array<std::array<std::int8_t, 16>, 256> SequenceShuffles() {
  std::array<std::array<std::int8_t, 16>, 256> table{};
  for (unsigned mask = 0; mask < 256; ++mask) {
    unsigned to = 0;
    for (unsigned lane = 0; lane < 4; ++lane) {
      const unsigned length = (mask & (1U << lane)) != 0 ? 1 : (mask & (16U << lane)) != 0 ? 2 : 3;
      for (unsigned k = 0; k < length; ++k)
        table[mask][to++] = static_cast<std::int8_t>(4 * lane + k);
    }
    for (; to < 16; ++to) table[mask][to] = -1;
  }
  return table;
}

alignas(16) constexpr std::array<std::array<std::int8_t, 16>, 256> kSequenceShuffles =
    SequenceShuffles();

// How many bytes the four sequences of a SequenceShuffles mask take.
constexpr std::array<std::uint8_t, 256> SequenceLengths() {
  std::array<std::uint8_t, 256> table{};
  for (unsigned mask = 0; mask < 256; ++mask) {
    for (unsigned lane = 0; lane < 4; ++lane) {
      table[mask] += (mask & (1U << lane)) != 0 ? 1 : (mask & (16U << lane)) != 0 ? 2 : 3;
    }
  }
  return table;
}

constexpr std::array<std::uint8_t, 256> kSequenceLengths = SequenceLengths();

// The sixteen bytes past an encoded block's output, as they were before
// the block wrote over them; `at` is null when nothing is owed.
struct OwedBytes {
  char* at = nullptr;
  __m128i bytes{};
};

// Puts back the bytes a block wrote past its output, if any.
inline void PayBack(OwedBytes& owed) {
  if (owed.at == nullptr) return;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(owed.at), owed.bytes);
  owed.at = nullptr;
}

// Whether the sixteen units at `p` are all of the basic plane and not all
// ASCII, which EncodeSixteenSsse3 needs.
inline bool MixedPlaneSixteen(const wchar_t* p) {
  const auto* q = reinterpret_cast<const __m128i*>(p);
  const __m128i any = _mm_or_si128(_mm_or_si128(_mm_loadu_si128(q), _mm_loadu_si128(q + 1)),
                                   _mm_or_si128(_mm_loadu_si128(q + 2), _mm_loadu_si128(q + 3)));
  const __m128i zero = _mm_setzero_si128();
  return _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_srli_epi32(any, 16), zero)) == 0xFFFF &&
         _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_srli_epi32(any, 7), zero)) != 0xFFFF;
}

// Encodes the sixteen units at `p`, of the basic plane and not all ASCII
// (MixedPlaneSixteen says so), at `out` (room for 64 bytes) if none is a
// surrogate; returns how many bytes they take, or 0 having written
// nothing. The sequences are built by BuildSequences; each four are laid
// end to end with one shuffle and go out as sixteen bytes, the next four
// writing over the excess. The sixteen bytes past the last are kept in
// `owed`, to be put back once no later block writes over them; sixteen
// units take sixteen bytes or more, so the block writes over what an
// earlier one owed.
__attribute__((target("ssse3"))) std::size_t EncodeSixteenSsse3(const wchar_t* p, char* out,
                                                                OwedBytes& owed) {
  const auto* q = reinterpret_cast<const __m128i*>(p);
  const __m128i units[4] = {_mm_loadu_si128(q), _mm_loadu_si128(q + 1), _mm_loadu_si128(q + 2),
                            _mm_loadu_si128(q + 3)};
  const __m128i surrogate_bits = _mm_set1_epi32(0xF800);
  const __m128i surrogates = _mm_set1_epi32(0xD800);
  __m128i any_surrogate = _mm_setzero_si128();
  for (const __m128i u : units) {
    any_surrogate =
        _mm_or_si128(any_surrogate, _mm_cmpeq_epi32(_mm_and_si128(u, surrogate_bits), surrogates));
  }
  if (_mm_movemask_epi8(any_surrogate) != 0) return 0;
  __m128i lanes[4];
  unsigned masks[4];
  for (std::size_t half = 0; half < 2; ++half) {
    const PlaneSequences seq = BuildSequences(units[2 * half], units[2 * half + 1]);
    lanes[2 * half] = seq.lo;
    lanes[2 * half + 1] = seq.hi;
    // Bits 0..7: ASCII, 8..15: two bytes or fewer, one per unit.
    const auto m = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(seq.ascii, seq.short2)));
    masks[2 * half] = (m & 0x0F) | ((m >> 4) & 0xF0);
    masks[2 * half + 1] = ((m >> 4) & 0x0F) | ((m >> 8) & 0xF0);
  }
  const auto* shuffles = reinterpret_cast<const __m128i*>(kSequenceShuffles.data());
  std::size_t total = 0;
  for (const unsigned mask : masks) total += kSequenceLengths[mask];
  owed.at = out + total;
  owed.bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + total));
  char* o = out;
  for (std::size_t k = 0; k < 4; ++k) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o),
                     _mm_shuffle_epi8(lanes[k], _mm_load_si128(shuffles + masks[k])));
    o += kSequenceLengths[masks[k]];
  }
  return total;
}

// EncodeRunPlain's work eight units at a time: ASCII narrowed whole (then
// sixteen at a time while it lasts), a run of four ASCII units or more
// before a unit past the basic plane (English among emoji) narrowed as far
// as it goes, other blocks by EncodePlaneBlock as far as their units are of
// the basic plane, and a unit past the plane encoded here; with `kShuffle`,
// sixteen units of the basic plane at a time by EncodeSixteenSsse3 first.
// What stops them, a unit that is no scalar value, is left to the caller.
template <bool kShuffle>
[[gnu::always_inline]] inline std::size_t EncodeRunSse2(const wchar_t* p, std::size_t n, char* out,
                                                        std::size_t& written, std::size_t room) {
  std::size_t i = 0;
  OwedBytes owed;
  while (n - i >= 8 && room - written >= 28) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 4));
    const unsigned ascii_lanes = AsciiLanes(a, b);
    if (ascii_lanes == 0xFF) {
      PayBack(owed);
      if (out != nullptr) NarrowEight(a, b, out + written);
      written += 8;
      i = NarrowSixteens(p, i + 8, n, out, written, room);
      continue;
    }
    const auto ascii_run = static_cast<unsigned>(__builtin_ctz(~ascii_lanes));
    unsigned lanes;
    if (ascii_run >= 4 && static_cast<std::uint32_t>(p[i + ascii_run]) > 0xFFFF) {
      PayBack(owed);
      if (out != nullptr) {
        // Eight bytes go out, and the eight past the run are put back.
        char* o = out + written;
        const __m128i after = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(o + ascii_run));
        NarrowEight(a, b, o);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(o + ascii_run), after);
      }
      written += ascii_run;
      lanes = ascii_run;
    } else {
      if (kShuffle && out != nullptr && n - i >= 16 && room - written >= 64 &&
          MixedPlaneSixteen(p + i)) {
        const std::size_t took = EncodeSixteenSsse3(p + i, out + written, owed);
        if (took != 0) {
          written += took;
          i += 16;
          continue;
        }
      }
      PayBack(owed);
      lanes = PlaneLanes(a, b);
      if (lanes > 0)
        written += EncodePlaneBlock(a, b, lanes, out != nullptr ? out + written : nullptr);
    }
    i += lanes;
    if (lanes == 8) continue;
    // A unit past the basic plane is taken here, and the blocks go on.
    const auto c = static_cast<std::uint32_t>(p[i]);
    if (c < 0x10000 || c > 0x10FFFF || room - written < 4) return i;
    if (out != nullptr) WriteFourBytes(out + written, c);
    written += 4;
    ++i;
  }
  PayBack(owed);
  return i + EncodeRunPlain(p + i, n - i, out, written, room);
}

// The SSE2 loops with SSSE3's shuffle, compiled for CPUs that have it so
// that the shuffling steps are inlined into them.
__attribute__((target("ssse3"))) const std::uint8_t* DecodeRunSsse3(const std::uint8_t* p,
                                                                    const std::uint8_t* end,
                                                                    wchar_t* out,
                                                                    std::size_t& written,
                                                                    std::size_t room) {
  return DecodeRunSse2<true>(p, end, out, written, room);
}

__attribute__((target("ssse3"))) std::size_t EncodeRunSsse3(const wchar_t* p, std::size_t n,
                                                            char* out, std::size_t& written,
                                                            std::size_t room) {
  return EncodeRunSse2<true>(p, n, out, written, room);
}

#endif

const std::uint8_t* DecodeRun(const std::uint8_t* p, const std::uint8_t* end, wchar_t* out,
                              std::size_t& written, std::size_t room, Utf8Path path) {
#if defined(__SSE2__) && defined(__x86_64__)
  if (path != Utf8Path::kPlain)
    return path == Utf8Path::kFastest && kHasShuffle
               ? DecodeRunSsse3(p, end, out, written, room)
               : DecodeRunSse2<false>(p, end, out, written, room);
#endif
  static_cast<void>(path);
  return DecodeRunPlain(p, end, out, written, room);
}

std::size_t EncodeRun(const wchar_t* p, std::size_t n, char* out, std::size_t& written,
                      std::size_t room, Utf8Path path) {
#if defined(__SSE2__) && defined(__x86_64__)
  if (path != Utf8Path::kPlain)
    return path == Utf8Path::kFastest && kHasShuffle
               ? EncodeRunSsse3(p, n, out, written, room)
               : EncodeRunSse2<false>(p, n, out, written, room);
#endif
  static_cast<void>(path);
  return EncodeRunPlain(p, n, out, written, room);
}

}  // namespace

Utf8Result DecodeUtf8Text(const std::uint8_t* p, std::size_t n, wchar_t* out, std::size_t room,
                          Utf8Errors errors, Utf8Path path) {
  const std::uint8_t* end = p + n;
  std::size_t written = 0;
  for (;;) {
    p = DecodeRun(p, end, out, written, room, path);
    if (p == end) return {written, Utf8Outcome::kDone};
    // What stopped the run goes through the codec alone: a bad byte, a
    // sequence the run leaves to it, or the room.
    char32_t cp;
    if (!DecodeUtf8(p, end, cp, errors)) return {written, Utf8Outcome::kRefused};
    if (written == room) return {written, Utf8Outcome::kFull};
    if (out != nullptr) out[written] = static_cast<wchar_t>(cp);
    ++written;
  }
}

Utf8Result EncodeUtf8Text(const wchar_t* p, std::size_t n, char* out, std::size_t room,
                          Utf8Errors errors, Utf8Path path) {
  std::size_t written = 0;
  std::size_t i = 0;
  for (;;) {
    i += EncodeRun(p + i, n - i, out, written, room, path);
    if (i == n) return {written, Utf8Outcome::kDone};
    char bytes[4];
    const char* stop =
        WriteUtf8(bytes, static_cast<char32_t>(static_cast<std::uint32_t>(p[i])), errors);
    if (stop == nullptr) return {written, Utf8Outcome::kRefused};
    const auto length = static_cast<std::size_t>(stop - bytes);
    if (room - written < length) return {written, Utf8Outcome::kFull};
    if (out != nullptr) std::memcpy(out + written, bytes, length);
    written += length;
    ++i;
  }
}

}  // namespace velut::textbase
