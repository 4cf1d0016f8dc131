#include "XMLDecode.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "XMLChars.h"

namespace velcf::detail {
namespace {

enum class Charset { kUtf8, kLatin1, kWindowsLatin1, kUnknown };

bool IsSpace(unsigned char c) { return IsXmlSpace(c); }

bool EqualsNoCase(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (x != b[i]) return false;
  }
  return true;
}

// The character set an 8-bit document's encoding label names. A UTF-16 or
// UCS-2 label on 8-bit content is taken for UTF-8, as libxml2 does.
Charset CharsetOfLabel(const std::string& label) {
  static const char* const kUtf8[] = {"utf-8",    "utf8",   "us-ascii",
                                      "ascii",    "utf-16", "utf-16le",
                                      "utf-16be", "ucs-2",  "iso-10646-ucs-2"};
  static const char* const kLatin1[] = {"iso-8859-1", "iso_8859-1", "latin1", "l1"};
  static const char* const kWindows[] = {"windows-1252", "cp1252"};
  for (const char* name : kUtf8) {
    if (EqualsNoCase(label, name)) return Charset::kUtf8;
  }
  for (const char* name : kLatin1) {
    if (EqualsNoCase(label, name)) return Charset::kLatin1;
  }
  for (const char* name : kWindows) {
    if (EqualsNoCase(label, name)) return Charset::kWindowsLatin1;
  }
  return Charset::kUnknown;
}

// The encoding named by the XML declaration at the start of an 8-bit
// document; false when there is no declaration or it names none. The
// declaration itself is checked later by the parser.
bool DeclaredEncoding(const unsigned char* p, std::size_t size, std::string& label) {
  if (size < 6 || std::memcmp(p, "<?xml", 5) != 0 || !IsSpace(p[5])) {
    return false;
  }
  std::size_t i = 5;
  for (;;) {
    while (i < size && IsSpace(p[i])) ++i;
    const std::size_t name_begin = i;
    while (i < size && ((p[i] >= 'a' && p[i] <= 'z') || (p[i] >= 'A' && p[i] <= 'Z'))) {
      ++i;
    }
    const std::string name(reinterpret_cast<const char*>(p) + name_begin, i - name_begin);
    if (name.empty()) return false;
    while (i < size && IsSpace(p[i])) ++i;
    if (i >= size || p[i] != '=') return false;
    ++i;
    while (i < size && IsSpace(p[i])) ++i;
    if (i >= size || (p[i] != '"' && p[i] != '\'')) return false;
    const unsigned char quote = p[i++];
    const std::size_t value_begin = i;
    while (i < size && p[i] != quote && p[i] != '>') ++i;
    if (i >= size || p[i] != quote) return false;
    if (name == "encoding") {
      label.assign(reinterpret_cast<const char*>(p) + value_begin, i - value_begin);
      return true;
    }
    ++i;
  }
}

bool DecodeUtf16(const unsigned char* p, std::size_t size, bool big_endian, DecodedDocument& out) {
  if (size % 2 != 0) return false;
  const std::size_t units = size / 2;
  // A unit takes at most 3 bytes of UTF-8, a pair of them 4.
  if (units > (static_cast<std::size_t>(-1) - 1) / 3) throw std::bad_alloc();
  out.storage.reset(new char[units * 3 + 1]);
  char* o = out.storage.get();
  const int hi = big_endian ? 0 : 1;
  const auto unit_at = [p, hi](std::size_t k) {
    return static_cast<char32_t>(p[2 * k + hi] << 8 | p[2 * k + 1 - hi]);
  };
  for (std::size_t i = 0; i < units;) {
    const char32_t cp = velut::textbase::DecodeUtf16(unit_at, i, units);
    if (cp >= 0x20 && cp < 0x80) {
      *o++ = static_cast<char>(cp);
      continue;
    }
    if (!IsXmlChar(cp)) return false;  // unpaired surrogates included
    o = WriteUtf8(o, cp);
  }
  out.encoding = big_endian ? kCFStringEncodingUTF16BE : kCFStringEncodingUTF16LE;
  out.text = out.storage.get();
  out.size = static_cast<std::size_t>(o - out.storage.get());
  return true;
}

// How many bytes from p on, up to `size`, are printable ASCII (0x20..0x7F)
// or white space, counted in blocks; the rest is left to the caller.
std::size_t AsciiTextBlocks(const unsigned char* p, std::size_t size) {
  std::size_t n = 0;
#if defined(__SSE2__)
  // As signed bytes, exactly the printable ASCII ones are not below 0x20.
  const __m128i space = _mm_set1_epi8(0x20);
  const __m128i tab = _mm_set1_epi8('\t');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  for (; size - n >= 16; n += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n));
    const int low = _mm_movemask_epi8(_mm_cmplt_epi8(bytes, space));
    if (low == 0) continue;
    const __m128i white =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, tab), _mm_cmpeq_epi8(bytes, lf)),
                     _mm_cmpeq_epi8(bytes, cr));
    if ((low & ~_mm_movemask_epi8(white)) != 0) break;
  }
#else
  for (; size - n >= 8; n += 8) {
    std::uint64_t w;
    std::memcpy(&w, p + n, sizeof w);
    // A byte below 0x20 sets its top bit when 0x20 is taken from it; any
    // borrow it passes on only makes the test fail, never pass.
    if (((w | (w - 0x2020202020202020ULL)) & 0x8080808080808080ULL) != 0) break;
  }
#endif
  return n;
}

bool CheckUtf8(const unsigned char* p, std::size_t size, DecodedDocument& out) {
  const unsigned char* end = p + size;
  for (const unsigned char* q = p; q < end;) {
    q += AsciiTextBlocks(q, static_cast<std::size_t>(end - q));
    if (q == end) break;
    if (*q < 0x80) {
      if (*q < 0x20 && !IsXmlSpace(*q)) return false;
      ++q;
      continue;
    }
    char32_t cp;
    if (!DecodeUtf8(q, end, cp) || !IsXmlChar(cp)) return false;
  }
  out.encoding = kCFStringEncodingUTF8;
  out.text = reinterpret_cast<const char*>(p);
  out.size = size;
  return true;
}

bool Decode8Bit(const unsigned char* p, std::size_t size, Charset charset, DecodedDocument& out) {
  // A byte takes at most 3 bytes of UTF-8 (the euro sign of windows-1252).
  if (size > (static_cast<std::size_t>(-1) - 1) / 3) throw std::bad_alloc();
  out.storage.reset(new char[size * 3 + 1]);
  char* o = out.storage.get();
  for (std::size_t i = 0; i < size; ++i) {
    const char32_t cp = charset == Charset::kLatin1 ? p[i] : DecodeWindowsLatin1(p[i]);
    if (!IsXmlChar(cp)) return false;
    o = WriteUtf8(o, cp);
  }
  out.encoding =
      charset == Charset::kLatin1 ? kCFStringEncodingISOLatin1 : kCFStringEncodingWindowsLatin1;
  out.text = out.storage.get();
  out.size = static_cast<std::size_t>(o - out.storage.get());
  return true;
}

}  // namespace

bool DecodeDocument(const unsigned char* p, std::size_t size, DecodedDocument& out) {
  if (size >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
    return CheckUtf8(p + 3, size - 3, out);
  }
  if (size >= 2) {
    if (p[0] == 0xFE && p[1] == 0xFF) return DecodeUtf16(p + 2, size - 2, true, out);
    if (p[0] == 0xFF && p[1] == 0xFE) return DecodeUtf16(p + 2, size - 2, false, out);
    // Without a mark, a zero byte beside the first character (which XML
    // text cannot hold) tells UTF-16 and its byte order.
    if (p[0] == 0 && p[1] != 0) return DecodeUtf16(p, size, true, out);
    if (p[0] != 0 && p[1] == 0) return DecodeUtf16(p, size, false, out);
  }
  std::string label;
  Charset charset = Charset::kUtf8;
  if (DeclaredEncoding(p, size, label)) charset = CharsetOfLabel(label);
  switch (charset) {
    case Charset::kUtf8:
      return CheckUtf8(p, size, out);
    case Charset::kLatin1:
    case Charset::kWindowsLatin1:
      return Decode8Bit(p, size, charset, out);
    case Charset::kUnknown:
      break;
  }
  return false;
}

}  // namespace velcf::detail
