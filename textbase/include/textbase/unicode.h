// The one floor of text below the layers: UTF-8 and UTF-16 coding, the
// units that carry bytes which are not UTF-8, and the windows-1252 code
// page. Linked privately into libWinAPI and libvelcf; never installed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velut::textbase {

constexpr char32_t kReplacementCharacter = 0xFFFD;

// True for the Unicode scalar values: 0..0x10FFFF except the surrogates.
constexpr bool IsScalarValue(char32_t cp) { return cp < 0xD800 || (cp > 0xDFFF && cp <= 0x10FFFF); }

// ------------------------------------------------------------ UTF-16

constexpr bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The code point of the surrogate pair `high`, `low`.
constexpr char32_t JoinSurrogates(char32_t high, char32_t low) {
  return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// The code point that starts at unit `i` of a UTF-16 text of `n` units,
// each read as unit_at(k); moves `i` past it. A pair is joined; a
// surrogate without its partner comes back as itself, for the caller to
// judge.
template <typename UnitAt>
char32_t DecodeUtf16(UnitAt unit_at, std::size_t& i, std::size_t n) {
  const auto unit = static_cast<char32_t>(unit_at(i++));
  if (IsHighSurrogate(unit) && i < n) {
    const auto low = static_cast<char32_t>(unit_at(i));
    if (IsLowSurrogate(low)) {
      ++i;
      return JoinSurrogates(unit, low);
    }
  }
  return unit;
}

// Writes the UTF-16 form of the scalar value `cp` at `out` (room for 2
// units); returns the end of what it wrote.
template <typename Unit>
Unit* WriteUtf16(Unit* out, char32_t cp) {
  if (cp < 0x10000) {
    *out++ = static_cast<Unit>(cp);
  } else {
    cp -= 0x10000;
    *out++ = static_cast<Unit>(0xD800 + (cp >> 10));
    *out++ = static_cast<Unit>(0xDC00 + (cp & 0x3FF));
  }
  return out;
}

// Appends the UTF-16 form of the scalar value `cp` to `out`.
template <typename Container>
void AppendUtf16(Container& out, char32_t cp) {
  typename Container::value_type units[2];
  out.insert(out.end(), units, WriteUtf16(units, cp));
}

// ------------------------------------------------------------ UTF-8

// What the UTF-8 codec does with bytes that are no UTF-8 and with values
// that are no scalar value.
enum class Utf8Errors {
  kStop,     // refuse them: report the failure, consume and write nothing
  kReplace,  // U+FFFD in their place; a bad byte is consumed alone
};

// Decodes one UTF-8 sequence from [p, end) (not empty) into cp and advances
// p past it. For anything but the shortest form of a scalar value: false,
// with p unchanged, under kStop; under kReplace, U+FFFD with p moved past
// the first byte, and true.
bool DecodeUtf8(const std::uint8_t*& p, const std::uint8_t* end, char32_t& cp,
                Utf8Errors errors = Utf8Errors::kStop);

// Writes the UTF-8 form of `cp` at `out` (room for 4 bytes); returns the
// end of what it wrote. A `cp` that is no scalar value is refused under
// kStop (nothing written, null returned) and written as U+FFFD under
// kReplace.
char* WriteUtf8(char* out, char32_t cp, Utf8Errors errors = Utf8Errors::kStop);

// Appends the UTF-8 form of `cp`, with the errors of WriteUtf8; false, with
// nothing appended, when it refuses `cp`.
inline bool AppendUtf8(std::string& out, char32_t cp, Utf8Errors errors = Utf8Errors::kStop) {
  char bytes[4];
  char* end = WriteUtf8(bytes, cp, errors);
  if (end == nullptr) return false;
  out.append(bytes, end);
  return true;
}

// ------------------------------------------------------------ byte units

// A byte that is not UTF-8 travels in a wide text as the lone low
// surrogate U+DC00 + byte (U+DC80..U+DCFF), and comes back as that byte.
constexpr char32_t kFirstByteUnit = 0xDC80;
constexpr char32_t kLastByteUnit = 0xDCFF;
constexpr bool IsByteUnit(char32_t unit) { return unit >= kFirstByteUnit && unit <= kLastByteUnit; }
constexpr char32_t ByteUnit(std::uint8_t byte) { return 0xDC00 + byte; }
constexpr char ByteOfUnit(char32_t unit) { return static_cast<char>(unit - 0xDC00); }

// What the whole-text conversions make of a byte that is no UTF-8 and of a
// unit that is no scalar value.
enum class Utf8Rule {
  kReplace,      // U+FFFD for either
  kEscapeBytes,  // a byte becomes its byte unit and that unit the byte
                 // again; other units U+FFFD
};

// The wide text of the UTF-8 `bytes`, one unit a code point.
std::wstring WideFromUtf8(std::string_view bytes, Utf8Rule rule);

// The UTF-8 form of the wide `text`.
std::string Utf8FromWide(std::wstring_view text, Utf8Rule rule);

// ------------------------------------------------------------ windows-1252

// The character of a windows-1252 byte. The five bytes the code page leaves
// undefined map to the C1 controls of the same value, as Windows does.
char32_t DecodeWindowsLatin1(std::uint8_t byte);

// The windows-1252 byte of `cp`, or -1 when the code page has none.
int EncodeWindowsLatin1(char32_t cp);

}  // namespace velut::textbase
