// The case-insensitive scan behind FindNoCase and ReplaceNoCase. Internal:
// the unit tests include it to run every scan width on the same inputs.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <locale>
#include <string>

#if defined(__x86_64__)
#include <immintrin.h>
#define VELUT_X86_SCAN 1
#endif

#include "core/ClassicFold.h"

namespace VelUt::detail {

constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

// tolower of the classic locale's ctype<wchar_t> facet: A-Z to a-z, every
// other unit unchanged (core/ClassicFold.h).
class ClassicFold {
 public:
  static const ClassicFold& Get() {
    static const ClassicFold fold;
    return fold;
  }

  wchar_t operator()(wchar_t c) const { return static_cast<wchar_t>(FoldClassic(c)); }

  // The folded value of the unit u below 128.
  wchar_t Ascii(std::uint32_t u) const {
    return static_cast<wchar_t>(FoldClassic(static_cast<wchar_t>(u)));
  }
};

// A cheap test that holds for every ASCII unit folding to one value:
// (u | orBits) == value. Units of 128 and above are always left to the
// exact check, since the facet may fold them anywhere.
struct AsciiTest {
  std::uint32_t orBits = 0;
  std::uint32_t value = 0;
  bool usable = false;  // false: no such test fits; scan unit by unit

  static AsciiTest For(const ClassicFold& fold, wchar_t folded) {
    std::uint32_t members[128];
    int n = 0;
    for (std::uint32_t u = 0; u < 128; ++u)
      if (fold.Ascii(u) == folded) members[n++] = u;
    AsciiTest t;
    t.usable = true;
    if (n == 0) {
      t.value = static_cast<std::uint32_t>(folded);  // matches no ASCII unit
    } else if (n == 1) {
      t.value = members[0];
    } else if (n == 2 && (members[0] ^ members[1]) == 0x20) {
      t.orBits = 0x20;
      t.value = members[0] | 0x20;
    } else {
      t.usable = false;
    }
    return t;
  }
};

// How many start positions the scan rules out at a time.
enum class ScanWidth {
  kOne,   // unit by unit
  kSse2,  // 16 with SSE2
  kAvx2,  // 32 with AVX2
  kBest,  // the widest this processor runs
};

// A block of start positions that the vector test could not rule out: its
// first position and size, bit k of `candidates` for position at + k, and
// whether a unit of 128 or above starts somewhere in it.
struct Block {
  std::size_t at;
  std::size_t size;
  std::uint32_t candidates;
  bool wide;
};

#if VELUT_X86_SCAN
// Steps through the start positions [at, end) sixteen at a time and stops
// at the first block holding a candidate (first and last units pass their
// ASCII tests) or a unit of 128 or above among its first units; otherwise
// stops at the first position of fewer than sixteen left. `tail` is text +
// pattern length - 1. The OR with orBits (0x20 at most) keeps every bit
// from 128 up, so the wide test can use the ORed units.
inline Block NextBlockSse2(const wchar_t* text, const wchar_t* tail, std::size_t at,
                           std::size_t end, AsciiTest first, AsciiTest last) {
  const __m128i or0 = _mm_set1_epi32(static_cast<int>(first.orBits));
  const __m128i v0 = _mm_set1_epi32(static_cast<int>(first.value));
  const __m128i orL = _mm_set1_epi32(static_cast<int>(last.orBits));
  const __m128i vL = _mm_set1_epi32(static_cast<int>(last.value));
  const __m128i high = _mm_set1_epi32(~127);
  const __m128i zero = _mm_setzero_si128();
  for (; end - at >= 16; at += 16) {
    __m128i a[4], hit[4];
    for (std::ptrdiff_t k = 0; k < 4; ++k) {
      a[k] =
          _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at + 4 * k)), or0);
      const __m128i b =
          _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(tail + at + 4 * k)), orL);
      hit[k] = _mm_and_si128(_mm_cmpeq_epi32(a[k], v0), _mm_cmpeq_epi32(b, vL));
    }
    const __m128i wide =
        _mm_and_si128(_mm_or_si128(_mm_or_si128(a[0], a[1]), _mm_or_si128(a[2], a[3])), high);
    const __m128i any = _mm_or_si128(
        _mm_or_si128(_mm_or_si128(hit[0], hit[1]), _mm_or_si128(hit[2], hit[3])), wide);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(any, zero)) == 0xFFFF) continue;
    std::uint32_t candidates = 0;
    for (int k = 0; k < 4; ++k)
      candidates |= static_cast<std::uint32_t>(_mm_movemask_ps(_mm_castsi128_ps(hit[k])))
                    << (4 * k);
    return {at, 16, candidates, _mm_movemask_epi8(_mm_cmpeq_epi32(wide, zero)) != 0xFFFF};
  }
  return {at, 16, 0, false};
}

// NextBlockSse2 thirty-two positions at a time, with AVX2.
__attribute__((target("avx2"))) inline Block NextBlockAvx2(const wchar_t* text, const wchar_t* tail,
                                                           std::size_t at, std::size_t end,
                                                           AsciiTest first, AsciiTest last) {
  const __m256i or0 = _mm256_set1_epi32(static_cast<int>(first.orBits));
  const __m256i v0 = _mm256_set1_epi32(static_cast<int>(first.value));
  const __m256i orL = _mm256_set1_epi32(static_cast<int>(last.orBits));
  const __m256i vL = _mm256_set1_epi32(static_cast<int>(last.value));
  const __m256i high = _mm256_set1_epi32(~127);
  for (; end - at >= 32; at += 32) {
    __m256i a[4], hit[4];
    for (std::ptrdiff_t k = 0; k < 4; ++k) {
      a[k] = _mm256_or_si256(
          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + at + 8 * k)), or0);
      const __m256i b = _mm256_or_si256(
          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(tail + at + 8 * k)), orL);
      hit[k] = _mm256_and_si256(_mm256_cmpeq_epi32(a[k], v0), _mm256_cmpeq_epi32(b, vL));
    }
    const __m256i wide = _mm256_and_si256(
        _mm256_or_si256(_mm256_or_si256(a[0], a[1]), _mm256_or_si256(a[2], a[3])), high);
    const __m256i any = _mm256_or_si256(
        _mm256_or_si256(_mm256_or_si256(hit[0], hit[1]), _mm256_or_si256(hit[2], hit[3])), wide);
    if (_mm256_testz_si256(any, any)) continue;
    std::uint32_t candidates = 0;
    for (int k = 0; k < 4; ++k)
      candidates |= static_cast<std::uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(hit[k])))
                    << (8 * k);
    return {at, 32, candidates, !_mm256_testz_si256(wide, wide)};
  }
  return {at, 32, 0, false};
}
#endif

// Finds a pattern case-insensitively without ever copying a piece of the
// text. Start positions are ruled out a block at a time by testing only
// their first and last units against the pattern's; what survives is
// checked unit by unit.
class NoCaseSearcher {
 public:
  // `pattern` holds `length` >= 1 units.
  NoCaseSearcher(const wchar_t* pattern, std::size_t length, ScanWidth width = ScanWidth::kBest)
      : fold_(ClassicFold::Get()), pattern_(pattern, length) {
    for (wchar_t& c : pattern_) c = fold_(c);
    first_ = AsciiTest::For(fold_, pattern_.front());
    last_ = AsciiTest::For(fold_, pattern_.back());
    width_ = (first_.usable && last_.usable) ? Resolve(width) : ScanWidth::kOne;
  }

  std::size_t size() const { return pattern_.size(); }

  // True when the pattern matches text[at, at + size()), which must lie
  // within the text.
  bool MatchAt(const wchar_t* text, std::size_t at) const {
    const std::size_t m = pattern_.size();
    const wchar_t* p = pattern_.data();
    const wchar_t* t = text + at;
    if (fold_(t[0]) != p[0] || fold_(t[m - 1]) != p[m - 1]) return false;
    for (std::size_t k = 1; k + 1 < m; ++k)
      if (fold_(t[k]) != p[k]) return false;
    return true;
  }

  // The first match at or after `from` in text[0, n), or kNotFound.
  std::size_t Find(const wchar_t* text, std::size_t n, std::size_t from) const {
    const std::size_t m = pattern_.size();
    if (n < m || from > n - m) return kNotFound;
    const std::size_t end = n - m + 1;  // one past the last start position
    std::size_t at = from;
#if VELUT_X86_SCAN
    if (width_ != ScanWidth::kOne) {
      const wchar_t* tail = text + (m - 1);
      // A wide unit may be the last unit of a position up to m - 1 before
      // the block where it shows, whose own test it took no part in.
      const auto back = [&](std::size_t p) { return std::max(from, p >= m - 1 ? p - (m - 1) : 0); };
      for (;;) {
        const Block block = width_ == ScanWidth::kAvx2
                                ? NextBlockAvx2(text, tail, at, end, first_, last_)
                                : NextBlockSse2(text, tail, at, end, first_, last_);
        if (end - block.at < block.size) {
          at = back(block.at);  // the rest one by one
          break;
        }
        if (block.wide) {
          for (std::size_t k = back(block.at); k < block.at + block.size; ++k)
            if (MatchAt(text, k)) return k;
        } else {
          for (std::uint32_t bits = block.candidates; bits != 0; bits &= bits - 1) {
            const std::size_t k = block.at + static_cast<unsigned>(__builtin_ctz(bits));
            if (MatchAt(text, k)) return k;
          }
        }
        at = block.at + block.size;
      }
    }
#endif
    for (; at < end; ++at)
      if (MatchAt(text, at)) return at;
    return kNotFound;
  }

  // The first match at or after `from` in the zero-terminated `text`, whose
  // length is known to exceed `from`; kNotFound when there is none. The
  // text is measured chunk by chunk as the scan goes, so the cost follows
  // the distance to the match, not the length of the text.
  std::size_t FindTerminated(const wchar_t* text, std::size_t from) const {
    const std::size_t m = pattern_.size();
    std::size_t known = from;  // text[0, known) holds no NUL
    std::size_t chunk = 1024;
    constexpr std::size_t kMaxChunk = std::size_t{64} << 10;
    for (;;) {
      const std::size_t got = wcsnlen(text + known, chunk);
      known += got;
      const std::size_t at = Find(text, known, from);
      if (at != kNotFound || got < chunk) return at;
      if (known >= m && known - m + 1 > from) from = known - m + 1;
      if (chunk < kMaxChunk) chunk *= 2;
    }
  }

  // Whether `width` runs on this processor (kOne always does).
  static bool Supported(ScanWidth width) {
#if VELUT_X86_SCAN
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return width != ScanWidth::kAvx2 || avx2;
#else
    return width == ScanWidth::kOne;
#endif
  }

 private:
  static ScanWidth Resolve(ScanWidth width) {
    if (width == ScanWidth::kBest)
      width = Supported(ScanWidth::kAvx2) ? ScanWidth::kAvx2 : ScanWidth::kSse2;
    return Supported(width) ? width : ScanWidth::kOne;
  }

  const ClassicFold& fold_;
  std::wstring pattern_;  // folded
  AsciiTest first_, last_;
  ScanWidth width_ = ScanWidth::kOne;
};

}  // namespace VelUt::detail
