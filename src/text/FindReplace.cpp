// Case-insensitive search and replacement, folding with the classic locale.
#include <VelUt/FindReplace.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <locale>
#include <string>

#include "platform/layer.h"
#include "text/text_pointer.h"

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// tolower of the classic locale's ctype<wchar_t> facet. Units below 128 go
// through a table filled from the facet itself, the rest through the facet.
class ClassicFold {
 public:
  ClassicFold() : ct_(std::use_facet<std::ctype<wchar_t>>(g_locale_classic)) {
    for (std::uint32_t u = 0; u < 128; ++u)
      table_[u] = ct_.tolower(static_cast<wchar_t>(u));
  }

  wchar_t operator()(wchar_t c) const {
    const auto u = static_cast<std::uint32_t>(c);
    return u < 128 ? table_[u] : ct_.tolower(c);
  }

  // The folded value of the unit u below 128.
  wchar_t Ascii(std::uint32_t u) const { return table_[u]; }

 private:
  const std::ctype<wchar_t>& ct_;
  wchar_t table_[128];
};

const ClassicFold& Fold() {
  static const ClassicFold fold;
  return fold;
}

// Four units in one vector register; every compiler we build with maps
// these operators to plain SSE2 (or NEON) instructions.
typedef std::uint32_t Units4 __attribute__((vector_size(16)));

inline Units4 Load4(const wchar_t* p) {
  Units4 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline bool Any(Units4 v) {
  std::uint64_t halves[2];
  std::memcpy(halves, &v, sizeof halves);
  return (halves[0] | halves[1]) != 0;
}

// A cheap test that holds for every ASCII unit folding to one value:
// (u | orBits) == value. Units of 128 and above are always let through
// to the exact check, since the facet may fold them anywhere.
struct AsciiSet {
  std::uint32_t orBits = 0;
  std::uint32_t value = 0;
  bool exact = false;  // false: no such test fits; scan unit by unit

  static AsciiSet Of(const ClassicFold& fold, wchar_t folded) {
    std::uint32_t members[128];
    int n = 0;
    for (std::uint32_t u = 0; u < 128; ++u)
      if (fold.Ascii(u) == folded) members[n++] = u;
    AsciiSet s;
    s.exact = true;
    if (n == 0) {
      s.value = static_cast<std::uint32_t>(folded);  // matches no ASCII unit
    } else if (n == 1) {
      s.value = members[0];
    } else if (n == 2 && (members[0] ^ members[1]) == 0x20) {
      s.orBits = 0x20;
      s.value = members[0] | 0x20;
    } else {
      s.exact = false;
    }
    return s;
  }
};

// Finds a pattern case-insensitively. Candidate positions are those whose
// first and last units can fold to the pattern's first and last units; they
// are picked out sixteen at a time with vector compares and then checked
// unit by unit. No piece of the text is ever copied.
class NoCaseSearcher {
 public:
  NoCaseSearcher(const wchar_t* pattern, std::size_t length)
      : fold_(Fold()), pattern_(pattern, length) {
    for (wchar_t& c : pattern_) c = fold_(c);
    first_ = AsciiSet::Of(fold_, pattern_.front());
    last_ = AsciiSet::Of(fold_, pattern_.back());
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

  // The first match at or after `from` in text[0, n), or kNone.
  std::size_t Find(const wchar_t* text, std::size_t n, std::size_t from) const {
    const std::size_t m = pattern_.size();
    if (n < m || from > n - m) return kNone;
    const std::size_t end = n - m + 1;  // one past the last start position
    std::size_t at = from;
    if (first_.exact && last_.exact) {
      const wchar_t* tail = text + (m - 1);
      const Units4 or0 = Splat(first_.orBits), v0 = Splat(first_.value);
      const Units4 orL = Splat(last_.orBits), vL = Splat(last_.value);
      const Units4 high = Splat(~std::uint32_t{127});
      for (; end - at >= 16; at += 16) {
        const Units4 a0 = Load4(text + at), a1 = Load4(text + at + 4);
        const Units4 a2 = Load4(text + at + 8), a3 = Load4(text + at + 12);
        const Units4 b0 = Load4(tail + at), b1 = Load4(tail + at + 4);
        const Units4 b2 = Load4(tail + at + 8), b3 = Load4(tail + at + 12);
        const Units4 all = a0 | a1 | a2 | a3 | b0 | b1 | b2 | b3;
        const Units4 hits = Hit(a0, or0, v0, b0, orL, vL) |
                            Hit(a1, or0, v0, b1, orL, vL) |
                            Hit(a2, or0, v0, b2, orL, vL) |
                            Hit(a3, or0, v0, b3, orL, vL);
        if (!Any(hits | (all & high))) continue;
        for (std::size_t k = at; k < at + 16; ++k)
          if (MatchAt(text, k)) return k;
      }
    }
    for (; at < end; ++at)
      if (MatchAt(text, at)) return at;
    return kNone;
  }

  // The first match at or after `from` in the zero-terminated `text`, whose
  // length is known to exceed `from`; kNone when there is none. The text is
  // measured chunk by chunk as the scan goes, so the cost follows the
  // distance to the match, not the length of the text.
  std::size_t FindTerminated(const wchar_t* text, std::size_t from) const {
    const std::size_t m = pattern_.size();
    std::size_t known = from;  // text[0, known) holds no NUL
    std::size_t chunk = 1024;
    for (;;) {
      const std::size_t got = wcsnlen(text + known, chunk);
      known += got;
      const std::size_t at = Find(text, known, from);
      if (at != kNone || got < chunk) return at;
      if (known >= m && known - m + 1 > from) from = known - m + 1;
      if (chunk < 64 * 1024) chunk *= 2;
    }
  }

 private:
  static Units4 Splat(std::uint32_t v) { return Units4{v, v, v, v}; }

  static Units4 Hit(Units4 a, Units4 orA, Units4 vA, Units4 b, Units4 orB,
                    Units4 vB) {
    return reinterpret_cast<Units4>((a | orA) == vA) &
           reinterpret_cast<Units4>((b | orB) == vB);
  }

  const ClassicFold& fold_;
  std::wstring pattern_;  // folded
  AsciiSet first_, last_;
};

}  // namespace

namespace VelUt {

int FindNoCase(const wchar_t* text, const wchar_t* pattern, int start) {
  if (!detail::IsTextPointer(pattern) || *pattern == L'\0') return -1;
  CStdStr<wchar_t> resource;
  if (!detail::IsTextPointer(text)) {
    resource = CStdStr<wchar_t>(text);  // null, or a string-resource id
    text = resource.c_str();
  }
  const NoCaseSearcher searcher(pattern, std::wcslen(pattern));
  if (start < 0) {
    if (*text == L'\0') return -1;
    // Every negative position tries the match at 0 and reports itself.
    const std::size_t m = searcher.size();
    if (wcsnlen(text, m) == m && searcher.MatchAt(text, 0)) return start;
    start = 0;
  }
  // Only the units up to `start` are measured before the scan begins.
  const auto from = static_cast<std::size_t>(start);
  if (wcsnlen(text, from + 1) <= from) return -1;
  const std::size_t at = searcher.FindTerminated(text, from);
  return at == kNone ? -1 : static_cast<int>(at);
}

int ReplaceNoCase(CStdStr<wchar_t>& target, const wchar_t* pattern,
                  const wchar_t* replacement) {
  const CStdStr<wchar_t> what(pattern);
  if (what.empty() || target.empty()) return 0;
  if (!detail::IsTextPointer(replacement)) replacement = L"";
  const std::size_t replacementLength = std::wcslen(replacement);
  const NoCaseSearcher searcher(what.data(), what.size());
  const wchar_t* text = target.data();
  const std::size_t n = target.size(), m = what.size();

  std::size_t at = searcher.Find(text, n, 0);
  if (at == kNone) return 0;
  // The result is built on the side from whole spans; `replacement` may
  // point into `target`, which stays untouched until the end.
  std::wstring out;
  out.reserve(replacementLength <= m ? n : n + n / 4);
  std::size_t done = 0;
  int count = 0;
  while (at != kNone) {
    out.append(text + done, at - done);
    out.append(replacement, replacementLength);
    done = at + m;
    ++count;
    at = searcher.Find(text, n, done);
  }
  out.append(text + done, n - done);
  static_cast<std::wstring&>(target) = std::move(out);
  return count;
}

}  // namespace VelUt
